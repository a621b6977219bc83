// Every allocation of the plugin goes through here, so that tests can make
// a chosen one fail and count what is still held.
#pragma once

#include <stddef.h>

void *MemAlloc(size_t size);
void *MemCalloc(size_t count, size_t size);
void MemFree(void *block);

// Test hook: the nth allocation from now (1 = the next) returns null, and
// so do the `times - 1` after it. 0 switches failing off.
void MemFailAllocation(long nth, long times = 1);
// Allocations attempted since the last MemFailAllocation or MemResetCounts.
long MemAllocationCount(void);
// Blocks allocated and not yet freed.
long MemLiveCount(void);
void MemResetCounts(void);
