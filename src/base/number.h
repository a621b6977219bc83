// Number conversion with overflow detection, in place of wcstoul and wcstol.
#pragma once

#include "../platform.h"

enum NumberScanResult {
    NUMBER_OK = 0,
    NUMBER_NO_DIGITS = -1,  // no digit at the start; *value is 0, *end is text
    NUMBER_OVERFLOW = 1,    // digits ran past 32 bits; *value is the limit
};

// Reads the digits at the very start of `text` (no blanks, no sign) in base
// 10 or 16 as an unsigned 32-bit value. `end` (may be null) receives the first
// character after the digits. On overflow every digit is still consumed and
// the value is 0xFFFFFFFF.
int ScanUnsigned32(LPCWSTR text, unsigned base, DWORD *value, LPCWSTR *end);
// Optional + or - followed by decimal digits, as a signed 32-bit value;
// overflow gives LONG's limit on that side.
int ScanSigned32(LPCWSTR text, LONG *value, LPCWSTR *end);
