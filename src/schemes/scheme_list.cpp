// The scheme list: append, the lookups, selection from user text, freeing;
// the name index and the merge behind reading large scheme files in linear
// time; the built-in schemes; what a section read from a file must say to
// become a scheme; and scheme names folded to plain letters.
#include <string.h>

#include "../base/base.h"
#include "../plugin/host.h"
#include "schemes.h"

ColorScheme *g_schemes = nullptr;

bool AddScheme(const ColorScheme *scheme, LPCWSTR name, LPCWSTR colorDir, ColorScheme **list) {
    if (!scheme || !name || name[0] == 0 || !colorDir || !list) return false;
    size_t dirLength = StrLen(colorDir);
    size_t fixed = offsetof(ColorScheme, ColorDir);
    ColorScheme *added = static_cast<ColorScheme *>(MemAlloc(fixed + (dirLength + 1) * sizeof(WCHAR)));
    if (!added) return false;
    memcpy(added, scheme, fixed);
    added->next = nullptr;
    StrCopyWhole(added->name, SCHEME_NAME_SIZE, name);
    memcpy(added->ColorDir, colorDir, (dirLength + 1) * sizeof(WCHAR));

    ColorScheme **link = list;
    while (*link) link = &(*link)->next;
    *link = added;
    return true;
}

ColorScheme *FindSchemeByName(ColorScheme *first, LPCWSTR name) {
    if (!name || name[0] == 0) return nullptr;
    for (ColorScheme *scheme = first; scheme; scheme = scheme->next) {
        if (StrCompareI(scheme->name, name) == 0) return scheme;
    }
    return nullptr;
}

bool SchemeMatchesPattern(const ColorScheme *scheme, LPCWSTR pattern) {
    if (WildcardComparison(pattern, scheme->name, 0, 1) == 0) return true;
    // Users type plain letters for the accented names they cannot type.
    WCHAR folded[FOLDED_NAME_SIZE];
    return FoldSchemeName(scheme->name, folded) >= 0 && WildcardComparison(pattern, folded, 0, 1) == 0;
}

ColorScheme *FindSchemeByPattern(ColorScheme *first, LPCWSTR pattern) {
    if (!pattern || pattern[0] == 0) return nullptr;
    for (ColorScheme *scheme = first; scheme; scheme = scheme->next) {
        if (SchemeMatchesPattern(scheme, pattern)) return scheme;
    }
    return nullptr;
}

ColorScheme *SchemeAtPosition(DWORD n) {
    if (n == 0) return nullptr;
    ColorScheme *scheme = g_schemes;
    for (DWORD i = 1; scheme && i < n; ++i) scheme = scheme->next;
    return scheme;
}

ColorScheme *SelectScheme(LPCWSTR text) {
    if (!text) return nullptr;
    DWORD position = 0;
    if (IsAsciiDigit(text[0]) && ParseNumber(text, &position) && position != 0) {
        ColorScheme *scheme = SchemeAtPosition(position);
        if (scheme) return scheme;
    }
    return FindSchemeByPattern(g_schemes, text);
}

int FreeSchemeList(void) {
    int freed = 0;
    while (g_schemes) {
        ColorScheme *next = g_schemes->next;
        MemFree(g_schemes);
        g_schemes = next;
        ++freed;
    }
    return freed;
}

DWORD ColorLuminance(DWORD colorRef) {
    DWORD r = colorRef & 0xFF, g = (colorRef >> 8) & 0xFF, b = (colorRef >> 16) & 0xFF;
    return (r * 299 + g * 587 + b * 114) / 255;
}

bool IsDarkColor(DWORD colorRef) {
    return ColorLuminance(colorRef) < DARK_LUMINANCE_LIMIT;
}

bool IsDarkScheme(const ColorScheme *scheme) {
    return IsDarkColor(scheme->palette[(scheme->StdColors >> 4) & 0xF]);
}

// ---- the name index ----
// The name hash behind reading large scheme files in linear time, seeded
// per process (src/base), so that no file can make its names collide.

namespace {

constexpr DWORD FIRST_INDEX_CAPACITY = 64;
constexpr DWORD LARGEST_INDEX_CAPACITY = 0x40000000;

// FNV-1a over the UTF-16 units, A-Z taken as a-z (names that
// FindSchemeByName holds equal hash equal).
DWORD HashName(LPCWSTR name) {
    DWORD hash = HashStart();
    for (; *name; ++name) {
        WORD unit = static_cast<WORD>(AsciiLower(*name));
        hash = HashByte(hash, static_cast<BYTE>(unit & 0xFF));
        hash = HashByte(hash, static_cast<BYTE>(unit >> 8));
    }
    return HashFinish(hash);
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
    index->failed = true;
}

// Keeps the table at most half full, so that probes stay short.
bool MakeRoom(SchemeNameIndex *index) {
    if ((index->count + 1) * 2 <= index->capacity) return true;
    if (index->capacity >= LARGEST_INDEX_CAPACITY) return false;
    DWORD capacity = index->capacity ? index->capacity * 2 : FIRST_INDEX_CAPACITY;
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
    index->failed = false;
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

// ---- batches: schemes read, not yet listed ----

void InitSchemeBatch(SchemeBatch *batch) {
    batch->head = nullptr;
    batch->tail = &batch->head;
    InitSchemeNameIndex(&batch->names, &batch->head);
    batch->count = 0;
}

bool BatchHoldsName(const SchemeBatch *batch, LPCWSTR name) {
    WCHAR stored[SCHEME_NAME_SIZE];
    StrCopyWhole(stored, SCHEME_NAME_SIZE, name);
    return FindInSchemeNameIndex(&batch->names, stored) != nullptr;
}

namespace {

// Appended at the tail link, so the batch is never walked.
void LinkIntoBatch(SchemeBatch *batch, ColorScheme *scheme) {
    scheme->next = nullptr;
    *batch->tail = scheme;
    batch->tail = &scheme->next;
    AddToSchemeNameIndex(&batch->names, scheme);
    ++batch->count;
}

}  // namespace

BatchAddResult AddToBatch(SchemeBatch *batch, const ColorScheme *scheme, LPCWSTR name, LPCWSTR colorDir) {
    if (BatchHoldsName(batch, name)) return BATCH_NAME_TAKEN;
    ColorScheme *added = nullptr;
    if (!AddScheme(scheme, name, colorDir, &added)) return BATCH_NOT_ADDED;
    LinkIntoBatch(batch, added);
    return BATCH_ADDED;
}

int MoveSchemeBatch(SchemeBatch *from, SchemeBatch *to) {
    int moved = 0;
    ColorScheme *scheme = from->head;
    while (scheme) {
        ColorScheme *next = scheme->next;
        if (FindInSchemeNameIndex(&to->names, scheme->name)) {
            MemFree(scheme);
        } else {
            LinkIntoBatch(to, scheme);
            ++moved;
        }
        scheme = next;
    }
    FreeSchemeNameIndex(&from->names);
    InitSchemeBatch(from);
    return moved;
}

void FreeSchemeBatch(SchemeBatch *batch) {
    while (ColorScheme *scheme = batch->head) {
        batch->head = scheme->next;
        MemFree(scheme);
    }
    FreeSchemeNameIndex(&batch->names);
    InitSchemeBatch(batch);
}

void TakeOverSchemes(SchemeBatch *batch, bool merge) {
    ColorScheme *fileSchemes = batch->head;
    if (!merge) {
        FreeSchemeList();
        g_schemes = fileSchemes;
    } else {
        // A file's scheme replaces a listed one of the same name and takes
        // its place at the end, after every scheme it does not replace.
        ColorScheme *kept = nullptr;
        ColorScheme **tail = &kept;
        ColorScheme *scheme = g_schemes;
        while (scheme) {
            ColorScheme *next = scheme->next;
            if (FindInSchemeNameIndex(&batch->names, scheme->name)) {
                MemFree(scheme);
            } else {
                scheme->next = nullptr;
                *tail = scheme;
                tail = &scheme->next;
            }
            scheme = next;
        }
        *tail = fileSchemes;
        g_schemes = kept;
    }
    // The records now belong to the list.
    batch->head = nullptr;
    FreeSchemeBatch(batch);
}

// ---- the built-in schemes ----
// The four schemes the plugin carries itself, so that the hotkey always has
// at least two dark and two light schemes to choose from.

namespace {

// Palette entries are written #rrggbb-wise and stored as COLORREF.
constexpr DWORD Rgb(DWORD rgb) {
    return SwapRedAndBlue(rgb);
}

struct BuiltInScheme {
    LPCWSTR name;
    LPCWSTR colorDir;
    DWORD dark;
    // StdColors, InputColors, ErrorColors, ListColors, ListStatBarColors,
    // ListInverseColors, SelectColors, SelectStatBarColors, SelectedColors.
    WORD directives[DIRECTIVE_COUNT];
    DWORD palette[16];
};

const WCHAR DARK_COLOR_DIR[] = TEXT("dirs:12;com exe:10;bat btm cmd:2;txt doc html:11;");
const WCHAR LIGHT_COLOR_DIR[] = TEXT("dirs:244;com exe:242;bat btm cmd:241;txt doc html:243;");

enum { MARIANAS_TRENCH, ICE_PALACE, FOREST_PRIMEVAL, CREME_BRULEE };

const BuiltInScheme BUILT_IN_SCHEMES[4] = {
    {TEXT("Marianas Trench"),
     DARK_COLOR_DIR,
     1,
     {3, 15, 12, 11, 31, 31, 15, 240, 112},
     // Entry 13 repeats entry 11 on purpose: this scheme has no magenta.
     {Rgb(0x000030), Rgb(0x0000a0), Rgb(0x009000), Rgb(0x0090a0), Rgb(0x900000), Rgb(0x9000a0), Rgb(0x806000),
      Rgb(0xb0b8c8), Rgb(0x606060), Rgb(0x4040ff), Rgb(0x40ff40), Rgb(0x40ffff), Rgb(0xff4040), Rgb(0x40ffff),
      Rgb(0xffff40), Rgb(0xf0f8ff)}},
    {TEXT("Ice Palace"),
     LIGHT_COLOR_DIR,
     0,
     {241, 242, 244, 241, 31, 31, 240, 31, 15},
     {Rgb(0x000000), Rgb(0x0000a0), Rgb(0x009000), Rgb(0x0090a0), Rgb(0x900000), Rgb(0x9000a0), Rgb(0x909000),
      Rgb(0xc0c0c0), Rgb(0x606060), Rgb(0x4040ff), Rgb(0x40ff40), Rgb(0x40ffff), Rgb(0xff4040), Rgb(0xff40ff),
      Rgb(0xffff40), Rgb(0xe8f8ff)}},
    {TEXT("Forest Primeval"),
     DARK_COLOR_DIR,
     1,
     {7, 10, 12, 11, 112, 63, 7, 112, 240},
     {Rgb(0x003000), Rgb(0x0000a0), Rgb(0x009000), Rgb(0x0090a0), Rgb(0x900000), Rgb(0x9000a0), Rgb(0x608000),
      Rgb(0xc4e0c4), Rgb(0x606060), Rgb(0x4040ff), Rgb(0x40ff40), Rgb(0x40ffff), Rgb(0xff4040), Rgb(0xff40ff),
      Rgb(0xffff40), Rgb(0xffffff)}},
    {TEXT("Cr\u00e8me Br\u00fbl\u00e9e"),
     LIGHT_COLOR_DIR,
     0,
     {240, 246, 244, 240, 111, 111, 240, 111, 15},
     {Rgb(0x000000), Rgb(0x0000a0), Rgb(0x009000), Rgb(0x0090a0), Rgb(0x900000), Rgb(0x9000a0), Rgb(0x806000),
      Rgb(0xc0c0c0), Rgb(0x606060), Rgb(0x4040ff), Rgb(0x40ff40), Rgb(0x40ffff), Rgb(0xff4040), Rgb(0xff40ff),
      Rgb(0xffff40), Rgb(0xfff8f0)}},
};

// Builds the record AddScheme copies from; the table itself stays untouched.
bool AddBuiltInScheme(const BuiltInScheme &source) {
    ColorScheme scheme;
    memset(&scheme, 0, sizeof scheme);
    for (int i = 0; i < DIRECTIVE_COUNT; ++i) *DirectiveField(&scheme, i) = source.directives[i];
    scheme.dark = source.dark;
    memcpy(scheme.palette, source.palette, sizeof scheme.palette);
    return AddScheme(&scheme, source.name, source.colorDir, &g_schemes);
}

}  // namespace

int SeedBuiltInSchemes(void) {
    int dark = 0, light = 0;
    for (const ColorScheme *scheme = g_schemes; scheme; scheme = scheme->next) {
        if (scheme->dark) {
            ++dark;
        } else {
            ++light;
        }
    }
    // The counts are taken once, before anything is added; a failed addition
    // just leaves that scheme out.
    int added = 0;
    if (dark == 0 && AddBuiltInScheme(BUILT_IN_SCHEMES[MARIANAS_TRENCH])) ++added;
    if (light == 0 && AddBuiltInScheme(BUILT_IN_SCHEMES[ICE_PALACE])) ++added;
    if (dark < 2 && AddBuiltInScheme(BUILT_IN_SCHEMES[FOREST_PRIMEVAL])) ++added;
    if (light < 2 && AddBuiltInScheme(BUILT_IN_SCHEMES[CREME_BRULEE])) ++added;
    return added;
}

// ---- completing a section read from a file ----
// A section read from a file becomes a scheme only when it says everything
// a console needs; what the host's list and selection screens use may be
// left out and is derived from what is there.

namespace {

bool IsValidAttribute(WORD value) {
    return value < 256 && (value & 0x0F) != (value >> 4);
}

void Default(WORD *field, WORD value) {
    if (!IsValidAttribute(*field)) *field = value;
}

}  // namespace

bool CompleteScheme(ColorScheme *scheme, LPCWSTR name) {
    if (!scheme || !name) return false;
    if (!IsValidAttribute(scheme->StdColors) || !IsValidAttribute(scheme->InputColors) ||
        !IsValidAttribute(scheme->ErrorColors)) {
        return false;
    }
    for (DWORD entry : scheme->palette) {
        if (entry > 0xFFFFFF) return false;
    }
    // In this order, so that each default sees the ones before it.
    Default(&scheme->ListColors, scheme->StdColors);
    Default(&scheme->ListStatBarColors, InverseAttribute(scheme->ListColors));
    Default(&scheme->ListInverseColors, InverseAttribute(scheme->ListColors));
    Default(&scheme->SelectColors, scheme->StdColors);
    Default(&scheme->SelectStatBarColors, InverseAttribute(scheme->SelectColors));
    Default(&scheme->SelectedColors, InverseAttribute(scheme->StdColors));
    scheme->dark = IsDarkScheme(scheme) ? 1 : 0;
    return true;
}

// ---- name folding ----
// Scheme names to plain Latin letters, so that a user who cannot type an
// accent still finds "Crème Brûlée" as Creme*.

namespace {

// The folded form of one character of U+00C0-U+00FF; null where it stays
// (Ð × Ø Þ ß ð ÷ ø þ).
const char *const LATIN1_FOLDS[64] = {
    "A",     "A", "A", "A", "A", "A", "AE", "C",     "E",     "E", "E", "E", "I", "I", "I",     "I",      // C0-CF
    nullptr, "N", "O", "O", "O", "O", "O",  nullptr, nullptr, "U", "U", "U", "U", "Y", nullptr, nullptr,  // D0-DF
    "a",     "a", "a", "a", "a", "a", "ae", "c",     "e",     "e", "e", "e", "i", "i", "i",     "i",      // E0-EF
    nullptr, "n", "o", "o", "o", "o", "o",  nullptr, nullptr, "u", "u", "u", "u", "y", nullptr, "y",      // F0-FF
};

// The replacement of `c` as ASCII text, or null when `c` is kept.
const char *FoldCharacter(WCHAR c) {
    if (c >= 0xC0 && c <= 0xFF) return LATIN1_FOLDS[c - 0xC0];
    if (c == 0x152) return "OE";
    if (c == 0x153) return "oe";
    if (c >= 0x2018 && c <= 0x201B) return "'";
    if (c >= 0x201C && c <= 0x201F) return "\"";
    return nullptr;
}

}  // namespace

int FoldSchemeName(LPCWSTR name, LPWSTR folded) {
    return FoldSchemeNameInto(name, folded, FOLDED_NAME_SIZE);
}

int FoldSchemeNameInto(LPCWSTR name, LPWSTR folded, size_t capacity) {
    size_t length = 0;
    folded[0] = 0;
    if (!name) return 0;
    for (; *name; ++name) {
        const char *replacement = FoldCharacter(*name);
        size_t count = replacement ? strlen(replacement) : 1;
        if (length + count >= capacity) {
            folded[0] = 0;
            return -1;
        }
        if (!replacement) {
            folded[length++] = *name;
            continue;
        }
        for (size_t i = 0; i < count; ++i) folded[length++] = (WCHAR)replacement[i];
    }
    folded[length] = 0;
    return (int)length;
}
