// The single-byte code pages text sources decode: for each, the characters
// of bytes 0x80-0xFF (bytes below 0x80 are themselves). Unassigned bytes and
// C1 controls give U+FFFD.
#pragma once

#include "../platform.h"

#define CODEPAGE_TABLE_COUNT 24

// The code pages in table order; index 0, code page 1252, stands in for
// any code page not listed.
extern const UINT CODEPAGE_TABLE_PAGES[CODEPAGE_TABLE_COUNT];
extern const WCHAR CODEPAGE_TABLES[CODEPAGE_TABLE_COUNT][128];

// The table index of `codePage`, 0 when it has none.
DWORD CodePageTableIndex(UINT codePage);
