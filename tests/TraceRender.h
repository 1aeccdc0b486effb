#pragma once

// Traces written the way the tools and logs that engineers get write them, for
// the trace reader's tests and fuzz seeds: messages dumped by xxd, hexdump -C
// (with its "*" repeats), od -A x -t x1z, a Java switch log, a NETADRD trace, or
// one message a line, with header lines and times; or a binary stream with
// length headers. Each message is noted with what the reader must find: its
// bytes, its first and last line, its time.

#include "MessageGen.h"
#include "SeededRandom.h"
#include "velquist/Framing.h"
#include "velquist/Trace.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velquist::test {

// Choices drawn from a seeded random: a number below n, one chance in n, one
// character of a set.
class TChoices {
public:
    explicit TChoices(std::uint64_t seed) : FRandom(seed) {}

    int Below(int n) { return static_cast<int>(FRandom.Below(static_cast<std::uint64_t>(n))); }
    bool Chance(int n) { return FRandom.OneIn(static_cast<std::uint64_t>(n)); }
    std::string Pick(std::string_view from) {
        return std::string(1, from[FRandom.Below(from.size())]);
    }
    std::uint64_t Bits() { return FRandom.Bits(); }

private:
    TSeededRandom FRandom;
};

struct TExpectedMessage {
    std::string Message;
    std::uint64_t FirstLine = 0;
    std::uint64_t LastLine = 0;
    std::optional<TTraceTime> Time;
    TTraceLayout Layout = TTraceLayout::Auto;
};

// The ways a message is written.
enum class TStyle { Xxd, HexdumpC, Od, Java, Netadrd, Lines };
inline constexpr TStyle kTextStyles[] = {TStyle::Xxd,  TStyle::HexdumpC, TStyle::Od,
                                         TStyle::Java, TStyle::Netadrd,  TStyle::Lines};

inline TTraceLayout LayoutOfStyle(TStyle style) {
    return style == TStyle::Netadrd ? TTraceLayout::Netadrd
           : style == TStyle::Lines ? TTraceLayout::Lines
                                    : TTraceLayout::Dump;
}

// A dump of one message: its lines, and the index of the last that holds bytes
// (a "*" does; a closing offset line does not).
struct TDump {
    std::vector<std::string> Lines;
    std::size_t LastWithBytes = 0;
};

inline std::string Hex(std::string_view bytes, bool upper, std::string_view between = "") {
    const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string hex;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        hex.append(i == 0 ? "" : between).append({digits[b >> 4], digits[b & 0x0F]});
    }
    return hex;
}

inline std::string Ascii(std::string_view bytes) {
    std::string text;
    for (const char c : bytes) {
        text.push_back(c >= 0x20 && c < 0x7F ? c : '.');
    }
    return text;
}

inline std::string Printf(const char* format, unsigned long long value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// Lines of `width` bytes, each written by `line(offset, bytes)`; with `repeats`
// a line equal to the one before becomes one "*" for the whole run, and an
// offset line closes the dump, as hexdump and od write them.
template <typename TLineOf>
TDump DumpLines(std::string_view message, std::size_t width, bool repeats, const char* closing,
                TLineOf line) {
    TDump dump;
    std::string_view previous;
    bool starred = false;
    for (std::size_t at = 0; at < message.size(); at += width) {
        const std::string_view bytes = message.substr(at, width);
        if (repeats && bytes.size() == width && bytes == previous) {
            if (!starred) {
                dump.Lines.push_back("*");
                dump.LastWithBytes = dump.Lines.size() - 1;
                starred = true;
            }
            continue;
        }
        starred = false;
        previous = bytes;
        dump.Lines.push_back(line(at, bytes));
        dump.LastWithBytes = dump.Lines.size() - 1;
    }
    if (closing != nullptr) {
        dump.Lines.push_back(Printf(closing, message.size()));
    }
    return dump;
}

// The bytes in groups of `group` with a blank between, blanks after them up to
// `area` characters.
inline std::string Groups(std::string_view bytes, std::size_t group, bool upper,
                          std::size_t area = 0) {
    std::string hex;
    for (std::size_t i = 0; i < bytes.size(); i += group) {
        hex.append(i == 0 ? "" : " ").append(Hex(bytes.substr(i, group), upper));
    }
    hex.resize(std::max(area, hex.size()), ' ');
    return hex;
}

// xxd -c width -g group
inline TDump XxdDump(std::string_view message, std::size_t width, std::size_t group) {
    const std::size_t area = width * 2 + width / group - 1;
    return DumpLines(message, width, false, nullptr, [&](std::size_t at, std::string_view bytes) {
        return Printf("%08llx: ", at) + Groups(bytes, group, false, area) + "  " + Ascii(bytes);
    });
}

// hexdump -C
inline TDump HexdumpCDump(std::string_view message) {
    return DumpLines(message, 16, true, "%08llx", [](std::size_t at, std::string_view bytes) {
        std::string hex = Groups(bytes.substr(0, 8), 1, false);
        if (bytes.size() > 8) {
            hex += "  " + Groups(bytes.substr(8), 1, false);
        }
        hex.resize(48, ' ');
        return Printf("%08llx  ", at) + hex + "  |" + Ascii(bytes) + "|";
    });
}

// od -A x -t x1z
inline TDump OdDump(std::string_view message) {
    return DumpLines(message, 16, true, "%06llx", [](std::size_t at, std::string_view bytes) {
        return Printf("%06llx ", at) + Groups(bytes, 1, false, 47) + "  >" + Ascii(bytes) + "<";
    });
}

// A Java switch log: groups of 4 bytes in upper case, the text between "*".
inline TDump JavaDump(std::string_view message) {
    return DumpLines(message, 16, false, nullptr, [](std::size_t at, std::string_view bytes) {
        return Printf("%04llX: ", at) + Groups(bytes, 4, true, 35) + "  *" + Ascii(bytes) + "*";
    });
}

// A NETADRD block: the offset twice in columns 1 to 14, hex in 15 to 73.
inline TDump NetadrdDump(std::string_view message) {
    return DumpLines(message, 16, false, nullptr, [](std::size_t at, std::string_view bytes) {
        return Printf("%04llX ", at) + Printf("%08llX ", at) + Groups(bytes, 4, true, 59) + "*" +
               Ascii(bytes) + "*";
    });
}

// A time of day as logs write it: with or without a date, 0 to 9 digits of
// fraction. Returns the time the reader must make of it.
struct TTimeWriter {
    bool Dated = false;
    std::int64_t DayZero = 19'000; // days since 1970 of the trace's first day (dated traces)

    std::string Write(std::int64_t at, TChoices& random, TTraceTime& read) const {
        constexpr std::int64_t kDay = 86'400'000'000'000;
        const int digits = random.Below(10);
        std::int64_t unit = 1;
        for (int i = digits; i < 9; ++i) {
            unit *= 10;
        }
        at -= at % unit;
        const std::int64_t ofDay = at % kDay;
        const std::int64_t seconds = ofDay / 1'000'000'000;
        std::string text;
        if (Dated) {
            const std::int64_t days = DayZero + at / kDay;
            const std::chrono::year_month_day date{std::chrono::sys_days(std::chrono::days(days))};
            const char separator = random.Chance(2) ? '-' : '/';
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, "%04d%c%02u%c%02u", static_cast<int>(date.year()),
                          separator, static_cast<unsigned>(date.month()), separator,
                          static_cast<unsigned>(date.day()));
            text.append(buffer).push_back(random.Chance(2) ? ' ' : 'T');
            read = {days * kDay + ofDay, true};
        } else {
            read = {at, false};
        }
        text += Printf("%02llu:", static_cast<unsigned long long>(seconds / 3600)) +
                Printf("%02llu:", static_cast<unsigned long long>(seconds / 60 % 60)) +
                Printf("%02llu", static_cast<unsigned long long>(seconds % 60));
        if (digits > 0) {
            const std::string fraction =
                Printf("%09llu", static_cast<unsigned long long>(ofDay % 1'000'000'000));
            text.append(random.Chance(2) ? "." : ",")
                .append(fraction.substr(0, static_cast<std::size_t>(digits)));
        }
        return text;
    }
};

// A whole trace of `count` generated messages, each in a style `styles` allows,
// with header lines, times, blank lines and noise between them.
class TTraceGen {
public:
    TTraceGen(std::uint64_t seed, std::vector<TStyle> styles)
        : FRandom(seed), FMessages(seed ^ 0x9E3779B97F4A7C15ull), FStyles(std::move(styles)) {
        FTimes.Dated = FRandom.Chance(2);
        FBreak = FRandom.Chance(3) ? "\r\n" : "\n";
        FNow = std::int64_t{1'000'000'000} * FRandom.Below(86'400);
        FLastTimed = FNow;
    }

    std::string Text;
    std::vector<TExpectedMessage> Expected;
    bool Repeats = true; // messages with lines that repeat, for hexdump's "*"

    void Add(std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            AddMessage(NextMessage());
        }
    }

private:
    void Line(std::string_view text) {
        Text.append(text);
        // Now and then a lone CR, which breaks a line too (where an empty line
        // after it cannot make it part of a CR LF).
        Text.append(FBreak == "\r\n" && FRandom.Chance(20) ? "\r" : FBreak);
        ++FLine;
    }

    std::string NextMessage() {
        static constexpr std::string_view kKinds[] = {"11", "22", "12", "4", "3", "1", "x"};
        std::string message = FMessages.Message(kKinds[FRandom.Below(7)]);
        if (Repeats && FRandom.Chance(4)) {
            // Lines that repeat, for hexdump's "*": the message padded to a whole
            // line, then the same 16 bytes several times, then maybe more.
            message.resize((message.size() + 15) / 16 * 16, '\0');
            const std::string line(16, static_cast<char>(FRandom.Below(256)));
            for (int n = 2 + FRandom.Below(4); n > 0; --n) {
                message += line;
            }
            message += FRandom.Chance(2) ? std::string() : FMessages.Message("x");
        }
        return message;
    }

    void AddMessage(const std::string& message) {
        TStyle style =
            FStyles[static_cast<std::size_t>(FRandom.Below(static_cast<int>(FStyles.size())))];
        if (style == TStyle::Lines && message.size() < 4) {
            style = TStyle::Xxd;
            if (std::find(FStyles.begin(), FStyles.end(), style) == FStyles.end()) {
                return; // a message of fewer than 4 bytes has no line of its own
            }
        }
        TExpectedMessage expected;
        expected.Message = message;
        expected.Layout = LayoutOfStyle(style);
        Between();
        // Milliseconds to seconds apart, now and then hours, over midnight too;
        // but never 12 hours between two times, which would make a day.
        constexpr std::int64_t kHour = 3'600'000'000'000;
        FNow += std::int64_t{1'000'000} * (1 + FRandom.Below(3'000));
        const bool timed = FRandom.Below(5) > 0;
        const std::int64_t jump = kHour * (1 + FRandom.Below(10));
        if (timed && FRandom.Chance(8) && FNow + jump - FLastTimed < 11 * kHour) {
            FNow += jump;
        }
        TTraceTime time;
        const std::string written = FTimes.Write(FNow, FRandom, time);
        if (timed) {
            FLastTimed = FNow;
        }
        if (style == TStyle::Lines) {
            static constexpr std::string_view kPrefixes[] = {"RECV ", "-> ", "<- ATM T1 ",
                                                             "host: ", ""};
            std::string line = timed ? written + " " : "";
            line += kPrefixes[FRandom.Below(5)];
            line += LinesHex(message);
            expected.FirstLine = expected.LastLine = FLine;
            expected.Time = timed ? std::optional(time) : std::nullopt;
            Line(line);
        } else {
            if (timed) {
                Line(FRandom.Chance(2) ? written + " RECV from terminal"
                                       : "[" + written + "] SEND");
                expected.Time = time;
            }
            if (FRandom.Chance(4)) {
                Line("Message follows, len=" + std::to_string(message.size()));
            }
            const TDump dump = DumpOf(style, message);
            expected.FirstLine = FLine;
            expected.LastLine = FLine + dump.LastWithBytes;
            for (const auto& line : dump.Lines) {
                Line(line);
            }
        }
        Expected.push_back(expected);
    }

    // What may stand between two messages: nothing, a blank line, noise.
    void Between() {
        if (FRandom.Chance(4)) {
            Line("");
        }
        if (FRandom.Chance(10)) {
            // NUL bytes, invalid UTF-8, and now and then a very long line.
            std::string noise("-- \x00\xFF\xC3( noise ~", 15);
            if (FRandom.Chance(3)) {
                noise.append(std::size_t{1} << 16, 'x');
            }
            Line(noise);
        }
    }

    TDump DumpOf(TStyle style, std::string_view message) {
        switch (style) {
        case TStyle::Xxd: {
            static constexpr std::size_t kGroups[] = {1, 2, 4, 8};
            const std::size_t group = kGroups[FRandom.Below(4)];
            return XxdDump(message, FRandom.Chance(4) ? 32 : 16, group);
        }
        case TStyle::HexdumpC: return HexdumpCDump(message);
        case TStyle::Od: return OdDump(message);
        case TStyle::Java: return JavaDump(message);
        case TStyle::Netadrd: return NetadrdDump(message);
        case TStyle::Lines: break;
        }
        return {};
    }

    std::string LinesHex(std::string_view message) {
        const bool upper = FRandom.Chance(2);
        switch (FRandom.Below(4)) {
        case 0: return Hex(message, upper);
        case 1: return Hex(message, upper, " ");
        case 2: return Hex(message, upper, ".");
        default: return Hex(message, upper, ":");
        }
    }

    TChoices FRandom;
    TMessageGen FMessages;
    std::vector<TStyle> FStyles;
    TTimeWriter FTimes;
    std::string FBreak;
    std::uint64_t FLine = 1;
    std::int64_t FNow = 0;
    std::int64_t FLastTimed = 0;
};

// A binary stream of messages, each behind the header `framing` puts in front.
inline std::string BinaryStream(const std::vector<std::string>& messages, TFraming framing) {
    std::string stream;
    for (const auto& message : messages) {
        stream += FrameMessage(framing, message).value_or("");
    }
    return stream;
}

} // namespace velquist::test
