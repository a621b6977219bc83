// Schemes from ColorTool's .ini files: the sixteen colours by console slot
// under [table], "r,g,b" or "#rrggbb"; the default and popup colours by
// slot name under [screen] and [popup]; an optional name under [info]. The
// lines are told apart by the same scanner as our own scheme files, so the
// two .INI dialects never disagree on what a section or a setting is. A file
// is ColorTool's when its [table] section names a slot: a scheme of ours
// called "table" holds directives instead.
#include "../base/base.h"
#include "import.h"

namespace {

// clang-format off
// Console slot order.
const LPCWSTR SLOT_KEYS[16] = {
    TEXT("DARK_BLACK"), TEXT("DARK_BLUE"), TEXT("DARK_GREEN"), TEXT("DARK_CYAN"),
    TEXT("DARK_RED"), TEXT("DARK_MAGENTA"), TEXT("DARK_YELLOW"), TEXT("DARK_WHITE"),
    TEXT("BRIGHT_BLACK"), TEXT("BRIGHT_BLUE"), TEXT("BRIGHT_GREEN"), TEXT("BRIGHT_CYAN"),
    TEXT("BRIGHT_RED"), TEXT("BRIGHT_MAGENTA"), TEXT("BRIGHT_YELLOW"), TEXT("BRIGHT_WHITE")};
// clang-format on

enum class Section { OTHER, TABLE, SCREEN, POPUP, INFO };

int SlotNamed(LPCWSTR name) {
    for (int slot = 0; slot < 16; ++slot) {
        if (StrCompareI(name, SLOT_KEYS[slot]) == 0) return slot;
    }
    return NO_SLOT;
}

// "r,g,b" (decimal, 0-255, blanks allowed around the numbers) or
// "#rrggbb" as 0xRRGGBB; -1 otherwise.
LONG ParseTableColor(LPCWSTR text) {
    if (text[0] == '#') {
        size_t length = StrLen(text);
        return length == 7 ? ParseHexColor(text, length) : -1;
    }
    LONG color = 0;
    for (int part = 0; part < 3; ++part) {
        while (IsWhiteSpace(*text)) ++text;
        if (!IsAsciiDigit(*text)) return -1;
        LONG value = 0;
        for (; IsAsciiDigit(*text); ++text) {
            value = value * 10 + (*text - '0');
            if (value > 255) return -1;
        }
        while (IsWhiteSpace(*text)) ++text;
        if (*text != (part < 2 ? ',' : 0)) return -1;
        if (part < 2) ++text;
        color = color << 8 | value;
    }
    return color;
}

struct Reading {
    TerminalScheme scheme;
    bool slotSeen[16];
    bool tableSeen;  // a [table] section naming a slot: the file is ours to read
    Section section;
    LPWSTR error;
    WCHAR name[SETTING_TEXT_SIZE];
    WCHAR sectionName[SETTING_TEXT_SIZE];  // lines this long or longer are never scanned
    WCHAR key[SETTING_TEXT_SIZE];
    WCHAR value[SETTING_TEXT_SIZE];
};

Section SectionNamed(LPWSTR name) {
    TrimBlanks(name);
    if (StrCompareI(name, TEXT("table")) == 0) return Section::TABLE;
    if (StrCompareI(name, TEXT("screen")) == 0) return Section::SCREEN;
    if (StrCompareI(name, TEXT("popup")) == 0) return Section::POPUP;
    if (StrCompareI(name, TEXT("info")) == 0) return Section::INFO;
    return Section::OTHER;
}

// One setting of the section being read; false with the error set when it
// is wrong. What ColorTool itself ignores is ignored here too.
bool TakeSetting(Reading *reading) {
    int slot = SlotNamed(reading->key);
    switch (reading->section) {
        case Section::TABLE: {
            if (slot == NO_SLOT) return true;
            reading->tableSeen = true;
            LONG color = ParseTableColor(reading->value);
            if (color < 0) {
                Format(reading->error, IMPORT_ERROR_SIZE, TEXT("[table] %s is not a colour (r,g,b): \"%s\""),
                       SLOT_KEYS[slot], reading->value);
                return false;
            }
            reading->scheme.ansi[ConsoleSlotOfAnsi(slot)] = static_cast<DWORD>(color);
            reading->slotSeen[slot] = true;
            return true;
        }
        case Section::SCREEN:
        case Section::POPUP: {
            bool screen = reading->section == Section::SCREEN;
            bool foreground = StrCompareI(reading->key, TEXT("FOREGROUND")) == 0;
            if (!foreground && StrCompareI(reading->key, TEXT("BACKGROUND")) != 0) return true;
            int named = SlotNamed(reading->value);
            if (named == NO_SLOT) {
                Format(reading->error, IMPORT_ERROR_SIZE, TEXT("[%s] %s names no colour: \"%s\""),
                       screen ? TEXT("screen") : TEXT("popup"), reading->key, reading->value);
                return false;
            }
            TerminalScheme &s = reading->scheme;
            (foreground ? (screen ? s.foregroundSlot : s.popupForegroundSlot)
                        : (screen ? s.backgroundSlot : s.popupBackgroundSlot)) = named;
            return true;
        }
        case Section::INFO:
            if (StrCompareI(reading->key, TEXT("name")) == 0 && reading->value[0] != 0) {
                StrCopy(reading->name, SETTING_TEXT_SIZE, reading->value);
            }
            return true;
        default:
            return true;
    }
}

// Each line of `text` (UTF-16, NUL-terminated, changed in place) through
// the scanner; false at the first wrong setting.
bool ReadLines(LPWSTR text, Reading *reading) {
    const SchemeLine parts = {reading->sectionName, reading->key, reading->value};
    for (LPWSTR line = text; line;) {
        LPWSTR next = const_cast<LPWSTR>(StrFindChar(line, '\n'));
        if (next) *next++ = 0;
        TrimBlanks(line);
        // A line longer than the scanner's buffers is no line of this format.
        if (StrLen(line) < SETTING_TEXT_SIZE) {
            switch (ScanSchemeLine(line, &parts)) {
                case SCHEME_LINE_SECTION:
                    reading->section = SectionNamed(reading->sectionName);
                    break;
                case SCHEME_LINE_SETTING:
                    if (!TakeSetting(reading)) return false;
                    break;
                default:
                    break;
            }
        }
        line = next;
    }
    return true;
}

}  // namespace

ImportResult ReadColorToolSchemes(const char *text, size_t size, LPCWSTR fileName, const SchemeSink *sink,
                                  LPWSTR error) {
    if (size >= 3 && static_cast<BYTE>(text[0]) == 0xEF && static_cast<BYTE>(text[1]) == 0xBB &&
        static_cast<BYTE>(text[2]) == 0xBF) {
        text += 3;
        size -= 3;
    }
    size_t units = Utf8ToUtf16(text, size, nullptr, 0);
    LPWSTR wide = static_cast<LPWSTR>(MemAlloc((units + 1) * sizeof(WCHAR)));
    Reading *reading = static_cast<Reading *>(MemAlloc(sizeof(Reading)));
    if (!wide || !reading) {
        MemFree(wide);
        MemFree(reading);
        return IMPORT_NO_MEMORY;
    }
    wide[Utf8ToUtf16(text, size, wide, units)] = 0;
    InitTerminalScheme(&reading->scheme);
    for (bool &seen : reading->slotSeen) seen = false;
    reading->tableSeen = false;
    reading->section = Section::OTHER;
    reading->error = error;
    StrCopy(reading->name, SETTING_TEXT_SIZE, fileName);

    ImportResult result = IMPORT_DONE;
    bool read = ReadLines(wide, reading);
    if (!reading->tableSeen) {
        result = IMPORT_NOT_THIS_FORMAT;
    } else if (!read) {
        result = IMPORT_BAD_FILE;
    } else {
        TerminalScheme &scheme = reading->scheme;
        for (int slot = 0; slot < 16 && result == IMPORT_DONE; ++slot) {
            if (reading->slotSeen[slot]) continue;
            Format(error, IMPORT_ERROR_SIZE, TEXT("[table] has no %s colour"), SLOT_KEYS[slot]);
            result = IMPORT_BAD_FILE;
        }
        if (result == IMPORT_DONE) {
            // The console's own default, grey on black, unless [screen] says.
            if (scheme.foregroundSlot == NO_SLOT) scheme.foregroundSlot = 7;
            if (scheme.backgroundSlot == NO_SLOT) scheme.backgroundSlot = 0;
            scheme.foreground = scheme.ansi[ConsoleSlotOfAnsi(scheme.foregroundSlot)];
            scheme.background = scheme.ansi[ConsoleSlotOfAnsi(scheme.backgroundSlot)];
            if (!sink->take(sink->context, &scheme, reading->name)) result = IMPORT_NO_MEMORY;
        }
    }
    MemFree(wide);
    MemFree(reading);
    return result;
}
