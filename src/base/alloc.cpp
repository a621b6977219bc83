// Allocation through one counter, so that tests can make a chosen
// allocation fail and see what is still held.
#include "base.h"

#include <stdlib.h>

namespace {

// One owner for the allocation counters: the module this file is linked into.
long g_failAt = 0;  // the attempt number that fails first; 0: none
long g_failTimes = 0;
long g_attempts = 0;
long g_live = 0;

bool ShouldFailNow() {
    ++g_attempts;
    return g_failAt != 0 && g_attempts >= g_failAt && g_attempts < g_failAt + g_failTimes;
}

}  // namespace

void *MemAlloc(size_t size) {
    if (ShouldFailNow()) return nullptr;
    void *block = malloc(size ? size : 1);
    if (block) ++g_live;
    return block;
}

void *MemCalloc(size_t count, size_t size) {
    if (ShouldFailNow()) return nullptr;
    void *block = calloc(count ? count : 1, size ? size : 1);
    if (block) ++g_live;
    return block;
}

void MemFree(void *block) {
    if (!block) return;
    --g_live;
    free(block);
}

void MemFailAllocation(long nth, long times) {
    g_attempts = 0;
    g_failAt = nth;
    g_failTimes = times < 1 ? 1 : times;
}

long MemAllocationCount(void) {
    return g_attempts;
}

long MemLiveCount(void) {
    return g_live;
}

void MemResetCounts(void) {
    g_attempts = 0;
    g_failAt = 0;
    g_failTimes = 0;
    g_live = 0;
}
