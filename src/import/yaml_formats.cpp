// Schemes from YAML: base16 and base24 (the current layout with a "palette"
// map, and the older one with "scheme" and the baseXX keys at the top) and
// Gogh's themes. base16 and base24 give colours by role, not by terminal
// slot: the console slots take them as their terminal templates do, with
// base00 the background, base05 the text and base02 the selection.
// JSON is YAML too, so this reader runs after the JSON one; a text that is
// no YAML, or YAML of another shape, is left to the other readers unless it
// names base00 or color_01, in which case it was meant for this one.
#include <yaml.h>

#include <cstdio>
#include <cstring>

#include "../base/base.h"
#include "import.h"

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
    yaml_document_t *document;
    yaml_node_t *map;  // where the colours are: the top level or "palette"
    LPWSTR error;
    WCHAR name[SETTING_TEXT_SIZE];
};

bool IsScalar(const yaml_node_t *node, const char *text) {
    return node && node->type == YAML_SCALAR_NODE && node->data.scalar.length == strlen(text) &&
           memcmp(node->data.scalar.value, text, node->data.scalar.length) == 0;
}

// The value under `key` in the mapping `map`; null when there is none.
yaml_node_t *ValueOf(yaml_document_t *document, yaml_node_t *map, const char *key) {
    if (!map || map->type != YAML_MAPPING_NODE) return nullptr;
    for (yaml_node_pair_t *pair = map->data.mapping.pairs.start; pair < map->data.mapping.pairs.top; ++pair) {
        if (IsScalar(yaml_document_get_node(document, pair->key), key)) {
            return yaml_document_get_node(document, pair->value);
        }
    }
    return nullptr;
}

void SetError(Reading *reading, LPCWSTR format, const char *key) {
    ReportSchemeError(reading->error, format, reading->name, key);
}

// "#rrggbb", "rrggbb" or "#rgb" under `key`, as 0xRRGGBB.
bool ReadColor(Reading *reading, const char *key, bool required, DWORD *color) {
    *color = UNSET_COLOR;
    yaml_node_t *value = ValueOf(reading->document, reading->map, key);
    if (!value) {
        if (!required) return true;
        SetError(reading, MISSING_COLOR_FORMAT, key);
        return false;
    }
    LONG parsed = -1;
    if (value->type == YAML_SCALAR_NODE && value->data.scalar.length < 16) {
        char text[18] = "#";
        const char *scalar = reinterpret_cast<const char *>(value->data.scalar.value);
        size_t length = value->data.scalar.length;
        if (length > 0 && scalar[0] == '#') {
            memcpy(text, scalar, length);
        } else {
            memcpy(text + 1, scalar, length++);
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

void ReadName(Reading *reading, yaml_node_t *root, LPCWSTR fileName) {
    StrCopy(reading->name, SETTING_TEXT_SIZE, fileName);
    const char *const keys[2] = {"name", "scheme"};
    for (const char *key : keys) {
        yaml_node_t *value = ValueOf(reading->document, root, key);
        if (value && value->type == YAML_SCALAR_NODE && value->data.scalar.length > 0) {
            WidenUtf8(reinterpret_cast<const char *>(value->data.scalar.value), value->data.scalar.length,
                      reading->name, SETTING_TEXT_SIZE);
            return;
        }
    }
}

ImportResult ReadDocument(yaml_document_t *document, LPCWSTR fileName, const SchemeSink *sink, LPWSTR error) {
    yaml_node_t *root = yaml_document_get_root_node(document);
    if (!root || root->type != YAML_MAPPING_NODE) return IMPORT_NOT_THIS_FORMAT;
    Reading reading = {document, root, error, {0}};
    ReadName(&reading, root, fileName);
    TerminalScheme scheme;
    InitTerminalScheme(&scheme);
    yaml_node_t *palette = ValueOf(document, root, "palette");
    if (palette && palette->type == YAML_MAPPING_NODE) reading.map = palette;
    if (ValueOf(document, reading.map, "base00")) {
        yaml_node_t *system = ValueOf(document, root, "system");
        bool base24 = IsScalar(system, "base24") || ValueOf(document, reading.map, "base10");
        const char *const *slots = base24 ? BASE24_SLOTS : BASE16_SLOTS;
        for (int i = 0; i < 16; ++i) {
            if (!ReadColor(&reading, slots[ConsoleSlotOfAnsi(i)], true, &scheme.ansi[i])) return IMPORT_BAD_FILE;
        }
        if (!ReadColor(&reading, "base00", true, &scheme.background) ||
            !ReadColor(&reading, "base05", true, &scheme.foreground) ||
            !ReadColor(&reading, "base02", false, &scheme.selectionBackground)) {
            return IMPORT_BAD_FILE;
        }
    } else if (ValueOf(document, root, "color_01")) {
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

}  // namespace

ImportResult ReadYamlSchemes(const char *text, size_t size, LPCWSTR fileName, const SchemeSink *sink, LPWSTR error) {
    if (NestsTooDeep(text, size)) {
        if (!MentionsOurKeys(text, size)) return IMPORT_NOT_THIS_FORMAT;
        Format(error, IMPORT_ERROR_SIZE, TEXT("not valid YAML: nested deeper than %d levels"), MAX_FLOW_DEPTH);
        return IMPORT_BAD_FILE;
    }
    yaml_parser_t parser;
    if (!yaml_parser_initialize(&parser)) return IMPORT_NO_MEMORY;
    yaml_parser_set_input_string(&parser, reinterpret_cast<const unsigned char *>(text), size);
    yaml_document_t document;
    ImportResult result;
    if (!yaml_parser_load(&parser, &document)) {
        if (parser.error == YAML_MEMORY_ERROR) {
            result = IMPORT_NO_MEMORY;
        } else if (!MentionsOurKeys(text, size)) {
            result = IMPORT_NOT_THIS_FORMAT;
        } else {
            ReportParseError(error, TEXT("not valid YAML: %s (line %u)"),
                             parser.problem ? parser.problem : "unreadable",
                             static_cast<unsigned>(parser.problem_mark.line + 1));
            result = IMPORT_BAD_FILE;
        }
    } else {
        result = ReadDocument(&document, fileName, sink, error);
        yaml_document_delete(&document);
    }
    yaml_parser_delete(&parser);
    return result;
}
