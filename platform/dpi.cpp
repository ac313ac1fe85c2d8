// The display's scale.
#include "platform/dpi.h"

#include "platform/entry_point.h"
#include "platform/handles.h"
#include "platform/system.h"

namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND window);

}  // namespace

UINT WindowDpi(HWND window) {
  // Known per window since Windows 10 (1607); before, every window has the
  // screen's DPI.
  if (const HMODULE user = sys::GetModuleHandleA("USER32.DLL")) {
    const auto dpiForWindow = EntryPoint<GetDpiForWindowFunction>(user, "GetDpiForWindow");
    if (dpiForWindow != nullptr) {
      const UINT dpi = dpiForWindow(window);
      if (dpi != 0) return dpi;
    }
  }
  const ScreenDc screen(sys::GetDC(nullptr));
  if (!screen) return kDefaultDpi;
  const int dpi = sys::GetDeviceCaps(screen.get(), LOGPIXELSX);
  return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

int ScaleForDpi(int pixels, UINT from, UINT to) {
  // MulDiv rounds to the nearest, in 64 bits.
  return from == 0 ? pixels : ::MulDiv(pixels, static_cast<int>(to), static_cast<int>(from));
}
