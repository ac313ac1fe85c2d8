// CFileDialog: the common file-open dialog.
#include "platform/window.h"

#include <cstring>

namespace {

using FileDialogFunction = BOOL(WINAPI*)(OPENFILENAMEA* request);

// The common dialogs are loaded on first use: linked, they would cost every
// start-up their load (about 6 ms under Wine) for a dialog few runs open.
FileDialogFunction CommonDialog(const char* name) {
  struct Library {
    HMODULE module = ::LoadLibraryA("COMDLG32.DLL");
    Library() = default;
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    ~Library() {
      if (module != nullptr) ::FreeLibrary(module);
    }
  };
  static const Library library;
  if (library.module == nullptr) return nullptr;
  return reinterpret_cast<FileDialogFunction>(
      reinterpret_cast<void*>(::GetProcAddress(library.module, name)));
}

}  // namespace

CFileDialog::CFileDialog(BOOL open, const char* defaultExtension, const char* fileName, DWORD flags,
                         const char* filter, CWnd* parent)
    : m_filter(filter ? filter : ""),
      m_defaultExtension(defaultExtension ? defaultExtension : ""),
      m_open(open) {
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
  BOOL chosen = FALSE;
  if (ui::Modal().getOpenFileName) {
    chosen = ui::Modal().getOpenFileName(&m_request);
  } else {
    const FileDialogFunction show = CommonDialog(m_open ? "GetOpenFileNameA" : "GetSaveFileNameA");
    chosen = show != nullptr && show(&m_request);
  }
  return chosen ? IDOK : IDCANCEL;
}

CString CFileDialog::GetPathName() const {
  return CString(m_file);
}
