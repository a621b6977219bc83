// Schemes from other tools' files. Terminals describe a scheme as sixteen
// colours in ANSI order plus colours of their own for the background, the
// text and the selection; the console has only its sixteen slots, with
// StdColors naming two of them. Turning one into the other is the same for
// every format, so each format's reader only fills a TerminalScheme and
// hands it here.
#pragma once

#include "../platform.h"
#include "../schemes/schemes.h"

// ---- terminal schemes (terminal_scheme.cpp) ----

constexpr int NO_SLOT = -1;

// 0xRRGGBB colours, UNSET_COLOR where the file has none.
struct TerminalScheme {
    DWORD ansi[16];  // ANSI order: red = 1, green = 2, blue = 4, bright = 8
    DWORD background;
    DWORD foreground;
    DWORD selectionBackground;
    DWORD selectionForeground;
    // Formats made for the console name the default and popup colours by
    // console slot instead (0-15, or NO_SLOT).
    int backgroundSlot;
    int foregroundSlot;
    int popupBackgroundSlot;
    int popupForegroundSlot;
};

// An empty record: every colour unset, every slot NO_SLOT.
void InitTerminalScheme(TerminalScheme *source);

// Which of the scheme's own colours gave way to its background and text.
struct SlotPlacement {
    int backgroundSlot;
    int foregroundSlot;
    bool backgroundDisplaced;  // the slot held another colour of the scheme
    bool foregroundDisplaced;
};

// Fills `scheme`'s palette, nine directives and dark flag from `source`,
// whose sixteen colours and background and foreground must be set, and
// says where the background and text went. `colorDir` (IMPORTED_COLOR_DIR_SIZE
// characters) receives the scheme's ColorDir text.
constexpr DWORD IMPORTED_COLOR_DIR_SIZE = 128;
void BuildTerminalScheme(const TerminalScheme *source, ColorScheme *scheme, LPWSTR colorDir, SlotPlacement *placement);

// A colour component given as a fraction (0 to 1) as a byte, rounded to the
// nearest and clamped.
BYTE ComponentToByte(double fraction);
// Display P3 components (0 to 1, the sRGB transfer curve, D65) converted to
// sRGB in place, clamped to the sRGB gamut.
void DisplayP3ToSrgb(double rgb[3]);

// ---- what a reader hands on ----

constexpr DWORD IMPORT_ERROR_SIZE = 256;

// Where a reader puts each scheme it finds: `take` gets the scheme and its
// name (not yet cut) and answers false when it could not keep it (no
// memory), which stops the reading.
struct SchemeSink {
    bool (*take)(void *context, const TerminalScheme *scheme, LPCWSTR name);
    void *context;
};

enum [[nodiscard]] ImportResult{
    IMPORT_DONE,             // every scheme handed on
    IMPORT_NOT_THIS_FORMAT,  // the text is not of the reader's format
    IMPORT_BAD_FILE,         // of the format, but wrong: `error` says what
    IMPORT_NO_MEMORY,
};

// ---- what the readers share (terminal_scheme.cpp) ----

// `length` bytes of UTF-8 into `out` (`capacity` characters) with its NUL,
// cut where it does not fit.
void WidenUtf8(const char *text, size_t length, LPWSTR out, size_t capacity);
// `format` filled with the scheme's `name`, then `key` and `detail` (UTF-8),
// into `error` (IMPORT_ERROR_SIZE characters).
void ReportSchemeError(LPWSTR error, LPCWSTR format, LPCWSTR name, const char *key, const char *detail = "");
// `format` filled with a parser's own (UTF-8) `reason` and where it stopped.
void ReportParseError(LPWSTR error, LPCWSTR format, const char *reason, unsigned where);
constexpr WCHAR MISSING_COLOR_FORMAT[] = TEXT("scheme \"%s\" has no \"%s\" colour");

// ---- JSON: Windows Terminal, concfg and Gogh (json_formats.cpp) ----

// The schemes of a JSON text (UTF-8, no byte-order mark): Windows Terminal
// schemes as one object, an array or a settings file's "schemes"; a concfg
// file; Gogh's array of themes. Comments and trailing commas are allowed.
// `fileName` names a scheme that has no name of its own.
ImportResult ReadJsonSchemes(const char *text, size_t size, LPCWSTR fileName, const SchemeSink *sink, LPWSTR error);

// Whether a JSON text is one Windows Terminal scheme object and nothing
// else: no settings file, array, concfg or Gogh scheme.
bool IsOneTerminalScheme(const char *text, size_t size);
// Whether a JSON text is one array of Windows Terminal schemes (perhaps
// empty) and nothing else.
bool IsTerminalSchemeArray(const char *text, size_t size);

// ---- property lists: iTerm2's .itermcolors (property_list.cpp) ----

// The schemes of an .itermcolors file in XML, named `fileName` (with
// " (Light)" and " (Dark)" when the file holds both variants).
ImportResult ReadPropertyListSchemes(const char *text, size_t size, LPCWSTR fileName, const SchemeSink *sink,
                                     LPWSTR error);

// A colour entry as a property list holds it: its components and the name
// of its colour space (UTF-8, "" when it has none; cut past what fits).
constexpr size_t PLIST_SPACE_SIZE = 64;
struct PlistColor {
    double rgb[3];
    char space[PLIST_SPACE_SIZE];
};

enum PlistLookup {
    PLIST_FOUND,
    PLIST_MISSING,      // no such key
    PLIST_NOT_A_COLOR,  // not a dictionary of numeric components
    PLIST_LIST_BROKEN,  // the list itself is broken; the reader set the error
};

// What the conversion asks of a property list, whichever form it was read
// in: the colour under a key of the top dictionary, and whether any key
// there ends in " (Light)".
struct PlistAccess {
    const void *list;
    PlistLookup (*findColor)(const void *list, const char *key, PlistColor *color);
    bool (*hasVariants)(const void *list);
};

// The schemes of a property list's colours, as ReadPropertyListSchemes gives them.
ImportResult ReadPlistColors(const PlistAccess *access, LPCWSTR fileName, const SchemeSink *sink, LPWSTR error);

// ---- binary property lists (binary_property_list.cpp) ----

// The schemes of an .itermcolors file saved as a binary property list
// ("bplist00"): the same colours as its XML form. Only the top dictionary,
// the colours' dictionaries and their components are read.
ImportResult ReadBinaryPropertyListSchemes(const char *bytes, size_t size, LPCWSTR fileName, const SchemeSink *sink,
                                           LPWSTR error);

// ---- ColorTool's .ini files (colortool.cpp) ----

// The one scheme of a ColorTool file (UTF-8, with or without a byte-order
// mark), named by its [info] name or else `fileName`.
ImportResult ReadColorToolSchemes(const char *text, size_t size, LPCWSTR fileName, const SchemeSink *sink,
                                  LPWSTR error);

// ---- YAML: base16, base24 and Gogh (yaml_formats.cpp) ----

// The scheme of a base16, base24 or Gogh YAML text, named by its "name" (or
// the older base16 "scheme") or else `fileName`.
ImportResult ReadYamlSchemes(const char *text, size_t size, LPCWSTR fileName, const SchemeSink *sink, LPWSTR error);

// Whether a YAML text is one Gogh scheme and nothing else: no base16 or
// base24 scheme, nothing past its document.
bool IsOneGoghScheme(const char *text, size_t size);

// ---- any of them (readers.cpp) ----
// The one table of the formats above: a new format is its reader and a row
// there.

// The schemes of a file of any of the formats above, recognised by its
// content: binary property lists (bytes, not text), JSON (YAML would take
// it too), XML property lists, ColorTool and YAML. IMPORT_NOT_THIS_FORMAT when none recognises it.
ImportResult ReadOtherToolSchemes(const char *text, size_t size, LPCWSTR fileName, const SchemeSink *sink,
                                  LPWSTR error);

// Whether a folder's file of this name is read: it carries the extension of
// one of the formats above or of our own scheme files (case ignored).
bool IsSchemeFileName(LPCWSTR name);

// The source's text as UTF-8, which the readers above take (a binary
// property list as its bytes): the source's own bytes, or a converted copy
// left in `*copy` for the caller to free. Null when memory ran out.
const char *Utf8Text(TextSource *source, size_t *size, char **copy);

// ---- what /F reads (scheme_sources.cpp) ----

// Other tools' scheme files are a few kilobytes: one larger than this is
// not read as one (a file of our own may be as large as a text source).
constexpr ULONGLONG IMPORT_SIZE_LIMIT = 16ull << 20;

enum [[nodiscard]] SchemeSourcesResult{
    SOURCES_READ,
    SOURCES_PARTLY_READ,  // some files of a folder or wildcard failed, reported
    SOURCES_NOT_READ,     // nothing read, reported; the list unchanged
};

// Reads `argument`, a scheme file of our own format or another tool's, a
// folder (its files of the formats' usual extensions) or a wildcard, in name
// order; the schemes read replace the list, or with `merge` are merged into
// it. Failures are reported on standard error; the message of what was read
// is printed unless `quiet`.
SchemeSourcesResult ReadSchemeSources(LPCWSTR argument, bool merge, bool quiet);

// ---- writing other tools' formats (scheme_writers.cpp) ----

// The format /W writes a file of this name in, by its extension (case
// ignored): a Windows Terminal scheme for ".json", an iTerm2 preset for
// ".itermcolors", a Gogh scheme for ".yaml" and ".yml"; null for our own.
const OtherSchemeFormat *OtherFormatOfPath(LPCWSTR path);
// The list format /E writes a file of this name in: an array of Windows
// Terminal schemes for ".json"; null for none.
const SchemeListFormat *ListFormatOfPath(LPCWSTR path);
