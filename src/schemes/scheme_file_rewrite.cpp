// Rewriting an existing scheme file with one section replaced or added.
// Everything is written to a temporary file beside it, which then takes
// the file's name in one step: until that step succeeds the user's file is
// untouched, and after it the new content is complete.
#include "../base/wstr.h"
#include "../plugin/host.h"
#include "../textio/line_reader.h"
#include "../textio/text_source.h"
#include "scheme_file.h"
#include "writer_messages.h"

namespace {

DWORD LastErrorOr(DWORD fallback) {
    DWORD error = GetLastError();
    return error != 0 ? error : fallback;
}

struct Rewrite {
    LPCWSTR path;
    LPCWSTR name;
    WCHAR temp[MAX_PATH];  // empty until the temporary file exists
    TextSource source;
    OutputFile *output;
    WCHAR line[LINE_BUFFER_SIZE];
    WCHAR section[LINE_BUFFER_SIZE];  // a header's name as the file spells it
    WCHAR trimmed[LINE_BUFFER_SIZE];  // and as the reader takes it
};

// The directory of `path` with its separator: up to the last "\" or "/",
// or else the last ":"; empty when there is none.
size_t DirectoryLength(LPCWSTR path) {
    LPCWSTR back = StrFindLastChar(path, TEXT('\\'));
    LPCWSTR slash = StrFindLastChar(path, TEXT('/'));
    LPCWSTR cut = back > slash ? back : slash;
    if (!cut) cut = StrFindLastChar(path, TEXT(':'));
    return cut ? static_cast<size_t>(cut - path) + 1 : 0;
}

// Made in the file's own directory, so that the final rename never has to
// cross volumes. 0, or the error that kept it from being made.
DWORD CreateTempFile(Rewrite *rewrite) {
    rewrite->temp[0] = 0;
    size_t length = DirectoryLength(rewrite->path);
    WCHAR directory[MAX_PATH];
    if (length >= MAX_PATH) return ERROR_BUFFER_OVERFLOW;
    StrCopy(directory, length + 1, rewrite->path);
    if (GetTempFileNameW(directory, TEXT("VT_"), 0, rewrite->temp) != 0) return 0;
    rewrite->temp[0] = 0;
    return LastErrorOr(ERROR_FILE_NOT_FOUND);
}

// The input closed (harmless when it is not open) and the temporary file
// removed, so that a failure leaves nothing behind.
void CleanUp(Rewrite *rewrite) {
    CloseTextSource(&rewrite->source);
    if (rewrite->temp[0] != 0 && QueryIsFile(rewrite->temp)) DeleteFileW(rewrite->temp);
}

// A header line's section name in rewrite->section, untrimmed: the name as
// the file spells it. Null for any other line.
LPCWSTR SectionName(Rewrite *rewrite) {
    LPCWSTR line = rewrite->line;
    if (line[0] != TEXT('[')) return nullptr;
    LPCWSTR close = StrFindChar(line, TEXT(']'));
    if (!close) return nullptr;
    size_t length = static_cast<size_t>(close - (line + 1));
    for (size_t i = 0; i < length; ++i) rewrite->section[i] = line[1 + i];
    rewrite->section[length] = 0;
    return rewrite->section;
}

// Whether a section of that spelling is the scheme being written. The name
// is compared trimmed, as the reader takes it: "[ Night ]" is Night.
bool IsRequestedSection(Rewrite *rewrite) {
    StrCopy(rewrite->trimmed, LINE_BUFFER_SIZE, rewrite->section);
    TrimBlanks(rewrite->trimmed);
    return SameSchemeName(rewrite->trimmed, rewrite->name) == 0;
}

// Copies the file, trimmed, replacing the first section of the requested
// name and dropping any later one; 0 or the error of the failed write.
LONG CopyWithSection(Rewrite *rewrite) {
    OutputFile *output = rewrite->output;
    bool anyLine = false, written = false, skipping = false, lastEmpty = false;
    while (ReadLine(&rewrite->source, rewrite->line, 0) == 0) {
        anyLine = true;
        lastEmpty = TrimBlanks(rewrite->line) == 0;
        LONG error = 0;
        if (LPCWSTR spelled = SectionName(rewrite)) {
            skipping = IsRequestedSection(rewrite);
            // The first section of that name is replaced where it stands,
            // keeping its header's spelling; any later one is dropped.
            if (skipping && !written) {
                error = WriteSchemeSection(output, spelled);
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

// The temporary file's content made complete and durable before it
// replaces anything; 0 or the error of the step that failed.
DWORD FinishTempFile(Rewrite *rewrite) {
    DWORD code = 0;
    if (FlushOutput(rewrite->output) != 0 || !FlushFileBuffers(rewrite->output->file)) {
        code = LastErrorOr(ERROR_WRITE_FAULT);
    }
    if (CloseOutputFile(rewrite->output) != 0 && code == 0) code = LastErrorOr(ERROR_WRITE_FAULT);
    rewrite->output = nullptr;
    return code;
}

int Fail(Rewrite *rewrite) {
    CleanUp(rewrite);
    return 2;
}

int RunRewrite(Rewrite *rewrite) {
    DWORD tempError = CreateTempFile(rewrite);
    LONG opened = OpenTextSource(&rewrite->source, rewrite->path);
    if (opened != 0) {
        ReportFileFailure(TEXT("Error opening input file \"%s\":\r\n"), rewrite->path, static_cast<DWORD>(opened));
        return Fail(rewrite);
    }
    if (tempError != 0) {
        // No temporary name to show: the directory it was to go in says
        // where the trouble is.
        WCHAR directory[MAX_PATH];
        size_t length = DirectoryLength(rewrite->path);
        StrCopy(directory, length + 1 < MAX_PATH ? length + 1 : MAX_PATH, rewrite->path);
        ReportFileFailure(TEXT("Error opening output file \"%s\":\r\n"), directory, tempError);
        return Fail(rewrite);
    }
    rewrite->output = CreateOutputFile(rewrite->temp);
    if (!rewrite->output) {
        ReportFileFailure(TEXT("Error opening output file \"%s\":\r\n"), rewrite->temp, GetLastError());
        return Fail(rewrite);
    }
    LONG error = WriteBom(rewrite->output);
    if (error == 0) error = CopyWithSection(rewrite);
    if (error != 0) {
        ReportFileFailure(TEXT("Error writing to output file \"%s\"\r\n"), rewrite->temp, static_cast<DWORD>(error));
        CloseOutputFile(rewrite->output);
        return Fail(rewrite);
    }
    DWORD code = FinishTempFile(rewrite);
    if (code != 0) {
        ReportFileFailure(TEXT("Error closing output file \"%s\"\r\n"), rewrite->temp, code);
        return Fail(rewrite);
    }
    // The input must be closed before its file can be replaced.
    CloseTextSource(&rewrite->source);
    if (!MoveFileExW(rewrite->temp, rewrite->path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ReportFileFailure2(TEXT("Can\u2019t rename output file \"%s\" to \"%s\":\r\n"), rewrite->temp, rewrite->path,
                           GetLastError());
        return Fail(rewrite);
    }
    return 0;
}

}  // namespace

int RewriteSchemeFile(LPCWSTR path, LPCWSTR name) {
    if (!path || path[0] == 0 || !name || name[0] == 0) return -1;
    Rewrite rewrite;
    rewrite.path = path;
    rewrite.name = name;
    rewrite.temp[0] = 0;
    rewrite.source = TextSource();
    rewrite.output = nullptr;
    return RunRewrite(&rewrite);
}
