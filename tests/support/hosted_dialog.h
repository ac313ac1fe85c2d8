// Hosts the main window modeless inside a test process.
//
// HostedDialog creates CMainDialog from its template (the initialisation and
// the first fill run inside the constructor), pumps its messages, answers its
// message boxes and popup menus through modal::Answer() instead of a person, and
// destroys it again. What the window asked is kept in Answered(): each box
// with its text, caption and type, each popup menu with its flags, position
// and owner, and the number of cursor reads.
//
//   HostedDialog host;                      // window up, first fill done
//   host->RefreshProcessList();
//   EXPECT_EQ(host.List().GetItemCount(), rows);
//   EXPECT_EQ(host.Answered().boxes.size(), 0u);
//
// WindowMessages counts the messages that reach one window (by subclassing
// it), e.g. WM_SETTEXT and WM_VSCROLL of the log panel.
#pragma once

#include "app/main_dialog.h"
#include "platform/app.h"
#include "platform/list_ctrl.h"
#include "platform/window.h"
#include "process/process_list.h"
#include "tests/support/controls.h"
#include "tests/support/messages.h"
#include "tests/support/modal_answers.h"

#include <map>
#include <ostream>
#include <memory>
#include <string>
#include <vector>

namespace hosted {

struct ShownBox {
  HWND owner;
  std::string text;
  std::string caption;
  UINT type;
};

struct TrackedPopup {
  HMENU popup;
  UINT flags;
  int x;
  int y;
  HWND owner;
  bool wasMenu;   // IsMenu(popup) while it was shown
  int itemCount;  // items of the popup while it was shown
};

struct Answers {
  std::vector<ShownBox> boxes;
  int boxAnswer = IDOK;  // what every box answers
  std::vector<TrackedPopup> popups;
  int popupAnswer = 0;  // the command picked from every popup; 0 dismisses
  POINT cursor{123, 45};
  int cursorReads = 0;
};

inline Answers& Answered() {
  static Answers answers;
  return answers;
}

inline int AnswerBox(HWND owner, const char* text, const char* caption, UINT type) {
  Answered().boxes.push_back({owner, text ? text : "", caption ? caption : "", type});
  return Answered().boxAnswer;
}

inline int AnswerPopup(HMENU popup, UINT flags, int x, int y, HWND owner) {
  const bool wasMenu = ::IsMenu(popup) != FALSE;
  Answered().popups.push_back(
      {popup, flags, x, y, owner, wasMenu, wasMenu ? ::GetMenuItemCount(popup) : -1});
  return Answered().popupAnswer;
}

inline BOOL AnswerCursor(POINT* point) {
  ++Answered().cursorReads;
  *point = Answered().cursor;
  return TRUE;
}

// The framework's start-up, once per test process: the application object
// (the window loads its icon through it), the common controls, the rich-edit
// library.
inline CWinApp& Application() {
  static CWinApp* application = [] {
    static CWinApp app;
    AfxInitCommonControls();
    AfxInitRichEdit();
    return &app;
  }();
  return *application;
}

class HostedDialog {
 public:
  HostedDialog() {
    Application();
    Answered() = Answers();
    modal::Answer().messageBox = &AnswerBox;
    modal::Answer().trackPopupMenu = &AnswerPopup;
    modal::Answer().getCursorPos = &AnswerCursor;
    // A new window stands for a new program, whose first fill starts at row 0.
    g_nextRow = 0;
    m_dialog = std::make_unique<CMainDialog>(nullptr);
    m_created = m_dialog->Create(nullptr) != nullptr;
    if (m_created) m_list.Bind(*m_dialog);
    support::PumpMessages();
  }
  ~HostedDialog() {
    Destroy();
    modal::Answer() = modal::Answers();
  }
  HostedDialog(const HostedDialog&) = delete;
  HostedDialog& operator=(const HostedDialog&) = delete;

  bool Created() const { return m_created && m_dialog && ::IsWindow(m_dialog->m_hWnd); }
  CMainDialog* operator->() { return m_dialog.get(); }
  CMainDialog& Dialog() { return *m_dialog; }
  HWND Window() const { return m_dialog ? m_dialog->m_hWnd : nullptr; }
  Answers& Answered() { return hosted::Answered(); }
  support::ProcessListView& List() { return m_list; }
  std::string Log() const { return support::LogText(*m_dialog); }

  // Sends a command as the menu bar does (notification code 0).
  void Command(UINT id) {
    ::SendMessageA(Window(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
    support::PumpMessages();
  }

  // Destroys the window and the object (the window's teardown runs).
  void Destroy() {
    if (!m_dialog) return;
    if (m_dialog->m_hWnd) m_dialog->DestroyWindow();
    m_dialog.reset();
    support::PumpMessages();
  }

 private:
  std::unique_ptr<CMainDialog> m_dialog;
  bool m_created = false;
  support::ProcessListView m_list;
};

// The rows of the list as texts: {column 0, column 1, column 2} per row.
struct RowTexts {
  std::string id;
  std::string name;
  std::string threads;
  bool operator==(const RowTexts& other) const {
    return id == other.id && name == other.name && threads == other.threads;
  }
  friend std::ostream& operator<<(std::ostream& out, const RowTexts& row) {
    return out << "{\"" << row.id << "\", \"" << row.name << "\", \"" << row.threads << "\"}";
  }
};

inline std::vector<RowTexts> Rows(CListCtrl& list) {
  std::vector<RowTexts> rows;
  for (int row = 0; row < list.GetItemCount(); ++row) {
    rows.push_back({list.GetItemText(row, 0).str(), list.GetItemText(row, 1).str(),
                    list.GetItemText(row, 2).str()});
  }
  return rows;
}

// Whether the list shows a bulk change that just ended and goes on showing
// later ones: a repaint is pending, and once it is made, a new row asks for
// another. A list left with its redraw suspended does neither. Empty when it
// does; else what is wrong. Leaves the list as it found it.
inline std::string ListRepaints(CListCtrl& list) {
  if (!::GetUpdateRect(list.m_hWnd, nullptr, FALSE)) return "no repaint after the change";
  ::UpdateWindow(list.m_hWnd);
  if (::GetUpdateRect(list.m_hWnd, nullptr, FALSE)) return "the repaint left a part unpainted";
  list.InsertItem(0, "new");
  const bool asked = ::GetUpdateRect(list.m_hWnd, nullptr, FALSE) != FALSE;
  list.DeleteItem(0);
  ::UpdateWindow(list.m_hWnd);
  return asked ? "" : "a new row asked for no repaint";
}

using support::WindowText;

// Counts the messages that reach `window` while the object lives; records
// the wParam of each as well.
class WindowMessages {
 public:
  explicit WindowMessages(HWND window) : m_window(window) {
    ::SetPropA(m_window, kProperty, this);
    m_previous = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
        m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowMessages::Procedure)));
  }
  ~WindowMessages() {
    if (::IsWindow(m_window)) {
      ::SetWindowLongPtrA(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previous));
      ::RemovePropA(m_window, kProperty);
    }
  }
  WindowMessages(const WindowMessages&) = delete;
  WindowMessages& operator=(const WindowMessages&) = delete;

  int Count(UINT message) const {
    const auto found = m_seen.find(message);
    return found == m_seen.end() ? 0 : static_cast<int>(found->second.size());
  }
  const std::vector<WPARAM>& WParams(UINT message) { return m_seen[message]; }
  void Clear() { m_seen.clear(); }

 private:
  static constexpr const char* kProperty = "hosted.WindowMessages";

  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<WindowMessages*>(::GetPropA(window, kProperty));
    self->m_seen[message].push_back(wParam);
    return ::CallWindowProcA(self->m_previous, window, message, wParam, lParam);
  }

  HWND m_window;
  WNDPROC m_previous = nullptr;
  std::map<UINT, std::vector<WPARAM>> m_seen;
};

}  // namespace hosted
