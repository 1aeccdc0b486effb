#pragma once

// Replaces the global allocation functions of the test program that includes
// this header (in one source file) with AllocateBlock and FreeBlock, which that
// file defines: to make allocations fail on purpose.

#include <cstddef>

void* AllocateBlock(std::size_t size);
void FreeBlock(void* block) noexcept;

void* operator new(std::size_t size) {
    return AllocateBlock(size);
}
void* operator new[](std::size_t size) {
    return AllocateBlock(size);
}
void operator delete(void* block) noexcept {
    FreeBlock(block);
}
void operator delete[](void* block) noexcept {
    FreeBlock(block);
}
void operator delete(void* block, std::size_t) noexcept {
    FreeBlock(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    FreeBlock(block);
}
