#include "tests/support/driver/boxes.h"

#include "tests/support/driver/wait.h"

#include <vector>

namespace e2e {

namespace {

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

// WM_GETTEXT is carried across processes, so the text comes from the control itself.
std::string TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) {
    return {};
  }
  std::vector<char> text(length + 1, '\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, 2000, &copied);
  return std::string(text.data(), copied);
}

BOOL CALLBACK CollectChild(HWND window, LPARAM parameter) {
  reinterpret_cast<std::vector<HWND>*>(parameter)->push_back(window);
  return TRUE;
}

struct BoxSearch {
  DWORD processId;
  HWND except;
  const std::string* caption;
  HWND found;
};

BOOL CALLBACK FindBoxWindow(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<BoxSearch*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || window == search->except || !IsWindowVisible(window) ||
      ClassOf(window) != "#32770") {
    return TRUE;
  }
  if (!search->caption->empty() && TextOf(window) != *search->caption) return TRUE;
  search->found = window;
  return FALSE;
}

// The name field of a file dialog may sit inside a ComboBoxEx32 and its ComboBox.
HWND FirstEditInside(HWND window) {
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (lstrcmpiA(ClassOf(child).c_str(), "Edit") == 0) return child;
    if (const HWND edit = FirstEditInside(child)) return edit;
  }
  return nullptr;
}

}  // namespace

bool Box::HasButton(int id) const {
  for (const BoxButton& button : buttons) {
    if (button.id == id) return true;
  }
  return false;
}

Box ReadBox(HWND window) {
  Box box;
  if (!IsWindow(window)) return box;
  box.window = window;
  box.caption = TextOf(window);
  std::vector<HWND> children;
  EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&children));
  for (HWND child : children) {
    if (GetParent(child) != window) continue;  // controls of embedded child dialogs
    const std::string kind = ClassOf(child);
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    const int id = GetDlgCtrlID(child) & 0xFFFF;
    if (lstrcmpiA(kind.c_str(), "Static") == 0) {
      if ((style & SS_TYPEMASK) == SS_ICON) {
        // Wine's message box keeps a hidden icon control when it shows no icon.
        if ((style & WS_VISIBLE) && SendMessageA(child, STM_GETICON, 0, 0)) box.hasIcon = true;
        continue;
      }
      const std::string text = TextOf(child);
      box.statics.push_back(text);
      if (id == 0xFFFF && box.text.empty()) box.text = text;
    } else if (lstrcmpiA(kind.c_str(), "Button") == 0 && (style & WS_VISIBLE)) {
      const LONG type = style & BS_TYPEMASK;
      if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
        box.buttons.push_back(BoxButton{id, TextOf(child), type == BS_DEFPUSHBUTTON});
      }
    }
  }
  return box;
}

Box FindBox(DWORD processId, HWND except, const std::string& caption) {
  BoxSearch search = {processId, except, &caption, nullptr};
  EnumWindows(FindBoxWindow, reinterpret_cast<LPARAM>(&search));
  return search.found ? ReadBox(search.found) : Box{};
}

Box WaitForBox(DWORD processId, HWND except, const std::string& caption, unsigned timeoutMs) {
  Box box;
  WaitFor([&] { return static_cast<bool>(box = FindBox(processId, except, caption)); }, timeoutMs);
  return box;
}

bool AnswerBox(const Box& box, int buttonId, unsigned timeoutMs) {
  const HWND button = GetDlgItem(box.window, buttonId);
  if (!button) return false;
  PostMessageA(button, BM_CLICK, 0, 0);
  return WaitFor([&] { return !IsWindow(box.window) || !IsWindowVisible(box.window); }, timeoutMs);
}

bool OpenFileInDialog(const Box& dialog, const std::string& path) {
  HWND name = GetDlgItem(dialog.window, 1152);
  if (!name) {
    if (const HWND combo = GetDlgItem(dialog.window, 1148)) {
      name = FirstEditInside(combo);
    }
  }
  if (!name) return false;
  SendMessageTimeoutA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()), SMTO_ABORTIFHUNG,
                      2000, nullptr);
  return AnswerBox(dialog, IDOK);
}

}  // namespace e2e
