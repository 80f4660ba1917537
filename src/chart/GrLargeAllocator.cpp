#include "GrLargeAllocator.h"

#include <cstdlib>
#include <sys/mman.h>

namespace {
constexpr size_t kLargeBlock = size_t{2} << 20; // one large page
}

void* GrAllocateLarge(size_t bytes)
{
    if (bytes < kLargeBlock)
        return std::malloc(bytes == 0 ? 1 : bytes);
    void* block = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED)
        return nullptr;
    ::madvise(block, bytes, MADV_HUGEPAGE);
    return block;
}

void GrFreeLarge(void* block, size_t bytes)
{
    if (bytes < kLargeBlock)
        std::free(block);
    else if (block != nullptr)
        ::munmap(block, bytes);
}
