// The fault sweep: every scenario of the program runs once to count its seam
// calls, then once more for each call, with that call failing with the error
// codes it really gives. After each run: no handle, module or message buffer
// is left (but the one whose release was the failing call), no file is left
// in dumps that the log does not name (but the temporary file that a failed
// close or delete leaves: results of clean-up calls are not examined), no
// success line stands for a failed step, and the log, the boxes and the rows
// read exactly what the user should see.
#include "actions/minidump_writer.h"
#include "app/main_dialog.h"
#include "process/process_list.h"
#include "tests/support/fake_system.h"
#include "tests/support/files.h"
#include "tests/support/hosted_dialog.h"
#include "tests/support/system_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace support;

constexpr DWORD kVersion4_0 = 0x00000004;
constexpr DWORD kVersion6_2 = 0x00000206;
constexpr DWORD kLockedId = 404;
constexpr DWORD kDumpedId = 4242;

const std::string kStart = "Output....\r\n";
const std::string kStarting = "Starting mini dump...\r\n";
const std::string kCreating = "Creating mini dump file: \r\n";
const std::string kCouldNotEnd = "Could not end process: ";
const std::string kPrivilegeCaption =
    "Unable to grant Debug Privilege.  You may not be able to create dumps on system processes.";

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

struct Box {
  std::string text;
  std::string caption;
  UINT type;
  bool operator==(const Box& other) const {
    return text == other.text && caption == other.caption && type == other.type;
  }
};

// What the user sees after the run, and what the spy counted.
struct Outcome {
  std::string log;
  std::vector<Box> boxes;
  std::vector<std::string> rows;  // the Name column, top to bottom
  bool dumpsFolder = false;
  std::vector<std::string> dumps;  // files in it
  std::string dumpsPath;
  std::vector<fake::OpenHandle> open;
  int badCloses = 0;
  int buffers = 0;
  int seamCalls = 0;
  std::vector<fake::Call> calls;
};

std::string Describe(const std::vector<Box>& boxes) {
  std::string text;
  for (const Box& box : boxes) {
    text +=
        "[\"" + box.text + "\" / \"" + box.caption + "\" type " + std::to_string(box.type) + "] ";
  }
  return text.empty() ? "none" : text;
}

std::string Joined(const std::vector<std::string>& texts) {
  std::string text;
  for (const std::string& one : texts) text += one + " ";
  return text;
}

// What a run should show.
struct Expected {
  std::vector<std::string> logs;  // any one of them
  std::vector<Box> boxes;
  bool checkRows = false;
  std::vector<std::string> rows;
  // Files allowed in dumps beyond those the log names: the empty temporary
  // file that a failed open of it leaves when its delete fails too.
  bool emptyTemporaryAllowed = false;
  // Results of clean-up calls are not examined: when the temporary file's
  // handle cannot be closed, or the file cannot be deleted, after a failed
  // dump, the partial temporary file stays and the log does not name it.
  bool failedCleanUpTemporaryAllowed = false;
  bool dumpsFolder = true;  // whether the folder exists afterwards (dump scenarios)
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
  if (host && host->Created()) {
    seen.log = hosted::WindowText((*host)->Output().m_hWnd);
    for (const hosted::RowTexts& row : hosted::Rows((*host)->ProcessList())) {
      seen.rows.push_back(row.name);
    }
  }
  if (host) {
    for (const hosted::ShownBox& box : host->Answered().boxes) {
      seen.boxes.push_back({box.text, box.caption, box.type});
    }
  }
  seen.dumpsPath = folder + "\\dumps";
  seen.dumpsFolder = IsFolder(seen.dumpsPath);
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
using Oracle = std::function<Expected(const Failure& failure, const Outcome& seen)>;

struct Scenario {
  std::string name;
  Action run;
  Oracle expect;
};

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

// How often the allowed exceptions were met, for the summary.
struct Exceptions {
  int emptyTemporary = 0;    // a failed open, then delete, of the temporary file
  int cleanUpTemporary = 0;  // a failed close or delete after a failed dump
  int releasesLeftOpen = 0;  // a failed close, release or free
};
Exceptions& Met() {
  static Exceptions met;
  return met;
}

// Checks one run against the rules every run keeps and the oracle's texts.
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
    ++Met().releasesLeftOpen;
    EXPECT_EQ(seen.open.size(), 1u) << open;
    if (!seen.open.empty()) {
      EXPECT_EQ(seen.open[0].label, failure.detail);
    }
  } else {
    EXPECT_EQ(open, "");
  }
  EXPECT_EQ(seen.badCloses, 0);
  EXPECT_EQ(seen.buffers, failure.Is("LocalFree") ? 1 : 0);

  const Expected expected = scenario.expect(failure, seen);
  bool logMatches = false;
  for (const std::string& log : expected.logs) logMatches = logMatches || seen.log == log;
  std::string wanted;
  for (const std::string& log : expected.logs) wanted += "\n--- or ---\n" + log;
  EXPECT_TRUE(logMatches) << "log:\n" << seen.log << "\nexpected:" << wanted;
  EXPECT_EQ(seen.boxes, expected.boxes)
      << "boxes: " << Describe(seen.boxes) << "\nexpected: " << Describe(expected.boxes);
  if (expected.checkRows) {
    EXPECT_EQ(seen.rows, expected.rows)
        << "rows: " << Joined(seen.rows) << "\nexpected: " << Joined(expected.rows);
  }

  // No success line for a step that failed: a dump is "created" and a
  // process "has ended" only when every step before the clean-up worked.
  const bool afterTheDump = failure.name == "MoveFileA" || failure.name == "DeleteFileA" ||
                            failure.Is("GetTempFileNameA", 2) || failure.Is("GetTempFileNameA", 3);
  if (failure.k && !IsRelease(failure.name) && !afterTheDump && failure.name != "FormatMessageA") {
    EXPECT_EQ(seen.log.find(kCreating), std::string::npos);
    EXPECT_EQ(seen.log.find(" has ended.\r\n"), std::string::npos);
  }

  // Every file in dumps is named by the log, but the empty temporary file
  // that a failed open of it leaves.
  if (seen.dumpsFolder != expected.dumpsFolder) {
    ADD_FAILURE() << "dumps folder " << (seen.dumpsFolder ? "exists" : "is missing");
  }
  bool cleanUpLeftover = false;
  for (const std::string& file : seen.dumps) {
    const std::string path = seen.dumpsPath + "\\" + file;
    if (seen.log.find(path + "\r\n") != std::string::npos) continue;
    if (expected.emptyTemporaryAllowed && EndsWith(file, ".tmp") && FileSize(path) == 0) {
      ++Met().emptyTemporary;
      continue;
    }
    if (expected.failedCleanUpTemporaryAllowed && EndsWith(file, ".tmp") && !cleanUpLeftover) {
      ++Met().cleanUpTemporary;
      cleanUpLeftover = true;
      continue;
    }
    ADD_FAILURE() << "file left that the log does not name: " << path;
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
    // GetCurrentProcess, GetVersion and the clock cannot fail: one run shows
    // they go on.
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
                           call.name != "GetSystemTimeAsFileTime";
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

std::vector<std::string> NamesOf(const std::vector<fake::FakeProcess>& table, size_t count) {
  std::vector<std::string> names;
  for (size_t i = 0; i < table.size() && names.size() < count; ++i) {
    if (table[i].canOpen) names.push_back(table[i].exeName);
  }
  return names;
}

Box LoadErrorBox(const char* caption) {
  return Box{"Load Error!", caption, MB_OK};
}

// What the snapshot fill shows when `failure` hits it (rows and boxes).
void ExpectSnapshotFill(const Failure& failure, Expected* expected) {
  expected->checkRows = true;
  expected->rows = NamesOf(SnapshotTable(), SnapshotTable().size());
  if (failure.Is("GetModuleHandleA") || failure.Is("GetProcAddress")) {
    expected->rows.clear();
    expected->boxes.push_back(LoadErrorBox("Could not load process walking API."));
  } else if (failure.Is("CreateToolhelp32Snapshot")) {
    expected->rows.clear();
    expected->boxes.push_back(LoadErrorBox("Could not get Toolhelp32Snapshot."));
  } else if (failure.Is("Process32First")) {
    expected->rows.clear();
    expected->boxes.push_back(
        Box{"Error", "Error calling Process32First: " + std::to_string(failure.error), MB_OK});
  } else if (failure.Is("Process32Next")) {
    // The walk ends quietly with the rows so far.
    expected->rows = NamesOf(SnapshotTable(), static_cast<size_t>(failure.occurrence));
  }
}

// What the process-status fill shows when `failure` hits it.
void ExpectStatusFill(const Failure& failure, Expected* expected) {
  expected->checkRows = true;
  std::vector<std::string> rows;
  if (failure.Is("LoadLibraryA") || failure.Is("GetProcAddress")) {
    expected->rows.clear();
    expected->boxes.push_back(LoadErrorBox("Could not load process walking API."));
    return;
  }
  if (failure.Is("EnumProcesses")) {
    expected->rows.clear();
    return;
  }
  // The n-th open is of the n-th process; the n-th module list of the n-th
  // process that could be opened; the n-th name read of the n-th process
  // whose modules could be listed.
  int opened = 0;
  int listed = 0;
  for (size_t i = 0; i < StatusTable().size(); ++i) {
    const fake::FakeProcess& process = StatusTable()[i];
    const bool openFails = failure.Is("OpenProcess", static_cast<int>(i) + 1);
    if (!process.canOpen || openFails) continue;
    ++opened;
    if (!process.canListModules || failure.Is("EnumProcessModules", opened)) continue;
    ++listed;
    const bool nameFails = !process.canReadName || failure.Is("GetModuleBaseNameA", listed);
    rows.push_back(nameFails ? "unknown" : process.exeName);
  }
  expected->rows = rows;
}

// The box of the enabling step: only when the token cannot be opened, its
// privilege looked up or adjusted, with access denied.
void ExpectEnabling(const Failure& failure, Expected* expected) {
  const bool enabling = failure.Is("OpenProcessToken") || failure.Is("LookupPrivilegeValueA", 1) ||
                        failure.Is("AdjustTokenPrivileges", 1) ||
                        failure.Is("AdjustTokenPrivileges", 2);
  if (enabling && failure.error == ERROR_ACCESS_DENIED) {
    expected->boxes.push_back(Box{"Access Denied.", kPrivilegeCaption, MB_OK});
  }
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
  CListCtrl& list = host->ProcessList();
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
};

BOOL WriteTheRealDump(HANDLE, DWORD, HANDLE file, MINIDUMP_TYPE, PMINIDUMP_EXCEPTION_INFORMATION,
                      PMINIDUMP_USER_STREAM_INFORMATION, PMINIDUMP_CALLBACK_INFORMATION) {
  DWORD written = 0;
  const BOOL wrote = ::WriteFile(file, RealDump().data(), static_cast<DWORD>(RealDump().size()),
                                 &written, nullptr);
  return wrote && written == RealDump().size();
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
      case DumpWorld::kWriterFails:
        fake::Hook().MiniDumpWriteDump = &FailPartWay;
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
  ui::PumpMessages();
  return Observe(host.get(), folder);
}

// Error codes of the real system that a dump run meets.
struct DumpErrors {
  DWORD missingFolder;  // GetTempFileNameA on a folder that is not there
  DWORD folderIsFile;   // GetTempFileNameA on a file
};

Expected ExpectDump(DumpWorld world, const Failure& failure, const Outcome& seen,
                    const DumpErrors& errors) {
  Expected expected;
  const auto text = [](DWORD code) { return SystemText(code); };
  // The one file the run left, if any, for the texts that name it.
  const std::string file = seen.dumps.size() == 1 ? seen.dumpsPath + "\\" + seen.dumps[0] : "";
  const std::string dumped = kStart + kStarting + kCreating + file + "\r\n";
  const bool folderIsFile = world == DumpWorld::kFolderIsFile;
  if (folderIsFile) expected.dumpsFolder = false;

  // The steps every dump takes up to the dump writer.
  if (failure.Is("GetCurrentDirectoryA")) {
    expected.logs = {kStart + text(failure.error)};
    expected.dumpsFolder = false;
    return expected;
  }
  if (failure.Is("CreateDirectoryA")) {
    expected.dumpsFolder = false;
    if (failure.error != ERROR_ALREADY_EXISTS) {
      expected.logs = {kStart + text(failure.error)};
      return expected;
    }
    // 183 is taken for the folder being there: the open, or else the
    // temporary name, is what fails.
    if (world == DumpWorld::kUnopenable) {
      expected.logs = {kStart + text(ERROR_ACCESS_DENIED)};
    } else {
      expected.logs = {kStart + text(folderIsFile ? errors.folderIsFile : errors.missingFolder)};
    }
    return expected;
  }
  if (failure.Is("OpenProcess") || failure.Is("GetProcessTimes") ||
      failure.Is("GetTempFileNameA", 1) || failure.Is("CreateFileA", 1)) {
    expected.logs = {kStart + text(failure.error)};
    return expected;
  }
  if (failure.Is("MiniDumpWriteDump")) {
    expected.logs = {kStart + kStarting + text(failure.error)};
    return expected;
  }

  // What the world itself leads to, and the failures on its own path.
  DWORD reported = 0;  // the error of the step that fails by itself
  bool started = true;
  switch (world) {
    case DumpWorld::kWritten:
    case DumpWorld::kNameTaken:
      break;
    case DumpWorld::kWriterFails:
      reported = ERROR_PARTIAL_COPY;
      break;
    case DumpWorld::kNotADump:
      reported = ERROR_FILE_CORRUPT;
      break;
    case DumpWorld::kFolderIsFile:
      reported = errors.folderIsFile;
      started = false;
      break;
    case DumpWorld::kTempLocked:
      reported = ERROR_SHARING_VIOLATION;
      started = false;
      expected.emptyTemporaryAllowed = failure.Is("DeleteFileA");
      break;
    case DumpWorld::kUnopenable:
      reported = ERROR_ACCESS_DENIED;
      started = false;
      break;
  }
  const std::string head = kStart + (started ? kStarting : std::string());
  if (failure.Is("CreateFileA", 2) || failure.Is("ReadFile") || failure.Is("GetFileSizeEx")) {
    expected.logs = {head + text(failure.error)};
    return expected;
  }
  if (world == DumpWorld::kWritten || world == DumpWorld::kNameTaken) {
    // The dump is complete: the success lines name the one .dmp file, or,
    // when the rename could not be done, the error and the temporary file.
    std::string dmp;
    std::string tmp;
    for (const std::string& name : seen.dumps) {
      (EndsWith(name, ".dmp") ? dmp : tmp) = seen.dumpsPath + "\\" + name;
    }
    const std::string named = kStart + kStarting + kCreating + dmp + "\r\n";
    const auto keptTemporary = [&](DWORD code) {
      return tmp.empty() ? std::string("(a .tmp file)")
                         : kStart + kStarting + text(code) + kCreating + tmp + "\r\n";
    };
    if (!failure || failure.Is("DeleteFileA") ||
        (failure.Is("MoveFileA") && failure.error == ERROR_ALREADY_EXISTS)) {
      // Another number is taken; a number that cannot be given back leaves
      // its empty temporary file.
      expected.logs = {dmp.empty() ? std::string("(a .dmp file)") : named};
      expected.failedCleanUpTemporaryAllowed = failure.Is("DeleteFileA");
    } else if (failure.Is("MoveFileA")) {
      expected.logs = {keptTemporary(failure.error)};
    } else if (failure.Is("GetTempFileNameA")) {
      // No other number: the first rename's error stands.
      expected.logs = {keptTemporary(ERROR_ALREADY_EXISTS)};
    } else if (failure.Is("CloseHandle")) {
      // The success lines stand. A file handle left open stops the rename;
      // the log then names the temporary file after the rename's error.
      expected.logs = {tmp.empty() ? named : keptTemporary(ERROR_SHARING_VIOLATION)};
    } else {
      ADD_FAILURE() << "no expectation for " << failure.name;
    }
    return expected;
  }
  expected.logs = {head + (failure.Is("FormatMessageA") ? std::string() : text(reported))};
  if (started && (failure.Is("DeleteFileA") || failure.Is("CloseHandle"))) {
    expected.failedCleanUpTemporaryAllowed = true;
  }
  return expected;
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
  ui::PumpMessages();
  return Observe(host.get(), folder);
}

const Box kQuestion{"Are you sure you wish to end this process?", "End Process", MB_YESNO};

Expected ExpectEnd(const Failure& failure, const Outcome&) {
  Expected expected;
  expected.dumpsFolder = false;
  expected.checkRows = true;
  expected.boxes = {kQuestion};
  const std::vector<std::string> all = {"alpha.exe", "beta.exe", "gamma.exe", "locked.exe"};
  if (failure.Is("OpenProcess") || failure.Is("GetProcessTimes") ||
      failure.Is("TerminateProcess")) {
    expected.logs = {kStart + kCouldNotEnd + SystemText(failure.error)};
    expected.boxes.push_back(
        Box{"The process could not be terminated.", ui::ProgramName().str(), MB_OK});
    expected.rows = all;
  } else {
    expected.logs = {kStart + "Process beta.exe has ended.\r\n"};
    expected.rows = {"alpha.exe", "gamma.exe", "locked.exe"};
  }
  return expected;
}

// A process that cannot be opened, or whose termination is refused.
Expected ExpectEndRefused(const Failure& failure, const Outcome&) {
  Expected expected;
  expected.dumpsFolder = false;
  expected.checkRows = true;
  expected.rows = {"alpha.exe", "beta.exe", "gamma.exe", "locked.exe"};
  expected.boxes = {kQuestion,
                    Box{"The process could not be terminated.", ui::ProgramName().str(), MB_OK}};
  const DWORD error =
      failure.Is("OpenProcess") || failure.Is("GetProcessTimes") || failure.Is("TerminateProcess")
          ? failure.error
          : ERROR_ACCESS_DENIED;
  // Without the system's text the line stays open.
  expected.logs = {kStart + kCouldNotEnd +
                   (failure.Is("FormatMessageA") ? std::string() : SystemText(error))};
  return expected;
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
  ui::Modal().getOpenFileName = &OpenDialogAnswer::Choose;
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
  ui::PumpMessages();
  Outcome seen = Observe(host.get(), folder);
  ui::Modal().getOpenFileName = nullptr;
  return seen;
}

Expected ExpectNewProcess(const Failure&, const Outcome&) {
  Expected expected;
  expected.dumpsFolder = false;
  // Whether the program started is not told.
  expected.logs = {kStart + "Creating process...\r\nZ:\\some folder\\my program.exe\r\n"};
  return expected;
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
  ui::PumpMessages();
  return Observe(host.get(), folder);
}

Outcome Report(const Arm& arm, const std::string& folder) {
  auto host = OpenWindow(SnapshotTable());
  arm();
  (*host)->ReportSystemError(ERROR_ACCESS_DENIED);
  ui::PumpMessages();
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
  ui::PumpMessages();
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

// The codes GetTempFileNameA leaves when the folder is not there, and when
// a file stands in its place.
DumpErrors TemporaryNameErrors(const std::string& base) {
  DumpErrors errors{};
  char name[MAX_PATH] = {};
  ::SetLastError(0);
  ::GetTempFileNameA((base + "\\no such folder").c_str(), "not", 0, name);
  errors.missingFolder = ::GetLastError();
  const std::string file = base + "\\a file";
  ::CloseHandle(::CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  ::SetLastError(0);
  ::GetTempFileNameA(file.c_str(), "not", 0, name);
  errors.folderIsFile = ::GetLastError();
  ::DeleteFileA(file.c_str());
  return errors;
}

class FaultSweep : public ::testing::Test {
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
    ui::Modal() = ui::ModalSeam{};
    fake::Reset();
    RemoveTree(m_base);
  }

  std::string m_base;
};

// A real dump of a real process, through the seam's real writer: the sweep's
// dump writer then writes these very bytes.
void MakeRealDump(const std::string& base) {
  if (!RealDump().empty()) return;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  char exe[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string program = exe;
  program = program.substr(0, program.find_last_of('\\') + 1) + "soak_child.exe";
  std::string commandLine = "\"" + program + "\"";
  const bool started = ::GetFileAttributesA(program.c_str()) != INVALID_FILE_ATTRIBUTES &&
                       ::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0,
                                        nullptr, nullptr, &startup, &child);
  if (started) ::Sleep(300);  // its thread is up
  // Without the small child, the test program dumps itself.
  const DWORD id = started ? child.dwProcessId : ::GetCurrentProcessId();
  {
    const RunFolder folder(base, "real-dump");
    fake::Reset();
    auto host = std::make_unique<hosted::HostedDialog>();
    fake::Reset();
    (*host)->WriteMiniDump(id, started ? "soak_child.exe" : "unit_tests.exe");
    const std::string log = hosted::WindowText((*host)->Output().m_hWnd);
    const std::vector<std::string> files = FilesIn(folder.Path() + "\\dumps");
    EXPECT_EQ(files.size(), 1u) << log;
    if (files.size() == 1) {
      EXPECT_EQ(log,
                kStart + kStarting + kCreating + folder.Path() + "\\dumps\\" + files[0] + "\r\n");
      RealDump() = ReadAll(folder.Path() + "\\dumps\\" + files[0]);
    }
    EXPECT_TRUE(fake::OpenHandles().empty());
  }
  if (started) {
    ::TerminateProcess(child.hProcess, 0);
    ::CloseHandle(child.hThread);
    ::CloseHandle(child.hProcess);
  }
  fake::Reset();
}

TEST_F(FaultSweep, EveryPlatformCallFailingInTurnLeavesNothingBehindAndTellsTheUserExactly) {
  const ULONGLONG started = ::GetTickCount64();
  MakeRealDump(m_base);
  ASSERT_GT(RealDump().size(), 32u);
  ASSERT_EQ(RealDump().compare(0, 4, "MDMP"), 0);
  const DumpErrors errors = TemporaryNameErrors(m_base);
  ASSERT_NE(SystemText(errors.missingFolder), "");
  ASSERT_NE(SystemText(errors.folderIsFile), "");
  const auto dump = [errors](const char* name, DumpWorld world) {
    return Scenario{
        name,
        [world](const Arm& arm, const std::string& folder) { return Dump(arm, folder, world); },
        [world, errors](const Failure& failure, const Outcome& seen) {
          return ExpectDump(world, failure, seen, errors);
        }};
  };

  const std::vector<Scenario> scenarios = {
      {"start-up, snapshot",
       [](const Arm& arm, const std::string& folder) {
         return StartUp(arm, folder, kVersion6_2, SnapshotTable());
       },
       [](const Failure& failure, const Outcome&) {
         Expected expected;
         expected.dumpsFolder = false;
         expected.logs = {kStart};
         ExpectSnapshotFill(failure, &expected);
         ExpectEnabling(failure, &expected);
         return expected;
       }},
      {"start-up, process status",
       [](const Arm& arm, const std::string& folder) {
         return StartUp(arm, folder, kVersion4_0, StatusTable());
       },
       [](const Failure& failure, const Outcome&) {
         Expected expected;
         expected.dumpsFolder = false;
         expected.logs = {kStart};
         ExpectStatusFill(failure, &expected);
         ExpectEnabling(failure, &expected);
         return expected;
       }},
      {"refresh", [](const Arm& arm, const std::string& folder) { return Refresh(arm, folder); },
       [](const Failure& failure, const Outcome&) {
         Expected expected;
         expected.dumpsFolder = false;
         expected.logs = {kStart};
         ExpectSnapshotFill(failure, &expected);
         return expected;
       }},
      {"start-up, status, entry missing",
       [](const Arm& arm, const std::string& folder) {
         return StartUpStatusFailing(arm, folder, true);
       },
       [](const Failure& failure, const Outcome&) {
         Expected expected;
         expected.dumpsFolder = false;
         expected.logs = {kStart};
         expected.checkRows = true;
         expected.boxes = {LoadErrorBox("Could not load process walking API.")};
         ExpectEnabling(failure, &expected);
         return expected;
       }},
      {"start-up, status, no list",
       [](const Arm& arm, const std::string& folder) {
         return StartUpStatusFailing(arm, folder, false);
       },
       [](const Failure& failure, const Outcome&) {
         Expected expected;
         expected.dumpsFolder = false;
         expected.logs = {kStart};
         expected.checkRows = true;
         if (failure.Is("LoadLibraryA") || failure.Is("GetProcAddress")) {
           expected.boxes = {LoadErrorBox("Could not load process walking API.")};
         }
         ExpectEnabling(failure, &expected);
         return expected;
       }},
      {"refresh, first entry fails",
       [](const Arm& arm, const std::string& folder) { return Refresh(arm, folder, true); },
       [](const Failure& failure, const Outcome&) {
         Expected expected;
         expected.dumpsFolder = false;
         expected.logs = {kStart};
         ExpectSnapshotFill(failure, &expected);
         if (expected.boxes.empty()) {
           expected.rows.clear();
           expected.boxes.push_back(Box{"Error", "Error calling Process32First: 18", MB_OK});
         }
         return expected;
       }},
      dump("dump", DumpWorld::kWritten),
      dump("dump, final name taken", DumpWorld::kNameTaken),
      dump("dump, writer fails", DumpWorld::kWriterFails),
      dump("dump, writer leaves no dump", DumpWorld::kNotADump),
      dump("dump, file in place of folder", DumpWorld::kFolderIsFile),
      dump("dump, temporary file locked", DumpWorld::kTempLocked),
      dump("dump, process not openable", DumpWorld::kUnopenable),
      {"end process",
       [](const Arm& arm, const std::string& folder) { return EndProcess(arm, folder, 202); },
       ExpectEnd},
      {"end process, not openable",
       [](const Arm& arm, const std::string& folder) { return EndProcess(arm, folder, kLockedId); },
       ExpectEndRefused},
      {"end process, refused",
       [](const Arm& arm, const std::string& folder) { return EndProcess(arm, folder, 202, true); },
       ExpectEndRefused},
      {"new process", NewProcess, ExpectNewProcess},
      {"enable debug privilege",
       [](const Arm& arm, const std::string& folder) { return Privilege(arm, folder, true); },
       [](const Failure& failure, const Outcome&) {
         Expected expected;
         expected.dumpsFolder = false;
         expected.logs = {kStart};
         ExpectEnabling(failure, &expected);
         return expected;
       }},
      {"disable debug privilege",
       [](const Arm& arm, const std::string& folder) { return Privilege(arm, folder, false); },
       [](const Failure&, const Outcome&) {
         Expected expected;
         expected.dumpsFolder = false;
         expected.logs = {kStart};
         return expected;
       }},
      {"report system error", Report,
       [](const Failure& failure, const Outcome&) {
         Expected expected;
         expected.dumpsFolder = false;
         expected.logs = {failure.Is("FormatMessageA") ? kStart
                                                       : kStart + SystemText(ERROR_ACCESS_DENIED)};
         return expected;
       }},
  };

  int points = 0;
  int runs = 0;
  for (const Scenario& scenario : scenarios) {
    const Tally tally = Sweep(scenario, m_base);
    points += tally.points;
    runs += tally.runs;
  }
  std::printf("[ sweep ] in all: %d failure points exercised in %d runs of %zu scenarios, %.1f s\n",
              points, runs, scenarios.size(),
              static_cast<double>(::GetTickCount64() - started) / 1000.0);
  std::printf(
      "[ sweep ] allowed leftovers met: %d failed releases left their one handle, module or "
      "buffer; %d empty temporary files after a failed open; %d partial temporary files after a "
      "failed close or delete\n",
      Met().releasesLeftOpen, Met().emptyTemporary, Met().cleanUpTemporary);
  EXPECT_GE(points, 200);
}

}  // namespace
