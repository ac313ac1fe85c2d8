// CDialog: modal dialogs built from resource templates, and control binding.
#pragma once

#include "platform/command_table.h"
#include "platform/window.h"

#include <windows.h>

class CDataExchange {
 public:
  CDataExchange(CWnd* dialog, BOOL saveAndValidate)
      : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}
  BOOL m_bSaveAndValidate;
  CWnd* m_pDlgWnd;
};

// The owner of a modal window made for `self`: `parent`'s window, or the
// application's main window when there is no parent (null for the main
// window itself).
HWND ModalOwner(const CWnd* parent, const CWnd* self);

// Binds `control` to the dialog's child window `id`.
void DDX_Control(CDataExchange* exchange, int id, CWnd& control);

class CDialog : public CWnd {
 public:
  explicit CDialog(UINT templateId, CWnd* parent = nullptr);
  ~CDialog() override;

  // Creates the window from the template and runs it until it ends (EndDialog)
  // or is destroyed. Gives EndDialog's result, -1 when no window was made.
  // Without a parent, the application's main window owns it; the owner is
  // disabled meanwhile.
  virtual INT_PTR DoModal();
  // DoModal's first step: creates the window from the template, owned by
  // `owner`, and gives it (null when none was made).
  HWND Create(HWND owner = nullptr);
  void EndDialog(int result);
  BOOL UpdateData(BOOL saveAndValidate = TRUE);

  DECLARE_MESSAGE_MAP()

 protected:
  virtual void DoDataExchange(CDataExchange* exchange);
  virtual BOOL OnInitDialog();  // runs DoDataExchange (load direction)
  virtual void OnOK();          // runs DoDataExchange (save direction), then ends with IDOK
  virtual void OnCancel();      // ends with IDCANCEL
  void OnPaint() { Default(); }

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Route(UINT message, WPARAM wParam, LPARAM lParam, const bool& defaultRequested);
  // Gives the input back to the owner that the modal run disabled, if any.
  void EnableOwner();

  UINT m_templateId;
  CWnd* m_parent;
  bool m_ended = false;
  INT_PTR m_result = -1;
  HWND m_disabledOwner = nullptr;
  // A WM_SHOWWINDOW that hides the window came and its hide has not yet.
  bool m_hideAnnounced = false;
};
