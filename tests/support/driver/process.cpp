#include "tests/support/driver/process.h"

#include "tests/support/driver/wait.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

namespace e2e {

namespace {

std::string OwnFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder = path;
  const size_t slash = folder.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
}

std::string CurrentFolder() {
  char path[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, path);
  return path;
}

// The system's thread count of one process, 0 when it is not listed.
DWORD ThreadsOf(DWORD processId) {
  DWORD threads = 0;
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (entry.th32ProcessID == processId) threads = entry.cntThreads;
  }
  CloseHandle(snapshot);
  return threads;
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

std::string ProgramPath(const std::string& fileName) {
  return OwnFolder() + "\\" + fileName;
}

std::string FreshFolder(const std::string& name) {
  const std::filesystem::path folder = std::filesystem::path(CurrentFolder()) / "e2e-work" / name;
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  std::filesystem::create_directories(folder, ignored);
  return folder.string();
}

std::string FreshFolderForCurrentTest() {
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  if (!test) return FreshFolder("no-test");
  std::string name = std::string(test->test_suite_name()) + "." + test->name();
  for (char& c : name) {
    if (c == '/' || c == '\\' || c == ':') c = '_';
  }
  return FreshFolder(name);
}

Process::~Process() {
  Reset();
}

Process::Process(Process&& other) noexcept
    : m_process(std::exchange(other.m_process, nullptr)),
      m_thread(std::exchange(other.m_thread, nullptr)),
      m_id(std::exchange(other.m_id, 0)),
      m_launchError(other.m_launchError) {}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    Reset();
    m_process = std::exchange(other.m_process, nullptr);
    m_thread = std::exchange(other.m_thread, nullptr);
    m_id = std::exchange(other.m_id, 0);
    m_launchError = other.m_launchError;
  }
  return *this;
}

void Process::Reset() {
  if (m_process && Running()) Terminate(1);
  if (m_thread) CloseHandle(m_thread);
  if (m_process) CloseHandle(m_process);
  m_thread = nullptr;
  m_process = nullptr;
  m_id = 0;
}

bool Process::Launch(const std::string& commandLine, const std::string& folder, WORD show) {
  Reset();
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  // No standard handles: what the program starts must not hold the test
  // run's output open (Wine hands the Unix descriptors down otherwise).
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  startup.wShowWindow = show;
  PROCESS_INFORMATION info = {};
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
    m_launchError = GetLastError();
    return false;
  }
  m_launchError = 0;
  m_process = info.hProcess;
  m_thread = info.hThread;
  m_id = info.dwProcessId;
  return true;
}

bool Process::Attach(DWORD processId) {
  Reset();
  m_process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE,
                          FALSE, processId);
  if (!m_process) {
    m_launchError = GetLastError();
    return false;
  }
  m_launchError = 0;
  m_id = processId;
  return true;
}

bool Process::Running() const {
  return m_process && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT;
}

bool Process::WaitForExit(unsigned timeoutMs) const {
  return m_process && WaitForSingleObject(m_process, timeoutMs) == WAIT_OBJECT_0;
}

DWORD Process::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (m_process) GetExitCodeProcess(m_process, &code);
  return code;
}

void Process::Terminate(UINT exitCode) {
  if (!m_process) return;
  TerminateProcess(m_process, exitCode);
  WaitForSingleObject(m_process, 5000);
}

Process StartIdleProcess(const std::string& folder) {
  Process process;
  const std::string idle = ProgramPath("dump_target.exe");
  if (FileExists(idle)) {
    process.Launch("\"" + idle + "\" 0", folder, SW_HIDE);
  } else {
    process.Launch("notepad.exe", folder, SW_HIDE);
  }
  return process;
}

std::string OtherBitnessTargetName() {
  return sizeof(void*) == 8 ? "dump_target_x86.exe" : "dump_target_x64.exe";
}

std::string WhyOtherBitnessCannotStart() {
  char setting[8] = {};
  const DWORD length = GetEnvironmentVariableA("VELLORN_WINE32", setting, sizeof setting);
  if (sizeof(void*) == 8 && length > 0 && std::string(setting) == "off") {
    return "this machine cannot start 32-bit programs (VELLORN_WINE32=off)";
  }
  return {};
}

Process StartOtherBitnessTarget(const std::string& folder, int workers) {
  Process process;
  const std::string commandLine =
      "\"" + ProgramPath(OtherBitnessTargetName()) + "\" " + std::to_string(workers);
  if (!process.Launch(commandLine, folder, SW_HIDE)) return process;
  const DWORD expected = static_cast<DWORD>(workers) + 1;
  if (!WaitFor([&] { return ThreadsOf(process.Id()) == expected; })) process = Process();
  return process;
}

}  // namespace e2e
