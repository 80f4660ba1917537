#include "LargeBlock.h"

#include <cstdlib>
#include <sys/mman.h>

namespace {
constexpr size_t kMapThreshold = size_t{1} << 20; // below this the heap serves well
}

void* AllocateLargeBlock(size_t bytes)
{
    if (bytes < kMapThreshold)
        return std::malloc(bytes == 0 ? 1 : bytes);
    void* block = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED)
        return nullptr;
    ::madvise(block, bytes, MADV_HUGEPAGE);
    return block;
}

void FreeLargeBlock(void* block, size_t bytes)
{
    if (block == nullptr)
        return;
    if (bytes < kMapThreshold)
        std::free(block);
    else
        ::munmap(block, bytes);
}
