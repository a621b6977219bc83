// The OSD machinery's start and end: the window class, whose name carries
// the process identifier so that only this instance's windows ever match
// it, the family's shared registry key, and the scroll-bar query.
#include "../base/format.h"
#include "../plugin/messages.h"
#include "../plugin/state.h"
#include "osd.h"
#include "osd_registry.h"

OsdGlobals g_osd = {0, {0}, OSD_OFF_SCREEN, nullptr};

namespace {

// The family's OSD generation, kept as 8-bit text as the family keeps it.
const char OSD_VERSION[] = "1.0.11.1";
#define OSD_VERSION_SIZE 32
#define OSD_WINDOW_EXTRA 8
#define CLASS_REGISTRATION_PAUSE 50

GetScrollBarInfoFn LookUpScrollBarQuery(void) {
    // User32 is always loaded in a process with windows; it is looked up,
    // never loaded.
    HMODULE user32 = GetModuleHandleW(TEXT("User32.dll"));
    FARPROC query = user32 ? GetProcAddress(user32, "GetScrollBarInfo") : nullptr;
    return reinterpret_cast<GetScrollBarInfoFn>(reinterpret_cast<void *>(query));
}

}  // namespace

void FormatOsdClassName(DWORD processId, LPWSTR name) {
    WCHAR version[OSD_VERSION_SIZE];
    if (MultiByteToWideChar(CP_ACP, 0, OSD_VERSION, -1, version, OSD_VERSION_SIZE) == 0) version[0] = 0;
    Format(name, OSD_CLASS_NAME_SIZE, TEXT("OSD window %s \u2022 %s %04X"), version, PLUGIN_NAME, processId);
}

ATOM InitOsd(void) {
    g_osd.creationPosition = OSD_OFF_SCREEN;
    FormatOsdClassName(GetCurrentProcessId(), g_osd.className);
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = OsdWindowProc;
    windowClass.cbWndExtra = OSD_WINDOW_EXTRA;
    windowClass.hInstance = g_plugin.module;
    windowClass.lpszClassName = g_osd.className;
    g_osd.classAtom = RegisterClassExW(&windowClass);
    if (g_osd.classAtom) Sleep(CLASS_REGISTRATION_PAUSE);
    // Windows PE may have no room off screen to prepare a window in.
    if (IsWinPE()) g_osd.creationPosition = 0;
    EnsureOsdKey();
    g_osd.getScrollBarInfo = LookUpScrollBarQuery();
    return g_osd.classAtom;
}

void ShutdownOsd(void) {
    if (g_osd.classAtom) {
        OsdSearch search = {0, OSD_ANY_TITLE, nullptr, WM_CLOSE};
        CloseOsdWindows(&search);
        UnregisterClassW(g_osd.className, g_plugin.module);
        g_osd.classAtom = 0;
    }
    CleanupOsdKey();
}
