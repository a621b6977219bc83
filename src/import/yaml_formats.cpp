// Schemes from YAML: base16 and base24 (the current layout with a "palette"
// map, and the older one with "scheme" and the baseXX keys at the top) and
// Gogh's themes. base16 and base24 give colours by role, not by terminal
// slot: the console slots take them as their terminal templates do, with
// base00 the background, base05 the text and base02 the selection.
// JSON is YAML too, so this reader runs after the JSON one; a text that is
// no YAML, or YAML of another shape, is left to the other readers unless it
// names base00 or color_01, in which case it was meant for this one. The
// text is read as events (yaml_events.cpp), keeping only what a scheme is
// made of.
#include <cstdio>
#include <cstring>

#include "../base/base.h"
#include "yaml_events.h"

namespace {

// clang-format off
// Console slot order.
const char *const BASE16_SLOTS[16] = {
    "base00", "base0D", "base0B", "base0C", "base08", "base0E", "base0A", "base05",
    "base03", "base0D", "base0B", "base0C", "base08", "base0E", "base0A", "base07"};
const char *const BASE24_SLOTS[16] = {
    "base00", "base0D", "base0B", "base0C", "base08", "base0E", "base0A", "base05",
    "base03", "base16", "base14", "base15", "base12", "base17", "base13", "base07"};
// clang-format on

struct Reading {
    const YamlMapping *map;  // where the colours are: the top level or "palette"
    LPWSTR error;
    WCHAR name[SETTING_TEXT_SIZE];
};

void SetError(Reading *reading, LPCWSTR format, const char *key) {
    ReportSchemeError(reading->error, format, reading->name, key);
}

// "#rrggbb", "rrggbb" or "#rgb" under `key`, as 0xRRGGBB.
bool ReadColor(Reading *reading, const char *key, bool required, DWORD *color) {
    *color = UNSET_COLOR;
    const YamlValue &value = reading->map->values[YamlKeyOf(key, strlen(key))];
    if (value.kind == VALUE_NONE) {
        if (!required) return true;
        SetError(reading, MISSING_COLOR_FORMAT, key);
        return false;
    }
    LONG parsed = -1;
    if (value.kind == VALUE_SCALAR && value.length < YAML_SHORT_TEXT) {
        char text[YAML_SHORT_TEXT + 2] = "#";
        size_t length = value.length;
        if (length > 0 && value.text[0] == '#') {
            memcpy(text, value.text, length);
        } else {
            memcpy(text + 1, value.text, length++);
        }
        parsed = ParseHexColor(text, length);
    }
    if (parsed < 0) {
        SetError(reading, TEXT("scheme \"%s\": \"%s\" is not a colour (#rrggbb)"), key);
        return false;
    }
    *color = static_cast<DWORD>(parsed);
    return true;
}

bool IsText(const YamlValue &value, const char *text) {
    size_t length = strlen(text);
    return value.kind == VALUE_SCALAR && value.length == length && length <= YAML_SHORT_TEXT &&
           memcmp(value.text, text, length) == 0;
}

void ReadName(Reading *reading, const YamlDocument *document, LPCWSTR fileName) {
    StrCopy(reading->name, SETTING_TEXT_SIZE, fileName);
    const YamlKey keys[2] = {YAML_KEY_NAME, YAML_KEY_SCHEME};
    for (YamlKey key : keys) {
        const YamlValue &value = document->top.values[key];
        if (value.kind == VALUE_SCALAR && value.length > 0) {
            WidenUtf8(document->longText[key], value.kept, reading->name, SETTING_TEXT_SIZE);
            return;
        }
    }
}

// Which of the formats a text was read as.
enum YamlFormat { YAML_BASE16, YAML_BASE24, YAML_GOGH };

ImportResult ReadScheme(const YamlDocument *document, LPCWSTR fileName, const SchemeSink *sink, LPWSTR error,
                        YamlFormat *format) {
    const YamlMapping &top = document->top;
    Reading reading = {top.values[YAML_KEY_PALETTE].kind == VALUE_MAPPING ? &document->palette : &top, error, {0}};
    ReadName(&reading, document, fileName);
    TerminalScheme scheme;
    InitTerminalScheme(&scheme);
    const YamlValue *values = reading.map->values;
    if (values[YAML_KEY_BASE].kind != VALUE_NONE) {
        bool base24 = IsText(top.values[YAML_KEY_SYSTEM], "base24") || values[YAML_KEY_BASE + 0x10].kind != VALUE_NONE;
        *format = base24 ? YAML_BASE24 : YAML_BASE16;
        const char *const *slots = base24 ? BASE24_SLOTS : BASE16_SLOTS;
        for (int i = 0; i < 16; ++i) {
            if (!ReadColor(&reading, slots[ConsoleSlotOfAnsi(i)], true, &scheme.ansi[i])) return IMPORT_BAD_FILE;
        }
        if (!ReadColor(&reading, "base00", true, &scheme.background) ||
            !ReadColor(&reading, "base05", true, &scheme.foreground) ||
            !ReadColor(&reading, "base02", false, &scheme.selectionBackground)) {
            return IMPORT_BAD_FILE;
        }
    } else if (top.values[YAML_KEY_COLOR].kind != VALUE_NONE) {
        *format = YAML_GOGH;
        char key[16];
        for (int i = 0; i < 16; ++i) {
            snprintf(key, sizeof key, "color_%02d", i + 1);
            if (!ReadColor(&reading, key, true, &scheme.ansi[i])) return IMPORT_BAD_FILE;
        }
        if (!ReadColor(&reading, "background", true, &scheme.background) ||
            !ReadColor(&reading, "foreground", true, &scheme.foreground)) {
            return IMPORT_BAD_FILE;
        }
    } else {
        return IMPORT_NOT_THIS_FORMAT;
    }
    return sink->take(sink->context, &scheme, reading.name) ? IMPORT_DONE : IMPORT_NO_MEMORY;
}

// ---- what is refused before the parser sees it ----

// libyaml checks every open flow collection ("[", "{") at every token, so
// deep nesting costs it time in proportion to depth times length: a crafted
// file would hold the shell for hours. Scheme files nest two levels at most.
constexpr int MAX_FLOW_DEPTH = 32;

bool StartsToken(char before) {
    return strchr(" \t\r\n[{,:-", before) != nullptr;
}

// True when the text's flow collections nest deeper than MAX_FLOW_DEPTH,
// brackets in quoted scalars and comments not counted.
bool NestsTooDeep(const char *text, size_t size) {
    int depth = 0;
    char quote = 0;
    bool comment = false;
    for (size_t at = 0; at < size; ++at) {
        char c = text[at];
        char before = at > 0 ? text[at - 1] : '\n';
        if (comment) {
            comment = c != '\n' && c != '\r';
        } else if (quote == '"') {
            if (c == '\\') {
                ++at;
            } else if (c == '"') {
                quote = 0;
            }
        } else if (quote == '\'') {
            // '' inside single quotes is a quote character: closing and
            // opening again comes to the same.
            if (c == '\'') quote = 0;
        } else if (c == '#' && StartsToken(before)) {
            comment = true;
        } else if ((c == '"' || c == '\'') && StartsToken(before)) {
            quote = c;
        } else if (c == '[' || c == '{') {
            if (++depth > MAX_FLOW_DEPTH) return true;
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
    return false;
}

bool MentionsOurKeys(const char *text, size_t size) {
    const char *const keys[2] = {"base00", "color_01"};
    for (const char *key : keys) {
        size_t length = strlen(key);
        for (size_t at = 0; at + length <= size; ++at) {
            if (memcmp(text + at, key, length) == 0) return true;
        }
    }
    return false;
}

// As ReadYamlSchemes; `*format` says which format the scheme was read as
// (set only when it was), `*moreFollows` whether the text goes on past it.
ImportResult ReadYaml(const char *text, size_t size, LPCWSTR fileName, const SchemeSink *sink, LPWSTR error,
                      YamlFormat *format, bool *moreFollows) {
    if (NestsTooDeep(text, size)) {
        if (!MentionsOurKeys(text, size)) return IMPORT_NOT_THIS_FORMAT;
        Format(error, IMPORT_ERROR_SIZE, TEXT("not valid YAML: nested deeper than %d levels"), MAX_FLOW_DEPTH);
        return IMPORT_BAD_FILE;
    }
    auto *document = static_cast<YamlDocument *>(MemCalloc(1, sizeof(YamlDocument)));
    if (!document) return IMPORT_NO_MEMORY;
    ImportResult result;
    switch (ReadYamlDocument(text, size, document)) {
        case YAML_DOCUMENT_READ:
            result =
                document->topIsMapping ? ReadScheme(document, fileName, sink, error, format) : IMPORT_NOT_THIS_FORMAT;
            *moreFollows = document->moreFollows;
            break;
        case YAML_DOCUMENT_BROKEN:
            if (!MentionsOurKeys(text, size)) {
                result = IMPORT_NOT_THIS_FORMAT;
                break;
            }
            ReportParseError(error, TEXT("not valid YAML: %s (line %u)"),
                             document->problem ? document->problem : "unreadable",
                             static_cast<unsigned>(document->line + 1));
            result = IMPORT_BAD_FILE;
            break;
        default:
            result = IMPORT_NO_MEMORY;
            break;
    }
    MemFree(document);
    return result;
}

bool IgnoreScheme(void *, const TerminalScheme *, LPCWSTR) {
    return true;
}

}  // namespace

ImportResult ReadYamlSchemes(const char *text, size_t size, LPCWSTR fileName, const SchemeSink *sink, LPWSTR error) {
    YamlFormat format = YAML_BASE16;
    bool moreFollows = false;
    return ReadYaml(text, size, fileName, sink, error, &format, &moreFollows);
}

bool IsOneGoghScheme(const char *text, size_t size) {
    const SchemeSink ignore = {IgnoreScheme, nullptr};
    WCHAR error[IMPORT_ERROR_SIZE];
    YamlFormat format = YAML_BASE16;
    bool moreFollows = true;
    return ReadYaml(text, size, TEXT(""), &ignore, error, &format, &moreFollows) == IMPORT_DONE &&
           format == YAML_GOGH && !moreFollows;
}
