// CDialog: modal dialogs, their messages' way to the handlers, and control binding.
#include "platform/dialog.h"

#include "platform/app.h"
#include "platform/command_table.h"

#include <cstring>
#include <utility>

void DDX_Control(CDataExchange* exchange, int id, CWnd& control) {
  // Bound once; later exchanges find the control already bound.
  if (control.m_hWnd == nullptr) control.Attach(exchange->m_pDlgWnd->GetDlgItem(id));
}

HWND ModalOwner(const CWnd* parent, const CWnd* self) {
  if (parent != nullptr) return parent->m_hWnd;
  // A dialog or box without a parent belongs to the main window, as in any
  // program: it stays on top of it and the main window takes no input
  // meanwhile.
  const CWnd* main = AfxGetMainWnd();
  if (main == nullptr || main == self) return nullptr;
  return ::IsWindow(main->m_hWnd) ? main->m_hWnd : nullptr;
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
END_MESSAGE_MAP()

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_parent(parent) {}

CDialog::~CDialog() {
  if (m_hWnd != nullptr && ::IsWindow(m_hWnd)) {
    // The object is going: no message may reach it while the window goes.
    ::SetWindowLongPtrA(m_hWnd, DWLP_USER, 0);
    ::DestroyWindow(m_hWnd);
  }
  m_hWnd = nullptr;
}

INT_PTR CDialog::DoModal() {
  const HWND owner = ModalOwner(m_parent, this);
  m_result = -1;
  const HWND hwnd = Create(owner);
  if (hwnd == nullptr) return -1;
  // A modal dialog is shown whether or not its template says visible.
  if (!m_ended && ::IsWindow(hwnd) && !::IsWindowVisible(hwnd)) ::ShowWindow(hwnd, SW_SHOW);

  const bool disableOwner = owner != nullptr && ::IsWindowEnabled(owner);
  if (disableOwner) {
    ::EnableWindow(owner, FALSE);
    m_disabledOwner = owner;
  }

  // The modal run ends when the dialog ends itself or its window is destroyed.
  MSG message;
  while (!m_ended && ::IsWindow(hwnd)) {
    const BOOL got = ::GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) {
      ::PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (got == -1) break;
    if (!::IsDialogMessageA(hwnd, &message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
    }
  }

  EnableOwner();
  if (disableOwner) ::SetActiveWindow(owner);
  if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
  return m_result;
}

void CDialog::EnableOwner() {
  // Hiding or destroying the active window while its owner is disabled makes
  // Windows activate another program's window: the owner comes back first.
  if (m_disabledOwner != nullptr) ::EnableWindow(std::exchange(m_disabledOwner, nullptr), TRUE);
}

HWND CDialog::Create(HWND owner) {
  m_ended = false;
  return ::CreateDialogParamA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(m_templateId), owner,
                              &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

void CDialog::EndDialog(int result) {
  m_result = result;
  m_ended = true;
  EnableOwner();
  if (m_hWnd != nullptr) {
    ::ShowWindow(m_hWnd, SW_HIDE);
    // Wakes the modal run so that it sees the end.
    ::PostMessageA(m_hWnd, WM_NULL, 0, 0);
  }
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
  CDataExchange exchange(this, saveAndValidate);
  DoDataExchange(&exchange);
  return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() {
  EndDialog(IDCANCEL);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CDialog* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<CDialog*>(lParam);
    ::SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
    self->m_hWnd = hwnd;
  } else {
    self = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
  }
  // Messages before WM_INITDIALOG (WM_SETFONT) take default handling.
  if (self == nullptr) return FALSE;
  // The owner takes input again before the dialog hides only when the dialog
  // is going: EndDialog enables it itself, and DestroyWindow hides a window
  // with no WM_SHOWWINDOW first. Any other hide announces itself (ShowWindow,
  // or SW_PARENTCLOSING when the owner is minimised) while the modal run goes
  // on, and the owner stays disabled.
  if (message == WM_SHOWWINDOW) self->m_hideAnnounced = wParam == FALSE;
  if (message == WM_WINDOWPOSCHANGING && !std::exchange(self->m_hideAnnounced, false) &&
      (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_HIDEWINDOW) != 0) {
    self->EnableOwner();
  }

  const INT_PTR result = self->Dispatch(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrA(hwnd, DWLP_USER, 0);
    self->m_hWnd = nullptr;
  }
  return result;
}

INT_PTR CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  // Each dispatch has its own flag: a handler that runs a modal loop (a box,
  // a menu, another dialog) dispatches other messages to this window inside.
  bool defaultRequested = false;
  bool* const outer = std::exchange(m_defaultRequested, &defaultRequested);
  const INT_PTR result = Route(message, wParam, lParam, defaultRequested);
  m_defaultRequested = outer;
  return result;
}

INT_PTR CDialog::Route(UINT message, WPARAM wParam, LPARAM lParam, const bool& defaultRequested) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog();

    case WM_COMMAND: {
      const UINT id = LOWORD(wParam);
      const UINT code = HIWORD(wParam);
      if (const MessageMapEntry* entry = FindEntry(WM_COMMAND, code, id)) {
        entry->invoke(this, wParam, lParam);
        return defaultRequested ? FALSE : TRUE;
      }
      // Commands the window does not take go on to the application's table.
      if (CWinApp* app = AfxGetApp()) {
        if (const MessageMapEntry* entry = app->FindEntry(WM_COMMAND, code, id)) {
          entry->invoke(app, wParam, lParam);
          return TRUE;
        }
      }
      if (id == IDOK) {
        OnOK();
        return TRUE;
      }
      if (id == IDCANCEL) {
        OnCancel();
        return TRUE;
      }
      return FALSE;
    }

    case WM_NOTIFY: {
      // Copied, not read in place: a list's key notification (packed, as the
      // headers declare it) may come at an address its fields are not aligned to.
      NMHDR header;
      std::memcpy(&header, reinterpret_cast<const void*>(lParam), sizeof(header));
      const MessageMapEntry* entry =
          FindEntry(WM_NOTIFY, header.code, static_cast<UINT>(header.idFrom));
      if (entry == nullptr) return FALSE;
      const LRESULT result = entry->invoke(this, wParam, lParam);
      if (defaultRequested) return FALSE;
      ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
      return TRUE;
    }

    default: {
      const MessageMapEntry* entry = FindEntry(message, 0, 0);
      if (entry == nullptr) return FALSE;
      const LRESULT result = entry->invoke(this, wParam, lParam);
      if (defaultRequested) return FALSE;
      // These few answer through the dialog procedure's own result.
      if (message == WM_QUERYDRAGICON) return static_cast<INT_PTR>(result);
      return TRUE;
    }
  }
}
