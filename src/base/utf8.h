// UTF-8 <-> UTF-16 conversion. Ill-formed input (lone surrogates, bad UTF-8
// sequences) becomes U+FFFD, as Windows' converters do.
#pragma once

#include "../platform.h"

// Converts `length` units (null text or 0 gives 0). Writes at most `capacity`
// bytes, never a partial sequence, and no terminator; returns the bytes the
// whole conversion needs, so a result > capacity means it was cut.
size_t Utf16ToUtf8(LPCWSTR text, size_t length, char *out, size_t capacity);
// Converts `length` bytes into at most `capacity` units, no terminator;
// returns the units the whole conversion needs.
size_t Utf8ToUtf16(const char *bytes, size_t length, LPWSTR out, size_t capacity);
