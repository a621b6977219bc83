// The keyboard as GetAsyncKeyState sees it: a set of keys a test holds down.
#include "world.h"

using namespace winsim;

// ---- GetAsyncKeyState ----
// A held key has the top bit set. The low bit ("pressed since the last
// call") is unreliable on Windows and never set here.
WINSIM_API SHORT WINAPI GetAsyncKeyState(int virtualKey) {
    if (sim::ShouldFail("GetAsyncKeyState")) return 0;
    if (virtualKey < 0 || virtualKey > 255) return 0;
    return W().ui.heldKeys[virtualKey] ? static_cast<SHORT>(0x8000) : 0;
}

namespace sim {

void SetKeyHeld(int virtualKey, bool held) {
    if (virtualKey >= 0 && virtualKey <= 255) W().ui.heldKeys[virtualKey] = held;
}

void ReleaseAllKeys() {
    for (bool &held : W().ui.heldKeys) held = false;
}

}  // namespace sim
