// New Process, End Process and the column sort of the real program, driven
// from outside: the file-open dialog, the context menu, the confirmation and
// failure boxes, real header clicks, and what the processes themselves do.
#include "tests/support/driver/list_order.h"
#include "tests/support/driver/session.h"
#include "tests/support/files.h"
#include "tests/support/system_text.h"
#include "tests/support/text.h"

#include <gtest/gtest.h>

#include <dbghelp.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace support;

// Downs to the context menu's items: Create Mini-dump, End Process.
constexpr int kContextEndProcess = 2;

constexpr const char* kQuestion = "Are you sure you wish to end this process?";
constexpr const char* kRefused = "The process could not be terminated.";

// How launch_target.exe was asked to show itself, from the record it writes.
struct LaunchRecord {
  bool found = false;
  DWORD processId = 0;
  unsigned long flags = 0;
  unsigned show = 0;
  int cmdShow = -1;
  int visible = -1;
};

LaunchRecord ReadRecord(const std::string& path) {
  LaunchRecord record;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return record;
  unsigned long id = 0;
  record.found = std::fscanf(file, "pid=%lu flags=0x%lx show=%u cmdshow=%d visible=%d", &id,
                             &record.flags, &record.show, &record.cmdShow, &record.visible) == 5;
  record.processId = id;
  std::fclose(file);
  return record;
}

LaunchRecord WaitForRecord(const std::string& path) {
  LaunchRecord record;
  e2e::WaitFor([&] { return (record = ReadRecord(path)).found; }, 15000);
  return record;
}

// A row as the user sees it, with its row data; the index is left out, as it
// changes when rows move.
std::vector<std::string> Seen(const std::vector<e2e::ListRow>& rows) {
  std::vector<std::string> seen;
  for (const auto& row : rows) {
    seen.push_back(row.id + " | " + row.name + " | " + row.threads + " | " +
                   std::to_string(static_cast<long long>(row.data)));
  }
  return seen;
}

std::vector<std::string> Without(std::vector<std::string> rows, size_t index) {
  rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(index));
  return rows;
}

// The index of the row whose ID column reads processId, as the user finds it.
int RowShowing(const e2e::VellornSession& vellorn, DWORD processId) {
  const std::string id = std::to_string(static_cast<int>(processId));
  for (const auto& row : vellorn.Rows()) {
    if (row.id == id) return row.index;
  }
  return -1;
}

// The file-open dialog's name field: the combo box 1148 of the explorer look,
// else the plain edit 1152.
std::string FileNameField(HWND dialog) {
  const HWND combo = GetDlgItem(dialog, 1148);
  if (combo && IsWindowVisible(combo)) return WindowText(combo);
  return WindowText(GetDlgItem(dialog, 1152));
}

BOOL CALLBACK FindShownIcon(HWND child, LPARAM found) {
  char kind[16] = {};
  GetClassNameA(child, kind, sizeof kind);
  if (lstrcmpiA(kind, "Static") == 0 &&
      (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && IsWindowVisible(child) &&
      SendMessageA(child, STM_GETICON, 0, 0) != 0) {
    *reinterpret_cast<bool*>(found) = true;
    return FALSE;
  }
  return TRUE;
}

// Whether a box shows an icon: the message box keeps its icon control even
// when it has no icon to show, hidden and empty.
bool ShowsIcon(const e2e::Box& box) {
  bool found = false;
  EnumChildWindows(box.window, FindShownIcon, reinterpret_cast<LPARAM>(&found));
  return found;
}

void ExpectConfirmation(const e2e::Box& box) {
  EXPECT_EQ(box.caption, "End Process");
  EXPECT_EQ(box.text, kQuestion);
  EXPECT_FALSE(ShowsIcon(box));
  ASSERT_EQ(box.buttons.size(), 2u);
  EXPECT_EQ(box.buttons[0].id, IDYES);
  EXPECT_EQ(box.buttons[1].id, IDNO);
}

// Ends the process of `row` through the context menu with the given answer.
e2e::Box EndThroughContextMenu(const e2e::VellornSession& vellorn, int row) {
  EXPECT_TRUE(vellorn.SelectRow(row));
  vellorn.RightClickRow(row);
  const e2e::PopupMenu menu = vellorn.WaitForPopupMenu();
  EXPECT_TRUE(menu) << "no context menu";
  if (!menu) return {};
  e2e::ChooseMenuItem(menu, kContextEndProcess);
  return vellorn.WaitForBox("End Process");
}

// Selects `row`, picks Process > End Process and answers the question Yes.
void ConfirmEndFromMenuBar(const e2e::VellornSession& vellorn, int row) {
  ASSERT_TRUE(vellorn.SelectRow(row));
  vellorn.Command(ID_PROCESS_END);
  const e2e::Box question = vellorn.WaitForBox("End Process");
  ASSERT_TRUE(question) << "no confirmation";
  ExpectConfirmation(question);
  ASSERT_TRUE(e2e::AnswerBox(question, IDYES));
}

// Ends `process` through its row from the menu bar: it exits with code 0, the
// log gains "Process <name> has ended." and exactly its row goes.
void ExpectEndedFromMenuBar(const e2e::VellornSession& vellorn, const e2e::Process& process,
                            const std::string& name) {
  const std::vector<std::string> rows = Seen(vellorn.Rows());
  const std::string log = vellorn.Log();
  const int row = RowShowing(vellorn, process.Id());
  ASSERT_GE(row, 0) << name << " is not listed";
  ASSERT_NO_FATAL_FAILURE(ConfirmEndFromMenuBar(vellorn, row));
  ASSERT_TRUE(process.WaitForExit());
  EXPECT_EQ(process.ExitCode(), 0u);
  EXPECT_TRUE(vellorn.WaitForLog(log + "Process " + name + " has ended.\r\n")) << vellorn.Log();
  EXPECT_EQ(Seen(vellorn.Rows()), Without(rows, static_cast<size_t>(row)));
}

TEST(NewAndEndProcessFromOutside,
     APickedProgramStartsHiddenListsAfterRefreshAndEndsWithExactlyItsRow) {
  e2e::VellornSession vellorn;
  ASSERT_TRUE(vellorn.Started()) << vellorn.StartError();
  // A folder named in a script no single-byte code page holds.
  const std::string programs = vellorn.Folder() + "\\数据夹 picked programs";
  ASSERT_TRUE(CreateDirectoryA(programs.c_str(), nullptr));
  const std::string target = programs + "\\launch_target.exe";
  ASSERT_TRUE(CopyFileA(e2e::ProgramPath("launch_target.exe").c_str(), target.c_str(), FALSE));
  const std::vector<std::string> filled = Seen(vellorn.Rows());
  const std::string firstLog = vellorn.Log();

  // Process > New Process... opens the file-open dialog on the program's name pattern.
  vellorn.Command(ID_PROCESS_NEW);
  const e2e::Box dialog = vellorn.WaitForBox();
  ASSERT_TRUE(dialog) << "no file-open dialog";
  EXPECT_EQ(FileNameField(dialog.window), "*.exe;*.bat;*.com");
  ASSERT_TRUE(e2e::OpenFileInDialog(dialog, target));

  // The program runs, told to start hidden, and the log names it.
  const LaunchRecord record = WaitForRecord(programs + "\\launch_target.txt");
  ASSERT_TRUE(record.found) << "the picked program did not start";
  EXPECT_EQ(record.flags & STARTF_USESHOWWINDOW, static_cast<unsigned long>(STARTF_USESHOWWINDOW));
  EXPECT_EQ(record.show, static_cast<unsigned>(SW_HIDE));
  EXPECT_EQ(record.cmdShow, SW_HIDE);
  EXPECT_EQ(record.visible, 0);
  const std::string launchedLog = firstLog + "Creating process...\r\n" + target + "\r\n";
  EXPECT_TRUE(vellorn.WaitForLog(launchedLog)) << vellorn.Log();
  e2e::Process started;
  started.Attach(record.processId);
  ASSERT_TRUE(started.Running());
  // A process started after it, whose row will lie below its row.
  e2e::Process later;
  ASSERT_TRUE(later.Launch(
      "\"" + e2e::ProgramPath("launch_target.exe") + "\" \"" + vellorn.Folder() + "\\later.txt\"",
      vellorn.Folder(), SW_HIDE));
  ASSERT_TRUE(WaitForRecord(vellorn.Folder() + "\\later.txt").found);

  // Not in the list until Refresh.
  EXPECT_EQ(Seen(vellorn.Rows()), filled);
  ASSERT_TRUE(vellorn.PressButton(IDC_REFRESH));
  ASSERT_GE(RowShowing(vellorn, later.Id()), 0);
  const std::vector<e2e::ListRow> refreshed = vellorn.Rows();
  const int row = RowShowing(vellorn, record.processId);
  ASSERT_GE(row, 0);
  EXPECT_EQ(refreshed[static_cast<size_t>(row)].name, "launch_target.exe");
  EXPECT_EQ(refreshed[static_cast<size_t>(row)].data, static_cast<LPARAM>(record.processId));
  ASSERT_LT(row, RowShowing(vellorn, later.Id())) << "a row must lie below the ended one";

  // End Process answered No: nothing happens.
  const e2e::Box askedFirst = EndThroughContextMenu(vellorn, row);
  ASSERT_TRUE(askedFirst) << "no confirmation";
  ExpectConfirmation(askedFirst);
  ASSERT_TRUE(e2e::AnswerBox(askedFirst, IDNO));
  ASSERT_TRUE(vellorn.Idle());
  EXPECT_EQ(vellorn.OpenBoxCount(), 0);
  EXPECT_TRUE(started.Running());
  EXPECT_EQ(Seen(vellorn.Rows()), Seen(refreshed));
  EXPECT_EQ(vellorn.Log(), launchedLog);

  // Answered Yes: the process ends with code 0 and exactly its row goes.
  const e2e::Box askedAgain = EndThroughContextMenu(vellorn, row);
  ASSERT_TRUE(askedAgain) << "no confirmation";
  ExpectConfirmation(askedAgain);
  ASSERT_TRUE(e2e::AnswerBox(askedAgain, IDYES));
  ASSERT_TRUE(started.WaitForExit());
  EXPECT_EQ(started.ExitCode(), 0u);
  EXPECT_TRUE(vellorn.WaitForLog(launchedLog + "Process launch_target.exe has ended.\r\n"))
      << vellorn.Log();
  EXPECT_EQ(Seen(vellorn.Rows()), Without(Seen(refreshed), static_cast<size_t>(row)));
  EXPECT_EQ(vellorn.OpenBoxCount(), 0);
  EXPECT_TRUE(later.Running());
}

TEST(NewAndEndProcessFromOutside,
     TheShellsBoxForAFileItCannotStartBelongsToTheMainWindowWhichTakesNoInputMeanwhile) {
  e2e::VellornSession vellorn;
  ASSERT_TRUE(vellorn.Started()) << vellorn.StartError();
  // No program is associated with this kind of file.
  const std::string file = vellorn.Folder() + "\\nothing opens me.vellorn-data";
  FILE* created = std::fopen(file.c_str(), "wb");
  ASSERT_NE(created, nullptr);
  std::fclose(created);
  const std::string firstLog = vellorn.Log();

  vellorn.Command(ID_PROCESS_NEW);
  const e2e::Box dialog = vellorn.WaitForBox();
  ASSERT_TRUE(dialog) << "no file-open dialog";
  ASSERT_TRUE(e2e::OpenFileInDialog(dialog, file));

  const e2e::Box shellBox = vellorn.WaitForBox();
  ASSERT_TRUE(shellBox) << "the shell showed no box";
  EXPECT_EQ(GetWindow(shellBox.window, GW_OWNER), vellorn.Window());
  EXPECT_FALSE(IsWindowEnabled(vellorn.Window()));
  EXPECT_EQ(vellorn.Log(), firstLog + "Creating process...\r\n" + file + "\r\n");

  ASSERT_TRUE(e2e::AnswerBox(shellBox, IDOK));
  EXPECT_TRUE(e2e::WaitFor([&] { return IsWindowEnabled(vellorn.Window()) != FALSE; }));
  EXPECT_TRUE(vellorn.Idle());
  EXPECT_EQ(vellorn.OpenBoxCount(), 0);
}

TEST(EndProcessFromOutside,
     AProcessGoneSinceTheListWasFilledIsReportedWithTheSystemTextAndItsRowStays) {
  const std::string folder = e2e::FreshFolderForCurrentTest();
  DWORD goneId = 0;
  {
    e2e::Process victim;
    ASSERT_TRUE(victim.Launch(
        "\"" + e2e::ProgramPath("launch_target.exe") + "\" \"" + folder + "\\victim.txt\"", folder,
        SW_HIDE));
    ASSERT_TRUE(WaitForRecord(folder + "\\victim.txt").found);
    goneId = victim.Id();

    e2e::VellornSession vellorn(folder);
    ASSERT_TRUE(vellorn.Started()) << vellorn.StartError();
    const int row = RowShowing(vellorn, goneId);
    ASSERT_GE(row, 0) << "the running program is not listed";

    victim.Terminate(1);
    victim = e2e::Process();  // no handle keeps it
    // What the system answers now for the ID that the row still holds.
    DWORD error = 0;
    ASSERT_TRUE(e2e::WaitFor([&] {
      const HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, goneId);
      if (process == nullptr) {
        error = GetLastError();
        return true;
      }
      CloseHandle(process);
      return false;
    })) << "the ended process can still be opened";
    ASSERT_FALSE(SystemText(error).empty()) << "error " << error;

    const std::vector<std::string> rows = Seen(vellorn.Rows());
    const std::string firstLog = vellorn.Log();
    ASSERT_TRUE(vellorn.SelectRow(row));
    vellorn.Command(ID_PROCESS_END);
    const e2e::Box question = vellorn.WaitForBox("End Process");
    ASSERT_TRUE(question);
    ExpectConfirmation(question);
    ASSERT_TRUE(e2e::AnswerBox(question, IDYES));

    const e2e::Box refused = vellorn.WaitForBox("vellorn");
    ASSERT_TRUE(refused) << "no box after the failed end";
    EXPECT_EQ(refused.text, kRefused);
    EXPECT_FALSE(ShowsIcon(refused));
    ASSERT_EQ(refused.buttons.size(), 1u);
    EXPECT_EQ(refused.buttons[0].id, IDOK);
    EXPECT_EQ(vellorn.Log(), firstLog + "Could not end process: " + SystemText(error));
    ASSERT_TRUE(e2e::AnswerBox(refused, IDOK));
    EXPECT_EQ(Seen(vellorn.Rows()), rows);
  }
}

// True while a process or thread that is not ours holds `id`: Wine hands out
// process and thread IDs from one pool, so a freed process ID may come back as
// a thread's.
bool IdIsTaken(DWORD id) {
  if (HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id)) {
    CloseHandle(process);
    return true;
  }
  if (HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, id)) {
    CloseHandle(thread);
    return true;
  }
  return false;
}

// Starts copies of `program` suspended, ending each at once, until one gets
// `wantedId` (the system hands out a freed ID again after a few hundred
// starts); that one is resumed and returned. Invalid if another process or
// thread took the ID first, or none got it within the time.
e2e::Process StartUntilIdIsReused(const std::string& program, DWORD wantedId) {
  e2e::Process reused;
  // The ended process's object may outlive it for a moment.
  if (!e2e::WaitFor([&] { return !IdIsTaken(wantedId); }, 2000)) return reused;
  const ULONGLONG deadline = GetTickCount64() + 60000;
  int starts = 0;
  while (GetTickCount64() < deadline && !IdIsTaken(wantedId)) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    std::string commandLine = "\"" + program + "\"";
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                        nullptr, nullptr, &startup, &started)) {
      Sleep(50);
      continue;
    }
    ++starts;
    const bool wanted = started.dwProcessId == wantedId;
    if (wanted) {
      ResumeThread(started.hThread);
    } else {
      TerminateProcess(started.hProcess, 1);
      WaitForSingleObject(started.hProcess, 5000);
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    if (wanted) {
      reused.Attach(wantedId);
      break;
    }
  }
  std::printf("ID %lu %s after %d starts\n", static_cast<unsigned long>(wantedId),
              reused.Valid() ? "came back" : "did not come back", starts);
  return reused;
}

// A row of `vellorn` whose process has ended and whose ID a running copy of
// `newcomer` has taken since the list was filled. Each round lists a new
// soak_child.exe, so an ID that something else took only costs a round.
struct TakenOverRow {
  int row = -1;
  DWORD id = 0;
  e2e::Process newcomer;
};

TakenOverRow ListARowAndLetANewcomerTakeItsId(const e2e::VellornSession& vellorn,
                                              const std::string& folder,
                                              const std::string& newcomer) {
  TakenOverRow taken;
  for (int round = 0; round < 5 && !taken.newcomer.Running(); ++round) {
    e2e::Process listed;
    if (!listed.Launch("\"" + e2e::ProgramPath("soak_child.exe") + "\"", folder, SW_HIDE) ||
        !vellorn.PressButton(IDC_REFRESH)) {
      continue;
    }
    taken.id = listed.Id();
    taken.row = RowShowing(vellorn, taken.id);
    if (taken.row < 0 || vellorn.Rows()[static_cast<size_t>(taken.row)].name != "soak_child.exe") {
      continue;
    }
    listed.Terminate(1);
    listed = e2e::Process();
    taken.newcomer = StartUntilIdIsReused(newcomer, taken.id);
  }
  return taken;
}

TEST(EndProcessFromOutside, AProcessThatTookOverARowsIdIsNeitherEndedNorDumpedUntilARefresh) {
  const std::string folder = e2e::FreshFolderForCurrentTest();
  const std::string newcomer = folder + "\\newcomer.exe";
  ASSERT_TRUE(CopyFileA(e2e::ProgramPath("soak_child.exe").c_str(), newcomer.c_str(), FALSE));
  e2e::VellornSession vellorn(folder);
  ASSERT_TRUE(vellorn.Started()) << vellorn.StartError();

  // A listed process ends and another program of ours gets its ID.
  TakenOverRow taken = ListARowAndLetANewcomerTakeItsId(vellorn, folder, newcomer);
  ASSERT_TRUE(taken.newcomer.Running()) << "no new process got the ID of a listed one";
  const int row = taken.row;
  const DWORD id = taken.id;
  e2e::Process& other = taken.newcomer;
  const std::string gone = SystemText(ERROR_INVALID_PARAMETER);
  ASSERT_FALSE(gone.empty());

  // End Process answered Yes on the stale row: refused as for an ended process.
  const std::vector<std::string> rows = Seen(vellorn.Rows());
  const std::string firstLog = vellorn.Log();
  ASSERT_NO_FATAL_FAILURE(ConfirmEndFromMenuBar(vellorn, row));
  const e2e::Box refused = vellorn.WaitForBox("vellorn");
  ASSERT_TRUE(refused) << "no box after the refused end";
  EXPECT_EQ(refused.text, kRefused);
  const std::string endedLog = firstLog + "Could not end process: " + gone;
  EXPECT_EQ(vellorn.Log(), endedLog);
  ASSERT_TRUE(e2e::AnswerBox(refused, IDOK));
  EXPECT_EQ(Seen(vellorn.Rows()), rows);
  EXPECT_TRUE(other.Running());

  // Create Mini-dump of the stale row: the same text, no start line, no file.
  vellorn.Command(ID_PROCESS_DUMP);
  EXPECT_TRUE(vellorn.WaitForLog(endedLog + gone)) << vellorn.Log();
  EXPECT_TRUE(FilesIn(folder + "\\dumps").empty());
  EXPECT_TRUE(other.Running());

  // After a refresh the row is the newcomer's, and ending it works.
  ASSERT_TRUE(vellorn.PressButton(IDC_REFRESH));
  const int now = RowShowing(vellorn, id);
  ASSERT_GE(now, 0);
  ASSERT_EQ(vellorn.Rows()[static_cast<size_t>(now)].name, "newcomer.exe");
  ExpectEndedFromMenuBar(vellorn, other, "newcomer.exe");
}

TEST(EndProcessFromOutside, AProgramOfTheOtherBitnessIsListedWithItsNameAndThreadsAndEnds) {
  const std::string unavailable = e2e::WhyOtherBitnessCannotStart();
  if (!unavailable.empty()) GTEST_SKIP() << unavailable;
  const std::string folder = e2e::FreshFolderForCurrentTest();
  constexpr int kWorkers = 3;
  e2e::Process other = e2e::StartOtherBitnessTarget(folder, kWorkers);
  ASSERT_TRUE(other.Valid()) << e2e::OtherBitnessTargetName() << " did not start, error "
                             << other.LaunchError();
  e2e::VellornSession vellorn(folder);
  ASSERT_TRUE(vellorn.Started()) << vellorn.StartError();

  const int row = RowShowing(vellorn, other.Id());
  ASSERT_GE(row, 0) << "not listed";
  const e2e::ListRow shown = vellorn.List().Row(row);
  EXPECT_EQ(shown.name, e2e::OtherBitnessTargetName());
  EXPECT_EQ(shown.threads, std::to_string(kWorkers + 1));
  EXPECT_EQ(shown.data, static_cast<LPARAM>(other.Id()));

  ExpectEndedFromMenuBar(vellorn, other, e2e::OtherBitnessTargetName());
}

// The order the user sees, with the list's own rules.
int NumberIn(const std::string& text) {
  return std::atoi(text.c_str());
}

// A real click in the middle of a column heading. Wine's header takes the 10
// pixels at each inner edge of an item for its divider, where a click starts
// a resize instead of a sort.
void ClickHeadingCentre(const e2e::VellornSession& vellorn, int column) {
  const RECT item = vellorn.List().HeaderItemScreenRect(column);
  const POINT at = e2e::PointInside(item, (item.right - item.left) / 2);
  // The click waits out the double-click time and lets the pointer settle
  // first, so that it is neither part of a double click nor a drag.
  e2e::LeftClickAt(at);
}

enum class Order { kIdUp, kNameDown, kThreadsUp, kIdDown };

// The first pair of rows out of order, or "" when none is.
std::string Disorder(const std::vector<e2e::ListRow>& rows, Order order) {
  for (size_t i = 1; i < rows.size(); ++i) {
    const e2e::ListRow& a = rows[i - 1];
    const e2e::ListRow& b = rows[i];
    bool fine = true;
    switch (order) {
      case Order::kIdUp:
        fine = NumberIn(a.id) <= NumberIn(b.id);
        break;
      case Order::kNameDown:
        fine = e2e::CompareNames(a.name, b.name) >= 0;
        break;
      case Order::kThreadsUp:
        fine = NumberIn(a.threads) <= NumberIn(b.threads);
        break;
      case Order::kIdDown:
        fine = NumberIn(a.id) >= NumberIn(b.id);
        break;
    }
    if (!fine) {
      return "row " + std::to_string(i - 1) + " (" + a.id + " " + a.name + " " + a.threads +
             ") before row " + std::to_string(i) + " (" + b.id + " " + b.name + " " + b.threads +
             ")";
    }
  }
  return {};
}

void ExpectEveryRowHoldsItsOwnId(const std::vector<e2e::ListRow>& rows) {
  for (const auto& row : rows) {
    EXPECT_EQ(row.data, static_cast<LPARAM>(static_cast<DWORD>(NumberIn(row.id))))
        << "row " << row.index << " (" << row.id << " " << row.name << ")";
  }
}

// The process a minidump was written of, from its own record of it.
DWORD DumpedProcessId(const std::string& path) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  const HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) : nullptr;
  DWORD processId = 0;
  MINIDUMP_DIRECTORY* directory = nullptr;
  void* stream = nullptr;
  ULONG size = 0;
  if (view && MiniDumpReadDumpStream(view, MiscInfoStream, &directory, &stream, &size) &&
      size >= sizeof(MINIDUMP_MISC_INFO)) {
    // The stream need not be aligned in the file.
    MINIDUMP_MISC_INFO info;
    std::memcpy(&info, stream, sizeof(info));
    if (info.Flags1 & MINIDUMP_MISC1_PROCESS_ID) processId = info.ProcessId;
  }
  if (view) UnmapViewOfFile(view);
  if (mapping) CloseHandle(mapping);
  CloseHandle(file);
  return processId;
}

TEST(ColumnSortFromOutside,
     ClickingTheHeadersSortsTheRowsAndTheCommandsActOnTheSelectedRowsOwnProcess) {
  const std::string folder = e2e::FreshFolderForCurrentTest();
  const std::string dumpTarget = folder + "\\sort_target.exe";
  ASSERT_TRUE(CopyFileA(e2e::ProgramPath("launch_target.exe").c_str(), dumpTarget.c_str(), FALSE));
  e2e::Process toDump;
  ASSERT_TRUE(
      toDump.Launch("\"" + dumpTarget + "\" \"" + folder + "\\dumped.txt\"", folder, SW_HIDE));
  e2e::Process toEnd;
  ASSERT_TRUE(toEnd.Launch(
      "\"" + e2e::ProgramPath("launch_target.exe") + "\" \"" + folder + "\\ended.txt\"", folder,
      SW_HIDE));
  ASSERT_TRUE(WaitForRecord(folder + "\\dumped.txt").found);
  ASSERT_TRUE(WaitForRecord(folder + "\\ended.txt").found);

  e2e::VellornSession vellorn(folder);
  ASSERT_TRUE(vellorn.Started()) << vellorn.StartError();
  const std::vector<e2e::ListRow> filled = vellorn.Rows();
  ASSERT_GE(filled.size(), 4u);

  // One direction flag for every header: up, down, up, down.
  const struct {
    int column;
    Order order;
  } clicks[] = {
      {0, Order::kIdUp}, {1, Order::kNameDown}, {2, Order::kThreadsUp}, {0, Order::kIdDown}};
  for (const auto& click : clicks) {
    SCOPED_TRACE("click on column " + std::to_string(click.column));
    ClickHeadingCentre(vellorn, click.column);
    e2e::WaitFor([&] { return Disorder(vellorn.Rows(), click.order).empty(); }, 5000);
    EXPECT_EQ(Disorder(vellorn.Rows(), click.order), "");
    const std::vector<e2e::ListRow> rows = vellorn.Rows();
    EXPECT_EQ(rows.size(), filled.size());
    ExpectEveryRowHoldsItsOwnId(rows);
  }
  // The order really changed with the clicks: ascending then descending IDs differ.
  EXPECT_NE(NumberIn(vellorn.Rows().front().id), NumberIn(vellorn.Rows().back().id));

  // Create Mini-dump on a sorted row dumps that row's own process.
  const std::string beforeDump = vellorn.Log();
  const int dumpRow = RowShowing(vellorn, toDump.Id());
  ASSERT_GE(dumpRow, 0);
  ASSERT_TRUE(vellorn.SelectRow(dumpRow));
  vellorn.Command(ID_PROCESS_DUMP);
  const std::string prefix = beforeDump + "Starting mini dump...\r\nCreating mini dump file: \r\n";
  std::string dumpLog;
  EXPECT_TRUE(e2e::WaitFor(
      [&] {
        dumpLog = vellorn.Log();
        return dumpLog.size() > prefix.size() + 2 &&
               dumpLog.compare(dumpLog.size() - 2, 2, "\r\n") == 0;
      },
      30000))
      << dumpLog;
  ASSERT_EQ(dumpLog.compare(0, prefix.size(), prefix), 0) << dumpLog;
  const std::string dumpPath = dumpLog.substr(prefix.size(), dumpLog.size() - prefix.size() - 2);
  EXPECT_EQ(dumpPath.compare(0, folder.size() + 10, folder + "\\dumps\\sor"), 0) << dumpPath;
  EXPECT_EQ(DumpedProcessId(dumpPath), toDump.Id()) << dumpPath;
  EXPECT_TRUE(toDump.Running());

  // End Process on a sorted row ends that row's own process.
  ExpectEndedFromMenuBar(vellorn, toEnd, "launch_target.exe");
  EXPECT_TRUE(toDump.Running());
}

}  // namespace
