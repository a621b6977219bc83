#include "number.h"

namespace {

// The value of an ASCII digit or letter, or 99 for anything else, so that
// one comparison with the base rejects it.
unsigned DigitValue(WCHAR c) {
    if (c >= TEXT('0') && c <= TEXT('9')) return (unsigned)(c - TEXT('0'));
    if (c >= TEXT('a') && c <= TEXT('z')) return (unsigned)(c - TEXT('a')) + 10;
    if (c >= TEXT('A') && c <= TEXT('Z')) return (unsigned)(c - TEXT('A')) + 10;
    return 99;
}

// Accumulates in 64 bits so that overflow shows without a division.
int ScanMagnitude(LPCWSTR text, unsigned base, uint64_t limit, uint64_t *value, LPCWSTR *end) {
    LPCWSTR p = text;
    uint64_t v = 0;
    bool overflow = false;
    unsigned d;
    while ((d = DigitValue(*p)) < base) {
        if (!overflow) {
            v = v * base + d;
            if (v > limit) overflow = true;
        }
        ++p;
    }
    if (p == text) {
        *value = 0;
        *end = text;
        return NUMBER_NO_DIGITS;
    }
    *value = overflow ? limit : v;
    *end = p;
    return overflow ? NUMBER_OVERFLOW : NUMBER_OK;
}

}  // namespace

int ScanUnsigned32(LPCWSTR text, unsigned base, DWORD *value, LPCWSTR *end) {
    uint64_t v = 0;
    LPCWSTR stop = text;
    int result = NUMBER_NO_DIGITS;
    if (text && base >= 2 && base <= 16) result = ScanMagnitude(text, base, 0xFFFFFFFFu, &v, &stop);
    if (value) *value = (DWORD)v;
    if (end) *end = stop;
    return result;
}

int ScanSigned32(LPCWSTR text, LONG *value, LPCWSTR *end) {
    uint64_t v = 0;
    LPCWSTR stop = text;
    int result = NUMBER_NO_DIGITS;
    bool negative = false;
    if (text) {
        LPCWSTR digits = text;
        if (*digits == TEXT('+') || *digits == TEXT('-')) negative = *digits++ == TEXT('-');
        // The magnitude of LONG's minimum is one more than its maximum.
        result = ScanMagnitude(digits, 10, negative ? 0x80000000u : 0x7FFFFFFFu, &v, &stop);
        if (result == NUMBER_NO_DIGITS) stop = text;
    }
    if (value) *value = negative ? (LONG)(0 - (uint32_t)v) : (LONG)v;
    if (end) *end = stop;
    return result;
}
