#include "browser/item_painter.h"

#include <cstring>

#include "browser/outline.h"
#include "browser/shared_pictures.h"

namespace zenk::browser {
namespace {

// Fills the item rectangle with `color` (a solid brush, null pen).
void Fill(HDC dc, const RECT& rect, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    if (!brush) return;
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    // With the null pen a rectangle leaves its right and bottom edge out.
    Rectangle(dc, rect.left, rect.top, rect.right + 1, rect.bottom + 1);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(brush);
}

// Draws text at (x, top), clipped to the item rectangle, in the given
// colours; restores the device context's colours.
void Text(const DRAWITEMSTRUCT& item, int x, const char* text, COLORREF fore, COLORREF back) {
    COLORREF oldFore = SetTextColor(item.hDC, fore);
    COLORREF oldBack = SetBkColor(item.hDC, back);
    ExtTextOutA(item.hDC, x, item.rcItem.top, ETO_CLIPPED, &item.rcItem, text,
                static_cast<UINT>(std::strlen(text)), nullptr);
    SetTextColor(item.hDC, oldFore);
    SetBkColor(item.hDC, oldBack);
}

}  // namespace

int FontLineHeight(HWND dialog, HFONT font) {
    if (!font) return 0;
    HDC dc = GetDC(dialog);
    if (!dc) return 0;
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA metrics;
    int height = GetTextMetricsA(dc, &metrics) ? metrics.tmHeight + metrics.tmExternalLeading : 0;
    SelectObject(dc, old);
    ReleaseDC(dialog, dc);
    return height;
}

int MeasureItemHeight(HWND dialog) {
    HFONT font = CreateFontA(-12, 0, 0, 0, 100, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             FF_SWISS | DEFAULT_PITCH, "MS Sans Serif");
    int height = FontLineHeight(dialog, font);
    if (font) DeleteObject(font);
    return height > kMinimumItemHeight ? height : kMinimumItemHeight;
}

void DrawTextItem(const DRAWITEMSTRUCT& item, const char* text) {
    COLORREF back = GetSysColor(COLOR_HIGHLIGHT);
    Fill(item.hDC, item.rcItem, back);
    Text(item, item.rcItem.left + 1, text, GetSysColor(COLOR_HIGHLIGHTTEXT), back);
}

void DrawNodeItem(const DRAWITEMSTRUCT& item, const ResourceNode& node) {
    ItemStyle style = StyleOf(node);
    if (item.itemAction & (ODA_DRAWENTIRE | ODA_SELECT)) {
        bool selected = (item.itemState & ODS_SELECTED) != 0;
        COLORREF back = GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
        COLORREF fore = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
        Fill(item.hDC, item.rcItem, back);
        int x = item.rcItem.left + style.indent;
        SharedPictures::Draw(item.hDC, x, item.rcItem.top, style.picture);
        Text(item, x + kNameGap, DisplayName(node), fore, back);
    }
    if (item.itemAction & ODA_FOCUS) DrawFocusRect(item.hDC, &item.rcItem);
}

}  // namespace zenk::browser
