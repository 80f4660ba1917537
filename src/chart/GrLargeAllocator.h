#pragma once
// Allocator for the chart's large arrays (sample arrays, envelope levels):
// blocks of a few megabytes and more come straight from the system with
// large pages requested. A paint reads such arrays at thousands of places far
// apart, and with small pages nearly every read would also miss the
// translation buffer.
#include <cstddef>
#include <new>

void* GrAllocateLarge(size_t bytes); // nullptr when refused
void GrFreeLarge(void* block, size_t bytes);

template <class T> struct GrLargeAllocator {
    using value_type = T;
    GrLargeAllocator() = default;
    template <class U> GrLargeAllocator(const GrLargeAllocator<U>&) noexcept {}

    T* allocate(size_t n)
    {
        void* block = GrAllocateLarge(n * sizeof(T));
        if (block == nullptr)
            throw std::bad_alloc();
        return static_cast<T*>(block);
    }
    void deallocate(T* p, size_t n) noexcept { GrFreeLarge(p, n * sizeof(T)); }

    template <class U> bool operator==(const GrLargeAllocator<U>&) const noexcept { return true; }
};
