// Column sort.
#include "app/main_dialog.h"

void CMainDialog::OnColumnClick(NMHDR*, LRESULT* result) {
  *result = 0;
}
