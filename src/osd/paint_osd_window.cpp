// Painting and sizing an OSD window, once, right after it is made: the
// window procedure has no painting of its own. The background is the
// colour key, so only the glyphs and their shadow are seen; glyph edges are
// not smoothed, or they would blend with the key's red.
#include "osd.h"

namespace {

#define POINTS_PER_INCH 72
#define SMALL_SHADOW_OFFSET 3
#define SMALL_SHADOW_LIMIT 36
#define SHADOW_DIVISOR 12
#define DRAW_FORMAT (DT_NOPREFIX | DT_NOCLIP | DT_LEFT)

int ShadowOffset(int pointSize) {
    return pointSize <= SMALL_SHADOW_LIMIT ? SMALL_SHADOW_OFFSET : pointSize / SHADOW_DIVISOR;
}

HFONT CreateRequestFont(HDC dc, const OsdRequest *request) {
    int angle = request->angle < -360 || request->angle > 360 ? 0 : request->angle;
    int height = -MulDiv(request->pointSize, GetDeviceCaps(dc, LOGPIXELSY), POINTS_PER_INCH);
    return CreateFontW(height, 0, angle * 10, angle * 10, request->weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                       request->fontName);
}

void FillBackground(HDC dc, const RECT *rect, COLORREF colorKey) {
    HBRUSH brush = CreateSolidBrush(colorKey);
    if (!brush) return;
    FillRect(dc, rect, brush);
    DeleteObject(brush);
}

}  // namespace

void PaintOsdWindow(HWND window, HDC dc, COLORREF textColor, COLORREF colorKey, const OsdRequest *request) {
    HFONT font = CreateRequestFont(dc, request);
    if (!font) return;
    HGDIOBJ previousFont = SelectObject(dc, font);
    SetTextColor(dc, textColor);
    SetBkColor(dc, colorKey);
    SetBkMode(dc, OPAQUE);

    RECT text = {0, 0, 10, 10};
    DrawTextW(dc, request->text, -1, &text, DT_CALCRECT | DT_NOPREFIX | DT_NOCLIP);
    int offset = ShadowOffset(request->pointSize);
    RECT whole = {0, 0, text.right + offset, text.bottom + offset};
    int at = g_osd.creationPosition;
    SetWindowPos(window, HWND_TOPMOST, at, at, whole.right, whole.bottom, SWP_SHOWWINDOW);
    FillBackground(dc, &whole, colorKey);

    RECT shadow = {text.left + offset, text.top + offset, text.right + offset, text.bottom + offset};
    SetTextColor(dc, request->shadowColor);
    DrawTextW(dc, request->text, -1, &shadow, DRAW_FORMAT);
    SetTextColor(dc, textColor);
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, request->text, -1, &text, DRAW_FORMAT);

    // A font still selected cannot be deleted.
    if (previousFont) SelectObject(dc, previousFont);
    DeleteObject(font);
}
