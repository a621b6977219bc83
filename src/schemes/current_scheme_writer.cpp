// The /W argument: which file and which section name, checked before
// anything is written, then a new file or a rewrite of the existing one.
#include "../base/wstr.h"
#include "../palette/palette.h"
#include "../plugin/host.h"
#include "scheme_file.h"
#include "writer_messages.h"

namespace {

const WCHAR kStandardOutput[] = TEXT("-");

// The argument without its double quotes, into `file` (WRITE_PATH_SIZE),
// split at the first "::"; the name part (cut to WRITE_NAME_SIZE - 1) goes
// to `name`, empty when there is none.
void SplitArgument(LPCWSTR argument, LPWSTR file, LPWSTR name) {
    size_t length = 0;
    for (LPCWSTR p = argument; *p != 0 && length < WRITE_PATH_SIZE - 1; ++p) {
        if (*p != TEXT('"')) file[length++] = *p;
    }
    file[length] = 0;
    name[0] = 0;
    LPWSTR separator = const_cast<LPWSTR>(StrFind(file, TEXT("::")));
    if (!separator) return;
    StrCopy(name, WRITE_NAME_SIZE, separator + 2);
    *separator = 0;
}

bool HasAnyOf(LPCWSTR text, LPCWSTR characters) {
    for (; *characters != 0; ++characters) {
        if (StrFindChar(text, *characters)) return true;
    }
    return false;
}

// A directory stands for the default scheme file in it; false when the
// whole name would not fit.
bool AppendDefaultFileName(LPWSTR file) {
    size_t length = StrLen(file);
    WCHAR last = length > 0 ? file[length - 1] : 0;
    LPCWSTR separator = (last == TEXT('\\') || last == TEXT('/') || last == TEXT(':')) ? TEXT("") : TEXT("\\");
    size_t wanted = length + StrLen(separator) + StrLen(DEFAULT_SCHEME_FILE);
    if (wanted >= WRITE_PATH_SIZE) return false;
    StrAppend(file, WRITE_PATH_SIZE, separator);
    StrAppend(file, WRITE_PATH_SIZE, DEFAULT_SCHEME_FILE);
    return true;
}

}  // namespace

int WriteCurrentScheme(LPCWSTR argument, BOOL quiet) {
    if (!argument) return -1;
    if (argument[0] == 0 || StrCompareN(argument, TEXT("::"), 2) == 0) {
        ReportRefusal(TEXT("Missing filename\r\n"), nullptr);
        return 1;
    }
    WCHAR file[WRITE_PATH_SIZE];
    WCHAR name[WRITE_NAME_SIZE];
    SplitArgument(argument, file, name);
    // "-" is standard output, whatever the current directory holds.
    bool toStandardOutput = StrCompare(file, kStandardOutput) == 0;
    if (!toStandardOutput) QueryTrueName(file, file);
    file[WRITE_PATH_SIZE - 1] = 0;
    if (file[0] == 0) {
        ReportRefusal(TEXT("Bad filename: \"%s\"\r\n"), argument);
        return 1;
    }
    if (HasAnyOf(file, TEXT("*?"))) {
        ReportRefusal(TEXT("Wildcards not allowed: \"%s\"\r\n"), file);
        return 1;
    }
    if (!toStandardOutput && QueryIsDirectory(file) && !AppendDefaultFileName(file)) {
        ReportRefusal(TEXT("Bad filename: \"%s\"\r\n"), argument);
        return 1;
    }
    if (name[0] == 0) {
        const ColorScheme *current = IdentifyCurrentScheme();
        if (!current) {
            ReportRefusal(TEXT("Missing scheme name\r\n"), nullptr);
            return 1;
        }
        StrCopy(name, WRITE_NAME_SIZE, current->name);
    }
    if (HasAnyOf(name, TEXT("?*[]"))) {
        ReportRefusal(TEXT("Bad characters in scheme name: \"%s\"\r\n"), name);
        return 1;
    }
    int result = !toStandardOutput && QueryIsFile(file) ? RewriteSchemeFile(file, name) : CreateSchemeFile(file, name);
    if (result == 0 && !quiet) Printf(TEXT("Wrote current scheme to [%s] in \"%s\".\r\n"), name, file);
    return result;
}
