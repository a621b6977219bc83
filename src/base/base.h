// The bottom of the plugin: UTF-16 strings and paths, the formatter, number
// and UTF-8 conversion, and allocation. Everything here behaves the same on
// both targets, which the C library's wide functions do not, so src/ uses
// these instead.
#pragma once

#include <stdarg.h>
#include <stddef.h>

#include "../platform.h"

// ---- strings (wstr.cpp) ----
// A null string reads as empty everywhere here.

size_t StrLen(LPCWSTR text);
// Copies at most capacity - 1 characters and always terminates (when
// capacity > 0). Returns the number of characters copied.
size_t StrCopy(LPWSTR dest, size_t capacity, LPCWSTR src);
// The same, but a cut never ends in the first half of a surrogate pair: that
// half goes with its partner, so the copy holds whole characters.
size_t StrCopyWhole(LPWSTR dest, size_t capacity, LPCWSTR src);
// Appends within the same limit; returns the new length.
size_t StrAppend(LPWSTR dest, size_t capacity, LPCWSTR src);
// <0, 0, >0 as strcmp, by UTF-16 unit.
int StrCompare(LPCWSTR a, LPCWSTR b);
int StrCompareN(LPCWSTR a, LPCWSTR b, size_t count);
// Folds only A-Z/a-z; every other unit compares exactly.
int StrCompareI(LPCWSTR a, LPCWSTR b);
int StrCompareNI(LPCWSTR a, LPCWSTR b, size_t count);
WCHAR AsciiUpper(WCHAR c);
WCHAR AsciiLower(WCHAR c);
void StrUpperAscii(LPWSTR text);
bool IsAsciiDigit(WCHAR c);
bool IsHexDigit(WCHAR c);
// The characters Windows' iswspace reports as white space.
bool IsWhiteSpace(WCHAR c);
// First occurrence of `c` or of `needle`, or null.
LPCWSTR StrFindChar(LPCWSTR text, WCHAR c);
LPCWSTR StrFindLastChar(LPCWSTR text, WCHAR c);
LPCWSTR StrFind(LPCWSTR text, LPCWSTR needle);
// A copy of `text` from the allocator, or null.
LPWSTR StrDuplicate(LPCWSTR text);

// ---- paths (wstr.cpp) ----
// "\" and "/" both separate directories. A ":" ends a directory only as a
// drive's ("C:name"); anywhere else it names a stream of the file, as
// Windows reads "dir\file:stream", and belongs to the file name.

// The directory part of `path` with its separator: up to and including the
// last "\" or "/", or else a leading drive ("C:"); 0 when there is none.
// The file name starts there.
size_t PathDirectoryLength(LPCWSTR path);
// 2 when `path` starts with a drive ("C:"), else 0.
size_t PathDriveLength(LPCWSTR path);
// Appends the file name `name` to the directory in `path` (`capacity`
// characters), with a "\" unless the directory already ends in a separator.
// False, `path` unchanged, when it is empty or the whole would not fit.
bool AppendPathName(LPWSTR path, size_t capacity, LPCWSTR name);

// ---- hex colours (number.cpp) ----

// "#rrggbb", or "#rgb" with each digit doubled, filling exactly `length`
// units, as 0xRRGGBB; -1 for anything else. Over UTF-8 as other tools'
// files give it and over UTF-16 as ours do.
LONG ParseHexColor(const char *text, size_t length);
LONG ParseHexColor(LPCWSTR text, size_t length);

// ---- formatting (format.cpp) ----
// printf-style formatting over UTF-16 with the Microsoft meaning of the
// conversions on both targets: %s takes a wide string, %c a wide character.
// Supported: %s %c %d %i %u %x %X %%, the flags - 0 + and blank, a width
// (digits or *), a precision (.digits or .*), and the size prefixes h, l
// (32 bits, as on Windows), ll and I64 (64 bits).

// Writes at most capacity - 1 characters and a terminator (when capacity >
// 0); returns the length the whole result has, so a result >= capacity means
// it was cut.
size_t FormatV(LPWSTR out, size_t capacity, LPCWSTR format, va_list args);
size_t Format(LPWSTR out, size_t capacity, LPCWSTR format, ...);

// ---- numbers and UTF-8 (number.cpp) ----
// Number conversion with overflow detection, in place of wcstoul and wcstol.

enum NumberScanResult {
    NUMBER_OK = 0,
    NUMBER_NO_DIGITS = -1,  // no digit at the start; *value is 0, *end is text
    NUMBER_OVERFLOW = 1,    // digits ran past 32 bits; *value is the limit
};

// Reads the digits at the very start of `text` (no blanks, no sign) in base
// 10 or 16 as an unsigned 32-bit value. `end` (may be null) receives the first
// character after the digits. On overflow every digit is still consumed and
// the value is 0xFFFFFFFF.
[[nodiscard]] NumberScanResult ScanUnsigned32(LPCWSTR text, unsigned base, DWORD *value, LPCWSTR *end);
// Optional + or - followed by decimal digits, as a signed 32-bit value;
// overflow gives LONG's limit on that side.
[[nodiscard]] NumberScanResult ScanSigned32(LPCWSTR text, LONG *value, LPCWSTR *end);

// UTF-8 <-> UTF-16 conversion. Ill-formed input (lone surrogates, bad UTF-8
// sequences) becomes U+FFFD, as Windows' converters do.

// Converts `length` units (null text or 0 gives 0). Writes at most `capacity`
// bytes, never a partial sequence, and no terminator; returns the bytes the
// whole conversion needs, so a result > capacity means it was cut.
size_t Utf16ToUtf8(LPCWSTR text, size_t length, char *out, size_t capacity);
// Converts `length` bytes into at most `capacity` units, no terminator;
// returns the units the whole conversion needs.
size_t Utf8ToUtf16(const char *bytes, size_t length, LPWSTR out, size_t capacity);

// ---- hashing (hash.cpp) ----
// For tables keyed by text from files, which may come from anyone: were the
// hash the same in every process, a file could be made whose keys all land
// in one place of a table, and reading it would take time growing with the
// square of its size. So the hash starts from a seed each process draws.

// The seeded start of a hash: FNV-1a's offset basis mixed with the seed.
DWORD HashStart(void);
// One byte more: an FNV-1a step.
inline DWORD HashByte(DWORD hash, BYTE byte) {
    return (hash ^ byte) * 16777619u;
}
// The finished hash. FNV-1a's low bits, which pick a table slot, depend
// only on the low bits of what came before, so this mixes every bit into
// them.
DWORD HashFinish(DWORD hash);

// ---- allocation (alloc.cpp) ----
// Every allocation of the plugin goes through here, so that tests can make
// a chosen one fail and count what is still held.

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

// ---- errors ----

// GetLastError(), or `fallback` when it is 0, so that no failure reads as
// success.
inline DWORD LastErrorOr(DWORD fallback) {
    DWORD error = GetLastError();
    return error != 0 ? error : fallback;
}
