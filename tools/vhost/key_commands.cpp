// Keystrokes: the host fills its key-information record and hands it to
// the plugin's keystroke handler, with the modifier keys held meanwhile.
#include <vector>

#include "vhost.h"

namespace vhost {

namespace {

// The host's own buffers: the edit line and the key name.
const size_t kLineCapacity = 4096;
const size_t kKeyNameCapacity = 1024;

void SendKey(Session *session, int code, const Text &name, bool shift, bool ctrl, bool alt) {
    std::vector<WCHAR> line(kLineCapacity, 0);
    std::vector<WCHAR> keyName(kKeyNameCapacity, 0);
    name.copy(keyName.data(), name.size() < kKeyNameCapacity - 1 ? name.size() : kKeyNameCapacity - 1);
    KeyInfo info = {};
    info.keyCode = code;
    info.line = line.data();
    info.cursor = line.data();
    info.redraw = 0;
    info.keyName = keyName.data();
    HoldModifiers(shift, ctrl, alt);
    session->plugin.key(&info);
    HoldModifiers(false, false, false);
}

}  // namespace

void RunKey(Session *session, const Text &arguments) {
    Text rest;
    Text code = FirstWord(arguments, &rest);
    DWORD value = 0;
    if (!ParseNumber(code, &value)) {
        PrintError(Widen("vhost: key wants a key code: ") + arguments);
        return;
    }
    bool shift = false, ctrl = false, alt = false;
    while (!rest.empty()) {
        Text modifier = FirstWord(rest, &rest);
        if (EqualNoCase(modifier, "shift")) {
            shift = true;
        } else if (EqualNoCase(modifier, "ctrl")) {
            ctrl = true;
        } else if (EqualNoCase(modifier, "alt")) {
            alt = true;
        } else {
            PrintError(Widen("vhost: unknown modifier ") + modifier);
            return;
        }
    }
    SendKey(session, static_cast<int>(value), Text(), shift, ctrl, alt);
}

void RunKeyName(Session *session, const Text &name) {
    if (name.empty()) {
        PrintError(Widen("vhost: keyname wants a key name"));
        return;
    }
    SendKey(session, 0, name, false, false, false);
}

}  // namespace vhost
