// A position drawn from the system's secure random source, which needs no
// seeding and gives every press of the hotkey a fresh draw.
#define _CRT_RAND_S  // rand_s is declared only on request
#include <stdlib.h>

#include "key_handler.h"

DWORD RandomPosition(DWORD n) {
    if (n <= 1) return 1;
    unsigned int r = 0;
    if (rand_s(&r) != 0) r = 0;
    // r / 0xFFFFFFFF reaches 1 only for the largest r, whose position is
    // then n + 1: hence the clamp.
    ULONGLONG position = 1 + static_cast<ULONGLONG>(n) * r / 0xFFFFFFFFull;
    return position > n ? n : static_cast<DWORD>(position);
}
