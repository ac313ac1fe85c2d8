// The program's entry point: the application object's start-up is the program.
#include "platform/app.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  CWinApp* app = AfxGetApp();
  if (app == nullptr) return 1;
  app->InitInstance();
  return 0;
}
