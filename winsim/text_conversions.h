// Strings between the forms winsim meets: UTF-16 from the calls, UTF-8
// and code pages for Linux and files, and Linux paths from Windows names.
#pragma once

#include <windows.h>

#include <string>

namespace winsim {

// text.cpp: strings
std::u16string Str(LPCWSTR text);
std::string Utf8(const std::u16string &text);
// Decodes UTF-8; an incomplete sequence at the end is kept in `pending`
// (when given) for the next call, invalid bytes become U+FFFD.
std::u16string FromUtf8(const std::string &bytes, std::string *pending = nullptr);
std::u16string Widen(const std::string &ascii);
bool EqualNoCase(const std::u16string &a, const std::u16string &b);
std::u16string LowerAscii(std::u16string text);
std::string LinuxPath(LPCWSTR name);  // UTF-8, "\" read as "/"
// Copies at most size-1 characters and a terminator; returns the count copied.
DWORD CopyTruncated(const std::u16string &text, LPWSTR buffer, DWORD size);

// text.cpp: UTF-16 to bytes in a code page; false for a code page
// winsim does not know. Characters the code page lacks become '?'.
bool EncodeInCodePage(UINT codePage, const std::u16string &text, std::string *out);

}  // namespace winsim
