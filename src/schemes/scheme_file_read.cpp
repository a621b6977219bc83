// Reading a scheme file: one pass over its lines, each section's settings
// gathered in a template, each complete section appended to the file's own
// list. The scheme list itself changes only at the end, so a file that
// gives nothing leaves it as it was.
#include <string.h>

#include "../base/base.h"
#include "../plugin/host.h"
#include "../plugin/plugin.h"
#include "../textio/textio.h"
#include "schemes.h"

// ---- lines ----
// The line work of scheme files: trimming, and splitting a setting into its
// key and value. White space is the table of src/base, the same on both
// targets.

namespace {

// No character from "!" to U+0084 is white space: most characters of a
// scheme file are decided without the table.
bool IsBlank(WCHAR c) {
    return (c <= 0x20 || c >= 0x85) && IsWhiteSpace(c);
}

// Copies `count` characters of `from` into `to` (SETTING_TEXT_SIZE) and
// trims its end; false when they would not fit.
bool TakePart(LPCWSTR from, size_t count, LPWSTR to) {
    if (count >= SETTING_TEXT_SIZE) return false;
    while (count > 0 && IsBlank(from[count - 1])) --count;
    for (size_t i = 0; i < count; ++i) to[i] = from[i];
    to[count] = 0;
    return true;
}

}  // namespace

size_t TrimTrailingBlanks(LPWSTR text) {
    if (!text) return 0;
    size_t length = StrLen(text);
    while (length > 0 && IsBlank(text[length - 1])) --length;
    text[length] = 0;
    return length;
}

size_t TrimBlanks(LPWSTR text) {
    if (!text) return 0;
    size_t end = StrLen(text);
    size_t start = 0;
    while (start < end && IsBlank(text[start])) ++start;
    while (end > start && IsBlank(text[end - 1])) --end;
    // Moved down in place: the text only ever gets shorter.
    for (size_t i = start; i < end; ++i) text[i - start] = text[i];
    text[end - start] = 0;
    return end - start;
}

bool SplitKeyValue(LPCWSTR line, LPWSTR key, LPWSTR value) {
    if (!key || !value) return false;
    key[0] = 0;
    value[0] = 0;
    if (!line) return false;
    while (IsBlank(*line)) ++line;
    LPCWSTR equals = StrFindChar(line, TEXT('='));
    if (!equals) return false;
    LPCWSTR after = equals + 1;
    while (IsBlank(*after)) ++after;
    if (!TakePart(line, static_cast<size_t>(equals - line), key) || key[0] == 0 ||
        !TakePart(after, StrLen(after), value)) {
        key[0] = 0;
        value[0] = 0;
        return false;
    }
    return true;
}

// A header is "[" first and a "]" anywhere after it: the name ends at the
// first "]" and whatever follows it is ignored. Comments and settings are
// looked for only in other lines.
SchemeLineKind ScanSchemeLine(LPCWSTR line, const SchemeLine *parts) {
    if (line[0] == TEXT('[')) {
        if (LPCWSTR close = StrFindChar(line, TEXT(']'))) {
            size_t length = static_cast<size_t>(close - (line + 1));
            for (size_t i = 0; i < length; ++i) parts->section[i] = line[1 + i];
            parts->section[length] = 0;
            return SCHEME_LINE_SECTION;
        }
    }
    if (line[0] == 0 || line[0] == TEXT(';') || !parts->key) return SCHEME_LINE_OTHER;
    return SplitKeyValue(line, parts->key, parts->value) ? SCHEME_LINE_SETTING : SCHEME_LINE_OTHER;
}

bool AppendDefaultSchemeFile(LPWSTR path, size_t capacity) {
    return AppendPathName(path, capacity, DEFAULT_SCHEME_FILE);
}

// ---- reading ----

namespace {

// Everything a read works with besides the template, whose ColorDir member
// has no size and so cannot sit inside another record.
struct FileReading {
    SchemeBatch *batch;  // where the accepted schemes go
    int count;           // how many of them this source gave
    bool sectionRead;    // the current section's settings count
    WCHAR sectionName[LINE_BUFFER_SIZE];
    WCHAR header[LINE_BUFFER_SIZE];  // the name of the header just read, until its section begins
    WCHAR colorDir[SETTING_TEXT_SIZE];
    WCHAR key[SETTING_TEXT_SIZE];
    WCHAR value[SETTING_TEXT_SIZE];
    WCHAR line[LINE_BUFFER_SIZE];
};

// Nothing set: every directive and palette entry holds its "not read" mark.
void ResetTemplate(ColorScheme *scheme, FileReading *reading) {
    memset(scheme, 0, sizeof *scheme);
    for (int i = 0; i < DIRECTIVE_COUNT; ++i) *DirectiveField(scheme, i) = UNSET_ATTRIBUTE;
    for (DWORD &entry : scheme->palette) entry = UNSET_COLOR;
    reading->colorDir[0] = 0;
}

void FinishSection(ColorScheme *scheme, FileReading *reading) {
    if (!reading->sectionRead || !CompleteScheme(scheme, reading->sectionName)) return;
    // A scheme that finds no memory is dropped; the read goes on.
    if (AddToBatch(reading->batch, scheme, reading->sectionName, reading->colorDir) == BATCH_ADDED) ++reading->count;
}

// A section header: the name in reading->header, trimmed at both ends.
void BeginSection(ColorScheme *scheme, FileReading *reading) {
    FinishSection(scheme, reading);
    StrCopy(reading->sectionName, LINE_BUFFER_SIZE, reading->header);
    TrimBlanks(reading->sectionName);
    LPCWSTR name = reading->sectionName;
    // Empty names, switched-off schemes ("!") and names already read (as
    // the record cuts them, so a long name repeated is the same scheme) are
    // skipped with all their settings.
    reading->sectionRead = name[0] != 0 && name[0] != TEXT('!') && !BatchHoldsName(reading->batch, name);
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
    if (!IsAsciiDigit(number[0]) || !ParseNumber(number, &index) || index > 15) return -1;
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
    while (ReadLine(source, line, READ_LINE_SKIP_BLANK)) {
        TrimBlanks(line);
        // Settings are split only where they count.
        const SchemeLine parts = {reading->header, reading->sectionRead ? reading->key : nullptr, reading->value};
        switch (ScanSchemeLine(line, &parts)) {
            case SCHEME_LINE_SECTION:
                BeginSection(scheme, reading);
                break;
            case SCHEME_LINE_SETTING:
                ApplySetting(scheme, reading);
                break;
            case SCHEME_LINE_OTHER:
                break;
        }
    }
    FinishSection(scheme, reading);
}

}  // namespace

int ReadSchemeSource(TextSource *source, SchemeBatch *batch) {
    FileReading reading;
    reading.batch = batch;
    reading.count = 0;
    reading.sectionRead = false;
    reading.sectionName[0] = 0;
    ColorScheme scheme;
    ResetTemplate(&scheme, &reading);
    ReadLines(source, &scheme, &reading);
    return reading.count;
}

int ReadSchemeFile(LPCWSTR name, bool merge) {
    if (!name || name[0] == 0) return -1;
    TextSource source = TextSource();
    LONG opened = OpenTextSource(&source, name);
    if (opened != 0) {
        if (opened > 0) SetLastError(static_cast<DWORD>(opened));
        return 0;
    }
    SchemeBatch batch;
    InitSchemeBatch(&batch);
    int count = ReadSchemeSource(&source, &batch);
    CloseTextSource(&source);
    if (count > 0) TakeOverSchemes(&batch, merge);
    FreeSchemeBatch(&batch);
    return count;
}

// ---- the default scheme file ----
// The scheme file read at start-up: Vivanta.ini beside the plugin, or else
// beside the host's command processor.

bool DefaultSchemeFilePath(LPWSTR path) {
    DWORD length = GetModuleFileNameW(g_plugin.module, path, MODULE_PATH_SIZE);
    // A cut-off name would lead to some other directory.
    if (length == 0 || length >= MODULE_PATH_SIZE) return false;
    path[length] = 0;
    path[PathDirectoryLength(path)] = 0;
    bool beside = AppendDefaultSchemeFile(path, MODULE_PATH_SIZE);
    if (beside && QueryIsFile(path)) return true;

    // The host's directory. Without one there is nothing to look at: a bare
    // file name would be read from whatever the current directory is.
    WCHAR host[MODULE_PATH_SIZE];
    StrCopy(host, MODULE_PATH_SIZE, TEXT("%@path[%_cmdspec]"));
    ExpandVariables(host, 1);
    if (AppendDefaultSchemeFile(host, MODULE_PATH_SIZE) && QueryIsFile(host)) {
        StrCopy(path, MODULE_PATH_SIZE, host);
        return true;
    }
    return beside;
}

int LoadDefaultSchemeFile(void) {
    WCHAR path[MODULE_PATH_SIZE];
    if (DefaultSchemeFilePath(path) && QueryIsFile(path)) return ReadSchemeFile(path, false);
    return 0;
}
