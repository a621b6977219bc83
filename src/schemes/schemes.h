// Colour schemes: the scheme record and the one process-wide list of loaded
// schemes (the four built-in schemes and whatever the scheme files
// supplied), the nine host colour directives a scheme carries, the small
// value syntaxes of scheme files and of what the plugin prints, and the
// scheme files themselves: the .INI-style files that hold schemes beyond the
// built-in ones. The reader fills the scheme list from one; the writer
// stores what is in effect now as a section of one, creating the file or
// rewriting it.
#pragma once

#include "../platform.h"

// ---- the scheme record and list (scheme_list.cpp) ----

constexpr DWORD SCHEME_NAME_SIZE = 40;       // at most 39 characters and the NUL
constexpr DWORD FOLDED_NAME_SIZE = 1024;     // folded names stay below 1024 characters
constexpr WORD UNSET_ATTRIBUTE = 0xFFFF;     // a directive not yet read
constexpr DWORD UNSET_COLOR = 0xFFFFFFFF;    // a palette entry not yet read
constexpr DWORD DARK_LUMINANCE_LIMIT = 500;  // below it a background is dark

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
    WCHAR ColorDir[];  // as long as the block allows
};

// The head of the scheme list; null while it is empty. Lookups hand out
// pointers that stay valid until the list is next replaced or freed.
extern ColorScheme *g_schemes;

// Appends a copy of `scheme` (directives, dark flag and palette) named `name`
// (cut to 39 characters, never between the halves of a surrogate pair) with
// `colorDir`. True when added; false when the name is missing or empty,
// `colorDir` or `list` is missing, or memory ran out.
bool AddScheme(const ColorScheme *scheme, LPCWSTR name, LPCWSTR colorDir, ColorScheme **list);

// The first scheme from `first` on whose name equals `name`, A-Z compared
// without case and everything else exactly; null when none.
ColorScheme *FindSchemeByName(ColorScheme *first, LPCWSTR name);
// The first scheme from `first` on whose name, as stored or folded, matches
// the host's wildcard `pattern`; null when none.
ColorScheme *FindSchemeByPattern(ColorScheme *first, LPCWSTR pattern);
// Whether the scheme's name, as stored or folded, matches `pattern`.
bool SchemeMatchesPattern(const ColorScheme *scheme, LPCWSTR pattern);
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
// True when a background of that colour is dark.
bool IsDarkColor(DWORD colorRef);
// The rule applied to the scheme's StdColors background.
bool IsDarkScheme(const ColorScheme *scheme);

// Appends the built-in schemes that the list's dark and light counts call
// for; returns how many were added.
int SeedBuiltInSchemes(void);

// True when `scheme` (a template being read) has the three required
// directives and all sixteen palette entries; the optional directives then
// get their defaults and `dark` is set. False when it is rejected.
bool CompleteScheme(ColorScheme *scheme, LPCWSTR name);

// A hash of scheme names with A-Z folded to one case, so that a file of
// thousands of schemes is read without comparing every name with every
// other. Its seed is drawn once per process from the system's random
// source, so that no file can be made to collide. The index only speeds look-ups up: when its table cannot be
// allocated it falls back to walking the list, with the same answers.
// A slot keeps the name's hash beside the scheme, so that a probe passing
// other names rarely has to read their records.
struct SchemeNameSlot {
    ColorScheme *scheme;  // null: free
    DWORD hash;
};

struct SchemeNameIndex {
    SchemeNameSlot *slots;  // open addressing
    DWORD capacity;         // a power of two, or 0 without a table
    DWORD count;
    bool failed;         // no table: look-ups walk the list
    ColorScheme **list;  // the list the index covers, for that walk
};

// An empty index over the list whose head is `*list`.
void InitSchemeNameIndex(SchemeNameIndex *index, ColorScheme **list);
// Records `scheme`, which must already be in the list. A name already
// recorded keeps its first scheme, as a look-up from the head would.
void AddToSchemeNameIndex(SchemeNameIndex *index, ColorScheme *scheme);
// What FindSchemeByName from the list's head would return.
ColorScheme *FindInSchemeNameIndex(const SchemeNameIndex *index, LPCWSTR name);
void FreeSchemeNameIndex(SchemeNameIndex *index);

// ---- batches (scheme_list.cpp) ----
// The schemes of one or more files, gathered in order before they join the
// list in one step, so that a file that fails halfway adds nothing.

struct SchemeBatch {
    ColorScheme *head;
    ColorScheme **tail;  // the link the next one goes into
    SchemeNameIndex names;
    int count;
};

// An empty batch. The record must stay where it is while it holds schemes:
// its index points at its head.
void InitSchemeBatch(SchemeBatch *batch);
// True when the batch holds a scheme of `name` as AddScheme would cut it.
bool BatchHoldsName(const SchemeBatch *batch, LPCWSTR name);

enum [[nodiscard]] BatchAddResult{
    BATCH_ADDED,
    BATCH_NAME_TAKEN,  // the first scheme of a name is the one kept
    BATCH_NOT_ADDED,   // no or an empty name, or no memory
};
// Appends a copy of `scheme` named `name` with `colorDir`, unless the batch
// already holds that name.
BatchAddResult AddToBatch(SchemeBatch *batch, const ColorScheme *scheme, LPCWSTR name, LPCWSTR colorDir);
// Moves the schemes of `from` to the end of `to`, freeing those whose name
// `to` already holds, and empties `from`. Returns how many moved.
int MoveSchemeBatch(SchemeBatch *from, SchemeBatch *to);
// Frees the batch's schemes and leaves it empty.
void FreeSchemeBatch(SchemeBatch *batch);

// The end of a read that gave schemes: the list becomes the batch's schemes
// (no merge), or keeps, in order, the listed schemes whose names the batch
// does not hold, followed by the batch's. The records kept are relinked,
// not copied, so that no listed scheme can be lost to a failed allocation.
// The batch is left empty.
void TakeOverSchemes(SchemeBatch *batch, bool merge);

// ---- the host's colour directives (directives.cpp) ----

constexpr DWORD OPTION_TEXT_SIZE = 1024;     // the host's option value buffer
constexpr DWORD COLOR_DIR_TEXT_SIZE = 8192;  // the ColorDir variable as read back

// The host's colour directives in the order they are set and shown.
constexpr int DIRECTIVE_COUNT = 9;
extern const LPCWSTR DIRECTIVE_NAMES[DIRECTIVE_COUNT];
// The scheme's value of directive `index` (0-8, in DIRECTIVE_NAMES order).
WORD SchemeDirective(const ColorScheme *scheme, int index);
// The field of directive `index`, for filling a record in.
WORD *DirectiveField(ColorScheme *scheme, int index);

// The low byte of the console's attribute, 0 read as 7: what the host
// takes for the colours in effect.
WORD AttributeOrDefault(WORD currentAttribute);
// Foreground and background of an attribute byte changed round: inverse video.
WORD InverseAttribute(WORD attribute);
// What the host assumes for directive `index` while its option is not set:
// the attribute in effect, or for the directives that stand out from the
// text around them its inverse.
WORD DirectiveDefault(int index, WORD currentAttribute);

// A host option read as a number: decimal, or hexadecimal after "0x".
// Text that does not start with a digit, and 0, give `defaultValue`; a
// number too large for 32 bits gives -1; a missing or empty name gives -1.
LONG QueryAttributeOption(LPCWSTR name, LONG defaultValue);

// Reads the console screen buffer information; false when it cannot be read.
bool ReadConsoleInfo(CONSOLE_SCREEN_BUFFER_INFOEX *info);
// The ColorDir environment variable into `text` (COLOR_DIR_TEXT_SIZE
// characters); empty when it is unset. False (and empty) when it is too long
// for the buffer.
bool ReadColorDirVariable(LPWSTR text);

// ---- readability (readability.cpp) ----
// Contrast ratios as the accessibility guidelines define them: 1:1 for
// equal colours up to 21:1 for black on white.

constexpr double LEAST_READABLE_RATIO = 3.0;  // below it even large text is hard to read
constexpr double COMFORTABLE_RATIO = 4.5;     // below it body text is
constexpr size_t RATIO_TEXT_SIZE = 16;
constexpr int NO_OWN_BACKGROUND = -1;

// An sRGB component (0 to 1) as linear light: the sRGB transfer curve
// undone.
double SrgbToLinear(double component);
// 0 (black) to 1 (white): the weighted sum of the linearised sRGB channels
// of a COLORREF.
double RelativeLuminance(DWORD colorRef);
// (L1 + 0.05) / (L2 + 0.05), the lighter colour's luminance over the darker's.
double ContrastRatio(DWORD colorRef, DWORD otherColorRef);
// The ratio rounded to hundredths, "21.00", into `text` (RATIO_TEXT_SIZE
// characters).
void FormatRatio(double ratio, LPWSTR text);
// '!' below 3:1, '~' below 4.5:1, else a blank.
WCHAR ReadabilityMark(double ratio);

// One pair of colours a scheme shows text in: a directive (`directive` its
// name) or a ColorDir entry (`entry` its patterns, `entryLength` units, not
// terminated). A ColorDir colour without a background of its own stands on
// the StdColors background.
struct ReadablePair {
    LPCWSTR directive;
    LPCWSTR entry;
    size_t entryLength;
    int foreground;  // console colour indexes
    int background;
    double ratio;
};
typedef void (*PairVisitor)(const ReadablePair *pair, void *context);
// Hands `visit` the nine directives, then each ColorDir entry whose colour
// the host can read, in the order /V shows them; returns how many.
int VisitReadablePairs(const ColorScheme *scheme, PairVisitor visit, void *context);
// The pair with the lowest ratio (the first of equals).
ReadablePair LowestReadablePair(const ColorScheme *scheme);
// True when StdColors, InputColors and ErrorColors are all at 3:1 or more:
// what the command line itself is read in.
bool IsReadableScheme(const ColorScheme *scheme);

// ---- values (color_values.cpp) ----
// Strict numbers, colour values (#rgb, #rrggbb or one of 140 names), the
// sixteen console colour names and the text form of a console attribute.

constexpr DWORD NAMED_COLOR_COUNT = 140;
constexpr DWORD NAMED_COLOR_NAME_SIZE = 21;  // at most 20 characters and the NUL
constexpr DWORD ATTRIBUTE_TEXT_SIZE = 40;

struct NamedColor {
    WCHAR name[NAMED_COLOR_NAME_SIZE];
    DWORD rgb;  // 0xRRGGBB
};

// Searched in this order; only the Gray spellings are stored (named_colors.cpp).
extern const NamedColor NAMED_COLORS[NAMED_COLOR_COUNT];
// Indexed by console colour index, in console palette order.
extern const LPCWSTR CONSOLE_COLOR_NAMES[16];

// The whole text as a decimal number or as "0x"/"0X" and hexadecimal digits,
// no blanks, no sign, within 32 bits. True with *result set, or false with
// *result untouched.
bool ParseNumber(LPCWSTR text, DWORD *result);

// "#rrggbb", "#rgb" or a colour name (case, blanks, "-" and "_" ignored; grey
// reads as gray) as 0xRRGGBB; -1 when the text is no colour.
LONG ParseColorValue(LPCWSTR text);

// "not set" for 0, "Fore on Back" for 1-255, empty text above, of the low 16
// bits of `attribute`. The result lives in one buffer that the next call
// overwrites.
LPCWSTR DescribeAttribute(DWORD attribute);

// 0xRRGGBB <-> COLORREF (0x00BBGGRR): the red and blue bytes change places,
// so the one function converts either way.
constexpr DWORD SwapRedAndBlue(DWORD color) {
    return ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
}

// The console slot of ANSI colour `ansi` and back (the one function both
// ways: blue and red change places).
constexpr int ConsoleSlotOfAnsi(int ansi) {
    return (ansi & 0b1010) | ((ansi & 1) << 2) | ((ansi & 4) >> 2);
}

// ---- scheme files ----

constexpr WCHAR DEFAULT_SCHEME_FILE[] = TEXT("Vivanta.ini");
constexpr WCHAR STANDARD_OUTPUT_NAME[] = TEXT("-");  // what the writers take for standard output
constexpr DWORD SETTING_TEXT_SIZE = 1024;            // a key or a value, and a ColorDir read from a file
constexpr DWORD MODULE_PATH_SIZE = 8192;             // the plugin's own file name
constexpr DWORD WRITE_PATH_SIZE = 32768;             // the file part of a /W argument
constexpr DWORD WRITE_NAME_SIZE = 1024;              // the scheme name of a /W argument: 1023 characters

// The kinds of line of a scheme file, as ScanSchemeLine tells them apart.
enum SchemeLineKind {
    SCHEME_LINE_OTHER,    // empty, a ";" comment, or anything else
    SCHEME_LINE_SECTION,  // "[name]" and anything after the first "]"
    SCHEME_LINE_SETTING,  // "key = value"
};

// Where ScanSchemeLine puts the parts of a line.
struct SchemeLine {
    LPWSTR section;  // a buffer as long as the line: the name between "[" and the first "]", untrimmed
    LPWSTR key;      // SETTING_TEXT_SIZE characters, or null when settings are not wanted
    LPWSTR value;    // SETTING_TEXT_SIZE characters
};

// Classifies `line` (trimmed at both ends), the one rule by which every
// reader and rewriter of scheme files finds its sections and settings.
// A section's name goes to `parts->section` as the file spells it; a
// setting's key and value, trimmed, to `parts->key` and `parts->value`.
[[nodiscard]] SchemeLineKind ScanSchemeLine(LPCWSTR line, const SchemeLine *parts);

// Strips white space at both ends of `text` in place; returns the length.
size_t TrimBlanks(LPWSTR text);
// Strips white space at the end of `text` in place; returns the length.
size_t TrimTrailingBlanks(LPWSTR text);
// "key = value" into `key` and `value` (SETTING_TEXT_SIZE characters each),
// both trimmed. True when split; false (both empty) without "=", with an
// empty key, or when either part has 1024 characters or more.
bool SplitKeyValue(LPCWSTR line, LPWSTR key, LPWSTR value);

// Appends the default scheme file's name to the directory in `path` of
// `capacity` characters; false when there is no directory or the whole
// name would not fit.
bool AppendDefaultSchemeFile(LPWSTR path, size_t capacity);

// ---- reading (scheme_file_read.cpp) ----

// Reads the scheme file `name`: without `merge` the file's schemes replace
// the scheme list, with it they are merged into it (a scheme of the file
// takes the place of a listed one of the same name, at the end).
// Returns how many schemes the file gave (1 or more); 0 when it cannot be
// opened (the reason then the last error) or gives none, the list then
// unchanged; -1 for no or an empty name.
int ReadSchemeFile(LPCWSTR name, bool merge);

struct TextSource;
// The schemes of the open `source` (from where it stands) appended to
// `batch`, except names the batch already holds; how many were added. A
// scheme that finds no memory is dropped, as in every read.
int ReadSchemeSource(TextSource *source, SchemeBatch *batch);

// Start-up: reads Vivanta.ini from the plugin's own directory or, when
// there is none there, from the host's, replacing the list. The result of
// that read, or 0 when neither directory holds the file.
int LoadDefaultSchemeFile(void);
// The file start-up reads into `path` (MODULE_PATH_SIZE characters): the
// plugin's Vivanta.ini, else the host's, else (when neither is there) the
// plugin's, to be made. False when the plugin's own name cannot be had.
bool DefaultSchemeFilePath(LPWSTR path);

// ---- writing (scheme_file_write.cpp) ----

// What the writer's operations return.
enum SchemeWriteResult {
    SCHEME_WRITE_MISSING_ARGUMENT = -1,
    SCHEME_WRITE_DONE = 0,
    SCHEME_WRITE_REFUSED = 1,  // an argument refused, reported
    SCHEME_WRITE_FAILED = 2,   // reading or writing failed, reported
};

// The scheme in effect, for a /W argument that names no scheme; given by
// the caller, which knows how to recognise it.
typedef ColorScheme *(*CurrentSchemeFinder)(void);

// The colours in effect as other tools' formats describe a scheme.
struct EffectColors {
    DWORD palette[16];  // 0xRRGGBB, in console slot order
    WORD stdColors;     // attributes: the text's slot in the low nibble
    WORD selectedColors;
};

struct OutputFile;

// Another tool's scheme format /W can write, its readers and writers being
// where they know that format.
struct OtherSchemeFormat {
    LPCWSTR description;  // "Windows Terminal scheme", for the refusal
    // The whole file for one scheme `name`: 0 or the error of a failed write.
    LONG (*write)(OutputFile *output, const EffectColors *colors, LPCWSTR name);
    // Whether an existing file, open as `source`, is just one scheme of this
    // format and so may be replaced.
    bool (*holdsOneScheme)(TextSource *source);
};

// The format a /W file name asks for, null for our own.
typedef const OtherSchemeFormat *(*OtherFormatChooser)(LPCWSTR path);

// Another tool's format whose file holds a list of schemes, which /E can
// write.
struct SchemeListFormat {
    LPCWSTR description;  // "an array of Windows Terminal schemes", for the refusal
    // The whole file for `count` schemes: 0 or the error of a failed write.
    LONG (*write)(OutputFile *output, const ColorScheme *const *schemes, int count);
    // Whether an existing file, open as `source`, is just such a list and
    // so may be replaced.
    bool (*holdsList)(TextSource *source);
};

// The list format an /E file name asks for, null for none.
typedef const SchemeListFormat *(*ListFormatChooser)(LPCWSTR path);

// ---- the sections a write puts in (scheme_sections.cpp) ----
// What a write puts into a file of our own: one section for /W (the colours
// in effect), those of many schemes for /E, each found by the header that
// names it as the reader names schemes (A-Z without case), or failing that
// by its name with accents folded.

constexpr size_t FOLDED_KEY_SIZE = 2 * SCHEME_NAME_SIZE;  // a folded letter is at most two
constexpr LONG CONSOLE_INFO_UNREADABLE = 42;              // the colours in effect could not be read

struct WrittenSection {
    const ColorScheme *scheme;      // null: the colours in effect
    LPCWSTR name;                   // as requested
    WCHAR folded[FOLDED_KEY_SIZE];  // empty when it does not fit: then no header folds to it
    bool written;
    bool sameNameAhead;  // a header further on names it as requested
};

struct SectionSet {
    WrittenSection *sections;  // in the order they are appended
    WrittenSection **byName;   // by name, then that order
    WrittenSection **byFolded;
    int count;
};

// The one section of what is in effect; the record stays where it is while
// its set is used.
struct EffectSectionSet {
    WrittenSection section;
    WrittenSection *byName;
    WrittenSection *byFolded;
    SectionSet set;
};
void InitEffectSectionSet(EffectSectionSet *effect, LPCWSTR name);
// The sections of `count` schemes, in one block that FreeSectionSet frees;
// false when there is no memory for it.
bool NewSectionSet(SectionSet *set, const ColorScheme *const *schemes, int count);
void FreeSectionSet(SectionSet *set);
// The section that `stored` (a header's name as the reader takes it) names
// as requested; null when none.
WrittenSection *FindSectionByName(const SectionSet *set, LPCWSTR stored);
// A section not yet written that `stored` names with accents folded and no
// header further on names as requested; null when none. Until that is
// known (`lookedAhead` false), *needsLookAhead says whether there could be
// one.
WrittenSection *FindSectionByFoldedName(const SectionSet *set, LPCWSTR stored, bool lookedAhead, bool *needsLookAhead);
// The section under `header`, of its scheme or of what is in effect: 0,
// CONSOLE_INFO_UNREADABLE (nothing written), or the error of the first
// failed write.
LONG WriteSection(OutputFile *output, const WrittenSection *section, LPCWSTR header);
// The sections not yet written, in order, after one empty line (`separated`:
// there is one already).
LONG AppendSections(OutputFile *output, const SectionSet *set, bool separated);
// What is in effect as other formats take it; false when the console could
// not be read.
bool ReadEffectColors(EffectColors *colors);

// Carries out the argument of /W (file::name, either part may be quoted;
// the name may be left out, `findCurrent` then naming it). A file
// `chooseFormat` gives a format for is written whole in that format instead
// of ours. Messages are printed; `quiet` keeps only the success message back.
[[nodiscard]] SchemeWriteResult WriteCurrentScheme(LPCWSTR argument, bool quiet, CurrentSchemeFinder findCurrent,
                                                   OtherFormatChooser chooseFormat = nullptr);
// Writes a new file (or standard output for "-") holding just the section
// `name`: done, failed after a report, or a missing argument.
[[nodiscard]] SchemeWriteResult CreateSchemeFile(LPCWSTR path, LPCWSTR name);
// Writes the colours in effect as the scheme `name` into `path`: in
// `format` when there is one (the whole file, new or replacing one scheme
// of that format), else as our own section (CreateSchemeFile, or for an
// existing file RewriteSchemeFile).
[[nodiscard]] SchemeWriteResult WriteEffectScheme(LPCWSTR path, LPCWSTR name, const OtherSchemeFormat *format);
// Writes `count` schemes of distinct names that the reader gives back into
// `path`: in `format` when there is one (the whole file), else as our own
// sections, making the file (or writing standard output for "-") or
// rewriting it in one pass, each section of a scheme's name replaced where
// it stands and the others appended in order. Done, or failed after a report
// (an existing file then as it was).
[[nodiscard]] SchemeWriteResult WriteSchemeList(LPCWSTR path, const ColorScheme *const *schemes, int count,
                                                const SchemeListFormat *format);
// Carries out the argument of /E ([file][::pattern], either part may be
// quoted): the loaded schemes the pattern selects (all without one) written
// into the file (without one the default scheme file), in the list format
// `chooseList` gives for it or else ours; a file `chooseOne` gives a format
// of one scheme for is refused. Messages are printed; `quiet` keeps only the
// success message back.
[[nodiscard]] SchemeWriteResult ExportSchemes(LPCWSTR argument, bool quiet, OtherFormatChooser chooseOne,
                                              ListFormatChooser chooseList);
// Replaces the section `name` of the existing file `path` where it stands,
// or appends it, through a temporary file that then takes the file's place
// in one step: done, failed after a report (the file then as it was), or a
// missing argument.
[[nodiscard]] SchemeWriteResult RewriteSchemeFile(LPCWSTR path, LPCWSTR name);
