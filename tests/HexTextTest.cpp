#include "HexText.h"
#include "TestUtil.h"
#include "TextOut.h"

#include <gtest/gtest.h>

#include <string>

namespace velquist {
namespace {

using namespace std::string_literals;

TEST(HexDump, WritesPairsWithSeparatorBetweenNeighboursOnly) {
    EXPECT_EQ(HexDump("22", " "), "32 32");
    EXPECT_EQ(HexDump("A\x1C", ""), "411C");
    EXPECT_EQ(HexDump("1", " "), "31");
    EXPECT_EQ(HexDump("", " "), "");
    EXPECT_EQ(HexDump("", ""), "");
    EXPECT_EQ(HexDump("\x00\xFF\x7F"s, "--"), "00--FF--7F");
    EXPECT_EQ(HexDump("ab", ", "), "61, 62");
}

TEST(HexDump, AppendKeepsWhatIsThere) {
    std::string out = "x=";
    AppendHexDump(out, "\x0A\x0D", " ");
    EXPECT_EQ(out, "x=0A 0D");
}

TEST(NibbleDump, ShowsLowFourBitsOfEachByte) {
    EXPECT_EQ(NibbleDump("12:;", ""), "12AB");
    EXPECT_EQ(NibbleDump("?", ""), "F");
    EXPECT_EQ(NibbleDump("0", ""), "0");
    EXPECT_EQ(NibbleDump("A", ""), "1");
    EXPECT_EQ(NibbleDump("<=>", " "), "C D E");
    EXPECT_EQ(NibbleDump("", " "), "");
    EXPECT_EQ(NibbleDump("\xFF\x00"s, ""), "F0");
}

TEST(StrToHex, IsHexDumpWithoutSeparator) {
    EXPECT_EQ(StrToHex(""), "");
    EXPECT_EQ(StrToHex("1"), "31");
    EXPECT_EQ(StrToHex("20"), "3230");
    EXPECT_EQ(StrToHex("\x1C\x80"), "1C80");
}

struct IntCase {
    std::string text;
    std::int32_t expected;
};

class IntFromTextTest : public ::testing::TestWithParam<IntCase> {};

TEST_P(IntFromTextTest, ConvertsOrGivesDefault) {
    EXPECT_EQ(IntFromText(GetParam().text, -99), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, IntFromTextTest,
    ::testing::Values(
        // decimal, blanks and signs
        IntCase{"12", 12}, IntCase{" 12", 12}, IntCase{"   7", 7}, IntCase{"-7", -7},
        IntCase{"+7", 7}, IntCase{"012", 12}, IntCase{"0", 0}, IntCase{"-0", 0}, IntCase{" -1", -1},
        // invalid decimal texts
        IntCase{"", -99}, IntCase{" ", -99}, IntCase{"-", -99}, IntCase{"+", -99},
        IntCase{"12 ", -99}, IntCase{"1A", -99}, IntCase{"- 1", -99}, IntCase{"--1", -99},
        IntCase{"\t1", -99}, IntCase{"1.0", -99}, IntCase{"1e3", -99},
        // hexadecimal prefixes, either case of digits
        IntCase{"$1c", 28}, IntCase{"$1C", 28}, IntCase{"x1F", 31}, IntCase{"X1F", 31},
        IntCase{"0x10", 16}, IntCase{"0X10", 16}, IntCase{"-$10", -16}, IntCase{"+x10", 16},
        IntCase{" $ff", 255}, IntCase{"$0", 0},
        // invalid hexadecimal texts
        IntCase{"$", -99}, IntCase{"x", -99}, IntCase{"0x", -99}, IntCase{"$g", -99},
        IntCase{"$1 ", -99}, IntCase{"$ 1", -99}, IntCase{"$-1", -99}, IntCase{"0x-1", -99},
        // 32-bit limits
        IntCase{"2147483647", 2147483647}, IntCase{"-2147483648", INT32_MIN},
        IntCase{"2147483648", -99}, IntCase{"-2147483649", -99},
        IntCase{"99999999999999999999", -99}, IntCase{"$FFFFFFFF", -1},
        IntCase{"$7FFFFFFF", 2147483647}, IntCase{"$80000000", INT32_MIN}, IntCase{"$000000001", 1},
        IntCase{"$100000000", -99}, IntCase{"-$FFFFFFFF", 1}, IntCase{"-$80000000", INT32_MIN},
        // NUL ends the text
        IntCase{"12\0abc"s, 12}, IntCase{"\0"s, -99}, IntCase{"$1\0 x"s, 1}, IntCase{" \0"s, -99}),
    test::NamedBy(&IntCase::text));

TEST(IntFromText, DefaultIsReturnedAsGiven) {
    EXPECT_EQ(IntFromText("abc", 0), 0);
    EXPECT_EQ(IntFromText("abc", 42), 42);
    EXPECT_EQ(IntFromText("5", 42), 5);
}

TEST(HexByteAt, ReadsTheNthPair) {
    EXPECT_EQ(HexByteAt("1F2", 0), 31);
    EXPECT_EQ(HexByteAt("1F2", 1), 2);
    EXPECT_EQ(HexByteAt("1F2", 2), 0);
    EXPECT_EQ(HexByteAt("g1", 0), 0);
    EXPECT_EQ(HexByteAt("ff", 0), 255);
    EXPECT_EQ(HexByteAt("00FF80", 2), 0x80);
    EXPECT_EQ(HexByteAt(" 1", 0), 0);
    EXPECT_EQ(HexByteAt("-1", 0), 0);
    EXPECT_EQ(HexByteAt("x1", 0), 0);
    EXPECT_EQ(HexByteAt("", 0), 0);
    EXPECT_EQ(HexByteAt("12", 1000000), 0);
}

// HexPairValue is the allocation-free form of IntFromText("$" + pair, 0); check
// every pair of bytes, every single byte and the empty pair against it.
TEST(HexPairValue, AgreesWithIntFromTextForEveryPair) {
    EXPECT_EQ(HexPairValue(""), IntFromText("$", 0));
    for (int a = 0; a < 256; ++a) {
        const std::string one(1, static_cast<char>(a));
        ASSERT_EQ(HexPairValue(one), IntFromText("$" + one, 0)) << a;
        for (int b = 0; b < 256; ++b) {
            const std::string pair{static_cast<char>(a), static_cast<char>(b)};
            ASSERT_EQ(HexPairValue(pair), IntFromText("$" + pair, 0)) << a << "," << b;
        }
    }
}

TEST(IsBitSet, TestsOneBitOfTheLowByte) {
    EXPECT_TRUE(IsBitSet(0x40, 6));
    EXPECT_FALSE(IsBitSet(0x40, 7));
    EXPECT_TRUE(IsBitSet(0x1FF, 0));
    EXPECT_FALSE(IsBitSet(0x100, 0));
    EXPECT_TRUE(IsBitSet(0x80, 7));
    EXPECT_TRUE(IsBitSet(0x01, 0));
    EXPECT_FALSE(IsBitSet(0xFE, 0));
    for (unsigned bit = 0; bit < 8; ++bit) {
        EXPECT_TRUE(IsBitSet(0xFF, bit));
        EXPECT_FALSE(IsBitSet(0x00, bit));
        EXPECT_EQ(IsBitSet(0xA5, bit), ((0xA5 >> bit) & 1) == 1);
    }
}

TEST(DecTriplesToHex, ConvertsWholeGroupsOnly) {
    EXPECT_EQ(DecTriplesToHex("001255016"), "01FF10");
    EXPECT_EQ(DecTriplesToHex("1234"), "7B");
    EXPECT_EQ(DecTriplesToHex("12"), "");
    EXPECT_EQ(DecTriplesToHex(""), "");
    EXPECT_EQ(DecTriplesToHex("0A1"), "00");
    EXPECT_EQ(DecTriplesToHex("999"), "3E7");
    EXPECT_EQ(DecTriplesToHex("-01"), "FFFFFFFF");
    EXPECT_EQ(DecTriplesToHex(" 10"), "0A");
    EXPECT_EQ(DecTriplesToHex("$1F"), "1F");
}

TEST(Positions, CountFromOneAndClamp) {
    EXPECT_EQ(CharAt("abc", 1), "a");
    EXPECT_EQ(CharAt("abc", 3), "c");
    EXPECT_EQ(CharAt("abc", 4), "");
    EXPECT_EQ(CharAt("abc", 0), "");
    EXPECT_EQ(CharAt("", 1), "");
    EXPECT_EQ(Mid("abcdef", 2, 3), "bcd");
    EXPECT_EQ(Mid("abcdef", 5, 9), "ef");
    EXPECT_EQ(Mid("abcdef", 7, 1), "");
    EXPECT_EQ(Mid("abcdef", 3), "cdef");
}

TEST(Format, FillsPlaceholdersInOrderAndVerbatim) {
    EXPECT_EQ(Format("a=%s b=%s", {"1", "2"}), "a=1 b=2");
    EXPECT_EQ(Format("n=%d", {-42}), "n=-42");
    EXPECT_EQ(Format("[%3s]", {"0"}), "[  0]");
    EXPECT_EQ(Format("[%3s]", {"1234"}), "[1234]");
    EXPECT_EQ(Format("[%3s]", {""}), "[   ]");
    // values are never templates themselves
    EXPECT_EQ(Format("%s", {"100%s %d %%"}), "100%s %d %%");
    EXPECT_EQ(Format("50%% of %s", {"x"}), "50% of x");
    // a value may hold any byte, NUL included
    EXPECT_EQ(Format("<%s>", {std::string_view("a\0b", 3)}), "<a\0b>"s);
    // a placeholder without a value is left out
    EXPECT_EQ(Format("%s-%s", {"a"}), "a-");
    // a "%" that is no placeholder stays
    EXPECT_EQ(Format("100% sure", {}), "100% sure");
    EXPECT_EQ(Format("end%", {}), "end%");
}

} // namespace
} // namespace velquist
