// The main window hosted in a benchmark: the framework started as the program
// starts it, and any box printed instead of waiting for a person.
#pragma once

#include "app/main_dialog.h"
#include "platform/app.h"
#include "tests/support/controls.h"
#include "tests/support/messages.h"
#include "tests/support/modal_answers.h"

#include <cstdio>

namespace bench {

inline int PrintUnexpectedBox(HWND, const char* text, const char* caption, UINT) {
  std::printf("unexpected box: %s / %s\n", text, caption);
  return IDOK;
}

// Creates `dialog`'s window modeless, its first fill included; false (and
// said) when it cannot.
inline bool HostMainWindow(CMainDialog& dialog) {
  static CWinApp application;
  AfxInitCommonControls();
  AfxInitRichEdit();
  modal::Answer().messageBox = &PrintUnexpectedBox;
  if (dialog.Create(nullptr) == nullptr) {
    std::printf("cannot create the main window\n");
    return false;
  }
  support::PumpMessages();
  return true;
}

}  // namespace bench
