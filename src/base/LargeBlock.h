#pragma once
// Memory for the large arrays of a recording and its chart: blocks of a
// megabyte and more come straight from the system with large pages
// requested, so that a day-long recording's arrays take a few hundred page
// faults instead of tens of thousands and far fewer translation misses when
// read at places far apart. Smaller blocks come from the ordinary heap.
#include <cstddef>

void* AllocateLargeBlock(size_t bytes); // nullptr when the system refuses
void FreeLargeBlock(void* block, size_t bytes);
