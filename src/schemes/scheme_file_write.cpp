// Writing scheme files: the /W argument checked before anything is
// written, then a new file holding just the one section, or a rewrite of
// the existing one with that section replaced or added; the section itself
// made from what is in effect now; and how failures are reported.
#include "../base/base.h"
#include "../plugin/host.h"
#include "../plugin/plugin.h"
#include "../textio/textio.h"
#include "schemes.h"

namespace {

constexpr LONG CONSOLE_INFO_UNREADABLE = 42;  // WriteSchemeSection: the console could not be read
constexpr WCHAR STANDARD_OUTPUT_NAME[] = TEXT("-");

// ---- messages ----
// How the writer reports a failure: the plugin's prefix and a line naming
// the file (or two), then the error's text indented on its own line.

// `format` takes one file name.
void ReportFileFailure(LPCWSTR format, LPCWSTR name, DWORD code) {
    PrintError(format, name);
    PrintErrorText(code);
}

// `format` takes two file names.
void ReportFileFailure2(LPCWSTR format, LPCWSTR first, LPCWSTR second, DWORD code) {
    PrintError(format, first, second);
    PrintErrorText(code);
}

// An argument the writer refuses: the prefix and `format` with `text`
// (which may be null when the format takes nothing).
void ReportRefusal(LPCWSTR format, LPCWSTR text) {
    PrintError(format, text);
}

// ---- the section ----
// One scheme section as the writer emits it, made from what is in effect
// now: the host's nine colour directives, ColorDir and the console palette.

// Writes the pieces in order; the first error ends it.
LONG WritePieces(OutputFile *output, LPCWSTR first, LPCWSTR second, LPCWSTR third) {
    LONG error = WriteText(output, first);
    if (error == 0) error = WriteText(output, second);
    if (error == 0) error = WriteText(output, third);
    return error;
}

// The ColorDir variable when it is set and not empty, else the host's
// ColorDir option, into `text` (COLOR_DIR_TEXT_SIZE characters).
void ReadColorDirText(LPWSTR text) {
    if (ReadColorDirVariable(text) && text[0] != 0) return;
    WCHAR option[OPTION_TEXT_SIZE];
    option[0] = 0;
    QueryOptionValue(TEXT("ColorDir"), option);
    option[OPTION_TEXT_SIZE - 1] = 0;
    StrCopy(text, COLOR_DIR_TEXT_SIZE, option);
}

// The palette and the two directives other formats take their colours
// from; false when the console could not be read.
bool ReadEffectColors(EffectColors *colors) {
    CONSOLE_SCREEN_BUFFER_INFOEX info;
    if (!ReadConsoleInfo(&info)) return false;
    for (int i = 0; i < 16; ++i) colors->palette[i] = SwapRedAndBlue(info.ColorTable[i]);
    constexpr int STD_COLORS = 0, SELECTED_COLORS = 8;  // in DIRECTIVE_NAMES
    colors->stdColors = static_cast<WORD>(
        QueryAttributeOption(DIRECTIVE_NAMES[STD_COLORS], DirectiveDefault(STD_COLORS, info.wAttributes)) & 0xFF);
    colors->selectedColors = static_cast<WORD>(
        QueryAttributeOption(DIRECTIVE_NAMES[SELECTED_COLORS], DirectiveDefault(SELECTED_COLORS, info.wAttributes)) &
        0xFF);
    return true;
}

// The section `name` with the colours in effect: 0, CONSOLE_INFO_UNREADABLE
// (nothing written), or the error of the first failed write.
LONG WriteSchemeSection(OutputFile *output, LPCWSTR name) {
    CONSOLE_SCREEN_BUFFER_INFOEX info;
    if (!ReadConsoleInfo(&info)) return CONSOLE_INFO_UNREADABLE;
    WCHAR colorDir[COLOR_DIR_TEXT_SIZE];
    ReadColorDirText(colorDir);

    LONG error = WritePieces(output, TEXT("["), name, TEXT("]\r\n"));
    for (int i = 0; i < DIRECTIVE_COUNT && error == 0; ++i) {
        LONG value = QueryAttributeOption(DIRECTIVE_NAMES[i], DirectiveDefault(i, info.wAttributes));
        // Written as described, even when that is nothing (an overflow).
        error = WritePieces(output, DIRECTIVE_NAMES[i], TEXT("="), DescribeAttribute(static_cast<DWORD>(value)));
        if (error == 0) error = WriteText(output, TEXT("\r\n"));
    }
    if (error == 0) error = WritePieces(output, TEXT("ColorDir="), colorDir, TEXT("\r\n"));
    WCHAR line[32];
    for (int i = 0; i < 16 && error == 0; ++i) {
        Format(line, 32, TEXT("Color %d=#%06x\r\n"), i, static_cast<unsigned>(SwapRedAndBlue(info.ColorTable[i])));
        error = WriteText(output, line);
    }
    if (error == 0) error = WriteText(output, TEXT("\r\n"));
    return error;
}

// Whether two section names are one scheme name: folded, then compared with
// A-Z taken without case.
bool SameSchemeName(LPCWSTR a, LPCWSTR b) {
    if (!a || !b) return false;
    WCHAR foldedA[SECTION_NAME_FOLD_SIZE];
    WCHAR foldedB[SECTION_NAME_FOLD_SIZE];
    // A name too long to fold is compared as it stands.
    if (FoldSchemeNameInto(a, foldedA, SECTION_NAME_FOLD_SIZE) < 0 ||
        FoldSchemeNameInto(b, foldedB, SECTION_NAME_FOLD_SIZE) < 0) {
        return StrCompareI(a, b) == 0;
    }
    return StrCompareI(foldedA, foldedB) == 0;
}

// ---- rewriting ----
// Rewriting an existing scheme file with one section replaced or added.
// Everything is written to a temporary file beside the file the name leads
// to (through any link), which then replaces it in one step (see textio.h):
// until that step succeeds the user's file is untouched, and after it the
// new content is complete.

struct Rewrite {
    LPCWSTR path;  // as the user named it, for messages
    LPCWSTR name;
    const OtherSchemeFormat *format;  // null for our own
    EffectColors colors;              // what another format is written from
    bool exists;                      // false: a new file, which only another format makes here
    FileReplacement replacement;
    TextSource source;
    OutputFile *output;
    WCHAR line[LINE_BUFFER_SIZE];
    WCHAR section[LINE_BUFFER_SIZE];  // a header's name as the file spells it
    WCHAR trimmed[LINE_BUFFER_SIZE];  // and as the reader takes it
};

// The temporary file, made beside the file it is to replace; 0, or the
// error that kept it from being made, reported.
DWORD CreateTempFile(Rewrite *rewrite) {
    DWORD code = CreateReplacement(&rewrite->replacement);
    if (code == 0) {
        rewrite->output = rewrite->replacement.output;
        return 0;
    }
    if (rewrite->replacement.temp) {
        ReportFileFailure(TEXT("Error opening output file \"%s\":\r\n"), DisplayName(rewrite->replacement.temp), code);
        return code;
    }
    // No temporary name to show: the directory it was to go in says where
    // the trouble is.
    LPCWSTR target = DisplayName(rewrite->replacement.target);
    LPWSTR directory = StrDuplicate(target);
    if (directory) directory[PathDirectoryLength(directory)] = 0;
    ReportFileFailure(TEXT("Error opening output file \"%s\":\r\n"), directory ? directory : target, code);
    MemFree(directory);
    return code;
}

// The input closed and the temporary file removed (harmless when they are
// not there), so that a failure leaves nothing behind; a temporary file
// that stays is named, so that the user can remove it.
SchemeWriteResult Fail(Rewrite *rewrite) {
    CloseTextSource(&rewrite->source);
    rewrite->output = nullptr;
    DWORD code = EndReplacement(&rewrite->replacement);
    if (code != 0) {
        ReportFileFailure(TEXT("Can\u2019t remove temporary file \"%s\":\r\n"), DisplayName(rewrite->replacement.temp),
                          code);
    }
    return SCHEME_WRITE_FAILED;
}

// The copy goes line by line, as the reader will take the lines: trimmed
// at both ends, headers found by their first 8191 units (all the reader
// reads of a line); a longer line is still copied whole.

// How a line stands to the scheme being written.
enum LineRole {
    NOT_A_HEADER,
    OTHER_SECTION,
    SAME_NAME,    // the name as requested, A-Z taken without case: the section the reader finds
    FOLDED_NAME,  // the same name only with accents folded
};

// The header's name is compared trimmed and cut, as the reader takes it:
// "[ Night ]" is Night, and a longer header is the scheme its first 39
// characters name.
LineRole MatchRequestedSection(Rewrite *rewrite) {
    StrCopy(rewrite->trimmed, LINE_BUFFER_SIZE, rewrite->section);
    TrimBlanks(rewrite->trimmed);
    WCHAR stored[SCHEME_NAME_SIZE];
    StrCopyWhole(stored, SCHEME_NAME_SIZE, rewrite->trimmed);
    if (StrCompareI(stored, rewrite->name) == 0) return SAME_NAME;
    return SameSchemeName(stored, rewrite->name) ? FOLDED_NAME : OTHER_SECTION;
}

// The line whose first piece rewrite->line holds, its name (for a header)
// then in rewrite->section. A line that fits is trimmed where it stands, as
// it is copied; the first piece of a longer one is trimmed in a copy, since
// the piece itself is still to be copied whole.
LineRole ClassifyLine(Rewrite *rewrite, LinePiece piece) {
    LPWSTR view = rewrite->line;
    if (piece == LINE_GOES_ON) {
        view = rewrite->trimmed;
        StrCopy(view, LINE_BUFFER_SIZE, rewrite->line);
    }
    TrimBlanks(view);
    const SchemeLine parts = {rewrite->section, nullptr, nullptr};
    if (ScanSchemeLine(view, &parts) != SCHEME_LINE_SECTION) return NOT_A_HEADER;
    return MatchRequestedSection(rewrite);
}

// Whether a header from `from` on names the scheme as requested. The source
// is the file held open and mapped, so reading on and coming back to
// `from` sees just what the copy will.
bool SameNameAhead(Rewrite *rewrite, ULONGLONG from) {
    TextSource *source = &rewrite->source;
    source->position = from;
    bool found = false;
    bool lineStart = true;
    LinePiece piece;
    while (!found && (piece = ReadLinePiece(source, rewrite->line)) != NO_LINE_LEFT) {
        found = lineStart && ClassifyLine(rewrite, piece) == SAME_NAME;
        lineStart = piece == LINE_ENDS;
    }
    source->position = from;
    return found;
}

// Where a line's text begins and ends, in units from its start; start and
// end are equal when it has none.
struct LineExtent {
    ULONGLONG start;
    ULONGLONG end;
};

// The line whose first piece rewrite->line holds, read on to its end, the
// source then back where it stood.
LineExtent MeasureLine(Rewrite *rewrite) {
    TextSource *source = &rewrite->source;
    const ULONGLONG resume = source->position;
    LineExtent extent = {0, 0};
    bool found = false;
    ULONGLONG offset = 0;
    LPCWSTR text = rewrite->line;
    LinePiece piece = LINE_GOES_ON;
    for (;;) {
        size_t length = StrLen(text);
        size_t last = length;
        while (last > 0 && IsWhiteSpace(text[last - 1])) --last;
        if (last > 0 && !found) {
            size_t first = 0;
            while (IsWhiteSpace(text[first])) ++first;
            extent.start = offset + first;
            found = true;
        }
        if (last > 0) extent.end = offset + last;
        offset += length;
        if (piece != LINE_GOES_ON) break;
        piece = ReadLinePiece(source, rewrite->trimmed);
        text = rewrite->trimmed;
    }
    source->position = resume;
    return extent;
}

// A line longer than the buffer, whose first piece rewrite->line holds,
// copied piece by piece without the white space at its real start and end.
LONG CopyLongLine(Rewrite *rewrite, bool *empty) {
    LineExtent extent = MeasureLine(rewrite);
    *empty = extent.start == extent.end;
    // Text that runs on past the 8191 units the reader reads keeps the
    // white space before it: without it the reader would see more of the
    // line (a "]" or an "=" it never saw) and could take it for something
    // else.
    if (extent.end > LINE_BUFFER_SIZE - 1) extent.start = 0;
    LPWSTR text = rewrite->line;
    ULONGLONG offset = 0;
    LinePiece piece = LINE_GOES_ON;
    for (;;) {
        size_t length = StrLen(text);
        ULONGLONG from = extent.start > offset ? extent.start - offset : 0;
        ULONGLONG to = extent.end > offset ? extent.end - offset : 0;
        if (to > length) to = length;
        if (from < to) {
            text[to] = 0;
            LONG error = WriteText(rewrite->output, text + from);
            if (error != 0) return error;
        }
        offset += length;
        if (piece != LINE_GOES_ON) return 0;
        piece = ReadLinePiece(&rewrite->source, text);
    }
}

// The line whose first piece rewrite->line holds, already classified (so
// trimmed when it fits), and its line break; *empty says whether nothing
// was left of it.
LONG CopyLine(Rewrite *rewrite, LinePiece piece, bool *empty) {
    LONG error = 0;
    if (piece == LINE_GOES_ON) {
        error = CopyLongLine(rewrite, empty);
    } else {
        *empty = rewrite->line[0] == 0;
        error = WriteText(rewrite->output, rewrite->line);
    }
    if (error == 0) error = WriteText(rewrite->output, TEXT("\r\n"));
    return error;
}

void SkipRestOfLine(Rewrite *rewrite, LinePiece piece) {
    while (piece == LINE_GOES_ON) piece = ReadLinePiece(&rewrite->source, rewrite->line);
}

// Copies the file, trimmed, with the section requested replaced where it
// stands (under its header's own spelling) and any later one of that name
// dropped. Only where no header names it as requested does one that names
// it with accents folded take its place, and then that one alone: both
// spellings are schemes of their own to the reader. 0 or the error of the
// failed write.
LONG CopyWithSection(Rewrite *rewrite) {
    TextSource *source = &rewrite->source;
    OutputFile *output = rewrite->output;
    bool anyLine = false, written = false, skipping = false, lastEmpty = false;
    // Looked for once, when a folded match comes before any exact one.
    enum { NOT_LOOKED, NONE_AHEAD, ONE_AHEAD } sameNameAhead = NOT_LOOKED;
    ULONGLONG lineStart = source->position;
    LinePiece piece;
    while ((piece = ReadLinePiece(source, rewrite->line)) != NO_LINE_LEFT) {
        anyLine = true;
        LineRole role = ClassifyLine(rewrite, piece);
        if (role == FOLDED_NAME && !written && sameNameAhead == NOT_LOOKED) {
            sameNameAhead = SameNameAhead(rewrite, lineStart) ? ONE_AHEAD : NONE_AHEAD;
            // The look ahead took the buffers: the line is read again.
            piece = ReadLinePiece(source, rewrite->line);
            role = ClassifyLine(rewrite, piece);
        }
        LONG error = 0;
        if (role != NOT_A_HEADER) {
            bool replace = !written && (role == SAME_NAME || (role == FOLDED_NAME && sameNameAhead == NONE_AHEAD));
            skipping = replace || (role == SAME_NAME && written);
            if (replace) {
                error = WriteSchemeSection(output, rewrite->section);
                written = true;
            }
        }
        if (error == 0 && skipping) SkipRestOfLine(rewrite, piece);
        if (error == 0 && !skipping) error = CopyLine(rewrite, piece, &lastEmpty);
        if (error != 0) return error;
        lineStart = source->position;
    }
    if (written) return 0;
    // Appended after one empty line, the file's own or one added here.
    if (!anyLine || !lastEmpty) {
        LONG error = WriteText(output, TEXT("\r\n"));
        if (error != 0) return error;
    }
    return WriteSchemeSection(output, rewrite->name);
}

// The whole content of the new file: our own format's copy with the
// section in place, or another format's one scheme.
LONG WriteContent(Rewrite *rewrite) {
    if (rewrite->format) return rewrite->format->write(rewrite->output, &rewrite->colors, rewrite->name);
    LONG error = WriteBom(rewrite->output);
    if (error == 0) error = CopyWithSection(rewrite);
    return error;
}

SchemeWriteResult RunRewrite(Rewrite *rewrite) {
    LONG opened = 0;
    HANDLE file = nullptr;
    if (rewrite->exists) {
        // The source makes a long name openable itself.
        opened = OpenTextSource(&rewrite->source, rewrite->path);
        // A stream was read from a copy and has no file of its own to replace.
        file = rewrite->source.tempPath ? nullptr : rewrite->source.file;
    }
    if (opened == 0) opened = static_cast<LONG>(FindFileToReplace(&rewrite->replacement, file, rewrite->path));
    if (opened != 0) {
        PrintError(TEXT("Error opening input file \"%s\":\r\n"), rewrite->path);
        PrintTextSourceError(opened);
        return Fail(rewrite);
    }
    // Another format's file holds one scheme: anything more (a terminal's
    // settings, a list of schemes) or else would be lost with it.
    if (rewrite->format && rewrite->exists && !rewrite->format->holdsOneScheme(&rewrite->source)) {
        PrintError(TEXT("Won\u2019t replace \"%s\": it holds something other than one %s\r\n"), rewrite->path,
                   rewrite->format->description);
        return Fail(rewrite);
    }
    if (CreateTempFile(rewrite) != 0) return Fail(rewrite);
    LPCWSTR temp = DisplayName(rewrite->replacement.temp);
    LONG error = WriteContent(rewrite);
    if (error != 0) {
        ReportFileFailure(TEXT("Error writing to output file \"%s\"\r\n"), temp, static_cast<DWORD>(error));
        return Fail(rewrite);
    }
    DWORD code = FlushReplacement(&rewrite->replacement);
    if (code != 0) {
        ReportFileFailure(TEXT("Error closing output file \"%s\"\r\n"), temp, code);
        return Fail(rewrite);
    }
    // The input must be closed before its file can be replaced.
    CloseTextSource(&rewrite->source);
    code = PutReplacementInPlace(&rewrite->replacement);
    if (code != 0) {
        ReportFileFailure2(TEXT("Can\u2019t rename output file \"%s\" to \"%s\":\r\n"), temp, rewrite->path, code);
        return Fail(rewrite);
    }
    return SCHEME_WRITE_DONE;
}

}  // namespace

// ---- creating ----
// A scheme file that does not exist yet, or standard output: just the one
// section, UTF-8 with a byte-order mark (standard output without one).

SchemeWriteResult CreateSchemeFile(LPCWSTR path, LPCWSTR name) {
    if (!path || path[0] == 0 || !name || name[0] == 0) return SCHEME_WRITE_MISSING_ARGUMENT;
    OutputFile *output = CreateOutputFile(path);
    if (!output) {
        ReportFileFailure(TEXT("Error opening output file \"%s\":\r\n"), path, GetLastError());
        return SCHEME_WRITE_FAILED;
    }
    LONG error = 0;
    if (StrCompare(path, STANDARD_OUTPUT_NAME) != 0) error = WriteBom(output);
    if (error == 0) error = WriteSchemeSection(output, name);
    bool open = true;
    if (error == 0) {
        // The close writes what is still buffered, so it can fail too; it
        // frees the output either way and is never repeated.
        open = false;
        error = CloseOutputFile(output);
        if (error == 0) return SCHEME_WRITE_DONE;
    }
    // The last error says why (for an unreadable console, why the console
    // could not be read); a step that left none has its own code.
    DWORD code = GetLastError();
    if (code == 0 && error > 0) code = static_cast<DWORD>(error);
    if (open) CloseOutputFile(output);
    ReportFileFailure(TEXT("Error writing to output file \"%s\":\r\n"), path, code);
    return SCHEME_WRITE_FAILED;
}

namespace {

// Rewrites (or with another format, may create) `path`.
SchemeWriteResult RunWholeRewrite(LPCWSTR path, LPCWSTR name, const OtherSchemeFormat *format, bool exists) {
    Rewrite rewrite;
    rewrite.path = path;
    rewrite.name = name;
    rewrite.format = format;
    rewrite.exists = exists;
    rewrite.replacement = FileReplacement();
    rewrite.source = TextSource();
    rewrite.output = nullptr;
    if (format && !ReadEffectColors(&rewrite.colors)) {
        ReportFileFailure(TEXT("Error writing to output file \"%s\":\r\n"), path, LastErrorOr(ERROR_INVALID_HANDLE));
        return SCHEME_WRITE_FAILED;
    }
    SchemeWriteResult result = RunRewrite(&rewrite);
    FreeReplacement(&rewrite.replacement);
    return result;
}

}  // namespace

SchemeWriteResult RewriteSchemeFile(LPCWSTR path, LPCWSTR name) {
    if (!path || path[0] == 0 || !name || name[0] == 0) return SCHEME_WRITE_MISSING_ARGUMENT;
    return RunWholeRewrite(path, name, nullptr, true);
}

// ---- the /W argument ----
// The /W argument: which file and which section name, checked before
// anything is written, then a new file or a rewrite of the existing one.

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
    WCHAR drive = AsciiUpper(path[0]);
    if (drive >= TEXT('A') && drive <= TEXT('Z') && path[1] == TEXT(':')) path += 2;
    return StrFindChar(path, TEXT(':')) != nullptr;
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

}  // namespace

SchemeWriteResult WriteCurrentScheme(LPCWSTR argument, bool quiet, CurrentSchemeFinder findCurrent,
                                     OtherFormatChooser chooseFormat) {
    if (!argument) return SCHEME_WRITE_MISSING_ARGUMENT;
    if (argument[0] == 0 || StrCompareN(argument, TEXT("::"), 2) == 0) {
        ReportRefusal(TEXT("Missing filename\r\n"), nullptr);
        return SCHEME_WRITE_REFUSED;
    }
    WCHAR file[WRITE_PATH_SIZE];
    WCHAR name[WRITE_NAME_SIZE];
    SplitArgument(argument, file, name);
    // "-" is standard output, whatever the current directory holds.
    bool toStandardOutput = StrCompare(file, STANDARD_OUTPUT_NAME) == 0;
    if (!toStandardOutput) QueryTrueName(file, file);
    file[WRITE_PATH_SIZE - 1] = 0;
    if (file[0] == 0) {
        ReportRefusal(TEXT("Bad filename: \"%s\"\r\n"), argument);
        return SCHEME_WRITE_REFUSED;
    }
    // The "?" of a "\\?\" name is no wildcard.
    if (HasAnyOf(DisplayName(file), TEXT("*?"))) {
        ReportRefusal(TEXT("Wildcards not allowed: \"%s\"\r\n"), file);
        return SCHEME_WRITE_REFUSED;
    }
    if (!toStandardOutput && HasStreamColon(file)) {
        ReportRefusal(TEXT("Colon not allowed in file name (a scheme name follows \"::\"): \"%s\"\r\n"), file);
        return SCHEME_WRITE_REFUSED;
    }
    // A directory stands for the default scheme file in it.
    if (!toStandardOutput && QueryIsDirectory(file) && !AppendDefaultSchemeFile(file, WRITE_PATH_SIZE)) {
        ReportRefusal(TEXT("Bad filename: \"%s\"\r\n"), argument);
        return SCHEME_WRITE_REFUSED;
    }
    if (name[0] == 0) {
        const ColorScheme *current = findCurrent ? findCurrent() : nullptr;
        if (!current) {
            ReportRefusal(TEXT("Missing scheme name\r\n"), nullptr);
            return SCHEME_WRITE_REFUSED;
        }
        StrCopy(name, WRITE_NAME_SIZE, current->name);
    }
    if (LPCWSTR refusal = NameRefusal(name)) {
        ReportRefusal(refusal, name);
        return SCHEME_WRITE_REFUSED;
    }
    const OtherSchemeFormat *format = !toStandardOutput && chooseFormat ? chooseFormat(file) : nullptr;
    bool exists = !toStandardOutput && QueryIsFile(file);
    SchemeWriteResult result = format   ? RunWholeRewrite(file, name, format, exists)
                               : exists ? RewriteSchemeFile(file, name)
                                        : CreateSchemeFile(file, name);
    if (result == SCHEME_WRITE_DONE && !quiet) Printf(TEXT("Wrote current scheme to [%s] in \"%s\".\r\n"), name, file);
    return result;
}
