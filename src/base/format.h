// printf-style formatting over UTF-16 with the Microsoft meaning of the
// conversions on both targets: %s takes a wide string, %c a wide character.
// Supported: %s %c %d %i %u %x %X %%, the flags - 0 + and blank, a width
// (digits or *), a precision (.digits or .*), and the size prefixes h, l
// (32 bits, as on Windows), ll and I64 (64 bits).
#pragma once

#include <stdarg.h>

#include "../platform.h"

// Writes at most capacity - 1 characters and a terminator (when capacity >
// 0); returns the length the whole result has, so a result >= capacity means
// it was cut.
size_t FormatV(LPWSTR out, size_t capacity, LPCWSTR format, va_list args);
size_t Format(LPWSTR out, size_t capacity, LPCWSTR format, ...);
