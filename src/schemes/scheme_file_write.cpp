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
    PrintErrorPrefix();
    Qprintf(ErrorHandle(), format, name);
    PrintErrorText(code);
}

// `format` takes two file names.
void ReportFileFailure2(LPCWSTR format, LPCWSTR first, LPCWSTR second, DWORD code) {
    PrintErrorPrefix();
    Qprintf(ErrorHandle(), format, first, second);
    PrintErrorText(code);
}

// An argument the writer refuses: the prefix and `format` with `text`
// (which may be null when the format takes nothing).
void ReportRefusal(LPCWSTR format, LPCWSTR text) {
    PrintErrorPrefix();
    Qprintf(ErrorHandle(), format, text);
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

// Whether a section of that spelling is the scheme being written. The name
// is compared trimmed and cut, as the reader takes it: "[ Night ]" is Night,
// and a longer header is the scheme its first 39 characters name, so that
// the section written is the one the reader will find.
bool IsRequestedSection(Rewrite *rewrite) {
    StrCopy(rewrite->trimmed, LINE_BUFFER_SIZE, rewrite->section);
    TrimBlanks(rewrite->trimmed);
    WCHAR stored[SCHEME_NAME_SIZE];
    StrCopyWhole(stored, SCHEME_NAME_SIZE, rewrite->trimmed);
    return SameSchemeName(stored, rewrite->name);
}

// Copies the file, trimmed, replacing the first section of the requested
// name and dropping any later one; 0 or the error of the failed write.
LONG CopyWithSection(Rewrite *rewrite) {
    OutputFile *output = rewrite->output;
    bool anyLine = false, written = false, skipping = false, lastEmpty = false;
    while (ReadLine(&rewrite->source, rewrite->line, 0)) {
        anyLine = true;
        lastEmpty = TrimBlanks(rewrite->line) == 0;
        LONG error = 0;
        const SchemeLine parts = {rewrite->section, nullptr, nullptr};
        if (ScanSchemeLine(rewrite->line, &parts) == SCHEME_LINE_SECTION) {
            skipping = IsRequestedSection(rewrite);
            // The first section of that name is replaced where it stands,
            // keeping its header's spelling; any later one is dropped.
            if (skipping && !written) {
                error = WriteSchemeSection(output, rewrite->section);
                written = true;
            }
        }
        if (error == 0 && !skipping) {
            error = WriteText(output, rewrite->line);
            if (error == 0) error = WriteText(output, TEXT("\r\n"));
        }
        if (error != 0) return error;
    }
    if (written) return 0;
    // Appended after one empty line, the file's own or one added here.
    if (!anyLine || !lastEmpty) {
        LONG error = WriteText(output, TEXT("\r\n"));
        if (error != 0) return error;
    }
    return WriteSchemeSection(output, rewrite->name);
}

SchemeWriteResult RunRewrite(Rewrite *rewrite) {
    LPWSTR copy = nullptr;
    LPCWSTR openable = OpenableName(rewrite->path, &copy);
    LONG opened = openable ? OpenTextSource(&rewrite->source, openable) : ERROR_NOT_ENOUGH_MEMORY;
    MemFree(copy);
    // A stream was read from a copy and has no file of its own to replace.
    HANDLE file = rewrite->source.tempPath ? nullptr : rewrite->source.file;
    if (opened == 0) opened = static_cast<LONG>(FindFileToReplace(&rewrite->replacement, file, rewrite->path));
    if (opened != 0) {
        ReportFileFailure(TEXT("Error opening input file \"%s\":\r\n"), rewrite->path, static_cast<DWORD>(opened));
        return Fail(rewrite);
    }
    if (CreateTempFile(rewrite) != 0) return Fail(rewrite);
    LPCWSTR temp = DisplayName(rewrite->replacement.temp);
    LONG error = WriteBom(rewrite->output);
    if (error == 0) error = CopyWithSection(rewrite);
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

SchemeWriteResult RewriteSchemeFile(LPCWSTR path, LPCWSTR name) {
    if (!path || path[0] == 0 || !name || name[0] == 0) return SCHEME_WRITE_MISSING_ARGUMENT;
    Rewrite rewrite;
    rewrite.path = path;
    rewrite.name = name;
    rewrite.replacement = FileReplacement();
    rewrite.source = TextSource();
    rewrite.output = nullptr;
    SchemeWriteResult result = RunRewrite(&rewrite);
    FreeReplacement(&rewrite.replacement);
    return result;
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

}  // namespace

SchemeWriteResult WriteCurrentScheme(LPCWSTR argument, bool quiet, CurrentSchemeFinder findCurrent) {
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
    if (HasAnyOf(file, TEXT("*?"))) {
        ReportRefusal(TEXT("Wildcards not allowed: \"%s\"\r\n"), file);
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
    if (HasAnyOf(name, TEXT("?*[]"))) {
        ReportRefusal(TEXT("Bad characters in scheme name: \"%s\"\r\n"), name);
        return SCHEME_WRITE_REFUSED;
    }
    // The reader keeps 39 characters of a name: a longer section could
    // never be found again under the name the user gave it.
    if (StrLen(name) >= SCHEME_NAME_SIZE) {
        ReportRefusal(TEXT("Scheme name longer than 39 characters: \"%s\"\r\n"), name);
        return SCHEME_WRITE_REFUSED;
    }
    SchemeWriteResult result =
        !toStandardOutput && QueryIsFile(file) ? RewriteSchemeFile(file, name) : CreateSchemeFile(file, name);
    if (result == SCHEME_WRITE_DONE && !quiet) Printf(TEXT("Wrote current scheme to [%s] in \"%s\".\r\n"), name, file);
    return result;
}
