// A hash of scheme names with A-Z folded to one case, so that a file of
// thousands of schemes is read without comparing every name with every
// other. The index only speeds look-ups up: when its table cannot be
// allocated it falls back to walking the list, with the same answers.
#pragma once

#include "scheme_list.h"

// A slot keeps the name's hash beside the scheme, so that a probe passing
// other names rarely has to read their records.
struct SchemeNameSlot {
    ColorScheme *scheme;  // null: free
    DWORD hash;
};

struct SchemeNameIndex {
    SchemeNameSlot *slots;  // open addressing
    DWORD capacity;       // a power of two, or 0 without a table
    DWORD count;
    BOOL failed;          // no table: look-ups walk the list
    ColorScheme **list;   // the list the index covers, for that walk
};

// An empty index over the list whose head is `*list`.
void InitSchemeNameIndex(SchemeNameIndex *index, ColorScheme **list);
// Records `scheme`, which must already be in the list. A name already
// recorded keeps its first scheme, as a look-up from the head would.
void AddToSchemeNameIndex(SchemeNameIndex *index, ColorScheme *scheme);
// What FindSchemeByName from the list's head would return.
ColorScheme *FindInSchemeNameIndex(const SchemeNameIndex *index, LPCWSTR name);
void FreeSchemeNameIndex(SchemeNameIndex *index);

// The end of a read that gave schemes: the list becomes `fileSchemes`
// (merge 0), or keeps, in order, the listed schemes whose names `fileNames`
// does not hold, followed by `fileSchemes`. The records kept are relinked,
// not copied, so that no listed scheme can be lost to a failed allocation.
void TakeOverSchemes(ColorScheme *fileSchemes, const SchemeNameIndex *fileNames, int merge);
