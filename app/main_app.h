// The application object: starts the framework and runs the main window.
#pragma once

#include "platform/app.h"

class CMainApp : public CWinApp {
 public:
  BOOL InitInstance() override;
};
