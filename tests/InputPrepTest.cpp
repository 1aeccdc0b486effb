#include "velquist/InputPrep.h"

#include <gtest/gtest.h>

#include <string>

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
                                           PairsCase{"4\0"s, "\x04"}));

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

TEST(RemoveSpaces, RemovesBlanksOnly) {
    EXPECT_EQ(RemoveSpaces("31 32 33"), "313233");
    EXPECT_EQ(RemoveSpaces("a\tb\r\nc  d"), "a\tb\r\ncd");
    EXPECT_EQ(RemoveSpaces("abc"), "abc");
    EXPECT_EQ(RemoveSpaces("   "), "");
}

} // namespace
} // namespace velquist
