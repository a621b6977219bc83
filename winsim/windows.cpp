// The window table: windows other programs own, the console window, and
// the test side that builds them.
#include "world.h"

namespace winsim {

Window *LookUpWindow(HWND window) {
    auto found = W().windows.find(reinterpret_cast<uintptr_t>(window));
    return window && found != W().windows.end() ? &found->second : nullptr;
}

HWND ConsoleWindow() { return W().console.window; }

// The console window's caption is the console title. A window that follows
// the console title shows the latest change that is at least its delay old.
std::u16string WindowTitle(const Window &window) {
    const World &world = W();
    if (window.handle == world.console.window) return world.console.title;
    if (window.follows) {
        const std::vector<TitleChange> &history = world.console.titleHistory;
        for (size_t i = history.size(); i > window.followFrom; --i) {
            if (history[i - 1].at + window.followDelay <= world.now) return history[i - 1].title;
        }
    }
    return window.title;
}

void SetWindowTitle(Window &window, const std::u16string &title) {
    if (window.handle == W().console.window) {
        ChangeConsoleTitle(title);
        return;
    }
    window.title = title;
    if (window.follows) window.followFrom = W().console.titleHistory.size();
}

bool IsVisibleWithAncestors(const Window &window) {
    for (const Window *w = &window; w; w = LookUpWindow(w->parent)) {
        if (!w->visible) return false;
    }
    return true;
}

}  // namespace winsim

namespace sim {

using namespace winsim;

HWND CreateSimWindow(const WindowSpec &spec) {
    World &world = W();
    if (spec.parent && !LookUpWindow(spec.parent)) return nullptr;
    // Window handles stay below 2^32: programs pass them around as 32-bit numbers.
    uintptr_t value = 0x00010010u + 2u * world.windowsCreated++;
    Window window;
    window.handle = reinterpret_cast<HWND>(value);
    window.className = spec.className;
    window.title = spec.title;
    window.parent = spec.parent;
    window.processId = spec.processId ? spec.processId : world.processId;
    window.visible = spec.visible;
    window.rect = spec.rect;
    world.windows[value] = window;
    return window.handle;
}

void DestroySimWindow(HWND window) {
    World &world = W();
    if (!LookUpWindow(window)) return;
    std::vector<HWND> doomed = {window};
    for (size_t i = 0; i < doomed.size(); ++i) {
        for (const auto &entry : world.windows) {
            if (entry.second.parent == doomed[i]) doomed.push_back(entry.second.handle);
        }
    }
    for (HWND handle : doomed) {
        world.windows.erase(reinterpret_cast<uintptr_t>(handle));
        if (world.console.window == handle) world.console.window = nullptr;
        if (world.foreground == handle) world.foreground = nullptr;
    }
}

void FollowConsoleTitle(HWND window, DWORD delayMs) {
    Window *w = LookUpWindow(window);
    if (!w) return;
    w->title = WindowTitle(*w);
    w->follows = true;
    w->followDelay = delayMs;
    w->followFrom = W().console.titleHistory.size();
}

void SetForegroundWindowForTest(HWND window) {
    W().foreground = window;
    W().foregroundSet = true;
}

void SetConsoleWindowForTest(HWND window) {
    World &world = W();
    // The window that stops being the console keeps the caption it showed.
    if (Window *old = LookUpWindow(world.console.window)) old->title = world.console.title;
    world.console.window = window;
}

std::vector<RedrawRecord> Redraws() { return W().redraws; }

std::vector<MessageBoxRecord> MessageBoxes() { return W().messageBoxes; }

}  // namespace sim
