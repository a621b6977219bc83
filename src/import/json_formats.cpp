// Schemes from JSON: Windows Terminal (one scheme, an array of them, or a
// whole settings file), concfg and Gogh. Keys are looked up by name, so their
// order never matters; a scheme missing one of its sixteen colours, or with a
// colour that is not "#rrggbb" or "#rgb", stops the file with a message that
// names the scheme and the key.
#include <rapidjson/document.h>
#include <rapidjson/error/en.h>

#include <cstring>

#include "../base/base.h"
#include "import.h"

namespace {

// RapidJSON's blocks come from the plugin's allocator like everything else.
class PluginAllocator {
  public:
    // RapidJSON's name for "blocks must be freed"; not every build reads it.
    [[maybe_unused]] static const bool kNeedFree = true;
    void *Malloc(size_t size) { return size ? MemAlloc(size) : nullptr; }
    void *Realloc(void *original, size_t originalSize, size_t newSize) {
        if (newSize == 0) {
            MemFree(original);
            return nullptr;
        }
        void *block = MemAlloc(newSize);
        if (block && original) memcpy(block, original, originalSize < newSize ? originalSize : newSize);
        if (block) MemFree(original);
        return block;
    }
    static void Free(void *block) { MemFree(block); }
};

using Document =
    rapidjson::GenericDocument<rapidjson::UTF8<>, rapidjson::MemoryPoolAllocator<PluginAllocator>, PluginAllocator>;
using Value = Document::ValueType;

// clang-format off
// Console slot order.
const char *const TERMINAL_KEYS[16] = {
    "black", "blue", "green", "cyan", "red", "purple", "yellow", "white",
    "brightBlack", "brightBlue", "brightGreen", "brightCyan", "brightRed", "brightPurple", "brightYellow", "brightWhite"};
const char *const CONCFG_KEYS[16] = {
    "black", "dark_blue", "dark_green", "dark_cyan", "dark_red", "dark_magenta", "dark_yellow", "gray",
    "dark_gray", "blue", "green", "cyan", "red", "magenta", "yellow", "white"};
// clang-format on

enum class JsonFormat { TERMINAL, CONCFG, GOGH };

struct Reading {
    LPCWSTR fileName;
    const SchemeSink *sink;
    LPWSTR error;
    WCHAR name[SETTING_TEXT_SIZE];
};

void SetError(Reading *reading, LPCWSTR format, const char *key) {
    ReportSchemeError(reading->error, format, reading->name, key);
}

// The colour under `key`: false with the error set when it is missing or no
// colour; `required` false lets a missing key through as UNSET_COLOR.
bool ReadColor(Reading *reading, const Value &object, const char *key, bool required, DWORD *color) {
    *color = UNSET_COLOR;
    auto member = object.FindMember(key);
    if (member == object.MemberEnd()) {
        if (!required) return true;
        SetError(reading, MISSING_COLOR_FORMAT, key);
        return false;
    }
    LONG value =
        member->value.IsString() ? ParseHexColor(member->value.GetString(), member->value.GetStringLength()) : -1;
    if (value < 0) {
        SetError(reading, TEXT("scheme \"%s\": \"%s\" is not a colour (#rrggbb)"), key);
        return false;
    }
    *color = static_cast<DWORD>(value);
    return true;
}

// concfg's "screen_colors" and "popup_colors": "<text>,<background>" by key.
bool ReadSlotPair(Reading *reading, const Value &object, const char *key, int *text, int *background) {
    auto member = object.FindMember(key);
    if (member == object.MemberEnd()) return true;
    const char *pair = member->value.IsString() ? member->value.GetString() : "";
    const char *comma = strchr(pair, ',');
    int slots[2] = {NO_SLOT, NO_SLOT};
    if (comma) {
        for (int slot = 0; slot < 16; ++slot) {
            size_t length = strlen(CONCFG_KEYS[slot]);
            if (static_cast<size_t>(comma - pair) == length && strncmp(pair, CONCFG_KEYS[slot], length) == 0) {
                slots[0] = slot;
            }
            if (strcmp(comma + 1, CONCFG_KEYS[slot]) == 0) slots[1] = slot;
        }
    }
    if (slots[0] == NO_SLOT || slots[1] == NO_SLOT) {
        SetError(reading, TEXT("scheme \"%s\": \"%s\" is not two colour names"), key);
        return false;
    }
    *text = slots[0];
    *background = slots[1];
    return true;
}

ImportResult ReadScheme(Reading *reading, const Value &object, JsonFormat format) {
    auto named = object.FindMember("name");
    if (named != object.MemberEnd() && named->value.IsString() && named->value.GetStringLength() > 0) {
        WidenUtf8(named->value.GetString(), named->value.GetStringLength(), reading->name, SETTING_TEXT_SIZE);
    } else {
        StrCopy(reading->name, SETTING_TEXT_SIZE, reading->fileName);
    }
    TerminalScheme scheme;
    InitTerminalScheme(&scheme);
    for (int i = 0; i < 16; ++i) {
        char gogh[] = "color_00";
        gogh[6] = static_cast<char>('0' + (i + 1) / 10);
        gogh[7] = static_cast<char>('0' + (i + 1) % 10);
        // Gogh counts in ANSI order, the others name console slots.
        const char *key = format == JsonFormat::GOGH     ? gogh
                          : format == JsonFormat::CONCFG ? CONCFG_KEYS[ConsoleSlotOfAnsi(i)]
                                                         : TERMINAL_KEYS[ConsoleSlotOfAnsi(i)];
        if (!ReadColor(reading, object, key, true, &scheme.ansi[i])) return IMPORT_BAD_FILE;
    }
    if (format == JsonFormat::CONCFG) {
        // The console's own default, grey on black, unless the file says.
        scheme.foregroundSlot = 7;
        scheme.backgroundSlot = 0;
        if (!ReadSlotPair(reading, object, "screen_colors", &scheme.foregroundSlot, &scheme.backgroundSlot) ||
            !ReadSlotPair(reading, object, "popup_colors", &scheme.popupForegroundSlot, &scheme.popupBackgroundSlot)) {
            return IMPORT_BAD_FILE;
        }
        scheme.foreground = scheme.ansi[ConsoleSlotOfAnsi(scheme.foregroundSlot)];
        scheme.background = scheme.ansi[ConsoleSlotOfAnsi(scheme.backgroundSlot)];
    } else if (!ReadColor(reading, object, "background", true, &scheme.background) ||
               !ReadColor(reading, object, "foreground", true, &scheme.foreground) ||
               !ReadColor(reading, object, "selectionBackground", false, &scheme.selectionBackground)) {
        return IMPORT_BAD_FILE;
    }
    return reading->sink->take(reading->sink->context, &scheme, reading->name) ? IMPORT_DONE : IMPORT_NO_MEMORY;
}

JsonFormat FormatOf(const Value &object) {
    if (object.HasMember("color_01")) return JsonFormat::GOGH;
    if (object.HasMember("dark_blue") || object.HasMember("screen_colors")) return JsonFormat::CONCFG;
    return JsonFormat::TERMINAL;
}

bool LooksLikeScheme(const Value &object) {
    return object.HasMember("color_01") || object.HasMember("dark_blue") || object.HasMember("brightBlack") ||
           object.HasMember("background");
}

ImportResult ReadArray(Reading *reading, const Value &array) {
    for (const Value &element : array.GetArray()) {
        if (!element.IsObject()) {
            StrCopy(reading->name, SETTING_TEXT_SIZE, reading->fileName);
            Format(reading->error, IMPORT_ERROR_SIZE, TEXT("a scheme list holds something other than schemes"));
            return IMPORT_BAD_FILE;
        }
        ImportResult result = ReadScheme(reading, element, FormatOf(element));
        if (result != IMPORT_DONE) return result;
    }
    return IMPORT_DONE;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// JSON starts with an object, an array or a comment. A scheme file of our
// own, or ColorTool's, starts with a section header instead, whose name may
// begin with anything; an array of schemes holds objects, so after its
// bracket comes one, a comment or the bracket that closes it.
bool LooksLikeJson(const char *text, size_t size) {
    size_t at = 0;
    while (at < size && IsBlank(text[at])) ++at;
    if (at == size) return false;
    if (text[at] == '{' || text[at] == '/') return true;
    if (text[at] != '[') return false;
    do {
        ++at;
    } while (at < size && IsBlank(text[at]));
    if (at == size) return true;  // broken JSON, reported as such
    return text[at] == '{' || text[at] == ']' || text[at] == '/';
}

}  // namespace

LONG ParseHexColor(const char *text, size_t length) {
    if ((length != 4 && length != 7) || text[0] != '#') return -1;
    LONG value = 0;
    for (size_t i = 1; i < length; ++i) {
        char c = text[i];
        int digit = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                           : -1;
        if (digit < 0) return -1;
        // "#rgb" doubles each digit.
        value = length == 4 ? (value << 8) | (digit << 4) | digit : (value << 4) | digit;
    }
    return value;
}

ImportResult ReadJsonSchemes(const char *text, size_t size, LPCWSTR fileName, const SchemeSink *sink, LPWSTR error) {
    if (!LooksLikeJson(text, size)) return IMPORT_NOT_THIS_FORMAT;
    Document document;
    // Iterative: the recursive parser's depth is the file's, and a file of
    // nothing but brackets would run it off the end of the stack.
    document
        .Parse<rapidjson::kParseCommentsFlag | rapidjson::kParseTrailingCommasFlag | rapidjson::kParseIterativeFlag>(
            text, size);
    if (document.HasParseError()) {
        ReportParseError(error, TEXT("not valid JSON: %s (at byte %u)"),
                         rapidjson::GetParseError_En(document.GetParseError()),
                         static_cast<unsigned>(document.GetErrorOffset()));
        return IMPORT_BAD_FILE;
    }
    Reading reading = {fileName, sink, error, {0}};
    if (document.IsArray()) return ReadArray(&reading, document);
    if (!document.IsObject()) return IMPORT_NOT_THIS_FORMAT;
    auto schemes = document.FindMember("schemes");
    if (schemes != document.MemberEnd() && schemes->value.IsArray()) return ReadArray(&reading, schemes->value);
    if (!LooksLikeScheme(document)) return IMPORT_NOT_THIS_FORMAT;
    return ReadScheme(&reading, document, FormatOf(document));
}
