// CWnd: a window the program handles, and the helpers every window uses.
#pragma once

#include "platform/command_table.h"
#include "platform/string.h"

#include <windows.h>

namespace ui {
int SystemMetric(int index);
// The cursor's position in screen coordinates.
POINT CursorPos();
// The program's file name without folder and extension: the caption of a
// message box that gives none of its own.
CString ProgramName();
}  // namespace ui

// A window the program handles: the main window, a dialog, a control.
class CWnd : public CCmdTarget {
 public:
  CWnd() = default;
  ~CWnd() override = default;  // a bound control goes with its dialog
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND m_hWnd = nullptr;
  void Attach(HWND hwnd) { m_hWnd = hwnd; }

  HWND GetDlgItem(int id) const;
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  void GetWindowText(CString& text) const;
  void SetWindowText(const char* text);
  // A modal message box owned by this window. A null caption shows the
  // program's name.
  int MessageBox(const char* text, const char* caption = nullptr, UINT type = MB_OK) const;
  // The list's tips come from the dialog's own tooltip control; the call is
  // kept as the program's start-up makes it and does nothing more.
  BOOL EnableToolTips(BOOL = TRUE) { return FALSE; }
  HMENU GetSystemMenu(BOOL revert) const;
  HICON SetIcon(HICON icon, BOOL big);
  BOOL IsIconic() const;
  void GetClientRect(RECT* rect) const;
  void ClientToScreen(POINT* point) const;
  BOOL DestroyWindow();
  // WM_SETREDRAW: while off, the window neither repaints nor recomputes its
  // layout after each change.
  void SetRedraw(BOOL redraw = TRUE);
  // The whole client area is repainted at the next paint.
  void Invalidate(BOOL erase = TRUE);

  // Inside a handler: let the window's default processing run as well. It
  // answers the message being handled, not one that a nested modal loop
  // dispatches meanwhile.
  void Default() {
    if (m_defaultRequested != nullptr) *m_defaultRequested = true;
  }

 protected:
  // The flag of the dispatch in progress on this window; null between them.
  bool* m_defaultRequested = nullptr;
};

// Suspends a window's redraw for one bulk change; when it goes, redraw is back
// on and the window repaints once, whichever way the scope is left.
class CRedrawSuspension {
 public:
  explicit CRedrawSuspension(CWnd& window) : m_window(window) { m_window.SetRedraw(FALSE); }
  ~CRedrawSuspension() {
    m_window.SetRedraw(TRUE);
    m_window.Invalidate();
  }
  CRedrawSuspension(const CRedrawSuspension&) = delete;
  CRedrawSuspension& operator=(const CRedrawSuspension&) = delete;

 private:
  CWnd& m_window;
};
