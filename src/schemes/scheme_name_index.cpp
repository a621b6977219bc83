// The name hash behind reading large scheme files in linear time.
#include "scheme_name_index.h"

#include "../base/alloc.h"
#include "../base/wstr.h"

namespace {

const DWORD kFirstCapacity = 64;
const DWORD kLargestCapacity = 0x40000000;

// FNV-1a over the UTF-16 units, A-Z taken as a-z: names that FindSchemeByName
// holds equal hash equal.
DWORD HashName(LPCWSTR name) {
    DWORD hash = 2166136261u;
    for (; *name; ++name) {
        WORD unit = static_cast<WORD>(AsciiLower(*name));
        hash = (hash ^ (unit & 0xFF)) * 16777619u;
        hash = (hash ^ (unit >> 8)) * 16777619u;
    }
    return hash;
}

// The slot holding `name`, or the free slot where it belongs.
SchemeNameSlot *Probe(SchemeNameSlot *slots, DWORD capacity, LPCWSTR name, DWORD hash) {
    DWORD mask = capacity - 1;
    for (DWORD at = hash & mask;; at = (at + 1) & mask) {
        SchemeNameSlot *slot = &slots[at];
        if (!slot->scheme || (slot->hash == hash && StrCompareI(slot->scheme->name, name) == 0)) return slot;
    }
}

void GiveUpTable(SchemeNameIndex *index) {
    MemFree(index->slots);
    index->slots = nullptr;
    index->capacity = 0;
    index->failed = TRUE;
}

// Keeps the table at most half full, so that probes stay short.
bool MakeRoom(SchemeNameIndex *index) {
    if ((index->count + 1) * 2 <= index->capacity) return true;
    if (index->capacity >= kLargestCapacity) return false;
    DWORD capacity = index->capacity ? index->capacity * 2 : kFirstCapacity;
    SchemeNameSlot *slots = static_cast<SchemeNameSlot *>(MemCalloc(capacity, sizeof(SchemeNameSlot)));
    if (!slots) return false;
    for (DWORD i = 0; i < index->capacity; ++i) {
        const SchemeNameSlot &old = index->slots[i];
        if (old.scheme) *Probe(slots, capacity, old.scheme->name, old.hash) = old;
    }
    MemFree(index->slots);
    index->slots = slots;
    index->capacity = capacity;
    return true;
}

}  // namespace

void InitSchemeNameIndex(SchemeNameIndex *index, ColorScheme **list) {
    index->slots = nullptr;
    index->capacity = 0;
    index->count = 0;
    index->failed = FALSE;
    index->list = list;
}

void AddToSchemeNameIndex(SchemeNameIndex *index, ColorScheme *scheme) {
    if (index->failed) return;
    if (!MakeRoom(index)) {
        GiveUpTable(index);
        return;
    }
    DWORD hash = HashName(scheme->name);
    SchemeNameSlot *slot = Probe(index->slots, index->capacity, scheme->name, hash);
    if (slot->scheme) return;
    slot->scheme = scheme;
    slot->hash = hash;
    ++index->count;
}

ColorScheme *FindInSchemeNameIndex(const SchemeNameIndex *index, LPCWSTR name) {
    if (index->failed) return FindSchemeByName(*index->list, name);
    if (!name || name[0] == 0 || index->capacity == 0) return nullptr;
    return Probe(index->slots, index->capacity, name, HashName(name))->scheme;
}

void FreeSchemeNameIndex(SchemeNameIndex *index) {
    MemFree(index->slots);
    InitSchemeNameIndex(index, index->list);
}
