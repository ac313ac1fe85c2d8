// CFileDialog: the common file-open dialog.
#pragma once

#include "platform/string.h"
#include "platform/window.h"

#include <windows.h>

#include <commdlg.h>

#include <string>

// The common file-open dialog. The filter uses '|' between its parts and
// ends with "||". Without a parent, the application's main window owns it.
// The program opens files only: the first argument (open or save) is kept for
// the usual signature and always taken as open.
class CFileDialog {
 public:
  CFileDialog(BOOL open, const char* defaultExtension, const char* fileName, DWORD flags,
              const char* filter, CWnd* parent = nullptr);
  INT_PTR DoModal();  // IDOK or IDCANCEL
  CString GetPathName() const;

 private:
  // A path of MAX_PATH characters in any ANSI code page: UTF-8 takes up to
  // three bytes for each UTF-16 unit.
  static constexpr size_t kMaxPathBytes = MAX_PATH * 3;

  OPENFILENAMEA m_request{};
  std::string m_filter;
  std::string m_defaultExtension;
  char m_file[kMaxPathBytes] = {};
};
