#include "OChannel.h"

#include "LargeBlock.h"

#include <atomic>

namespace {
std::atomic<size_t> g_RefuseAbove{0};
} // namespace

namespace channel_memory {

void* Allocate(size_t bytes)
{
    const size_t limit = g_RefuseAbove.load();
    if (limit != 0 && bytes > limit)
        return nullptr;
    return AllocateLargeBlock(bytes);
}

void Free(void* block, size_t bytes)
{
    FreeLargeBlock(block, bytes);
}

void SetRefuseAbove(size_t bytes)
{
    g_RefuseAbove.store(bytes);
}

} // namespace channel_memory
