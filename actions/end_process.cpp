// End Process: terminate the selected process after a confirmation.
#include "app/main_dialog.h"

#include "actions/process_identity.h"
#include "platform/handles.h"
#include "platform/string.h"

namespace {

// Logs the system's text for `error` on the open "Could not end process: "
// line, then tells the user in a box.
void ReportEndFailure(CMainDialog& dialog, DWORD error) {
  dialog.AppendOutput("Could not end process: ");
  dialog.ReportSystemError(error);
  dialog.MessageBox("The process could not be terminated.", nullptr, MB_OK);
}

}  // namespace

void CMainDialog::OnEndProcess() {
  // The question comes first, even when nothing is selected.
  if (MessageBox("Are you sure you wish to end this process?", "End Process", MB_YESNO) != IDYES) {
    return;
  }

  const int row = SelectedRow();
  if (row == -1) {
    ShowNoSelectionMessage();
    return;
  }
  const DWORD processId = static_cast<DWORD>(m_processList.GetItemData(row));

  ProcessHandle process(
      sys::OpenProcess(PROCESS_TERMINATE | CreationTimeAccess(), FALSE, processId));
  if (!process) {
    const DWORD error = sys::GetLastError();
    ReportEndFailure(*this, error);
    return;
  }
  // Never end a process that merely took over the row's ID.
  DWORD identityError = ERROR_SUCCESS;
  if (!ExistedAt(process.get(), m_listFilledAt, identityError)) {
    process.reset();
    ReportEndFailure(*this, identityError);
    return;
  }
  if (!sys::TerminateProcess(process.get(), 0)) {
    const DWORD error = sys::GetLastError();
    process.reset();
    ReportEndFailure(*this, error);
    return;
  }
  process.reset();

  const CString name = m_processList.GetItemText(row, 1);
  m_processList.DeleteItem(row);
  AppendOutput("Process " + name + " has ended.\r\n");
}
