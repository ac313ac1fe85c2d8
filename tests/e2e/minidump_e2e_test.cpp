// Create Mini-dump as a user gives it, from the menu bar and from the context
// menu, on a running test program; the dumps on disk read back by an
// independent reader; the failures a user can run into; and the debug
// privilege of the running program, read from outside.
#include "tests/support/access_lists.h"
#include "tests/support/driver/lldb.h"
#include "tests/support/driver/remote_memory.h"
#include "tests/support/driver/session.h"
#include "tests/support/files.h"
#include "tests/support/log_text.h"
#include "tests/support/system_text.h"
#include "tests/support/text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <tlhelp32.h>
#include <string>
#include <vector>

namespace {

using namespace support;
using e2e::PopupMenu;
using e2e::Process;
using e2e::VellornSession;
using testing::AllOf;
using testing::AnyOf;
using testing::Each;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;
using testing::Not;
using testing::SizeIs;

// "Create Mini-dump" is the context menu's first item.
constexpr int kDownsToCreateMiniDump = 1;
constexpr unsigned kDumpTimeoutMs = 20000;
constexpr int kWorkers = 4;

using support::kLogStart;
const std::string kStarting = "Starting mini dump...\r\n";
const std::string kCreating = "Creating mini dump file: \r\n";

// The prefix, a hexadecimal number, ".dmp".
bool IsDumpName(const std::string& file, const std::string& prefix) {
  if (file.size() <= prefix.size() + 4) return false;
  if (file.compare(0, prefix.size(), prefix) != 0) return false;
  if (file.compare(file.size() - 4, 4, ".dmp") != 0) return false;
  const std::string number = file.substr(prefix.size(), file.size() - prefix.size() - 4);
  return number.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
}

std::string StartsWithMdmp(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  char signature[4] = {};
  file.read(signature, 4);
  return std::string(signature, 4);
}

// The attributes of SeDebugPrivilege in another process's token, -1 when
// the token cannot be read or does not hold it.
long long DebugPrivilegeOf(DWORD processId) {
  const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
  if (!process) return -1;
  HANDLE token = nullptr;
  const BOOL opened = OpenProcessToken(process, TOKEN_QUERY, &token);
  CloseHandle(process);
  if (!opened) return -1;
  LUID luid{};
  LookupPrivilegeValueA(nullptr, "SeDebugPrivilege", &luid);
  DWORD size = 0;
  GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
  std::vector<char> buffer(size ? size : 1);
  long long attributes = -1;
  if (GetTokenInformation(token, TokenPrivileges, buffer.data(), size, &size)) {
    const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
    for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
      const LUID_AND_ATTRIBUTES& entry = privileges->Privileges[i];
      if (entry.Luid.LowPart == luid.LowPart && entry.Luid.HighPart == luid.HighPart) {
        attributes = entry.Attributes;
      }
    }
  }
  CloseHandle(token);
  return attributes;
}

int ThreadCount(DWORD processId) {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  int count = 0;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    count += entry.th32OwnerProcessID == processId ? 1 : 0;
  }
  CloseHandle(snapshot);
  return count;
}

// Only the user, SYSTEM and the Administrators may open what is at `path`.
// Wine keeps no lists: it reads one back from the Unix mode, where anyone
// else shows as Everyone ("WD").
void ExpectPrivate(const std::string& path) {
  const std::string list = ListTextOf(path);
  EXPECT_THAT(AllowedBy(list), AllOf(Not(IsEmpty()), Each(AnyOf(RunningUserSid(), "SY", "BA"))))
      << path << ": " << list;
}

// The test program to dump (or a copy of it): a few waiting threads and
// version.dll loaded.
Process StartDumpTarget(const std::string& folder,
                        const std::string& program = e2e::ProgramPath("dump_target.exe")) {
  Process target;
  const std::string commandLine = "\"" + program + "\" " + std::to_string(kWorkers);
  EXPECT_TRUE(target.Launch(commandLine, folder, SW_HIDE)) << target.LaunchError();
  EXPECT_TRUE(e2e::WaitFor([&] { return ThreadCount(target.Id()) > kWorkers; }))
      << "its threads did not start";
  return target;
}

// Waits until the log has grown past `before` by `lines` complete lines.
std::string WaitForLines(const VellornSession& vellorn, const std::string& before, int lines) {
  std::string log;
  e2e::WaitFor(
      [&] {
        log = vellorn.Log();
        return log.size() > before.size() && log.compare(0, before.size(), before) == 0 &&
               CountOf(log.substr(before.size()), "\r\n") >= lines &&
               log.compare(log.size() - 2, 2, "\r\n") == 0;
      },
      kDumpTimeoutMs);
  return log;
}

// The files that appeared in `folder` beyond `before`.
std::vector<std::string> NewFiles(const std::string& folder,
                                  const std::vector<std::string>& before) {
  std::vector<std::string> added;
  for (const std::string& file : FilesIn(folder)) {
    if (std::find(before.begin(), before.end(), file) == before.end()) added.push_back(file);
  }
  return added;
}

TEST(CreateMiniDump, MenuBarAndContextMenuEachWriteAReadableDumpNamedAfterTheProgram) {
  const std::string folder = e2e::FreshFolderForCurrentTest();
  Process target = StartDumpTarget(folder);
  VellornSession vellorn(folder);
  ASSERT_TRUE(vellorn.Started()) << vellorn.StartError();
  const std::string dumps = folder + "\\dumps";

  // Started: the program's own token has the debug privilege enabled; the
  // test program's, untouched, does not.
  EXPECT_GE(DebugPrivilegeOf(vellorn.ProcessId()) & SE_PRIVILEGE_ENABLED, 1)
      << "attributes " << DebugPrivilegeOf(vellorn.ProcessId());
  EXPECT_EQ(DebugPrivilegeOf(target.Id()) & SE_PRIVILEGE_ENABLED, 0);

  ASSERT_TRUE(vellorn.SelectProcess(target.Id()));
  EXPECT_FALSE(IsFolder(dumps));

  // Process > Create Mini-dump.
  vellorn.Command(ID_PROCESS_DUMP);
  const std::string firstLog = WaitForLines(vellorn, kLogStart, 3);
  const std::vector<std::string> first = FilesIn(dumps);
  ASSERT_THAT(first, SizeIs(1)) << firstLog;
  EXPECT_TRUE(IsDumpName(first[0], "dum")) << first[0];
  EXPECT_EQ(firstLog, kLogStart + kStarting + kCreating + dumps + "\\" + first[0] + "\r\n");
  // The folder it made, and the dump in it, are the user's own.
  ExpectPrivate(dumps);
  ExpectPrivate(dumps + "\\" + first[0]);

  // The context menu's Create Mini-dump, by real right click and keys.
  ASSERT_TRUE(vellorn.SelectProcess(target.Id()));
  vellorn.RightClickRow(vellorn.SelectedRow());
  const PopupMenu menu = vellorn.WaitForPopupMenu();
  ASSERT_TRUE(menu) << "no context menu";
  e2e::ChooseMenuItem(menu, kDownsToCreateMiniDump);
  const std::string secondLog = WaitForLines(vellorn, firstLog, 3);
  const std::vector<std::string> second = NewFiles(dumps, first);
  ASSERT_THAT(second, SizeIs(1)) << secondLog;
  EXPECT_TRUE(IsDumpName(second[0], "dum")) << second[0];
  EXPECT_EQ(secondLog, firstLog + kStarting + kCreating + dumps + "\\" + second[0] + "\r\n");

  // Two dumps, two files, nothing temporary left.
  EXPECT_THAT(FilesIn(dumps),
              ElementsAre(std::min(first[0], second[0]), std::max(first[0], second[0])));

  // An independent reader finds the threads and the executable in each.
  for (const std::string& file : {first[0], second[0]}) {
    SCOPED_TRACE(file);
    const std::string path = dumps + "\\" + file;
    EXPECT_EQ(StartsWithMdmp(path), "MDMP");
    const std::string listing = e2e::ReadDumpWithLldb(path, folder);
    EXPECT_GE(CountOf(listing, "thread #"), kWorkers + 1) << listing;
    EXPECT_THAT(listing, HasSubstr("dump_target.exe")) << listing;
    EXPECT_THAT(listing, Not(HasSubstr("error:"))) << listing;
  }
}

// The one dump in `folder`\dumps, after a log that was `kLogStart` before:
// named with `prefix`, logged with its full name, and read by lldb as the
// process the row showed as `rowId`, with its kWorkers + 1 threads. Gives
// lldb's listing.
std::string ExpectTheOnlyDumpIsOf(const std::string& folder, const std::string& log,
                                  const char* prefix, const std::string& rowId) {
  const std::string dumps = folder + "\\dumps";
  const std::vector<std::string> files = FilesIn(dumps);
  EXPECT_THAT(files, SizeIs(1)) << log;
  if (files.size() != 1) return {};
  EXPECT_TRUE(IsDumpName(files[0], prefix)) << files[0];
  EXPECT_EQ(log, kLogStart + kStarting + kCreating + dumps + "\\" + files[0] + "\r\n");
  const std::string listing = e2e::ReadDumpWithLldb(dumps + "\\" + files[0], folder);
  EXPECT_THAT(listing, HasSubstr("Process " + rowId + " stopped")) << listing;
  EXPECT_EQ(CountOf(listing, "thread #"), kWorkers + 1) << listing;
  EXPECT_THAT(listing, Not(HasSubstr("error:"))) << listing;
  return listing;
}

// The names below are in a script no single-byte code page holds; the
// program and this driver both take UTF-8 as their ANSI code page.
TEST(CreateMiniDump, KeptAndRunInFoldersNamedInAnyScriptItListsAndDumpsAProgramUnderItsName) {
  const std::string folder = e2e::FreshFolderForCurrentTest();
  const std::string kept = folder + "\\程序";
  const std::string current = folder + "\\数据夹";
  ASSERT_TRUE(CreateDirectoryA(kept.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(current.c_str(), nullptr));
  ASSERT_TRUE(
      CopyFileA(e2e::ProgramPath("vellorn.exe").c_str(), (kept + "\\vellorn.exe").c_str(), FALSE));
  const std::string copy = current + "\\数据.exe";
  ASSERT_TRUE(CopyFileA(e2e::ProgramPath("dump_target.exe").c_str(), copy.c_str(), FALSE));
  // A dumps folder of the user's own, which keeps its list.
  const std::string dumps = current + "\\dumps";
  ASSERT_TRUE(CreateDirectoryA(dumps.c_str(), nullptr));
  const std::string list = ListTextOf(dumps);
  Process target = StartDumpTarget(current, copy);
  VellornSession vellorn(VellornSession::Options{current, kept + "\\vellorn.exe"});
  ASSERT_TRUE(vellorn.Started()) << vellorn.StartError();
  const int row = vellorn.List().FindByData(static_cast<LPARAM>(target.Id()));
  ASSERT_GE(row, 0) << "not listed";
  ASSERT_EQ(vellorn.List().Text(row, 1), "数据.exe");
  const std::string rowId = vellorn.List().Text(row, 0);
  ASSERT_TRUE(vellorn.SelectRow(row));

  vellorn.Command(ID_PROCESS_DUMP);

  ExpectTheOnlyDumpIsOf(current, WaitForLines(vellorn, kLogStart, 3), "数据", rowId);
  EXPECT_EQ(ListTextOf(dumps), list);
}

// A dump of a program of the other bitness is either that program's dump, as an
// independent reader sees it, or a failure in the log with no file left. The
// 64-bit program's dump of a 32-bit one must succeed; the 32-bit program's of a
// 64-bit one fails under Wine with "invalid parameter".
TEST(CreateMiniDump, OfAProgramOfTheOtherBitnessIsItsReadableDumpOrAFailureLeavingNoFile) {
  const std::string unavailable = e2e::WhyOtherBitnessCannotStart();
  if (!unavailable.empty()) GTEST_SKIP() << unavailable;
  const std::string folder = e2e::FreshFolderForCurrentTest();
  Process target = e2e::StartOtherBitnessTarget(folder, kWorkers);
  ASSERT_TRUE(target.Valid()) << e2e::OtherBitnessTargetName() << " did not start, error "
                              << target.LaunchError();
  VellornSession vellorn(folder);
  ASSERT_TRUE(vellorn.Started()) << vellorn.StartError();
  const std::string dumps = folder + "\\dumps";
  const int row = vellorn.List().FindByData(static_cast<LPARAM>(target.Id()));
  ASSERT_GE(row, 0) << "not listed";
  const std::string rowId = vellorn.List().Text(row, 0);
  ASSERT_TRUE(vellorn.SelectRow(row));

  ASSERT_TRUE(vellorn.Run(ID_PROCESS_DUMP));

  const std::string log = vellorn.Log();
  const std::vector<std::string> files = FilesIn(dumps);
  if (sizeof(void*) == 8 || !files.empty()) {
    const std::string listing = ExpectTheOnlyDumpIsOf(folder, log, "dum", rowId);
    EXPECT_THAT(listing, HasSubstr(e2e::OtherBitnessTargetName())) << listing;
  } else {
    EXPECT_EQ(log, kLogStart + kStarting + SystemText(ERROR_INVALID_PARAMETER));
    EXPECT_THAT(FilesIn(dumps), IsEmpty());
  }
  EXPECT_TRUE(target.Running());
}

TEST(CreateMiniDump, ProcessEndedSinceTheListWasFilledLogsTheSystemTextAndWritesNoFile) {
  const std::string folder = e2e::FreshFolderForCurrentTest();
  Process target = StartDumpTarget(folder);
  VellornSession vellorn(folder);
  ASSERT_TRUE(vellorn.Started()) << vellorn.StartError();
  const DWORD id = target.Id();
  ASSERT_TRUE(vellorn.SelectProcess(id));

  // The process ends and every handle to it goes.
  {
    Process ended = std::move(target);
    ended.Terminate(0);
  }
  DWORD expectedError = 0;
  ASSERT_TRUE(e2e::WaitFor([&] {
    const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
    expectedError = GetLastError();
    if (process) CloseHandle(process);
    return process == nullptr;
  })) << "the ended process can still be opened";
  ASSERT_NE(SystemText(expectedError), "");

  ASSERT_TRUE(vellorn.Run(ID_PROCESS_DUMP));

  const std::string log = vellorn.Log();
  EXPECT_EQ(log, kLogStart + SystemText(expectedError));
  EXPECT_THAT(FilesIn(folder + "\\dumps"), IsEmpty());
}

TEST(CreateMiniDump, FileNamedDumpsInPlaceOfTheFolderIsReportedAndNothingIsWritten) {
  const std::string folder = e2e::FreshFolderForCurrentTest();
  const std::string dumps = folder + "\\dumps";
  std::ofstream(dumps).close();
  ASSERT_EQ(FileSize(dumps), 0);
  Process target = StartDumpTarget(folder);
  VellornSession vellorn(folder);
  ASSERT_TRUE(vellorn.Started()) << vellorn.StartError();
  ASSERT_TRUE(vellorn.SelectProcess(target.Id()));
  // What the system says when asked for a temporary name in a file.
  char name[MAX_PATH] = {};
  ASSERT_EQ(GetTempFileNameA(dumps.c_str(), "dum", 0, name), 0u);
  const DWORD expectedError = GetLastError();

  ASSERT_TRUE(vellorn.Run(ID_PROCESS_DUMP));

  const std::string log = vellorn.Log();
  EXPECT_EQ(log, kLogStart + SystemText(expectedError));
  EXPECT_THAT(log, Not(HasSubstr(kCreating)));
  EXPECT_EQ(FileSize(dumps), 0);
  EXPECT_THAT(FilesIn(folder), ElementsAre("dumps"));
}

TEST(CreateMiniDump, CurrentDirectoryAtADrivesRootDumpsIntoTheRootsDumpsFolder) {
  const std::string root = "C:\\";
  const std::string dumps = "C:\\dumps";
  const bool hadFolder = IsFolder(dumps);
  const std::vector<std::string> before = FilesIn(dumps);
  Process target = StartDumpTarget(e2e::FreshFolderForCurrentTest());
  VellornSession vellorn(root);
  ASSERT_TRUE(vellorn.Started()) << vellorn.StartError();
  ASSERT_TRUE(vellorn.SelectProcess(target.Id()));

  vellorn.Command(ID_PROCESS_DUMP);

  const std::string log = WaitForLines(vellorn, kLogStart, 3);
  const std::vector<std::string> added = NewFiles(dumps, before);
  ASSERT_THAT(added, SizeIs(1)) << log;
  EXPECT_TRUE(IsDumpName(added[0], "dum")) << added[0];
  // The root already ends in a separator; the path keeps both.
  EXPECT_EQ(log, kLogStart + kStarting + kCreating + "C:\\\\dumps\\" + added[0] + "\r\n");
  EXPECT_EQ(StartsWithMdmp(dumps + "\\" + added[0]), "MDMP");

  DeleteFileA((dumps + "\\" + added[0]).c_str());
  if (!hadFolder) RemoveDirectoryA(dumps.c_str());
}

// Sets a value of Wine's settings for programs of one file name, read when
// such a program starts: `key` is "<program>" or "<program>\\DllOverrides".
void SetWineAppDefault(const std::string& key, const char* name, const char* value) {
  HKEY settings = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, ("Software\\Wine\\AppDefaults\\" + key).c_str(), 0,
                            nullptr, 0, KEY_SET_VALUE, nullptr, &settings, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(settings, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                 static_cast<DWORD>(std::strlen(value) + 1));
  RegCloseKey(settings);
}

// The system libraries the program loads by name.
constexpr const char* kLoadedByName[] = {"dbghelp", "riched20", "psapi"};

// A copy of vellorn.exe in `folder` under `name`, for which Wine takes a file
// named like a library the program loads by name beside the program first,
// as Windows does for a library that is not one of its known ones.
std::string CopyOfVellorn(const std::string& folder, const std::string& name) {
  const std::string program = folder + "\\" + name;
  EXPECT_TRUE(CopyFileA(e2e::ProgramPath("vellorn.exe").c_str(), program.c_str(), FALSE));
  for (const char* library : kLoadedByName) {
    SetWineAppDefault(name + "\\DllOverrides", library, "native,builtin");
  }
  return program;
}

// A library that system code loads for the program by its bare name, as the
// dump writer's helper on later Windows. Wine has none of that name, so only
// the process-wide restriction of the search keeps a stand-in out.
constexpr const char* kLoadedForTheProgram = "dbgcore";

// A stand-in under the name of each library the program, or system code for
// it, loads by name.
void PlantStandIns(const std::string& folder) {
  std::vector<std::string> libraries(std::begin(kLoadedByName), std::end(kLoadedByName));
  libraries.push_back(kLoadedForTheProgram);
  for (const std::string& library : libraries) {
    EXPECT_TRUE(CopyFileA(e2e::ProgramPath("standin_library.dll").c_str(),
                          (folder + "\\" + library + ".dll").c_str(), FALSE));
  }
}

// Has the running program load `library` by its bare name, from a thread of
// its own, as system code in it would; true when the load found one.
bool LoadsByBareName(const VellornSession& vellorn, const std::string& library) {
  e2e::RemoteMemory name(vellorn.Window(), library.size() + 1);
  if (!name.Write(library.c_str(), library.size() + 1)) return false;
  // The system's libraries lie at the same address in every process of a bitness.
  const auto loadLibrary = reinterpret_cast<LPTHREAD_START_ROUTINE>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA")));
  const HANDLE thread = CreateRemoteThread(vellorn.GetProcess().Handle(), nullptr, 0, loadLibrary,
                                           name.Address(), 0, nullptr);
  EXPECT_NE(thread, nullptr) << GetLastError();
  if (thread == nullptr) return false;
  DWORD loaded = 0;
  EXPECT_EQ(WaitForSingleObject(thread, e2e::kDefaultTimeoutMs), WAIT_OBJECT_0);
  GetExitCodeThread(thread, &loaded);
  CloseHandle(thread);
  return loaded != 0;
}

TEST(CreateMiniDump, LibrariesPlantedBesideTheProgramAndInItsFolderAreNeverLoaded) {
  const std::string folder = e2e::FreshFolderForCurrentTest();
  const std::string programFolder = folder + "\\program";
  ASSERT_TRUE(CreateDirectoryA(programFolder.c_str(), nullptr));
  const std::string program = CopyOfVellorn(programFolder, "vellorn_planted.exe");
  // Told Windows NT 4.0, it fills through the process-status library.
  const std::string programOnNt40 = CopyOfVellorn(programFolder, "vellorn_planted_nt40.exe");
  SetWineAppDefault("vellorn_planted_nt40.exe", "Version", "nt40");
  PlantStandIns(programFolder);
  PlantStandIns(folder);
  Process target = StartDumpTarget(folder);

  {
    VellornSession onNt40(VellornSession::Options{folder, programOnNt40});
    ASSERT_TRUE(onNt40.Started()) << onNt40.StartError();
    EXPECT_GE(onNt40.List().FindByData(static_cast<LPARAM>(target.Id())), 0);
    EXPECT_THAT(onNt40.Columns(), ElementsAre("ID", "Name"));
  }
  VellornSession vellorn(VellornSession::Options{folder, program});
  ASSERT_TRUE(vellorn.Started()) << vellorn.StartError();
  const int row = vellorn.List().FindByData(static_cast<LPARAM>(target.Id()));
  ASSERT_GE(row, 0);
  const std::string rowId = vellorn.List().Text(row, 0);
  ASSERT_TRUE(vellorn.SelectRow(row));
  vellorn.Command(ID_PROCESS_DUMP);

  // The real writer's dump: the stand-in's would have failed with "access denied".
  ExpectTheOnlyDumpIsOf(folder, WaitForLines(vellorn, kLogStart, 3), "dum", rowId);
  EXPECT_FALSE(LoadsByBareName(vellorn, kLoadedForTheProgram));
  std::vector<std::string> loaded;
  for (const std::string& place : {folder, programFolder}) {
    for (const std::string& file : FilesIn(place)) {
      if (file.size() > 7 && file.compare(file.size() - 7, 7, ".loaded") == 0) {
        loaded.push_back(place + "\\" + file);
      }
    }
  }
  EXPECT_THAT(loaded, IsEmpty());
}

TEST(CreateMiniDump, WithoutTheSystemsDumpWriterTheLogSaysSoAndTheProgramGoesOn) {
  const std::string folder = e2e::FreshFolderForCurrentTest();
  const std::string program = CopyOfVellorn(folder, "vellorn_without_dbghelp.exe");
  SetWineAppDefault("vellorn_without_dbghelp.exe\\DllOverrides", "dbghelp", "");
  Process target = StartDumpTarget(folder);
  VellornSession vellorn(VellornSession::Options{folder, program});
  ASSERT_TRUE(vellorn.Started()) << vellorn.StartError();
  ASSERT_TRUE(vellorn.SelectProcess(target.Id()));

  vellorn.Command(ID_PROCESS_DUMP);

  EXPECT_EQ(WaitForLines(vellorn, kLogStart, 2),
            kLogStart + kStarting + SystemText(ERROR_MOD_NOT_FOUND));
  EXPECT_THAT(FilesIn(folder + "\\dumps"), IsEmpty());
  EXPECT_TRUE(vellorn.Run(ID_PROCESS_REFRESH));
  EXPECT_TRUE(vellorn.Running());
}

// --- On a drive made for the run (tests/support/on_drive.sh) -----------------

// The current folder: a fresh folder named after the test on the drive that
// the run's wrapper made (ctest's full: and fat: cases). Skips where there is
// no such drive.
class OnTheRunsDrive : public testing::Test {
 protected:
  void SetUp() override {
    if (const char* why = std::getenv("VELLORN_TEST_DRIVE_UNAVAILABLE")) GTEST_SKIP() << why;
    const char* drive = std::getenv("VELLORN_TEST_DRIVE");
    if (!drive) {
      GTEST_SKIP() << "needs the drive that tests/support/on_drive.sh makes: run it as ctest's "
                      "full: or fat: case";
    }
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    folder = std::string(drive);
    if (folder.back() != '\\') folder += '\\';
    folder += std::string(test->test_suite_name()) + "." + test->name();
    RemoveTree(folder);
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder << ": " << GetLastError();
  }

  std::string folder;
};

// A 4 KiB tmpfs: a dump of the test program takes about 300 KiB, and 14 KiB
// from the 32-bit build.
using CreateMiniDumpOnAFullDrive = OnTheRunsDrive;
constexpr ULONGLONG kLessThanADump = 8 * 1024;

TEST_F(CreateMiniDumpOnAFullDrive, LogsThatTheDiskIsFullAndLeavesNoFile) {
  ULARGE_INTEGER size{};
  ASSERT_TRUE(GetDiskFreeSpaceExA(folder.c_str(), nullptr, &size, nullptr)) << GetLastError();
  ASSERT_LT(size.QuadPart, kLessThanADump) << folder << " is not on the small drive";
  Process target = StartDumpTarget(folder);
  VellornSession vellorn(folder);
  ASSERT_TRUE(vellorn.Started()) << vellorn.StartError();
  ASSERT_TRUE(vellorn.SelectProcess(target.Id()));

  vellorn.Command(ID_PROCESS_DUMP);

  EXPECT_EQ(WaitForLines(vellorn, kLogStart, 2),
            kLogStart + kStarting + SystemText(ERROR_DISK_FULL));
  EXPECT_THAT(FilesIn(folder + "\\dumps"), IsEmpty());
}

// FAT32, as on most USB sticks: a volume that keeps no access lists.
using CreateMiniDumpOnAFatDrive = OnTheRunsDrive;

TEST_F(CreateMiniDumpOnAFatDrive, WritesAWholeDumpThatAnIndependentReaderReads) {
  const std::string root = folder.substr(0, 3);
  char fileSystem[MAX_PATH] = {};
  DWORD flags = 0;
  ASSERT_TRUE(GetVolumeInformationA(root.c_str(), nullptr, 0, nullptr, nullptr, &flags, fileSystem,
                                    MAX_PATH))
      << root << ": " << GetLastError();
  ASSERT_EQ(flags & FILE_PERSISTENT_ACLS, 0u)
      << root << " (" << fileSystem << ") keeps access lists";
  Process target = StartDumpTarget(folder);
  VellornSession vellorn(folder);
  ASSERT_TRUE(vellorn.Started()) << vellorn.StartError();
  const int row = vellorn.List().FindByData(static_cast<LPARAM>(target.Id()));
  ASSERT_GE(row, 0) << "not listed";
  const std::string rowId = vellorn.List().Text(row, 0);
  ASSERT_TRUE(vellorn.SelectRow(row));

  vellorn.Command(ID_PROCESS_DUMP);

  ExpectTheOnlyDumpIsOf(folder, WaitForLines(vellorn, kLogStart, 3), "dum", rowId);
}

}  // namespace
