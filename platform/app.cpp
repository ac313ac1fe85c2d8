// The application object and the framework's global helpers.
#include "platform/app.h"

#include "platform/system_libraries.h"

#include <commctrl.h>

namespace {
CWinApp* g_application = nullptr;
}  // namespace

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

CWinApp::CWinApp() {
  g_application = this;
}

CWinApp::~CWinApp() {
  if (g_application == this) g_application = nullptr;
}

BOOL CWinApp::InitInstance() {
  return TRUE;
}

// Nothing is stored under the key, so there is nothing to open or create.
void CWinApp::SetRegistryKey(const char*) {}

HICON CWinApp::LoadIcon(UINT id) const {
  return ::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(id));
}

CWinApp* AfxGetApp() {
  return g_application;
}

CWnd* AfxGetMainWnd() {
  return g_application ? g_application->m_pMainWnd : nullptr;
}

HINSTANCE AfxGetInstanceHandle() {
  return ::GetModuleHandleA(nullptr);
}

void AfxInitCommonControls() {
  ::InitCommonControls();
}

BOOL AfxInitRichEdit() {
  CWinApp* app = AfxGetApp();
  if (app == nullptr) return FALSE;
  if (!app->m_richEdit) app->m_richEdit = LoadSystemLibrary("RICHED20.DLL");
  return app->m_richEdit.valid();
}

// Vellorn hosts no controls that need a container.
void AfxEnableControlContainer() {}
