// Measuring and drawing the items of the browser's owner-drawn list.
#pragma once
#include <windows.h>

#include "browser/resource_tree.h"

namespace zenk::browser {

// The list's item height for the dialog: "MS Sans Serif" at height -12,
// weight 100, swiss family; height plus external leading, at least 17.
int MeasureItemHeight(HWND dialog);
// Height plus external leading of `font` on the dialog's device context, or
// 0 when it cannot be measured.
int FontLineHeight(HWND dialog, HFONT font);

// A text item ("Working...", "Network Error"): highlight colours.
void DrawTextItem(const DRAWITEMSTRUCT& item, const char* text);
// A node: picture and name at the node's indentation; focus rectangle.
void DrawNodeItem(const DRAWITEMSTRUCT& item, const ResourceNode& node);

}  // namespace zenk::browser
