// CWinApp: the application object, and the framework's global helpers.
#pragma once

#include "platform/command_table.h"
#include "platform/handles.h"
#include "platform/window.h"

#include <windows.h>

// The framework's help command.
#define ID_HELP 0xE146

BOOL AfxInitRichEdit();  // a friend of CWinApp below

// The application object. Exactly one exists; the program's entry point runs
// its InitInstance and ends when that returns.
class CWinApp : public CCmdTarget {
 public:
  CWinApp();
  ~CWinApp() override;

  virtual BOOL InitInstance();
  // Nothing is stored under the key, so nothing is opened or created; the
  // call stays as the program's start-up makes it.
  void SetRegistryKey(const char* key);
  HICON LoadIcon(UINT id) const;
  // Default help: the program ships no help file, so there is nothing to open.
  void OnHelp() {}

  CWnd* m_pMainWnd = nullptr;

  DECLARE_MESSAGE_MAP()

 private:
  LoadedLibrary m_richEdit;
  friend BOOL AfxInitRichEdit();  // loads it once, for the program's life
};

CWinApp* AfxGetApp();
// The application's main window, or null.
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
void AfxInitCommonControls();
// Vellorn hosts no controls that need a container: kept as start-up calls it.
void AfxEnableControlContainer();
