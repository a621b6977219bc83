// Schemes from JSON: Windows Terminal (one scheme, an array of them, or a
// whole settings file), concfg and Gogh. Keys are looked up by name, so their
// order never matters; a scheme missing one of its sixteen colours, or with a
// colour that is not "#rrggbb" or "#rgb", stops the file with a message that
// names the scheme and the key.
//
// The text is read as a stream of events rather than built into a tree: the
// memory a read takes is then one copy of the text, allocated (and checked)
// before the parser starts, and a fixed buffer for the parser's own stack.
// RapidJSON takes for granted that every block it asks for is there, so it is
// never allowed to ask: strings are decoded in place in the copy, and nesting
// deeper than any scheme file goes stops the read before the stack could
// outgrow its buffer.
#include <rapidjson/error/en.h>
#include <rapidjson/reader.h>

#include <cstring>

#include "../base/base.h"
#include "import.h"

namespace {

using rapidjson::SizeType;

// Scheme files nest three levels, settings files a few more.
constexpr int MAX_DEPTH = 64;
// The parser keeps two numbers per open level; its stack grows by half
// from 256 bytes, so MAX_DEPTH levels stay well inside this.
constexpr size_t PARSER_STACK_SIZE = 4096;
// Members kept per object; a scheme has about twenty.
constexpr int MAX_MEMBERS = 256;

// The parser's stack: one fixed buffer, handed out whatever is asked of it,
// which MAX_DEPTH keeps within its size.
class FixedStackAllocator {
  public:
    // RapidJSON's name for "blocks must be freed"; not every build reads it.
    [[maybe_unused]] static const bool kNeedFree = false;
    void *Malloc(size_t size) { return size <= sizeof buffer_ ? buffer_ : nullptr; }
    void *Realloc(void *, size_t, size_t size) { return Malloc(size); }
    static void Free(void *) {}

  private:
    alignas(16) char buffer_[PARSER_STACK_SIZE];
};

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

// One member of an object: its key, and its value when that is a string
// (decoded in place in the copy of the text, so the pointers stay good).
struct Member {
    const char *key;
    SizeType keyLength;
    const char *value;  // null for any other value
    SizeType length;
};

// The members of an object, in the file's order. The first of two equal
// keys is the one found, as a tree's look-up finds it.
struct Members {
    Member items[MAX_MEMBERS];
    int count;
};

const Member *FindMember(const Members &object, const char *key) {
    size_t length = strlen(key);
    for (int i = 0; i < object.count; ++i) {
        const Member &member = object.items[i];
        if (member.keyLength == length && memcmp(member.key, key, length) == 0) return &member;
    }
    return nullptr;
}

bool HasMember(const Members &object, const char *key) {
    return FindMember(object, key) != nullptr;
}

struct Reading {
    LPCWSTR fileName;
    const SchemeSink *sink;
    LPWSTR error;
    bool topTerminalScheme;  // the top value was read as one Windows Terminal scheme
    bool otherElement;       // an object of a list of schemes was no Windows Terminal scheme
    WCHAR name[SETTING_TEXT_SIZE];
};

void SetError(Reading *reading, LPCWSTR format, const char *key) {
    ReportSchemeError(reading->error, format, reading->name, key);
}

// The colour under `key`: false with the error set when it is missing or no
// colour; `required` false lets a missing key through as UNSET_COLOR.
bool ReadColor(Reading *reading, const Members &object, const char *key, bool required, DWORD *color) {
    *color = UNSET_COLOR;
    const Member *member = FindMember(object, key);
    if (!member) {
        if (!required) return true;
        SetError(reading, MISSING_COLOR_FORMAT, key);
        return false;
    }
    LONG value = member->value ? ParseHexColor(member->value, member->length) : -1;
    if (value < 0) {
        SetError(reading, TEXT("scheme \"%s\": \"%s\" is not a colour (#rrggbb)"), key);
        return false;
    }
    *color = static_cast<DWORD>(value);
    return true;
}

// concfg's "screen_colors" and "popup_colors": "<text>,<background>" by key.
bool ReadSlotPair(Reading *reading, const Members &object, const char *key, int *text, int *background) {
    const Member *member = FindMember(object, key);
    if (!member) return true;
    const char *pair = member->value ? member->value : "";
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

JsonFormat FormatOf(const Members &object) {
    if (HasMember(object, "color_01")) return JsonFormat::GOGH;
    if (HasMember(object, "dark_blue") || HasMember(object, "screen_colors")) return JsonFormat::CONCFG;
    return JsonFormat::TERMINAL;
}

bool LooksLikeScheme(const Members &object) {
    return HasMember(object, "color_01") || HasMember(object, "dark_blue") || HasMember(object, "brightBlack") ||
           HasMember(object, "background");
}

ImportResult ReadScheme(Reading *reading, const Members &object) {
    JsonFormat format = FormatOf(object);
    const Member *named = FindMember(object, "name");
    if (named && named->value && named->length > 0) {
        WidenUtf8(named->value, named->length, reading->name, SETTING_TEXT_SIZE);
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

// The first reading of the text: its syntax and depth alone, so that no
// scheme is handed on from a text that turns out to be broken further on.
class SyntaxCheck : public rapidjson::BaseReaderHandler<rapidjson::UTF8<>, SyntaxCheck> {
  public:
    bool tooDeep = false;
    bool StartObject() { return Open(); }
    bool StartArray() { return Open(); }
    bool EndObject(SizeType) { return --depth_, true; }
    bool EndArray(SizeType) { return --depth_, true; }

  private:
    bool Open() {
        tooDeep = ++depth_ > MAX_DEPTH;
        return !tooDeep;
    }
    int depth_ = 0;
};

// The parser's events, followed where schemes can be: the top value when
// it is an object, each object of a top-level array, and each object of
// the (first) "schemes" array of a settings file. A scheme of an array is
// read as soon as it closes; the top object once the text has ended, unless
// it turned out to be a settings file.
class SchemeEvents : public rapidjson::BaseReaderHandler<rapidjson::UTF8<>, SchemeEvents> {
  public:
    // `objects`: two records, for the top object and the scheme being read.
    SchemeEvents(Reading *reading, Members *objects) : reading_(reading), top_(&objects[0]), element_(&objects[1]) {
        top_->count = 0;
        element_->count = 0;
    }

    // Why the events stopped the parser, IMPORT_DONE when they did not.
    ImportResult stopped = IMPORT_DONE;

    // After a parse without error: the top object read as a scheme when it
    // is one, else what the arrays gave.
    ImportResult Finish() {
        if (topKind_ == TOP_NONE) return IMPORT_NOT_THIS_FORMAT;
        if (topKind_ == TOP_ARRAY || schemesList_) return IMPORT_DONE;
        if (!LooksLikeScheme(*top_)) return IMPORT_NOT_THIS_FORMAT;
        reading_->topTerminalScheme = FormatOf(*top_) == JsonFormat::TERMINAL;
        return ReadScheme(reading_, *top_);
    }

    bool TopIsArray() const { return topKind_ == TOP_ARRAY; }

    bool Default() { return Scalar(nullptr, 0); }
    bool String(const char *text, SizeType length, bool) { return Scalar(text, length); }

    bool Key(const char *text, SizeType length, bool) {
        if (depth_ == 1 && topKind_ == TOP_OBJECT && length == 7 && memcmp(text, "schemes", 7) == 0) {
            firstSchemesKey_ = !schemesKeySeen_;
            schemesKeySeen_ = true;
        }
        Members *object = Collecting();
        pending_ = object && object->count < MAX_MEMBERS ? &object->items[object->count++] : nullptr;
        if (pending_) *pending_ = Member{text, length, nullptr, 0};
        return true;
    }

    bool StartObject() { return Open(true); }
    bool StartArray() { return Open(false); }
    bool EndObject(SizeType) { return Close(); }
    bool EndArray(SizeType) { return Close(); }

  private:
    enum TopKind { TOP_NONE, TOP_OBJECT, TOP_ARRAY };

    // The object whose members the current depth holds, if it is followed.
    Members *Collecting() {
        if (elementDepth_ != 0) return depth_ == elementDepth_ ? element_ : nullptr;
        return depth_ == 1 && topKind_ == TOP_OBJECT ? top_ : nullptr;
    }

    // Inside a list of schemes, directly: the top array, or a settings
    // file's "schemes".
    bool InSchemeList() const {
        return (topKind_ == TOP_ARRAY && depth_ == 1) || (schemesOpen_ && depth_ == schemesDepth_);
    }

    // An element of a list of schemes that is no object.
    bool RefuseElement() {
        Format(reading_->error, IMPORT_ERROR_SIZE, TEXT("a scheme list holds something other than schemes"));
        stopped = IMPORT_BAD_FILE;
        return false;
    }

    bool Scalar(const char *text, SizeType length) {
        if (InSchemeList()) return RefuseElement();
        if (pending_) {
            pending_->value = text;
            pending_->length = length;
        }
        pending_ = nullptr;
        firstSchemesKey_ = false;
        return true;
    }

    bool Open(bool object) {
        if (depth_ == 0) {
            topKind_ = object ? TOP_OBJECT : TOP_ARRAY;
        } else if (InSchemeList()) {
            if (!object) return RefuseElement();
            elementDepth_ = depth_ + 1;
            element_->count = 0;
        } else if (!object && firstSchemesKey_) {
            schemesList_ = schemesOpen_ = true;
            schemesDepth_ = depth_ + 1;
        }
        pending_ = nullptr;
        firstSchemesKey_ = false;
        ++depth_;
        return true;
    }

    bool Close() {
        pending_ = nullptr;
        if (elementDepth_ != 0 && depth_ == elementDepth_) {
            elementDepth_ = 0;
            --depth_;
            if (FormatOf(*element_) != JsonFormat::TERMINAL) reading_->otherElement = true;
            stopped = ReadScheme(reading_, *element_);
            return stopped == IMPORT_DONE;
        }
        if (schemesOpen_ && depth_ == schemesDepth_) schemesOpen_ = false;
        --depth_;
        return true;
    }

    Reading *reading_;
    Members *top_;
    Members *element_;
    Member *pending_ = nullptr;  // the member whose value comes next
    TopKind topKind_ = TOP_NONE;
    int depth_ = 0;         // how many objects and arrays are open
    int elementDepth_ = 0;  // the depth inside the scheme being read, 0 for none
    bool schemesKeySeen_ = false;
    bool firstSchemesKey_ = false;  // the value coming is the first "schemes"
    bool schemesList_ = false;      // a settings file: its top object is no scheme
    bool schemesOpen_ = false;
    int schemesDepth_ = 0;
};

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

// What a JSON text was as a whole.
enum class JsonShape { OTHER, ONE_TERMINAL_SCHEME, TERMINAL_SCHEME_ARRAY };

// As ReadJsonSchemes; `*shape` says whether the text was one Windows
// Terminal scheme object, or an array of them and nothing else.
ImportResult ReadJson(const char *text, size_t size, LPCWSTR fileName, const SchemeSink *sink, LPWSTR error,
                      JsonShape *shape) {
    *shape = JsonShape::OTHER;
    if (!LooksLikeJson(text, size)) return IMPORT_NOT_THIS_FORMAT;
    // The parser reads up to a NUL; JSON has none outside escapes, so one
    // in the text is an error where it stands, not the end of the text.
    if (const void *nul = memchr(text, 0, size)) {
        ReportParseError(error, TEXT("not valid JSON: %s (at byte %u)"), "a NUL character",
                         static_cast<unsigned>(static_cast<const char *>(nul) - text));
        return IMPORT_BAD_FILE;
    }
    // The copy the strings are decoded in, terminated as the parser wants.
    auto *copy = static_cast<char *>(MemAlloc(size + 1));
    if (!copy) return IMPORT_NO_MEMORY;
    memcpy(copy, text, size);
    copy[size] = 0;
    // Iterative: the recursive parser's depth would be the file's.
    constexpr unsigned FLAGS = rapidjson::kParseInsituFlag | rapidjson::kParseIterativeFlag |
                               rapidjson::kParseCommentsFlag | rapidjson::kParseTrailingCommasFlag;
    FixedStackAllocator stack;
    rapidjson::GenericReader<rapidjson::UTF8<>, rapidjson::UTF8<>, FixedStackAllocator> reader(&stack);
    SyntaxCheck check;
    rapidjson::InsituStringStream checked(copy);
    rapidjson::ParseResult parsed = reader.Parse<FLAGS>(checked, check);
    ImportResult result = IMPORT_BAD_FILE;
    // The events stop the second reading only with a result of their own.
    if (check.tooDeep) {
        Format(error, IMPORT_ERROR_SIZE, TEXT("not valid JSON: nested deeper than %d levels"), MAX_DEPTH);
    } else if (!parsed) {
        ReportParseError(error, TEXT("not valid JSON: %s (at byte %u)"), rapidjson::GetParseError_En(parsed.Code()),
                         static_cast<unsigned>(parsed.Offset()));
    } else if (auto *objects = static_cast<Members *>(MemAlloc(2 * sizeof(Members)))) {
        // Decoding in place changed the copy: the schemes are read from a
        // fresh one.
        memcpy(copy, text, size);
        Reading reading = {fileName, sink, error, false, false, {0}};
        SchemeEvents events(&reading, objects);
        rapidjson::InsituStringStream stream(copy);
        parsed = reader.Parse<FLAGS>(stream, events);
        result = parsed ? events.Finish() : events.stopped;
        if (reading.topTerminalScheme) *shape = JsonShape::ONE_TERMINAL_SCHEME;
        if (events.TopIsArray() && !reading.otherElement) *shape = JsonShape::TERMINAL_SCHEME_ARRAY;
        MemFree(objects);
    } else {
        result = IMPORT_NO_MEMORY;
    }
    MemFree(copy);
    return result;
}

bool CountScheme(void *context, const TerminalScheme *, LPCWSTR) {
    ++*static_cast<int *>(context);
    return true;
}

// What a text is as a whole (OTHER when it is broken), and how many schemes
// it gave.
JsonShape ShapeOf(const char *text, size_t size, int *count) {
    *count = 0;
    const SchemeSink counter = {CountScheme, count};
    WCHAR error[IMPORT_ERROR_SIZE];
    JsonShape shape;
    return ReadJson(text, size, TEXT(""), &counter, error, &shape) == IMPORT_DONE ? shape : JsonShape::OTHER;
}

}  // namespace

ImportResult ReadJsonSchemes(const char *text, size_t size, LPCWSTR fileName, const SchemeSink *sink, LPWSTR error) {
    JsonShape shape;
    return ReadJson(text, size, fileName, sink, error, &shape);
}

bool IsOneTerminalScheme(const char *text, size_t size) {
    int count;
    return ShapeOf(text, size, &count) == JsonShape::ONE_TERMINAL_SCHEME && count == 1;
}

bool IsTerminalSchemeArray(const char *text, size_t size) {
    int count;
    return ShapeOf(text, size, &count) == JsonShape::TERMINAL_SCHEME_ARRAY;
}
