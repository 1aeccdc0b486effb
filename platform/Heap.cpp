#include "Heap.h"

#if defined(__GLIBC__) && defined(__linux__)
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#define VELQUIST_HEAP_TUNING 1
#endif

namespace velquist::platform {

#ifdef VELQUIST_HEAP_TUNING

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Blocks up to this size come from the heap; the room PrepareHeap makes stays
// below it, and the heap is trimmed only when more than twice as much is free.
constexpr std::size_t kLargestHeapBlock = std::size_t{256} << 20;
// Less room than this is not worth a huge page.
constexpr std::size_t kSmallestRoom = 2 * kHugePage;

std::uintptr_t RoundDown(std::uintptr_t address, std::uintptr_t unit) {
    return address & ~(unit - 1);
}

std::uintptr_t RoundUp(std::uintptr_t address, std::uintptr_t unit) {
    return RoundDown(address + unit - 1, unit);
}

void Advise(std::uintptr_t begin, std::uintptr_t end, int advice) {
    if (begin < end) {
        // Advice only: a kernel without huge pages or without MADV_POPULATE_WRITE
        // (before Linux 5.14) refuses it and the faults happen as usual.
        ::madvise(reinterpret_cast<void*>(begin), end - begin, advice);
    }
}

struct TBlock {
    void* Start = nullptr;
    std::size_t Size = 0;
};

// A block of `bytes`, or of the most that a limit on the address space leaves
// room for, halving down to kSmallestRoom; none when not even that fits.
TBlock LargestBlock(std::size_t bytes) {
    for (; bytes >= kSmallestRoom; bytes /= 2) {
        if (void* const start = std::malloc(bytes)) {
            return {start, bytes};
        }
    }
    return {};
}

} // namespace

void KeepFreedMemory() noexcept {
    ::mallopt(M_MMAP_THRESHOLD, static_cast<int>(kLargestHeapBlock));
    ::mallopt(M_TRIM_THRESHOLD, static_cast<int>(2 * kLargestHeapBlock));
}

void PrepareHeap(std::size_t bytes) noexcept {
    KeepFreedMemory();
    // One block taken from the top of the heap and given back at once: the heap
    // grows by its size and keeps it (it is not trimmed), so the allocations that
    // follow are cut from it, lowest addresses first. Nothing of it is touched yet.
    const TBlock block = LargestBlock(std::min(bytes, kLargestHeapBlock - kHugePage));
    if (block.Start == nullptr) {
        return; // the heap grows as usual
    }
    const auto begin = reinterpret_cast<std::uintptr_t>(block.Start);
    const std::uintptr_t hugeBegin = RoundUp(begin, kHugePage);
    Advise(hugeBegin, RoundDown(begin + block.Size, kHugePage), MADV_HUGEPAGE);
#ifdef MADV_POPULATE_WRITE
    // The part below the first huge-page boundary takes ordinary pages; it is the
    // first to be used, so map all of it now with one call instead of a fault per
    // page.
    Advise(RoundUp(begin, static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE))), hugeBegin,
           MADV_POPULATE_WRITE);
#endif
    std::free(block.Start);
}

#else

void KeepFreedMemory() noexcept {}

void PrepareHeap(std::size_t) noexcept {}

#endif

} // namespace velquist::platform
