// The main window's commands: the command table, the selection, the context
// menu, Exit, About.
#include "app/about_box.h"
#include "app/main_dialog.h"

#include "platform/menu.h"
#include "platform/window.h"
#include "resources/resource.h"

#include <algorithm>

// The menu bar's, the context menu's and the window's own commands.
BEGIN_MESSAGE_MAP(CMainDialog, CDialog)
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_BN_CLICKED(IDC_REFRESH, RefreshProcessList)
ON_NOTIFY(LVN_COLUMNCLICK, IDC_PROCESS_LIST, OnColumnClick)
ON_NOTIFY(NM_RCLICK, IDC_PROCESS_LIST, OnListRightClick)
ON_WM_CONTEXTMENU()
ON_COMMAND(ID_APP_EXIT, OnExit)
ON_COMMAND(ID_PROCESS_DUMP, OnCreateMiniDump)
ON_COMMAND(ID_CONTEXT_DUMP, OnCreateMiniDump)
ON_COMMAND(ID_PROCESS_NEW, OnNewProcess)
ON_COMMAND(ID_PROCESS_END, OnEndProcess)
ON_COMMAND(ID_CONTEXT_END, OnEndProcess)
ON_COMMAND(ID_HELP_ABOUT, OnAbout)
ON_COMMAND(ID_PROCESS_REFRESH, RefreshProcessList)
ON_WM_SYSCOMMAND()
ON_WM_DPICHANGED()
END_MESSAGE_MAP()

int CMainDialog::SelectedRow() const {
  return m_processList.GetNextItem(-1, LVNI_SELECTED);
}

void CMainDialog::ShowNoSelectionMessage() const {
  MessageBox("You must first select a process from the list.", nullptr, MB_ICONEXCLAMATION);
}

void CMainDialog::OnListRightClick(NMHDR*, LRESULT* result) {
  *result = 0;
  if (SelectedRow() == -1) return;
  ShowContextMenu(ui::CursorPos());
}

void CMainDialog::OnContextMenu(HWND window, POINT at) {
  // A right-click has had its menu (NM_RCLICK) when the list sends this with
  // the pointer's position; only the keyboard's comes without one.
  if (window != m_processList.m_hWnd || at.x != -1 || at.y != -1) {
    Default();
    return;
  }
  ShowContextMenu(KeyboardMenuPosition());
}

POINT CMainDialog::KeyboardMenuPosition() const {
  RECT client{};
  m_processList.GetClientRect(&client);
  POINT at{client.left, client.top};
  RECT row{};
  const int selected = SelectedRow();
  if (selected != -1 && m_processList.GetItemRect(selected, &row, LVIR_BOUNDS)) {
    // A row scrolled out of sight gives the nearest point inside the list.
    at.x = std::clamp(row.left, client.left, client.right);
    at.y = std::clamp(row.bottom, client.top, client.bottom);
  }
  m_processList.ClientToScreen(&at);
  return at;
}

void CMainDialog::ShowContextMenu(POINT at) {
  CMenu menu;
  menu.LoadMenu(IDR_CONTEXT_MENU);
  CMenu popup = menu.GetSubMenu(0);
  const int command = popup.GetSafeHmenu()
                          ? popup.TrackPopupMenu(TPM_NONOTIFY | TPM_RETURNCMD, at.x, at.y, this)
                          : 0;
  // The chosen command runs through the table, as from the menu bar; the
  // menu sent no message, and none is sent now.
  if (const MessageMapEntry* entry =
          command ? FindEntry(WM_COMMAND, 0, static_cast<UINT>(command)) : nullptr) {
    entry->invoke(this, MAKEWPARAM(command, 0), 0);
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
