// A small windowed program for the end-to-end tests of New Process and End
// Process. It records how it was asked to show itself and then stays alive
// until it is ended.
//
// The record goes to the file named by its first argument or, with none, to
// "launch_target.txt" beside the program itself. One line:
//   pid=<id> flags=0x<STARTUPINFO dwFlags> show=<wShowWindow> cmdshow=<nCmdShow> visible=<0|1>
// It is written to a temporary name and then renamed, so that a reader never
// sees half of it.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void RecordPath(const char* commandLine, char* path, size_t size) {
  // The argument, without the quotes a caller may have put around it.
  while (*commandLine == ' ') ++commandLine;
  if (*commandLine != '\0') {
    std::snprintf(path, size, "%s", commandLine);
    const size_t length = std::strlen(path);
    if (path[0] == '"' && length >= 2 && path[length - 1] == '"') {
      std::memmove(path, path + 1, length - 2);
      path[length - 2] = '\0';
    }
    return;
  }
  char module[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, module, sizeof(module));
  char* slash = std::strrchr(module, '\\');
  if (slash) slash[1] = '\0';
  std::snprintf(path, size, "%slaunch_target.txt", module);
}

void WriteRecord(const char* path, int cmdShow, bool visible) {
  STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof(startup));
  startup.cb = sizeof(startup);
  GetStartupInfoA(&startup);

  char temporary[MAX_PATH + 8];
  std::snprintf(temporary, sizeof(temporary), "%s.part", path);
  FILE* file = std::fopen(temporary, "wb");
  if (!file) return;
  std::fprintf(file, "pid=%lu flags=0x%lx show=%u cmdshow=%d visible=%d\r\n",
               static_cast<unsigned long>(GetCurrentProcessId()),
               static_cast<unsigned long>(startup.dwFlags),
               static_cast<unsigned>(startup.wShowWindow), cmdShow, visible ? 1 : 0);
  std::fclose(file);
  MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int cmdShow) {
  WNDCLASSA windowClass;
  std::memset(&windowClass, 0, sizeof(windowClass));
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = "VellornLaunchTarget";
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  RegisterClassA(&windowClass);
  const HWND window =
      CreateWindowA("VellornLaunchTarget", "Launch target", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                    CW_USEDEFAULT, 240, 120, nullptr, nullptr, instance, nullptr);
  // A program that honours the show command it was given.
  ShowWindow(window, cmdShow);

  char path[MAX_PATH];
  RecordPath(commandLine, path, sizeof(path));
  WriteRecord(path, cmdShow, window && IsWindowVisible(window));

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
