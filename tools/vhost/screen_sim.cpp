// `screen` on Linux: the simulated console's window drawn on the real
// terminal with the console's own colour table as 24-bit ANSI colours. It
// writes to descriptor 1 directly, so that drawing does not echo into the
// simulated console it shows.
#include <sim.h>
#include <unistd.h>

#include <string>

#include "base/base.h"
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
                AppendColor(&out, 38, info.ColorTable[attribute & 0x0F]);
                AppendColor(&out, 48, info.ColorTable[attribute >> 4]);
                last = attribute;
            }
            AppendChar(&out, sim::CellChar(x, y));
        }
        out += "\x1b[0m\r\n";
    }
    WriteAll(out);
}

}  // namespace vhost
