// The start-up baseline: a program that shows one empty dialog, built from a
// template in memory, and does nothing else until it is closed.
#include <windows.h>

namespace {

// A dialog template with no controls: DLGTEMPLATE, then empty menu, class and
// title arrays, word-aligned as the format requires.
struct EmptyTemplate {
  DLGTEMPLATE dialog;
  WORD menu;
  WORD windowClass;
  wchar_t title[6];
};

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK)) {
    EndDialog(window, 0);
    return TRUE;
  }
  if (message == WM_CLOSE) {
    EndDialog(window, 0);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  EmptyTemplate empty{};
  empty.dialog.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME | DS_CENTER;
  empty.dialog.cx = 295;  // the size of Vellorn's window
  empty.dialog.cy = 234;
  const wchar_t title[] = L"Empty";
  for (int i = 0; i < 6; ++i) empty.title[i] = title[i];
  return static_cast<int>(DialogBoxIndirectParamW(instance, &empty.dialog, nullptr, DialogProc, 0));
}
