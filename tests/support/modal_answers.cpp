// The modal calls of the system seam, answered by the test when it says so.
#include "tests/support/modal_answers.h"

#include "platform/system.h"

namespace modal {

Answers& Answer() {
  static Answers answers;
  return answers;
}

}  // namespace modal

namespace sys {

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  if (modal::Answer().messageBox) return modal::Answer().messageBox(owner, text, caption, type);
  return ::MessageBoxA(owner, text, caption, type);
}
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner,
                    const RECT* rect) {
  if (modal::Answer().trackPopupMenu) {
    return modal::Answer().trackPopupMenu(menu, flags, x, y, owner);
  }
  return ::TrackPopupMenu(menu, flags, x, y, reserved, owner, rect);
}
BOOL GetOpenFileNameA(LPOPENFILENAMEA request) {
  if (modal::Answer().getOpenFileName) return modal::Answer().getOpenFileName(request);
  return ::GetOpenFileNameA(request);
}
BOOL GetCursorPos(LPPOINT point) {
  if (modal::Answer().getCursorPos) return modal::Answer().getCursorPos(point);
  return ::GetCursorPos(point);
}

}  // namespace sys
