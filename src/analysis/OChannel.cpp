#include "OChannel.h"

#include <atomic>
#include <cstdlib>
#include <sys/mman.h>

namespace {
// Below this size the ordinary heap serves well.
constexpr size_t kMapThreshold = 1 << 20;
std::atomic<size_t> g_RefuseAbove{0};
} // namespace

namespace channel_memory {

void* Allocate(size_t bytes)
{
    const size_t limit = g_RefuseAbove.load();
    if (limit != 0 && bytes > limit)
        return nullptr;
    if (bytes < kMapThreshold)
        return std::malloc(bytes);
    void* block = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED)
        return nullptr;
    // Large pages: a day-long recording's arrays take a few hundred faults
    // instead of tens of thousands, and far fewer TLB misses while written.
    ::madvise(block, bytes, MADV_HUGEPAGE);
    return block;
}

void Free(void* block, size_t bytes)
{
    if (bytes < kMapThreshold)
        std::free(block);
    else
        ::munmap(block, bytes);
}

} // namespace channel_memory

void channel_memory::SetRefuseAbove(size_t bytes)
{
    g_RefuseAbove.store(bytes);
}
