// Runs every message waiting for this thread, then returns: what a window's
// own message loop would have done between two steps of a test or benchmark.
#pragma once

#include <windows.h>

namespace support {

inline void PumpMessages() {
  MSG message;
  while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
}

}  // namespace support
