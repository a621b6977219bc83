// What the hotkey does: measure the console's background, apply a scheme
// of the other kind, and announce it. Pressed again and again, it swaps
// between dark and light schemes.
#include "../osd/osd.h"
#include "../palette/palette.h"
#include "../plugin/state.h"
#include "key_handler.h"

namespace {

#define OSD_FONT TEXT("Tahoma")
#define OSD_POINT_SIZE 24
#define OSD_WEIGHT 700
#define OSD_SHADOW_COLOR 0x000000

// Which schemes a pick chooses from.
enum Candidates { PICK_DARK, PICK_LIGHT, PICK_ANY };

bool IsCandidate(const ColorScheme *scheme, int candidates) {
    if (candidates == PICK_ANY) return true;
    return (scheme->dark != 0) == (candidates == PICK_DARK);
}

void PlayErrorSound(void) {
    PlaySoundW(reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(SND_ALIAS_SYSTEMHAND)), nullptr,
               SND_ALIAS_ID | SND_ASYNC);
}

}  // namespace

int MeasureBackground(void) {
    CONSOLE_SCREEN_BUFFER_INFOEX info = {};
    info.cbSize = sizeof info;
    if (!g_plugin.getBufferInfoEx || !g_plugin.getBufferInfoEx(g_plugin.console, &info)) return BACKGROUND_UNKNOWN;
    COLORREF background = info.ColorTable[(info.wAttributes >> 4) & 0x0F];
    return IsDarkColor(background) ? BACKGROUND_DARK : BACKGROUND_LIGHT;
}

ColorScheme *PickRandomScheme(ColorScheme *list, int background) {
    if (!list) return nullptr;
    DWORD all = 0, dark = 0;
    for (const ColorScheme *scheme = list; scheme; scheme = scheme->next) {
        ++all;
        if (scheme->dark) ++dark;
    }
    DWORD light = all - dark;
    int candidates = PICK_ANY;
    DWORD count = all;
    if (background == BACKGROUND_DARK && light > 0) {
        candidates = PICK_LIGHT;
        count = light;
    } else if (background == BACKGROUND_LIGHT && dark > 0) {
        candidates = PICK_DARK;
        count = dark;
    }
    // The scheme in effect is not left out: it may come up again.
    DWORD position = RandomPosition(count);
    for (ColorScheme *scheme = list; scheme; scheme = scheme->next) {
        if (IsCandidate(scheme, candidates) && --position == 0) return scheme;
    }
    return nullptr;
}

int ApplyRandomScheme(KeyInfo *info) {
    ColorScheme *scheme = PickRandomScheme(g_schemes, MeasureBackground());
    if (!scheme || ApplyScheme(scheme, info) <= 0) {
        PlayErrorSound();
        return 0;
    }
    // An earlier announcement goes even when no new one follows.
    OsdSearch search = {0, OSD_IDENTIFIER, nullptr, WM_CLOSE};
    CloseOsdWindows(&search);
    if (!g_plugin.osdEnabled) return 0;
    OsdRequest request = {scheme->name, OSD_FONT, OSD_POINT_SIZE, OSD_WEIGHT, 0, OSD_SHADOW_COLOR};
    ShowOsd(&request);
    return 0;
}
