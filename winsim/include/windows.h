// The subset of the Win32 API that Vivanta, the stand-in host and vhost use,
// with Windows' names, widths, record layouts and error codes. The functions
// work on the in-process world that sim.h controls.
// Its parts are in headers named as Windows names them (wincon.h,
// fileapi.h, winuser.h, ...), which this one includes.
//
// WCHAR is char16_t so that a wchar_t or an L"" literal (32 bits on Linux)
// fails to compile instead of silently producing the wrong string width.
#pragma once

#include <stddef.h>
#include <stdint.h>

#define WINSIM 1

#ifdef __cplusplus
#define WINSIM_EXTERN_C extern "C"
#else
#define WINSIM_EXTERN_C
#endif
#define WINSIM_API WINSIM_EXTERN_C __attribute__((visibility("default")))

#define WINAPI
#define CALLBACK
#define APIENTRY
#define CONST const
#define VOID void

// ---- basic types (Windows widths: LONG and DWORD are 32 bits) ----
typedef int BOOL;
typedef unsigned char BYTE, UCHAR, BOOLEAN;
typedef uint16_t WORD, USHORT;
typedef int16_t SHORT;
typedef uint32_t DWORD, ULONG, UINT;
typedef int32_t LONG, INT;
typedef int64_t LONGLONG, LONG_PTR, INT_PTR, LPARAM, LRESULT;
typedef uint64_t ULONGLONG, DWORDLONG, ULONG_PTR, UINT_PTR, DWORD_PTR, WPARAM, SIZE_T;
typedef DWORD_PTR *PDWORD_PTR;
typedef char CHAR;
typedef char16_t WCHAR, TCHAR;
typedef CHAR *LPSTR;
typedef const CHAR *LPCSTR;
typedef WCHAR *LPWSTR, *PWSTR, *LPTSTR;
typedef const WCHAR *LPCWSTR, *PCWSTR, *LPCTSTR;
typedef void *LPVOID, *PVOID, *HANDLE;
typedef const void *LPCVOID;
typedef DWORD *LPDWORD, *PDWORD;
typedef BOOL *LPBOOL;
typedef BYTE *LPBYTE;
typedef WORD *LPWORD;
typedef LONG *PLONG;
typedef DWORD COLORREF;
typedef WORD ATOM;

#define WINSIM_DECLARE_HANDLE(name) \
    struct name##__ {               \
        int unused;                 \
    };                              \
    typedef struct name##__ *name
WINSIM_DECLARE_HANDLE(HWND);
WINSIM_DECLARE_HANDLE(HINSTANCE);
WINSIM_DECLARE_HANDLE(HMONITOR);
WINSIM_DECLARE_HANDLE(HDC);
WINSIM_DECLARE_HANDLE(HKEY);
WINSIM_DECLARE_HANDLE(HFONT);
WINSIM_DECLARE_HANDLE(HBRUSH);
WINSIM_DECLARE_HANDLE(HMENU);
WINSIM_DECLARE_HANDLE(HICON);
WINSIM_DECLARE_HANDLE(HBITMAP);
typedef HINSTANCE HMODULE;
typedef HICON HCURSOR;
typedef void *HGDIOBJ;
typedef LONG_PTR (*FARPROC)(void);

#ifndef NULL
#define NULL 0
#endif
#define TRUE 1
#define FALSE 0
#define MAX_PATH 260
#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)

#define TEXT(s) u##s
#define _T(s) u##s

#define LOBYTE(w) ((BYTE)(((DWORD_PTR)(w)) & 0xff))
#define HIBYTE(w) ((BYTE)((((DWORD_PTR)(w)) >> 8) & 0xff))
#define LOWORD(l) ((WORD)(((DWORD_PTR)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((DWORD_PTR)(l)) >> 16) & 0xffff))
#define RGB(r, g, b) ((COLORREF)(((BYTE)(r) | ((WORD)((BYTE)(g)) << 8)) | (((DWORD)(BYTE)(b)) << 16)))
#define GetRValue(rgb) (LOBYTE(rgb))
#define GetGValue(rgb) (LOBYTE(((WORD)(rgb)) >> 8))
#define GetBValue(rgb) (LOBYTE((rgb) >> 16))

// ---- error codes ----
#define ERROR_SUCCESS 0L
#define NO_ERROR 0L
#define ERROR_INVALID_FUNCTION 1L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_TOO_MANY_OPEN_FILES 4L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_INVALID_DATA 13L
#define ERROR_OUTOFMEMORY 14L
#define ERROR_NO_MORE_FILES 18L
#define ERROR_WRITE_FAULT 29L
#define ERROR_READ_FAULT 30L
#define ERROR_GEN_FAILURE 31L
#define ERROR_SHARING_VIOLATION 32L
#define ERROR_LOCK_VIOLATION 33L
#define ERROR_HANDLE_EOF 38L
#define ERROR_HANDLE_DISK_FULL 39L
#define ERROR_NOT_SUPPORTED 50L
#define ERROR_BAD_DEV_TYPE 66L
#define ERROR_FILE_EXISTS 80L
#define ERROR_UNABLE_TO_REMOVE_REPLACED 1175L
#define ERROR_UNABLE_TO_MOVE_REPLACEMENT 1176L
#define ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 1177L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_BROKEN_PIPE 109L
#define ERROR_DISK_FULL 112L
#define ERROR_CALL_NOT_IMPLEMENTED 120L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_INVALID_NAME 123L
#define ERROR_MOD_NOT_FOUND 126L
#define ERROR_PROC_NOT_FOUND 127L
#define ERROR_DIR_NOT_EMPTY 145L
#define ERROR_ALREADY_EXISTS 183L
#define ERROR_ENVVAR_NOT_FOUND 203L
#define ERROR_FILE_TOO_LARGE 223L
#define ERROR_NO_DATA 232L
#define ERROR_MORE_DATA 234L
#define ERROR_NO_MORE_ITEMS 259L
#define ERROR_MR_MID_NOT_FOUND 317L
#define ERROR_NOACCESS 998L
#define ERROR_BADKEY 1010L
#define ERROR_CANTOPEN 1011L
#define ERROR_CANTREAD 1012L
#define ERROR_CANTWRITE 1013L
#define ERROR_KEY_DELETED 1018L
#define ERROR_DLL_INIT_FAILED 1114L
#define ERROR_INVALID_WINDOW_HANDLE 1400L
#define ERROR_CANNOT_FIND_WND_CLASS 1407L
#define ERROR_CLASS_ALREADY_EXISTS 1410L
#define ERROR_CLASS_DOES_NOT_EXIST 1411L
#define ERROR_CLASS_HAS_WINDOWS 1412L
#define ERROR_NOT_FOUND 1168L
#define ERROR_TIMEOUT 1460L
#define ERROR_BAD_LENGTH 24L
#define ERROR_INVALID_MONITOR_HANDLE 1461L
#define ERROR_RESOURCE_LANG_NOT_FOUND 1815L

// ---- records ----
typedef struct _COORD {
    SHORT X;
    SHORT Y;
} COORD, *PCOORD;

typedef struct _SMALL_RECT {
    SHORT Left;
    SHORT Top;
    SHORT Right;
    SHORT Bottom;
} SMALL_RECT, *PSMALL_RECT;

typedef struct _CONSOLE_SCREEN_BUFFER_INFO {
    COORD dwSize;
    COORD dwCursorPosition;
    WORD wAttributes;
    SMALL_RECT srWindow;
    COORD dwMaximumWindowSize;
} CONSOLE_SCREEN_BUFFER_INFO, *PCONSOLE_SCREEN_BUFFER_INFO;

typedef struct _CONSOLE_SCREEN_BUFFER_INFOEX {
    ULONG cbSize;
    COORD dwSize;
    COORD dwCursorPosition;
    WORD wAttributes;
    SMALL_RECT srWindow;
    COORD dwMaximumWindowSize;
    WORD wPopupAttributes;
    BOOL bFullscreenSupported;
    COLORREF ColorTable[16];
} CONSOLE_SCREEN_BUFFER_INFOEX, *PCONSOLE_SCREEN_BUFFER_INFOEX;

typedef struct tagRECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
} RECT, *PRECT, *LPRECT;
typedef const RECT *LPCRECT;

typedef struct tagPOINT {
    LONG x;
    LONG y;
} POINT, *PPOINT, *LPPOINT;

typedef struct tagMONITORINFO {
    DWORD cbSize;
    RECT rcMonitor;
    RECT rcWork;
    DWORD dwFlags;
} MONITORINFO, *LPMONITORINFO;
#define MONITORINFOF_PRIMARY 0x00000001

typedef struct _SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;

typedef struct _OVERLAPPED OVERLAPPED, *LPOVERLAPPED;

typedef BOOL(CALLBACK *WNDENUMPROC)(HWND, LPARAM);

// ---- constants ----
#define STD_INPUT_HANDLE ((DWORD)-10)
#define STD_OUTPUT_HANDLE ((DWORD)-11)
#define STD_ERROR_HANDLE ((DWORD)-12)

#define GENERIC_READ 0x80000000L
#define GENERIC_WRITE 0x40000000L
#define FILE_SHARE_READ 0x00000001
#define FILE_SHARE_WRITE 0x00000002
#define FILE_SHARE_DELETE 0x00000004
#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5
#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)

#define ENABLE_PROCESSED_INPUT 0x0001
#define ENABLE_LINE_INPUT 0x0002
#define ENABLE_ECHO_INPUT 0x0004
#define ENABLE_PROCESSED_OUTPUT 0x0001
#define ENABLE_WRAP_AT_EOL_OUTPUT 0x0002
#define ENABLE_VIRTUAL_TERMINAL_PROCESSING 0x0004

#define FOREGROUND_BLUE 0x0001
#define FOREGROUND_GREEN 0x0002
#define FOREGROUND_RED 0x0004
#define FOREGROUND_INTENSITY 0x0008
#define BACKGROUND_BLUE 0x0010
#define BACKGROUND_GREEN 0x0020
#define BACKGROUND_RED 0x0040
#define BACKGROUND_INTENSITY 0x0080

#define FORMAT_MESSAGE_ALLOCATE_BUFFER 0x00000100
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200
#define FORMAT_MESSAGE_FROM_STRING 0x00000400
#define FORMAT_MESSAGE_FROM_HMODULE 0x00000800
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000
#define FORMAT_MESSAGE_ARGUMENT_ARRAY 0x00002000
#define FORMAT_MESSAGE_MAX_WIDTH_MASK 0x000000FF
#define LANG_NEUTRAL 0x00
#define SUBLANG_DEFAULT 0x01
#define MAKELANGID(p, s) ((((WORD)(s)) << 10) | (WORD)(p))

#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

#define MONITOR_DEFAULTTONULL 0x00000000
#define MONITOR_DEFAULTTOPRIMARY 0x00000001
#define MONITOR_DEFAULTTONEAREST 0x00000002

#define MB_OK 0x00000000L
#define MB_OKCANCEL 0x00000001L
#define MB_ICONERROR 0x00000010L
#define MB_ICONQUESTION 0x00000020L
#define MB_ICONWARNING 0x00000030L
#define MB_ICONINFORMATION 0x00000040L
#define MB_TOPMOST 0x00040000L
#define IDOK 1
#define IDCANCEL 2

#define RDW_INVALIDATE 0x0001
#define RDW_INTERNALPAINT 0x0002
#define RDW_ERASE 0x0004
#define RDW_ALLCHILDREN 0x0080
#define RDW_UPDATENOW 0x0100
#define RDW_ERASENOW 0x0200
#define RDW_FRAME 0x0400

// ---- errors ----
WINSIM_API DWORD WINAPI GetLastError(void);
WINSIM_API void WINAPI SetLastError(DWORD code);

// ---- handles, files ----
WINSIM_API HANDLE WINAPI CreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                                     DWORD disposition, DWORD flags, HANDLE templateFile);
WINSIM_API BOOL WINAPI CloseHandle(HANDLE handle);
WINSIM_API BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED ov);
WINSIM_API BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED ov);
WINSIM_API DWORD WINAPI GetFileAttributesW(LPCWSTR name);
WINSIM_API BOOL WINAPI SetFileAttributesW(LPCWSTR name, DWORD attributes);
WINSIM_API BOOL WINAPI CreateDirectoryW(LPCWSTR name, LPSECURITY_ATTRIBUTES sa);
WINSIM_API BOOL WINAPI RemoveDirectoryW(LPCWSTR name);
WINSIM_API DWORD WINAPI GetFullPathNameW(LPCWSTR name, DWORD cch, LPWSTR buffer, LPWSTR *filePart);
WINSIM_API DWORD WINAPI GetCurrentDirectoryW(DWORD cch, LPWSTR buffer);

#include "wincon.h"

// ---- waits ----
#define INFINITE 0xFFFFFFFF
#define WAIT_OBJECT_0 0x00000000L
#define WAIT_ABANDONED_0 0x00000080L
#define WAIT_TIMEOUT 258L
#define WAIT_FAILED ((DWORD)0xFFFFFFFF)
#define MAXIMUM_WAIT_OBJECTS 64

// ---- processes, environment, modules, messages ----
WINSIM_API DWORD WINAPI GetCurrentProcessId(void);
WINSIM_API HANDLE WINAPI GetCurrentProcess(void);
WINSIM_API DWORD WINAPI GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size);
WINSIM_API BOOL WINAPI SetEnvironmentVariableW(LPCWSTR name, LPCWSTR value);
WINSIM_API HMODULE WINAPI GetModuleHandleW(LPCWSTR name);
WINSIM_API FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name);
WINSIM_API DWORD WINAPI GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size);
WINSIM_API HMODULE WINAPI LoadLibraryW(LPCWSTR name);
WINSIM_API BOOL WINAPI FreeLibrary(HMODULE module);
WINSIM_API DWORD WINAPI FormatMessageW(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPWSTR buffer,
                                       DWORD size, void *arguments);

// ---- time ----
WINSIM_API void WINAPI Sleep(DWORD ms);
WINSIM_API DWORD WINAPI GetTickCount(void);
WINSIM_API ULONGLONG WINAPI GetTickCount64(void);

// ---- windows ----
WINSIM_API BOOL WINAPI EnumWindows(WNDENUMPROC proc, LPARAM param);
WINSIM_API BOOL WINAPI EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM param);
WINSIM_API UINT WINAPI RealGetWindowClassW(HWND window, LPWSTR buffer, UINT size);
WINSIM_API int WINAPI GetClassNameW(HWND window, LPWSTR buffer, int size);
WINSIM_API int WINAPI GetWindowTextW(HWND window, LPWSTR buffer, int size);
WINSIM_API int WINAPI GetWindowTextLengthW(HWND window);
WINSIM_API BOOL WINAPI SetWindowTextW(HWND window, LPCWSTR text);
WINSIM_API DWORD WINAPI GetWindowThreadProcessId(HWND window, LPDWORD processId);
WINSIM_API BOOL WINAPI IsWindow(HWND window);
WINSIM_API BOOL WINAPI IsWindowVisible(HWND window);
WINSIM_API HWND WINAPI GetParent(HWND window);
WINSIM_API HWND WINAPI GetAncestor(HWND window, UINT flags);
WINSIM_API HWND WINAPI GetWindow(HWND window, UINT command);
WINSIM_API BOOL WINAPI GetWindowRect(HWND window, LPRECT rect);
WINSIM_API HWND WINAPI GetForegroundWindow(void);
WINSIM_API HMONITOR WINAPI MonitorFromWindow(HWND window, DWORD flags);
WINSIM_API BOOL WINAPI GetMonitorInfoW(HMONITOR monitor, LPMONITORINFO info);
WINSIM_API BOOL WINAPI RedrawWindow(HWND window, const RECT *update, void *region, UINT flags);
WINSIM_API int WINAPI MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

#include "fileapi.h"

// File mapping and global memory blocks, as Windows declares them in
// <memoryapi.h> and <winbase.h>.

#define PAGE_NOACCESS 0x01
#define PAGE_READONLY 0x02
#define PAGE_READWRITE 0x04
#define PAGE_WRITECOPY 0x08
#define SEC_COMMIT 0x08000000

#define FILE_MAP_COPY 0x0001
#define FILE_MAP_WRITE 0x0002
#define FILE_MAP_READ 0x0004
#define FILE_MAP_ALL_ACCESS 0x000F001F

#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)

#define ERROR_DISCARDED 157L
#define ERROR_NOT_LOCKED 158L
#define ERROR_INVALID_ADDRESS 487L
#define ERROR_FILE_INVALID 1006L
#define ERROR_MAPPED_ALIGNMENT 1132L

typedef HANDLE HGLOBAL;

WINSIM_API HANDLE WINAPI CreateFileMappingW(HANDLE file, LPSECURITY_ATTRIBUTES sa, DWORD protect, DWORD sizeHigh,
                                            DWORD sizeLow, LPCWSTR name);
WINSIM_API LPVOID WINAPI MapViewOfFile(HANDLE mapping, DWORD access, DWORD offsetHigh, DWORD offsetLow, SIZE_T bytes);
WINSIM_API BOOL WINAPI UnmapViewOfFile(LPCVOID address);

WINSIM_API HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes);
WINSIM_API HGLOBAL WINAPI GlobalFree(HGLOBAL block);
WINSIM_API LPVOID WINAPI GlobalLock(HGLOBAL block);
WINSIM_API BOOL WINAPI GlobalUnlock(HGLOBAL block);
WINSIM_API SIZE_T WINAPI GlobalSize(HGLOBAL block);

// Code pages and conversions, as Windows declares them in <winnls.h> and
// <stringapiset.h>.

#define CP_ACP 0
#define CP_OEMCP 1
#define CP_THREAD_ACP 3
#define CP_UTF8 65001

#define MB_PRECOMPOSED 0x00000001
#define MB_ERR_INVALID_CHARS 0x00000008
#define WC_COMPOSITECHECK 0x00000200
#define WC_NO_BEST_FIT_CHARS 0x00000400
#define WC_ERR_INVALID_CHARS 0x00000080

#define ERROR_INVALID_FLAGS 1004L
#define ERROR_NO_UNICODE_TRANSLATION 1113L

WINSIM_API UINT WINAPI GetACP(void);
WINSIM_API UINT WINAPI GetOEMCP(void);
WINSIM_API int WINAPI WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR text, int length, LPSTR out, int size,
                                          LPCSTR defaultChar, LPBOOL usedDefault);
WINSIM_API int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR bytes, int length, LPWSTR out, int size);

// Process snapshots, as Windows declares them in <tlhelp32.h>.

#define TH32CS_SNAPPROCESS 0x00000002

typedef struct tagPROCESSENTRY32W {
    DWORD dwSize;
    DWORD cntUsage;
    DWORD th32ProcessID;
    ULONG_PTR th32DefaultHeapID;
    DWORD th32ModuleID;
    DWORD cntThreads;
    DWORD th32ParentProcessID;
    LONG pcPriClassBase;
    DWORD dwFlags;
    WCHAR szExeFile[MAX_PATH];
} PROCESSENTRY32W, *LPPROCESSENTRY32W;

WINSIM_API HANDLE WINAPI CreateToolhelp32Snapshot(DWORD flags, DWORD processId);
WINSIM_API BOOL WINAPI Process32FirstW(HANDLE snapshot, LPPROCESSENTRY32W entry);
WINSIM_API BOOL WINAPI Process32NextW(HANDLE snapshot, LPPROCESSENTRY32W entry);

// The runtime's secure random numbers (<stdlib.h> declares rand_s only when
// _CRT_RAND_S is defined before it, as the Microsoft runtime does).
#ifdef _CRT_RAND_S
typedef int errno_t;
WINSIM_API errno_t rand_s(unsigned int *value);
#endif

#include "wingdi.h"
#include "winreg.h"
#include "winuser.h"
