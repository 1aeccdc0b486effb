// The heap tuning of the command line and the benchmarks: memory set aside or
// freed stays in the heap, ready for the next allocation, instead of going back
// to the system.

#include "Heap.h"

#include <gtest/gtest.h>

#include <cstdlib>

#if defined(__GLIBC__) && defined(__linux__)
#if __GLIBC_PREREQ(2, 33)
#include <malloc.h>
#define VELQUIST_HEAP_TUNED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#undef VELQUIST_HEAP_TUNED // AddressSanitizer brings its own allocator
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#undef VELQUIST_HEAP_TUNED
#endif
#endif

namespace velquist::platform {
namespace {

#ifdef VELQUIST_HEAP_TUNED

constexpr std::size_t kMiB = std::size_t{1} << 20;

// Free bytes held by the heap: room for allocations that need no fresh mapping.
std::size_t FreeInHeap() {
    return ::mallinfo2().fordblks;
}

TEST(Heap, PreparedRoomStaysInTheHeap) {
    PrepareHeap(64 * kMiB);
    EXPECT_GE(FreeInHeap(), 64 * kMiB);
}

TEST(Heap, FreedLargeBlockStaysInTheHeap) {
    KeepFreedMemory();
    void* const block = std::malloc(48 * kMiB);
    ASSERT_NE(block, nullptr);
    std::free(block);
    EXPECT_GE(FreeInHeap(), 48 * kMiB);
}

#else

TEST(Heap, TuningNeedsGlibcOnLinux) {
    GTEST_SKIP() << "the heap is tuned with glibc on Linux only";
}

#endif

} // namespace
} // namespace velquist::platform
