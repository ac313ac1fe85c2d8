// CWnd and the helpers every window uses.
#include "platform/window.h"

#include "platform/system.h"

#include <string>

HWND CWnd::GetDlgItem(int id) const {
  return ::GetDlgItem(m_hWnd, id);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
  return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

void CWnd::GetWindowText(CString& text) const {
  const int length = ::GetWindowTextLengthA(m_hWnd);
  std::string buffer(static_cast<size_t>(length) + 1, '\0');
  const int copied = ::GetWindowTextA(m_hWnd, &buffer[0], length + 1);
  buffer.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  text = CString(buffer);
}

void CWnd::SetWindowText(const char* text) {
  ::SetWindowTextA(m_hWnd, text);
}

int CWnd::MessageBox(const char* text, const char* caption, UINT type) const {
  const CString shownCaption = caption ? CString(caption) : ui::ProgramName();
  return sys::MessageBoxA(m_hWnd, text, shownCaption, type);
}

HMENU CWnd::GetSystemMenu(BOOL revert) const {
  return ::GetSystemMenu(m_hWnd, revert);
}

HICON CWnd::SetIcon(HICON icon, BOOL big) {
  return reinterpret_cast<HICON>(
      SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
}

BOOL CWnd::IsIconic() const {
  return ::IsIconic(m_hWnd);
}

void CWnd::GetClientRect(RECT* rect) const {
  ::GetClientRect(m_hWnd, rect);
}

void CWnd::ClientToScreen(POINT* point) const {
  ::ClientToScreen(m_hWnd, point);
}

BOOL CWnd::DestroyWindow() {
  if (m_hWnd == nullptr) return FALSE;
  const BOOL destroyed = ::DestroyWindow(m_hWnd);
  if (destroyed) m_hWnd = nullptr;
  return destroyed;
}

void CWnd::SetRedraw(BOOL redraw) {
  SendMessage(WM_SETREDRAW, static_cast<WPARAM>(redraw));
}

void CWnd::Invalidate(BOOL erase) {
  ::InvalidateRect(m_hWnd, nullptr, erase);
}

namespace ui {

int SystemMetric(int index) {
  return ::GetSystemMetrics(index);
}

POINT CursorPos() {
  POINT point{};
  sys::GetCursorPos(&point);
  return point;
}

CString ProgramName() {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  const char* name = path;
  for (const char* c = path; *c; ++c) {
    if (*c == '\\' || *c == '/') name = c + 1;
  }
  CString result(name);
  const std::string& text = result.str();
  const size_t dot = text.rfind('.');
  return dot == std::string::npos ? result : CString(text.substr(0, dot));
}

}  // namespace ui
