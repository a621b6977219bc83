// Schemes from iTerm2's .itermcolors files: a property list whose
// top-level dictionary maps "Ansi 0 Color" ... "Ansi 15 Color",
// "Background Color" and the like to dictionaries of colour components
// (fractions from 0 to 1) and a colour space. The file has no name field, so
// the file name names the scheme; a file whose keys come with " (Light)" and
// " (Dark)" gives one scheme of each.
//
// Colour spaces: sRGB is taken as it is, Display P3 is converted to sRGB, and
// "Calibrated" (Apple's generic RGB, also what a missing space means) is
// taken as sRGB: the two differ by a few units at most, less than the
// console's own rendering does. Any other space is refused by name.
//
// The conversion here serves both forms a file comes in: the XML one, read
// below, and the binary one (binary_property_list.cpp).
#include <pugixml.hpp>

#include <cstdio>
#include <cstring>

#include "../base/base.h"
#include "import.h"

namespace {

constexpr size_t KEY_SIZE = 64;

struct Reading {
    const PlistAccess *access;
    const char *suffix;  // "", " (Light)" or " (Dark)"
    LPWSTR error;
    WCHAR name[SETTING_TEXT_SIZE];
};

void SetError(Reading *reading, LPCWSTR format, const char *key, const char *detail = "") {
    ReportSchemeError(reading->error, format, reading->name, key, detail);
}

// The colour under `base` (with the variant's suffix, else without it):
// false with the error set when it is missing, malformed or in a colour
// space we do not know; `required` false lets a missing key through.
bool ReadColor(Reading *reading, const char *base, bool required, DWORD *color) {
    *color = UNSET_COLOR;
    char key[KEY_SIZE + 16];
    snprintf(key, sizeof key, "%s%s", base, reading->suffix);
    const PlistAccess *access = reading->access;
    PlistColor found;
    PlistLookup lookup = access->findColor(access->list, key, &found);
    if (lookup == PLIST_MISSING && reading->suffix[0] != 0) lookup = access->findColor(access->list, base, &found);
    switch (lookup) {
        case PLIST_FOUND:
            break;
        case PLIST_MISSING:
            if (!required) return true;
            SetError(reading, MISSING_COLOR_FORMAT, key);
            return false;
        case PLIST_NOT_A_COLOR:
            SetError(reading, TEXT("scheme \"%s\": \"%s\" is not a colour"), key);
            return false;
        case PLIST_LIST_BROKEN:
            return false;
    }
    if (strcmp(found.space, "P3") == 0) {
        DisplayP3ToSrgb(found.rgb);
    } else if (found.space[0] != 0 && strcmp(found.space, "sRGB") != 0 && strcmp(found.space, "Calibrated") != 0) {
        SetError(reading, TEXT("scheme \"%s\": \"%s\" is in the unknown colour space \"%s\""), key, found.space);
        return false;
    }
    *color = static_cast<DWORD>(ComponentToByte(found.rgb[0])) << 16 |
             static_cast<DWORD>(ComponentToByte(found.rgb[1])) << 8 | ComponentToByte(found.rgb[2]);
    return true;
}

ImportResult ReadVariant(Reading *reading, LPCWSTR fileName, const SchemeSink *sink) {
    StrCopy(reading->name, SETTING_TEXT_SIZE, fileName);
    if (reading->suffix[0] != 0) {
        WCHAR suffix[16];
        WidenUtf8(reading->suffix, strlen(reading->suffix), suffix, 16);
        StrAppend(reading->name, SETTING_TEXT_SIZE, suffix);
    }
    TerminalScheme scheme;
    InitTerminalScheme(&scheme);
    char key[KEY_SIZE];
    for (int i = 0; i < 16; ++i) {
        snprintf(key, sizeof key, "Ansi %d Color", i);
        if (!ReadColor(reading, key, true, &scheme.ansi[i])) return IMPORT_BAD_FILE;
    }
    if (!ReadColor(reading, "Background Color", true, &scheme.background) ||
        !ReadColor(reading, "Foreground Color", true, &scheme.foreground) ||
        !ReadColor(reading, "Selection Color", false, &scheme.selectionBackground) ||
        !ReadColor(reading, "Selected Text Color", false, &scheme.selectionForeground)) {
        return IMPORT_BAD_FILE;
    }
    return sink->take(sink->context, &scheme, reading->name) ? IMPORT_DONE : IMPORT_NO_MEMORY;
}

// ---- the XML form ----

// The value element that follows <key>`key`</key> in `dict`; empty when the
// key is missing.
pugi::xml_node ValueOf(pugi::xml_node dict, const char *key) {
    for (pugi::xml_node node = dict.child("key"); node; node = node.next_sibling("key")) {
        if (strcmp(node.child_value(), key) == 0) return node.next_sibling();
    }
    return pugi::xml_node();
}

// A property list <real> or <integer> as a double, in the C locale whatever
// the host's is: digits, an optional fraction and exponent. False for
// anything else.
bool ParseReal(const char *text, double *value) {
    while (*text == ' ' || *text == '\t' || *text == '\r' || *text == '\n') ++text;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+') ++text;
    double number = 0;
    bool digits = false;
    for (; *text >= '0' && *text <= '9'; ++text, digits = true) number = number * 10 + (*text - '0');
    if (*text == '.') {
        double scale = 0.1;
        for (++text; *text >= '0' && *text <= '9'; ++text, digits = true, scale /= 10) number += (*text - '0') * scale;
    }
    if (!digits) return false;
    if (*text == 'e' || *text == 'E') {
        ++text;
        bool down = *text == '-';
        if (*text == '-' || *text == '+') ++text;
        int exponent = 0;
        if (*text < '0' || *text > '9') return false;
        for (; *text >= '0' && *text <= '9'; ++text) exponent = exponent < 400 ? exponent * 10 + (*text - '0') : 400;
        for (; exponent > 0; --exponent) number = down ? number / 10 : number * 10;
    }
    while (*text == ' ' || *text == '\t' || *text == '\r' || *text == '\n') ++text;
    if (*text != 0) return false;
    *value = negative ? -number : number;
    return true;
}

PlistLookup FindXmlColor(const void *list, const char *key, PlistColor *color) {
    pugi::xml_node value = ValueOf(*static_cast<const pugi::xml_node *>(list), key);
    if (!value) return PLIST_MISSING;
    const char *const components[3] = {"Red Component", "Green Component", "Blue Component"};
    for (int i = 0; i < 3; ++i) {
        pugi::xml_node component = ValueOf(value, components[i]);
        bool number = component && (strcmp(component.name(), "real") == 0 || strcmp(component.name(), "integer") == 0);
        if (strcmp(value.name(), "dict") != 0 || !number || !ParseReal(component.child_value(), &color->rgb[i])) {
            return PLIST_NOT_A_COLOR;
        }
    }
    snprintf(color->space, PLIST_SPACE_SIZE, "%s", ValueOf(value, "Color Space").child_value());
    return PLIST_FOUND;
}

bool XmlHasVariants(const void *list) {
    pugi::xml_node dict = *static_cast<const pugi::xml_node *>(list);
    for (pugi::xml_node node = dict.child("key"); node; node = node.next_sibling("key")) {
        const char *key = node.child_value();
        size_t length = strlen(key);
        if (length > 8 && strcmp(key + length - 8, " (Light)") == 0) return true;
    }
    return false;
}

}  // namespace

ImportResult ReadPlistColors(const PlistAccess *access, LPCWSTR fileName, const SchemeSink *sink, LPWSTR error) {
    Reading reading = {access, "", error, {0}};
    if (!access->hasVariants(access->list)) return ReadVariant(&reading, fileName, sink);
    // Light first, as the file's keys sort.
    const char *const suffixes[2] = {" (Light)", " (Dark)"};
    for (const char *suffix : suffixes) {
        reading.suffix = suffix;
        ImportResult result = ReadVariant(&reading, fileName, sink);
        if (result != IMPORT_DONE) return result;
    }
    return IMPORT_DONE;
}

ImportResult ReadPropertyListSchemes(const char *text, size_t size, LPCWSTR fileName, const SchemeSink *sink,
                                     LPWSTR error) {
    size_t at = 0;
    while (at < size && (text[at] == ' ' || text[at] == '\t' || text[at] == '\r' || text[at] == '\n')) ++at;
    if (at == size || text[at] != '<') return IMPORT_NOT_THIS_FORMAT;
    pugi::set_memory_management_functions(MemAlloc, MemFree);
    pugi::xml_document document;
    pugi::xml_parse_result parsed = document.load_buffer(text, size, pugi::parse_default, pugi::encoding_auto);
    if (!parsed) {
        if (parsed.status == pugi::status_out_of_memory) return IMPORT_NO_MEMORY;
        ReportParseError(error, TEXT("not valid XML: %s (at byte %u)"), parsed.description(),
                         static_cast<unsigned>(parsed.offset));
        return IMPORT_BAD_FILE;
    }
    pugi::xml_node dict = document.child("plist").child("dict");
    if (!dict) return IMPORT_NOT_THIS_FORMAT;
    const PlistAccess access = {&dict, FindXmlColor, XmlHasVariants};
    return ReadPlistColors(&access, fileName, sink, error);
}
