// The log panel: the control's text is the log, and it only grows.
#include "app/main_dialog.h"

#include "platform/handles.h"
#include "platform/string.h"

void CMainDialog::AppendOutput(const CString& text) {
  CString log;
  m_output.GetWindowText(log);
  log += text;
  m_output.SetWindowText(log);
  m_output.SendMessage(WM_VSCROLL, SB_BOTTOM, 0);
}

void CMainDialog::ReportSystemError(DWORD code) {
  char* text = nullptr;
  const DWORD length = sys::FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
      nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&text), 0,
      nullptr);
  if (length == 0) return;
  const LocalMemory buffer(text);
  AppendOutput(CString(text));
}
