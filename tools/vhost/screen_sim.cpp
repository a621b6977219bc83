// `screen` on Linux: the simulated console's window drawn on the real
// terminal as 24-bit ANSI colours, with the colours the user would see: the
// console's own colour table, or under a pseudo console the terminal's (its
// palette for attributes, its default colours for the default attribute
// 0x07, as the console host sends that one as "default"). It writes to
// descriptor 1 directly, so that drawing does not echo into the simulated
// console it shows. `terminal` prints the terminal's 18 colours.
#include <sim.h>
#include <unistd.h>

#include <string>

#include "base/base.h"
#include "plugin/host.h"
#include "vhost.h"

namespace vhost {

namespace {

void AppendColor(std::string *out, int layer, COLORREF color) {
    *out += "\x1b[" + std::to_string(layer) + ";2;" + std::to_string(GetRValue(color)) + ";" +
            std::to_string(GetGValue(color)) + ";" + std::to_string(GetBValue(color)) + "m";
}

void AppendChar(std::string *out, WCHAR c) {
    if (c < 0x20 || (c >= 0xD800 && c <= 0xDFFF)) c = ' ';
    char bytes[4];
    size_t length = Utf16ToUtf8(&c, 1, bytes, sizeof bytes);
    out->append(bytes, length);
}

void WriteAll(const std::string &text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = write(1, text.data() + done, text.size() - done);
        if (n <= 0) return;
        done += static_cast<size_t>(n);
    }
}

// The console numbers colours BGR-wise and the terminal RGB-wise: bits 0
// and 2 trade places.
int AnsiIndex(int console) {
    return (console & 0x0A) | ((console & 1) << 2) | ((console & 4) >> 2);
}

// What the user sees of one attribute: foreground and background.
void SeenColors(const CONSOLE_SCREEN_BUFFER_INFOEX &info, WORD attribute, COLORREF *foreground, COLORREF *background) {
    if (!sim::IsPseudoConsole()) {
        *foreground = info.ColorTable[attribute & 0x0F];
        *background = info.ColorTable[attribute >> 4];
        return;
    }
    sim::TerminalColors terminal = sim::TerminalColorsNow();
    if (attribute == 0x07) {
        *foreground = terminal.foreground;
        *background = terminal.background;
        return;
    }
    *foreground = terminal.ansi[AnsiIndex(attribute & 0x0F)];
    *background = terminal.ansi[AnsiIndex(attribute >> 4)];
}

void PrintColor(const char *name, COLORREF color) {
    Printf(TEXT("%s #%02x%02x%02x\r\n"), Widen(name).c_str(), static_cast<unsigned>(GetRValue(color)),
           static_cast<unsigned>(GetGValue(color)), static_cast<unsigned>(GetBValue(color)));
}

}  // namespace

void DrawScreen() {
    CONSOLE_SCREEN_BUFFER_INFOEX info = sim::ConsoleInfo();
    const SMALL_RECT &window = info.srWindow;
    std::string out;
    for (SHORT y = window.Top; y <= window.Bottom; ++y) {
        int last = -1;
        for (SHORT x = window.Left; x <= window.Right; ++x) {
            WORD attribute = sim::CellAttribute(x, y) & 0xFF;
            if (attribute != last) {
                COLORREF foreground = 0, background = 0;
                SeenColors(info, attribute, &foreground, &background);
                AppendColor(&out, 38, foreground);
                AppendColor(&out, 48, background);
                last = attribute;
            }
            AppendChar(&out, sim::CellChar(x, y));
        }
        out += "\x1b[0m\r\n";
    }
    WriteAll(out);
}

void ShowTerminal() {
    sim::TerminalColors terminal = sim::TerminalColorsNow();
    for (int i = 0; i < 16; ++i) PrintColor(("ansi " + std::to_string(i)).c_str(), terminal.ansi[i]);
    PrintColor("foreground", terminal.foreground);
    PrintColor("background", terminal.background);
}

}  // namespace vhost
