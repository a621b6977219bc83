// The console calls and records, as <wincon.h> and <consoleapi.h> declare
// them. windows.h includes it where the console's part begins; include
// windows.h, not this.
#pragma once

#include "windows.h"

// ---- console ----
WINSIM_API HANDLE WINAPI GetStdHandle(DWORD which);
WINSIM_API BOOL WINAPI SetStdHandle(DWORD which, HANDLE handle);
WINSIM_API HWND WINAPI GetConsoleWindow(void);
WINSIM_API DWORD WINAPI GetConsoleProcessList(LPDWORD list, DWORD count);
WINSIM_API BOOL WINAPI GetConsoleMode(HANDLE console, LPDWORD mode);
WINSIM_API BOOL WINAPI SetConsoleMode(HANDLE console, DWORD mode);
WINSIM_API BOOL WINAPI GetConsoleScreenBufferInfo(HANDLE console, PCONSOLE_SCREEN_BUFFER_INFO info);
WINSIM_API BOOL WINAPI GetConsoleScreenBufferInfoEx(HANDLE console, PCONSOLE_SCREEN_BUFFER_INFOEX info);
WINSIM_API BOOL WINAPI SetConsoleScreenBufferInfoEx(HANDLE console, PCONSOLE_SCREEN_BUFFER_INFOEX info);
WINSIM_API BOOL WINAPI SetConsoleTextAttribute(HANDLE console, WORD attributes);
WINSIM_API BOOL WINAPI WriteConsoleW(HANDLE console, const void *buffer, DWORD count, LPDWORD written, LPVOID reserved);
WINSIM_API BOOL WINAPI ReadConsoleOutputAttribute(HANDLE console, LPWORD attributes, DWORD length, COORD start,
                                                  LPDWORD read);
WINSIM_API BOOL WINAPI WriteConsoleOutputAttribute(HANDLE console, const WORD *attributes, DWORD length, COORD start,
                                                   LPDWORD written);
WINSIM_API DWORD WINAPI GetConsoleTitleW(LPWSTR title, DWORD size);
WINSIM_API BOOL WINAPI SetConsoleTitleW(LPCWSTR title);

// ---- console screen buffers and input records (<wincon.h>) ----
typedef struct _CHAR_INFO {
    union {
        WCHAR UnicodeChar;
        CHAR AsciiChar;
    } Char;
    WORD Attributes;
} CHAR_INFO, *PCHAR_INFO;

typedef struct _KEY_EVENT_RECORD {
    BOOL bKeyDown;
    WORD wRepeatCount;
    WORD wVirtualKeyCode;
    WORD wVirtualScanCode;
    union {
        WCHAR UnicodeChar;
        CHAR AsciiChar;
    } uChar;
    DWORD dwControlKeyState;
} KEY_EVENT_RECORD, *PKEY_EVENT_RECORD;

typedef struct _MOUSE_EVENT_RECORD {
    COORD dwMousePosition;
    DWORD dwButtonState;
    DWORD dwControlKeyState;
    DWORD dwEventFlags;
} MOUSE_EVENT_RECORD, *PMOUSE_EVENT_RECORD;

typedef struct _WINDOW_BUFFER_SIZE_RECORD {
    COORD dwSize;
} WINDOW_BUFFER_SIZE_RECORD, *PWINDOW_BUFFER_SIZE_RECORD;

typedef struct _MENU_EVENT_RECORD {
    UINT dwCommandId;
} MENU_EVENT_RECORD, *PMENU_EVENT_RECORD;

typedef struct _FOCUS_EVENT_RECORD {
    BOOL bSetFocus;
} FOCUS_EVENT_RECORD, *PFOCUS_EVENT_RECORD;

typedef struct _INPUT_RECORD {
    WORD EventType;
    union {
        KEY_EVENT_RECORD KeyEvent;
        MOUSE_EVENT_RECORD MouseEvent;
        WINDOW_BUFFER_SIZE_RECORD WindowBufferSizeEvent;
        MENU_EVENT_RECORD MenuEvent;
        FOCUS_EVENT_RECORD FocusEvent;
    } Event;
} INPUT_RECORD, *PINPUT_RECORD;

#define KEY_EVENT 0x0001
#define MOUSE_EVENT 0x0002
#define WINDOW_BUFFER_SIZE_EVENT 0x0004
#define MENU_EVENT 0x0008
#define FOCUS_EVENT 0x0010

#define RIGHT_ALT_PRESSED 0x0001
#define LEFT_ALT_PRESSED 0x0002
#define RIGHT_CTRL_PRESSED 0x0004
#define LEFT_CTRL_PRESSED 0x0008
#define SHIFT_PRESSED 0x0010
#define NUMLOCK_ON 0x0020
#define SCROLLLOCK_ON 0x0040
#define CAPSLOCK_ON 0x0080
#define ENHANCED_KEY 0x0100

#define ENABLE_WINDOW_INPUT 0x0008
#define ENABLE_MOUSE_INPUT 0x0010
#define ENABLE_INSERT_MODE 0x0020
#define ENABLE_QUICK_EDIT_MODE 0x0040
#define ENABLE_EXTENDED_FLAGS 0x0080
#define ENABLE_VIRTUAL_TERMINAL_INPUT 0x0200
#define DISABLE_NEWLINE_AUTO_RETURN 0x0008

#define CONSOLE_TEXTMODE_BUFFER 1

#define CTRL_C_EVENT 0
#define CTRL_BREAK_EVENT 1
#define CTRL_CLOSE_EVENT 2
typedef BOOL(WINAPI *PHANDLER_ROUTINE)(DWORD ctrlType);

WINSIM_API HANDLE WINAPI CreateConsoleScreenBuffer(DWORD access, DWORD share, const SECURITY_ATTRIBUTES *sa,
                                                   DWORD flags, LPVOID data);
WINSIM_API BOOL WINAPI SetConsoleActiveScreenBuffer(HANDLE console);
typedef struct _CONSOLE_CURSOR_INFO {
    DWORD dwSize;
    BOOL bVisible;
} CONSOLE_CURSOR_INFO, *PCONSOLE_CURSOR_INFO;
WINSIM_API BOOL WINAPI GetConsoleCursorInfo(HANDLE console, PCONSOLE_CURSOR_INFO info);
WINSIM_API BOOL WINAPI SetConsoleCursorInfo(HANDLE console, const CONSOLE_CURSOR_INFO *info);
WINSIM_API BOOL WINAPI WriteConsoleOutputW(HANDLE console, const CHAR_INFO *buffer, COORD size, COORD from,
                                           PSMALL_RECT region);
WINSIM_API BOOL WINAPI ReadConsoleInputW(HANDLE console, PINPUT_RECORD buffer, DWORD length, LPDWORD read);
WINSIM_API BOOL WINAPI PeekConsoleInputW(HANDLE console, PINPUT_RECORD buffer, DWORD length, LPDWORD read);
WINSIM_API BOOL WINAPI GetNumberOfConsoleInputEvents(HANDLE console, LPDWORD count);
WINSIM_API BOOL WINAPI FlushConsoleInputBuffer(HANDLE console);
WINSIM_API BOOL WINAPI WriteConsoleInputW(HANDLE console, const INPUT_RECORD *buffer, DWORD length, LPDWORD written);
WINSIM_API BOOL WINAPI SetConsoleCtrlHandler(PHANDLER_ROUTINE handler, BOOL add);
