// The sections a write puts into a scheme file of our own: their text,
// made from a loaded scheme or from what is in effect now (the host's nine
// colour directives, ColorDir and the console palette), and the orders in
// which the header that names one finds it.
#include <stdlib.h>
#include <string.h>

#include "../base/base.h"
#include "../plugin/host.h"
#include "../plugin/plugin.h"
#include "../textio/textio.h"
#include "schemes.h"

// ---- the text of a section ----

namespace {

// Writes the pieces in order; the first error ends it.
LONG WritePieces(OutputFile *output, LPCWSTR first, LPCWSTR second, LPCWSTR third) {
    LONG error = WriteText(output, first);
    if (error == 0) error = WriteText(output, second);
    if (error == 0) error = WriteText(output, third);
    return error;
}

// The ColorDir variable when it is set and not empty, else the host's
// ColorDir option, into `text` (COLOR_DIR_TEXT_SIZE characters).
void ReadColorDirText(LPWSTR text) {
    if (ReadColorDirVariable(text) && text[0] != 0) return;
    WCHAR option[OPTION_TEXT_SIZE];
    option[0] = 0;
    QueryOptionValue(TEXT("ColorDir"), option);
    option[OPTION_TEXT_SIZE - 1] = 0;
    StrCopy(text, COLOR_DIR_TEXT_SIZE, option);
}

}  // namespace

bool ReadEffectColors(EffectColors *colors) {
    CONSOLE_SCREEN_BUFFER_INFOEX info;
    if (!ReadConsoleInfo(&info)) return false;
    for (int i = 0; i < 16; ++i) colors->palette[i] = SwapRedAndBlue(info.ColorTable[i]);
    constexpr int STD_COLORS = 0, SELECTED_COLORS = 8;  // in DIRECTIVE_NAMES
    colors->stdColors = static_cast<WORD>(
        QueryAttributeOption(DIRECTIVE_NAMES[STD_COLORS], DirectiveDefault(STD_COLORS, info.wAttributes)) & 0xFF);
    colors->selectedColors = static_cast<WORD>(
        QueryAttributeOption(DIRECTIVE_NAMES[SELECTED_COLORS], DirectiveDefault(SELECTED_COLORS, info.wAttributes)) &
        0xFF);
    return true;
}

namespace {

// The section `header` of the scheme's directives and palette with
// `colorDir`: 0 or the error of the first failed write.
LONG WriteSchemeSection(OutputFile *output, LPCWSTR header, const ColorScheme *scheme, LPCWSTR colorDir) {
    LONG error = WritePieces(output, TEXT("["), header, TEXT("]\r\n"));
    for (int i = 0; i < DIRECTIVE_COUNT && error == 0; ++i) {
        // Written as described, even when that is nothing (an overflow).
        error = WritePieces(output, DIRECTIVE_NAMES[i], TEXT("="), DescribeAttribute(SchemeDirective(scheme, i)));
        if (error == 0) error = WriteText(output, TEXT("\r\n"));
    }
    if (error == 0) error = WritePieces(output, TEXT("ColorDir="), colorDir, TEXT("\r\n"));
    WCHAR line[32];
    for (int i = 0; i < 16 && error == 0; ++i) {
        Format(line, 32, TEXT("Color %d=#%06x\r\n"), i, static_cast<unsigned>(SwapRedAndBlue(scheme->palette[i])));
        error = WriteText(output, line);
    }
    if (error == 0) error = WriteText(output, TEXT("\r\n"));
    return error;
}

// The section `header` with the colours in effect: 0, CONSOLE_INFO_UNREADABLE
// (nothing written), or the error of the first failed write.
LONG WriteEffectSection(OutputFile *output, LPCWSTR header) {
    CONSOLE_SCREEN_BUFFER_INFOEX info;
    if (!ReadConsoleInfo(&info)) return CONSOLE_INFO_UNREADABLE;
    ColorScheme effect;
    memset(&effect, 0, sizeof effect);
    for (int i = 0; i < DIRECTIVE_COUNT; ++i) {
        // The low 16 bits are all a description reads, an overflow's -1 included.
        *DirectiveField(&effect, i) =
            static_cast<WORD>(QueryAttributeOption(DIRECTIVE_NAMES[i], DirectiveDefault(i, info.wAttributes)));
    }
    for (int i = 0; i < 16; ++i) effect.palette[i] = info.ColorTable[i];
    WCHAR colorDir[COLOR_DIR_TEXT_SIZE];
    ReadColorDirText(colorDir);
    return WriteSchemeSection(output, header, &effect, colorDir);
}

}  // namespace

LONG WriteSection(OutputFile *output, const WrittenSection *section, LPCWSTR header) {
    if (!section->scheme) return WriteEffectSection(output, header);
    return WriteSchemeSection(output, header, section->scheme, section->scheme->ColorDir);
}

LONG AppendSections(OutputFile *output, const SectionSet *set, bool separated) {
    for (int i = 0; i < set->count; ++i) {
        const WrittenSection *section = &set->sections[i];
        if (section->written) continue;
        LONG error = separated ? 0 : WriteText(output, TEXT("\r\n"));
        separated = true;
        if (error == 0) error = WriteSection(output, section, section->name);
        if (error != 0) return error;
    }
    return 0;
}

// ---- finding a section by its header ----

namespace {

int CompareNames(const void *a, const void *b) {
    const WrittenSection *x = *static_cast<WrittenSection *const *>(a), *y = *static_cast<WrittenSection *const *>(b);
    int order = StrCompareI(x->name, y->name);
    return order != 0 ? order : (x > y) - (x < y);
}

int CompareFolded(const void *a, const void *b) {
    const WrittenSection *x = *static_cast<WrittenSection *const *>(a), *y = *static_cast<WrittenSection *const *>(b);
    int order = StrCompareI(x->folded, y->folded);
    return order != 0 ? order : (x > y) - (x < y);
}

// Fills the folded names and the two orders of the set's sections, whose
// schemes and names are set.
void IndexSections(SectionSet *set) {
    for (int i = 0; i < set->count; ++i) {
        WrittenSection *section = &set->sections[i];
        if (FoldSchemeNameInto(section->name, section->folded, FOLDED_KEY_SIZE) < 0) section->folded[0] = 0;
        section->written = section->sameNameAhead = false;
        set->byName[i] = set->byFolded[i] = section;
    }
    qsort(set->byName, static_cast<size_t>(set->count), sizeof(WrittenSection *), CompareNames);
    qsort(set->byFolded, static_cast<size_t>(set->count), sizeof(WrittenSection *), CompareFolded);
}

// The first entry of `order` (`count` long) whose key, as `key` reads it,
// is not below `text`.
WrittenSection **LowerBound(WrittenSection **order, int count, LPCWSTR text, LPCWSTR (*key)(const WrittenSection *)) {
    while (count > 0) {
        int half = count / 2;
        if (StrCompareI(key(order[half]), text) < 0) {
            order += half + 1;
            count -= half + 1;
        } else {
            count = half;
        }
    }
    return order;
}

LPCWSTR NameOf(const WrittenSection *section) {
    return section->name;
}

LPCWSTR FoldedOf(const WrittenSection *section) {
    return section->folded;
}

}  // namespace

WrittenSection *FindSectionByName(const SectionSet *set, LPCWSTR stored) {
    WrittenSection **found = LowerBound(set->byName, set->count, stored, NameOf);
    return found < set->byName + set->count && StrCompareI((*found)->name, stored) == 0 ? *found : nullptr;
}

WrittenSection *FindSectionByFoldedName(const SectionSet *set, LPCWSTR stored, bool lookedAhead, bool *needsLookAhead) {
    *needsLookAhead = false;
    WCHAR folded[FOLDED_KEY_SIZE];
    if (FoldSchemeNameInto(stored, folded, FOLDED_KEY_SIZE) < 0 || folded[0] == 0) return nullptr;
    WrittenSection **end = set->byFolded + set->count;
    for (WrittenSection **at = LowerBound(set->byFolded, set->count, folded, FoldedOf);
         at < end && StrCompareI((*at)->folded, folded) == 0; ++at) {
        if ((*at)->written) continue;
        if (!lookedAhead) {
            *needsLookAhead = true;
            return nullptr;
        }
        if (!(*at)->sameNameAhead) return *at;
    }
    return nullptr;
}

void FreeSectionSet(SectionSet *set) {
    MemFree(set->sections);
    set->sections = nullptr;
    set->count = 0;
}

void InitEffectSectionSet(EffectSectionSet *effect, LPCWSTR name) {
    effect->section.scheme = nullptr;
    effect->section.name = name;
    effect->set = {&effect->section, &effect->byName, &effect->byFolded, 1};
    IndexSections(&effect->set);
}

bool NewSectionSet(SectionSet *set, const ColorScheme *const *schemes, int count) {
    size_t each = sizeof(WrittenSection) + 2 * sizeof(WrittenSection *);
    auto *block = static_cast<BYTE *>(MemAlloc(static_cast<size_t>(count) * each));
    if (!block) return false;
    set->sections = reinterpret_cast<WrittenSection *>(block);
    set->byName = reinterpret_cast<WrittenSection **>(block + static_cast<size_t>(count) * sizeof(WrittenSection));
    set->byFolded = set->byName + count;
    set->count = count;
    for (int i = 0; i < count; ++i) {
        set->sections[i].scheme = schemes[i];
        set->sections[i].name = schemes[i]->name;
    }
    IndexSections(set);
    return true;
}
