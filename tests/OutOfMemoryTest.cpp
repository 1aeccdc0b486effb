// Decoding when memory runs out part-way: the decode either completes with the
// whole text or ends with the error "Out of memory"; it never hands back a text
// that was silently cut short.
//
// The global allocation functions are replaced by ones that can be told to fail
// at the n-th allocation from now, and every n is tried in turn.

#include "ReplacedAllocation.h"
#include "TestUtil.h"
#include "UDiebold.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <tuple>

namespace {

// Allocations left before the next one fails; negative means never fail.
long gAllocationsBeforeFailure = -1;

void* Allocate(std::size_t size) {
    if (gAllocationsBeforeFailure == 0) {
        gAllocationsBeforeFailure = -1;
        throw std::bad_alloc();
    }
    if (gAllocationsBeforeFailure > 0) {
        --gAllocationsBeforeFailure;
    }
    if (void* block = std::malloc(size == 0 ? 1 : size)) {
        return block;
    }
    throw std::bad_alloc();
}

} // namespace

void* AllocateBlock(std::size_t size) {
    return Allocate(size);
}
void FreeBlock(void* block) noexcept {
    std::free(block);
}

namespace velquist {
namespace {

// A message, and whether the decode also gives its lines with masked card data.
class OutOfMemory : public ::testing::TestWithParam<std::tuple<std::string, bool>> {};

TEST_P(OutOfMemory, GivesTheWholeTextOrTheError) {
    const auto& [message, structure] = GetParam();
    TDecodeOptions options;
    options.Structure = structure;
    options.MaskCardData = structure;
    const TDecodeResult reference = DecodeMessage(message, options);
    ASSERT_TRUE(reference.Ok || !reference.Error.empty());

    int failures = 0;
    for (long n = 0;; ++n) {
        gAllocationsBeforeFailure = n;
        const TDecodeResult result = DecodeMessage(message, options);
        const bool failed = gAllocationsBeforeFailure == -1;
        gAllocationsBeforeFailure = -1;
        if (!failed) {
            // The n-th allocation was never reached: every earlier one was tried.
            EXPECT_EQ(result.Ok, reference.Ok);
            EXPECT_EQ(result.Text, reference.Text);
            EXPECT_EQ(result.Lines.size(), reference.Lines.size());
            break;
        }
        ++failures;
        if (result.Ok) {
            EXPECT_EQ(result.Text, reference.Text) << "allocation " << n;
            EXPECT_EQ(result.Lines.size(), reference.Lines.size()) << "allocation " << n;
            EXPECT_EQ(result.Fields, reference.Fields) << "allocation " << n;
        } else {
            EXPECT_TRUE(result.Error == "Out of memory" || result.Error == reference.Error)
                << "allocation " << n << ": " << result.Error;
            EXPECT_EQ(result.Text, "");
        }
    }
    EXPECT_GT(failures, 0);
}

using test::Msg;

INSTANTIATE_TEST_SUITE_P(
    Messages, OutOfMemory,
    ::testing::Combine(
        ::testing::Values(Msg({"AB", "CD", "", std::string(100, 'x')}),
                          Msg({"1", "001", "002", "3"}), Msg({"1", "001"}),
                          Msg({"11", "001", "", "A1B2", "0A", "1234=5678", "", "AAB", "00002000",
                               "0123:;<=>?", "6012310"}),
                          Msg({"22", "000", "", "8",
                               ">0001\x1D"
                               "D<1>2=30?\x1D"
                               "<12346001\x1D"
                               "B0101010101010101010101010101010101"}),
                          Msg({"22", "000", "", "C", "1"}), Msg({"12", "001", "", "482A0"}),
                          Msg({"4", "001", "002", "003", "0200",
                               "0042B010000\x0F"
                               "ABPLEASE WAIT!",
                               "102THANK YOU\n\x0E"
                               "3AMOUNT\x1B"
                               "X\x0C"}),
                          Msg({"3", "001", "000", "13", "0000000000000128000064000000003032"}),
                          Msg({"3", "001", "000", "32", "001255016"})),
        ::testing::Bool()),
    test::NamedBy([](const std::tuple<std::string, bool>& c) {
        return std::get<0>(c).substr(0, 24) + (std::get<1>(c) ? " with lines masked" : "");
    }));

} // namespace
} // namespace velquist
