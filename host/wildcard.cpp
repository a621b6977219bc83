// WildcardComparison: "*" matches any run, "?" one character, "[...]" one
// character of a set (ranges a-z; "!" or "^" first negates). Letters compare
// without case when asked, with the simple one-to-one case pairs of Latin,
// Greek and Cyrillic. A star restarts the match from its last position only,
// so the cost stays at most pattern length times name length.
#include "host_state.h"
#include "plugin/host.h"

namespace host {

namespace {

WCHAR ToLower(WCHAR c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return static_cast<WCHAR>(c + 0x20);
    if (c == 0x178) return 0xFF;
    // Latin Extended-A alternates upper and lower case in pairs.
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return static_cast<WCHAR>(c | 1);
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? static_cast<WCHAR>(c + 1) : c;
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return static_cast<WCHAR>(c + 0x20);
    if (c >= 0x410 && c <= 0x42F) return static_cast<WCHAR>(c + 0x20);
    if (c >= 0x400 && c <= 0x40F) return static_cast<WCHAR>(c + 0x50);
    return c;
}

WCHAR ToUpper(WCHAR c) {
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return static_cast<WCHAR>(c - 0x20);
    if (c == 0xFF) return 0x178;
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return static_cast<WCHAR>(c & ~1);
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c : static_cast<WCHAR>(c - 1);
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return static_cast<WCHAR>(c - 0x20);
    if (c >= 0x430 && c <= 0x44F) return static_cast<WCHAR>(c - 0x20);
    if (c >= 0x450 && c <= 0x45F) return static_cast<WCHAR>(c - 0x50);
    return c;
}

bool SameChar(WCHAR a, WCHAR b, bool ignoreCase) {
    return a == b || (ignoreCase && ToLower(a) == ToLower(b));
}

bool InRange(WCHAR c, WCHAR low, WCHAR high, bool ignoreCase) {
    if (low > high) {
        WCHAR swap = low;
        low = high;
        high = swap;
    }
    if (c >= low && c <= high) return true;
    if (!ignoreCase) return false;
    WCHAR lower = ToLower(c), upper = ToUpper(c);
    return (lower >= low && lower <= high) || (upper >= low && upper <= high);
}

// Matches `c` against the set whose "[" is at `set`. Returns the position
// after the closing "]", or null when the set is unterminated (the "[" then
// stands for itself).
LPCWSTR MatchSet(LPCWSTR set, WCHAR c, bool ignoreCase, bool *matched) {
    LPCWSTR p = set + 1;
    bool negate = (*p == '!' || *p == '^');
    if (negate) ++p;
    bool found = false;
    bool first = true;
    // A "]" right after the opening (or the negation) is a member.
    while (*p != 0 && (*p != ']' || first)) {
        first = false;
        WCHAR low = *p++;
        WCHAR high = low;
        if (*p == '-' && p[1] != 0 && p[1] != ']') {
            high = p[1];
            p += 2;
        }
        if (InRange(c, low, high, ignoreCase)) found = true;
    }
    if (*p != ']') return nullptr;
    *matched = (found != negate);
    return p + 1;
}

// Matches one pattern element (not a star) against `c`; `next` receives the
// pattern position after the element.
bool MatchOne(LPCWSTR pattern, WCHAR c, bool ignoreCase, LPCWSTR *next) {
    if (*pattern == '?') {
        *next = pattern + 1;
        return true;
    }
    if (*pattern == '[') {
        bool matched = false;
        LPCWSTR after = MatchSet(pattern, c, ignoreCase, &matched);
        if (after != nullptr) {
            *next = after;
            return matched;
        }
    }
    *next = pattern + 1;
    return SameChar(*pattern, c, ignoreCase);
}

bool Matches(LPCWSTR pattern, LPCWSTR name, bool ignoreCase) {
    LPCWSTR starPattern = nullptr;  // just after the last star seen
    LPCWSTR starName = nullptr;     // where that star's run ends now
    while (*name != 0) {
        if (*pattern == '*') {
            while (*pattern == '*') ++pattern;
            starPattern = pattern;
            starName = name;
            continue;
        }
        LPCWSTR next = nullptr;
        if (*pattern != 0 && MatchOne(pattern, *name, ignoreCase, &next)) {
            pattern = next;
            ++name;
            continue;
        }
        if (starPattern == nullptr) return false;
        // Let the last star swallow one more character and try again.
        pattern = starPattern;
        name = ++starName;
    }
    while (*pattern == '*') ++pattern;
    return *pattern == 0;
}

}  // namespace

}  // namespace host

int WINAPI WildcardComparison(LPCWSTR pattern, LPCWSTR name, int fullPath, int ignoreCase) {
    (void)fullPath;
    if (pattern == nullptr || name == nullptr) return 1;
    return host::Matches(pattern, name, ignoreCase != 0) ? 0 : 1;
}
