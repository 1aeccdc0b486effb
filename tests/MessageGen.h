#pragma once

// Random messages of every class, for property tests: realistic in shape (the
// fields each class reads, with the characters its decoders look at), hostile in
// content (control bytes, CR LF, "%", bytes above 0x7F, empty and missing
// fields). The same seed gives the same messages on every machine.

#include "SeededRandom.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace velquist::test {

// A seed for the messages of one kind: `base` mixed with the kind's characters
// (FNV-1a), the same on every machine, as std::hash is not.
inline std::uint64_t SeedFor(std::uint64_t base, std::string_view kind) {
    std::uint64_t seed = base ^ 0xCBF29CE484222325;
    for (const char c : kind) {
        seed = (seed ^ static_cast<unsigned char>(c)) * 0x100000001B3;
    }
    return seed;
}

class TMessageGen {
public:
    explicit TMessageGen(std::uint64_t seed) : FRandom(seed) {}

    // A message of the class the template names: "11" consumer request, "22"
    // solicited status, "12" unsolicited status, "4" function command, "3"
    // write command, "1" operational command, anything else no class.
    std::string Message(std::string_view kind) {
        std::vector<std::string> fields;
        if (kind == "11") {
            fields = {"11",    Text(4), Text(2), Text(8),   Text(3),
                      Track(), Track(), Text(8), Digits(8), Text(16)};
            for (int extra = Below(4); extra > 0; --extra) {
                fields.push_back(Chance(2) ? "6" + Text(8) : Text(6));
            }
        } else if (kind == "22") {
            fields = {"22", Text(4), Text(2), Cat({Pick("89ABCDJ5"), Text(3)}), SubFields()};
        } else if (kind == "12") {
            fields = {"12", Text(4), Text(2), Cat({Pick("123456789"), Hex(6)})};
        } else if (kind == "4") {
            fields = {"4" + Text(1),     Text(4),      Text(4),         Text(4),
                      Digits(Below(12)), FunctionId(), CardAndPrinter()};
        } else if (kind == "3") {
            fields = {"3", Text(4), Text(4), Cat({Pick("123"), Pick("1235;<=@A36?9")}),
                      Digits(Below(40))};
        } else if (kind == "1") {
            fields = {"1" + Pick("03456789"), Text(4), Text(4), Cat({Pick("0123456789"), Text(2)})};
        } else {
            fields = {Cat({Pick("0256789ABZ"), Text(3)})};
            for (int extra = Below(6); extra > 0; --extra) {
                fields.push_back(Text(12));
            }
        }
        if (Chance(5)) {
            fields.resize(static_cast<std::size_t>(Below(static_cast<int>(fields.size()))) + 1);
        }
        std::string message;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            message += (i == 0 ? "" : "\x1C") + fields[i];
        }
        return message;
    }

private:
    // The parts joined in the order written: a braced list is evaluated left to
    // right, the operands of "+" in an order each compiler chooses (and the
    // random draws with it).
    static std::string Cat(std::initializer_list<std::string> parts) {
        std::string joined;
        for (const std::string& part : parts) {
            joined += part;
        }
        return joined;
    }

    int Below(int n) { return static_cast<int>(FRandom.Below(static_cast<std::uint64_t>(n))); }
    bool Chance(int oneIn) { return Below(oneIn) == 0; }
    std::string Pick(std::string_view from) {
        return std::string(1, from[static_cast<std::size_t>(Below(static_cast<int>(from.size())))]);
    }

    // Up to `most` characters: mostly the terminal's digits, with the
    // characters that decoders and line splitting look at.
    std::string Text(int most) {
        static constexpr char kAll[] =
            "0123456789:;<=>?ABCDJ@ %=\r\n\x0E\x0F\x1B\x0C\x1D\x7F\xE9\xFF\0";
        constexpr std::string_view kCharacters(kAll, sizeof kAll - 1); // the NUL included
        std::string text;
        for (int n = Below(most + 1); n > 0; --n) {
            text += Chance(3) ? Pick(kCharacters.substr(10)) : Pick(kCharacters.substr(0, 10));
        }
        return text;
    }
    std::string Digits(int count) {
        std::string digits;
        for (int i = 0; i < count; ++i) {
            digits += Pick("0123456789");
        }
        return digits;
    }
    std::string Hex(int most) {
        std::string hex;
        for (int n = Below(most + 1); n > 0; --n) {
            hex += Pick("0123456789ABCDEFabcdZ");
        }
        return hex;
    }
    std::string Track() {
        if (Chance(6)) {
            return Text(10);
        }
        return Cat({Chance(2) ? ";" : "", Digits(8 + Below(12)), "=", Digits(Below(20)),
                    Chance(2) ? "?" : ""});
    }
    std::string SubFields() {
        std::string field;
        for (int n = Below(5); n >= 0; --n) {
            field += Cat({Pick("123;<=>?@ABCD4"), Chance(3) ? Digits(Below(70)) : Text(12)});
            field += n > 0 ? "\x1D" : "";
        }
        return field;
    }
    std::string FunctionId() {
        std::string field = Cat({Digits(4), Pick("4589=?ABHZ1:"), Digits(6)});
        for (int n = Below(4); n > 0; --n) {
            field += Cat({"\x0F", Pick("ABCJ"), Pick("ABC5"), Text(10)});
        }
        return field.substr(0, static_cast<std::size_t>(Below(static_cast<int>(field.size()) + 1)));
    }
    std::string CardAndPrinter() {
        std::string field = Cat({Pick("0123456789"), Pick("012"), Pick("01234")});
        for (int n = Below(6); n > 0; --n) {
            field += Cat({Text(8), Chance(2) ? "\n" : "", Chance(3) ? "\x0E" + Pick("03?") : "",
                          Chance(4) ? "\x1BX" : "", Chance(4) ? "\x0C" : ""});
        }
        return field;
    }

    TSeededRandom FRandom;
};

} // namespace velquist::test
