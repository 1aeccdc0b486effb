// The trace reader: one walk over the text, line by line (or frame by frame for
// a binary stream), that yields each message when its last line has been read.
// Reading a message again walks only its own text with the layout it was read
// in, and can note where each byte stands.

#include "TraceParse.h"
#include "velquist/Framing.h"
#include "velquist/Trace.h"

#include "HexText.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>

namespace velquist {

using namespace trace;

namespace {

constexpr std::array kLayouts = {TTraceLayout::Auto,  TTraceLayout::Dump, TTraceLayout::Netadrd,
                                 TTraceLayout::Lines, TTraceLayout::Be2,  TTraceLayout::Le2,
                                 TTraceLayout::Ascii4};
constexpr std::array<std::string_view, kLayouts.size()> kLayoutNames = {
    "auto", "dump", "netadrd", "lines", "be2", "le2", "ascii4"};

// A run of bytes that hexdump's "*" stands for is believed up to this size; a
// larger gap in the offsets starts a new message instead.
constexpr std::uint64_t kMostRepeatedBytes = std::uint64_t{1} << 20;

// A message's text is at most this long, so an index can keep its length in 32 bits.
constexpr std::size_t kMostMessageText = UINT32_MAX;

// Places each time on the trace's clock, rolling dateless times over midnight.
// The clock stops rolling after kMostDays (some 270 years of midnights, which only
// a trace made to go back and forth in time reaches), so that its nanoseconds and
// the difference of any two fit in 64 bits.
class TTraceClock {
public:
    static constexpr std::int64_t kMostDays = 100'000;

    TTraceTime Place(const TFoundTime& found) {
        constexpr std::int64_t kHalfDay = kNanosecondsPerDay / 2;
        if (found.Day) {
            FDay = *found.Day;
        }
        std::int64_t at = FDay * kNanosecondsPerDay + found.TimeOfDay;
        if (!found.Day && FLast && at < *FLast - kHalfDay && FDay < kMostDays) {
            ++FDay;
            at += kNanosecondsPerDay;
        }
        FLast = at;
        return {at, found.Day.has_value()};
    }

private:
    std::int64_t FDay = 0;
    std::optional<std::int64_t> FLast;
};

// Hex digits into bytes, a pair at a time, noting where each byte's digits stand
// when asked to.
class TByteBuilder {
public:
    void Start(std::string& out, std::vector<TBytePlace>* places) {
        FOut = &out;
        FPlaces = places;
        FHigh = kNone;
    }

    void Digit(int value, std::size_t at) {
        if (FHigh == kNone) {
            FHigh = at;
            FHighValue = value;
            return;
        }
        FOut->push_back(static_cast<char>(FHighValue * 16 + value));
        if (FPlaces != nullptr) {
            FPlaces->push_back({FHigh, at, TBytePlace::kNowhere});
        }
        FHigh = kNone;
    }

    // Every hex digit of text[begin, end), the others skipped.
    void Digits(std::string_view text, std::size_t begin, std::size_t end) {
        for (std::size_t at = begin; at < end; ++at) {
            const int value = HexDigitValue(text[at]);
            if (value >= 0) {
                Digit(value, at);
            }
        }
    }

    // Drops a digit left without its pair; true when there was one.
    bool DropOdd() {
        const bool odd = FHigh != kNone;
        FHigh = kNone;
        return odd;
    }

    // Notes the ASCII column of the bytes from `first` on: byte first + i shows at ascii + i.
    void Ascii(std::size_t first, std::size_t ascii, std::size_t lineEnd) {
        if (FPlaces == nullptr || ascii == kNone) {
            return;
        }
        for (std::size_t i = first; i < FPlaces->size() && ascii + (i - first) < lineEnd; ++i) {
            (*FPlaces)[i].Ascii = ascii + (i - first);
        }
    }

    std::vector<TBytePlace>* Places() const { return FPlaces; }

private:
    std::string* FOut = nullptr;
    std::vector<TBytePlace>* FPlaces = nullptr;
    std::size_t FHigh = kNone;
    int FHighValue = 0;
};

} // namespace

// ---- The walk ----------------------------------------------------------------------

class TTraceParser {
public:
    TTraceParser(std::string_view text, std::size_t begin, std::size_t end, TTraceLayout layout,
                 std::uint64_t firstLine)
        : FText(text), FPos(begin), FEnd(end), FLayout(layout), FLine(firstLine), FLineAt(begin),
          FFraming(TraceLayoutFraming(layout)), FLines(text, end) {}

    bool Next(TTraceRecord& record, std::vector<TBytePlace>* places) {
        FRecord = &record;
        FBuilder.Start(record.Message, places);
        record.Message.clear();
        if (places != nullptr) {
            places->clear();
        }
        return FFraming ? NextFrame() : NextMessage();
    }

    std::size_t Position() const { return FPos; }

private:
    enum class TOpen : std::uint8_t { None, Dump, Netadrd };
    enum class TFate : std::uint8_t { Taken, TakenLast, NotTaken };

    bool Allows(TTraceLayout layout) const {
        return FLayout == layout || FLayout == TTraceLayout::Auto;
    }

    // ---- Text layouts

    bool NextMessage() {
        while (FPos < FEnd) {
            const TLine line = FLines.At(FPos);
            if (FOpen != TOpen::None) {
                const TFate fate =
                    FOpen == TOpen::Dump ? ContinueDump(line) : ContinueNetadrd(line);
                if (fate == TFate::NotTaken) {
                    return Finish(); // the line is read again for what follows
                }
                Advance(line);
                if (fate == TFate::TakenLast) {
                    return Finish();
                }
                continue;
            }
            const bool complete = Start(line);
            Advance(line);
            if (complete) {
                return Finish();
            }
        }
        return FOpen != TOpen::None && Finish();
    }

    void Advance(const TLine& line) {
        FPos = line.Next;
        FLine += line.Next > line.Begin + line.Text.size() ? 1 : 0;
    }

    // A line outside any message: it starts one, is one, or is a header.
    bool Start(const TLine& line) {
        const std::string_view text = line.Text;
        // A message's text is counted in 32 bits: a longer line opens none.
        const bool fits = text.size() <= kMostMessageText;
        if (fits && (FLayout == TTraceLayout::Auto || FLayout == TTraceLayout::Netadrd)) {
            const auto netadrd = ParseNetadrdLine(text);
            if (netadrd && (netadrd->Signature || FLayout == TTraceLayout::Netadrd)) {
                Open(TOpen::Netadrd, line, TTraceLayout::Netadrd);
                TakeNetadrd(line, *netadrd);
                return false;
            }
        }
        if (fits && Allows(TTraceLayout::Dump)) {
            const auto dump = ParseDumpLine(text, FScratch);
            if (dump &&
                (FLayout == TTraceLayout::Dump || dump->Offset == 0 || dump->AsciiBegin != kNone)) {
                Open(TOpen::Dump, line, TTraceLayout::Dump);
                TakeDump(line, *dump);
                return false;
            }
        }
        const auto time = FindTimestamp(text);
        if (Allows(TTraceLayout::Lines)) {
            const auto run = FindHexRun(text, time ? time->End : 0);
            if (run && run->Digits >= 8 && run->End - run->Begin <= kMostMessageText) {
                Open(TOpen::None, line, TTraceLayout::Lines); // complete with this line
                if (time) {
                    FTime = time;
                }
                FRecord->TextBegin = line.Begin + run->Begin;
                FRecord->TextEnd = line.Begin + run->End;
                FBuilder.Digits(FText, FRecord->TextBegin, FRecord->TextEnd);
                FRecord->OddDigit = FBuilder.DropOdd();
                return true;
            }
        }
        if (time) {
            FTime = time; // the nearest header with a time so far
        }
        return false;
    }

    // A message starts with the line; it stays open for more lines as `open` says.
    void Open(TOpen open, const TLine& line, TTraceLayout layout) {
        FOpen = open;
        FRecord->TextBegin = line.Begin;
        FRecord->TextEnd = line.Begin + line.Text.size();
        FRecord->FirstLine = FLine;
        FRecord->LastLine = FLine;
        FRecord->OddDigit = false;
        FRecord->Truncated = false;
        FRecord->Layout = layout;
        FRepeat = kNone;
    }

    bool Finish() {
        if (FOpen == TOpen::Netadrd) {
            FRecord->OddDigit = FBuilder.DropOdd() || FRecord->OddDigit;
        }
        FOpen = TOpen::None;
        FRecord->Time = FTime ? std::optional(FClock.Place(*FTime)) : std::nullopt;
        FTime.reset();
        return true;
    }

    // Whether the message may take the line: its text stays within what an index keeps.
    bool Fits(const TLine& line) const {
        return line.Begin + line.Text.size() - FRecord->TextBegin <= kMostMessageText;
    }

    void Took(const TLine& line, bool bytes) {
        FRecord->TextEnd = line.Begin + line.Text.size();
        if (bytes) {
            FRecord->LastLine = FLine;
        }
    }

    // ---- Dumps

    void TakeDump(const TLine& line, const TDumpLine& dump) {
        if (FBuilder.Places() == nullptr) {
            // The bytes as the line was parsed: the walk reads each digit once.
            FRecord->Message.append(reinterpret_cast<const char*>(FScratch.Bytes.data()),
                                    dump.Bytes);
        } else {
            const std::size_t first = FBuilder.Places()->size();
            FBuilder.Digits(FText, line.Begin + dump.HexBegin, line.Begin + dump.HexEnd);
            FBuilder.DropOdd();
            if (dump.AsciiBegin != kNone) {
                FBuilder.Ascii(first, line.Begin + dump.AsciiBegin, line.Begin + line.Text.size());
            }
        }
        FRecord->OddDigit = FRecord->OddDigit || dump.OddDigit;
        FNextOffset = dump.Offset + dump.Bytes;
        FLineBytes = dump.Bytes;
        Took(line, dump.Bytes > 0);
    }

    TFate ContinueDump(const TLine& line) {
        if (!Fits(line)) {
            return TFate::NotTaken;
        }
        if (const auto dump = ParseDumpLine(line.Text, FScratch)) {
            if (dump->Offset == 0 || !Repeat(dump->Offset) || dump->Offset != FNextOffset) {
                return TFate::NotTaken;
            }
            TakeDump(line, *dump);
            return TFate::Taken;
        }
        if (IsRepeatLine(line.Text)) {
            if (FRepeat != kNone || FLineBytes == 0) {
                return TFate::NotTaken;
            }
            FRepeat = line.Begin + line.Text.find('*');
            FRepeatLine = FLine;
            Took(line, false);
            return TFate::Taken;
        }
        if (const auto closing = ParseOffsetOnly(line.Text)) {
            if (!Repeat(*closing) || *closing != FNextOffset) {
                return TFate::NotTaken;
            }
            Took(line, false);
            return TFate::TakenLast;
        }
        return TFate::NotTaken;
    }

    // The bytes a "*" before the line of offset `offset` stands for; false when
    // they cannot be (the offset does not continue the count in whole lines).
    bool Repeat(std::uint64_t offset) {
        if (FRepeat == kNone) {
            return true;
        }
        const std::size_t star = FRepeat;
        FRepeat = kNone;
        if (offset < FNextOffset || (offset - FNextOffset) % FLineBytes != 0 ||
            offset - FNextOffset > kMostRepeatedBytes) {
            return false;
        }
        std::string& message = FRecord->Message;
        const std::size_t lineStart = message.size() - FLineBytes;
        for (std::uint64_t n = (offset - FNextOffset) / FLineBytes; n > 0; --n) {
            message.append(message, lineStart, FLineBytes);
            if (auto* places = FBuilder.Places()) {
                places->insert(places->end(), FLineBytes,
                               TBytePlace{star, star, TBytePlace::kNowhere});
            }
        }
        if (offset > FNextOffset) {
            FRecord->LastLine = FRepeatLine;
        }
        FNextOffset = offset;
        return true;
    }

    // ---- NETADRD blocks

    void TakeNetadrd(const TLine& line, const TNetadrdLine& netadrd) {
        const std::size_t first = FBuilder.Places() ? FBuilder.Places()->size() : 0;
        FBuilder.Digits(FText, line.Begin + kNetadrdHexBegin, line.Begin + netadrd.HexEnd);
        if (netadrd.AsciiBegin != kNone) {
            FBuilder.Ascii(first, line.Begin + netadrd.AsciiBegin, line.Begin + line.Text.size());
        }
        Took(line, true);
    }

    TFate ContinueNetadrd(const TLine& line) {
        const auto netadrd = ParseNetadrdLine(line.Text);
        if (!Fits(line) || !netadrd || (FLayout == TTraceLayout::Auto && !netadrd->Signature) ||
            (netadrd->Signature && netadrd->Offset == 0)) {
            return TFate::NotTaken;
        }
        TakeNetadrd(line, *netadrd);
        return TFate::Taken;
    }

    // ---- Binary streams

    bool NextFrame() {
        const TFraming framing = *FFraming;
        const std::size_t header = HeaderLength(framing);
        while (FEnd - FPos >= header && FPos < FEnd) {
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(FText.data() + FPos);
            const auto announced = AnnouncedLength(framing, {bytes, header});
            if (!announced) {
                ++FPos; // not a header: look for one at the next byte
                continue;
            }
            const std::size_t begin = FPos + header;
            if (*announced == 0) {
                FPos = begin; // a keep-alive carries no message
                continue;
            }
            const std::size_t end = std::min(FEnd, begin + *announced);
            TTraceRecord& record = *FRecord;
            record.Layout = FLayout;
            record.TextBegin = FPos;
            record.TextEnd = end;
            record.FirstLine = LineOf(FPos);
            record.LastLine = LineOf(end - 1);
            record.Time.reset();
            record.OddDigit = false;
            record.Truncated = end < begin + *announced;
            record.Message.assign(FText.substr(begin, end - begin));
            if (auto* places = FBuilder.Places()) {
                for (std::size_t at = begin; at < end; ++at) {
                    places->push_back({at, at, TBytePlace::kNowhere});
                }
            }
            FPos = end;
            return true;
        }
        FPos = FEnd;
        return false;
    }

    // The line of the byte at `at`, counting from where the last count stopped.
    std::uint64_t LineOf(std::size_t at) {
        FLine += CountLineBreaks(FText, FLineAt, at, FEnd);
        FLineAt = at;
        return FLine;
    }

    std::string_view FText;
    std::size_t FPos;
    std::size_t FEnd;
    TTraceLayout FLayout;
    std::uint64_t FLine; // the number of the line at FPos (text), or at FLineAt (binary)
    std::size_t FLineAt;
    std::optional<TFraming> FFraming;
    TLineFinder FLines;

    TTraceRecord* FRecord = nullptr;
    TByteBuilder FBuilder;
    TDumpScratch FScratch;
    TTraceClock FClock;
    std::optional<TFoundTime> FTime; // of the message to come

    TOpen FOpen = TOpen::None;
    std::uint64_t FNextOffset = 0; // the offset that continues the dump
    std::size_t FLineBytes = 0;    // bytes on its last line
    std::size_t FRepeat = kNone;   // where a "*" waits for the next offset
    std::uint64_t FRepeatLine = 0;
};

// ---- Public face -----------------------------------------------------------------------

std::string_view TraceLayoutName(TTraceLayout layout) {
    return kLayoutNames[static_cast<std::size_t>(layout)];
}

std::optional<TTraceLayout> TraceLayoutFromName(std::string_view name) {
    const auto found = std::find(kLayoutNames.begin(), kLayoutNames.end(), name);
    return found == kLayoutNames.end()
               ? std::nullopt
               : std::optional(kLayouts[static_cast<std::size_t>(found - kLayoutNames.begin())]);
}

std::span<const TTraceLayout> AllTraceLayouts() {
    return kLayouts;
}

std::optional<TFraming> TraceLayoutFraming(TTraceLayout layout) {
    switch (layout) {
    case TTraceLayout::Be2: return TFraming::Be16;
    case TTraceLayout::Le2: return TFraming::Le16;
    case TTraceLayout::Ascii4: return TFraming::Ascii4;
    default: return std::nullopt;
    }
}

std::string FormatTraceTime(TTraceTime time, char separator) {
    const std::int64_t day =
        time.Nanoseconds >= 0
            ? time.Nanoseconds / kNanosecondsPerDay
            : -((-time.Nanoseconds + kNanosecondsPerDay - 1) / kNanosecondsPerDay);
    const std::int64_t ofDay = time.Nanoseconds - day * kNanosecondsPerDay;
    const std::int64_t micros = ofDay / 1000;
    const std::int64_t seconds = micros / 1'000'000;
    char text[48];
    int length = 0;
    if (time.HasDate) {
        const std::chrono::year_month_day date{std::chrono::sys_days(std::chrono::days(day))};
        length = std::snprintf(text, sizeof text, "%04d-%02u-%02u%c", static_cast<int>(date.year()),
                               static_cast<unsigned>(date.month()),
                               static_cast<unsigned>(date.day()), separator);
    }
    length += std::snprintf(text + length, sizeof text - static_cast<std::size_t>(length),
                            "%02lld:%02lld:%02lld.%06lld", static_cast<long long>(seconds / 3600),
                            static_cast<long long>(seconds / 60 % 60),
                            static_cast<long long>(seconds % 60),
                            static_cast<long long>(micros % 1'000'000));
    return std::string(text, static_cast<std::size_t>(length));
}

std::string FormatSeconds(std::chrono::nanoseconds duration, bool allDecimals) {
    const std::int64_t micros = duration.count() / 1000; // truncated toward zero
    const std::uint64_t magnitude =
        micros < 0 ? 0 - static_cast<std::uint64_t>(micros) : static_cast<std::uint64_t>(micros);
    std::string text = micros < 0 ? "-" : "";
    text += std::to_string(magnitude / 1'000'000);
    const std::uint64_t fraction = magnitude % 1'000'000;
    if (fraction != 0 || allDecimals) {
        std::string digits = std::to_string(fraction);
        digits.insert(0, 6 - digits.size(), '0');
        if (!allDecimals) {
            digits.erase(digits.find_last_not_of('0') + 1);
        }
        text += "." + digits;
    }
    return text;
}

TTraceReader::TTraceReader(std::string_view text, TTraceLayout layout)
    : FParser(std::make_unique<TTraceParser>(text, 0, text.size(), layout, 1)) {}
TTraceReader::TTraceReader(TTraceReader&&) noexcept = default;
TTraceReader& TTraceReader::operator=(TTraceReader&&) noexcept = default;
TTraceReader::~TTraceReader() = default;

bool TTraceReader::Next(TTraceRecord& record) {
    return FParser->Next(record, nullptr);
}

std::size_t TTraceReader::Position() const {
    return FParser->Position();
}

std::vector<TByteRange> TTraceMessage::TextSpans(TByteRange bytes) const {
    std::vector<TByteRange> spans;
    const std::size_t end = std::min(bytes.End(), FPlaces.size());
    const auto add = [&](std::size_t at) {
        if (!spans.empty()) {
            TByteRange& last = spans.back();
            if (at >= last.Offset && at < last.End()) {
                return;
            }
            if (at >= last.End()) {
                const std::string_view gap = FText.substr(last.End(), at - last.End());
                if (gap.find_first_not_of(' ') == std::string_view::npos) {
                    last.Length = at + 1 - last.Offset;
                    return;
                }
            }
        }
        spans.push_back({at, 1});
    };
    for (std::size_t i = bytes.Offset; i < end; ++i) {
        add(FPlaces[i].High);
        add(FPlaces[i].Low);
    }
    return spans;
}

std::optional<std::size_t> TTraceMessage::ByteAt(std::size_t position) const {
    // The places stand in text order (a "*" line's between the lines around it),
    // so the first place not before `position` is the one that may hold it; of
    // the bytes a "*" repeats, the first.
    const auto found =
        std::partition_point(FPlaces.begin(), FPlaces.end(),
                             [position](const TBytePlace& place) { return place.Low < position; });
    if (found == FPlaces.end() || (found->High != position && found->Low != position)) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(found - FPlaces.begin());
}

TByteRange TraceLinesAround(std::string_view text, std::size_t begin, std::size_t end) {
    end = std::min(end, text.size());
    begin = std::min(begin, end);
    std::size_t first = 0;
    if (begin > 0) {
        const std::size_t before = text.find_last_of("\r\n", begin - 1);
        first = before == std::string_view::npos ? 0 : before + 1;
    }
    const std::size_t last = std::min(text.find_first_of("\r\n", end), text.size());
    return {first, last - first};
}

TTraceMessage ReadTraceMessage(std::string_view text, std::size_t begin, std::size_t end,
                               TTraceLayout layout, std::uint64_t firstLine, bool places) {
    TTraceMessage read;
    read.FText = text;
    end = std::min(end, text.size());
    begin = std::min(begin, end);
    TTraceParser parser(text, begin, end, layout, firstLine);
    TTraceRecord record;
    if (parser.Next(record, places ? &read.FPlaces : nullptr)) {
        read.Message = std::move(record.Message);
        read.FirstLine = record.FirstLine;
        read.LastLine = record.LastLine;
        read.OddDigit = record.OddDigit;
        read.Truncated = record.Truncated;
    } else {
        read.FPlaces.clear();
    }
    return read;
}

} // namespace velquist
