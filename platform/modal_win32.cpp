// The real modal calls: each forwards to the Win32 call of the same name.
// Linked into vellorn.exe; the tests that host windows answer these instead.
#include "platform/system.h"

namespace sys {

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  return ::MessageBoxA(owner, text, caption, type);
}
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner,
                    const RECT* rect) {
  return ::TrackPopupMenu(menu, flags, x, y, reserved, owner, rect);
}
BOOL GetOpenFileNameA(LPOPENFILENAMEA request) {
  return ::GetOpenFileNameA(request);
}
BOOL GetCursorPos(LPPOINT point) {
  return ::GetCursorPos(point);
}

}  // namespace sys
