// GDI: device contexts, fonts and brushes, and drawing recorded rather
// than rasterised.
#include <map>

#include "machine.h"
#include "text_conversions.h"
#include "windows_state.h"

using namespace winsim;

namespace {

enum class GdiKind { Font, Brush };

struct GdiObject {
    GdiKind kind = GdiKind::Font;
    bool stock = false;
    int selections = 0;  // device contexts that hold it selected
    sim::FontRecord font;
    COLORREF brushColor = 0;
};

struct DeviceContext {
    HWND window = nullptr;
    HGDIOBJ font = nullptr;
    HGDIOBJ brush = nullptr;
    COLORREF textColor = 0x000000;
    COLORREF backgroundColor = 0xFFFFFF;
    int backgroundMode = OPAQUE;
};

struct GdiState {
    std::map<uintptr_t, GdiObject> gdiObjects;
    uintptr_t nextGdiObject = 0x0A010000;
    std::map<uintptr_t, DeviceContext> dcs;
    uintptr_t nextDc = 0x01010000;
    std::vector<sim::DrawRecord> draws;
    int bitsPerPixel = 32;
};

GdiState &State() {
    return AreaState<GdiState>();
}

// The objects a fresh device context holds: never counted, never deleted.
const uintptr_t kStockFont = 0x0A0000F0;
const uintptr_t kStockBrush = 0x0A0000F4;

GdiObject &StockObject(uintptr_t handle) {
    static GdiObject font, brush;
    font.kind = GdiKind::Font;
    font.stock = true;
    font.font.height = 16;
    font.font.weight = FW_BOLD;
    font.font.face = u"System";
    brush.kind = GdiKind::Brush;
    brush.stock = true;
    brush.brushColor = 0xFFFFFF;
    return handle == kStockFont ? font : brush;
}

HGDIOBJ AddObject(const GdiObject &object) {
    GdiState &state = State();
    uintptr_t handle = state.nextGdiObject;
    state.nextGdiObject += 4;
    state.gdiObjects[handle] = object;
    return reinterpret_cast<HGDIOBJ>(handle);
}

// The object or device context a handle names (stock objects too), or null.
GdiObject *FindGdiObject(HGDIOBJ object) {
    uintptr_t handle = reinterpret_cast<uintptr_t>(object);
    if (handle == kStockFont || handle == kStockBrush) return &StockObject(handle);
    auto found = State().gdiObjects.find(handle);
    return found == State().gdiObjects.end() ? nullptr : &found->second;
}

DeviceContext *FindDeviceContext(HDC dc) {
    auto found = State().dcs.find(reinterpret_cast<uintptr_t>(dc));
    if (found != State().dcs.end()) return &found->second;
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
}

// Counts the device contexts that hold an object selected.
void Hold(HGDIOBJ handle, int change) {
    GdiObject *object = FindGdiObject(handle);
    if (object && !object->stock) object->selections += change;
}

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

// Device contexts, fonts and brushes, counted so that tests catch leaks. As
// on Windows, an object selected into a device context cannot be deleted;
// releasing the device context lets go of what it held.

// ---- GetDC ----
// A null window gives the screen's device context.
WINSIM_API HDC WINAPI GetDC(HWND window) {
    if (sim::ShouldFail("GetDC")) return nullptr;
    if (window && !LookUpWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    GdiState &state = State();
    DeviceContext dc;
    dc.window = window;
    dc.font = reinterpret_cast<HGDIOBJ>(kStockFont);
    dc.brush = reinterpret_cast<HGDIOBJ>(kStockBrush);
    uintptr_t handle = state.nextDc;
    state.nextDc += 4;
    state.dcs[handle] = dc;
    return reinterpret_cast<HDC>(handle);
}

WINSIM_API int WINAPI ReleaseDC(HWND window, HDC dc) {
    if (sim::ShouldFail("ReleaseDC")) return 0;
    auto found = State().dcs.find(reinterpret_cast<uintptr_t>(dc));
    if (found == State().dcs.end() || found->second.window != window) return 0;
    Hold(found->second.font, -1);
    Hold(found->second.brush, -1);
    State().dcs.erase(found);
    return 1;
}

WINSIM_API int WINAPI GetDeviceCaps(HDC dc, int index) {
    if (sim::ShouldFail("GetDeviceCaps")) return 0;
    if (!FindDeviceContext(dc)) return 0;
    RECT screen = RECT{0, 0, 0, 0};
    PrimaryMonitor(&screen);
    switch (index) {
        case PLANES:
            return 1;
        case BITSPIXEL:
            return State().bitsPerPixel;
        case LOGPIXELSX:
        case LOGPIXELSY:
            return 96;
        case HORZRES:
            return screen.right - screen.left;
        case VERTRES:
            return screen.bottom - screen.top;
        default:
            return 0;
    }
}

WINSIM_API HFONT WINAPI CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                                    DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                                    DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCWSTR faceName) {
    (void)outPrecision;
    (void)clipPrecision;
    if (sim::ShouldFail("CreateFontW")) return nullptr;
    GdiObject object;
    object.kind = GdiKind::Font;
    object.font = {height,    width,     escapement, orientation, weight,         italic,
                   underline, strikeOut, charSet,    quality,     pitchAndFamily, Str(faceName).substr(0, 31)};
    return static_cast<HFONT>(AddObject(object));
}

WINSIM_API HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
    if (sim::ShouldFail("CreateSolidBrush")) return nullptr;
    GdiObject object;
    object.kind = GdiKind::Brush;
    object.brushColor = color & 0x00FFFFFF;
    return static_cast<HBRUSH>(AddObject(object));
}

// ---- SelectObject ----
// Answers the object of the same kind that the device context held.
WINSIM_API HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object) {
    if (sim::ShouldFail("SelectObject")) return nullptr;
    DeviceContext *context = FindDeviceContext(dc);
    GdiObject *selected = FindGdiObject(object);
    if (!context || !selected) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    HGDIOBJ &slot = selected->kind == GdiKind::Font ? context->font : context->brush;
    HGDIOBJ previous = slot;
    Hold(previous, -1);
    Hold(object, 1);
    slot = object;
    return previous;
}

// ---- DeleteObject ----
// Fails for an object still selected into a device context; stock objects
// are left alone and reported deleted.
WINSIM_API BOOL WINAPI DeleteObject(HGDIOBJ object) {
    if (sim::ShouldFail("DeleteObject")) return FALSE;
    GdiObject *found = FindGdiObject(object);
    if (found && found->stock) return TRUE;
    if (!found || found->selections > 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    State().gdiObjects.erase(reinterpret_cast<uintptr_t>(object));
    return TRUE;
}

WINSIM_API COLORREF WINAPI SetTextColor(HDC dc, COLORREF color) {
    if (sim::ShouldFail("SetTextColor")) return CLR_INVALID;
    DeviceContext *context = FindDeviceContext(dc);
    if (!context) return CLR_INVALID;
    COLORREF previous = context->textColor;
    context->textColor = color;
    return previous;
}

WINSIM_API COLORREF WINAPI SetBkColor(HDC dc, COLORREF color) {
    if (sim::ShouldFail("SetBkColor")) return CLR_INVALID;
    DeviceContext *context = FindDeviceContext(dc);
    if (!context) return CLR_INVALID;
    COLORREF previous = context->backgroundColor;
    context->backgroundColor = color;
    return previous;
}

WINSIM_API int WINAPI SetBkMode(HDC dc, int mode) {
    if (sim::ShouldFail("SetBkMode")) return 0;
    DeviceContext *context = FindDeviceContext(dc);
    if (!context) return 0;
    if (mode != TRANSPARENT && mode != OPAQUE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int previous = context->backgroundMode;
    context->backgroundMode = mode;
    return previous;
}

// ---- MulDiv ----
// number * numerator / denominator in 64 bits, rounded half away from
// zero; -1 for a zero denominator or a result outside 32 bits.
WINSIM_API int WINAPI MulDiv(int number, int numerator, int denominator) {
    if (sim::ShouldFail("MulDiv")) return -1;
    if (denominator == 0) return -1;
    long long product = static_cast<long long>(number) * numerator;
    long long divisor = denominator;
    if (divisor < 0) {
        product = -product;
        divisor = -divisor;
    }
    long long half = divisor / 2;
    long long result = product >= 0 ? (product + half) / divisor : (product - half) / divisor;
    if (result > 2147483647LL || result < -2147483647LL) return -1;
    return static_cast<int>(result);
}

void winsim::ResetGdi() {
    State() = GdiState();
}

// Drawing, recorded rather than rasterised. Text has a fixed metric: each
// UTF-16 unit is 3/5 of the font's height wide, and every "\n" starts a new
// line one font height further down, so sizes in tests are exact.

WINSIM_API int WINAPI FillRect(HDC dc, const RECT *rect, HBRUSH brush) {
    if (sim::ShouldFail("FillRect")) return 0;
    DeviceContext *context = FindDeviceContext(dc);
    GdiObject *object = FindGdiObject(brush);
    if (!context || !rect || !object || object->kind != GdiKind::Brush) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    sim::DrawRecord record = {context->window, sim::DrawKind::Fill, *rect, u"", 0, object->brushColor, 0, 0, {}};
    State().draws.push_back(record);
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
    sim::DrawRecord record = {
        context->window,          sim::DrawKind::Text,     *rect, content, format, context->textColor,
        context->backgroundColor, context->backgroundMode, font};
    State().draws.push_back(record);
    return textHeight;
}

namespace sim {

int LiveGdiObjectCount() {
    return static_cast<int>(State().gdiObjects.size());
}

int LiveDeviceContextCount() {
    return static_cast<int>(State().dcs.size());
}

void SetColorDepth(int bitsPerPixel) {
    State().bitsPerPixel = bitsPerPixel;
}

std::vector<DrawRecord> DrawCalls() {
    return State().draws;
}

std::u16string LastDrawnText(HWND window) {
    const std::vector<DrawRecord> &draws = State().draws;
    for (auto it = draws.rbegin(); it != draws.rend(); ++it) {
        if (it->window == window && it->kind == DrawKind::Text) return it->text;
    }
    return std::u16string();
}

}  // namespace sim
