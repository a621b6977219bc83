// What /W and /E ask to be written: the file their argument names
// (file::name, checked before anything is written), then for /W the
// scheme in effect under a name, for /E the loaded schemes a pattern
// selects, and the message that says what was written.
#include "../base/base.h"
#include "../plugin/host.h"
#include "../plugin/plugin.h"
#include "../textio/textio.h"
#include "schemes.h"

namespace {

// The argument without its double quotes, into `file` (WRITE_PATH_SIZE),
// split at the first "::"; the name part (cut to WRITE_NAME_SIZE - 1, on a
// character boundary) goes to `name`, empty when there is none.
void SplitArgument(LPCWSTR argument, LPWSTR file, LPWSTR name) {
    size_t length = 0;
    for (LPCWSTR p = argument; *p != 0 && length < WRITE_PATH_SIZE - 1; ++p) {
        if (*p != TEXT('"')) file[length++] = *p;
    }
    file[length] = 0;
    name[0] = 0;
    LPWSTR separator = const_cast<LPWSTR>(StrFind(file, TEXT("::")));
    if (!separator) return;
    StrCopyWhole(name, WRITE_NAME_SIZE, separator + 2);
    *separator = 0;
}

bool HasAnyOf(LPCWSTR text, LPCWSTR characters) {
    for (; *characters != 0; ++characters) {
        if (StrFindChar(text, *characters)) return true;
    }
    return false;
}

// A colon after a file name names a stream of that file, which NTFS keeps
// hidden inside it ("x.ini:Evening" for "x.ini::Evening"): the only colon
// a name may hold is its drive's, "C:\" or "\\?\C:\". UNC names have none.
bool HasStreamColon(LPCWSTR path) {
    path = DisplayName(path);
    return StrFindChar(path + PathDriveLength(path), TEXT(':')) != nullptr;
}

// Why the reader would never give the section back under `name` (the
// refusal's message), or null when it would. "[" and "]" would end the
// header early, a line break split it, and a character beyond the BMP
// (a surrogate pair) comes back from UTF-8 as U+FFFD; "?" and "*" would
// make the name a pattern. The reader trims a name and skips one that
// begins with "!", and keeps 39 characters of it.
LPCWSTR NameRefusal(LPCWSTR name) {
    static const WCHAR BAD_CHARACTERS[] = TEXT("Bad characters in scheme name: \"%s\"\r\n");
    for (LPCWSTR c = name; *c != 0; ++c) {
        if (*c >= 0xD800 && *c <= 0xDFFF) return BAD_CHARACTERS;
    }
    if (HasAnyOf(name, TEXT("?*[]\r\n\u0085"))) return BAD_CHARACTERS;
    size_t length = StrLen(name);
    if (length > 0 && (IsWhiteSpace(name[0]) || IsWhiteSpace(name[length - 1]))) {
        return TEXT("Scheme name begins or ends with white space: \"%s\"\r\n");
    }
    if (name[0] == TEXT('!')) return TEXT("Scheme name begins with \"!\", which switches a scheme off: \"%s\"\r\n");
    if (length >= SCHEME_NAME_SIZE) return TEXT("Scheme name longer than 39 characters: \"%s\"\r\n");
    return nullptr;
}

// The file part in `file` as the writer takes it: the full name ("-"
// stays standard output), no wildcard or stream, a directory standing for
// the default scheme file in it. False after a refusal, which shows
// `argument` where the name came to nothing.
bool ResolveFile(LPCWSTR argument, LPWSTR file) {
    // "-" is standard output, whatever the current directory holds.
    bool toStandardOutput = StrCompare(file, STANDARD_OUTPUT_NAME) == 0;
    if (!toStandardOutput) QueryTrueName(file, file);
    file[WRITE_PATH_SIZE - 1] = 0;
    if (file[0] == 0) {
        PrintError(TEXT("Bad filename: \"%s\"\r\n"), argument);
        return false;
    }
    // The "?" of a "\\?\" name is no wildcard.
    if (HasAnyOf(DisplayName(file), TEXT("*?"))) {
        PrintError(TEXT("Wildcards not allowed: \"%s\"\r\n"), file);
        return false;
    }
    if (!toStandardOutput && HasStreamColon(file)) {
        PrintError(TEXT("Colon not allowed in file name (a scheme name follows \"::\"): \"%s\"\r\n"), file);
        return false;
    }
    // A directory stands for the default scheme file in it.
    if (!toStandardOutput && QueryIsDirectory(file) && !AppendDefaultSchemeFile(file, WRITE_PATH_SIZE)) {
        PrintError(TEXT("Bad filename: \"%s\"\r\n"), argument);
        return false;
    }
    return true;
}

}  // namespace

// ---- /W: the scheme in effect ----

SchemeWriteResult WriteCurrentScheme(LPCWSTR argument, bool quiet, CurrentSchemeFinder findCurrent,
                                     OtherFormatChooser chooseFormat) {
    if (!argument) return SCHEME_WRITE_MISSING_ARGUMENT;
    if (argument[0] == 0 || StrCompareN(argument, TEXT("::"), 2) == 0) {
        PrintError(TEXT("Missing filename\r\n"));
        return SCHEME_WRITE_REFUSED;
    }
    WCHAR file[WRITE_PATH_SIZE];
    WCHAR name[WRITE_NAME_SIZE];
    SplitArgument(argument, file, name);
    if (!ResolveFile(argument, file)) return SCHEME_WRITE_REFUSED;
    if (name[0] == 0) {
        const ColorScheme *current = findCurrent ? findCurrent() : nullptr;
        if (!current) {
            PrintError(TEXT("Missing scheme name\r\n"));
            return SCHEME_WRITE_REFUSED;
        }
        StrCopy(name, WRITE_NAME_SIZE, current->name);
    }
    if (LPCWSTR refusal = NameRefusal(name)) {
        PrintError(refusal, name);
        return SCHEME_WRITE_REFUSED;
    }
    bool toStandardOutput = StrCompare(file, STANDARD_OUTPUT_NAME) == 0;
    const OtherSchemeFormat *format = !toStandardOutput && chooseFormat ? chooseFormat(file) : nullptr;
    SchemeWriteResult result = WriteEffectScheme(file, name, format);
    if (result == SCHEME_WRITE_DONE && !quiet) Printf(TEXT("Wrote current scheme to [%s] in \"%s\".\r\n"), name, file);
    return result;
}

// ---- /E: the loaded schemes ----

namespace {

// The schemes /E writes, in list order.
struct Selection {
    const ColorScheme **schemes;
    int count;
};

// The loaded schemes `pattern` selects: a position when it is one the list
// has, else every name it matches (stored or folded), and every scheme when
// it is empty. False when there is no memory for the selection.
bool SelectSchemes(LPCWSTR pattern, Selection *selection) {
    int listed = 0;
    for (const ColorScheme *scheme = g_schemes; scheme; scheme = scheme->next) ++listed;
    selection->count = 0;
    selection->schemes = static_cast<const ColorScheme **>(MemAlloc((listed + 1) * sizeof(ColorScheme *)));
    if (!selection->schemes) return false;
    DWORD position = 0;
    if (IsAsciiDigit(pattern[0]) && ParseNumber(pattern, &position) && position != 0) {
        if (const ColorScheme *scheme = SchemeAtPosition(position)) {
            selection->schemes[selection->count++] = scheme;
            return true;
        }
    }
    for (const ColorScheme *scheme = g_schemes; scheme; scheme = scheme->next) {
        if (pattern[0] == 0 || SchemeMatchesPattern(scheme, pattern)) selection->schemes[selection->count++] = scheme;
    }
    return true;
}

// Keeps the first scheme of each name, as the reader would give it back;
// the list may hold a name twice (a built-in scheme beside a file's of its
// name). Every scheme of a name is selected with it, so a look-up that
// walks the list for want of memory finds the same first one. The ones
// left out still count as written: the file holds their name.
void DropRepeatedNames(Selection *selection) {
    if (selection->count < 2) return;
    SchemeNameIndex names;
    InitSchemeNameIndex(&names, &g_schemes);
    for (int i = 0; i < selection->count; ++i) {
        AddToSchemeNameIndex(&names, const_cast<ColorScheme *>(selection->schemes[i]));
    }
    int kept = 0;
    for (int i = 0; i < selection->count; ++i) {
        const ColorScheme *scheme = selection->schemes[i];
        if (FindInSchemeNameIndex(&names, scheme->name) == scheme) selection->schemes[kept++] = scheme;
    }
    selection->count = kept;
    FreeSchemeNameIndex(&names);
}

// Leaves out, with /W's message for each, the schemes whose names the
// reader would not give back from a file of ours; how many.
int DropUnreadableNames(Selection *selection) {
    int kept = 0;
    for (int i = 0; i < selection->count; ++i) {
        const ColorScheme *scheme = selection->schemes[i];
        if (LPCWSTR refusal = NameRefusal(scheme->name)) {
            PrintError(refusal, scheme->name);
        } else {
            selection->schemes[kept++] = scheme;
        }
    }
    int dropped = selection->count - kept;
    selection->count = kept;
    return dropped;
}

// The file an /E argument names into `file` (WRITE_PATH_SIZE characters):
// without a file part, the one start-up reads. False after a refusal.
bool ExportFile(LPCWSTR argument, LPWSTR file) {
    if (file[0] != 0) return ResolveFile(argument, file);
    if (DefaultSchemeFilePath(file)) return true;
    PrintError(TEXT("Missing filename\r\n"));
    return false;
}

}  // namespace

SchemeWriteResult ExportSchemes(LPCWSTR argument, bool quiet, OtherFormatChooser chooseOne,
                                ListFormatChooser chooseList) {
    if (!argument) return SCHEME_WRITE_MISSING_ARGUMENT;
    WCHAR file[WRITE_PATH_SIZE];
    WCHAR pattern[WRITE_NAME_SIZE];
    SplitArgument(argument, file, pattern);
    if (!ExportFile(argument, file)) return SCHEME_WRITE_REFUSED;
    bool toStandardOutput = StrCompare(file, STANDARD_OUTPUT_NAME) == 0;
    const SchemeListFormat *listFormat = !toStandardOutput && chooseList ? chooseList(file) : nullptr;
    const OtherSchemeFormat *oneScheme = !toStandardOutput && !listFormat && chooseOne ? chooseOne(file) : nullptr;
    if (oneScheme) {
        PrintError(TEXT("Won\u2019t write a list of schemes to \"%s\": it takes one %s (/W writes one)\r\n"), file,
                   oneScheme->description);
        return SCHEME_WRITE_REFUSED;
    }
    Selection selection;
    if (!SelectSchemes(pattern, &selection)) {
        PrintError(TEXT("Error writing to output file \"%s\":\r\n"), file);
        PrintErrorText(ERROR_NOT_ENOUGH_MEMORY);
        return SCHEME_WRITE_FAILED;
    }
    SchemeWriteResult result = SCHEME_WRITE_FAILED;
    if (selection.count == 0) {
        PrintError(TEXT("Color scheme not found: \"%s\"\r\n"), pattern);
    } else {
        // Other formats hold any name; ours only what its reader finds.
        int dropped = listFormat ? 0 : DropUnreadableNames(&selection);
        int written = selection.count;
        DropRepeatedNames(&selection);
        if (selection.count > 0) result = WriteSchemeList(file, selection.schemes, selection.count, listFormat);
        if (result == SCHEME_WRITE_DONE && !quiet) {
            if (written == 1) {
                Printf(TEXT("Wrote 1 scheme to \"%s\".\r\n"), file);
            } else {
                Printf(TEXT("Wrote %d schemes to \"%s\".\r\n"), written, file);
            }
        }
        if (dropped > 0) result = SCHEME_WRITE_FAILED;
    }
    MemFree(selection.schemes);
    return result;
}
