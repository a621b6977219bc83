// The clipboard, as Windows declares it in <winuser.h>.
#pragma once

#include "memoryapi.h"

#define CF_TEXT 1
#define CF_OEMTEXT 7
#define CF_UNICODETEXT 13

#define ERROR_CLIPBOARD_NOT_OPEN 1418L

WINSIM_API BOOL WINAPI OpenClipboard(HWND owner);
WINSIM_API BOOL WINAPI CloseClipboard(void);
WINSIM_API HANDLE WINAPI GetClipboardData(UINT format);
WINSIM_API BOOL WINAPI IsClipboardFormatAvailable(UINT format);
