// The colour scheme record and the one process-wide list of loaded schemes:
// the four built-in schemes and whatever the scheme files supplied.
#pragma once

#include "../platform.h"

#define SCHEME_NAME_SIZE 40      // at most 39 characters and the NUL
#define FOLDED_NAME_SIZE 1024    // folded names stay below 1024 characters
#define UNSET_ATTRIBUTE 0xFFFF   // a directive not yet read
#define UNSET_COLOR 0xFFFFFFFF   // a palette entry not yet read
#define DARK_LUMINANCE_LIMIT 500 // below it a background is dark

// One heap block: the fixed fields, then the ColorDir text with its NUL.
// The directive fields are console attributes (foreground in the low nibble,
// background in the high one).
struct ColorScheme {
    ColorScheme *next;
    WORD StdColors;
    WORD InputColors;
    WORD ErrorColors;
    WORD ListColors;
    WORD ListStatBarColors;
    WORD ListInverseColors;
    WORD SelectColors;
    WORD SelectStatBarColors;
    WORD SelectedColors;
    DWORD dark;         // 1 dark, 0 light
    DWORD palette[16];  // COLORREF 0x00BBGGRR
    WCHAR name[SCHEME_NAME_SIZE];
    WCHAR ColorDir[];   // as long as the block allows
};

// The head of the scheme list; null while it is empty. Lookups hand out
// pointers that stay valid until the list is next replaced or freed.
extern ColorScheme *g_schemes;

// Appends a copy of `scheme` (directives, dark flag and palette) named `name`
// (cut to 39 characters) with `colorDir`. 1 when added; 0 when the name is
// missing or empty, `colorDir` or `list` is missing, or memory ran out.
int AddScheme(const ColorScheme *scheme, LPCWSTR name, LPCWSTR colorDir, ColorScheme **list);

// The first scheme from `first` on whose name equals `name`, A-Z compared
// without case and everything else exactly; null when none.
ColorScheme *FindSchemeByName(ColorScheme *first, LPCWSTR name);
// The first scheme from `first` on whose name, as stored or folded, matches
// the host's wildcard `pattern`; null when none.
ColorScheme *FindSchemeByPattern(ColorScheme *first, LPCWSTR pattern);
// The n-th scheme of the list, counting from 1; null for 0 or past the tail.
ColorScheme *SchemeAtPosition(DWORD n);
// A position ("3", "0x0A"; never 0) when the list has one there, else the
// whole text as a name pattern.
ColorScheme *SelectScheme(LPCWSTR text);
// Frees every scheme and empties the list; returns how many were freed.
int FreeSchemeList(void);

// Accented Latin letters, the OE ligatures and curly quotes to plain
// characters, into `folded` (FOLDED_NAME_SIZE characters). Returns the
// folded length, or -1 (with `folded` empty) when it would not fit.
int FoldSchemeName(LPCWSTR name, LPWSTR folded);
// The same into `folded` of `capacity` characters.
int FoldSchemeNameInto(LPCWSTR name, LPWSTR folded, size_t capacity);

// (R*299 + G*587 + B*114) / 255 of a COLORREF: 0 to 1000.
DWORD ColorLuminance(DWORD colorRef);
// 1 when a background of that colour is dark, else 0.
DWORD IsDarkColor(DWORD colorRef);
// The rule applied to the scheme's StdColors background.
DWORD IsDarkScheme(const ColorScheme *scheme);

// Appends the built-in schemes that the list's dark and light counts call
// for; returns how many were added.
int SeedBuiltInSchemes(void);

// Start-up: reads Vivanta.ini from the plugin's own directory or, when
// there is none there, from the host's, replacing the list. The result of
// that read, or 0 when neither directory holds the file.
int LoadDefaultSchemeFile(void);
