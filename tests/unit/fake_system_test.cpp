// The spy keeps its promises: the other unit tests rely on them.
#include "tests/support/fake_system.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

namespace {

using CreateSnapshotFunction = HANDLE(WINAPI*)(DWORD, DWORD);
using WalkFunction = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32*);
using EnumProcessesFunction = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
using EnumModulesFunction = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
using ModuleNameFunction = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);

template <typename Function>
Function Resolve(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void (*)()>(sys::GetProcAddress(module, name)));
}

std::string TempPath(const char* name) {
  char folder[MAX_PATH];
  ::GetTempPathA(MAX_PATH, folder);
  return std::string(folder) + name;
}

class FakeSystem : public ::testing::Test {
 protected:
  void SetUp() override { fake::Reset(); }
  void TearDown() override { fake::Reset(); }
};

TEST_F(FakeSystem, ScriptedFailureGivesTheFailureValueAndErrorWithoutTouchingTheSystem) {
  const std::string path = TempPath("vellorn_spy_fail.txt");
  ::DeleteFileA(path.c_str());
  fake::FailCall("CreateFileA", ERROR_SHARING_VIOLATION);

  const HANDLE file = sys::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);

  EXPECT_EQ(INVALID_HANDLE_VALUE, file);
  EXPECT_EQ(DWORD{ERROR_SHARING_VIOLATION}, sys::GetLastError());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(path.c_str()));
  EXPECT_TRUE(fake::OpenHandles().empty());
}

TEST_F(FakeSystem, ScriptedOccurrenceCountsTheCallsFromNowOn) {
  sys::GetModuleHandleA("KERNEL32.DLL");
  fake::FailCall("GetModuleHandleA", ERROR_MOD_NOT_FOUND, 2);

  EXPECT_NE(nullptr, sys::GetModuleHandleA("KERNEL32.DLL"));
  EXPECT_EQ(nullptr, sys::GetModuleHandleA("KERNEL32.DLL"));
  EXPECT_EQ(DWORD{ERROR_MOD_NOT_FOUND}, sys::GetLastError());
  EXPECT_NE(nullptr, sys::GetModuleHandleA("KERNEL32.DLL"));
}

TEST_F(FakeSystem, ErrorReadAfterAnotherSeamCallIsJunk) {
  fake::FailCall("OpenProcess", ERROR_ACCESS_DENIED);
  EXPECT_EQ(nullptr, sys::OpenProcess(0x410, FALSE, 1234));
  sys::GetCurrentProcess();
  EXPECT_EQ(fake::kClobbered, sys::GetLastError());

  char folder[MAX_PATH];
  EXPECT_NE(0u, sys::GetCurrentDirectoryA(MAX_PATH, folder));
  EXPECT_EQ(fake::kClobbered, sys::GetLastError());
}

TEST_F(FakeSystem, CallsAreRecordedInOrderWithTheirArguments) {
  sys::OpenProcess(0x410, FALSE, 1234);
  sys::GetLastError();
  sys::FormatMessageA(0x1300, nullptr, 5, 0x400, nullptr, 0, nullptr);

  EXPECT_THAT(fake::CallNames(), ElementsAre("OpenProcess", "GetLastError", "FormatMessageA"));
  EXPECT_EQ("0x410,0,1234", fake::Calls()[0].detail);
  EXPECT_EQ("0x1300,5,0x400", fake::Calls()[2].detail);
  EXPECT_EQ(2, fake::SeamCallCount());
  EXPECT_EQ(1, fake::CountCalls("GetLastError"));
}

TEST_F(FakeSystem, FailingTheKthSeamCallUsesTheTypicalErrorOfThatCall) {
  fake::FailCallNumber(2);

  EXPECT_NE(nullptr, sys::GetModuleHandleA("KERNEL32.DLL"));
  sys::GetLastError();  // not a seam call
  EXPECT_EQ(nullptr, sys::LoadLibraryA("PSAPI.DLL"));
  EXPECT_EQ(fake::TypicalError("LoadLibraryA"), sys::GetLastError());
  EXPECT_EQ(DWORD{ERROR_MOD_NOT_FOUND}, fake::TypicalError("LoadLibraryA"));
}

TEST_F(FakeSystem, AdjustTokenPrivilegesFailsTheWayTheRealOneDoes) {
  HANDLE token = nullptr;
  ASSERT_TRUE(sys::OpenProcessToken(sys::GetCurrentProcess(), 0x28, &token));
  TOKEN_PRIVILEGES privileges = {};
  privileges.PrivilegeCount = 1;
  ASSERT_TRUE(
      sys::LookupPrivilegeValueA(nullptr, "SeDebugPrivilege", &privileges.Privileges[0].Luid));
  TOKEN_PRIVILEGES previous = {};
  previous.PrivilegeCount = 7;
  DWORD length = 16;

  fake::FailCall("AdjustTokenPrivileges", ERROR_NOT_ALL_ASSIGNED);
  EXPECT_TRUE(
      sys::AdjustTokenPrivileges(token, FALSE, &privileges, sizeof previous, &previous, &length));
  EXPECT_EQ(DWORD{ERROR_NOT_ALL_ASSIGNED}, sys::GetLastError());
  EXPECT_EQ(0u, previous.PrivilegeCount);

  fake::FailCall("AdjustTokenPrivileges", ERROR_INVALID_HANDLE);
  EXPECT_FALSE(sys::AdjustTokenPrivileges(token, FALSE, &privileges, 16, nullptr, nullptr));
  EXPECT_EQ(DWORD{ERROR_INVALID_HANDLE}, sys::GetLastError());

  fake::ScriptAdjustTokenPrivileges(FALSE, ERROR_SUCCESS);
  EXPECT_FALSE(sys::AdjustTokenPrivileges(token, FALSE, &privileges, 16, nullptr, nullptr));
  EXPECT_EQ(DWORD{ERROR_SUCCESS}, sys::GetLastError());
  EXPECT_EQ("token,0,1:0x0,16,null,null", fake::LastDetail("AdjustTokenPrivileges"));

  sys::CloseHandle(token);
  EXPECT_TRUE(fake::OpenHandles().empty());
}

TEST_F(FakeSystem, HandlesAreAccountedUntilReleasedAndBadReleasesAreCounted) {
  const std::string path = TempPath("vellorn_spy_handles.txt");
  const HANDLE file = sys::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  const HMODULE psapi = sys::LoadLibraryA("PSAPI.DLL");
  ASSERT_NE(nullptr, psapi);

  std::vector<std::string> creators;
  for (const fake::OpenHandle& open : fake::OpenHandles()) creators.push_back(open.creator);
  EXPECT_THAT(creators, UnorderedElementsAre("CreateFileA", "LoadLibraryA"));

  EXPECT_TRUE(sys::CloseHandle(file));
  EXPECT_TRUE(sys::FreeLibrary(psapi));
  EXPECT_TRUE(fake::OpenHandles().empty());
  EXPECT_EQ(0, fake::BadCloses());

  sys::CloseHandle(file);
  sys::FreeLibrary(sys::GetModuleHandleA("KERNEL32.DLL"));
  EXPECT_EQ(2, fake::BadCloses());
  ::DeleteFileA(path.c_str());
}

TEST_F(FakeSystem, SystemTextBuffersAreCountedUntilFreed) {
  char* text = nullptr;
  const DWORD length = sys::FormatMessageA(0x1300, nullptr, ERROR_ACCESS_DENIED, 0x400,
                                           reinterpret_cast<LPSTR>(&text), 0, nullptr);
  ASSERT_NE(0u, length);
  EXPECT_EQ("Access denied.\r\n", std::string(text, length));
  EXPECT_EQ(1, fake::OutstandingLocalBuffers());

  EXPECT_EQ(nullptr, sys::LocalFree(text));
  EXPECT_EQ(0, fake::OutstandingLocalBuffers());
  EXPECT_EQ(0, fake::BadCloses());
}

TEST_F(FakeSystem, SnapshotWalkServesTheProcessTable) {
  fake::SetProcesses({{0, "[System Process]"}, {4, "System", 90}, {1234, "notepad.exe", 3}});
  const HMODULE kernel = sys::GetModuleHandleA("KERNEL32.DLL");
  const auto snapshotOf = Resolve<CreateSnapshotFunction>(kernel, "CreateToolhelp32Snapshot");
  const auto first = Resolve<WalkFunction>(kernel, "Process32First");
  const auto next = Resolve<WalkFunction>(kernel, "Process32Next");
  ASSERT_TRUE(snapshotOf && first && next);

  const HANDLE snapshot = snapshotOf(TH32CS_SNAPPROCESS, 0);
  ASSERT_NE(INVALID_HANDLE_VALUE, snapshot);
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry - 8;
  EXPECT_FALSE(first(snapshot, &entry));
  EXPECT_EQ(DWORD{ERROR_BAD_LENGTH}, sys::GetLastError());

  entry.dwSize = sizeof entry;
  std::string walk;
  for (BOOL more = first(snapshot, &entry); more; more = next(snapshot, &entry)) {
    walk += std::to_string(entry.th32ProcessID) + " " + entry.szExeFile + " " +
            std::to_string(entry.cntThreads) + "\n";
  }
  EXPECT_EQ(DWORD{ERROR_NO_MORE_FILES}, sys::GetLastError());
  EXPECT_EQ("0 [System Process] 1\n4 System 90\n1234 notepad.exe 3\n", walk);
  EXPECT_EQ(2, fake::CountCalls("Process32First"));
  EXPECT_EQ(3, fake::CountCalls("Process32Next"));

  sys::CloseHandle(snapshot);
  EXPECT_TRUE(fake::OpenHandles().empty());
  EXPECT_EQ(0, fake::BadCloses());
}

TEST_F(FakeSystem, ProcessStatusPathServesTheTableAndCapsTheIdsAtTheBuffer) {
  std::vector<fake::FakeProcess> processes;
  for (DWORD id = 4; id <= 6000; id += 4) processes.push_back({id, "p" + std::to_string(id)});
  processes[1].canReadName = false;
  processes[2].canOpen = false;
  fake::SetProcesses(processes);
  const HMODULE psapi = sys::LoadLibraryA("PSAPI.DLL");
  const auto enumProcesses = Resolve<EnumProcessesFunction>(psapi, "EnumProcesses");
  const auto enumModules = Resolve<EnumModulesFunction>(psapi, "EnumProcessModules");
  const auto baseName = Resolve<ModuleNameFunction>(psapi, "GetModuleBaseNameA");
  ASSERT_TRUE(enumProcesses && enumModules && baseName);

  DWORD ids[1024];
  DWORD filled = 0;
  ASSERT_TRUE(enumProcesses(ids, sizeof ids, &filled));
  EXPECT_EQ(1500u, processes.size());
  EXPECT_EQ(4096u, filled);

  const HANDLE process = sys::OpenProcess(0x410, FALSE, ids[0]);
  HMODULE module = nullptr;
  DWORD needed = 0;
  ASSERT_TRUE(enumModules(process, &module, sizeof module, &needed));
  char name[MAX_PATH] = "unknown";
  EXPECT_EQ(2u, baseName(process, module, name, MAX_PATH));
  EXPECT_STREQ("p4", name);
  sys::CloseHandle(process);

  const HANDLE nameless = sys::OpenProcess(0x410, FALSE, ids[1]);
  ASSERT_TRUE(enumModules(nameless, &module, sizeof module, &needed));
  EXPECT_EQ(0u, baseName(nameless, module, name, MAX_PATH));
  sys::CloseHandle(nameless);

  EXPECT_EQ(nullptr, sys::OpenProcess(0x410, FALSE, ids[2]));
  EXPECT_EQ(DWORD{ERROR_ACCESS_DENIED}, sys::GetLastError());

  sys::FreeLibrary(psapi);
  EXPECT_TRUE(fake::OpenHandles().empty());
}

TEST_F(FakeSystem, MissingModulesAndEntryPointsFailWithTheLoadersCodes) {
  fake::SetProcesses({});
  fake::RemoveEntryPoint("GetModuleFileNameExA");
  const HMODULE psapi = sys::LoadLibraryA("PSAPI.DLL");
  EXPECT_NE(nullptr, sys::GetProcAddress(psapi, "GetModuleBaseNameA"));
  EXPECT_EQ(nullptr, sys::GetProcAddress(psapi, "GetModuleFileNameExA"));
  EXPECT_EQ(DWORD{ERROR_PROC_NOT_FOUND}, sys::GetLastError());
  sys::FreeLibrary(psapi);

  fake::SetModuleMissing("PSAPI.DLL");
  EXPECT_EQ(nullptr, sys::LoadLibraryA("PSAPI.DLL"));
  EXPECT_EQ(DWORD{ERROR_MOD_NOT_FOUND}, sys::GetLastError());
  EXPECT_TRUE(fake::OpenHandles().empty());
}

TEST_F(FakeSystem, EndedTableProcessLeavesTheTableAndDumpsOfTableProcessesAreStandIns) {
  fake::SetProcesses({{100, "a.exe"}, {200, "b.exe"}});
  const std::string path = TempPath("vellorn_spy_dump.tmp");
  const HANDLE file = sys::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
  const HANDLE dumped = sys::OpenProcess(0x410, FALSE, 200);
  EXPECT_TRUE(sys::MiniDumpWriteDump(dumped, 200, file, MiniDumpNormal, nullptr, nullptr, nullptr));
  sys::CloseHandle(file);
  FILE* written = std::fopen(path.c_str(), "rb");
  ASSERT_NE(nullptr, written);
  char signature[5] = {};
  EXPECT_EQ(4u, std::fread(signature, 1, 4, written));
  std::fclose(written);
  EXPECT_STREQ("MDMP", signature);
  ::DeleteFileA(path.c_str());

  const HANDLE ended = sys::OpenProcess(PROCESS_TERMINATE, FALSE, 100);
  EXPECT_TRUE(sys::TerminateProcess(ended, 0));
  EXPECT_EQ("process:100,0", fake::LastDetail("TerminateProcess"));
  sys::CloseHandle(ended);
  sys::CloseHandle(dumped);

  DWORD ids[4];
  DWORD filled = 0;
  const HMODULE psapi = sys::LoadLibraryA("PSAPI.DLL");
  Resolve<EnumProcessesFunction>(psapi, "EnumProcesses")(ids, sizeof ids, &filled);
  sys::FreeLibrary(psapi);
  ASSERT_EQ(4u, filled);
  EXPECT_EQ(200u, ids[0]);
}

ULONGLONG AsNumber(const FILETIME& time) {
  return (ULONGLONG{time.dwHighDateTime} << 32) | time.dwLowDateTime;
}

TEST_F(FakeSystem, TableProcessesHaveScriptedCreationTimesAndTheClockCanBeSet) {
  fake::SetProcesses({{100, "a.exe", 1, true, true, true, 0x123456789AULL}});
  fake::SetClock(0x2000000000ULL);
  FILETIME now{};
  sys::GetSystemTimeAsFileTime(&now);
  EXPECT_EQ(0x2000000000ULL, AsNumber(now));

  FILETIME created{}, exited{}, kernel{}, user{};
  const HANDLE queried = sys::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, 100);
  const HANDLE ended = sys::OpenProcess(PROCESS_TERMINATE, FALSE, 100);
  EXPECT_TRUE(sys::TerminateProcess(ended, 0));
  // The handle keeps the ended process's creation time, as a real one does.
  EXPECT_TRUE(sys::GetProcessTimes(queried, &created, &exited, &kernel, &user));
  EXPECT_EQ(0x123456789AULL, AsNumber(created));
  EXPECT_EQ("process:100", fake::LastDetail("GetProcessTimes"));
  // Without a query right the call is refused.
  EXPECT_FALSE(sys::GetProcessTimes(ended, &created, &exited, &kernel, &user));
  EXPECT_EQ(DWORD{ERROR_ACCESS_DENIED}, sys::GetLastError());
  sys::CloseHandle(ended);
  sys::CloseHandle(queried);
}

TEST_F(FakeSystem, WithoutATableTheEntryPointsForwardToTheRealSystem) {
  const HMODULE kernel = sys::GetModuleHandleA("KERNEL32.DLL");
  const auto snapshotOf = Resolve<CreateSnapshotFunction>(kernel, "CreateToolhelp32Snapshot");
  const auto first = Resolve<WalkFunction>(kernel, "Process32First");
  const auto next = Resolve<WalkFunction>(kernel, "Process32Next");
  const HANDLE snapshot = snapshotOf(TH32CS_SNAPPROCESS, 0);
  ASSERT_NE(INVALID_HANDLE_VALUE, snapshot);

  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  bool foundSelf = false;
  for (BOOL more = first(snapshot, &entry); more; more = next(snapshot, &entry)) {
    foundSelf = foundSelf || entry.th32ProcessID == ::GetCurrentProcessId();
  }
  sys::CloseHandle(snapshot);
  EXPECT_TRUE(foundSelf);
  EXPECT_GT(fake::CountCalls("Process32Next"), 0);
  EXPECT_TRUE(fake::OpenHandles().empty());
}

TEST_F(FakeSystem, HooksReplaceTheSystemButStayRecordedAndScriptable) {
  fake::SetVersion(0x0A04);
  EXPECT_EQ(0x0A04u, sys::GetVersion());
  fake::Hook().GetVersion = [] { return DWORD{4}; };
  EXPECT_EQ(4u, sys::GetVersion());

  fake::Hook().DeleteFileA = [](LPCSTR) { return TRUE; };
  fake::FailCall("DeleteFileA", ERROR_ACCESS_DENIED, 2);
  EXPECT_TRUE(sys::DeleteFileA("Z:\\nowhere\\a.tmp"));
  EXPECT_FALSE(sys::DeleteFileA("Z:\\nowhere\\a.tmp"));
  EXPECT_EQ(DWORD{ERROR_ACCESS_DENIED}, sys::GetLastError());
  EXPECT_EQ(2, fake::CountCalls("DeleteFileA"));
}

}  // namespace
