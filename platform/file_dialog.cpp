// CFileDialog: the common file-open dialog.
#include "platform/file_dialog.h"

#include "platform/app.h"
#include "platform/dialog.h"
#include "platform/system.h"

#include <cstring>

CFileDialog::CFileDialog(BOOL, const char* defaultExtension, const char* fileName, DWORD flags,
                         const char* filter, CWnd* parent)
    : m_filter(filter ? filter : ""), m_defaultExtension(defaultExtension ? defaultExtension : "") {
  // The dialog wants its filter parts separated by zero bytes.
  for (char& c : m_filter) {
    if (c == '|') c = '\0';
  }
  if (fileName) {
    std::strncpy(m_file, fileName, sizeof(m_file) - 1);
    m_file[sizeof(m_file) - 1] = '\0';
  }
  m_request.lStructSize = sizeof(m_request);
  // The dialog disables its owner while it is open.
  m_request.hwndOwner = ModalOwner(parent, nullptr);
  m_request.hInstance = AfxGetInstanceHandle();
  m_request.lpstrFilter = m_filter.empty() ? nullptr : m_filter.c_str();
  m_request.nFilterIndex = 1;
  m_request.lpstrFile = m_file;
  m_request.nMaxFile = sizeof(m_file);
  m_request.lpstrDefExt = m_defaultExtension.empty() ? nullptr : m_defaultExtension.c_str();
  m_request.Flags = flags | OFN_EXPLORER | OFN_ENABLESIZING;
}

INT_PTR CFileDialog::DoModal() {
  return sys::GetOpenFileNameA(&m_request) ? IDOK : IDCANCEL;
}

CString CFileDialog::GetPathName() const {
  return CString(m_file);
}
