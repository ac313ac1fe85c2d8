// The program's entry point: the application object's start-up is the program.
#include "platform/app.h"
#include "platform/system_libraries.h"

namespace {

#if defined(__GNUC__)
// Before every other constructor, the run-time library's own among them (its
// stack-protector set-up loads the crypto provider): from here on, libraries
// come from the system folder only.
__attribute__((constructor(101))) void RestrictLibrarySearchFirst() {
  RestrictLibrarySearch();
}
constexpr bool kRestrictedBeforeMain = true;
#else
constexpr bool kRestrictedBeforeMain = false;
#endif

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (!kRestrictedBeforeMain) RestrictLibrarySearch();
  CWinApp* app = AfxGetApp();
  if (app == nullptr) return 1;
  app->InitInstance();
  return 0;
}
