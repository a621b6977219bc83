// Following the Windows app theme. Windows tells every top-level window
// when the user switches between light and dark apps; a hidden one of ours
// hears it on the host's thread, through the host's own message processing,
// and the console then gets a scheme of the theme's kind, picked and
// announced as the hotkey does it. No polling: nothing runs until Windows
// speaks, and the keystroke path knows nothing of this. A terminal behind
// a pseudoconsole puts its own palette back on the same change, perhaps
// after our scheme arrived: one timer a second later sends the colours
// again.
#include "../base/base.h"
#include "../palette/palette.h"
#include "../plugin/plugin.h"
#include "hotkey.h"

ThemeGlobals g_theme = {0, nullptr, false, false, {0}};

namespace {

constexpr WCHAR THEME_WINDOW_TITLE[] = TEXT("Vivanta theme");

bool IsThemeChange(UINT message, LPARAM lParam) {
    if (message != WM_SETTINGCHANGE || lParam == 0) return false;
    return StrCompare(reinterpret_cast<LPCWSTR>(lParam), APP_THEME_CHANGE) == 0;
}

// The colours last applied by any path, sent once, if they still travel
// as sequences.
void OnRewriteTimer(HWND window) {
    KillTimer(window, THEME_REWRITE_TIMER_ID);
    if (UsesSequences()) (void)RewriteLastScheme();
}

LRESULT CALLBACK ThemeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (IsThemeChange(message, lParam)) {
        if (MatchAppTheme() && UsesSequences()) SetTimer(window, THEME_REWRITE_TIMER_ID, THEME_REWRITE_DELAY, nullptr);
        return 0;
    }
    if (message == WM_TIMER && wParam == THEME_REWRITE_TIMER_ID) {
        OnRewriteTimer(window);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The class carries the process identifier, as the OSD's does, so that
// two hosts never share it.
bool RegisterThemeClass(void) {
    if (g_theme.classAtom) return true;
    Format(g_theme.className, THEME_CLASS_NAME_SIZE, TEXT("%s theme %04X"), PLUGIN_NAME, GetCurrentProcessId());
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = ThemeWindowProc;
    windowClass.hInstance = g_plugin.module;
    windowClass.lpszClassName = g_theme.className;
    g_theme.classAtom = RegisterClassExW(&windowClass);
    return g_theme.classAtom != 0;
}

// Top-level, or the broadcast would pass it by (a message-only window
// never hears one); never shown.
bool OpenThemeWindow(void) {
    if (!RegisterThemeClass()) return false;
    g_theme.window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, g_theme.className, THEME_WINDOW_TITLE,
                                     WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, g_plugin.module, nullptr);
    return g_theme.window != nullptr;
}

// A change still waiting for the window goes with it.
void CloseThemeWindow(void) {
    if (!g_theme.window) return;
    DestroyWindow(g_theme.window);
    g_theme.window = nullptr;
}

// True when a scheme was applied.
bool FollowOnce(void) {
    BackgroundClass theme = ReadAppTheme();
    BackgroundClass console = MeasureBackground();
    if (console == theme) return false;
    // The pick wants the console's class and gives the other one; an
    // unmeasured console is taken for the other class, so that the theme's
    // kind is what comes.
    BackgroundClass from = theme == BACKGROUND_LIGHT ? BACKGROUND_DARK : BACKGROUND_LIGHT;
    return ApplyAndAnnounce(PickRandomScheme(g_schemes, from), nullptr);
}

}  // namespace

BackgroundClass ReadAppTheme(void) {
    HKEY key = NULL;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, APP_THEME_KEY, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return BACKGROUND_LIGHT;
    }
    DWORD light = 1;
    RegistryDwordRead read = QueryRegistryDword(key, APP_THEME_VALUE, &light);
    RegCloseKey(key);
    return read == REGISTRY_DWORD_READ && light == 0 ? BACKGROUND_DARK : BACKGROUND_LIGHT;
}

// Applying a scheme may close and open windows; should a second change
// arrive while one is followed, it is followed once the first is done,
// against the registry as it is then.
bool MatchAppTheme(void) {
    if (!g_settings.followTheme) return false;
    if (g_theme.matching) {
        g_theme.again = true;
        return false;
    }
    g_theme.matching = true;
    bool applied = false;
    do {
        g_theme.again = false;
        if (FollowOnce()) applied = true;
    } while (g_theme.again && g_settings.followTheme);
    g_theme.matching = false;
    return applied;
}

ThemeWindowResult SyncThemeWindow(bool matchNow) {
    if (!g_settings.followTheme) {
        CloseThemeWindow();
        return THEME_WINDOW_READY;
    }
    if (g_theme.window) return THEME_WINDOW_READY;
    if (!OpenThemeWindow()) {
        g_settings.followTheme = FALSE;
        return THEME_WINDOW_FAILED;
    }
    if (matchNow) (void)MatchAppTheme();
    return THEME_WINDOW_READY;
}

void StopFollowingTheme(void) {
    CloseThemeWindow();
    if (g_theme.classAtom) {
        UnregisterClassW(g_theme.className, g_plugin.module);
        g_theme.classAtom = 0;
    }
}

void ResetTheme(void) {
    g_theme = ThemeGlobals{0, nullptr, false, false, {0}};
}
