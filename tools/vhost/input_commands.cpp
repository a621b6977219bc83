// `keys`: console input for the next command, as the user would type it at
// the console: each key a key-down and a key-up record, `Name*N` one
// key-down of N repeats, quoted text typed character by character with the
// virtual key and character a US keyboard gives. `resize COLSxROWS` resizes
// the console window.
#include <vector>

#include "vhost.h"

namespace vhost {

namespace {

struct NamedKey {
    const char *name;
    WORD virtualKey;
    WCHAR character;
    DWORD state;
};

const NamedKey kNamedKeys[] = {
    {"Up", VK_UP, 0, ENHANCED_KEY},
    {"Down", VK_DOWN, 0, ENHANCED_KEY},
    {"Left", VK_LEFT, 0, ENHANCED_KEY},
    {"Right", VK_RIGHT, 0, ENHANCED_KEY},
    {"PgUp", VK_PRIOR, 0, ENHANCED_KEY},
    {"PgDn", VK_NEXT, 0, ENHANCED_KEY},
    {"Home", VK_HOME, 0, ENHANCED_KEY},
    {"End", VK_END, 0, ENHANCED_KEY},
    {"Del", VK_DELETE, 0, ENHANCED_KEY},
    {"Tab", VK_TAB, '\t', 0},
    {"Shift-Tab", VK_TAB, '\t', SHIFT_PRESSED},
    {"Enter", VK_RETURN, '\r', 0},
    {"Esc", VK_ESCAPE, 0x1B, 0},
    {"BkSp", VK_BACK, '\b', 0},
    {"Space", VK_SPACE, ' ', 0},
    {"Ctrl-Break", VK_CANCEL, 0, LEFT_CTRL_PRESSED},
};

// Punctuation on a US keyboard: the key, and whether Shift is held.
struct TypedKey {
    char character;
    WORD virtualKey;
    bool shift;
};

const TypedKey kPunctuation[] = {
    {' ', VK_SPACE, false},     {'-', VK_OEM_MINUS, false}, {'_', VK_OEM_MINUS, true}, {'=', VK_OEM_PLUS, false},
    {'+', VK_OEM_PLUS, true},   {',', VK_OEM_COMMA, false}, {'<', VK_OEM_COMMA, true}, {'.', VK_OEM_PERIOD, false},
    {'>', VK_OEM_PERIOD, true}, {'/', VK_OEM_2, false},     {'?', VK_OEM_2, true},     {';', VK_OEM_1, false},
    {':', VK_OEM_1, true},      {'\'', VK_OEM_7, false},    {'"', VK_OEM_7, true},     {'[', VK_OEM_4, false},
    {'{', VK_OEM_4, true},      {']', VK_OEM_6, false},     {'}', VK_OEM_6, true},     {'\\', VK_OEM_5, false},
    {'|', VK_OEM_5, true},      {'`', VK_OEM_3, false},     {'~', VK_OEM_3, true},     {'!', '1', true},
    {'@', '2', true},           {'#', '3', true},           {'$', '4', true},          {'%', '5', true},
    {'^', '6', true},           {'&', '7', true},           {'*', '8', true},          {'(', '9', true},
    {')', '0', true},
};

void AddPress(std::vector<KeyPress> *presses, WORD virtualKey, WCHAR character, DWORD state, WORD repeat) {
    presses->push_back({true, virtualKey, character, state, repeat});
    presses->push_back({false, virtualKey, character, state, 1});
}

// A character typed as the keyboard gives it; other characters come with
// no key, as text entered through an input method does.
void AddTyped(std::vector<KeyPress> *presses, WCHAR c) {
    if (c >= 'a' && c <= 'z') return AddPress(presses, static_cast<WORD>(c - 32), c, 0, 1);
    if (c >= 'A' && c <= 'Z') return AddPress(presses, c, c, SHIFT_PRESSED, 1);
    if (c >= '0' && c <= '9') return AddPress(presses, c, c, 0, 1);
    for (const TypedKey &key : kPunctuation) {
        if (static_cast<WCHAR>(key.character) == c) {
            return AddPress(presses, key.virtualKey, c, key.shift ? SHIFT_PRESSED : 0, 1);
        }
    }
    AddPress(presses, 0, c, 0, 1);
}

// One key name with its repeat count; false when it is not one.
bool AddNamed(std::vector<KeyPress> *presses, const Text &word) {
    Text name = word;
    DWORD repeat = 1;
    size_t star = word.find('*');
    if (star != Text::npos) {
        name = word.substr(0, star);
        if (!ParseNumber(word.substr(star + 1), &repeat) || repeat < 1 || repeat > 0xFFFF) return false;
    }
    WORD count = static_cast<WORD>(repeat);
    for (const NamedKey &key : kNamedKeys) {
        if (EqualNoCase(name, key.name)) {
            AddPress(presses, key.virtualKey, key.character, key.state, count);
            return true;
        }
    }
    // Ctrl-letter: the letter's key with its control character.
    if (name.size() == 6 && EqualNoCase(name.substr(0, 5), "Ctrl-")) {
        WCHAR letter = name[5];
        if (letter >= 'a' && letter <= 'z') letter = static_cast<WCHAR>(letter - 32);
        if (letter < 'A' || letter > 'Z') return false;
        AddPress(presses, letter, static_cast<WCHAR>(letter - 'A' + 1), LEFT_CTRL_PRESSED, count);
        return true;
    }
    return false;
}

// The presses a `keys` line names; false (with `bad` set) at a word that
// is neither a key name nor quoted text.
bool ParseKeys(const Text &line, std::vector<KeyPress> *presses, Text *bad) {
    size_t at = 0;
    while (at < line.size()) {
        if (line[at] == ' ' || line[at] == '\t') {
            ++at;
            continue;
        }
        if (line[at] == '"') {
            size_t end = line.find('"', at + 1);
            if (end == Text::npos) {
                *bad = line.substr(at);
                return false;
            }
            for (size_t i = at + 1; i < end; ++i) AddTyped(presses, line[i]);
            at = end + 1;
            continue;
        }
        size_t end = line.find_first_of(Widen(" \t"), at);
        if (end == Text::npos) end = line.size();
        Text word = line.substr(at, end - at);
        if (!AddNamed(presses, word)) {
            *bad = word;
            return false;
        }
        at = end;
    }
    return true;
}

}  // namespace

void RunKeys(const Text &arguments) {
    std::vector<KeyPress> presses;
    Text bad;
    if (!ParseKeys(arguments, &presses, &bad)) {
        PrintError(Widen("vhost: keys: not a key name or quoted text: ") + bad);
        return;
    }
    QueueKeys(presses);
}

void RunResize(const Text &argument) {
    SHORT columns = 0, rows = 0;
    if (!ParseSize(argument, &columns, &rows)) {
        PrintError(Widen("vhost: resize wants COLSxROWS: ") + argument);
        return;
    }
    ResizeWindow(columns, rows);
}

}  // namespace vhost
