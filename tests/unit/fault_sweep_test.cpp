// The fault sweep: every scenario of the program runs once to count its seam
// calls, then once more for each call, with that call failing with the error
// codes it really gives. After each run: no handle, module or message buffer
// is left (but the one whose release was the failing call), nothing is closed
// twice, no file is left in dumps that the log does not name (but the
// temporary file that a failed close or delete leaves: results of clean-up
// calls are not examined, and what someone else put under a dump's name),
// nothing is written into someone else's file, and no success line stands
// for a failed step. What each failure tells the user is held by the
// handlers' own tests.
#include "actions/minidump_writer.h"
#include "app/main_dialog.h"
#include "platform/list_ctrl.h"
#include "platform/window.h"
#include "process/process_list.h"
#include "tests/support/fake_system.h"
#include "tests/support/files.h"
#include "tests/support/hosted_dialog.h"
#include "tests/support/modal_answers.h"
#include "tests/support/messages.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace {

using namespace support;

constexpr DWORD kVersion4_0 = 0x00000004;
constexpr DWORD kVersion6_2 = 0x00000206;
constexpr DWORD kLockedId = 404;
constexpr DWORD kDumpedId = 4242;

// What someone else's file, linked in place of a new dump, holds.
const std::string kTheirs = "someone else's";

// The success lines of a dump and of an end.
const std::string kCreating = "Creating mini dump file: ";
const std::string kEnded = " has ended.\r\n";

// --- Files --------------------------------------------------------------------------

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// --- One run of a scenario --------------------------------------------------------------

// The failing call of a run (none when k is 0).
struct Failure {
  int k = 0;
  DWORD error = 0;
  std::string name;    // of the call
  int occurrence = 0;  // of that name within the run, from 1
  std::string detail;  // as the spy recorded it
  bool operator!() const { return k == 0; }
  bool Is(const char* call, int nth = 0) const {
    return k != 0 && name == call && (nth == 0 || occurrence == nth);
  }
};

// What the user sees after the run, and what the spy counted.
struct Outcome {
  std::string log;
  std::vector<std::string> dumps;  // files in dumps
  std::string dumpsPath;
  std::vector<fake::OpenHandle> open;
  int badCloses = 0;
  int buffers = 0;
  int seamCalls = 0;
  std::vector<fake::Call> calls;
};

// The folder each run works in: a fresh current directory.
class RunFolder {
 public:
  RunFolder(const std::string& base, const std::string& name) {
    char previous[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, previous);
    m_previous = previous;
    m_path = base + "\\" + name;
    RemoveTree(m_path);
    ::CreateDirectoryA(m_path.c_str(), nullptr);
    ::SetCurrentDirectoryA(m_path.c_str());
  }
  ~RunFolder() {
    ::SetCurrentDirectoryA(m_previous.c_str());
    RemoveTree(m_path);
  }
  RunFolder(const RunFolder&) = delete;
  RunFolder& operator=(const RunFolder&) = delete;
  const std::string& Path() const { return m_path; }

 private:
  std::string m_previous;
  std::string m_path;
};

// Starts the counted part of a run: forgets what came before, lays out the
// scenario's fake world and arms the failure.
struct Arm {
  int k;
  DWORD error;
  std::function<void()> world;
  void operator()() const {
    fake::Reset();
    if (world) world();
    if (k > 0) fake::FailCallNumber(k, error);
  }
};

// Reads what the user sees and what the spy counted, right after the action.
Outcome Observe(hosted::HostedDialog* host, const std::string& folder) {
  Outcome seen;
  seen.open = fake::OpenHandles();
  seen.badCloses = fake::BadCloses();
  seen.buffers = fake::OutstandingLocalBuffers();
  seen.seamCalls = fake::SeamCallCount();
  seen.calls = fake::Calls();
  if (host && host->Created()) seen.log = host->Log();
  seen.dumpsPath = folder + "\\dumps";
  seen.dumps = FilesIn(seen.dumpsPath);
  return seen;
}

// Releases what a failed release left, so that the test process keeps no
// real handle, module or buffer of a run.
void ReleaseLeftovers(const Outcome& seen, const Failure& failure) {
  for (const fake::OpenHandle& handle : seen.open) {
    if (handle.creator == "CreateFileA" || handle.creator == "OpenProcessToken" ||
        handle.creator == "ShellExecuteExA") {
      ::CloseHandle(handle.value);
    }
  }
  if (failure.Is("LocalFree") && seen.buffers > 0) {
    ::LocalFree(reinterpret_cast<HLOCAL>(std::strtoull(failure.detail.c_str(), nullptr, 16)));
  }
}

using Action = std::function<Outcome(const Arm& arm, const std::string& folder)>;

struct Scenario {
  std::string name;  // of the test case
  Action run;
  bool dumps = false;  // writes the bytes of a real dump
};

void PrintTo(const Scenario& scenario, std::ostream* out) {
  *out << scenario.name;
}

// Further codes worth a run of their own, where they take another path.
const std::map<std::string, std::vector<DWORD>>& MoreErrors() {
  static const std::map<std::string, std::vector<DWORD>> more = {
      {"CreateDirectoryA", {ERROR_ALREADY_EXISTS, ERROR_ACCESS_DENIED}},
      {"OpenProcessToken", {ERROR_INVALID_HANDLE}},
      {"AdjustTokenPrivileges", {ERROR_ACCESS_DENIED}},
      {"OpenProcess", {ERROR_INVALID_PARAMETER}},
      {"MoveFileA", {ERROR_ACCESS_DENIED}},
      {"MiniDumpWriteDump", {ERROR_DISK_FULL}},
      {"CreateFileA", {ERROR_ACCESS_DENIED}},
  };
  return more;
}

// Releases that may fail without the program doing anything about it: what
// they were to release stays, and that one thing only.
bool IsRelease(const std::string& name) {
  return name == "CloseHandle" || name == "FreeLibrary" || name == "LocalFree";
}

// Checks one run against the rules every run keeps.
void Check(const Scenario& scenario, const Failure& failure, const Outcome& seen) {
  SCOPED_TRACE(scenario.name + ": " +
               (!failure ? std::string("no failure")
                         : "call " + std::to_string(failure.k) + " " + failure.name + "#" +
                               std::to_string(failure.occurrence) + "(" + failure.detail +
                               ") fails with " + std::to_string(failure.error)));
  // Nothing left behind, but what a failed release was to release.
  std::string open;
  for (const fake::OpenHandle& handle : seen.open)
    open += handle.creator + " " + handle.label + "; ";
  if (failure.Is("CloseHandle") || failure.Is("FreeLibrary")) {
    EXPECT_EQ(seen.open.size(), 1u) << open;
    if (!seen.open.empty()) {
      EXPECT_EQ(seen.open[0].label, failure.detail);
    }
  } else {
    EXPECT_EQ(open, "");
  }
  EXPECT_EQ(seen.badCloses, 0);
  EXPECT_EQ(seen.buffers, failure.Is("LocalFree") ? 1 : 0);

  // No success line for a step that failed: a dump is "created" and a
  // process "has ended" only when every step before the clean-up worked.
  const bool afterTheDump = failure.name == "MoveFileA" || failure.name == "DeleteFileA" ||
                            failure.Is("GetTempFileNameA", 2) || failure.Is("GetTempFileNameA", 3);
  // A system without the by-handle volume query asks the volume's root
  // instead: the lookup's failure is no failed step.
  const bool volumeLookup =
      (scenario.dumps && failure.Is("GetModuleHandleA")) ||
      (failure.Is("GetProcAddress") &&
       failure.detail.find("GetVolumeInformationByHandleW") != std::string::npos);
  // The pointer's shape is no step of the dump.
  if (failure.k && !IsRelease(failure.name) && !afterTheDump && !volumeLookup &&
      failure.name != "FormatMessageA" && failure.name != "LoadCursorA") {
    EXPECT_EQ(seen.log.find(kCreating), std::string::npos) << seen.log;
    EXPECT_EQ(seen.log.find(kEnded), std::string::npos) << seen.log;
  }

  // Someone else's file beside dumps is never written.
  const std::string theirs = seen.dumpsPath.substr(0, seen.dumpsPath.rfind('\\')) + "\\theirs.txt";
  if (FileSize(theirs) >= 0) {
    EXPECT_TRUE(ReadAll(theirs) == kTheirs) << "written into " << theirs;
  }

  // Every file in dumps is named by the log, but the one temporary file that
  // a failed clean-up call leaves.
  bool cleanUpLeftover = !(failure.Is("DeleteFileA") || failure.Is("CloseHandle"));
  for (const std::string& file : seen.dumps) {
    const std::string path = seen.dumpsPath + "\\" + file;
    if (seen.log.find(path + "\r\n") != std::string::npos) continue;
    if (ReadAll(path) == kTheirs) continue;
    if (EndsWith(file, ".tmp") && !cleanUpLeftover) {
      cleanUpLeftover = true;
      continue;
    }
    ADD_FAILURE() << "file left that the log does not name: " << path << "\nlog:\n" << seen.log;
  }
}

struct Tally {
  int runs = 0;
  int points = 0;
};

// Runs the scenario once to count its seam calls, then once per call and
// error code with that call failing.
Tally Sweep(const Scenario& scenario, const std::string& base) {
  Tally tally;
  std::vector<fake::Call> calls;
  {
    const RunFolder folder(base, scenario.name + "-count");
    const Outcome seen = scenario.run(Arm{0, 0, nullptr}, folder.Path());
    Check(scenario, Failure{}, seen);
    ReleaseLeftovers(seen, Failure{});
    calls = seen.calls;
  }
  ++tally.runs;
  // The seam calls in order (GetLastError is not one).
  std::vector<const fake::Call*> seam;
  for (const fake::Call& call : calls) {
    if (call.name != "GetLastError") seam.push_back(&call);
  }
  std::map<std::string, int> seenNames;
  for (size_t index = 0; index < seam.size(); ++index) {
    const fake::Call& call = *seam[index];
    const int occurrence = ++seenNames[call.name];
    std::vector<DWORD> errors = {fake::TypicalError(call.name.c_str())};
    // GetCurrentProcess, GetVersion, the clock and SetCursor cannot fail: one
    // run shows they go on.
    const auto more = MoreErrors().find(call.name);
    if (more != MoreErrors().end()) {
      errors.insert(errors.end(), more->second.begin(), more->second.end());
    }
    for (const DWORD error : errors) {
      Failure failure;
      failure.k = static_cast<int>(index) + 1;
      failure.error = error;
      failure.name = call.name;
      failure.occurrence = occurrence;
      failure.detail = call.detail;
      const bool canFail = call.name != "GetCurrentProcess" && call.name != "GetVersion" &&
                           call.name != "GetSystemTimeAsFileTime" && call.name != "SetCursor";
      const RunFolder folder(
          base, scenario.name + "-" + std::to_string(failure.k) + "-" + std::to_string(error));
      const Outcome seen = scenario.run(Arm{failure.k, error, nullptr}, folder.Path());
      // The run went the same way up to the failing call; its own details
      // (paths, buffer addresses) name what the call was to act on.
      std::vector<const fake::Call*> again;
      for (const fake::Call& c : seen.calls) {
        if (c.name != "GetLastError") again.push_back(&c);
      }
      EXPECT_GT(again.size(), index) << scenario.name << ": run " << failure.k << " ended early";
      if (again.size() > index) {
        EXPECT_EQ(again[index]->name, call.name) << scenario.name << ": run " << failure.k;
        failure.detail = again[index]->detail;
      }
      ReleaseLeftovers(seen, failure);
      Check(scenario, canFail ? failure : Failure{}, seen);
      ++tally.runs;
      tally.points += canFail ? 1 : 0;
    }
  }
  std::printf("[ sweep ] %-28s %3zu seam calls, %3d failure points exercised (%d runs)\n",
              scenario.name.c_str(), seam.size(), tally.points, tally.runs);
  std::fflush(stdout);
  return tally;
}

// --- The fake worlds --------------------------------------------------------------------

const std::vector<fake::FakeProcess>& SnapshotTable() {
  static const std::vector<fake::FakeProcess> table = {
      {101, "alpha.exe", 3}, {202, "beta.exe", 5}, {303, "gamma.exe", 1}};
  return table;
}

const std::vector<fake::FakeProcess>& StatusTable() {
  static const std::vector<fake::FakeProcess> table = {{101, "alpha.exe", 3},
                                                       {202, "beta.exe", 5},
                                                       {kLockedId, "locked.exe", 2, false},
                                                       {505, "hidden.exe", 4, true, false},
                                                       {606, "noname.exe", 1, true, true, false},
                                                       {303, "gamma.exe", 1}};
  return table;
}

const std::vector<fake::FakeProcess>& EndTable() {
  static const std::vector<fake::FakeProcess> table = {{101, "alpha.exe", 3},
                                                       {202, "beta.exe", 5},
                                                       {303, "gamma.exe", 1},
                                                       {kLockedId, "locked.exe", 2, false}};
  return table;
}

// --- The scenarios ------------------------------------------------------------------------

Outcome StartUp(const Arm& arm, const std::string& folder, DWORD version,
                const std::vector<fake::FakeProcess>& table) {
  Arm armed = arm;
  armed.world = [version, table] {
    fake::SetVersion(version);
    fake::SetProcesses(table);
  };
  armed();
  hosted::HostedDialog host;
  Outcome seen = Observe(&host, folder);
  return seen;
}

// A window up with the snapshot table, for the commands.
std::unique_ptr<hosted::HostedDialog> OpenWindow(const std::vector<fake::FakeProcess>& table) {
  fake::Reset();
  fake::SetVersion(kVersion6_2);
  fake::SetProcesses(table);
  auto host = std::make_unique<hosted::HostedDialog>();
  return host;
}

void SelectRow(hosted::HostedDialog& host, DWORD processId) {
  support::ProcessListView& list = host.List();
  for (int row = 0; row < list.GetItemCount(); ++row) {
    if (list.GetItemData(row) == processId) {
      list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
  }
}

BOOL FirstEntryUnreadable(HANDLE, PROCESSENTRY32*) {
  ::SetLastError(ERROR_NO_MORE_FILES);
  return FALSE;
}

BOOL NoProcessList(DWORD*, DWORD, DWORD*) {
  ::SetLastError(ERROR_ACCESS_DENIED);
  return FALSE;
}

BOOL TerminationRefused(HANDLE, UINT) {
  ::SetLastError(ERROR_ACCESS_DENIED);
  return FALSE;
}

// The bytes of a real dump of a real process, made once through the spy's
// forwarding to the real dump writer.
std::string& RealDump() {
  static std::string dump;
  return dump;
}

std::vector<fake::FakeProcess> DumpTable() {
  return {{kDumpedId, "notepad.exe", 3}, {kLockedId, "locked.exe", 2, false}};
}

// How the dump goes when nothing is made to fail.
enum class DumpWorld {
  kWritten,       // a real dump's bytes are written
  kWriterFails,   // the writer fails with ERROR_PARTIAL_COPY
  kNotADump,      // the writer claims success but leaves only a header
  kFolderIsFile,  // a file named dumps stands where the folder should be
  kTempLocked,    // the temporary file cannot be opened for writing
  kUnopenable,    // the process cannot be opened
  kNameTaken,     // the first final name is taken, as by an earlier dump
  kLinkInPlace,   // a hard link to someone else's file replaces the new one
  kFullDrive,     // the writer claims success for half a dump on a drive with no room left
  kNoLists,       // a drive without access lists, on a system without the by-handle query
};

BOOL WriteTheRealDump(HANDLE, DWORD, HANDLE file, MINIDUMP_TYPE, PMINIDUMP_EXCEPTION_INFORMATION,
                      PMINIDUMP_USER_STREAM_INFORMATION, PMINIDUMP_CALLBACK_INFORMATION) {
  DWORD written = 0;
  const BOOL wrote = ::WriteFile(file, RealDump().data(), static_cast<DWORD>(RealDump().size()),
                                 &written, nullptr);
  return wrote && written == RealDump().size();
}

BOOL WriteHalfTheRealDump(HANDLE, DWORD, HANDLE file, MINIDUMP_TYPE,
                          PMINIDUMP_EXCEPTION_INFORMATION, PMINIDUMP_USER_STREAM_INFORMATION,
                          PMINIDUMP_CALLBACK_INFORMATION) {
  DWORD written = 0;
  ::WriteFile(file, RealDump().data(), static_cast<DWORD>(RealDump().size() / 2), &written,
              nullptr);
  return TRUE;
}

BOOL NoRoomLeft(LPCSTR, PULARGE_INTEGER available, PULARGE_INTEGER, PULARGE_INTEGER) {
  available->QuadPart = 0;
  return TRUE;
}

// FAT32's: no FILE_PERSISTENT_ACLS.
BOOL Fat32Volume(LPCSTR, LPSTR, DWORD, LPDWORD, LPDWORD, LPDWORD flags, LPSTR, DWORD) {
  *flags = FILE_CASE_PRESERVED_NAMES;
  return TRUE;
}

BOOL FailPartWay(HANDLE, DWORD, HANDLE file, MINIDUMP_TYPE, PMINIDUMP_EXCEPTION_INFORMATION,
                 PMINIDUMP_USER_STREAM_INFORMATION, PMINIDUMP_CALLBACK_INFORMATION) {
  DWORD written = 0;
  ::WriteFile(file, "MDMP", 4, &written, nullptr);
  ::SetLastError(ERROR_PARTIAL_COPY);
  return FALSE;
}

HANDLE RefuseWriting(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                     DWORD disposition, DWORD attributes, HANDLE templateFile) {
  if (access == GENERIC_WRITE) {
    ::SetLastError(ERROR_SHARING_VIOLATION);
    return INVALID_HANDLE_VALUE;
  }
  return ::CreateFileA(path, access, share, security, disposition, attributes, templateFile);
}

int& RenamesTried() {
  static int renames = 0;
  return renames;
}

// Makes the new temporary file, then puts a second name of "theirs.txt",
// beside dumps, in its place.
UINT LinkInPlace(LPCSTR folder, LPCSTR prefix, UINT unique, LPSTR name) {
  const UINT number = ::GetTempFileNameA(folder, prefix, unique, name);
  ::DeleteFileA(name);
  ::CreateHardLinkA(name, "theirs.txt", nullptr);
  return number;
}

BOOL FirstNameTaken(LPCSTR from, LPCSTR to) {
  if (++RenamesTried() == 1) {
    ::SetLastError(ERROR_ALREADY_EXISTS);
    return FALSE;
  }
  return ::MoveFileA(from, to);
}

Outcome Dump(const Arm& arm, const std::string& folder, DumpWorld world) {
  auto host = OpenWindow(DumpTable());
  SelectRow(*host, world == DumpWorld::kUnopenable ? kLockedId : kDumpedId);
  Arm armed = arm;
  armed.world = [world] {
    fake::SetVersion(kVersion6_2);
    fake::SetProcesses(DumpTable());
    switch (world) {
      case DumpWorld::kWritten:
        fake::Hook().MiniDumpWriteDump = &WriteTheRealDump;
        break;
      case DumpWorld::kNameTaken:
        fake::Hook().MiniDumpWriteDump = &WriteTheRealDump;
        RenamesTried() = 0;
        fake::Hook().MoveFileA = &FirstNameTaken;
        break;
      case DumpWorld::kLinkInPlace: {
        fake::Hook().MiniDumpWriteDump = &WriteTheRealDump;
        WriteAll("theirs.txt", kTheirs);
        fake::Hook().GetTempFileNameA = &LinkInPlace;
        break;
      }
      case DumpWorld::kWriterFails:
        fake::Hook().MiniDumpWriteDump = &FailPartWay;
        break;
      case DumpWorld::kFullDrive:
        fake::Hook().MiniDumpWriteDump = &WriteHalfTheRealDump;
        fake::Hook().GetDiskFreeSpaceExA = &NoRoomLeft;
        break;
      case DumpWorld::kNoLists:
        fake::Hook().MiniDumpWriteDump = &WriteTheRealDump;
        fake::RemoveEntryPoint("GetVolumeInformationByHandleW");
        fake::Hook().GetVolumeInformationA = &Fat32Volume;
        break;
      case DumpWorld::kFolderIsFile:
        ::CloseHandle(::CreateFileA("dumps", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        break;
      case DumpWorld::kTempLocked:
        fake::Hook().CreateFileA = &RefuseWriting;
        break;
      case DumpWorld::kNotADump:  // the spy's own writer writes a bare header
      case DumpWorld::kUnopenable:
        break;
    }
  };
  armed();
  (*host)->OnCreateMiniDump();
  support::PumpMessages();
  return Observe(host.get(), folder);
}

Outcome EndProcess(const Arm& arm, const std::string& folder, DWORD processId,
                   bool terminationRefused = false) {
  auto host = OpenWindow(EndTable());
  SelectRow(*host, processId);
  host->Answered().boxAnswer = IDYES;
  Arm armed = arm;
  armed.world = [terminationRefused] {
    fake::SetVersion(kVersion6_2);
    fake::SetProcesses(EndTable());
    if (terminationRefused) fake::Hook().TerminateProcess = &TerminationRefused;
  };
  armed();
  (*host)->OnEndProcess();
  support::PumpMessages();
  return Observe(host.get(), folder);
}

struct OpenDialogAnswer {
  static BOOL Choose(OPENFILENAMEA* request) {
    static const char kChosen[] = "Z:\\some folder\\my program.exe";
    std::strncpy(request->lpstrFile, kChosen, request->nMaxFile - 1);
    request->lpstrFile[request->nMaxFile - 1] = '\0';
    return TRUE;
  }
};

Outcome NewProcess(const Arm& arm, const std::string& folder) {
  auto host = OpenWindow(SnapshotTable());
  modal::Answer().getOpenFileName = &OpenDialogAnswer::Choose;
  Arm armed = arm;
  armed.world = [] {
    // The shell "starts" the program and hands back a real process handle.
    fake::Hook().ShellExecuteExA = [](SHELLEXECUTEINFOA* info) -> BOOL {
      info->hProcess = ::OpenProcess(SYNCHRONIZE, FALSE, ::GetCurrentProcessId());
      return info->hProcess != nullptr;
    };
  };
  armed();
  (*host)->OnNewProcess();
  support::PumpMessages();
  Outcome seen = Observe(host.get(), folder);
  modal::Answer().getOpenFileName = nullptr;
  return seen;
}

Outcome Privilege(const Arm& arm, const std::string& folder, bool enable) {
  auto host = OpenWindow(SnapshotTable());
  host->Answered().boxes.clear();
  arm();
  if (enable) {
    (*host)->EnableDebugPrivilege();
  } else {
    (*host)->DisableDebugPrivilege();
  }
  support::PumpMessages();
  return Observe(host.get(), folder);
}

Outcome Report(const Arm& arm, const std::string& folder) {
  auto host = OpenWindow(SnapshotTable());
  arm();
  (*host)->ReportSystemError(ERROR_ACCESS_DENIED);
  support::PumpMessages();
  return Observe(host.get(), folder);
}

Outcome Refresh(const Arm& arm, const std::string& folder, bool firstEntryFails = false) {
  auto host = OpenWindow(SnapshotTable());
  Arm armed = arm;
  armed.world = [firstEntryFails] {
    fake::SetVersion(kVersion6_2);
    fake::SetProcesses(SnapshotTable());
    if (firstEntryFails) fake::Hook().Process32First = &FirstEntryUnreadable;
  };
  host->Answered().boxes.clear();
  armed();
  (*host)->RefreshProcessList();
  support::PumpMessages();
  return Observe(host.get(), folder);
}

// Start-up on the process-status path where the library lacks an entry
// point, or where the enumeration fails.
Outcome StartUpStatusFailing(const Arm& arm, const std::string& folder, bool entryMissing) {
  Arm armed = arm;
  armed.world = [entryMissing] {
    fake::SetVersion(kVersion4_0);
    fake::SetProcesses(StatusTable());
    if (entryMissing) {
      fake::RemoveEntryPoint("GetModuleFileNameExA");
    } else {
      fake::Hook().EnumProcesses = &NoProcessList;
    }
  };
  armed();
  hosted::HostedDialog host;
  return Observe(&host, folder);
}

// A real dump of this very process, through the seam's real writer: the
// sweep's dump writer then writes these very bytes.
void MakeRealDump(const std::string& base) {
  if (!RealDump().empty()) return;
  const RunFolder folder(base, "real-dump");
  fake::Reset();
  auto host = std::make_unique<hosted::HostedDialog>();
  fake::Reset();
  (*host)->WriteMiniDump(::GetCurrentProcessId(), "unit_tests.exe");
  const std::vector<std::string> files = FilesIn(folder.Path() + "\\dumps");
  ASSERT_EQ(files.size(), 1u) << host->Log();
  RealDump() = ReadAll(folder.Path() + "\\dumps\\" + files[0]);
  EXPECT_TRUE(fake::OpenHandles().empty());
  fake::Reset();
}

Scenario Dumping(const char* name, DumpWorld world) {
  return {name,
          [world](const Arm& arm, const std::string& folder) { return Dump(arm, folder, world); },
          true};
}

std::vector<Scenario> Scenarios() {
  return {
      {"StartUpWithTheSnapshot",
       [](const Arm& arm, const std::string& folder) {
         return StartUp(arm, folder, kVersion6_2, SnapshotTable());
       }},
      {"StartUpWithProcessStatus",
       [](const Arm& arm, const std::string& folder) {
         return StartUp(arm, folder, kVersion4_0, StatusTable());
       }},
      {"StartUpWithProcessStatusEntryMissing",
       [](const Arm& arm, const std::string& folder) {
         return StartUpStatusFailing(arm, folder, true);
       }},
      {"StartUpWithProcessStatusListRefused",
       [](const Arm& arm, const std::string& folder) {
         return StartUpStatusFailing(arm, folder, false);
       }},
      {"Refresh", [](const Arm& arm, const std::string& folder) { return Refresh(arm, folder); }},
      {"RefreshFirstEntryUnreadable",
       [](const Arm& arm, const std::string& folder) { return Refresh(arm, folder, true); }},
      Dumping("Dump", DumpWorld::kWritten),
      Dumping("DumpFinalNameTaken", DumpWorld::kNameTaken),
      Dumping("DumpNameTakenByALink", DumpWorld::kLinkInPlace),
      Dumping("DumpWriterFails", DumpWorld::kWriterFails),
      Dumping("DumpWriterLeavesNoDump", DumpWorld::kNotADump),
      Dumping("DumpOnAFullDrive", DumpWorld::kFullDrive),
      Dumping("DumpOnADriveWithoutAccessLists", DumpWorld::kNoLists),
      Dumping("DumpFileInPlaceOfFolder", DumpWorld::kFolderIsFile),
      Dumping("DumpTemporaryFileLocked", DumpWorld::kTempLocked),
      Dumping("DumpProcessNotOpenable", DumpWorld::kUnopenable),
      {"EndProcess",
       [](const Arm& arm, const std::string& folder) { return EndProcess(arm, folder, 202); }},
      {"EndProcessNotOpenable",
       [](const Arm& arm, const std::string& folder) {
         return EndProcess(arm, folder, kLockedId);
       }},
      {"EndProcessRefused",
       [](const Arm& arm, const std::string& folder) {
         return EndProcess(arm, folder, 202, true);
       }},
      {"NewProcess", NewProcess},
      {"EnableDebugPrivilege",
       [](const Arm& arm, const std::string& folder) { return Privilege(arm, folder, true); }},
      {"DisableDebugPrivilege",
       [](const Arm& arm, const std::string& folder) { return Privilege(arm, folder, false); }},
      {"ReportSystemError", Report},
  };
}

class FaultSweep : public ::testing::TestWithParam<Scenario> {
 protected:
  void SetUp() override {
    fake::Reset();
    char current[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, current);
    m_base = std::string(current) + "\\fault_sweep";
    RemoveTree(m_base);
    ::CreateDirectoryA(m_base.c_str(), nullptr);
  }
  void TearDown() override {
    modal::Answer() = modal::Answers{};
    fake::Reset();
    RemoveTree(m_base);
  }

  std::string m_base;
};

TEST_P(FaultSweep, EachCallFailingInTurnLeavesNothingBehindAndClaimsNoSuccess) {
  if (GetParam().dumps) {
    MakeRealDump(m_base);
    ASSERT_EQ(RealDump().compare(0, 4, "MDMP"), 0);
  }
  EXPECT_GT(Sweep(GetParam(), m_base).points, 0);
}

INSTANTIATE_TEST_SUITE_P(EveryScenario, FaultSweep, ::testing::ValuesIn(Scenarios()),
                         [](const ::testing::TestParamInfo<Scenario>& info) {
                           return info.param.name;
                         });

}  // namespace
