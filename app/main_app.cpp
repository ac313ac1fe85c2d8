#include "app/main_app.h"

#include "app/main_dialog.h"

CMainApp theApp;

BOOL CMainApp::InitInstance() {
  AfxInitCommonControls();
  AfxInitRichEdit();
  CWinApp::InitInstance();
  AfxEnableControlContainer();
  SetRegistryKey("Local AppWizard-Generated Applications");

  {
    CMainDialog dialog(nullptr);
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
  }  // the dialog's teardown runs here

  // The modal run was the program: the entry point ends it with exit code 0
  // once this returns, whatever it returns.
  return FALSE;
}
