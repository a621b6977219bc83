// The console's VT parser and the terminal behind a pseudo console: what a
// write with VT processing on does to the terminal's 18 colours and to the
// console host's mirror of the colour table. Everything else a sequence
// could do (cursor, attributes, modes, titles) is consumed and ignored; the
// text between sequences goes on to the screen buffer.
#include "console_state.h"
#include "machine.h"
#include "text_conversions.h"
#include "time_state.h"
#include "windows_state.h"

using namespace winsim;

namespace winsim {

namespace {

enum class Step {
    Ground,
    Escape,        // after ESC
    Intermediate,  // ESC and 0x20-0x2F bytes, waiting for the final byte
    Csi,           // ESC [ parameters and intermediates, waiting for the final byte
    Osc,           // ESC ] collecting the text up to BEL or ST
    OscEscape,     // ESC inside an OSC: ST when a backslash follows
    Text,          // DCS, SOS, PM, APC: a string up to ST, ignored
    TextEscape,
};

// Longer OSCs are consumed whole and ignored; an OSC 4 with all 256
// entries stays well under it.
const size_t kOscLimit = 8192;

const COLORREF kWindowsTerminalProfile[16] = {0x0C0C0C, 0x1F0FC5, 0x0EA113, 0x009CC1, 0xDA3700, 0x981788,
                                              0xDD963A, 0xCCCCCC, 0x767676, 0x5648E7, 0x0CC616, 0xA5F1F9,
                                              0xFF783B, 0x9E00B4, 0xD6D661, 0xF2F2F2};

sim::TerminalColors DefaultProfile() {
    sim::TerminalColors colors;
    for (int i = 0; i < 16; ++i) colors.ansi[i] = kWindowsTerminalProfile[i];
    colors.foreground = 0xCCCCCC;
    colors.background = 0x0C0C0C;
    return colors;
}

struct VtState {
    Step step = Step::Ground;
    std::u16string osc;
    bool oscTooLong = false;
    sim::TerminalColors profile = DefaultProfile();
    sim::TerminalColors shown = DefaultProfile();
    std::u16string log;
};

VtState &V() {
    return AreaState<VtState>();
}

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// One component of rgb:r/g/b: 1 to 4 hex digits scaled as X11 scales them
// to 16 bits, of which the byte is the high half ("c" is 0xCC, "cc" 0xCC,
// "ccd" 0xCC, "ccdd" 0xCC).
bool Component(const std::u16string &text, BYTE *value) {
    if (text.empty() || text.size() > 4) return false;
    unsigned v = 0;
    for (char16_t c : text) {
        int digit = HexDigit(c);
        if (digit < 0) return false;
        v = v * 16 + static_cast<unsigned>(digit);
    }
    switch (text.size()) {
        case 1:
            v *= 0x11;
            break;
        case 3:
            v >>= 4;
            break;
        case 4:
            v >>= 8;
            break;
    }
    *value = static_cast<BYTE>(v);
    return true;
}

// rgb:r/g/b (any case) or #rrggbb.
bool ParseColor(const std::u16string &spec, COLORREF *color) {
    BYTE rgb[3];
    if (spec.size() == 7 && spec[0] == u'#') {
        for (int i = 0; i < 3; ++i) {
            if (!Component(spec.substr(1 + 2 * static_cast<size_t>(i), 2), &rgb[i])) return false;
        }
        *color = RGB(rgb[0], rgb[1], rgb[2]);
        return true;
    }
    if (spec.size() < 4 || !EqualNoCase(spec.substr(0, 4), u"rgb:")) return false;
    size_t start = 4;
    for (int i = 0; i < 3; ++i) {
        size_t end = spec.find(u'/', start);
        if ((end == std::u16string::npos) != (i == 2)) return false;
        if (end == std::u16string::npos) end = spec.size();
        if (!Component(spec.substr(start, end - start), &rgb[i])) return false;
        start = end + 1;
    }
    *color = RGB(rgb[0], rgb[1], rgb[2]);
    return true;
}

// A decimal number that is the whole text, below `limit`; -1 otherwise.
int Number(const std::u16string &text, int limit) {
    if (text.empty() || text.size() > 5) return -1;
    int value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return -1;
        value = value * 10 + (c - u'0');
    }
    return value < limit ? value : -1;
}

std::vector<std::u16string> Fields(const std::u16string &text) {
    std::vector<std::u16string> fields;
    size_t start = 0;
    for (;;) {
        size_t end = text.find(u';', start);
        fields.push_back(text.substr(start, end == std::u16string::npos ? std::u16string::npos : end - start));
        if (end == std::u16string::npos) return fields;
        start = end + 1;
    }
}

// The console numbers its colours BGR-wise, ANSI RGB-wise: bits 0 and 2
// trade places, both ways.
int ConsoleIndex(int ansi) {
    return (ansi & 0x0A) | ((ansi & 1) << 2) | ((ansi & 4) >> 2);
}

void SetEntry(int ansi, COLORREF color) {
    V().shown.ansi[ansi] = color;
    SetMirrorColor(ConsoleIndex(ansi), color);
}

// The host's own default table is what a reset puts back in the mirror,
// as the terminal puts back its profile.
void ResetEntry(int ansi) {
    V().shown.ansi[ansi] = V().profile.ansi[ansi];
    ResetMirrorColor(ConsoleIndex(ansi));
}

// OSC 4 takes index;spec pairs; an index beyond the 16 (the 256-colour
// palette) or a spec that is a query or unreadable leaves that pair alone.
void SetPalette(const std::vector<std::u16string> &fields) {
    for (size_t i = 1; i + 1 < fields.size(); i += 2) {
        int index = Number(fields[i], 256);
        COLORREF color = 0;
        if (index >= 0 && index < 16 && ParseColor(fields[i + 1], &color)) SetEntry(index, color);
    }
}

// OSC 104 with no index (or an empty one) resets all 16.
void ResetPalette(const std::vector<std::u16string> &fields) {
    if (fields.size() == 1 || (fields.size() == 2 && fields[1].empty())) {
        for (int i = 0; i < 16; ++i) ResetEntry(i);
        return;
    }
    for (size_t i = 1; i < fields.size(); ++i) {
        int index = Number(fields[i], 256);
        if (index >= 0 && index < 16) ResetEntry(index);
    }
}

void DispatchOsc(const std::u16string &text) {
    std::vector<std::u16string> fields = Fields(text);
    int command = Number(fields[0], 1000);
    VtState &state = V();
    COLORREF color = 0;
    switch (command) {
        case 4:
            SetPalette(fields);
            break;
        case 104:
            ResetPalette(fields);
            break;
        case 10:
            if (fields.size() > 1 && ParseColor(fields[1], &color)) state.shown.foreground = color;
            break;
        case 11:
            if (fields.size() > 1 && ParseColor(fields[1], &color)) state.shown.background = color;
            break;
        case 110:
            state.shown.foreground = state.profile.foreground;
            break;
        case 111:
            state.shown.background = state.profile.background;
            break;
        default:
            break;
    }
}

// CAN and SUB cancel any sequence; ESC starts a new one.
bool Cancels(char16_t c) {
    return c == 0x18 || c == 0x1A;
}

// One character of a sequence under way.
void StepSequence(VtState &state, char16_t c) {
    switch (state.step) {
        case Step::Ground:
            break;
        case Step::Escape:
            if (c == u'[') {
                state.step = Step::Csi;
            } else if (c == u']') {
                state.step = Step::Osc;
                state.osc.clear();
                state.oscTooLong = false;
            } else if (c == u'P' || c == u'X' || c == u'^' || c == u'_') {
                state.step = Step::Text;
            } else if (c >= 0x20 && c <= 0x2F) {
                state.step = Step::Intermediate;
            } else if (c >= 0x30 && c <= 0x7E) {
                state.step = Step::Ground;
            }
            break;
        case Step::Intermediate:
            if (c >= 0x30 && c <= 0x7E) state.step = Step::Ground;
            break;
        case Step::Csi:
            if (c >= 0x40 && c <= 0x7E) state.step = Step::Ground;
            break;
        case Step::Osc:
            if (c == 0x07) {
                if (!state.oscTooLong) DispatchOsc(state.osc);
                state.step = Step::Ground;
            } else if (c < 0x20) {
                // Other controls inside an OSC are dropped, as xterm drops them.
            } else if (state.osc.size() < kOscLimit) {
                state.osc.push_back(c);
            } else {
                state.oscTooLong = true;
            }
            break;
        case Step::OscEscape:
            // ST ends the OSC; any other escape abandons it for a sequence of its own.
            if (c == u'\\') {
                if (!state.oscTooLong) DispatchOsc(state.osc);
                state.step = Step::Ground;
            } else {
                state.step = Step::Escape;
                StepSequence(state, c);
            }
            break;
        case Step::Text:
            break;
        case Step::TextEscape:
            state.step = Step::Escape;
            if (c == u'\\') {
                state.step = Step::Ground;
            } else {
                StepSequence(state, c);
            }
            break;
    }
}

}  // namespace

std::u16string ParseVt(const std::u16string &text) {
    VtState &state = V();
    std::u16string out;
    for (char16_t c : text) {
        if (c == 0x1B) {
            state.step = state.step == Step::Osc    ? Step::OscEscape
                         : state.step == Step::Text ? Step::TextEscape
                                                    : Step::Escape;
            continue;
        }
        if (Cancels(c)) {
            state.step = Step::Ground;
            continue;
        }
        if (state.step == Step::Ground) {
            out.push_back(c);
            continue;
        }
        // C0 controls inside CSI and escape sequences act at once, as on a VT500.
        if (c < 0x20 && (state.step == Step::Escape || state.step == Step::Intermediate || state.step == Step::Csi)) {
            out.push_back(c);
            continue;
        }
        StepSequence(state, c);
    }
    return out;
}

void LogVt(const std::u16string &text) {
    V().log += text;
}

void ResetConsoleVt() {
    V() = VtState();
}

// The terminal's window: Windows Terminal reloads its colours a moment after
// Windows says the app theme changed.
LRESULT CALLBACK TerminalWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETTINGCHANGE && lParam != 0 &&
        Str(reinterpret_cast<LPCWSTR>(lParam)) == std::u16string(u"ImmersiveColorSet")) {
        RunLater(sim::kTerminalThemeDelayMs, [] { sim::ReloadTerminalSettings(); });
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace winsim

namespace sim {

bool IsPseudoConsole() {
    Window *window = LookUpWindow(ConsoleWindow());
    return window && EqualNoCase(window->className, u"PseudoConsoleWindow");
}

TerminalColors TerminalColorsNow() {
    return V().shown;
}

TerminalColors TerminalProfile() {
    return V().profile;
}

void SetTerminalProfile(const TerminalColors &colors) {
    V().profile = colors;
}

void ReloadTerminalSettings() {
    V().shown = V().profile;
}

std::u16string VtLog() {
    return V().log;
}

}  // namespace sim
