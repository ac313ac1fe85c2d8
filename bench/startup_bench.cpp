// Start-up: from process start to the filled main window of vellorn.exe,
// against an empty dialog program's start to its window.
//
//   startup_bench.exe [rounds]      (default 11; at least 1)
//
// Both programs lie beside this one. Each round starts each once, the order
// swapping every round, in a folder of its own under the current one. The
// clock runs from just before CreateProcess until the program's top-level
// dialog window is visible and, for Vellorn, its process list holds at least
// one row (read with LVM_GETITEMCOUNT, as the end-to-end driver reads it);
// then the window is closed and the process waited for, untimed. One untimed
// start of each comes first.
#include "bench/bench_report.h"

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using bench::Clock;

constexpr int kProcessList = 1006;

struct Search {
  DWORD processId;
  const char* title;
  HWND found;
};

BOOL CALLBACK FindWindowOf(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<Search*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
  char className[32] = {};
  GetClassNameA(window, className, sizeof className);
  char title[64] = {};
  GetWindowTextA(window, title, sizeof title);
  if (lstrcmpA(className, "#32770") == 0 && lstrcmpA(title, search->title) == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

std::string OwnFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder = path;
  return folder.substr(0, folder.find_last_of("\\/"));
}

// Starts the program and waits for its window; the seconds it took, or -1.
double StartSeconds(const std::string& program, const char* title, bool needsRows,
                    const std::string& folder) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  std::string commandLine = "\"" + program + "\"";
  const Clock::time_point start = Clock::now();
  if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &startup, &started)) {
    std::printf("cannot start %s (error %lu)\n", program.c_str(), GetLastError());
    return -1;
  }
  double seconds = -1;
  Search search{started.dwProcessId, title, nullptr};
  while (bench::SecondsSince(start) < 30) {
    if (!search.found) EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&search));
    if (search.found) {
      const HWND list = GetDlgItem(search.found, kProcessList);
      if (!needsRows || (list && SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) > 0)) {
        seconds = bench::SecondsSince(start);
        break;
      }
    }
    if (WaitForSingleObject(started.hProcess, 1) == WAIT_OBJECT_0) break;
  }
  if (search.found) PostMessageA(search.found, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(started.hProcess, 10000) != WAIT_OBJECT_0) {
    TerminateProcess(started.hProcess, 1);
    WaitForSingleObject(started.hProcess, 5000);
  }
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
  if (seconds < 0) std::printf("%s showed no %s window\n", program.c_str(), title);
  return seconds;
}

// Runs startup_phases.exe `rounds` times and prints the median of each phase.
void Phases(const std::string& program, const std::string& folder, int rounds) {
  const std::string file = folder + "\\phases.txt";
  DeleteFileA(file.c_str());
  for (int round = 0; round <= rounds; ++round) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    std::string commandLine = "\"" + program + "\" \"" + file + "\"";
    if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, folder.c_str(), &startup, &started)) {
      std::printf("cannot start %s (error %lu)\n", program.c_str(), GetLastError());
      return;
    }
    WaitForSingleObject(started.hProcess, 30000);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    Sleep(200);
  }
  static const char* const kPhases[] = {
      "  process creation to main (probe)", "  InitCommonControls",
      "  LoadLibrary RICHED20.DLL",         "  main window created, list filled",
      "  main window shown and painted",    "  empty dialog made, shown, painted"};
  std::vector<double> phases[6];
  FILE* input = std::fopen(file.c_str(), "r");
  if (!input) return;
  double values[6];
  int rows = 0;
  for (int line = 0; std::fscanf(input, "%lf %lf %lf %lf %lf %lf %*d", &values[0], &values[1],
                                 &values[2], &values[3], &values[4], &values[5]) == 6;
       ++line) {
    if (line == 0) continue;  // warm-up
    for (int i = 0; i < 6; ++i) phases[i].push_back(values[i] / 1000.0);
    ++rows;
  }
  std::fclose(input);
  std::printf("where the start-up time goes (startup_phases.exe, %d runs):\n", rows);
  for (int i = 0; i < 6; ++i) bench::Figure(kPhases[i], phases[i]);
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = std::max(1, argc > 1 ? std::atoi(argv[1]) : 11);
  const std::string folder = OwnFolder();
  const std::string vellorn = folder + "\\vellorn.exe";
  const std::string empty = folder + "\\empty_dialog.exe";
  char current[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, current);
  const std::string work = std::string(current) + "\\startup_bench";
  CreateDirectoryA(work.c_str(), nullptr);

  std::printf("startup_bench: %d rounds, start to window\n", rounds);
  std::vector<double> ours;
  std::vector<double> baseline;
  for (int round = 0; round <= rounds; ++round) {  // round 0 warms up, untimed
    for (int turn = 0; turn < 2; ++turn) {
      const bool oursTurn = (turn == 0) == (round % 2 == 0);
      const double seconds = oursTurn ? StartSeconds(vellorn, "Vellorn", true, work)
                                      : StartSeconds(empty, "Empty", false, work);
      if (seconds < 0) return 1;
      Sleep(200);  // let the ended program's teardown pass
      if (round == 0) continue;
      (oursTurn ? ours : baseline).push_back(seconds);
      bench::Sample(oursTurn ? "vellorn.exe to filled window" : "empty_dialog.exe to window", round,
                    seconds);
    }
  }
  bench::Result("start-up to filled window vs empty dialog", ours, baseline, 1.2);
  Phases(folder + "\\startup_phases.exe", work, rounds);
  return 0;
}
