// The seeded hash of text for tables keyed by what files hold. Apart from
// the rest of src/base because only the plugin hashes: the host, which
// links the same helpers, then never pulls in the system's random source.
#include "base.h"

DWORD HashStart(void) {
    static DWORD seed = 0;
    static bool drawn = false;
    if (!drawn) {
        // Should the system's source fail, where this module was loaded is
        // still no constant.
        if (!RtlGenRandom(&seed, sizeof seed)) {
            seed = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(&seed)) ^ GetCurrentProcessId();
        }
        drawn = true;
    }
    return 2166136261u ^ seed;
}

DWORD HashFinish(DWORD hash) {
    hash ^= hash >> 16;
    hash *= 0x85EBCA6Bu;
    hash ^= hash >> 13;
    hash *= 0xC2B2AE35u;
    hash ^= hash >> 16;
    return hash;
}
