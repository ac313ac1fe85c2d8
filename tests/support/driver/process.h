// Started processes of the end-to-end tests: vellorn.exe itself and any other
// program a test needs as a victim, each owned so that nothing outlives a test.
#pragma once

#include <windows.h>

#include <string>

namespace e2e {

// Full path of a program beside e2e_tests.exe (where the build puts vellorn.exe
// and every tests/programs/NAME.exe), e.g. ProgramPath("vellorn.exe").
std::string ProgramPath(const std::string& fileName);

// Makes an empty folder for one test: <current folder>\e2e-work\<name>; what an
// earlier run left in it is removed. Returns its full Windows path.
std::string FreshFolder(const std::string& name);

// FreshFolder named after the running gtest test ("Suite.Test").
std::string FreshFolderForCurrentTest();

// A started process with its handles owned. Ends the process (exit code 1)
// on destruction if it still runs, so a failed test leaves nothing behind.
class Process {
 public:
  Process() = default;
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;

  // Starts commandLine (the program path first, quoted as needed) in folder
  // (empty: the test's current folder), with show command show. False if
  // CreateProcess failed; LaunchError() then holds its last-error value.
  bool Launch(const std::string& commandLine, const std::string& folder = {},
              WORD show = SW_SHOWNORMAL);
  // Takes a running process that the test did not start (e.g. one the program
  // started), to see it end and to end it with the test. False if it cannot
  // be opened; LaunchError() then holds the last-error value.
  bool Attach(DWORD processId);

  bool Valid() const { return m_process != nullptr; }
  DWORD Id() const { return m_id; }
  HANDLE Handle() const { return m_process; }
  DWORD LaunchError() const { return m_launchError; }

  bool Running() const;
  // Waits for the end; true if it ended within timeoutMs.
  bool WaitForExit(unsigned timeoutMs = kDefaultExitTimeoutMs) const;
  // The exit code; STILL_ACTIVE (259) while it runs.
  DWORD ExitCode() const;
  // Ends it now with exitCode and waits for the end.
  void Terminate(UINT exitCode = 1);

  static constexpr unsigned kDefaultExitTimeoutMs = 10000;

 private:
  void Reset();

  HANDLE m_process = nullptr;
  HANDLE m_thread = nullptr;
  DWORD m_id = 0;
  DWORD m_launchError = 0;
};

// Starts a small program that just waits (hidden) and can serve as a process
// to find in the list, dump or end. Runs tests/programs' dump_target.exe with no
// workers when the build has it, else a hidden notepad of Wine's.
Process StartIdleProcess(const std::string& folder = {});

// dump_target.exe built for the other bitness than this test's:
// "dump_target_x86.exe" beside a 64-bit build, "dump_target_x64.exe" beside a 32-bit one.
std::string OtherBitnessTargetName();
// Why a program of the other bitness cannot start here, or empty when it can:
// the Wine environment says so where 32-bit programs cannot run.
std::string WhyOtherBitnessCannotStart();
// Starts it hidden with `workers` waiting threads and returns once all its
// threads run (an invalid Process if it did not start or they did not come).
Process StartOtherBitnessTarget(const std::string& folder, int workers);

}  // namespace e2e
