// Drawing, recorded rather than rasterised. Text has a fixed metric: each
// UTF-16 unit is 3/5 of the font's height wide, and every "\n" starts a new
// line one font height further down, so sizes in tests are exact.
#include "world.h"

using namespace winsim;

namespace {

const int kDefaultFontHeight = 16;

int FontHeight(const sim::FontRecord &font) {
    int height = font.height < 0 ? -font.height : font.height;
    return height ? height : kDefaultFontHeight;
}

// The widest line's width and the number of lines; a "\r" before a line
// break takes no room.
void MeasureText(const std::u16string &text, UINT format, int height, LONG *width, LONG *lines) {
    *width = 0;
    *lines = 1;
    size_t units = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        bool lineEnds = i == text.size() || (text[i] == u'\n' && !(format & DT_SINGLELINE));
        if (!lineEnds) {
            if (!(text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')) ++units;
            continue;
        }
        LONG lineWidth = static_cast<LONG>(units * static_cast<size_t>(height) * 3 / 5);
        if (lineWidth > *width) *width = lineWidth;
        if (i < text.size()) ++*lines;
        units = 0;
    }
}

}  // namespace

// ---- FillRect ----
WINSIM_API int WINAPI FillRect(HDC dc, const RECT *rect, HBRUSH brush) {
    if (sim::ShouldFail("FillRect")) return 0;
    DeviceContext *context = FindDeviceContext(dc);
    GdiObject *object = FindGdiObject(brush);
    if (!context || !rect || !object || object->kind != GdiKind::Brush) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    sim::DrawRecord record = {context->window, sim::DrawKind::Fill, *rect, u"", 0, object->brushColor, 0, 0, {}};
    W().ui.draws.push_back(record);
    return 1;
}

// ---- DrawTextW ----
// Answers the height of the text; with DT_CALCRECT it only measures,
// widening or narrowing the rectangle to the widest line and setting its
// bottom below the last.
WINSIM_API int WINAPI DrawTextW(HDC dc, LPCWSTR text, int count, LPRECT rect, UINT format) {
    if (sim::ShouldFail("DrawTextW")) return 0;
    DeviceContext *context = FindDeviceContext(dc);
    if (!context || !text || !rect || count < -1) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::u16string content = count == -1 ? Str(text) : std::u16string(text, static_cast<size_t>(count));
    const sim::FontRecord &font = FindGdiObject(context->font)->font;
    int height = FontHeight(font);
    LONG width = 0, lines = 0;
    MeasureText(content, format, height, &width, &lines);
    LONG textHeight = lines * height;
    if (format & DT_CALCRECT) {
        rect->right = rect->left + width;
        rect->bottom = rect->top + textHeight;
        return textHeight;
    }
    sim::DrawRecord record = {context->window,     sim::DrawKind::Text,      *rect, content, format,
                              context->textColor, context->backgroundColor, context->backgroundMode, font};
    W().ui.draws.push_back(record);
    return textHeight;
}

namespace sim {

std::vector<DrawRecord> DrawCalls() { return W().ui.draws; }

std::u16string LastDrawnText(HWND window) {
    const std::vector<DrawRecord> &draws = W().ui.draws;
    for (auto it = draws.rbegin(); it != draws.rend(); ++it) {
        if (it->window == window && it->kind == DrawKind::Text) return it->text;
    }
    return std::u16string();
}

}  // namespace sim
