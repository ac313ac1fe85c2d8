// A Refresh of the real main window with about 1,000 real processes running,
// against a bare toolhelp walk of the same processes.
//
//   refresh_bench.exe [rounds] [processes]      (defaults 11 and 1000)
//
// Starts that many copies of empty_dialog.exe (beside this program) suspended,
// so that they cost nothing but their existence, in a job that ends them when
// this program ends. The window is the real CMainDialog with the real system,
// hosted modeless and visible, as a user's Refresh finds it. Each round times,
// the order swapping every round:
//   - Refresh: RefreshProcessList (the old rows deleted, the snapshot walked,
//     the rows added) and the list's repaint (UpdateWindow), which is what
//     the user waits for;
//   - bare walk: CreateToolhelp32Snapshot, Process32First/Next over every
//     entry, CloseHandle.
// One untimed round of each comes first.
#include "app/main_dialog.h"
#include "bench/bench_report.h"
#include "bench/hosted_window.h"
#include "tests/support/modal_answers.h"
#include "platform/app.h"
#include "tests/support/messages.h"

#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using bench::Clock;

std::string BesideThisProgram(const char* name) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder = path;
  return folder.substr(0, folder.find_last_of("\\/") + 1) + name;
}

int BareWalk() {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  int count = 0;
  if (Process32First(snapshot, &entry)) {
    do {
      ++count;
    } while (Process32Next(snapshot, &entry));
  }
  CloseHandle(snapshot);
  return count;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = std::max(1, argc > 1 ? std::atoi(argv[1]) : 11);
  const int wanted = std::max(0, argc > 2 ? std::atoi(argv[2]) : 1000);

  // The copies go with this program, however it ends.
  const HANDLE job = CreateJobObjectA(nullptr, nullptr);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
  const std::string program = BesideThisProgram("empty_dialog.exe");
  std::vector<PROCESS_INFORMATION> copies;
  const Clock::time_point starting = Clock::now();
  for (int i = 0; i < wanted; ++i) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    std::string commandLine = "\"" + program + "\"";
    if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                        nullptr, nullptr, &startup, &started)) {
      std::printf("could start only %d copies of empty_dialog.exe (error %lu)\n", i,
                  GetLastError());
      break;
    }
    AssignProcessToJobObject(job, started.hProcess);
    copies.push_back(started);
  }
  std::printf("refresh_bench: %zu suspended copies started in %s; %d processes listed; %d rounds\n",
              copies.size(), bench::Time(bench::SecondsSince(starting)).c_str(), BareWalk(),
              rounds);

  CMainDialog dialog(nullptr);
  if (!bench::HostMainWindow(dialog)) return 1;
  const support::ProcessListView processList(dialog);
  const HWND list = processList.m_hWnd;

  std::vector<double> refreshes, walks, handlers, paints;
  for (int round = 0; round <= rounds; ++round) {  // round 0 warms up, untimed
    for (int turn = 0; turn < 2; ++turn) {
      const bool refresh = (turn + round) % 2 == 0;
      const Clock::time_point start = Clock::now();
      int rows = 0;
      if (refresh) {
        dialog.RefreshProcessList();
        const double handler = bench::SecondsSince(start);
        UpdateWindow(list);
        if (round > 0) {
          handlers.push_back(handler);
          paints.push_back(bench::SecondsSince(start) - handler);
        }
        rows = processList.GetItemCount();
      } else {
        rows = BareWalk();
      }
      const double seconds = bench::SecondsSince(start);
      support::PumpMessages();
      if (round == 0) continue;
      (refresh ? refreshes : walks).push_back(seconds);
      std::printf("  %-34s round %2d  %s  (%d %s)\n", refresh ? "Refresh" : "bare toolhelp walk",
                  round, bench::Time(seconds).c_str(), rows, refresh ? "rows" : "entries");
      std::fflush(stdout);
    }
  }
  bench::Result("refresh, ~" + std::to_string(copies.size()) + " processes, vs bare walk",
                refreshes, walks, 2.0);
  bench::Figure("  RefreshProcessList", handlers);
  bench::Figure("  the list's repaint (UpdateWindow)", paints);

  dialog.DestroyWindow();
  support::PumpMessages();
  for (const PROCESS_INFORMATION& copy : copies) {
    TerminateProcess(copy.hProcess, 0);
    CloseHandle(copy.hThread);
  }
  for (const PROCESS_INFORMATION& copy : copies) {
    WaitForSingleObject(copy.hProcess, 5000);
    CloseHandle(copy.hProcess);
  }
  CloseHandle(job);
  return 0;
}
