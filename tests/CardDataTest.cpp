// Card data masked: what of a track may be shown.

#include "CardData.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <string>

namespace velquist {
namespace {

constexpr std::string_view kDigits = "4761739001010119876";

// A track 2 with a PAN of `length` digits, expiry 2512, service code 101 and
// discretionary data.
std::string Track2(std::size_t length) {
    return ";" + std::string(kDigits.substr(0, length)) + "=2512101123456789?";
}

class PanLengths : public ::testing::TestWithParam<std::size_t> {};

TEST_P(PanLengths, KeepFirstSixAndLastFour) {
    const std::size_t length = GetParam();
    const std::string pan(kDigits.substr(0, length));
    const std::string expected = ";" + pan.substr(0, 6) + std::string(length - 10, '*') +
                                 pan.substr(length - 4) + "=2512101*********?";
    EXPECT_EQ(MaskTrack2(Track2(length)), expected);
}

INSTANTIATE_TEST_SUITE_P(From12To19, PanLengths, ::testing::Range<std::size_t>(12, 20),
                         test::NamedBy([](std::size_t digits) {
                             return std::to_string(digits) + " digits";
                         }));

TEST(MaskTrack2, ShortPanIsMaskedWhole) {
    EXPECT_EQ(MaskTrack2(Track2(10)), ";**********=2512101*********?");
    EXPECT_EQ(MaskTrack2("12=34"), "**=34");
    EXPECT_EQ(MaskTrack2(Track2(11)), ";476173*0010=2512101*********?"); // the shortest shown
}

TEST(MaskTrack2, WithoutSentinelsOrSeparator) {
    EXPECT_EQ(MaskTrack2("4761739001010119=15122011143804489"),
              "476173******0119=1512201**********");
    // No "=": nothing tells the account number from the rest; every digit goes.
    EXPECT_EQ(MaskTrack2(";4761739001010119?"), ";****************?");
    EXPECT_EQ(MaskTrack2("ABC 12"), "ABC **");
}

TEST(MaskTrack2, EmptyAndShortAfterTheSeparator) {
    EXPECT_EQ(MaskTrack2(""), "");
    EXPECT_EQ(MaskTrack2("="), "=");
    EXPECT_EQ(MaskTrack2("4761739001010119=25"), "476173******0119=25");
    EXPECT_EQ(MaskTrack2("4761739001010119=2512101=99"), "476173******0119=2512101=**");
}

TEST(MaskDigits, EveryDigitOnly) {
    EXPECT_EQ(MaskDigits(";011234567890123456=724724100000000000030300XXXX040400099010=*"),
              ";******************=************************XXXX************=*");
    EXPECT_EQ(MaskDigits(""), "");
    EXPECT_EQ(MaskDigits("ABC:;"), "ABC:;");
}

} // namespace
} // namespace velquist
