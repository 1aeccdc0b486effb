// The seeded random numbers of generated test data: the same on every machine,
// and every number in a range as likely as any other.

#include "SeededRandom.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

namespace velquist {
namespace {

// The standard fixes the engine's output: the 10000th number of the default
// seed 5489 is this one.
TEST(SeededRandom, IsTheStandardsEngine) {
    TSeededRandom random(5489);
    for (int i = 0; i < 9999; ++i) {
        random.Bits();
    }
    EXPECT_EQ(random.Bits(), 9981545732273789042u);
}

// Numbers worked out apart from this code (the engine as the standard defines
// it, and the rejection as Below describes it): what every standard library
// must give for seed 912.
TEST(SeededRandom, BelowGivesTheSameNumbersEverywhere) {
    TSeededRandom small(912);
    std::vector<std::uint64_t> digits;
    for (int i = 0; i < 12; ++i) {
        digits.push_back(small.Below(10));
    }
    EXPECT_EQ(digits, (std::vector<std::uint64_t>{7, 2, 9, 8, 0, 9, 4, 4, 5, 0, 4, 7}));
    // Nearly half of all draws are thrown away below 2^63 + 1.
    TSeededRandom large(912);
    constexpr std::uint64_t kHalfAndOne = (std::uint64_t{1} << 63) + 1;
    EXPECT_EQ(large.Below(kHalfAndOne), 1016480134088672168u);
    EXPECT_EQ(large.Below(kHalfAndOne), 6038223137181426443u);
    EXPECT_EQ(large.Below(kHalfAndOne), 3377159119713701149u);
}

// Counts of 70,000 draws below 7 against an even spread: chi-square with six
// degrees of freedom stays under 22.5 (p = 0.001) for a fair generator; these
// draws are fixed by the seed, so the test cannot fail by chance.
TEST(SeededRandom, BelowSpreadsEvenly) {
    TSeededRandom random(20240611);
    std::array<int, 7> counts{};
    constexpr int kDraws = 70000;
    for (int i = 0; i < kDraws; ++i) {
        const std::uint64_t value = random.Below(counts.size());
        ASSERT_LT(value, counts.size());
        ++counts[value];
    }
    double chiSquare = 0;
    const double expected = static_cast<double>(kDraws) / counts.size();
    for (const int count : counts) {
        chiSquare += (count - expected) * (count - expected) / expected;
    }
    EXPECT_LT(chiSquare, 22.5);
}

} // namespace
} // namespace velquist
