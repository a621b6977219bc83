// Shared by the hotkey and OSD tests: keystrokes with modifiers held, the
// OSD windows on the screen, and console backgrounds of a chosen colour.
#pragma once

#include "hotkey/hotkey.h"
#include "osd/osd.h"
#include "support/palette_fixture.h"

// A keystroke as the host hands it over, with its own buffers.
struct KeyPress {
    WCHAR line[64] = {u'x', 0};
    WCHAR name[1024] = {0};
    KeyInfo info = {};
    explicit KeyPress(int32_t code, const char16_t *keyName = nullptr) {
        info.keyCode = code;
        info.line = line;
        info.cursor = line + 1;
        if (keyName) std::char_traits<char16_t>::copy(name, keyName, std::char_traits<char16_t>::length(keyName));
        info.keyName = name;
    }
};

class OsdTest : public PaletteTest {
  protected:
    // 1 when the keystroke applied a scheme (the host is told to redraw).
    static int Press(int32_t code, bool shift = false, bool ctrl = false, bool alt = false,
                     const char16_t *keyName = nullptr) {
        KeyPress press(code, keyName);
        sim::SetKeyHeld(VK_SHIFT, shift);
        sim::SetKeyHeld(VK_CONTROL, ctrl);
        sim::SetKeyHeld(VK_MENU, alt);
        key(&press.info);
        sim::ReleaseAllKeys();
        return press.info.redraw;
    }

    // The top-level windows of this instance's OSD class, newest first.
    static std::vector<HWND> OsdWindows() {
        std::vector<HWND> found;
        EnumWindows(
            [](HWND window, LPARAM param) -> BOOL {
                WCHAR name[256] = {0};
                RealGetWindowClassW(window, name, 256);
                std::vector<HWND> *list = reinterpret_cast<std::vector<HWND> *>(param);
                if (std::u16string(name) == g_osd.className) list->push_back(window);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&found));
        return found;
    }

    static int Alpha(HWND window) {
        BYTE alpha = 0;
        return GetLayeredWindowAttributes(window, nullptr, &alpha, nullptr) ? alpha : -1;
    }

    static RECT Rect(HWND window) {
        RECT rect = {0, 0, 0, 0};
        GetWindowRect(window, &rect);
        return rect;
    }

    // The console's background (colour index 0 under attribute 0x07).
    static void SetBackground(COLORREF color) {
        COLORREF table[16];
        CONSOLE_SCREEN_BUFFER_INFOEX info = sim::ConsoleInfo();
        for (int i = 0; i < 16; ++i) table[i] = info.ColorTable[i];
        table[0] = color;
        sim::SetConsoleColorTable(table);
        sim::SetConsoleAttribute(0x07);
    }

    // A scheme of the given kind whose background (index 0 of StdColors
    // 0x07) really has that kind's luminance.
    static ColorScheme *AddKindScheme(const char16_t *name, bool dark) {
        ColorScheme *scheme = AddTestScheme(name, 0x07, 0x0E, 0x0C);
        scheme->dark = dark ? 1 : 0;
        scheme->palette[0] = dark ? RGB(16, 16, 16) : RGB(240, 240, 240);
        return scheme;
    }
};
