// The long run: the real program under Wine, driven from outside through a
// thousand cycles of refresh, sort and selection, with a dump and an end of a
// fresh test child every few cycles. The program's handles, windows, threads
// and memory, read from outside after a warm-up and at the end, must stay
// within the bounds stated below; the dumps folder must hold exactly the
// dumps the log names; and the dumps must open in lldb-16.
//
// Sizing (the defaults keep the run within about five minutes here):
//   VELLORN_SOAK_CYCLES      cycles of refresh + sort + select (default 1000)
//   VELLORN_SOAK_DUMP_EVERY  a dump and an end of a child every Nth cycle
//                            (default 20; 1 for a dump in every cycle)
//   VELLORN_SOAK_LLDB_EVERY  lldb-16 reads every Nth dump (default 1: all)
#include "tests/support/driver/list_order.h"
#include "tests/support/driver/lldb.h"
#include "tests/support/driver/remote_memory.h"
#include "tests/support/driver/session.h"
#include "tests/support/files.h"
#include "tests/support/log_text.h"
#include "tests/support/text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <commctrl.h>
#include <psapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace support;
using e2e::Process;
using e2e::VellornSession;

// The bounds: what the program may hold at the end beyond what it held after
// the warm-up. Windows and threads come and go only with boxes, which are all
// closed when it is measured, so they must match exactly.
constexpr long long kHandleSlack = 8;
constexpr long long kPrivateBytesSlack = 2 * 1024 * 1024;
constexpr long long kWorkingSetSlack = 4 * 1024 * 1024;
// The log keeps every line, and Wine's rich edit holds about 8-14 KB of
// private memory per line it shows (measured apart from the program: setting
// a 300-line text takes 2.3 MB, and appending 400 lines one at a time with
// the window-text calls 5.5 MB). Memory may grow by this much per line the
// log gained, on top of the slack.
constexpr long long kPrivateBytesPerLogLine = 16 * 1024;
// Between two dumps the log does not change: over each such stretch of
// refreshes and sorts, handles and private bytes must stay put.
constexpr long long kStretchPrivateBytesSlack = 512 * 1024;

using support::kLogStart;
const std::string kStarting = "Starting mini dump...\r\n";
const std::string kCreating = "Creating mini dump file: \r\n";
const std::string kChildName = "soak_child.exe";

int EnvironmentNumber(const char* name, int fallback) {
  const char* text = std::getenv(name);
  const int value = text ? std::atoi(text) : 0;
  return value > 0 ? value : fallback;
}

double Seconds(ULONGLONG fromMs, ULONGLONG toMs) {
  return static_cast<double>(toMs - fromMs) / 1000.0;
}

// --- What the program holds, read from outside ---------------------------------

struct Footprint {
  long long systemHandles = -1;  // entries of the system handle list owned by the program
  long long windows = 0;         // its top-level windows and all their children
  long long threads = 0;
  long long privateBytes = -1;      // GetProcessMemoryInfo's PrivateUsage (0 under Wine)
  long long committedPrivate = -1;  // committed private regions, walked with VirtualQueryEx
  long long workingSet = -1;
  DWORD handleCountCall = 0;  // GetProcessHandleCount (0 under Wine)
  DWORD gdiObjects = 0;       // GetGuiResources (0 under Wine)
  DWORD userObjects = 0;
  bool handleCountCallWorked = false;
};

// The system handle list, extended form (information class 64) first, else
// the short one (16).
long long SystemHandlesOf(DWORD processId) {
  struct ExtendedEntry {
    PVOID object;
    ULONG_PTR processId;
    ULONG_PTR handle;
    ULONG grantedAccess;
    USHORT creatorBackTraceIndex;
    USHORT objectTypeIndex;
    ULONG attributes;
    ULONG reserved;
  };
  struct ShortEntry {
    ULONG processId;
    BYTE objectType;
    BYTE flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK grantedAccess;
  };
  constexpr NTSTATUS kLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);
  for (const ULONG informationClass : {64UL, 16UL}) {
    std::vector<char> buffer(1 << 20);
    NTSTATUS status = 0;
    for (int attempt = 0; attempt < 8; ++attempt) {
      ULONG needed = 0;
      status = NtQuerySystemInformation(static_cast<SYSTEM_INFORMATION_CLASS>(informationClass),
                                        buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
      if (status != kLengthMismatch) break;
      buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 65536));
    }
    if (status < 0) continue;
    long long count = 0;
    if (informationClass == 64) {
      const auto total = *reinterpret_cast<const ULONG_PTR*>(buffer.data());
      const auto* entries =
          reinterpret_cast<const ExtendedEntry*>(buffer.data() + 2 * sizeof(ULONG_PTR));
      for (ULONG_PTR i = 0; i < total; ++i) count += entries[i].processId == processId;
    } else {
      const auto total = *reinterpret_cast<const ULONG*>(buffer.data());
      const auto* entries = reinterpret_cast<const ShortEntry*>(buffer.data() + sizeof(ULONG_PTR));
      for (ULONG i = 0; i < total; ++i) count += entries[i].processId == processId;
    }
    return count;
  }
  return -1;
}

struct WindowCount {
  DWORD processId;
  long long count;
};

BOOL CALLBACK CountChild(HWND, LPARAM parameter) {
  ++reinterpret_cast<WindowCount*>(parameter)->count;
  return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM parameter) {
  auto* windows = reinterpret_cast<WindowCount*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != windows->processId) return TRUE;
  ++windows->count;
  EnumChildWindows(window, CountChild, parameter);
  return TRUE;
}

long long ThreadsOf(DWORD processId) {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  long long count = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    count += entry.th32OwnerProcessID == processId;
  }
  CloseHandle(snapshot);
  return count;
}

// Private bytes as the address space shows them: the sum of the committed
// private regions.
long long CommittedPrivateBytes(HANDLE process) {
  long long total = 0;
  MEMORY_BASIC_INFORMATION region = {};
  const char* address = nullptr;
  while (VirtualQueryEx(process, address, &region, sizeof region) == sizeof region) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) {
      total += static_cast<long long>(region.RegionSize);
    }
    const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    if (next <= address) break;
    address = next;
  }
  return total;
}

Footprint Measure(DWORD processId) {
  Footprint footprint;
  footprint.systemHandles = SystemHandlesOf(processId);
  WindowCount windows = {processId, 0};
  EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&windows));
  footprint.windows = windows.count;
  footprint.threads = ThreadsOf(processId);
  const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
  if (process) {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof counters)) {
      footprint.privateBytes = static_cast<long long>(counters.PrivateUsage);
      footprint.workingSet = static_cast<long long>(counters.WorkingSetSize);
    }
    footprint.committedPrivate = CommittedPrivateBytes(process);
    footprint.handleCountCallWorked =
        GetProcessHandleCount(process, &footprint.handleCountCall) != FALSE;
    footprint.gdiObjects = GetGuiResources(process, GR_GDIOBJECTS);
    footprint.userObjects = GetGuiResources(process, GR_USEROBJECTS);
    CloseHandle(process);
  }
  return footprint;
}

std::string Describe(const Footprint& f) {
  std::ostringstream text;
  text << "system-list handles " << f.systemHandles << ", windows " << f.windows << ", threads "
       << f.threads << ", private bytes " << f.committedPrivate << " (PrivateUsage "
       << f.privateBytes << "), working set " << f.workingSet << ", GetProcessHandleCount "
       << f.handleCountCall << (f.handleCountCallWorked ? "" : " (failed)")
       << ", GetGuiResources GDI " << f.gdiObjects << " USER " << f.userObjects;
  return text.str();
}

// --- The list, read quickly: one block in the program reused for every read --

class ListReader {
 public:
  explicit ListReader(HWND list) : m_list(list), m_memory(list, sizeof(LVITEMA) + kTextSize) {}

  bool Valid() const { return m_memory.Valid(); }
  int Count() const { return static_cast<int>(SendMessageA(m_list, LVM_GETITEMCOUNT, 0, 0)); }

  std::string Text(int row, int column) const {
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = reinterpret_cast<LPSTR>(m_memory.At(sizeof(LVITEMA)));
    item.cchTextMax = kTextSize;
    const char empty = '\0';
    m_memory.Write(&item, sizeof item);
    m_memory.Write(&empty, 1, sizeof(LVITEMA));
    SendMessageA(m_list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), m_memory.At());
    char text[kTextSize + 1] = {};
    m_memory.Read(text, kTextSize, sizeof(LVITEMA));
    return text;
  }

  LPARAM Data(int row) const {
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    m_memory.Write(&item, sizeof item);
    if (!SendMessageA(m_list, LVM_GETITEMA, 0, m_memory.At())) return 0;
    m_memory.Read(&item, sizeof item);
    return item.lParam;
  }

  int FindByData(LPARAM data) const {
    const int count = Count();
    for (int row = 0; row < count; ++row) {
      if (Data(row) == data) return row;
    }
    return -1;
  }

  // The texts of one column, top to bottom.
  std::vector<std::string> Column(int column) const {
    std::vector<std::string> texts;
    const int count = Count();
    for (int row = 0; row < count; ++row) texts.push_back(Text(row, column));
    return texts;
  }

  int Selected() const {
    return static_cast<int>(
        SendMessageA(m_list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  }

  void ClearSelection() const { SetState(-1, 0, LVIS_SELECTED, true); }
  // Queued behind whatever was posted to the program before: it then tells
  // when that has been handled.
  void PostSelect(int row) const {
    SetState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED, false);
  }

 private:
  static constexpr int kTextSize = 512;

  void SetState(int row, UINT state, UINT mask, bool send) const {
    LVITEMA item = {};
    item.stateMask = mask;
    item.state = state;
    // The posted request keeps its own block: the next read must not overwrite it.
    const e2e::RemoteMemory& block = send ? m_memory : m_postBlock;
    block.Write(&item, sizeof item);
    if (send) {
      SendMessageA(m_list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), block.At());
    } else {
      PostMessageA(m_list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), block.At());
    }
  }

  HWND m_list;
  e2e::RemoteMemory m_memory;
  e2e::RemoteMemory m_postBlock{m_list, sizeof(LVITEMA)};
};

// --- Sort orders as the user sees them ------------------------------------------

bool InOrder(const std::vector<std::string>& texts, int column, bool ascending) {
  for (size_t i = 1; i < texts.size(); ++i) {
    const int difference = column == 1
                               ? e2e::CompareNames(texts[i - 1], texts[i])
                               : std::atoi(texts[i - 1].c_str()) - std::atoi(texts[i].c_str());
    if (ascending ? difference > 0 : difference < 0) return false;
  }
  return true;
}

// --- Files and the independent reader ----------------------------------------------

struct Figures {
  int cycles = 0;
  int refreshes = 0;
  int sortClicks = 0;
  int sortsSeen = 0;  // clicks whose new order could be told from the old one
  int dumps = 0;
  int ends = 0;
  double cycleSeconds = 0;  // refresh + select + sort, all cycles
  double dumpSeconds = 0;   // command to the log's last line, all dumps
  double endSeconds = 0;
};

TEST(Soak, ThousandCyclesLeaveTheProgramsHandlesWindowsAndMemoryWhereTheyWere) {
  const int cycles = EnvironmentNumber("VELLORN_SOAK_CYCLES", 1000);
  const int dumpEvery = EnvironmentNumber("VELLORN_SOAK_DUMP_EVERY", 20);
  const int lldbEvery = EnvironmentNumber("VELLORN_SOAK_LLDB_EVERY", 1);
  // The warm-up holds a dump and an end, so that the dump writer's library
  // and the box are in use before the first measurement.
  const int warmUp = std::min(cycles - 1, std::max(2 * dumpEvery, 40));
  const int reportEvery = std::max(1, cycles / 5);
  std::printf("[ soak ] %d cycles, a dump and an end every %d cycle(s), warm-up %d cycles\n",
              cycles, dumpEvery, warmUp);

  const std::string folder = e2e::FreshFolderForCurrentTest();
  const std::string dumps = folder + "\\dumps";
  VellornSession vellorn(folder);
  ASSERT_TRUE(vellorn.Started()) << vellorn.StartError();
  const DWORD programId = vellorn.ProcessId();
  const HWND listWindow = vellorn.Control(IDC_PROCESS_LIST);
  const ListReader list(listWindow);
  ASSERT_TRUE(list.Valid());
  ASSERT_TRUE(vellorn.WaitForLog(kLogStart));

  std::string expectedLog = kLogStart;
  std::string logAtWarmUp = kLogStart;
  std::vector<std::string> dumpPaths;
  Figures figures;
  Footprint afterWarmUp;
  Footprint stretchStart;
  long long stretchHandles = 0;
  long long stretchPrivate = 0;
  int stretches = 0;
  const Footprint atStart = Measure(programId);
  std::printf("[ soak ] at start:        %s\n", Describe(atStart).c_str());
  bool ascending = true;  // the program's one direction flag, as the clicks leave it
  const int sortColumns[] = {1, 0, 2};
  const ULONGLONG soakStart = GetTickCount64();

  for (int cycle = 0; cycle < cycles; ++cycle) {
    SCOPED_TRACE("cycle " + std::to_string(cycle));
    const bool dumpCycle = cycle % dumpEvery == dumpEvery - 1;
    Process child;
    if (dumpCycle && cycle >= warmUp && dumpEvery > 1) {
      // The end of a stretch of refreshes and sorts with the log unchanged.
      const Footprint now = Measure(programId);
      stretchHandles += now.systemHandles - stretchStart.systemHandles;
      stretchPrivate += now.committedPrivate - stretchStart.committedPrivate;
      ++stretches;
    }
    if (dumpCycle) {
      ASSERT_TRUE(child.Launch("\"" + e2e::ProgramPath("soak_child.exe") + "\"", folder, SW_HIDE))
          << child.LaunchError();
    }

    // Refresh, from the button and from the menu in turn; the selection
    // posted behind it is made once the refresh is done.
    const ULONGLONG cycleStart = GetTickCount64();
    list.ClearSelection();
    if (cycle % 2 == 0) {
      vellorn.ClickButton(IDC_REFRESH);
    } else {
      vellorn.Command(ID_PROCESS_REFRESH);
    }
    const int rows = list.Count();
    // A process may go between the two reads; the row before the last stays.
    const int selected = rows > 1 ? cycle % (rows - 1) : 0;
    list.PostSelect(selected);
    ASSERT_TRUE(e2e::WaitFor([&] { return list.Selected() == selected; }, 10000, 1))
        << "the refresh and the selection behind it were not handled";
    ++figures.refreshes;
    if (dumpCycle) {
      ASSERT_TRUE(e2e::WaitFor(
          [&] { return list.FindByData(static_cast<LPARAM>(child.Id())) >= 0; }, 5000, 20))
          << "the child is not listed after a refresh";
    }

    // Sort by a real click on a heading: the first column, in turn, whose
    // order the click must change, so that each click is seen to land before
    // the next input (a click still queued would otherwise meet the next
    // refresh, which the program takes first). When every column already
    // shows the order a click would give, no click could be seen to land:
    // this cycle makes none.
    int column = -1;
    for (int offset = 0; offset < 3 && column < 0; ++offset) {
      const int candidate = sortColumns[(cycle + offset) % 3];
      if (!InOrder(list.Column(candidate), candidate, ascending)) column = candidate;
    }
    if (column >= 0) {
      vellorn.ClickHeading(column);
      ++figures.sortClicks;
      const bool sorted =
          e2e::WaitFor([&] { return InOrder(list.Column(column), column, ascending); }, 5000, 5);
      ASSERT_TRUE(sorted) << "column " << column << " not sorted " << (ascending ? "up" : "down")
                          << "; sorted the other way: "
                          << InOrder(list.Column(column), column, !ascending)
                          << "; column now: " << [&] {
                               std::string texts;
                               for (const std::string& text : list.Column(column)) {
                                 texts += text + " | ";
                               }
                               return texts;
                             }();
      ++figures.sortsSeen;
      ascending = !ascending;
    }
    figures.cycleSeconds += Seconds(cycleStart, GetTickCount64());

    if (dumpCycle) {
      // Dump the child: select its row, Process > Create Mini-dump.
      const int row = list.FindByData(static_cast<LPARAM>(child.Id()));
      ASSERT_GE(row, 0);
      ASSERT_TRUE(vellorn.SelectRow(row));
      const ULONGLONG dumpStart = GetTickCount64();
      vellorn.Command(ID_PROCESS_DUMP);
      const std::string prefix = expectedLog + kStarting + kCreating;
      std::string log;
      ASSERT_TRUE(e2e::WaitFor(
          [&] {
            log = vellorn.Log();
            return log.size() > prefix.size() + 2 && log.compare(0, prefix.size(), prefix) == 0 &&
                   log.compare(log.size() - 2, 2, "\r\n") == 0;
          },
          30000, 10))
          << "log after the dump:\n"
          << log;
      figures.dumpSeconds += Seconds(dumpStart, GetTickCount64());
      const std::string path = log.substr(prefix.size(), log.size() - prefix.size() - 2);
      EXPECT_EQ(path.compare(0, dumps.size() + 4, dumps + "\\soa"), 0) << path;
      EXPECT_EQ(path.substr(path.size() - 4), ".dmp") << path;
      dumpPaths.push_back(path);
      expectedLog = log;
      ++figures.dumps;

      // End it: Process > End Process, Yes.
      const ULONGLONG endStart = GetTickCount64();
      ASSERT_TRUE(vellorn.SelectRow(list.FindByData(static_cast<LPARAM>(child.Id()))));
      vellorn.Command(ID_PROCESS_END);
      const e2e::Box question = vellorn.WaitForBox("End Process");
      ASSERT_TRUE(question) << "no confirmation box";
      ASSERT_TRUE(e2e::AnswerBox(question, IDYES));
      expectedLog += "Process " + kChildName + " has ended.\r\n";
      ASSERT_TRUE(vellorn.WaitForLog(expectedLog)) << vellorn.Log();
      ASSERT_TRUE(child.WaitForExit());
      EXPECT_EQ(child.ExitCode(), 0u);
      EXPECT_EQ(list.FindByData(static_cast<LPARAM>(child.Id())), -1);
      figures.endSeconds += Seconds(endStart, GetTickCount64());
      ++figures.ends;
    }
    ++figures.cycles;

    if (dumpCycle && cycle + 1 >= warmUp) stretchStart = Measure(programId);
    if (cycle + 1 == warmUp) {
      afterWarmUp = Measure(programId);
      logAtWarmUp = expectedLog;
      std::printf("[ soak ] after warm-up:   %s\n", Describe(afterWarmUp).c_str());
    } else if ((cycle + 1) % reportEvery == 0) {
      std::printf("[ soak ] after %4d:      %s\n", cycle + 1, Describe(Measure(programId)).c_str());
    }
    std::fflush(stdout);
  }
  const double soakSeconds = Seconds(soakStart, GetTickCount64());
  // The last box may still be going away.
  e2e::WaitFor([&] { return vellorn.OpenBoxCount() == 0; }, 5000);
  const Footprint atEnd = Measure(programId);
  std::printf("[ soak ] at the end:      %s\n", Describe(atEnd).c_str());
  std::printf(
      "[ soak ] done: %d cycles, %d refreshes, %d sort clicks (%d seen to change the order), "
      "%d dumps, %d ends in %.1f s\n",
      figures.cycles, figures.refreshes, figures.sortClicks, figures.sortsSeen, figures.dumps,
      figures.ends, soakSeconds);
  std::printf("[ soak ] per cycle (refresh+select+sort) %.1f ms; per dump %.2f s; per end %.2f s\n",
              1000.0 * figures.cycleSeconds / std::max(1, figures.cycles),
              figures.dumpSeconds / std::max(1, figures.dumps),
              figures.endSeconds / std::max(1, figures.ends));

  // The bounds.
  ASSERT_GE(afterWarmUp.systemHandles, 0) << "the system handle list cannot be read";
  EXPECT_LE(atEnd.systemHandles, afterWarmUp.systemHandles + kHandleSlack);
  EXPECT_EQ(atEnd.windows, afterWarmUp.windows);
  EXPECT_EQ(atEnd.threads, afterWarmUp.threads);
  ASSERT_GT(afterWarmUp.committedPrivate, 0) << "the address space cannot be read";
  const std::string logAfterWarmUp = logAtWarmUp;
  const long long linesGained = CountOf(expectedLog, "\r\n") - CountOf(logAfterWarmUp, "\r\n");
  const long long privateBound = kPrivateBytesSlack + kPrivateBytesPerLogLine * linesGained;
  EXPECT_LE(atEnd.committedPrivate, afterWarmUp.committedPrivate + privateBound);
  EXPECT_EQ(stretchHandles, 0);
  EXPECT_LE(stretchPrivate, kStretchPrivateBytesSlack);
  std::printf(
      "[ soak ] over %d stretches of refreshes and sorts between dumps (log unchanged): "
      "handles %+lld (bound 0), private bytes %+lld (bound +%lld)\n",
      stretches, stretchHandles, stretchPrivate, kStretchPrivateBytesSlack);
  if (afterWarmUp.privateBytes > 0) {
    EXPECT_LE(atEnd.privateBytes, afterWarmUp.privateBytes + kPrivateBytesSlack);
  }
  if (afterWarmUp.workingSet > 0) {
    EXPECT_LE(atEnd.workingSet, afterWarmUp.workingSet + kWorkingSetSlack + privateBound);
  }
  EXPECT_LE(atEnd.gdiObjects, afterWarmUp.gdiObjects + 8);
  EXPECT_LE(atEnd.userObjects, afterWarmUp.userObjects + 8);
  std::printf(
      "[ soak ] change since warm-up: handles %+lld (bound +%lld), windows %+lld (bound 0), "
      "threads %+lld (bound 0), private bytes %+lld (bound +%lld: 2 MB and 16 KB for each of the "
      "%lld lines the log gained), working set %+lld (bound +%lld more)\n",
      atEnd.systemHandles - afterWarmUp.systemHandles, kHandleSlack,
      atEnd.windows - afterWarmUp.windows, atEnd.threads - afterWarmUp.threads,
      atEnd.committedPrivate - afterWarmUp.committedPrivate, privateBound, linesGained,
      atEnd.workingSet - afterWarmUp.workingSet, kWorkingSetSlack);

  // The log reads exactly what was done, and the folder holds exactly the
  // dumps the log names: no temporary file.
  EXPECT_EQ(vellorn.Log(), expectedLog);
  std::vector<std::string> named;
  for (const std::string& path : dumpPaths) named.push_back(path.substr(dumps.size() + 1));
  std::sort(named.begin(), named.end());
  const std::vector<std::string> onDisk = FilesIn(dumps);
  EXPECT_EQ(onDisk, named);
  int temporary = 0;
  for (const std::string& file : onDisk)
    temporary += file.size() > 4 && file.substr(file.size() - 4) == ".tmp";
  EXPECT_EQ(temporary, 0);

  // Every dump (or every lldbEvery-th) opens in lldb-16 and lists the child's thread and module.
  std::vector<std::string> checked;
  for (size_t i = 0; i < dumpPaths.size(); i += static_cast<size_t>(lldbEvery)) {
    checked.push_back(dumpPaths[i]);
  }
  const ULONGLONG lldbStart = GetTickCount64();
  const std::vector<std::string> listings = e2e::ReadDumpsWithLldb(checked, folder);
  int opened = 0;
  for (size_t i = 0; i < checked.size(); ++i) {
    SCOPED_TRACE(checked[i]);
    const bool good = CountOf(listings[i], "thread #") >= 1 &&
                      listings[i].find(kChildName) != std::string::npos &&
                      listings[i].find("error:") == std::string::npos;
    EXPECT_TRUE(good) << listings[i];
    opened += good;
  }
  std::printf("[ soak ] lldb-16 opened %d of %zu dumps checked (%zu made) in %.1f s\n", opened,
              checked.size(), dumpPaths.size(), Seconds(lldbStart, GetTickCount64()));
}

}  // namespace
