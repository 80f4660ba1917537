#pragma once
// Allocator for the chart's large arrays (sample arrays, envelope levels):
// a paint reads them at thousands of places far apart, so they live in large
// pages like the recording's own arrays.
#include "LargeBlock.h"

#include <cstddef>
#include <new>

template <class T> struct GrLargeAllocator {
    using value_type = T;
    GrLargeAllocator() = default;
    template <class U> GrLargeAllocator(const GrLargeAllocator<U>&) noexcept {}

    T* allocate(size_t n)
    {
        void* block = AllocateLargeBlock(n * sizeof(T));
        if (block == nullptr)
            throw std::bad_alloc();
        return static_cast<T*>(block);
    }
    void deallocate(T* p, size_t n) noexcept { FreeLargeBlock(p, n * sizeof(T)); }

    template <class U> bool operator==(const GrLargeAllocator<U>&) const noexcept { return true; }
};
