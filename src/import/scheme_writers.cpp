// Other tools' formats written by /W: one scheme, the whole file, made
// from the colours in effect; and by /E a terminal's array of schemes. The
// terminals take the console's sixteen colours in ANSI order, the
// background and text from StdColors and the selection from
// SelectedColors; the cursor follows the text.
#include <string.h>

#include <initializer_list>

#include "../base/base.h"
#include "../textio/textio.h"
#include "import.h"

namespace {

// The colours a terminal scheme is written with, 0xRRGGBB.
struct WrittenColors {
    DWORD ansi[16];
    DWORD background;
    DWORD foreground;
    DWORD selectionBackground;
    DWORD selectionForeground;
};

WrittenColors ColorsToWrite(const EffectColors *colors) {
    WrittenColors written;
    for (int i = 0; i < 16; ++i) written.ansi[i] = colors->palette[ConsoleSlotOfAnsi(i)];
    written.background = colors->palette[(colors->stdColors >> 4) & 15];
    written.foreground = colors->palette[colors->stdColors & 15];
    written.selectionBackground = colors->palette[(colors->selectedColors >> 4) & 15];
    written.selectionForeground = colors->palette[colors->selectedColors & 15];
    return written;
}

// Whether an existing file is one scheme (or one list of them) as `isOne`
// judges its UTF-8; a file larger than any scheme file is not.
bool SourceHoldsOne(TextSource *source, bool (*isOne)(const char *text, size_t size)) {
    if (source->size > IMPORT_SIZE_LIMIT) return false;
    size_t size = 0;
    char *copy = nullptr;
    const char *text = Utf8Text(source, &size, &copy);
    bool one = text && isOne(text, size);
    MemFree(copy);
    return one;
}

// Writes the pieces in order; the first error ends it.
LONG WriteAll(OutputFile *output, std::initializer_list<LPCWSTR> pieces) {
    for (LPCWSTR piece : pieces) {
        LONG error = WriteText(output, piece);
        if (error != 0) return error;
    }
    return 0;
}

// `text` as the inside of a quoted string, as JSON and YAML's double quotes
// take it: quotes and backslashes escaped, and the characters `mustEscape`
// picks as \u and four hex digits.
LONG WriteEscaped(OutputFile *output, LPCWSTR text, bool (*mustEscape)(WCHAR c)) {
    WCHAR one[8];
    for (LPCWSTR c = text; *c != 0; ++c) {
        if (*c == TEXT('"') || *c == TEXT('\\')) {
            Format(one, 8, TEXT("\\%c"), *c);
        } else if (mustEscape(*c)) {
            Format(one, 8, TEXT("\\u%04x"), static_cast<unsigned>(*c));
        } else {
            one[0] = *c;
            one[1] = 0;
        }
        LONG error = WriteText(output, one);
        if (error != 0) return error;
    }
    return 0;
}

// ---- Windows Terminal ----

// clang-format off
constexpr LPCWSTR TERMINAL_NAMES[16] = {
    TEXT("black"), TEXT("red"), TEXT("green"), TEXT("yellow"),
    TEXT("blue"), TEXT("purple"), TEXT("cyan"), TEXT("white"),
    TEXT("brightBlack"), TEXT("brightRed"), TEXT("brightGreen"), TEXT("brightYellow"),
    TEXT("brightBlue"), TEXT("brightPurple"), TEXT("brightCyan"), TEXT("brightWhite"),
};
// clang-format on

// JSON takes every character but the controls as it stands; DEL is
// escaped too, so that a reader sees it.
bool JsonMustEscape(WCHAR c) {
    return c < 0x20 || c == 0x7F;
}

// One member `"key": "#RRGGBB"` after `indent`, `last` without the comma
// after it.
LONG WriteJsonColor(OutputFile *output, LPCWSTR indent, LPCWSTR key, DWORD color, bool last) {
    WCHAR value[16];
    Format(value, 16, TEXT("#%06X"), static_cast<unsigned>(color & 0xFFFFFF));
    return WriteAll(output,
                    {indent, TEXT("    \""), key, TEXT("\": \""), value, last ? TEXT("\"\r\n") : TEXT("\",\r\n")});
}

// The scheme's object, every line after `indent`, its closing brace
// followed by `after`.
LONG WriteTerminalObject(OutputFile *output, const EffectColors *colors, LPCWSTR name, LPCWSTR indent, LPCWSTR after) {
    WrittenColors written = ColorsToWrite(colors);
    LONG error = WriteAll(output, {indent, TEXT("{\r\n"), indent, TEXT("    \"name\": \"")});
    if (error == 0) error = WriteEscaped(output, name, JsonMustEscape);
    if (error == 0) error = WriteText(output, TEXT("\",\r\n"));
    if (error == 0) error = WriteJsonColor(output, indent, TEXT("background"), written.background, false);
    if (error == 0) error = WriteJsonColor(output, indent, TEXT("foreground"), written.foreground, false);
    if (error == 0) error = WriteJsonColor(output, indent, TEXT("cursorColor"), written.foreground, false);
    if (error == 0) {
        error = WriteJsonColor(output, indent, TEXT("selectionBackground"), written.selectionBackground, false);
    }
    for (int i = 0; i < 16 && error == 0; ++i)
        error = WriteJsonColor(output, indent, TERMINAL_NAMES[i], written.ansi[i], i == 15);
    if (error == 0) error = WriteAll(output, {indent, TEXT("}"), after});
    return error;
}

LONG WriteTerminalScheme(OutputFile *output, const EffectColors *colors, LPCWSTR name) {
    return WriteTerminalObject(output, colors, name, TEXT(""), TEXT("\r\n"));
}

bool HoldsOneTerminalScheme(TextSource *source) {
    return SourceHoldsOne(source, IsOneTerminalScheme);
}

constexpr OtherSchemeFormat TERMINAL_FORMAT = {TEXT("Windows Terminal scheme"), WriteTerminalScheme,
                                               HoldsOneTerminalScheme};

// The colours of a loaded scheme, as the writers take what is in effect.
EffectColors ColorsOfScheme(const ColorScheme *scheme) {
    EffectColors colors;
    for (int i = 0; i < 16; ++i) colors.palette[i] = SwapRedAndBlue(scheme->palette[i]);
    colors.stdColors = static_cast<WORD>(scheme->StdColors & 0xFF);
    colors.selectedColors = static_cast<WORD>(scheme->SelectedColors & 0xFF);
    return colors;
}

// The form a terminal's settings list their schemes in: an array of the
// objects /W writes, indented inside it.
LONG WriteTerminalSchemeArray(OutputFile *output, const ColorScheme *const *schemes, int count) {
    LONG error = WriteText(output, TEXT("[\r\n"));
    for (int i = 0; i < count && error == 0; ++i) {
        EffectColors colors = ColorsOfScheme(schemes[i]);
        error = WriteTerminalObject(output, &colors, schemes[i]->name, TEXT("    "),
                                    i + 1 < count ? TEXT(",\r\n") : TEXT("\r\n"));
    }
    if (error == 0) error = WriteText(output, TEXT("]\r\n"));
    return error;
}

bool HoldsTerminalSchemeArray(TextSource *source) {
    return SourceHoldsOne(source, IsTerminalSchemeArray);
}

constexpr SchemeListFormat TERMINAL_ARRAY_FORMAT = {TEXT("an array of Windows Terminal schemes"),
                                                    WriteTerminalSchemeArray, HoldsTerminalSchemeArray};

// ---- iTerm2 ----

// A colour component, byte / 255 as a double, written as the exporter
// writes reals (printf's %.17g, which gives that double back exactly), but
// in the C locale whatever the host's is: the double's exact binary value,
// scaled to 17 significant digits with integer arithmetic.
void ComponentText(unsigned byte, LPWSTR text) {
    if (byte == 0 || byte >= 255) {
        StrCopyWhole(text, 24, byte == 0 ? TEXT("0") : TEXT("1"));
        return;
    }
    double value = byte / 255.0;
    unsigned long long bits;
    memcpy(&bits, &value, sizeof bits);
    // value = mantissa / 2^shift, with shift between 52 and 61 here.
    unsigned long long mantissa = (bits & ((1ull << 52) - 1)) | (1ull << 52);
    int shift = 1075 - static_cast<int>((bits >> 52) & 0x7FF);
    // Zeros after the point before the first significant digit (0 to 2).
    int zeros = value < 0.01 ? 2 : value < 0.1 ? 1 : 0;
    unsigned __int128 scaled = mantissa;
    for (int i = 0; i < 17 + zeros; ++i) scaled *= 10;
    unsigned __int128 half = static_cast<unsigned __int128>(1) << (shift - 1);
    unsigned long long digits = static_cast<unsigned long long>((scaled + half) >> shift);
    if (digits >= 100000000000000000ull) {  // rounding carried into a new digit
        digits /= 10;
        --zeros;
    }
    WCHAR all[24];
    Format(all, 24, TEXT("%llu"), digits);
    size_t length = StrLen(all);
    while (length > 1 && all[length - 1] == TEXT('0')) all[--length] = 0;
    Format(text, 24, TEXT("0.%s%s"), zeros == 2 ? TEXT("00") : zeros == 1 ? TEXT("0") : TEXT(""), all);
}

// One colour's dictionary, its keys sorted as the exporter sorts them.
LONG WritePlistColor(OutputFile *output, LPCWSTR key, DWORD color) {
    LONG error = WriteAll(
        output, {TEXT("\t<key>"), key, TEXT("</key>\n\t<dict>\n\t\t<key>Alpha Component</key>\n\t\t<real>1</real>\n")});
    constexpr LPCWSTR COMPONENTS[3] = {TEXT("Blue"), TEXT("Green"), TEXT("Red")};
    for (int i = 0; i < 3 && error == 0; ++i) {
        WCHAR value[24];
        ComponentText((color >> (8 * i)) & 0xFF, value);
        error = WriteAll(
            output, {TEXT("\t\t<key>"), COMPONENTS[i], TEXT(" Component</key>\n\t\t<real>"), value, TEXT("</real>\n")});
        if (i == 0 && error == 0) {
            error = WriteText(output, TEXT("\t\t<key>Color Space</key>\n\t\t<string>sRGB</string>\n"));
        }
    }
    if (error == 0) error = WriteText(output, TEXT("\t</dict>\n"));
    return error;
}

LONG WriteItermScheme(OutputFile *output, const EffectColors *colors, LPCWSTR) {
    WrittenColors written = ColorsToWrite(colors);
    LONG error = WriteText(output, TEXT("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n")
                                       TEXT("<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" ")
                                           TEXT("\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n")
                                               TEXT("<plist version=\"1.0\">\n<dict>\n"));
    // The keys in the order of their text: "Ansi 10 Color" comes before
    // "Ansi 2 Color".
    constexpr int ANSI_IN_KEY_ORDER[16] = {0, 1, 10, 11, 12, 13, 14, 15, 2, 3, 4, 5, 6, 7, 8, 9};
    WCHAR key[24];
    for (int i : ANSI_IN_KEY_ORDER) {
        Format(key, 24, TEXT("Ansi %d Color"), i);
        if (error == 0) error = WritePlistColor(output, key, written.ansi[i]);
    }
    const struct {
        LPCWSTR key;
        DWORD color;
    } named[] = {
        {TEXT("Background Color"), written.background},
        {TEXT("Bold Color"), written.foreground},
        {TEXT("Cursor Color"), written.foreground},
        {TEXT("Cursor Text Color"), written.background},
        {TEXT("Foreground Color"), written.foreground},
        {TEXT("Selected Text Color"), written.selectionForeground},
        {TEXT("Selection Color"), written.selectionBackground},
    };
    for (const auto &entry : named) {
        if (error == 0) error = WritePlistColor(output, entry.key, entry.color);
    }
    if (error == 0) error = WriteText(output, TEXT("</dict>\n</plist>\n"));
    return error;
}

bool CountOne(void *context, const TerminalScheme *, LPCWSTR) {
    ++*static_cast<int *>(context);
    return true;
}

// One scheme: a file with a light and a dark variant is two.
bool IsOneItermScheme(const char *text, size_t size) {
    int count = 0;
    const SchemeSink counter = {CountOne, &count};
    WCHAR error[IMPORT_ERROR_SIZE];
    // The binary reader knows its own form by its magic.
    ImportResult result = ReadBinaryPropertyListSchemes(text, size, TEXT(""), &counter, error);
    if (result == IMPORT_NOT_THIS_FORMAT) result = ReadPropertyListSchemes(text, size, TEXT(""), &counter, error);
    return result == IMPORT_DONE && count == 1;
}

bool HoldsOneItermScheme(TextSource *source) {
    return SourceHoldsOne(source, IsOneItermScheme);
}

constexpr OtherSchemeFormat ITERM_FORMAT = {TEXT("iTerm2 color scheme"), WriteItermScheme, HoldsOneItermScheme};

// ---- Gogh ----

// What a YAML reader would not take as it stands between double quotes:
// controls, and the line breaks and marks it folds away or refuses.
bool YamlMustEscape(WCHAR c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 || c == 0xFEFF || c >= 0xFFFE;
}

// One `key: '#rrggbb'`, quoted so that the "#" starts no comment.
LONG WriteYamlColor(OutputFile *output, LPCWSTR key, DWORD color) {
    WCHAR value[16];
    Format(value, 16, TEXT("'#%06x'\n"), static_cast<unsigned>(color & 0xFFFFFF));
    return WriteAll(output, {key, TEXT(": "), value});
}

LONG WriteGoghScheme(OutputFile *output, const EffectColors *colors, LPCWSTR name) {
    WrittenColors written = ColorsToWrite(colors);
    LONG error = WriteText(output, TEXT("---\nname: \""));
    if (error == 0) error = WriteEscaped(output, name, YamlMustEscape);
    LPCWSTR variant = IsDarkColor(SwapRedAndBlue(written.background)) ? TEXT("dark") : TEXT("light");
    if (error == 0) error = WriteAll(output, {TEXT("\"\nauthor: ''\nvariant: '"), variant, TEXT("'\n")});
    WCHAR key[16];
    for (int i = 0; i < 16 && error == 0; ++i) {
        // A blank line before the normal and the bright colours, as the
        // tool's own files have it.
        if (i % 8 == 0) error = WriteText(output, TEXT("\n"));
        Format(key, 16, TEXT("color_%02d"), i + 1);
        if (error == 0) error = WriteYamlColor(output, key, written.ansi[i]);
    }
    if (error == 0) error = WriteText(output, TEXT("\n"));
    if (error == 0) error = WriteYamlColor(output, TEXT("background"), written.background);
    if (error == 0) error = WriteYamlColor(output, TEXT("foreground"), written.foreground);
    if (error == 0) error = WriteText(output, TEXT("\n"));
    if (error == 0) error = WriteYamlColor(output, TEXT("cursor"), written.foreground);
    return error;
}

bool HoldsOneGoghScheme(TextSource *source) {
    return SourceHoldsOne(source, IsOneGoghScheme);
}

constexpr OtherSchemeFormat GOGH_FORMAT = {TEXT("Gogh scheme"), WriteGoghScheme, HoldsOneGoghScheme};

// ---- by extension ----

struct FormatByExtension {
    LPCWSTR extension;
    const OtherSchemeFormat *format;
};

constexpr FormatByExtension FORMATS[] = {
    {TEXT(".json"), &TERMINAL_FORMAT},
    {TEXT(".itermcolors"), &ITERM_FORMAT},
    {TEXT(".yaml"), &GOGH_FORMAT},
    {TEXT(".yml"), &GOGH_FORMAT},
};

// The file name's last extension with its dot, or null when it has none.
LPCWSTR ExtensionOf(LPCWSTR path) {
    if (!path) return nullptr;
    LPCWSTR dot = nullptr;
    for (LPCWSTR c = path + PathDirectoryLength(path); *c != 0; ++c) {
        if (*c == TEXT('.')) dot = c;
    }
    return dot;
}

}  // namespace

const OtherSchemeFormat *OtherFormatOfPath(LPCWSTR path) {
    LPCWSTR extension = ExtensionOf(path);
    if (!extension) return nullptr;
    for (const FormatByExtension &entry : FORMATS) {
        if (StrCompareI(extension, entry.extension) == 0) return entry.format;
    }
    return nullptr;
}

const SchemeListFormat *ListFormatOfPath(LPCWSTR path) {
    LPCWSTR extension = ExtensionOf(path);
    return extension && StrCompareI(extension, TEXT(".json")) == 0 ? &TERMINAL_ARRAY_FORMAT : nullptr;
}
