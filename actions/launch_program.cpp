// New Process: start a program picked in the file-open dialog.
#include "app/main_dialog.h"

void CMainDialog::OnNewProcess() {}
