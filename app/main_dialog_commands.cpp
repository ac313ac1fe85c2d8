// The main window's commands: the selection, the context menu, Exit, About.
#include "app/about_box.h"
#include "app/main_dialog.h"

#include "platform/menu.h"
#include "platform/window.h"
#include "resources/resource.h"

int CMainDialog::SelectedRow() const {
  return m_processList.GetNextItem(-1, LVNI_SELECTED);
}

void CMainDialog::ShowNoSelectionMessage() const {
  MessageBox("You must first select a process from the list.", nullptr, MB_ICONEXCLAMATION);
}

void CMainDialog::OnListRightClick(NMHDR*, LRESULT* result) {
  *result = 0;
  if (SelectedRow() == -1) return;

  const POINT cursor = ui::CursorPos();

  CMenu menu;
  menu.LoadMenu(IDR_CONTEXT_MENU);
  CMenu popup = menu.GetSubMenu(0);
  const int command = popup.GetSafeHmenu() ? popup.TrackPopupMenu(TPM_NONOTIFY | TPM_RETURNCMD,
                                                                  cursor.x, cursor.y, this)
                                           : 0;
  switch (command) {
    case ID_CONTEXT_DUMP:
      OnCreateMiniDump();
      break;
    case ID_CONTEXT_END:
      OnEndProcess();
      break;
    case ID_PROCESS_REFRESH:
      RefreshProcessList();
      break;
    default:
      break;
  }
  popup.DestroyMenu();
  menu.DestroyMenu();
}

void CMainDialog::OnExit() {
  DestroyWindow();
}

void CMainDialog::OnAbout() {
  CAboutBox about;
  about.DoModal();
}

void CMainDialog::OnSysCommand(UINT command, LPARAM) {
  // The system menu's own About item opens the About box like Help > About.
  if ((command & 0xFFF0) == IDM_ABOUTBOX) {
    OnAbout();
    return;
  }
  Default();
}
