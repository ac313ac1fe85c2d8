// The real modal calls: each forwards to the Win32 call of the same name.
// Linked into vellorn.exe; the tests that host windows answer these instead.
#include "platform/system.h"

namespace {

// The common dialogs are loaded on first use: linked, they would cost every
// start-up their load (about 6 ms under Wine) for a dialog few runs open.
FARPROC CommonDialog(const char* name) {
  struct Library {
    HMODULE module = ::LoadLibraryA("COMDLG32.DLL");
    Library() = default;
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    ~Library() {
      if (module != nullptr) ::FreeLibrary(module);
    }
  };
  static const Library library;
  return library.module != nullptr ? ::GetProcAddress(library.module, name) : nullptr;
}

}  // namespace

namespace sys {

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  return ::MessageBoxA(owner, text, caption, type);
}
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner,
                    const RECT* rect) {
  return ::TrackPopupMenu(menu, flags, x, y, reserved, owner, rect);
}
BOOL GetOpenFileNameA(LPOPENFILENAMEA request) {
  using Show = BOOL(WINAPI*)(LPOPENFILENAMEA);
  const auto show =
      reinterpret_cast<Show>(reinterpret_cast<void*>(CommonDialog("GetOpenFileNameA")));
  return show != nullptr && show(request);
}
BOOL GetCursorPos(LPPOINT point) {
  return ::GetCursorPos(point);
}

}  // namespace sys
