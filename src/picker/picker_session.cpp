// The picker on the console: a screen buffer of its own, so that nothing on
// the user's screen or in its scrollback changes; keys read with processed
// input off and a control handler that turns Ctrl+C and Ctrl+Break into a
// cancel; the highlighted scheme's colour table written each time the
// highlight settles. Behind a terminal that takes VT sequences the same
// grid goes to the terminal's alternate screen, and the preview is sent as
// sequences. The picker's cursor is hidden: on its own buffer, or on the
// alternate screen. Every ending puts the user's buffer, the input mode
// and (unless a scheme is kept) the palette back as they were.
#include "../base/base.h"
#include "../osd/osd.h"
#include "../palette/palette.h"
#include "../plugin/host.h"
#include "picker.h"

namespace {

constexpr DWORD INPUT_BATCH = 64;
constexpr DWORD PICKER_INPUT_MODE = ENABLE_WINDOW_INPUT | ENABLE_EXTENDED_FLAGS;
constexpr WCHAR ENTER_ALTERNATE_SCREEN[] = TEXT("\x1b[?1049h\x1b[?25l");
constexpr WCHAR LEAVE_ALTERNATE_SCREEN[] = TEXT("\x1b[0m\x1b[?25h\x1b[?1049l");

// Set by the control handler, which Windows calls on a thread of its own.
volatile LONG g_cancelRequested = 0;

BOOL WINAPI CancelOnControl(DWORD type) {
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
    g_cancelRequested = 1;
    return TRUE;
}

struct Session {
    PickerModel model;
    HANDLE input;
    bool terminal;  // drawn with VT sequences on the terminal's alternate screen
    HANDLE screen;  // the picker's own buffer (the user's behind a terminal)
    DWORD savedInputMode;
    DWORD savedPalette[16];
    bool handlerAdded;
    bool modeChanged;
    bool active;       // the picker's buffer is the one shown
    CHAR_INFO *cells;  // `capacity` cells
    size_t capacity;
    LPWSTR sequences;  // `sequencesCapacity` characters, behind a terminal
    size_t sequencesCapacity;
    SHORT columns;
    SHORT rows;
    SMALL_RECT window;
    const ColorScheme *previewed;
};

void RefuseWith(LPCWSTR message) {
    PrintError(TEXT("%s\r\n"), message);
}

// A console call that failed: reported with the system's reason.
void ReportFailure(DWORD error) {
    PrintError(TEXT("The picker failed\r\n"));
    PrintErrorText(error);
}

SHORT WindowColumns(const SMALL_RECT *window) {
    return static_cast<SHORT>(window->Right - window->Left + 1);
}

SHORT WindowRows(const SMALL_RECT *window) {
    return static_cast<SHORT>(window->Bottom - window->Top + 1);
}

// Refusals before anything changes; true when the picker may open.
bool CanOpen(HANDLE input, CONSOLE_SCREEN_BUFFER_INFOEX *info, DWORD *inputMode) {
    if (IsTransientOrPiped() || input == INVALID_HANDLE_VALUE || !input || !GetConsoleMode(input, inputMode) ||
        !ReadConsoleInfo(info)) {
        RefuseWith(TEXT("The picker needs the console for its keys and its screen"));
        return false;
    }
    ConsoleHostCode code = HOST_NONE;
    ClassifyConsoleHost(&code, nullptr);
    if (code == HOST_TAKE_COMMAND) {
        RefuseWith(TEXT("The picker works in a console window, not in Take Command\u2019s own window"));
        return false;
    }
    if (!g_schemes) {
        RefuseWith(TEXT("No color schemes loaded"));
        return false;
    }
    if (WindowColumns(&info->srWindow) < PICKER_MIN_COLUMNS || WindowRows(&info->srWindow) < PICKER_MIN_ROWS) {
        WCHAR text[128];
        Format(text, 128, TEXT("The window is too small for the picker: it needs %d x %d"), PICKER_MIN_COLUMNS,
               PICKER_MIN_ROWS);
        RefuseWith(text);
        return false;
    }
    return true;
}

bool OutOfMemory(void) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
}

// The picker's buffer's window as it is now, with cells enough for it.
bool MeasureScreen(Session *session) {
    CONSOLE_SCREEN_BUFFER_INFOEX info = {};
    info.cbSize = sizeof info;
    if (!g_plugin.getBufferInfoEx || !g_plugin.getBufferInfoEx(session->screen, &info)) return false;
    session->window = info.srWindow;
    session->columns = WindowColumns(&info.srWindow);
    session->rows = WindowRows(&info.srWindow);
    size_t needed = static_cast<size_t>(session->columns) * static_cast<size_t>(session->rows);
    if (needed > session->capacity) {
        CHAR_INFO *cells = static_cast<CHAR_INFO *>(MemCalloc(needed, sizeof(CHAR_INFO)));
        if (!cells) return OutOfMemory();
        MemFree(session->cells);
        session->cells = cells;
        session->capacity = needed;
    }
    size_t sequences = PickerSequencesSize(session->columns, session->rows);
    if (!session->terminal || sequences <= session->sequencesCapacity) return true;
    LPWSTR text = static_cast<LPWSTR>(MemAlloc(sequences * sizeof(WCHAR)));
    if (!text) return OutOfMemory();
    MemFree(session->sequences);
    session->sequences = text;
    session->sequencesCapacity = sequences;
    return true;
}

bool Redraw(Session *session) {
    DrawPicker(&session->model, session->cells, session->columns, session->rows);
    if (session->terminal) {
        DWORD length = GridToSequences(session->cells, session->columns, session->rows, session->sequences,
                                       session->sequencesCapacity);
        return WriteToTerminal(session->sequences, length);
    }
    COORD size = {session->columns, session->rows};
    COORD from = {0, 0};
    SMALL_RECT region = session->window;
    return WriteConsoleOutputW(session->screen, session->cells, size, from, &region) != FALSE;
}

// Only the colour table: the user's buffer, its attributes and the host's
// directives stay as they are until a scheme is kept.
bool Preview(Session *session) {
    const ColorScheme *scheme = PickerHighlighted(&session->model);
    if (!scheme || scheme == session->previewed) return true;
    bool written =
        session->terminal ? PreviewOnTerminal(scheme) : WriteColorTable(session->screen, scheme->palette) != FALSE;
    if (!written) return false;
    session->previewed = scheme;
    return true;
}

bool Open(Session *session) {
    OsdSearch search = {0, OSD_ANY_TITLE, nullptr, WM_CLOSE};
    CloseOsdWindows(&search);
    if (session->terminal) {
        session->screen = g_plugin.console;
    } else {
        session->screen = CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                    nullptr, CONSOLE_TEXTMODE_BUFFER, nullptr);
        if (session->screen == INVALID_HANDLE_VALUE) {
            session->screen = nullptr;
            return false;
        }
        // Only the picker's own buffer: the user's cursor is never touched.
        CONSOLE_CURSOR_INFO hidden = {25, FALSE};
        if (!SetConsoleCursorInfo(session->screen, &hidden)) return false;
    }
    g_cancelRequested = 0;
    if (!SetConsoleCtrlHandler(CancelOnControl, TRUE)) return false;
    session->handlerAdded = true;
    if (!SetConsoleMode(session->input, PICKER_INPUT_MODE)) return false;
    session->modeChanged = true;
    bool shown = session->terminal
                     ? WriteToTerminal(ENTER_ALTERNATE_SCREEN, static_cast<DWORD>(StrLen(ENTER_ALTERNATE_SCREEN)))
                     : SetConsoleActiveScreenBuffer(session->screen) != FALSE;
    if (!shown) return false;
    session->active = true;
    return MeasureScreen(session) && Preview(session) && Redraw(session);
}

// The colours as they were before the first preview.
bool RestoreColours(const Session *session) {
    if (session->terminal) return RestoreTerminalColours();
    return WriteColorTable(g_plugin.console, session->savedPalette);
}

bool ShowUsersScreen(const Session *session) {
    if (session->terminal)
        return WriteToTerminal(LEAVE_ALTERNATE_SCREEN, static_cast<DWORD>(StrLen(LEAVE_ALTERNATE_SCREEN)));
    return SetConsoleActiveScreenBuffer(g_plugin.console) != FALSE;
}

// Everything back as it was; the first failure's code, or 0.
DWORD Close(Session *session, bool restorePalette) {
    DWORD error = 0;
    if (session->active && !ShowUsersScreen(session)) error = LastErrorOr(ERROR_GEN_FAILURE);
    if (session->modeChanged && !SetConsoleMode(session->input, session->savedInputMode) && !error) {
        error = LastErrorOr(ERROR_GEN_FAILURE);
    }
    if (session->handlerAdded) SetConsoleCtrlHandler(CancelOnControl, FALSE);
    if (session->screen && !session->terminal) CloseHandle(session->screen);
    if (restorePalette && session->previewed && !RestoreColours(session) && !error) {
        error = LastErrorOr(ERROR_GEN_FAILURE);
    }
    MemFree(session->cells);
    MemFree(session->sequences);
    ClosePickerModel(&session->model);
    return error;
}

// Window messages of the host's thread (the theme follower, timers)
// while the picker waits for keys.
void DispatchMessages(void) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

enum Step { STEP_GOING, STEP_KEEP, STEP_CANCEL, STEP_FAILED };

Step HandleRecord(Session *session, const INPUT_RECORD *record, bool *resized) {
    if (record->EventType == WINDOW_BUFFER_SIZE_EVENT) {
        *resized = true;
        return STEP_GOING;
    }
    if (record->EventType != KEY_EVENT || !record->Event.KeyEvent.bKeyDown) return STEP_GOING;
    const KEY_EVENT_RECORD *event = &record->Event.KeyEvent;
    PickerKey key = {event->wVirtualKeyCode, event->uChar.UnicodeChar, event->dwControlKeyState, event->wRepeatCount};
    switch (PickerHandleKey(&session->model, &key)) {
        case PICKER_KEEP:
            return STEP_KEEP;
        case PICKER_CANCEL:
            return STEP_CANCEL;
        default:
            return STEP_GOING;
    }
}

// Every record waiting, then one preview and one redraw, so that a held
// key never queues a palette change per repeat.
Step ReadWaitingInput(Session *session) {
    INPUT_RECORD records[INPUT_BATCH];
    bool resized = false;
    DWORD waiting = 0;
    if (!GetNumberOfConsoleInputEvents(session->input, &waiting)) return STEP_FAILED;
    if (waiting == 0) waiting = 1;  // the wait said there was something: read it
    while (waiting > 0) {
        DWORD read = 0;
        DWORD wanted = waiting < INPUT_BATCH ? waiting : INPUT_BATCH;
        if (!ReadConsoleInputW(session->input, records, wanted, &read)) return STEP_FAILED;
        for (DWORD n = 0; n < read; ++n) {
            Step step = HandleRecord(session, &records[n], &resized);
            if (step != STEP_GOING) return step;
        }
        if (!GetNumberOfConsoleInputEvents(session->input, &waiting)) return STEP_FAILED;
    }
    if (resized && !MeasureScreen(session)) return STEP_FAILED;
    return Preview(session) && Redraw(session) ? STEP_GOING : STEP_FAILED;
}

Step Browse(Session *session) {
    for (;;) {
        if (g_cancelRequested) return STEP_CANCEL;
        DWORD woken = MsgWaitForMultipleObjects(1, &session->input, FALSE, INFINITE, QS_ALLINPUT);
        if (g_cancelRequested) return STEP_CANCEL;
        if (woken == WAIT_OBJECT_0 + 1) {
            DispatchMessages();
            continue;
        }
        if (woken != WAIT_OBJECT_0) return STEP_FAILED;
        Step step = ReadWaitingInput(session);
        if (step != STEP_GOING) return step;
    }
}

}  // namespace

PickerResult RunPicker(LPCWSTR filter) {
    Session session = {};
    session.input = GetStdHandle(STD_INPUT_HANDLE);
    session.terminal = UsesSequences();
    CONSOLE_SCREEN_BUFFER_INFOEX info;
    if (!CanOpen(session.input, &info, &session.savedInputMode)) return PICKER_FAILED;
    for (int i = 0; i < 16; ++i) session.savedPalette[i] = info.ColorTable[i];
    if (!OpenPickerModel(&session.model, g_schemes, IdentifyCurrentScheme(), filter)) {
        ReportFailure(ERROR_NOT_ENOUGH_MEMORY);
        return PICKER_FAILED;
    }
    Step step = Open(&session) ? Browse(&session) : STEP_FAILED;
    DWORD error = step == STEP_FAILED ? LastErrorOr(ERROR_GEN_FAILURE) : 0;
    const ColorScheme *kept = step == STEP_KEEP ? PickerHighlighted(&session.model) : nullptr;
    DWORD closeError = Close(&session, !kept);
    if (!error) error = closeError;
    if (error) {
        // A kept scheme is not applied over a console that could not be put
        // back; the colours then go back too.
        if (kept) RestoreColours(&session);
        ReportFailure(error);
        return PICKER_FAILED;
    }
    if (!kept) return PICKER_CANCELLED;
    if (ApplyScheme(kept, nullptr) != APPLY_DONE) {
        RestoreColours(&session);
        PrintError(TEXT("Error applying color scheme \"%s\"\r\n"), kept->name);
        return PICKER_FAILED;
    }
    return PICKED;
}
