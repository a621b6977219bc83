// ParseColors: the host's colour syntax "[Bright] colour [on [Bright] colour]".
// A colour is one of the eight console names, whole or its first three
// letters, in any case; "Bright" adds 8. Words are separated by blanks.
#include "host_state.h"
#include "plugin/host.h"

namespace host {

namespace {

const char *const kColorNames[8] = {"Black", "Blue", "Green", "Cyan", "Red", "Magenta", "Yellow", "White"};

bool IsBlank(WCHAR c) {
    return c == ' ' || c == '\t';
}

bool IsWordChar(WCHAR c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// The word at `text` after any blanks; `end` receives where it ends.
Text ReadWord(LPCWSTR text, LPCWSTR *end) {
    while (IsBlank(*text)) ++text;
    LPCWSTR start = text;
    while (IsWordChar(*text)) ++text;
    *end = text;
    return Text(start, text - start);
}

int ColorIndex(const Text &word) {
    for (int i = 0; i < 8; ++i) {
        if (EqualNoCase(word, kColorNames[i])) return i;
        if (word.size() == 3 && EqualNoCase(word, std::string(kColorNames[i], 3).c_str())) return i;
    }
    return -1;
}

// "[Bright] colour" at `text`; returns the index 0-15 and sets `end`, or -1.
int ReadColor(LPCWSTR text, LPCWSTR *end) {
    LPCWSTR after = nullptr;
    Text word = ReadWord(text, &after);
    int bright = 0;
    if (EqualNoCase(word, "bright")) {
        bright = 8;
        word = ReadWord(after, &after);
    }
    int index = ColorIndex(word);
    if (index < 0) return -1;
    *end = after;
    return index + bright;
}

}  // namespace

}  // namespace host

using namespace host;

LPWSTR WINAPI ParseColors(LPCWSTR text, int *fg, int *bg) {
    if (text == nullptr) return nullptr;
    LPCWSTR end = nullptr;
    int foreground = ReadColor(text, &end);
    if (foreground < 0) return nullptr;
    if (fg != nullptr) *fg = foreground;
    LPCWSTR afterOn = nullptr;
    if (EqualNoCase(ReadWord(end, &afterOn), "on")) {
        LPCWSTR afterBackground = nullptr;
        int background = ReadColor(afterOn, &afterBackground);
        if (background >= 0) {
            if (bg != nullptr) *bg = background;
            end = afterBackground;
        }
    }
    return const_cast<LPWSTR>(end);
}
