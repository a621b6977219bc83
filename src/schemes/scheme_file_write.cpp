// Writing scheme files: a new file holding just the sections, or a rewrite
// of the existing one with each section replaced or added, or another
// format's file written whole; and how failures are reported.
#include "../base/base.h"
#include "../plugin/host.h"
#include "../plugin/plugin.h"
#include "../textio/textio.h"
#include "schemes.h"

namespace {

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

// ---- rewriting ----
// Rewriting an existing scheme file with sections replaced or added, or
// writing another format's file whole. Everything is written to a
// temporary file beside the file the name leads to (through any link),
// which then replaces it in one step (see textio.h): until that step
// succeeds the user's file is untouched, and after it the new content is
// complete.

struct Rewrite {
    LPCWSTR path;                     // as the user named it, for messages
    SectionSet *set;                  // our own format: the sections put in
    const OtherSchemeFormat *format;  // or another format's one scheme,
    LPCWSTR name;
    EffectColors colors;                 // written from these;
    const SchemeListFormat *listFormat;  // or a list of schemes
    const ColorScheme *const *schemes;
    int count;
    bool exists;  // false: a new file, which only another format makes here
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

// How a line stands to the sections being written.
enum LineRole {
    NOT_A_HEADER,
    OTHER_SECTION,     // copied
    REPLACED,          // by the section found
    DROPPED,           // a later header of a section already written
    NEEDS_LOOK_AHEAD,  // its name folded is a section's that a later header may name as requested
};

struct LineMatch {
    LineRole role;
    WrittenSection *section;
};

// The name of the header in rewrite->section as the reader takes it, into
// `stored` (SCHEME_NAME_SIZE characters).
void StoredName(Rewrite *rewrite, LPWSTR stored) {
    StrCopy(rewrite->trimmed, LINE_BUFFER_SIZE, rewrite->section);
    TrimBlanks(rewrite->trimmed);
    StrCopyWhole(stored, SCHEME_NAME_SIZE, rewrite->trimmed);
}

// The header's name is compared trimmed and cut, as the reader takes it:
// "[ Night ]" is Night, and a longer header is the scheme its first 39
// characters name. A section takes the place of a header that names it
// only with accents folded when no header from here on names it as
// requested, which only a look ahead (`lookedAhead`) tells.
LineMatch MatchHeader(Rewrite *rewrite, bool lookedAhead) {
    WCHAR stored[SCHEME_NAME_SIZE];
    StoredName(rewrite, stored);
    const SectionSet *set = rewrite->set;
    if (WrittenSection *same = FindSectionByName(set, stored)) return {same->written ? DROPPED : REPLACED, same};
    bool needsLookAhead = false;
    if (WrittenSection *folded = FindSectionByFoldedName(set, stored, lookedAhead, &needsLookAhead)) {
        return {REPLACED, folded};
    }
    return {needsLookAhead ? NEEDS_LOOK_AHEAD : OTHER_SECTION, nullptr};
}

// Whether the line whose first piece rewrite->line holds is a header, its
// name then in rewrite->section. A line that fits is trimmed where it
// stands, as it is copied; the first piece of a longer one is trimmed in a
// copy, since the piece itself is still to be copied whole.
bool IsHeader(Rewrite *rewrite, LinePiece piece) {
    LPWSTR view = rewrite->line;
    if (piece == LINE_GOES_ON) {
        view = rewrite->trimmed;
        StrCopy(view, LINE_BUFFER_SIZE, rewrite->line);
    }
    TrimBlanks(view);
    const SchemeLine parts = {rewrite->section, nullptr, nullptr};
    return ScanSchemeLine(view, &parts) == SCHEME_LINE_SECTION;
}

LineMatch ClassifyLine(Rewrite *rewrite, LinePiece piece, bool lookedAhead) {
    if (!IsHeader(rewrite, piece)) return {NOT_A_HEADER, nullptr};
    return MatchHeader(rewrite, lookedAhead);
}

// Marks each section that a header from `from` on names as requested. The
// source is the file held open and mapped, so reading on and coming back
// to `from` sees just what the copy will.
void LookAhead(Rewrite *rewrite, ULONGLONG from) {
    TextSource *source = &rewrite->source;
    source->position = from;
    bool lineStart = true;
    LinePiece piece;
    while ((piece = ReadLinePiece(source, rewrite->line)) != NO_LINE_LEFT) {
        if (lineStart && IsHeader(rewrite, piece)) {
            WCHAR stored[SCHEME_NAME_SIZE];
            StoredName(rewrite, stored);
            if (WrittenSection *same = FindSectionByName(rewrite->set, stored)) same->sameNameAhead = true;
        }
        lineStart = piece == LINE_ENDS;
    }
    source->position = from;
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

// Copies the file, trimmed, with each section replaced where the first
// header naming it as requested stands (under that header's own spelling)
// and any later one of that name dropped; the others follow at the end.
// Only where no header names a section as requested does one that names
// it with accents folded take its place, and then that one alone: both
// spellings are schemes of their own to the reader. 0 or the error of the
// failed write.
LONG CopyWithSections(Rewrite *rewrite) {
    TextSource *source = &rewrite->source;
    bool anyLine = false, skipping = false, lastEmpty = false;
    // Looked ahead once, when a folded match comes before an exact one.
    bool lookedAhead = false;
    ULONGLONG lineStart = source->position;
    LinePiece piece;
    while ((piece = ReadLinePiece(source, rewrite->line)) != NO_LINE_LEFT) {
        anyLine = true;
        LineMatch match = ClassifyLine(rewrite, piece, lookedAhead);
        if (match.role == NEEDS_LOOK_AHEAD) {
            LookAhead(rewrite, lineStart);
            lookedAhead = true;
            // The look ahead took the buffers: the line is read again.
            piece = ReadLinePiece(source, rewrite->line);
            match = ClassifyLine(rewrite, piece, true);
        }
        LONG error = 0;
        if (match.role != NOT_A_HEADER) {
            skipping = match.role == REPLACED || match.role == DROPPED;
            if (match.role == REPLACED) {
                error = WriteSection(rewrite->output, match.section, rewrite->section);
                match.section->written = true;
            }
        }
        if (error == 0 && skipping) SkipRestOfLine(rewrite, piece);
        if (error == 0 && !skipping) error = CopyLine(rewrite, piece, &lastEmpty);
        if (error != 0) return error;
        lineStart = source->position;
    }
    // Appended after one empty line, the file's own or one added here.
    return AppendSections(rewrite->output, rewrite->set, anyLine && lastEmpty);
}

// The whole content of the new file: our own format's copy with the
// sections in place, or another format's scheme or list of them.
LONG WriteContent(Rewrite *rewrite) {
    if (rewrite->listFormat) return rewrite->listFormat->write(rewrite->output, rewrite->schemes, rewrite->count);
    if (rewrite->format) return rewrite->format->write(rewrite->output, &rewrite->colors, rewrite->name);
    LONG error = WriteBom(rewrite->output);
    if (error == 0) error = CopyWithSections(rewrite);
    return error;
}

// Another format's file holds one scheme or one list of them: anything
// more (a terminal's settings, a list where one scheme was, one where a
// list was) or else would be lost with it. True when it was refused.
bool RefuseToReplace(Rewrite *rewrite) {
    if (!rewrite->exists) return false;
    if (rewrite->listFormat && !rewrite->listFormat->holdsList(&rewrite->source)) {
        PrintError(TEXT("Won\u2019t replace \"%s\": it holds something other than %s\r\n"), rewrite->path,
                   rewrite->listFormat->description);
        return true;
    }
    if (rewrite->format && !rewrite->format->holdsOneScheme(&rewrite->source)) {
        PrintError(TEXT("Won\u2019t replace \"%s\": it holds something other than one %s\r\n"), rewrite->path,
                   rewrite->format->description);
        return true;
    }
    return false;
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
    if (RefuseToReplace(rewrite)) return Fail(rewrite);
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
// A scheme file that does not exist yet, or standard output: just the
// sections, UTF-8 with a byte-order mark (standard output without one).

namespace {

SchemeWriteResult CreateWithSections(LPCWSTR path, const SectionSet *set) {
    OutputFile *output = CreateOutputFile(path);
    if (!output) {
        ReportFileFailure(TEXT("Error opening output file \"%s\":\r\n"), path, GetLastError());
        return SCHEME_WRITE_FAILED;
    }
    LONG error = 0;
    if (StrCompare(path, STANDARD_OUTPUT_NAME) != 0) error = WriteBom(output);
    for (int i = 0; i < set->count && error == 0; ++i)
        error = WriteSection(output, &set->sections[i], set->sections[i].name);
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

// Nothing to write yet, nothing open.
void InitRewrite(Rewrite *rewrite, LPCWSTR path, bool exists) {
    *rewrite = Rewrite();
    rewrite->path = path;
    rewrite->exists = exists;
}

SchemeWriteResult RunAndFree(Rewrite *rewrite) {
    SchemeWriteResult result = RunRewrite(rewrite);
    FreeReplacement(&rewrite->replacement);
    return result;
}

}  // namespace

SchemeWriteResult CreateSchemeFile(LPCWSTR path, LPCWSTR name) {
    if (!path || path[0] == 0 || !name || name[0] == 0) return SCHEME_WRITE_MISSING_ARGUMENT;
    EffectSectionSet effect;
    InitEffectSectionSet(&effect, name);
    return CreateWithSections(path, &effect.set);
}

namespace {

// Rewrites (or with another format, may create) `path` with the colours in
// effect.
SchemeWriteResult RewriteWithEffect(LPCWSTR path, LPCWSTR name, const OtherSchemeFormat *format, bool exists) {
    EffectSectionSet effect;
    InitEffectSectionSet(&effect, name);
    Rewrite rewrite;
    InitRewrite(&rewrite, path, exists);
    rewrite.set = &effect.set;
    rewrite.format = format;
    rewrite.name = name;
    if (format && !ReadEffectColors(&rewrite.colors)) {
        ReportFileFailure(TEXT("Error writing to output file \"%s\":\r\n"), path, LastErrorOr(ERROR_INVALID_HANDLE));
        return SCHEME_WRITE_FAILED;
    }
    return RunAndFree(&rewrite);
}

}  // namespace

SchemeWriteResult RewriteSchemeFile(LPCWSTR path, LPCWSTR name) {
    if (!path || path[0] == 0 || !name || name[0] == 0) return SCHEME_WRITE_MISSING_ARGUMENT;
    return RewriteWithEffect(path, name, nullptr, true);
}

SchemeWriteResult WriteEffectScheme(LPCWSTR path, LPCWSTR name, const OtherSchemeFormat *format) {
    if (!path || path[0] == 0 || !name || name[0] == 0) return SCHEME_WRITE_MISSING_ARGUMENT;
    bool exists = StrCompare(path, STANDARD_OUTPUT_NAME) != 0 && QueryIsFile(path);
    if (format) return RewriteWithEffect(path, name, format, exists);
    return exists ? RewriteSchemeFile(path, name) : CreateSchemeFile(path, name);
}

SchemeWriteResult WriteSchemeList(LPCWSTR path, const ColorScheme *const *schemes, int count,
                                  const SchemeListFormat *format) {
    if (!path || path[0] == 0 || !schemes || count <= 0) return SCHEME_WRITE_MISSING_ARGUMENT;
    bool exists = StrCompare(path, STANDARD_OUTPUT_NAME) != 0 && QueryIsFile(path);
    Rewrite rewrite;
    InitRewrite(&rewrite, path, exists);
    if (format) {
        rewrite.listFormat = format;
        rewrite.schemes = schemes;
        rewrite.count = count;
        return RunAndFree(&rewrite);
    }
    SectionSet set;
    if (!NewSectionSet(&set, schemes, count)) {
        ReportFileFailure(TEXT("Error writing to output file \"%s\":\r\n"), path, ERROR_NOT_ENOUGH_MEMORY);
        return SCHEME_WRITE_FAILED;
    }
    rewrite.set = &set;
    SchemeWriteResult result = exists ? RunAndFree(&rewrite) : CreateWithSections(path, &set);
    FreeSectionSet(&set);
    return result;
}
