// Message boxes, the About box and the file-open dialog of the program: all
// are "#32770" windows owned by its process, read and answered from outside.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

struct BoxButton {
  int id = 0;              // IDOK, IDYES, IDNO, IDCANCEL...
  std::string text;        // "OK", "&Yes"...
  bool isDefault = false;  // BS_DEFPUSHBUTTON: what Enter presses
};

// What the user sees of a dialog box.
struct Box {
  HWND window = nullptr;
  std::string caption;               // window title
  std::string text;                  // the message: static control 0xFFFF (empty if none)
  bool hasIcon = false;              // a visible SS_ICON static holding an icon
  std::vector<BoxButton> buttons;    // visible push buttons, in window order
  std::vector<std::string> statics;  // every static control's text, in window order

  explicit operator bool() const { return window != nullptr; }
  bool HasButton(int id) const;
};

// Reads a dialog box window.
Box ReadBox(HWND window);

// The first visible top-level "#32770" window of processId other than `except`
// (the main window), or a null Box. With caption non-empty, only one with that title.
Box FindBox(DWORD processId, HWND except, const std::string& caption = {});
Box WaitForBox(DWORD processId, HWND except, const std::string& caption = {},
               unsigned timeoutMs = 10000);

// Answers the box by posting BM_CLICK to its button id (as a click does), and
// waits until the box is gone. False if the button is missing or the box stays.
bool AnswerBox(const Box& box, int buttonId, unsigned timeoutMs = 10000);

// The file-open dialog: types path into the name field (control 1152, or the
// edit inside combo box 1148, a ComboBoxEx32 on Wine) and presses Open (IDOK). False if no name
// field.
bool OpenFileInDialog(const Box& dialog, const std::string& path);

}  // namespace e2e
