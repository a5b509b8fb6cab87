// The drawing resources every browser dialog of the process shares: the five
// pictures (bitmaps 800 to 804) and one memory device context to draw them
// from. A process-wide count of open dialogs, changed only by interlocked
// increment and decrement, decides when the set is released.
//
// Dialogs may run on several threads at once, so making, using and deleting
// the set happen under one small lock: two dialogs opening together make
// one set, and two dialogs drawing together never share the memory device
// context's selection.
#pragma once
#include <windows.h>

#include "browser/outline.h"

namespace zenk::browser {

class SharedPictures {
public:
    // Makes the set if there is none yet (on a dialog's first measurement).
    static void Ensure(HWND dialog);
    // A dialog opens: counts it and makes the set if needed.
    static void Acquire(HWND dialog);
    // A dialog that was counted closes: the last one deletes the set.
    static void Release();
    // Deletes the set when no dialog is counted (a dialog that failed to open).
    static void DropIfUnused();
    // Copies the picture to (x, y) of target; false when there is no set.
    static bool Draw(HDC target, int x, int y, Picture picture);
};

}  // namespace zenk::browser
