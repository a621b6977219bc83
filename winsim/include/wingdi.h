// The GDI subset for drawing text into a window, as <wingdi.h> and
// <winuser.h> declare it.
#pragma once

#include "windows.h"

#define HGDI_ERROR ((HANDLE)(LONG_PTR)-1)
#define CLR_INVALID 0xFFFFFFFF

// GetDeviceCaps
#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define PLANES 14
#define LOGPIXELSX 88
#define LOGPIXELSY 90

// background modes
#define TRANSPARENT 1
#define OPAQUE 2

// CreateFontW
#define FW_DONTCARE 0
#define FW_NORMAL 400
#define FW_BOLD 700
#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define OUT_DEFAULT_PRECIS 0
#define CLIP_DEFAULT_PRECIS 0
#define DEFAULT_QUALITY 0
#define DRAFT_QUALITY 1
#define PROOF_QUALITY 2
#define NONANTIALIASED_QUALITY 3
#define ANTIALIASED_QUALITY 4
#define CLEARTYPE_QUALITY 5
#define DEFAULT_PITCH 0
#define FIXED_PITCH 1
#define VARIABLE_PITCH 2
#define FF_DONTCARE (0 << 4)

// DrawTextW
#define DT_TOP 0x00000000
#define DT_LEFT 0x00000000
#define DT_CENTER 0x00000001
#define DT_RIGHT 0x00000002
#define DT_WORDBREAK 0x00000010
#define DT_SINGLELINE 0x00000020
#define DT_NOCLIP 0x00000100
#define DT_CALCRECT 0x00000400
#define DT_NOPREFIX 0x00000800

WINSIM_API HDC WINAPI GetDC(HWND window);
WINSIM_API int WINAPI ReleaseDC(HWND window, HDC dc);
WINSIM_API int WINAPI GetDeviceCaps(HDC dc, int index);
WINSIM_API HFONT WINAPI CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                                    DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                                    DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCWSTR faceName);
WINSIM_API HBRUSH WINAPI CreateSolidBrush(COLORREF color);
WINSIM_API HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object);
WINSIM_API BOOL WINAPI DeleteObject(HGDIOBJ object);
WINSIM_API COLORREF WINAPI SetTextColor(HDC dc, COLORREF color);
WINSIM_API COLORREF WINAPI SetBkColor(HDC dc, COLORREF color);
WINSIM_API int WINAPI SetBkMode(HDC dc, int mode);
WINSIM_API int WINAPI FillRect(HDC dc, const RECT *rect, HBRUSH brush);
WINSIM_API int WINAPI DrawTextW(HDC dc, LPCWSTR text, int count, LPRECT rect, UINT format);
WINSIM_API int WINAPI MulDiv(int number, int numerator, int denominator);
