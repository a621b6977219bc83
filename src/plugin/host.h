// The services the host command processor exports from TakeCmd.dll, with the
// signatures the plugin calls them by. Strings are UTF-16; result buffers hold
// 1024 characters unless the caller says otherwise.
#pragma once

#include "../platform.h"

#ifndef HOST_API
#define HOST_API VT_IMPORT
#endif

// printf-style output to the host's standard output; returns characters written.
HOST_API int WINAPI Printf(LPCWSTR format, ...);
// printf-style output to `handle` (the plugin passes only the standard error handle).
HOST_API int WINAPI Qprintf(HANDLE handle, LPCWSTR format, ...);
// Writes `text` to standard output with no line end added.
HOST_API int WINAPI QPuts(LPCWSTR text);
// Writes a line end to standard output.
HOST_API int WINAPI CrLf(void);
// Executes a host command line; 0 when it succeeded.
HOST_API int WINAPI Command(LPCWSTR line, int flags);
// Replaces the variable references in `buffer` by their values. The result is
// cut to 1023 characters, the smallest buffer any caller passes being 1024.
HOST_API int WINAPI ExpandVariables(LPWSTR buffer, int flag);
// The value of a host option as text in `value` (1024 characters); 0 when known.
HOST_API int WINAPI QueryOptionValue(LPCWSTR name, LPWSTR value);
// Reads "[Bright] colour on [Bright] colour"; fg and bg receive colour
// indexes 0-15 (left untouched when absent). Returns the text after the
// colours, or null when nothing could be read.
HOST_API LPWSTR WINAPI ParseColors(LPCWSTR text, int *fg, int *bg);
// 0 when `name` matches `pattern` (*, ?, [set]), case-insensitive.
HOST_API int WINAPI WildcardComparison(LPCWSTR pattern, LPCWSTR name, int fullPath, int ignoreCase);
// The full canonical form of `path` into `out` (32768 characters; may be the
// same buffer); 0 on success.
HOST_API int WINAPI QueryTrueName(LPCWSTR path, LPWSTR out);
HOST_API int WINAPI QueryIsFile(LPCWSTR path);
HOST_API int WINAPI QueryIsDirectory(LPCWSTR path);
// The parent of process `pid`; 0 or -1 when there is none.
HOST_API int WINAPI GetParentPID(int pid);
// Asks Take Command "HWND", "HVIEW" or "COLOR"; -1 when it cannot answer.
HOST_API int WINAPI TakeCommandIPC(LPCWSTR query, LPWSTR reply);
HOST_API void WINAPI tty_yield(int flag);
HOST_API void WINAPI ClearEditLine(LPWSTR line);
