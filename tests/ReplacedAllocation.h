#pragma once

// Replaces the global allocation functions of the test program that includes
// this header (in one source file) with AllocateBlock and FreeBlock, which that
// file defines: to make allocations fail on purpose.

#include <cstddef>
#include <new>

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

// The nothrow forms too (the standard library's temporary buffers use them), so
// that every block is allocated and freed by the same pair.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return AllocateBlock(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& nothrow) noexcept {
    return operator new(size, nothrow);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    FreeBlock(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    FreeBlock(block);
}
