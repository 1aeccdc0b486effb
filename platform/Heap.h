#pragma once

// Tuning of the C library's heap for programs that build a few large strings one
// after another and then end, as velquist-decode and the benchmarks do.
//
// The pages such a program touches for the first time cost a page fault each, and
// on some machines (virtual machines above all) a fault costs more than the
// decoding of the bytes on the page. Both functions only change where and how the
// heap maps its memory, never what a program can allocate: where the system or
// the C library offers nothing of the kind they do nothing.

#include <cstddef>

namespace velquist::platform {

// Memory that is freed stays in the heap for the next allocation instead of being
// handed back to the system and mapped afresh; large blocks come from the heap
// too, not from a mapping of their own.
void KeepFreedMemory() noexcept;

// Makes room in the heap for up to `bytes` of allocations to come (256 MiB at most,
// less where a limit on the address space allows less): the room is backed by
// transparent huge pages, one fault for 2 MiB instead of one per 4 KiB, and its
// first part, which cannot be, is mapped in one call. The room costs address
// space only until it is used. Implies KeepFreedMemory(). Below 4 MiB it does
// nothing more, as a huge page would then cost more to clear than the faults it
// saves.
void PrepareHeap(std::size_t bytes) noexcept;

} // namespace velquist::platform
