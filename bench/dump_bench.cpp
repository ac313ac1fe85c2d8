// Vellorn's dump writer against a bare MiniDumpWriteDump call with the same
// arguments, on the same running process, alternating.
//
//   dump_bench.exe [rounds]        (default 10; at least 1)
//
// Starts dump_target.exe (beside this program) and dumps it into
// .\dump_bench\dumps under the current folder: each round writes one dump
// through the main window's Create Mini-dump path and one with the bare call,
// the order swapping every round. One untimed dump of each kind comes first.
// Prints every time, the median of each and their ratio; on a busy machine
// the fastest of each and the median of the rounds' own ratios say more.
#include "actions/minidump_writer.h"
#include "app/main_dialog.h"

#include <windows.h>

#include <dbghelp.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::string Folder(const std::string& path) {
  return path.substr(0, path.find_last_of("\\/"));
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

// Deletes what the dumps folder holds; gives how many files there were.
size_t EmptyFolder(const std::string& folder) {
  const std::vector<std::string> files = FilesIn(folder);
  for (const std::string& file : files) DeleteFileA((folder + "\\" + file).c_str());
  return files.size();
}

// The bare call: the process and a file opened as Vellorn opens them, then
// only MiniDumpWriteDump is timed.
double BareDumpSeconds(DWORD processId, const std::string& folder, void* param) {
  char temporary[MAX_PATH] = {};
  if (!GetTempFileNameA(folder.c_str(), "dump_target", 0, temporary)) return -1;
  const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
  const HANDLE file = CreateFileA(temporary, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  double seconds = -1;
  if (process && file != INVALID_HANDLE_VALUE) {
    MINIDUMP_CALLBACK_INFORMATION callback{};
    callback.CallbackRoutine = MiniDumpIncludeAll;
    callback.CallbackParam = param;
    const Clock::time_point start = Clock::now();
    const BOOL written =
        MiniDumpWriteDump(process, processId, file, MiniDumpNormal, nullptr, nullptr, &callback);
    seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (!written) seconds = -1;
  }
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  if (process) CloseHandle(process);
  return seconds;
}

// The whole Create Mini-dump path of the window, from the folder to the log.
double VellornDumpSeconds(CMainDialog& dialog, DWORD processId) {
  CString before;
  dialog.Output().GetWindowText(before);
  const Clock::time_point start = Clock::now();
  dialog.WriteMiniDump(processId, "dump_target.exe");
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  CString after;
  dialog.Output().GetWindowText(after);
  const std::string added = after.str().substr(before.str().size());
  if (added.find("Creating mini dump file: \r\n") == std::string::npos) {
    std::printf("Vellorn's dump failed: %s\n", added.c_str());
    return -1;
  }
  return seconds;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = std::max(1, argc > 1 ? std::atoi(argv[1]) : 10);

  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string target = Folder(self) + "\\dump_target.exe";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  std::string commandLine = "\"" + target + "\"";
  if (!CreateProcessA(target.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                      nullptr, nullptr, &startup, &started)) {
    std::printf("cannot start %s (error %lu)\n", target.c_str(), GetLastError());
    return 1;
  }
  Sleep(500);  // let its threads start

  char current[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, current);
  const std::string work = std::string(current) + "\\dump_bench";
  CreateDirectoryA(work.c_str(), nullptr);
  SetCurrentDirectoryA(work.c_str());
  const std::string dumps = work + "\\dumps";
  CreateDirectoryA(dumps.c_str(), nullptr);
  EmptyFolder(dumps);

  AfxInitCommonControls();
  CMainDialog dialog;
  if (!dialog.Create()) {
    std::printf("cannot create the main window\n");
    TerminateProcess(started.hProcess, 0);
    return 1;
  }
  const DWORD id = started.dwProcessId;
  std::printf("dumping dump_target.exe (process %lu), %d rounds\n", id, rounds);

  // Untimed: the first dump of a process pays for what the writer learns once.
  VellornDumpSeconds(dialog, id);
  BareDumpSeconds(id, dumps, &dialog);
  EmptyFolder(dumps);

  std::vector<double> vellorn;
  std::vector<double> bare;
  bool failed = false;
  for (int round = 0; round < rounds && !failed; ++round) {
    for (int turn = 0; turn < 2; ++turn) {
      const bool vellornTurn = (turn == 0) == (round % 2 == 0);
      const double seconds =
          vellornTurn ? VellornDumpSeconds(dialog, id) : BareDumpSeconds(id, dumps, &dialog);
      if (seconds < 0 || EmptyFolder(dumps) != 1) {
        std::printf("round %d: the %s dump failed\n", round + 1, vellornTurn ? "Vellorn" : "bare");
        failed = true;
        break;
      }
      (vellornTurn ? vellorn : bare).push_back(seconds);
      std::printf("round %2d  %-7s %7.3f s\n", round + 1, vellornTurn ? "Vellorn" : "bare",
                  seconds);
      std::fflush(stdout);
    }
  }

  dialog.DestroyWindow();
  TerminateProcess(started.hProcess, 0);
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
  SetCurrentDirectoryA(current);
  if (failed || vellorn.empty() || bare.empty()) return 1;

  const double vellornMedian = Median(vellorn);
  const double bareMedian = Median(bare);
  std::printf("median Vellorn %.3f s (%zu dumps), bare MiniDumpWriteDump %.3f s (%zu dumps)\n",
              vellornMedian, vellorn.size(), bareMedian, bare.size());
  std::printf("ratio Vellorn/bare %.3f (target <= 1.05)\n", vellornMedian / bareMedian);
  std::vector<double> ratios;
  for (size_t i = 0; i < vellorn.size() && i < bare.size(); ++i) {
    ratios.push_back(vellorn[i] / bare[i]);
  }
  const double vellornFastest = *std::min_element(vellorn.begin(), vellorn.end());
  const double bareFastest = *std::min_element(bare.begin(), bare.end());
  std::printf("fastest Vellorn %.3f s, bare %.3f s, ratio %.3f; median of round ratios %.3f\n",
              vellornFastest, bareFastest, vellornFastest / bareFastest, Median(ratios));
  return 0;
}
