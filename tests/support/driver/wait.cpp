#include "tests/support/driver/wait.h"

#include <windows.h>

namespace e2e {

bool WaitFor(const std::function<bool()>& done, unsigned timeoutMs, unsigned pollMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    if (done()) return true;
    if (GetTickCount64() >= deadline) return false;
    Sleep(pollMs);
  }
}

void Pause(unsigned ms) {
  Sleep(ms);
}

}  // namespace e2e
