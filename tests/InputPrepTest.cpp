#include "Prepare.h"
#include "TestUtil.h"
#include "random/SeededRandom.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace velquist {
namespace {

using namespace std::string_literals;

struct PairsCase {
    std::string text;
    std::string bytes;
};

class HexPairs : public ::testing::TestWithParam<PairsCase> {};

TEST_P(HexPairs, EveryCharacterCounts) {
    EXPECT_EQ(HexPairsToBytes(GetParam().text), GetParam().bytes) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Table, HexPairs,
                         ::testing::Values(PairsCase{"3232", "22"}, PairsCase{"32327", "22"},
                                           PairsCase{"31 32", "\x31\x00"s}, PairsCase{"1C", "\x1C"},
                                           PairsCase{"1c", "\x1C"}, PairsCase{"fF00", "\xFF\x00"s},
                                           PairsCase{"", ""}, PairsCase{"3", ""},
                                           // a line break between pairs is a pair of its own
                                           PairsCase{"31\r\n32", "\x31\x00\x32"s},
                                           PairsCase{"zz41", "\x00\x41"s},
                                           PairsCase{"-1+1", "\x00\x00"s},
                                           // "$" + "4" NUL reads as the lone digit 4
                                           PairsCase{"4\0"s, "\x04"}),
                         test::NamedBy(&PairsCase::text));

TEST(SplitLines, SeparatesAtEveryKindOfLineEnd) {
    using Lines = std::vector<std::string_view>;
    EXPECT_EQ(SplitLines(""), Lines{});
    EXPECT_EQ(SplitLines("a"), Lines{"a"});
    EXPECT_EQ(SplitLines("a\r\nb"), (Lines{"a", "b"}));
    EXPECT_EQ(SplitLines("a\r\nb\r\n"), (Lines{"a", "b"}));
    EXPECT_EQ(SplitLines("a\nb\rc"), (Lines{"a", "b", "c"}));
    EXPECT_EQ(SplitLines("a\r\n\r\nb"), (Lines{"a", "", "b"}));
}

// A trace line: 14 columns of offsets, the hex area in columns 15 to 73, then
// the printable rendering of the bytes, which must not be read as hex.
std::string TraceLine(std::string_view offsets, std::string_view hexArea, std::string_view ascii) {
    std::string line(offsets);
    line.resize(14, ' ');
    line.append(hexArea);
    line.resize(73, ' ');
    line.append(ascii);
    return line;
}

TEST(ExtractNetadrdHex, TakesColumns15To73AndDropsBlanks) {
    const std::string line1 =
        TraceLine("0000 00000000", "31311C30 30311C1C 33323130 30303030", "*11.001..3210000*");
    const std::string line2 = TraceLine("0000 00000010", "3031", "*01*");
    EXPECT_EQ(ExtractNetadrdHex({line1, line2}), "31311C3030311C1C33323130303030303031");

    EXPECT_EQ(ExtractNetadrdHex({"12345678901234ABCDEF"}), "ABCDEF");
    EXPECT_EQ(ExtractNetadrdHex({"12345678901234"}), "");
    EXPECT_EQ(ExtractNetadrdHex({"short", ""}), "");
    const std::string wide = std::string(14, '.') + std::string(59, 'A') + "BEYOND";
    EXPECT_EQ(ExtractNetadrdHex({wide}), std::string(59, 'A'));
    // only blanks are removed; a tab stays and later reads as a bad pair
    EXPECT_EQ(ExtractNetadrdHex({"..............3 1 3 2", "..............\t33"}), "3132\t33");
}

TEST(PrepareMessage, ByMode) {
    EXPECT_EQ(PrepareMessage("3232", TInputMode::AsciiHex), "22");
    EXPECT_EQ(PrepareMessage("11~000~~~", TInputMode::String), "11\x1C"
                                                               "000\x1C\x1C\x1C");
    EXPECT_EQ(PrepareMessage("a~b\r\n", TInputMode::String), "a\x1C"
                                                             "b\r\n");
    EXPECT_EQ(PrepareMessage("11~000", TInputMode::None), "11~000");
    EXPECT_EQ(PrepareMessage("..............31 32\r\n..............3 3", TInputMode::Netadrd),
              "123");
    // all lines shorter than 15 characters give an empty message
    EXPECT_EQ(PrepareMessage("short\r\nlines", TInputMode::Netadrd), "");
}

// ---------------------------------------------------------------- text shape

struct ShapeCase {
    std::string input;
    TInputMode mode;
    bool fromFile;
    std::string text;
};

constexpr const char* kModeNames[] = {"none", "hex", "netadrd", "string", "raw"};

void PrintTo(const ShapeCase& c, std::ostream* out) {
    *out << ::testing::PrintToString(c.input) << (c.fromFile ? " from a file" : " as typed")
         << " in " << kModeNames[static_cast<int>(c.mode)] << " mode";
}

class TextShape : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(TextShape, FollowsTheLineBreakRulesOfTheMode) {
    const auto& c = GetParam();
    EXPECT_EQ(ShapeText(c.input, {.Mode = c.mode, .FromFile = c.fromFile}), c.text);
}

INSTANTIATE_TEST_SUITE_P(Table, TextShape,
                         ::testing::Values(
                             // Raw mode: the bytes, whatever their source.
                             ShapeCase{"AB\nC\n", TInputMode::Raw, true, "AB\nC\n"},
                             ShapeCase{"AB\r\n", TInputMode::Raw, true, "AB\r\n"},
                             ShapeCase{"A\rB\nC", TInputMode::Raw, false, "A\rB\nC"},
                             // The other modes: one final line end of a file dropped, every line
                             // break (a lone CR too) CR LF.
                             ShapeCase{"31\n32\n", TInputMode::AsciiHex, true, "31\r\n32"},
                             ShapeCase{"31\r\n32\r\n", TInputMode::Netadrd, true, "31\r\n32"},
                             ShapeCase{"A~B\n\n", TInputMode::String, true, "A~B\r\n"},
                             ShapeCase{"A~B\n", TInputMode::String, false, "A~B\r\n"},
                             ShapeCase{"1~001\r~002", TInputMode::String, false, "1~001\r\n~002"},
                             ShapeCase{"a\r\rb\r", TInputMode::None, false, "a\r\n\r\nb\r\n"},
                             ShapeCase{"a\n\r\r\nb", TInputMode::AsciiHex, false, "a\r\n\r\n\r\nb"},
                             ShapeCase{"3232\r", TInputMode::AsciiHex, true,
                                       "3232\r\n"}, // a CR does not end a file
                             ShapeCase{"3232\n\n", TInputMode::AsciiHex, true, "3232\r\n"},
                             ShapeCase{"\n", TInputMode::String, true, ""}),
                         test::NamedBy([](const ShapeCase& c) {
                             return std::string(kModeNames[static_cast<int>(c.mode)]) +
                                    (c.fromFile ? " file " : " typed ") + c.input;
                         }));

// Against the rule read one character at a time, on texts of nothing but
// line-end characters and letters.
TEST(TextShape, EveryLineBreakBecomesCrLf) {
    TSeededRandom random(14);
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        const auto length = random.Below(24);
        for (std::uint64_t i = 0; i < length; ++i) {
            text.push_back("\r\nab"[random.Below(4)]);
        }
        std::string expected;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\r' || text[i] == '\n') {
                expected += "\r\n";
                i += text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 1 : 0;
            } else {
                expected += text[i];
            }
        }
        EXPECT_EQ(WithCrLfBreaks(text), expected) << ::testing::PrintToString(text);
    }
}

TEST(RemoveSpaces, RemovesBlanksOnly) {
    EXPECT_EQ(RemoveSpaces("31 32 33"), "313233");
    EXPECT_EQ(RemoveSpaces("a\tb\r\nc  d"), "a\tb\r\ncd");
    EXPECT_EQ(RemoveSpaces("abc"), "abc");
    EXPECT_EQ(RemoveSpaces("   "), "");
    EXPECT_EQ(RemoveSpaces(std::u16string_view(u"3 \u00A0\u0416 1")), u"3\u00A0\u04161");
}

// ---------------------------------------------------------------- input map

using Spans = std::vector<TByteRange>;

// The input text of the spans, each put in brackets.
std::string Marked(std::string_view text, const Spans& spans) {
    std::string marked;
    for (const TByteRange& span : spans) {
        marked.append("[").append(text.substr(span.Offset, span.Length)).append("]");
    }
    return marked;
}

TEST(InputMap, AsciiHexPairs) {
    const std::string text = "311C30313";
    const TPreparedInput prepared = PrepareInput(text, TInputMode::AsciiHex);
    EXPECT_EQ(prepared.Message, "1\x1C"
                                "01");
    EXPECT_EQ(Marked(text, prepared.Map.TextSpans({1, 2})), "[1C30]");
    EXPECT_EQ(Marked(text, prepared.Map.TextSpans({3, 5})), "[31]"); // clipped to the message
    EXPECT_EQ(Marked(text, prepared.Map.TextSpans({4, 1})), "");
    EXPECT_EQ(prepared.Map.ByteAt(0), 0u);
    EXPECT_EQ(prepared.Map.ByteAt(3), 1u);
    EXPECT_EQ(prepared.Map.ByteAt(8), std::nullopt); // the odd last digit wrote nothing
}

TEST(InputMap, StringModeAndNoModeOneCharacterPerByte) {
    for (const TInputMode mode : {TInputMode::String, TInputMode::None, TInputMode::Raw}) {
        const std::string text = "12~001";
        const TPreparedInput prepared = PrepareInput(text, mode);
        EXPECT_EQ(prepared.Message, PrepareMessage(text, mode));
        EXPECT_EQ(Marked(text, prepared.Map.TextSpans({2, 2})), "[~0]");
        EXPECT_EQ(prepared.Map.ByteAt(5), 5u);
        EXPECT_EQ(prepared.Map.ByteAt(6), std::nullopt);
    }
}

// A pair split by blanks or over two trace lines is found in both places; the
// offset columns and the printable rendering wrote no byte.
TEST(InputMap, NetadrdPairsAcrossBlanksAndLines) {
    const std::string line1 = TraceLine("0000 00000000", "31 31 1C 3", "*11.*");
    const std::string line2 = TraceLine("0000 00000010", "0 30", "*00*");
    const std::string text = line1 + "\r\n" + line2;
    const TPreparedInput prepared = PrepareInput(text, TInputMode::Netadrd);
    EXPECT_EQ(prepared.Message, PrepareMessage(text, TInputMode::Netadrd));
    EXPECT_EQ(prepared.Message, "11\x1C"
                                "00");

    EXPECT_EQ(Marked(text, prepared.Map.TextSpans({0, 3})), "[31 31 1C]");
    EXPECT_EQ(Marked(text, prepared.Map.TextSpans({3, 1})), "[3][0]"); // over the line end
    EXPECT_EQ(Marked(text, prepared.Map.TextSpans({0, 5})), "[31 31 1C 3][0 30]");

    const std::size_t line2Start = line1.size() + 2;
    EXPECT_EQ(prepared.Map.ByteAt(14), 0u);
    EXPECT_EQ(prepared.Map.ByteAt(16), std::nullopt); // a blank between pairs
    EXPECT_EQ(prepared.Map.ByteAt(23), 3u);
    EXPECT_EQ(prepared.Map.ByteAt(line2Start + 14), 3u);
    EXPECT_EQ(prepared.Map.ByteAt(line2Start + 17), 4u);
    EXPECT_EQ(prepared.Map.ByteAt(3), std::nullopt);  // offset columns
    EXPECT_EQ(prepared.Map.ByteAt(74), std::nullopt); // printable rendering
}

// Every byte's spans lead back to that byte, in every mode.
TEST(InputMap, SpansAndByteAtAgree) {
    const std::string trace = TraceLine("0000 00000000", "31 3 1 1C 41", "") + "\n" +
                              TraceLine("0000 00000010", "4 2 43", "");
    const std::pair<TInputMode, std::string> inputs[] = {
        {TInputMode::AsciiHex, "31311C414243"},
        {TInputMode::Netadrd, trace},
        {TInputMode::String, "11~ABC"},
    };
    for (const auto& [mode, text] : inputs) {
        const TPreparedInput prepared = PrepareInput(text, mode);
        ASSERT_EQ(prepared.Message.size(), 6u);
        for (std::size_t byte = 0; byte < prepared.Message.size(); ++byte) {
            const Spans spans = prepared.Map.TextSpans({byte, 1});
            ASSERT_FALSE(spans.empty());
            for (const TByteRange& span : spans) {
                for (std::size_t at = span.Offset; at < span.End(); ++at) {
                    if (text[at] != ' ') {
                        EXPECT_EQ(prepared.Map.ByteAt(at), byte) << text << " @" << at;
                    }
                }
            }
        }
    }
}

} // namespace
} // namespace velquist
