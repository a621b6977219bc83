#include "codepage_tables.h"

DWORD CodePageTableIndex(UINT codePage) {
    for (DWORD i = 0; i < CODEPAGE_TABLE_COUNT; ++i) {
        if (CODEPAGE_TABLE_PAGES[i] == codePage) return i;
    }
    return 0;
}
