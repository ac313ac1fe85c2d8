// End Process: terminate the selected process after a confirmation.
#include "app/main_dialog.h"

void CMainDialog::OnEndProcess() {
  const int row = SelectedRow();
  if (row == -1) {
    ShowNoSelectionMessage();
    return;
  }
}
