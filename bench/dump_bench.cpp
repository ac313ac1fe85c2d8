// Vellorn's dump writer against a bare MiniDumpWriteDump call with the same
// arguments and against `winedbg --minidump`, on the same running process.
//
//   dump_bench.exe [rounds]        (default 11; at least 1)
//
// Starts dump_target.exe (beside this program) and dumps it into
// .\dump_bench\dumps under the current folder. Each round writes one dump
// each way, the order rotating every round:
//   - Vellorn: the main window's whole Create Mini-dump path (WriteMiniDump:
//     folder, temporary name, the writer, the read-back check, the rename and
//     the log lines), timed from the call to its return;
//   - bare: the process and a file opened as Vellorn opens them, then only
//     MiniDumpWriteDump is timed;
//   - winedbg: the whole run of `winedbg --minidump FILE PID`, from its start
//     to its end, as a user would run it.
//   - bare, dbghelp prepared: the bare call once more, after SymInitialize of
//     the process with deferred symbol loads (as winedbg has it when it
//     dumps); only MiniDumpWriteDump is timed, SymInitialize apart. It shows
//     where the writer's time goes when dbghelp does not know the process.
// Also times, each round, Vellorn's steps around the writer alone (the same
// calls on a copy of the round's last dump, without the writer), and of them
// the log lines and the read-back check. One untimed dump of each kind
// comes first. Prints every time, the medians and their ratios.
#include "actions/minidump_check.h"
#include "actions/minidump_writer.h"
#include "app/main_dialog.h"
#include "bench/bench_report.h"
#include "platform/app.h"
#include "platform/string.h"
#include "tests/support/controls.h"

#include <windows.h>

#include <dbghelp.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using bench::Clock;

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

// The bytes of the last dump that OneDumpIn found.
std::string& LastDump() {
  static std::string dump;
  return dump;
}

// True when the folder holds one file and it starts with "MDMP"; keeps its
// bytes in LastDump() and empties the folder.
bool OneDumpIn(const std::string& folder, long long* bytes) {
  const std::vector<std::string> files = FilesIn(folder);
  bool good = files.size() == 1;
  if (good) {
    const std::string path = folder + "\\" + files[0];
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    char signature[4] = {};
    DWORD read = 0;
    LARGE_INTEGER size{};
    good = file != INVALID_HANDLE_VALUE && ReadFile(file, signature, 4, &read, nullptr) &&
           read == 4 && std::memcmp(signature, "MDMP", 4) == 0 && GetFileSizeEx(file, &size);
    if (bytes) *bytes = size.QuadPart;
    if (good) {
      LastDump().resize(static_cast<size_t>(size.QuadPart));
      good =
          ReadFile(file, &LastDump()[4], static_cast<DWORD>(size.QuadPart - 4), &read, nullptr) &&
          read == size.QuadPart - 4;
      std::memcpy(&LastDump()[0], signature, 4);
    }
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }
  for (const std::string& file : files) DeleteFileA((folder + "\\" + file).c_str());
  return good;
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
    seconds = bench::SecondsSince(start);
    if (!written) seconds = -1;
  }
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  if (process) CloseHandle(process);
  return seconds;
}

// The bare call on a process that dbghelp knows already, with deferred loads.
double PreparedDumpSeconds(DWORD processId, const std::string& folder, void* param,
                           std::vector<double>& initialisations) {
  char temporary[MAX_PATH] = {};
  if (!GetTempFileNameA(folder.c_str(), "dump_target", 0, temporary)) return -1;
  const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
  const HANDLE file = CreateFileA(temporary, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  double seconds = -1;
  if (process && file != INVALID_HANDLE_VALUE) {
    const DWORD options = SymGetOptions();
    SymSetOptions(options | SYMOPT_DEFERRED_LOADS);
    const Clock::time_point initialise = Clock::now();
    const BOOL known = SymInitialize(process, nullptr, TRUE);
    initialisations.push_back(bench::SecondsSince(initialise));
    MINIDUMP_CALLBACK_INFORMATION callback{};
    callback.CallbackRoutine = MiniDumpIncludeAll;
    callback.CallbackParam = param;
    const Clock::time_point start = Clock::now();
    const BOOL written =
        MiniDumpWriteDump(process, processId, file, MiniDumpNormal, nullptr, nullptr, &callback);
    seconds = bench::SecondsSince(start);
    if (known) SymCleanup(process);
    SymSetOptions(options);
    if (!written) seconds = -1;
  }
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  if (process) CloseHandle(process);
  return seconds;
}

// The whole Create Mini-dump path of the window, from the folder to the log.
double VellornDumpSeconds(CMainDialog& dialog, DWORD processId) {
  const std::string before = support::LogText(dialog);
  const Clock::time_point start = Clock::now();
  dialog.WriteMiniDump(processId, "dump_target.exe");
  const double seconds = bench::SecondsSince(start);
  const std::string added = support::LogText(dialog).substr(before.size());
  if (added.find("Creating mini dump file: \r\n") == std::string::npos) {
    std::printf("Vellorn's dump failed: %s\n", added.c_str());
    return -1;
  }
  return seconds;
}

// The whole run of winedbg's own minidump command.
double WinedbgDumpSeconds(DWORD processId, const std::string& folder) {
  const std::string file = folder + "\\winedbg.mdmp";
  std::string commandLine = "winedbg --minidump \"" + file + "\" " + std::to_string(processId);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  const Clock::time_point start = Clock::now();
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &startup, &started)) {
    std::printf("cannot start winedbg (error %lu)\n", GetLastError());
    return -1;
  }
  const bool ended = WaitForSingleObject(started.hProcess, 120000) == WAIT_OBJECT_0;
  const double seconds = bench::SecondsSince(start);
  if (!ended) TerminateProcess(started.hProcess, 1);
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
  return ended ? seconds : -1;
}

// Vellorn's steps around the writer, made with the same calls on a file that
// gets the bytes of the last real dump written instead of a new dump: what the
// path adds. `logSeconds` and `checkSeconds` receive the shares of the two log
// lines and of the read-back check.
double StepsAroundWriterSeconds(CMainDialog& dialog, DWORD processId, double& logSeconds,
                                double& checkSeconds) {
  const Clock::time_point start = Clock::now();
  char folder[MAX_PATH] = {};
  const DWORD length = GetCurrentDirectoryA(MAX_PATH, folder);
  std::strcpy(folder + length, "\\dumps");
  CreateDirectoryA(folder, nullptr);
  const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
  char temporary[MAX_PATH] = {};
  GetTempFileNameA(folder, "dump_target", 0, temporary);
  HANDLE file = CreateFileA(temporary, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  Clock::time_point logStart = Clock::now();
  dialog.AppendOutput("Starting mini dump...\r\n");
  logSeconds = bench::SecondsSince(logStart);
  DWORD written = 0;
  WriteFile(file, LastDump().data(), static_cast<DWORD>(LastDump().size()), &written, nullptr);
  CloseHandle(file);
  CloseHandle(process);
  DWORD error = 0;
  const Clock::time_point checkStart = Clock::now();
  const bool complete = IsCompleteMinidump(temporary, folder, error);
  checkSeconds = bench::SecondsSince(checkStart);
  std::string finalName = temporary;
  finalName.replace(finalName.size() - 3, 3, "dmp");
  MoveFileA(temporary, finalName.c_str());
  logStart = Clock::now();
  dialog.AppendOutput(CString("Creating mini dump file: \r\n") + finalName.c_str() + "\r\n");
  logSeconds += bench::SecondsSince(logStart);
  const double seconds = bench::SecondsSince(start);
  return complete ? seconds : -1;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = std::max(1, argc > 1 ? std::atoi(argv[1]) : 11);

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
  OneDumpIn(dumps, nullptr);

  static CWinApp application;
  AfxInitCommonControls();
  CMainDialog dialog;
  if (dialog.Create() == nullptr) {
    std::printf("cannot create the main window\n");
    TerminateProcess(started.hProcess, 0);
    return 1;
  }
  const DWORD id = started.dwProcessId;
  std::printf("dump_bench: dumping dump_target.exe (process %lu), %d rounds\n", id, rounds);

  enum Kind { kVellorn, kBare, kWinedbg, kPrepared };
  static const char* const kNames[] = {"Vellorn WriteMiniDump", "bare MiniDumpWriteDump",
                                       "winedbg --minidump", "bare, dbghelp prepared"};
  std::vector<double> times[4];
  std::vector<long long> sizes[4];
  std::vector<double> initialisations;
  std::vector<double> around;
  std::vector<double> logShare;
  std::vector<double> checkShare;
  bool failed = false;
  for (int round = 0; round <= rounds && !failed; ++round) {  // round 0 warms up, untimed
    for (int turn = 0; turn < 4 && !failed; ++turn) {
      const Kind kind = static_cast<Kind>((turn + round) % 4);
      double seconds = -1;
      switch (kind) {
        case kVellorn:
          seconds = VellornDumpSeconds(dialog, id);
          break;
        case kBare:
          seconds = BareDumpSeconds(id, dumps, &dialog);
          break;
        case kWinedbg:
          seconds = WinedbgDumpSeconds(id, dumps);
          break;
        case kPrepared:
          seconds = PreparedDumpSeconds(id, dumps, &dialog, initialisations);
          break;
      }
      long long bytes = 0;
      if (seconds < 0 || !OneDumpIn(dumps, &bytes)) {
        std::printf("round %d: the %s dump failed\n", round, kNames[kind]);
        failed = true;
        break;
      }
      if (WaitForSingleObject(started.hProcess, 0) == WAIT_OBJECT_0) {
        std::printf("round %d: dump_target.exe ended after the %s dump\n", round, kNames[kind]);
        failed = true;
        break;
      }
      if (round == 0) continue;
      times[kind].push_back(seconds);
      sizes[kind].push_back(bytes);
      std::printf("  %-34s round %2d  %7.3f s  %lld bytes\n", kNames[kind], round, seconds, bytes);
      std::fflush(stdout);
    }
    double logSeconds = 0;
    double checkSeconds = 0;
    const double steps = StepsAroundWriterSeconds(dialog, id, logSeconds, checkSeconds);
    if (round > 0) logShare.push_back(logSeconds);
    if (round > 0) checkShare.push_back(checkSeconds);
    OneDumpIn(dumps, nullptr);
    if (round > 0 && steps >= 0) around.push_back(steps);
  }

  dialog.DestroyWindow();
  TerminateProcess(started.hProcess, 0);
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
  SetCurrentDirectoryA(current);
  if (failed) return 1;

  bench::Result("dump: Vellorn vs bare MiniDumpWriteDump", times[kVellorn], times[kBare], 1.05);
  bench::Result("dump: Vellorn vs winedbg --minidump", times[kVellorn], times[kWinedbg], 1.0,
                "< 1.00");
  bench::Result("dump: bare MiniDumpWriteDump vs winedbg", times[kBare], times[kWinedbg], 0);
  bench::Result("dump: bare, dbghelp prepared, vs winedbg", times[kPrepared], times[kWinedbg], 0);
  bench::Result("dump: bare vs bare with dbghelp prepared", times[kBare], times[kPrepared], 0);
  if (initialisations.size() > 1) initialisations.erase(initialisations.begin());  // warm-up
  bench::Figure("  SymInitialize with deferred loads", initialisations);
  bench::Figure("  Vellorn's steps around the writer", around);
  bench::Figure("    of which the two log lines", logShare);
  bench::Figure("    of which the read-back check", checkShare);
  std::vector<double> ratios;
  for (size_t i = 0; i < times[kVellorn].size() && i < times[kBare].size(); ++i) {
    ratios.push_back(times[kVellorn][i] / times[kBare][i]);
  }
  std::printf("figure | %-44s | %10.3f |\n", "  median of the rounds' Vellorn/bare ratios",
              bench::Median(ratios));
  std::printf("figure | %-44s | %lld, %lld, %lld and %lld bytes\n",
              "  dump sizes (Vellorn, bare, winedbg, prepared)", sizes[kVellorn].back(),
              sizes[kBare].back(), sizes[kWinedbg].back(), sizes[kPrepared].back());
  return 0;
}
