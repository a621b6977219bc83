// The console title, which is also the console window's caption.
#include "world.h"

namespace winsim {

void ChangeConsoleTitle(const std::u16string &title) {
    World &world = W();
    world.console.title = title;
    world.console.titleHistory.push_back({world.now, title});
}

}  // namespace winsim

using namespace winsim;

// ---- GetConsoleTitleW ----
WINSIM_API DWORD WINAPI GetConsoleTitleW(LPWSTR title, DWORD size) {
    if (sim::ShouldFail("GetConsoleTitleW")) return 0;
    if (!title && size > 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::u16string &current = W().console.title;
    CopyTruncated(current, title, size);
    return static_cast<DWORD>(current.size());
}

// ---- SetConsoleTitleW ----
WINSIM_API BOOL WINAPI SetConsoleTitleW(LPCWSTR title) {
    if (sim::ShouldFail("SetConsoleTitleW")) return FALSE;
    if (!title) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ChangeConsoleTitle(title);
    return TRUE;
}
