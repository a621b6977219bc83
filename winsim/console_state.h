// What the console's files (console, console_buffers, console_input,
// console_streams, console_vt) share with each other and with the
// handle calls: standard handles, screen buffers, the title and window.
#pragma once

#include <string>
#include <vector>

#include "machine.h"

namespace winsim {

// console_streams.cpp: what GetStdHandle answers for STD_*_HANDLE
void SetStandardHandle(DWORD which, HANDLE handle);
int StandardIndex(DWORD which);  // 0..2, or -1
bool IsConsoleOutput(const HandleObject *object);
bool IsConsoleInput(const HandleObject *object);
// console_streams.cpp: a new handle of "conout$" or "conin$"; an output
// handle leads to screen buffer `buffer`
HANDLE OpenConsole(HandleKind kind, DWORD access, unsigned buffer = 0);
// console_streams.cpp: the screen buffer a console output handle leads to
// (0, the original, for standard handles)
unsigned ScreenBufferIdOf(const HandleObject &object);
// console_streams.cpp: what DuplicateHandle makes of a standard handle: an ordinary
// handle of what it leads to; `value` is the source handle.
HandleObject DuplicateStandardHandle(const HandleObject &source, HANDLE value);

// console_streams.cpp: writes to the console and the standard streams
void WriteConsoleBytes(HandleObject &object, const std::string &bytes, bool logged);
BOOL WriteStandardStream(HandleObject &object, const char *bytes, DWORD count);
BOOL ReadStandardStream(HandleObject &object, void *buffer, DWORD size, DWORD *read);

// console_buffers.cpp: one console screen buffer. The console keeps one
// colour table for all of them; each has its own cells and state.
struct ScreenCell {
    WCHAR ch;
    WORD attribute;
};
struct ScreenBuffer {
    SHORT columns = 0;
    SHORT rows = 0;
    std::vector<ScreenCell> cells;
    COORD cursor = {0, 0};
    SMALL_RECT view = {0, 0, 0, 0};  // the window rectangle, inclusive
    WORD attribute = 0x07;
    WORD popupAttribute = 0xF5;
    DWORD mode = ENABLE_PROCESSED_OUTPUT | ENABLE_WRAP_AT_EOL_OUTPUT;
    DWORD cursorSize = 25;  // percent of the cell, the console's default
    bool cursorVisible = true;
};
// The buffer a console output handle leads to (a standard handle: the
// original buffer); null for any other handle.
ScreenBuffer *BufferOf(const HandleObject *object);
// The buffer `console` leads to; null with ERROR_INVALID_HANDLE set, as
// every console call answers a handle that is no screen buffer.
ScreenBuffer *ScreenBufferOrFail(HANDLE console);
ScreenBuffer &ShownBuffer();
ScreenBuffer &OriginalBuffer();
// The number a new "conout$" handle takes: the buffer shown.
unsigned ShownBufferId();
// A fresh original buffer of 120x30, shown, and no other.
void ResetScreenBuffers();
// Drops the buffers no handle leads to any more (after a close).
void DropUnheldScreenBuffers();
ScreenCell &CellAt(ScreenBuffer &buffer, SHORT x, SHORT y);
// New size, keeping the cells that still fit, the cursor and the window inside.
void ResizeScreen(ScreenBuffer &buffer, SHORT columns, SHORT rows);
// Writes text at the cursor as the console device does; `logged` adds it
// to the console log (text the program wrote, not vhost's mirror).
void WriteToScreen(ScreenBuffer &buffer, const std::u16string &text, bool logged);
// console.cpp: the log of everything written to the console device
void LogConsoleWrite(const std::u16string &text);
// console.cpp: the mode of the console's input, as SetConsoleMode left it
DWORD ConsoleInputMode();
// console.cpp: the original screen buffer's mode, as a front end starts it
void SetConsoleOutputMode(DWORD mode);
// console_input.cpp: the input buffer empty, no control handlers
void ResetConsoleInput();
// console_input.cpp: whether a record waits in the input buffer (typed
// keys reached are acted on first)
bool ConsoleInputWaiting();
// console.cpp: one entry of the colour table (the mirror, under a pseudo
// console), by console index; a reset puts back the host's built-in colour
void SetMirrorColor(int index, COLORREF color);
void ResetMirrorColor(int index);
// console_vt.cpp: a console write with VT processing and processed output
// on: acts on the sequences (its state lasts from one write to the next)
// and answers the characters that go on to the screen buffer
std::u16string ParseVt(const std::u16string &text);
// console_vt.cpp: the log of writes made with VT processing on
void LogVt(const std::u16string &text);
void ResetConsoleVt();
// console_vt.cpp: the procedure of Windows Terminal's window
LRESULT CALLBACK TerminalWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// console_streams.cpp: typed input gone, the standard handles as a console
// process starts with them (ResetConsole calls it)
void ResetStandardStreams();

// console.cpp: the console window, made anew by each reset, and the title
HWND ConsoleWindow();
void SetConsoleWindow(HWND window);
// console.cpp: SetConsoleScreenBufferInfoEx as Wine's console answers it
// (see there), until the next reset.
void UseWineConsoleInfoWrites();
const std::u16string &CurrentConsoleTitle();
void ChangeConsoleTitle(const std::u16string &title);
// How many title changes there have been; a window that follows the title
// counts only the later ones.
size_t ConsoleTitleChangeCount();
// The latest title change after the first `from` that is at least `delay`
// old on the clock, if there is one.
bool FollowedConsoleTitle(size_t from, DWORD delay, std::u16string *title);

// console_streams.cpp: ReadFile on the console input, in its input code page
BOOL ReadConsoleBytes(HandleObject &object, void *buffer, DWORD size, DWORD *read);

}  // namespace winsim
