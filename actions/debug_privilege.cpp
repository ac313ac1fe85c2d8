// The debug privilege: enabled while the window initialises, given up at teardown.
#include "app/main_dialog.h"

void CMainDialog::EnableDebugPrivilege() {}

void CMainDialog::DisableDebugPrivilege() {}
