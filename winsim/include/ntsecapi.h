// The one call of the security API the plugin uses: the system's random
// source, exported by advapi32 under the name SystemFunction036. winsim
// answers from a seeded generator of its own, so that every run draws the
// same bytes. Follows windows.h, as on Windows.
#pragma once

#include "windows.h"

#define RtlGenRandom SystemFunction036
// Fills `length` bytes; FALSE on failure.
WINSIM_API BOOLEAN WINAPI RtlGenRandom(PVOID buffer, ULONG length);
