// The display's scale: pixel sizes are given for 96 DPI (100 %) and shown at
// the DPI of the window's monitor.
#pragma once

#include <windows.h>

// The DPI a window is shown at: its own where the system tells it
// (GetDpiForWindow, reached by name), else the screen's, else 96.
UINT WindowDpi(HWND window);

// `pixels` measured at `from` DPI, measured at `to` DPI, rounded to the nearest.
int ScaleForDpi(int pixels, UINT from, UINT to);

constexpr UINT kDefaultDpi = 96;
