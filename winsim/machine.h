// What winsim's areas share, never seen outside the library: the handle
// table, the records more than one area reads, and the few calls between
// areas. Each area keeps its own state in its own file; sim::Reset() resets
// every area to a fresh machine.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>
#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "sim.h"

namespace winsim {

// The objects handles of several areas share: open files with their share
// modes, and pipes. Those that hold real resources (descriptors) release
// them when the last reference goes.
// One successful CreateFileW: what Windows calls the file object. Handles
// made by DuplicateHandle, mapping objects and their views share it, and
// its share-mode claim lasts as long as any of them does.
struct FileObject {
    int fd = -1;
    std::string path;  // Linux form
    dev_t device = 0;
    ino_t inode = 0;
    DWORD access = 0;  // specific rights: FILE_READ_DATA, FILE_WRITE_DATA, DELETE, ...
    DWORD share = 0;
    bool characterDevice = false;  // a device or FIFO: no times, no size, no seeking
    bool deleteOnClose = false;    // FILE_FLAG_DELETE_ON_CLOSE: the name goes with the last reference
    bool deletePending = false;    // FileDispositionInfo: the same, and until then no new open

    FileObject() = default;
    FileObject(const FileObject &) = delete;
    FileObject &operator=(const FileObject &) = delete;
    ~FileObject();
};

// files.cpp: Windows' share-mode check for a new open of `path`
// asking for the specific rights `access`; 0 or ERROR_SHARING_VIOLATION.
DWORD CheckShareAccess(dev_t device, ino_t inode, DWORD access, DWORD share);
// files.cpp: whether any handle, mapping or view holds the file open.
bool IsFileOpen(dev_t device, ino_t inode);
// files.cpp: whether the file is marked for deletion (FileDispositionInfo):
// it then opens no more, and goes with its last handle.
bool IsDeletePending(dev_t device, ino_t inode);
// files.cpp: what Windows reports as FILE_ATTRIBUTE_READONLY: a regular
// file nobody may write.
bool IsReadOnly(const struct stat &st);
// files.cpp: where the open file is now (Linux form), links resolved;
// empty when it has no name any more.
std::string CurrentPath(const FileObject &file);
// file_system.cpp: the file objects mapping objects and mapped views hold.
std::vector<const FileObject *> FilesHeldByMappings();
// True while a mapping object or a view holds the file.
bool IsFileMapped(dev_t device, ino_t inode);
// GENERIC_* rights turned into the specific rights of a file.
DWORD SpecificFileRights(DWORD access);

// ---- handles ----
enum class HandleKind { ConsoleInput, ConsoleOutput, Standard, File, Snapshot, Pipe, Mapping, Find };

// What an area keeps for a handle of its kind beyond what every handle has.
// The handle owns it, and a duplicate handle gets a copy of its own.
struct HandleRecord {
    virtual ~HandleRecord() = default;
    virtual HandleRecord *Copy() const = 0;
};

// An area's record type derives from RecordOf<itself>.
template <typename Record>
struct RecordOf : HandleRecord {
    HandleRecord *Copy() const override { return new Record(static_cast<const Record &>(*this)); }
};

class OwnedRecord {
  public:
    OwnedRecord() = default;
    explicit OwnedRecord(HandleRecord *record) : record_(record) {}
    OwnedRecord(const OwnedRecord &other) : record_(other.record_ ? other.record_->Copy() : nullptr) {}
    OwnedRecord &operator=(const OwnedRecord &other) {
        if (this != &other) record_.reset(other.record_ ? other.record_->Copy() : nullptr);
        return *this;
    }
    OwnedRecord(OwnedRecord &&) = default;
    OwnedRecord &operator=(OwnedRecord &&) = default;

    // The record as its area's type; only the area that made it asks, after
    // checking the handle's kind.
    template <typename Record>
    Record *As() const {
        return static_cast<Record *>(record_.get());
    }

  private:
    std::unique_ptr<HandleRecord> record_;
};

struct HandleObject {
    HandleKind kind = HandleKind::File;
    bool counted = true;  // standard handles are not counted as opened by the program
    DWORD access = 0;
    // The record of the area that made the handle
    OwnedRecord record;
};

// ---- windows ----
struct Window {
    HWND handle = nullptr;
    std::u16string className;
    std::u16string title;
    HWND parent = nullptr;
    HWND owner = nullptr;  // top-level windows only
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

// Whether the default machine has been built; one flag for the whole
// library (an inline function's static is shared by every file).
inline bool &MachineBuilt() {
    static bool built = false;
    return built;
}
// Builds the default machine the first time any area's state is used.
void BuildMachine();

// One area's state in its own file: made at first use and never destroyed,
// since module destructors may still call in at process exit. The built
// check stays inline: every simulated call passes here, the keystroke
// path included, and its benchmark counts nanoseconds.
template <typename State>
State &AreaState() {
    static State *state = new State();
    if (!MachineBuilt()) BuildMachine();
    return *state;
}

// Each area back to a fresh machine; sim::Reset calls them all.
void ResetHandles();
void ResetCalls();
void ResetModules();
void ResetProcess();
void ResetRegistry();
void ResetGdi();
void ResetTime();
void ResetClipboard();
void ResetCodePages();
void ResetFileSystem();
void ResetFileInformation();
void ResetWindows();
void ResetWindowClasses();
void ResetConsole();

// machine.cpp: the handle table
// The next handle value; registry keys draw from the same numbers.
uintptr_t NewHandleValue();
HANDLE AddHandle(HandleObject object);
// A counted handle of `kind` owning `record`.
HANDLE AddHandle(HandleKind kind, HandleRecord *record);
// Puts a handle at a fixed value (the standard handles).
void PutHandle(HANDLE handle, HandleObject object);
bool RemoveHandle(HANDLE handle);
std::vector<HandleObject *> AllHandles();
HandleObject *FindHandle(HANDLE handle);
HANDLE StandardHandleValue(DWORD which);  // the fixed value of a standard handle
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
// files.cpp: the Linux path of a name a file call was given; false with
// the last error set when, without "\\?\", a full name of MAX_PATH or more is refused,
// as Windows refuses it when the process has not opted into long paths.
bool OpenablePath(LPCWSTR name, std::string *path);

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

// windows.cpp
Window *LookUpWindow(HWND window);
// The window, or null with ERROR_INVALID_WINDOW_HANDLE as the last error.
Window *WindowOrError(HWND window);
std::u16string WindowTitle(const Window &window);
void SetWindowTitle(Window &window, const std::u16string &title);
bool IsVisibleWithAncestors(const Window &window);
// The top-level window a window lies in (itself when it is top-level).
HWND RootWindow(HWND window);

// process.cpp
bool IsKnownProcess(DWORD pid);
DWORD ParentOf(DWORD pid);
DWORD CurrentProcessId();

// time.cpp: the clock
void AdvanceClock(ULONGLONG ms);
ULONGLONG Now();
// time.cpp: the virtual time the next timer, posted or sent message or
// action of another program is due; false when none is pending
bool NextMessageDue(ULONGLONG *due);
// time.cpp: what a destroyed window leaves in the queue and the timers
void DropPostedMessages(HWND window);
void ForgetWindowTimers(HWND window);

// process.cpp: a variable set by the machine itself, not by a call
void PutEnvironment(const std::u16string &name, const std::u16string &value);

// windows.cpp: the primary screen and its work area; false without screens
bool PrimaryMonitor(RECT *screen);
bool PrimaryWorkArea(RECT *area);
// windows.cpp: every window, in creation order
std::vector<Window *> AllWindows();

// window_procedures.cpp: destruction with WM_DESTROY and WM_NCDESTROY, whoever
// owns the window
void DestroyWindowTree(HWND window);
// time.cpp: a message to the window's procedure, or to
// DefWindowProcW for a window that has none
LRESULT CallProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Dispatches posted messages and fires due timers until the clock reads `until`.
void ProcessMessagesUntil(ULONGLONG until);
// time.cpp: what another program does by itself `ms` from now; it runs when
// the message processing passes that time, in time order with the timers.
void RunLater(DWORD ms, std::function<void()> action);

// ---- reads and writes by kind of handle ----
// files.cpp: the file object a file handle opened; null for other handles.
std::shared_ptr<FileObject> OpenedFile(const HandleObject &object);
bool IsPipeHandle(const HandleObject &object);  // a pipe end, or a standard handle led to a pipe
bool IsDiskFile(const HandleObject &object);

// handles.cpp: pipes
BOOL ReadPipe(HandleObject &object, void *buffer, DWORD size, DWORD *read);
BOOL WritePipe(HandleObject &object, const char *bytes, DWORD count);

// console_streams.cpp: ReadFile on the console input, in its input code page
BOOL ReadConsoleBytes(HandleObject &object, void *buffer, DWORD size, DWORD *read);

// text.cpp: UTF-16 to bytes in a code page; false for a code page
// winsim does not know. Characters the code page lacks become '?'.
bool EncodeInCodePage(UINT codePage, const std::u16string &text, std::string *out);

// file_system.cpp: the temporary directory in Windows form, with its
// trailing separator.
std::u16string TempPathText();

// The one volume of the Linux file system, as a volume GUID path names it
// ("\\?\Volume{...}\dir\file"); LinuxPath takes such a name back to "/dir/file".
constexpr char kVolumeGuidName[] = "Volume{2f5e0c1a-7d4b-4c3e-9a81-5b6d0e7f3c24}";

// file_information.cpp: what a file is beyond what Linux keeps, as
// SetFileInformationByHandle set it (attributes beyond read-only, the
// creation time), added to what GetFileInformationByHandle reports of the
// open file `fd`, or to the attributes of the file at `path`.
void AddKeptInformation(int fd, BY_HANDLE_FILE_INFORMATION *info);
DWORD KeptAttributes(const std::string &path);
// file_information.cpp: keeps what of `attributes` Linux has no place for,
// for the file at `path`, as SetFileAttributesW sets them.
void KeepAttributes(const std::string &path, DWORD attributes);

}  // namespace winsim
