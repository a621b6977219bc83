// The simulated machine's state, shared by every winsim source file and
// never seen outside the library. One World per process; sim::Reset()
// rebuilds it from scratch.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "io_state.h"
#include "registry_state.h"
#include "sim.h"
#include "ui_state.h"

namespace winsim {

// ---- console ----
struct Cell {
    WCHAR ch;
    WORD attribute;
};

struct TitleChange {
    ULONGLONG at;
    std::u16string title;
};

struct Console {
    SHORT columns = 0;
    SHORT rows = 0;
    std::vector<Cell> cells;
    COORD cursor = {0, 0};
    SMALL_RECT view = {0, 0, 0, 0};  // the window rectangle, inclusive
    WORD attribute = 0x07;
    WORD popupAttribute = 0xF5;
    COLORREF colors[16] = {};
    DWORD inputMode = 0;
    DWORD outputMode = 0;
    std::u16string title;
    std::vector<TitleChange> titleHistory;  // every change, for windows that follow it
    std::u16string log;
    std::vector<DWORD> processes;
    bool processesSet = false;  // false: the list is the current process alone
    HWND window = nullptr;
};

// ---- handles ----
enum class HandleKind { ConsoleInput, ConsoleOutput, Standard, File, Snapshot, Pipe, Mapping };

struct HandleObject {
    HandleKind kind = HandleKind::File;
    bool counted = true;  // standard handles are not counted as opened by the program
    // Standard
    DWORD which = 0;
    sim::StdTarget target = sim::StdTarget::Capture;
    bool mirror = false;
    std::string captured;
    // File, and Standard with a descriptor
    int fd = -1;
    DWORD access = 0;
    std::string path;
    // Snapshot
    std::vector<PROCESSENTRY32W> entries;
    size_t next = 0;
    // UTF-8 bytes of a character split across two writes to the console
    std::string pendingUtf8;
    // File (opened by CreateFileW) and Mapping: the file object they share
    std::shared_ptr<FileObject> file;
    // Pipe: the buffer both ends share, and which end this is
    std::shared_ptr<PipeObject> pipe;
    bool pipeWriter = false;
    // Mapping: the section's size and page protection
    ULONGLONG mappingSize = 0;
    DWORD protect = 0;
    // Standard, duplicated: the standard handle whose capture it writes to
    uintptr_t aliasOf = 0;
};

// ---- windows ----
struct Window {
    HWND handle = nullptr;
    std::u16string className;
    std::u16string title;
    HWND parent = nullptr;
    DWORD processId = 0;
    bool visible = true;
    RECT rect = {0, 0, 0, 0};
    bool follows = false;  // title copies the console title after followDelay
    DWORD followDelay = 0;
    size_t followFrom = 0;  // first console title change that counts
    // Windows made by CreateWindowExW; the others have no procedure and
    // answer as DefWindowProcW does.
    ATOM classAtom = 0;
    WNDPROC procedure = nullptr;
    HINSTANCE instance = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    LONG_PTR userData = 0;
    LONG_PTR id = 0;
    std::vector<BYTE> extraBytes;
    bool destroying = false;
    bool layeredSet = false;  // SetLayeredWindowAttributes was called
    COLORREF layeredKey = 0;
    BYTE layeredAlpha = 0;
    DWORD layeredFlags = 0;
    RECT clientInset = {0, 0, 0, 0};
    bool scrollBarVisible[2] = {false, false};  // horizontal, vertical
    int scrollLineButton[2] = {0, 0};
};

// ---- processes, modules, faults ----
struct Process {
    DWORD pid;
    DWORD parent;
    std::u16string exeName;
};

struct Module {
    HMODULE handle = nullptr;
    std::string path;  // Linux form, "/" separators
    std::u16string fileName;  // what GetModuleFileNameW reports
    void *library = nullptr;  // dlopen handle, when loaded for real
    int loads = 0;  // LoadLibraryW calls not yet freed
};

struct Fault {
    std::string function;
    DWORD error;
    int first;  // call numbers, counted from Reset, that fail
    int last;
};

struct World {
    std::map<std::string, int> calls;
    std::vector<Fault> faults;
    ULONGLONG now = 0;

    Console console;
    std::map<uintptr_t, HandleObject> handles;
    uintptr_t nextHandle = 0x100;
    HANDLE standard[3] = {};  // what GetStdHandle answers: input, output, error

    std::map<uintptr_t, Window> windows;  // key order = creation order
    DWORD windowsCreated = 0;
    HWND foreground = nullptr;
    bool foregroundSet = false;
    std::vector<RECT> monitors;
    std::vector<sim::RedrawRecord> redraws;
    std::vector<sim::MessageBoxRecord> messageBoxes;

    DWORD processId = 4196;
    std::vector<Process> processes;
    std::vector<std::pair<std::u16string, std::u16string>> environment;

    std::vector<Module> modules;
    uintptr_t nextModule = 0x180000000ull;
    std::u16string exeFileName;  // override for GetModuleFileNameW(NULL)
    std::map<DWORD, std::u16string> messages;

    Registry registry;
    IoState io;
    UiState ui;
    CallSlot callCache[CALL_CACHE_SIZE];
};

World &W();

// world.cpp: handles
HANDLE AddHandle(HandleObject object);
HandleObject *FindHandle(HANDLE handle);
HANDLE StandardHandleValue(DWORD which);  // the fixed value of a standard handle
int StandardIndex(DWORD which);            // 0..2, or -1
bool IsConsoleOutput(const HandleObject *object);
bool IsConsoleInput(const HandleObject *object);

// text.cpp: strings
std::u16string Str(LPCWSTR text);
std::string Utf8(const std::u16string &text);
// Decodes UTF-8; an incomplete sequence at the end is kept in `pending`
// (when given) for the next call, invalid bytes become U+FFFD.
std::u16string FromUtf8(const std::string &bytes, std::string *pending = nullptr);
std::u16string Widen(const std::string &ascii);
bool EqualNoCase(const std::u16string &a, const std::u16string &b);
std::u16string LowerAscii(std::u16string text);
std::string LinuxPath(LPCWSTR name);  // UTF-8, "\" read as "/"
// Copies at most size-1 characters and a terminator; returns the count copied.
DWORD CopyTruncated(const std::u16string &text, LPWSTR buffer, DWORD size);

// files.cpp: Windows' error for a failed file system call
DWORD MissingPathError(const std::string &path);
DWORD FileErrorFromErrno(int error, const std::string &path);

// console_screen.cpp: the screen buffer
Cell &CellAt(SHORT x, SHORT y);
void ResizeScreen(SHORT columns, SHORT rows);
// Writes text at the cursor as the console device does; `logged` adds it to
// the console log (text the program wrote, not vhost's mirror).
void WriteToScreen(const std::u16string &text, bool logged);

// standard_handles.cpp: writes to the console and the standard streams
void WriteConsoleBytes(HandleObject &object, const std::string &bytes, bool logged);
BOOL WriteStandardStream(HandleObject &object, const char *bytes, DWORD count);
BOOL ReadStandardStream(HandleObject &object, void *buffer, DWORD size, DWORD *read);

// console.cpp: what GetConsoleScreenBufferInfoEx reports
void FillBufferInfo(CONSOLE_SCREEN_BUFFER_INFOEX &info);

// console_title.cpp
void ChangeConsoleTitle(const std::u16string &title);

// windows.cpp
Window *LookUpWindow(HWND window);
// The window, or null with ERROR_INVALID_WINDOW_HANDLE as the last error.
Window *WindowOrError(HWND window);
std::u16string WindowTitle(const Window &window);
void SetWindowTitle(Window &window, const std::u16string &title);
bool IsVisibleWithAncestors(const Window &window);
HWND ConsoleWindow();

// processes.cpp
Process *FindProcess(DWORD pid);
DWORD ParentOf(DWORD pid);

// clock.cpp
void AdvanceClock(ULONGLONG ms);

// environment.cpp: a variable set by the machine itself, not by a call
void PutEnvironment(const std::u16string &name, const std::u16string &value);

// messages.cpp
void LoadSystemMessages(std::map<DWORD, std::u16string> &messages);

// monitors.cpp: the primary screen's work area; false without screens
bool PrimaryWorkArea(RECT *area);

// window_class.cpp: a registered class by name or atom and module instance
const WindowClass *LookUpClass(LPCWSTR name, HINSTANCE instance);
// window_create.cpp: destruction with WM_DESTROY and WM_NCDESTROY, whoever
// owns the window
void DestroyWindowTree(HWND window);
// message_queue.cpp: a message to the window's procedure, or to
// DefWindowProcW for a window that has none
LRESULT CallProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Dispatches posted messages and fires due timers until the clock reads `until`.
void ProcessMessagesUntil(ULONGLONG until);
// gdi_objects.cpp: the object or device context a handle names (stock
// objects too), or null
GdiObject *FindGdiObject(HGDIOBJ object);
DeviceContext *FindDeviceContext(HDC dc);
// timers.cpp
Timer *NextDueTimer(ULONGLONG until);
void ForgetWindowTimers(HWND window);

}  // namespace winsim
