// Reading a scheme file: one pass over its lines, each section's settings
// gathered in a template, each complete section appended to the file's own
// list. The scheme list itself changes only at the end, so a file that
// gives nothing leaves it as it was.
#include <string.h>

#include "../base/wstr.h"
#include "../palette/palette.h"
#include "../plugin/host.h"
#include "../textio/line_reader.h"
#include "color_values.h"
#include "scheme_file.h"
#include "scheme_name_index.h"

namespace {

// Everything a read works with besides the template, whose ColorDir member
// has no size and so cannot sit inside another record.
struct FileReading {
    ColorScheme *head;   // the schemes accepted from this file
    ColorScheme **tail;  // the link the next one goes into
    SchemeNameIndex names;
    int count;
    BOOL sectionRead;    // the current section's settings count
    WCHAR sectionName[LINE_BUFFER_SIZE];
    WCHAR colorDir[SETTING_TEXT_SIZE];
    WCHAR key[SETTING_TEXT_SIZE];
    WCHAR value[SETTING_TEXT_SIZE];
    WCHAR line[LINE_BUFFER_SIZE];
};

// The directive fields in DIRECTIVE_NAMES order.
WORD *DirectiveField(ColorScheme *scheme, int index) {
    WORD *fields[DIRECTIVE_COUNT] = {&scheme->StdColors,   &scheme->InputColors,         &scheme->ErrorColors,
                                     &scheme->ListColors,  &scheme->ListStatBarColors,   &scheme->ListInverseColors,
                                     &scheme->SelectColors, &scheme->SelectStatBarColors, &scheme->SelectedColors};
    return fields[index];
}

// Nothing set: every directive and palette entry holds its "not read" mark.
void ResetTemplate(ColorScheme *scheme, FileReading *reading) {
    memset(scheme, 0, sizeof *scheme);
    for (int i = 0; i < DIRECTIVE_COUNT; ++i) *DirectiveField(scheme, i) = UNSET_ATTRIBUTE;
    for (DWORD &entry : scheme->palette) entry = UNSET_COLOR;
    reading->colorDir[0] = 0;
}

// A scheme's name is cut to what the record holds, so that is the name two
// sections are compared by: a long name repeated is the same scheme.
bool AlreadyAccepted(const FileReading *reading, LPCWSTR name) {
    WCHAR stored[SCHEME_NAME_SIZE];
    StrCopy(stored, SCHEME_NAME_SIZE, name);
    return FindInSchemeNameIndex(&reading->names, stored) != nullptr;
}

void FinishSection(ColorScheme *scheme, FileReading *reading) {
    if (!reading->sectionRead || !CompleteScheme(scheme, reading->sectionName)) return;
    // Appended at the tail link, so the file's list never has to be walked.
    // A scheme that finds no memory is dropped; the read goes on.
    if (!AddScheme(scheme, reading->sectionName, reading->colorDir, reading->tail)) return;
    ColorScheme *added = *reading->tail;
    reading->tail = &added->next;
    AddToSchemeNameIndex(&reading->names, added);
    ++reading->count;
}

// "[name]" and anything after the first "]": the name trimmed at both ends.
void BeginSection(LPCWSTR line, ColorScheme *scheme, FileReading *reading) {
    FinishSection(scheme, reading);
    LPCWSTR close = StrFindChar(line, TEXT(']'));
    size_t length = static_cast<size_t>(close - (line + 1));
    for (size_t i = 0; i < length; ++i) reading->sectionName[i] = line[1 + i];
    reading->sectionName[length] = 0;
    TrimBlanks(reading->sectionName);
    LPCWSTR name = reading->sectionName;
    // Empty names, switched-off schemes ("!") and names this file already
    // gave are skipped with all their settings.
    reading->sectionRead = name[0] != 0 && name[0] != TEXT('!') && !AlreadyAccepted(reading, name);
    ResetTemplate(scheme, reading);
}

void ApplyDirective(ColorScheme *scheme, int index, LPCWSTR value) {
    int foreground = -1, background = -1;
    ParseColors(value, &foreground, &background);
    if (foreground < 0 || foreground > 15 || background < 0 || background > 15 || foreground == background) return;
    *DirectiveField(scheme, index) = static_cast<WORD>(background * 16 + foreground);
}

// "Color", optional white space, and an index 0-15 in the strict number
// syntax to the end of the key; -1 for any other key.
LONG PaletteIndex(LPCWSTR key) {
    if (StrCompareNI(key, TEXT("Color"), 5) != 0) return -1;
    LPCWSTR number = key + 5;
    while (*number != 0 && IsWhiteSpace(*number)) ++number;
    DWORD index = 0;
    if (!IsAsciiDigit(number[0]) || ParseNumber(number, &index) != 0 || index > 15) return -1;
    return static_cast<LONG>(index);
}

// Palette keys come first only because most lines hold one: no palette
// key is a directive name or ColorDir, so the outcome is that of testing
// the directives, then ColorDir, then the palette.
void ApplySetting(ColorScheme *scheme, FileReading *reading) {
    LPCWSTR key = reading->key;
    LPCWSTR value = reading->value;
    LONG index = PaletteIndex(key);
    if (index >= 0) {
        LONG rgb = ParseColorValue(value);
        if (rgb >= 0) scheme->palette[index] = SwapRedAndBlue(static_cast<DWORD>(rgb));
        return;
    }
    for (int i = 0; i < DIRECTIVE_COUNT; ++i) {
        if (StrCompareI(key, DIRECTIVE_NAMES[i]) == 0) {
            ApplyDirective(scheme, i, value);
            return;
        }
    }
    if (StrCompareI(key, TEXT("ColorDir")) == 0) StrCopy(reading->colorDir, SETTING_TEXT_SIZE, value);
}

void ReadLines(TextSource *source, ColorScheme *scheme, FileReading *reading) {
    LPWSTR line = reading->line;
    while (ReadLine(source, line, READ_LINE_SKIP_BLANK) == 0) {
        TrimBlanks(line);
        if (line[0] == 0 || line[0] == TEXT(';')) continue;
        if (line[0] == TEXT('[') && StrFindChar(line, TEXT(']'))) {
            BeginSection(line, scheme, reading);
        } else if (reading->sectionRead && SplitKeyValue(line, reading->key, reading->value)) {
            ApplySetting(scheme, reading);
        }
    }
    FinishSection(scheme, reading);
}

}  // namespace

int ReadSchemeFile(LPCWSTR name, int merge) {
    if (!name || name[0] == 0) return -1;
    TextSource source = TextSource();
    if (OpenTextSource(&source, name) != 0) return 0;

    FileReading reading;
    reading.head = nullptr;
    reading.tail = &reading.head;
    InitSchemeNameIndex(&reading.names, &reading.head);
    reading.count = 0;
    reading.sectionRead = FALSE;
    reading.sectionName[0] = 0;
    ColorScheme scheme;
    ResetTemplate(&scheme, &reading);

    ReadLines(&source, &scheme, &reading);
    CloseTextSource(&source);
    if (reading.count > 0) TakeOverSchemes(reading.head, &reading.names, merge);
    FreeSchemeNameIndex(&reading.names);
    return reading.count;
}
