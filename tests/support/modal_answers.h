// The modal calls of the system seam, for tests that host real windows: a
// test answers a message box, a popup menu, the file-open dialog or the
// pointer's position instead of a person; a null answer makes the real call.
#pragma once

#include <windows.h>

#include <commdlg.h>

namespace modal {

struct Answers {
  int (*messageBox)(HWND owner, const char* text, const char* caption, UINT type) = nullptr;
  int (*trackPopupMenu)(HMENU popup, UINT flags, int x, int y, HWND owner) = nullptr;
  BOOL (*getOpenFileName)(OPENFILENAMEA* request) = nullptr;
  BOOL (*getCursorPos)(POINT* point) = nullptr;
};

// The answers in force; `Answer() = Answers{}` makes every call real again.
Answers& Answer();

}  // namespace modal
