// Scheme files: the .INI-style files that hold schemes beyond the built-in
// ones. The reader fills the scheme list from one; the writer stores what is
// in effect now as a section of one, creating the file or rewriting it.
#pragma once

#include "../platform.h"
#include "../textio/output_file.h"
#include "scheme_list.h"

#define DEFAULT_SCHEME_FILE TEXT("Vivanta.ini")
#define SETTING_TEXT_SIZE 1024    // a key or a value, and a ColorDir read from a file
#define MODULE_PATH_SIZE 8192     // the plugin's own file name
#define WRITE_PATH_SIZE 32768     // the file part of a /W argument
#define WRITE_NAME_SIZE 1024      // the scheme name of a /W argument: 1023 characters
#define SECTION_NAME_FOLD_SIZE 8192
#define CONSOLE_INFO_UNREADABLE 42  // WriteSchemeSection: the console could not be read

// ---- reading ----

// Reads the scheme file `name`: merge 0 replaces the scheme list with the
// file's schemes, any other value merges them into it (a scheme of the
// file takes the place of a listed one of the same name, at the end).
// Returns how many schemes the file gave (1 or more); 0 when it cannot be
// opened or gives none, the list then unchanged; -1 for no or an empty name.
int ReadSchemeFile(LPCWSTR name, int merge);
// 1 when `scheme` (a template being read) has the three required
// directives and all sixteen palette entries; the optional directives then
// get their defaults and `dark` is set. 0 when it is rejected.
int CompleteScheme(ColorScheme *scheme, LPCWSTR name);

// Strips white space at both ends of `text` in place; returns the length.
size_t TrimBlanks(LPWSTR text);
// Strips white space at the end of `text` in place; returns the length.
size_t TrimTrailingBlanks(LPWSTR text);
// "key = value" into `key` and `value` (SETTING_TEXT_SIZE characters each),
// both trimmed. 1 when split; 0 (both empty) without "=", with an empty
// key, or when either part has 1024 characters or more.
int SplitKeyValue(LPCWSTR line, LPWSTR key, LPWSTR value);

// ---- writing ----

// Carries out the argument of /W (file::name, either part may be quoted;
// the name may be left out): 0 written, 1 argument refused, 2 reading or
// writing failed, -1 for a null argument. Messages are printed; `quiet`
// keeps only the success message back.
int WriteCurrentScheme(LPCWSTR argument, BOOL quiet);
// Writes a new file (or standard output for "-") holding just the section
// `name`: 0, 2 after a reported failure, -1 for a missing argument.
int CreateSchemeFile(LPCWSTR path, LPCWSTR name);
// Replaces the section `name` of the existing file `path` where it stands,
// or appends it, through a temporary file that then takes the file's place
// in one step: 0, 2 after a reported failure (the file then as it was), -1
// for a missing argument.
int RewriteSchemeFile(LPCWSTR path, LPCWSTR name);
// The section `name` with the colours in effect: 0, CONSOLE_INFO_UNREADABLE
// (nothing written), or the error of the first failed write.
LONG WriteSchemeSection(OutputFile *output, LPCWSTR name);
// 0 when the two section names are one scheme name: folded, then compared
// with A-Z taken without case; non-zero otherwise.
int SameSchemeName(LPCWSTR a, LPCWSTR b);
