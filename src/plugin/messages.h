// One shape for every error message: the plugin's prefix (with the batch
// file and line when a batch file runs), the text of a Windows error code,
// and the test for shells that want silence.
#pragma once

#include "../platform.h"

#define PLUGIN_NAME TEXT("Vivanta")
#define ERROR_TEXT_SIZE 1024

// Writes "Vivanta plugin: " (and "batchname [line]  " inside a batch file) to
// standard error, without a line end: the message continues the line.
int PrintErrorPrefix(void);
// The system's text for `code` in `text` (ERROR_TEXT_SIZE characters),
// without its trailing line break. -1 when `text` is null, else 0.
int FormatWindowsError(DWORD code, LPWSTR text);
// 1 when the shell is transient or runs in a pipe.
int IsTransientOrPiped(void);
// The standard error handle, which every message goes to.
HANDLE ErrorHandle(void);
