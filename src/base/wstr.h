// UTF-16 string helpers that behave the same on both targets: the C
// library's wide functions differ between Windows and Linux, so src/ uses
// these instead.
#pragma once

#include "../platform.h"

size_t StrLen(LPCWSTR text);
// Copies at most capacity - 1 characters and always terminates (when
// capacity > 0). Returns the number of characters copied.
size_t StrCopy(LPWSTR dest, size_t capacity, LPCWSTR src);
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
