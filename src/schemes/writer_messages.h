// How the scheme file writer reports a failure: the plugin's prefix and a
// line naming the file (or two), then the error's text indented on its own
// line. Used only by the writer's files.
#pragma once

#include "../platform.h"

// `format` takes one file name.
void ReportFileFailure(LPCWSTR format, LPCWSTR name, DWORD code);
// `format` takes two file names.
void ReportFileFailure2(LPCWSTR format, LPCWSTR first, LPCWSTR second, DWORD code);
// An argument the writer refuses: the prefix and `format` with `text`
// (which may be null when the format takes nothing).
void ReportRefusal(LPCWSTR format, LPCWSTR text);
