// What the hotkey does. Recognising it runs for every key typed at the
// command line, so a keystroke that cannot be the hotkey costs no allocation
// and no call beyond the keyboard state, and none at all when no combination
// of modifiers could turn its code into the hotkey. The hotkey itself
// measures the console's background, applies a scheme of the other kind, and
// announces it: pressed again and again, it swaps between dark and light
// schemes.
#define _CRT_RAND_S  // rand_s is declared only on request
#include <stdlib.h>

#include "../osd/osd.h"
#include "../palette/palette.h"
#include "hotkey.h"

namespace {

constexpr WCHAR OSD_FONT[] = TEXT("Tahoma");
constexpr int OSD_POINT_SIZE = 24;
constexpr int OSD_WEIGHT = 700;
constexpr COLORREF OSD_SHADOW_COLOR = 0x000000;

// Which schemes a pick chooses from.
enum Candidates { PICK_DARK, PICK_LIGHT, PICK_ANY };

bool IsHeld(int virtualKey) {
    return (GetAsyncKeyState(virtualKey) & 0x8000) != 0;
}

// The modifier rules give one of these four codes.
bool CouldMatch(LONG code, LONG hotkey, bool extended) {
    if (hotkey == 0) return false;
    return hotkey == code || hotkey == (code | HOTKEY_CTRL_SHIFT) || hotkey == (code | HOTKEY_CTRL_ALT) ||
           (extended && hotkey == (code | HOTKEY_CTRL_ALT_SHIFT));
}

bool IsCandidate(const ColorScheme *scheme, Candidates candidates, bool readableOnly) {
    if (candidates != PICK_ANY && (scheme->dark != 0) != (candidates == PICK_DARK)) return false;
    return !readableOnly || IsReadableScheme(scheme);
}

DWORD CountCandidates(const ColorScheme *list, Candidates candidates, bool readableOnly) {
    DWORD count = 0;
    for (const ColorScheme *scheme = list; scheme; scheme = scheme->next) {
        if (IsCandidate(scheme, candidates, readableOnly)) ++count;
    }
    return count;
}

void PlayErrorSound(void) {
    PlaySoundW(reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(SND_ALIAS_SYSTEMHAND)), nullptr,
               SND_ALIAS_ID | SND_ASYNC);
}

}  // namespace

int HandleKeystroke(KeyInfo *info) {
    if (!info) return 0;
    bool extended = IsExtendedHost();
    LONG code = info->keyCode;
    if (code == 0) {
        // Newer hosts report some keys by name alone. A name that is not
        // usable (negative) goes on but can match no hotkey.
        if (!extended || !info->keyName) return 0;
        code = ParseHotkeyName(info->keyName);
        if (code == 0) return 0;
    }
    LONG hotkey = static_cast<LONG>(g_settings.hotkey);
    if (!CouldMatch(code, hotkey, extended)) return 0;

    bool shift = IsHeld(VK_SHIFT);
    bool ctrl = IsHeld(VK_CONTROL);
    bool alt = IsHeld(VK_MENU);
    // The host's code already says Shift or Alt alone; Ctrl with them is
    // the plugin's to add.
    if (ctrl && shift && !alt) {
        code |= HOTKEY_CTRL_SHIFT;
    } else if (ctrl && alt && !shift) {
        code |= HOTKEY_CTRL_ALT;
    } else if (ctrl && alt && shift && extended) {
        code |= HOTKEY_CTRL_ALT_SHIFT;
    }
    if (code == hotkey) ApplyAndAnnounce(PickRandomScheme(g_schemes, MeasureBackground()), info);
    return 0;
}

bool ApplyAndAnnounce(const ColorScheme *scheme, KeyInfo *info) {
    if (!scheme || ApplyScheme(scheme, info) != APPLY_DONE) {
        PlayErrorSound();
        return false;
    }
    // An earlier announcement goes even when no new one follows.
    OsdSearch search = {0, OSD_IDENTIFIER, nullptr, WM_CLOSE};
    CloseOsdWindows(&search);
    if (!g_settings.osdEnabled) return true;
    OsdRequest request = {scheme->name, OSD_FONT, OSD_POINT_SIZE, OSD_WEIGHT, 0, OSD_SHADOW_COLOR};
    ShowOsd(&request);
    return true;
}

BackgroundClass MeasureBackground(void) {
    CONSOLE_SCREEN_BUFFER_INFOEX info = {};
    info.cbSize = sizeof info;
    if (!g_plugin.getBufferInfoEx || !g_plugin.getBufferInfoEx(g_plugin.console, &info)) return BACKGROUND_UNKNOWN;
    COLORREF background = info.ColorTable[(info.wAttributes >> 4) & 0x0F];
    return IsDarkColor(background) ? BACKGROUND_DARK : BACKGROUND_LIGHT;
}

ColorScheme *PickRandomScheme(ColorScheme *list, BackgroundClass background) {
    if (!list) return nullptr;
    Candidates candidates = PICK_ANY;
    if (background == BACKGROUND_DARK && CountCandidates(list, PICK_LIGHT, false) > 0) {
        candidates = PICK_LIGHT;
    } else if (background == BACKGROUND_LIGHT && CountCandidates(list, PICK_DARK, false) > 0) {
        candidates = PICK_DARK;
    }
    // A scheme of the wanted kind whose own command line cannot be read is
    // never worth a swap, unless that kind has nothing better to offer.
    // Without a wanted kind the pick stays as it always was.
    DWORD count = candidates != PICK_ANY ? CountCandidates(list, candidates, true) : 0;
    bool readableOnly = count > 0;
    if (!readableOnly) count = CountCandidates(list, candidates, false);
    // The scheme in effect is not left out: it may come up again.
    DWORD position = RandomPosition(count);
    for (ColorScheme *scheme = list; scheme; scheme = scheme->next) {
        if (IsCandidate(scheme, candidates, readableOnly) && --position == 0) return scheme;
    }
    return nullptr;
}

// A position drawn from the system's secure random source, which needs no
// seeding and gives every press of the hotkey a fresh draw.
DWORD RandomPosition(DWORD n) {
    if (n <= 1) return 1;
    unsigned int r = 0;
    if (rand_s(&r) != 0) r = 0;
    // r / 0xFFFFFFFF reaches 1 only for the largest r, whose position is
    // then n + 1: hence the clamp.
    ULONGLONG position = 1 + static_cast<ULONGLONG>(n) * r / 0xFFFFFFFFull;
    return position > n ? n : static_cast<DWORD>(position);
}
