// The state behind the windows a program makes itself: classes, the
// message queue, timers, GDI objects and device contexts, the keyboard,
// sounds and the secure random source. Part of the World, so Reset clears it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "sim.h"

namespace winsim {

struct WindowClass {
    ATOM atom = 0;
    std::u16string name;
    HINSTANCE instance = nullptr;
    WNDPROC procedure = nullptr;
    int windowExtra = 0;
};

struct Timer {
    HWND window = nullptr;
    UINT_PTR id = 0;
    UINT elapse = 0;
    TIMERPROC proc = nullptr;
    ULONGLONG due = 0;
    ULONGLONG order = 0;  // when due times tie, the earlier armed fires first
};

struct PostedMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

enum class GdiKind { Font, Brush };

struct GdiObject {
    GdiKind kind = GdiKind::Font;
    bool stock = false;
    int selections = 0;  // device contexts that hold it selected
    sim::FontRecord font;
    COLORREF brushColor = 0;
};

struct DeviceContext {
    HWND window = nullptr;
    HGDIOBJ font = nullptr;
    HGDIOBJ brush = nullptr;
    COLORREF textColor = 0x000000;
    COLORREF backgroundColor = 0xFFFFFF;
    int backgroundMode = OPAQUE;
};

struct UiState {
    std::vector<WindowClass> classes;
    WORD nextAtom = 0xC000;

    std::deque<PostedMessage> posted;
    std::vector<sim::MessageRecord> messageLog;  // SendMessageW and PostMessageW calls
    std::vector<int> quitCodes;

    std::vector<Timer> timers;
    ULONGLONG timerOrder = 0;
    UINT_PTR nextThreadTimer = 1;

    std::map<uintptr_t, GdiObject> gdiObjects;
    uintptr_t nextGdiObject = 0x0A010000;
    std::map<uintptr_t, DeviceContext> dcs;
    uintptr_t nextDc = 0x01010000;
    std::vector<sim::DrawRecord> draws;
    int bitsPerPixel = 32;

    bool heldKeys[256] = {};
    std::vector<sim::SoundRecord> sounds;

    std::deque<unsigned> randomValues;  // given by a test, used first
    uint64_t randomState = 0x5EED5EED5EED5EEDull;
};

// A call site's counter, found by the address of its function-name literal
// so that counting a call costs no string comparison.
struct CallSlot {
    const char *name = nullptr;
    int *count = nullptr;
};
const size_t CALL_CACHE_SIZE = 1024;

}  // namespace winsim
