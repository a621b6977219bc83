// Finding this instance's OSD windows among all top-level windows. The
// message goes out with SendMessageW, so a window told to close is gone
// before the search moves on.
#include "../base/format.h"
#include "../base/wstr.h"
#include "osd.h"

namespace {

#define WINDOW_TEXT_SIZE 1024

bool HasOsdTitle(HWND window, DWORD titleId) {
    if (titleId == OSD_ANY_TITLE) return true;
    WCHAR wanted[OSD_TITLE_SIZE];
    Format(wanted, OSD_TITLE_SIZE, TEXT("OSD #%u"), titleId);
    WCHAR title[WINDOW_TEXT_SIZE];
    if (GetWindowTextW(window, title, WINDOW_TEXT_SIZE) <= 0) return false;
    return StrCompare(title, wanted) == 0;
}

BOOL CALLBACK VisitWindow(HWND window, LPARAM param) {
    OsdSearch *search = reinterpret_cast<OsdSearch *>(param);
    if (window == search->spared) return TRUE;
    WCHAR className[WINDOW_TEXT_SIZE];
    // Before start-up the name is empty, and no window is ours.
    if (g_osd.className[0] == 0 || RealGetWindowClassW(window, className, WINDOW_TEXT_SIZE) == 0) return TRUE;
    if (StrCompare(className, g_osd.className) != 0) return TRUE;
    if (!HasOsdTitle(window, search->titleId)) return TRUE;
    if (search->message != 0) SendMessageW(window, search->message, 0, 0);
    ++search->count;
    return TRUE;
}

}  // namespace

void CloseOsdWindows(OsdSearch *search) {
    EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(search));
}
