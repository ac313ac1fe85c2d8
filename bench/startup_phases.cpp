// Where Vellorn's start-up time goes: the program's own start-up steps, made
// as the application object makes them, each timed, in a process of its own.
// startup_bench runs it and gathers the figures; alone it prints one line:
//
//   startup_phases.exe [FILE]      appends the line to FILE as well
//   startup_phases.exe --split     instead: before the window, the first use of
//                                  what its initialisation uses, each timed
//
// Phases (milliseconds): process creation to main, the common controls, the
// rich-edit library, the main window's creation (its initialisation: tooltip,
// columns, the fill, the debug privilege), showing and painting it; and for
// comparison an empty dialog made from a template in memory, shown and painted.
#include "app/main_dialog.h"
#include "platform/app.h"
#include "platform/window.h"
#include "resources/resource.h"
#include "tests/support/messages.h"

#include <windows.h>

#include <tlhelp32.h>

#include <commctrl.h>

#include <cstdio>
#include <cstring>

namespace {

double Now() {
  LARGE_INTEGER counter;
  LARGE_INTEGER frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Milliseconds since the process was created, by the system's clock.
double SinceCreation() {
  FILETIME created, exited, kernel, user, now;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  GetSystemTimePreciseAsFileTime(&now);
  ULARGE_INTEGER a, b;
  a.LowPart = created.dwLowDateTime;
  a.HighPart = created.dwHighDateTime;
  b.LowPart = now.dwLowDateTime;
  b.HighPart = now.dwHighDateTime;
  return static_cast<double>(b.QuadPart - a.QuadPart) / 10000.0;
}

struct EmptyTemplate {
  DLGTEMPLATE dialog;
  WORD menu;
  WORD windowClass;
  WORD title;
};

INT_PTR CALLBACK EmptyProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG;
}

}  // namespace

// The first use of each thing the window's initialisation uses, in its order.
void Split() {
  static CWinApp application;
  AfxInitCommonControls();
  AfxInitRichEdit();
  double t = Now();
  const HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
  const HWND tip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
  const double tooltip = Now() - t;
  t = Now();
  const HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0,
                                    100, 100, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  LVCOLUMNA column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.pszText = const_cast<char*>("ID");
  column.cx = 50;
  SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  const double listView = Now() - t;
  t = Now();
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  int processes = 0;
  if (Process32First(snapshot, &entry)) {
    do {
      ++processes;
    } while (Process32Next(snapshot, &entry));
  }
  CloseHandle(snapshot);
  const double walk = Now() - t;
  t = Now();
  HANDLE token = nullptr;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    LookupPrivilegeValueA(nullptr, "SeDebugPrivilege", &privileges.Privileges[0].Luid);
    AdjustTokenPrivileges(token, FALSE, &privileges, sizeof privileges, nullptr, nullptr);
    CloseHandle(token);
  }
  const double privilege = Now() - t;
  t = Now();
  const HWND edit = CreateWindowExA(0, "EDIT", "Output....\r\n",
                                    WS_CHILD | WS_VISIBLE | ES_MULTILINE | WS_VSCROLL, 0, 0, 100,
                                    50, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  const double editControl = Now() - t;
  t = Now();
  CMainDialog dialog(nullptr);
  dialog.Create(nullptr);
  const double window = Now() - t;
  std::printf(
      "first tooltip %.2f ms, first list view with a column %.2f ms, "
      "snapshot walk of %d processes %.2f ms, debug privilege %.2f ms, "
      "first edit control %.2f ms; then the main window %.2f ms\n",
      tooltip, listView, processes, walk, privilege, editControl, window);
  dialog.DestroyWindow();
  DestroyWindow(edit);
  DestroyWindow(list);
  DestroyWindow(tip);
  DestroyWindow(parent);
}

int main(int argc, char** argv) {
  const double toMain = SinceCreation();
  if (argc > 1 && std::strcmp(argv[1], "--split") == 0) {
    Split();
    return 0;
  }
  double t = Now();
  static CWinApp application;
  AfxInitCommonControls();
  const double controls = Now() - t;
  t = Now();
  AfxInitRichEdit();
  const double richEdit = Now() - t;
  t = Now();
  CMainDialog dialog(nullptr);
  dialog.Create(nullptr);
  const double create = Now() - t;
  t = Now();
  ShowWindow(dialog.m_hWnd, SW_SHOW);
  UpdateWindow(dialog.m_hWnd);
  support::PumpMessages();
  const double show = Now() - t;
  const bool listMade = dialog.GetDlgItem(IDC_PROCESS_LIST) != nullptr;

  EmptyTemplate empty{};
  empty.dialog.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  empty.dialog.cx = 295;
  empty.dialog.cy = 234;
  t = Now();
  const HWND bare =
      CreateDialogIndirectParamA(GetModuleHandleA(nullptr), &empty.dialog, nullptr, EmptyProc, 0);
  ShowWindow(bare, SW_SHOW);
  UpdateWindow(bare);
  support::PumpMessages();
  const double emptyDialog = Now() - t;
  DestroyWindow(bare);
  dialog.DestroyWindow();

  char line[256];
  std::snprintf(line, sizeof line, "%.2f %.2f %.2f %.2f %.2f %.2f %d\n", toMain, controls, richEdit,
                create, show, emptyDialog, listMade ? 1 : 0);
  std::fputs(line, stdout);
  if (argc > 1) {
    if (FILE* file = std::fopen(argv[1], "a")) {
      std::fputs(line, file);
      std::fclose(file);
    }
  }
  return 0;
}
