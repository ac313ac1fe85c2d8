// The process list: its columns, its rows and every way a fill can fail,
// with the enumeration served by the spy and the real list view.
#include "platform/list_ctrl.h"
#include "process/process_list.h"
#include "tests/support/fake_system.h"
#include "tests/support/hosted_dialog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr DWORD kVersion4_0 = 0x00000004;
constexpr DWORD kVersion4_10 = 0x00000A04;
constexpr DWORD kVersion6_2 = 0x00000206;

std::string SystemPsapi() {
  char folder[MAX_PATH] = {};
  ::GetSystemDirectoryA(folder, MAX_PATH);
  return std::string(folder) + "\\PSAPI.DLL";
}

class ProcessListTest : public ::testing::Test {
 protected:
  void SetUp() override { fake::Reset(); }
  void TearDown() override {
    host.reset();
    fake::Reset();
  }

  // Opens the main window: its initialisation fills the list.
  void Open() {
    host = std::make_unique<hosted::HostedDialog>();
    ASSERT_TRUE(host->Created());
  }

  support::ProcessListView& List() { return host->List(); }
  std::vector<hosted::RowTexts> Rows() { return hosted::Rows(List()); }
  std::vector<hosted::ShownBox>& Boxes() { return host->Answered().boxes; }

  std::vector<std::string> Headings() {
    std::vector<std::string> headings;
    for (int column = 0; column < List().GetColumnCount(); ++column) {
      headings.push_back(List().GetColumnHeading(column));
    }
    return headings;
  }

  std::vector<DWORD> RowData() {
    std::vector<DWORD> data;
    for (int row = 0; row < List().GetItemCount(); ++row) {
      data.push_back(static_cast<DWORD>(List().GetItemData(row)));
    }
    return data;
  }

  // The one box the fill showed: owned by the window, OK button, no icon.
  void ExpectOnlyBox(const char* text, const char* caption) {
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, text);
    EXPECT_EQ(Boxes()[0].caption, caption);
    EXPECT_EQ(Boxes()[0].type, static_cast<UINT>(MB_OK));
    EXPECT_EQ(Boxes()[0].owner, host->Window());
  }

  // Everything the fill acquired is released; the kernel module, only looked
  // up, never is; the process-status library is released as often as loaded.
  static void ExpectEverythingReleased() {
    std::string open;
    for (const fake::OpenHandle& handle : fake::OpenHandles()) {
      open += handle.creator + " " + handle.label + "; ";
    }
    EXPECT_EQ(open, "");
    EXPECT_EQ(fake::BadCloses(), 0);
    int psapiLoads = 0;
    int psapiReleases = 0;
    for (const fake::Call& call : fake::Calls()) {
      // Only ever the system's own, whatever lies beside the program.
      if (call.name == "LoadLibraryA" && call.detail == SystemPsapi()) ++psapiLoads;
      if (call.name == "FreeLibrary") {
        EXPECT_EQ(call.detail, "module:" + SystemPsapi());
        ++psapiReleases;
      }
    }
    EXPECT_LE(psapiReleases, psapiLoads);
  }

  std::unique_ptr<hosted::HostedDialog> host;
};

// --- What each platform version shows ------------------------------------------

TEST_F(ProcessListTest, OnVersion4_0TheListIsFilledThroughProcessStatusWithTwoColumns) {
  fake::SetVersion(kVersion4_0);
  fake::SetProcesses({{8, "System", 12}, {140, "smss.exe", 6}, {176, "winlogon.exe", 19}});
  Open();

  EXPECT_THAT(Headings(), ElementsAre("ID", "Name"));
  EXPECT_EQ(List().GetColumnWidth(0), 50);
  EXPECT_EQ(List().GetColumnWidth(1), 180);
  EXPECT_THAT(Rows(), ElementsAre(hosted::RowTexts{"8", "System", ""},
                                  hosted::RowTexts{"140", "smss.exe", ""},
                                  hosted::RowTexts{"176", "winlogon.exe", ""}));
  EXPECT_THAT(RowData(), ElementsAre(8u, 140u, 176u));
  EXPECT_EQ(g_nextRow, 3);
  EXPECT_THAT(Boxes(), IsEmpty());
  EXPECT_EQ(fake::CountCalls("EnumProcesses"), 1);
  EXPECT_EQ(fake::CountCalls("CreateToolhelp32Snapshot"), 0);
  EXPECT_EQ(fake::CountCalls("FreeLibrary"), 1);
  ExpectEverythingReleased();
}

TEST_F(ProcessListTest, WithoutAPerWindowDpiTheScreensDpiScalesTheWidths) {
  // A system before Windows 10 at 150 %.
  fake::RemoveEntryPoint("GetDpiForWindow");
  fake::Hook().GetDeviceCaps = [](HDC, int index) { return index == LOGPIXELSX ? 144 : 0; };
  fake::SetVersion(kVersion6_2);
  fake::SetProcesses({{8, "System", 12}});
  Open();

  EXPECT_THAT(Headings(), ElementsAre("ID", "Name", "Threads"));
  EXPECT_EQ(List().GetColumnWidth(0), 75);
  EXPECT_EQ(List().GetColumnWidth(1), 270);
  EXPECT_EQ(List().GetColumnWidth(2), 105);
  EXPECT_EQ(fake::LastDetail("GetDeviceCaps"), "dc:screen,88");
  ExpectEverythingReleased();
}

TEST_F(ProcessListTest, TheWindowsOwnDpiScalesTheWidthsWhereTheScreensDiffers) {
  // The window on a monitor at 200 %, the screen's figure at 150 %.
  fake::Hook().GetDpiForWindow = [](HWND) -> UINT { return 192; };
  fake::Hook().GetDeviceCaps = [](HDC, int index) { return index == LOGPIXELSX ? 144 : 0; };
  fake::SetVersion(kVersion6_2);
  fake::SetProcesses({{8, "System", 12}});
  Open();

  EXPECT_EQ(List().GetColumnWidth(0), 100);
  EXPECT_EQ(List().GetColumnWidth(1), 360);
  EXPECT_EQ(List().GetColumnWidth(2), 140);
  ExpectEverythingReleased();
}

TEST_F(ProcessListTest, OnVersion4_10TheSnapshotFillsTheListButNoThreadsColumnIsShown) {
  fake::SetVersion(kVersion4_10);
  fake::SetProcesses({{0xFFF1, "KERNEL32.DLL", 4}, {0xFFF2, "EXPLORER.EXE", 9}});
  Open();

  EXPECT_THAT(Headings(), ElementsAre("ID", "Name"));
  ASSERT_EQ(List().GetItemCount(), 2);
  EXPECT_STREQ(List().GetItemText(0, 0), "65521");
  EXPECT_STREQ(List().GetItemText(0, 1), "KERNEL32.DLL");
  EXPECT_STREQ(List().GetItemText(1, 0), "65522");
  EXPECT_STREQ(List().GetItemText(1, 1), "EXPLORER.EXE");
  EXPECT_THAT(RowData(), ElementsAre(0xFFF1u, 0xFFF2u));
  EXPECT_THAT(Boxes(), IsEmpty());
  EXPECT_EQ(fake::CountCalls("CreateToolhelp32Snapshot"), 1);
  EXPECT_EQ(fake::CountCalls("LoadLibraryA"), 0);
  EXPECT_EQ(fake::CountCalls("FreeLibrary"), 0);
  ExpectEverythingReleased();
}

TEST_F(ProcessListTest, OnVersion6_2TheListShowsAThreadsColumnWithEachProcesssCount) {
  fake::SetVersion(kVersion6_2);
  fake::SetProcesses({{4, "System", 97}, {388, "csrss.exe", 11}, {1200, "vellorn.exe", 1}});
  Open();

  EXPECT_THAT(Headings(), ElementsAre("ID", "Name", "Threads"));
  EXPECT_EQ(List().GetColumnWidth(2), 70);
  EXPECT_THAT(Rows(), ElementsAre(hosted::RowTexts{"4", "System", "97"},
                                  hosted::RowTexts{"388", "csrss.exe", "11"},
                                  hosted::RowTexts{"1200", "vellorn.exe", "1"}));
  EXPECT_THAT(RowData(), ElementsAre(4u, 388u, 1200u));
  EXPECT_EQ(g_nextRow, 3);
  EXPECT_EQ(fake::CountCalls("LoadLibraryA"), 0);
  ExpectEverythingReleased();
}

// The system cuts a name its buffer cannot hold and leaves out the ending
// zero when the cut falls at the buffer's end: here inside a character.
const std::string kCharacter = "\xE6\x95\xB0";  // one character, three bytes in UTF-8

BOOL WINAPI EntryWithANameCutInsideACharacter(HANDLE, PROCESSENTRY32* entry) {
  std::string name;
  while (name.size() < sizeof(entry->szExeFile)) name += kCharacter;
  entry->th32ProcessID = 600;
  entry->cntThreads = 2;
  std::memcpy(entry->szExeFile, name.data(), sizeof(entry->szExeFile));
  return TRUE;
}

// The names the program hands the list. Wine's list drops a cut character at
// the end of a text; Windows' shows it as a replacement character.
std::vector<std::string> g_namesGiven;
WNDPROC g_listProcedure = nullptr;
LRESULT CALLBACK KeepNamesGiven(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto* item = reinterpret_cast<const LVITEMA*>(lParam);
  if (message == LVM_SETITEMTEXTA && item->iSubItem == 1) g_namesGiven.push_back(item->pszText);
  return ::CallWindowProcA(g_listProcedure, window, message, wParam, lParam);
}

TEST_F(ProcessListTest, ANameThatFillsTheEntryWithoutAZeroEndsAtItsLastWholeCharacter) {
  fake::SetVersion(kVersion6_2);
  fake::SetProcesses({});
  Open();
  g_namesGiven.clear();
  g_listProcedure = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
      List().m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&KeepNamesGiven)));
  fake::Hook().Process32First = &EntryWithANameCutInsideACharacter;
  host->Dialog().RefreshProcessList();

  std::string whole;
  while (whole.size() + kCharacter.size() <= MAX_PATH) whole += kCharacter;
  EXPECT_THAT(g_namesGiven, ElementsAre(whole));
  EXPECT_THAT(Rows(), ElementsAre(hosted::RowTexts{"600", whole, "2"}));
  ExpectEverythingReleased();
}

TEST_F(ProcessListTest, TheListAllowsFullRowSelectionOnTopOfItsOtherExtendedStyles) {
  fake::SetVersion(kVersion6_2);
  fake::SetProcesses({{4, "System", 97}});
  Open();
  EXPECT_NE(List().GetExtendedStyle() & LVS_EX_FULLROWSELECT, 0u);
}

// --- Row texts and row data -----------------------------------------------------

TEST_F(ProcessListTest, AnIdAbove2To31IsShownNegativeOnBothPathsWhileTheRowDataKeepsTheId) {
  for (const DWORD version : {kVersion4_0, kVersion6_2}) {
    SCOPED_TRACE(version);
    fake::Reset();
    fake::SetVersion(version);
    fake::SetProcesses({{0x80000004u, "high.exe", 2}, {0xFFFFFFFFu, "top.exe", 3}});
    Open();
    ASSERT_EQ(List().GetItemCount(), 2);
    EXPECT_STREQ(List().GetItemText(0, 0), "-2147483644");
    EXPECT_STREQ(List().GetItemText(1, 0), "-1");
    EXPECT_THAT(RowData(), ElementsAre(0x80000004u, 0xFFFFFFFFu));
    host.reset();
  }
}

TEST_F(ProcessListTest, TheSnapshotEntryWithId0GetsNoRow) {
  fake::SetVersion(kVersion6_2);
  fake::SetProcesses({{0, "[System Process]", 2}, {4, "System", 97}, {0, "again", 1}});
  Open();
  EXPECT_THAT(Rows(), ElementsAre(hosted::RowTexts{"4", "System", "97"}));
  EXPECT_EQ(g_nextRow, 1);
}

TEST_F(ProcessListTest, OnTheProcessStatusPathId0IsListedWhenItCanBeOpened) {
  fake::SetVersion(kVersion4_0);
  fake::SetProcesses({{0, "idle.exe", 1}, {8, "System", 12}});
  Open();
  EXPECT_THAT(Rows(), ElementsAre(hosted::RowTexts{"0", "idle.exe", ""},
                                  hosted::RowTexts{"8", "System", ""}));
}

TEST_F(ProcessListTest, OnTheProcessStatusPathId0IsLeftOutWhenItCannotBeOpened) {
  fake::SetVersion(kVersion4_0);
  fake::FakeProcess idle{0, "idle.exe", 1};
  idle.canOpen = false;
  fake::SetProcesses({idle, {8, "System", 12}});
  Open();
  EXPECT_THAT(Rows(), ElementsAre(hosted::RowTexts{"8", "System", ""}));
}

TEST_F(ProcessListTest,
       ProcessesThatCannotBeOpenedOrListedAreLeftOutAndUnreadableNamesShowUnknown) {
  fake::SetVersion(kVersion4_0);
  fake::FakeProcess closed{20, "closed.exe"};
  closed.canOpen = false;
  fake::FakeProcess noModules{30, "nomodules.exe"};
  noModules.canListModules = false;
  fake::FakeProcess nameless{40, "secret.exe"};
  nameless.canReadName = false;
  fake::SetProcesses({{10, "first.exe"}, closed, noModules, nameless, {50, "last.exe"}});
  Open();

  EXPECT_THAT(Rows(), ElementsAre(hosted::RowTexts{"10", "first.exe", ""},
                                  hosted::RowTexts{"40", "unknown", ""},
                                  hosted::RowTexts{"50", "last.exe", ""}));
  EXPECT_THAT(RowData(), ElementsAre(10u, 40u, 50u));
  EXPECT_EQ(g_nextRow, 3);
  EXPECT_THAT(Boxes(), IsEmpty());
  EXPECT_EQ(fake::CountCalls("OpenProcess"), 5);
  // The process whose modules could not be listed is closed too.
  std::vector<std::string> closes;
  for (const fake::Call& call : fake::Calls()) {
    if (call.name == "CloseHandle" && call.detail.rfind("process:", 0) == 0) {
      closes.push_back(call.detail);
    }
  }
  EXPECT_THAT(closes, ElementsAre("process:10", "process:30", "process:40", "process:50"));
  ExpectEverythingReleased();
}

TEST_F(ProcessListTest, ProcessesAreOpenedForQueryAndReadWithoutInheritance) {
  fake::SetVersion(kVersion4_0);
  fake::SetProcesses({{10, "first.exe"}});
  Open();
  int opened = 0;
  for (const fake::Call& call : fake::Calls()) {
    if (call.name != "OpenProcess") continue;
    EXPECT_EQ(call.detail, "0x410,0,10");
    ++opened;
  }
  EXPECT_EQ(opened, 1);
}

// --- The 1024-process buffer ----------------------------------------------------

std::vector<fake::FakeProcess> ManyProcesses(int count) {
  std::vector<fake::FakeProcess> processes;
  for (int i = 1; i <= count; ++i) {
    processes.push_back({static_cast<DWORD>(4 * i), "p" + std::to_string(i) + ".exe"});
  }
  return processes;
}

TEST_F(ProcessListTest, OfMoreThan1024ProcessesOnlyTheFirst1024AreListed) {
  fake::SetVersion(kVersion4_0);
  fake::SetProcesses(ManyProcesses(1100));
  Open();

  ASSERT_EQ(List().GetItemCount(), 1024);
  EXPECT_STREQ(List().GetItemText(1023, 0), "4096");
  EXPECT_STREQ(List().GetItemText(1023, 1), "p1024.exe");
  EXPECT_EQ(fake::CountCalls("OpenProcess"), 1024);
  for (const fake::Call& call : fake::Calls()) {
    if (call.name == "EnumProcesses") {
      EXPECT_EQ(call.detail, "4096");
    }
  }
  ExpectEverythingReleased();
}

TEST_F(ProcessListTest, AnEnumerationClaimingMoreThanTheBufferStillListsAtMost1024) {
  fake::SetVersion(kVersion4_0);
  fake::SetProcesses(ManyProcesses(1024));
  fake::Hook().EnumProcesses = [](DWORD* ids, DWORD bytes, DWORD* filled) {
    for (DWORD i = 0; i < bytes / sizeof(DWORD); ++i) ids[i] = 4 * (i + 1);
    *filled = 2 * bytes;
    return TRUE;
  };
  Open();
  EXPECT_EQ(List().GetItemCount(), 1024);
  EXPECT_EQ(fake::CountCalls("OpenProcess"), 1024);
}

TEST_F(ProcessListTest, APartialIdAtTheEndOfTheEnumerationIsDropped) {
  fake::SetVersion(kVersion4_0);
  fake::SetProcesses(ManyProcesses(4));
  fake::Hook().EnumProcesses = [](DWORD* ids, DWORD, DWORD* filled) {
    for (DWORD i = 0; i < 4; ++i) ids[i] = 4 * (i + 1);
    *filled = 3 * sizeof(DWORD) + 3;
    return TRUE;
  };
  Open();
  EXPECT_THAT(Rows(),
              ElementsAre(hosted::RowTexts{"4", "p1.exe", ""}, hosted::RowTexts{"8", "p2.exe", ""},
                          hosted::RowTexts{"12", "p3.exe", ""}));
}

// --- Fills that fail ------------------------------------------------------------

TEST_F(ProcessListTest, WithoutTheProcessStatusLibraryTheUserIsToldTheWalkingApiCannotLoad) {
  fake::SetVersion(kVersion4_0);
  fake::SetProcesses({{8, "System"}});
  fake::SetModuleMissing("PSAPI.DLL");
  Open();
  ExpectOnlyBox("Load Error!", "Could not load process walking API.");
  EXPECT_EQ(List().GetItemCount(), 0);
  EXPECT_EQ(fake::CountCalls("FreeLibrary"), 0);
  ExpectEverythingReleased();
}

class MissingProcessStatusEntryTest : public ProcessListTest,
                                      public ::testing::WithParamInterface<const char*> {};

TEST_P(MissingProcessStatusEntryTest, ShowsLoadErrorLeavesTheListEmptyAndReleasesTheLibrary) {
  fake::SetVersion(kVersion4_0);
  fake::SetProcesses({{8, "System"}});
  fake::RemoveEntryPoint(GetParam());
  Open();
  ExpectOnlyBox("Load Error!", "Could not load process walking API.");
  EXPECT_EQ(List().GetItemCount(), 0);
  EXPECT_EQ(fake::CountCalls("EnumProcesses"), 0);
  EXPECT_EQ(fake::CountCalls("FreeLibrary"), 1);
  ExpectEverythingReleased();
}

INSTANTIATE_TEST_SUITE_P(EachOfTheFour, MissingProcessStatusEntryTest,
                         ::testing::Values("EnumProcesses", "EnumProcessModules",
                                           "GetModuleBaseNameA", "GetModuleFileNameExA"));

TEST_F(ProcessListTest, WithoutTheKernelModuleTheUserIsToldTheWalkingApiCannotLoad) {
  fake::SetVersion(kVersion6_2);
  fake::SetProcesses({{8, "System"}});
  fake::SetModuleMissing("KERNEL32.DLL");
  Open();
  ExpectOnlyBox("Load Error!", "Could not load process walking API.");
  EXPECT_EQ(List().GetItemCount(), 0);
  EXPECT_EQ(fake::CountCalls("CreateToolhelp32Snapshot"), 0);
  ExpectEverythingReleased();
}

class MissingSnapshotEntryTest : public ProcessListTest,
                                 public ::testing::WithParamInterface<const char*> {};

TEST_P(MissingSnapshotEntryTest, ShowsLoadErrorAndTakesNoSnapshot) {
  fake::SetVersion(kVersion6_2);
  fake::SetProcesses({{8, "System"}});
  fake::RemoveEntryPoint(GetParam());
  Open();
  ExpectOnlyBox("Load Error!", "Could not load process walking API.");
  EXPECT_EQ(List().GetItemCount(), 0);
  EXPECT_EQ(fake::CountCalls("CreateToolhelp32Snapshot"), 0);
  EXPECT_EQ(fake::CountCalls("FreeLibrary"), 0);
  ExpectEverythingReleased();
}

INSTANTIATE_TEST_SUITE_P(EachOfTheThree, MissingSnapshotEntryTest,
                         ::testing::Values("CreateToolhelp32Snapshot", "Process32First",
                                           "Process32Next"));

TEST_F(ProcessListTest, ASnapshotThatCannotBeTakenIsReportedAsSuch) {
  fake::SetVersion(kVersion6_2);
  fake::SetProcesses({{8, "System"}});
  fake::FailCall("CreateToolhelp32Snapshot", ERROR_NOT_ENOUGH_MEMORY);
  Open();
  ExpectOnlyBox("Load Error!", "Could not get Toolhelp32Snapshot.");
  EXPECT_EQ(List().GetItemCount(), 0);
  EXPECT_EQ(fake::CountCalls("Process32First"), 0);
  ExpectEverythingReleased();
}

TEST_F(ProcessListTest, ASnapshotIsTakenOfProcessesOnly) {
  fake::SetVersion(kVersion6_2);
  fake::SetProcesses({{8, "System"}});
  Open();
  ASSERT_EQ(fake::CountCalls("CreateToolhelp32Snapshot"), 1);
  EXPECT_EQ(fake::LastDetail("CreateToolhelp32Snapshot"), "0x2,0");
  ASSERT_EQ(fake::CountCalls("Process32First"), 1);
  EXPECT_EQ(fake::LastDetail("Process32First"),
            "snapshot," + std::to_string(sizeof(PROCESSENTRY32)));
}

TEST_F(ProcessListTest, AFirstEntryThatCannotBeReadShowsTheErrorCodeAndClosesTheSnapshot) {
  fake::SetVersion(kVersion6_2);
  fake::SetProcesses({{8, "System"}});
  fake::FailCall("Process32First", 1234);
  Open();
  ExpectOnlyBox("Error", "Error calling Process32First: 1234");
  EXPECT_EQ(List().GetItemCount(), 0);
  EXPECT_EQ(fake::CountCalls("Process32Next"), 0);
  int snapshotCloses = 0;
  for (const fake::Call& call : fake::Calls()) {
    if (call.name == "CloseHandle" && call.detail == "snapshot") ++snapshotCloses;
  }
  EXPECT_EQ(snapshotCloses, 1);
  ExpectEverythingReleased();
}

TEST_F(ProcessListTest, AFirstEntryErrorCodeAbove2To31IsShownSigned) {
  fake::SetVersion(kVersion6_2);
  fake::SetProcesses({{8, "System"}});
  fake::FailCall("Process32First", 0x80004005);
  Open();
  ExpectOnlyBox("Error", "Error calling Process32First: -2147467259");
}

TEST_F(ProcessListTest, AFailingNextEntryEndsTheWalkQuietlyWithTheRowsSoFar) {
  fake::SetVersion(kVersion6_2);
  fake::SetProcesses({{4, "System", 97}, {8, "second.exe", 2}, {12, "third.exe", 3}});
  fake::FailCall("Process32Next", ERROR_ACCESS_DENIED, 2);
  Open();
  EXPECT_THAT(Rows(), ElementsAre(hosted::RowTexts{"4", "System", "97"},
                                  hosted::RowTexts{"8", "second.exe", "2"}));
  EXPECT_THAT(Boxes(), IsEmpty());
  ExpectEverythingReleased();
}

TEST_F(ProcessListTest, AFailingProcessEnumerationLeavesTheListEmptyWithoutAMessage) {
  fake::SetVersion(kVersion4_0);
  fake::SetProcesses({{8, "System"}});
  fake::FailCall("EnumProcesses", ERROR_ACCESS_DENIED);
  Open();
  EXPECT_THAT(Boxes(), IsEmpty());
  EXPECT_EQ(List().GetItemCount(), 0);
  EXPECT_EQ(fake::CountCalls("OpenProcess"), 0);
  EXPECT_EQ(fake::CountCalls("FreeLibrary"), 1);
  ExpectEverythingReleased();
}

// --- Refresh --------------------------------------------------------------------

TEST_F(ProcessListTest, RefreshAfterARowWasRemovedRebuildsTheListFromTheFirstRow) {
  for (const DWORD version : {kVersion4_0, kVersion6_2}) {
    SCOPED_TRACE(version);
    fake::Reset();
    fake::SetVersion(version);
    fake::SetProcesses({{4, "a.exe", 1}, {8, "b.exe", 2}, {12, "c.exe", 3}});
    Open();
    List().DeleteItem(1);  // as ending a process does; the next row index stays
    ASSERT_EQ(g_nextRow, 3);

    fake::SetProcesses({{20, "d.exe", 4}, {24, "e.exe", 5}});
    host->Dialog().RefreshProcessList();

    const bool threads = version == kVersion6_2;
    EXPECT_THAT(Rows(), ElementsAre(hosted::RowTexts{"20", "d.exe", threads ? "4" : ""},
                                    hosted::RowTexts{"24", "e.exe", threads ? "5" : ""}));
    EXPECT_THAT(RowData(), ElementsAre(20u, 24u));
    EXPECT_EQ(g_nextRow, 2);
    EXPECT_EQ(List().GetNextItem(-1, LVNI_SELECTED), -1);
    EXPECT_EQ(List().GetColumnCount(), threads ? 3 : 2);
    EXPECT_THAT(host->Answered().boxes, IsEmpty());
    EXPECT_EQ(hosted::ListRepaints(List()), "");
    ExpectEverythingReleased();
    host.reset();
  }
}

TEST_F(ProcessListTest, RefreshOfAnEmptyListFillsItAgain) {
  fake::SetVersion(kVersion6_2);
  fake::SetProcesses({{4, "System", 97}});
  fake::FailCall("CreateToolhelp32Snapshot", ERROR_NOT_ENOUGH_MEMORY);
  Open();
  ASSERT_EQ(List().GetItemCount(), 0);

  host->Dialog().RefreshProcessList();
  EXPECT_THAT(Rows(), ElementsAre(hosted::RowTexts{"4", "System", "97"}));
  EXPECT_EQ(g_nextRow, 1);
}

int CALLBACK ReverseByRowData(LPARAM first, LPARAM second, LPARAM) {
  return first < second ? 1 : (first > second ? -1 : 0);
}

TEST_F(ProcessListTest, RefreshAfterASortShowsTheEnumerationOrderAgain) {
  fake::SetVersion(kVersion6_2);
  fake::SetProcesses({{4, "a.exe", 1}, {8, "b.exe", 2}, {12, "c.exe", 3}});
  Open();
  List().SortItems(&ReverseByRowData, 0);
  ASSERT_THAT(RowData(), ElementsAre(12u, 8u, 4u));

  host->Dialog().RefreshProcessList();
  EXPECT_THAT(RowData(), ElementsAre(4u, 8u, 12u));
  EXPECT_STREQ(List().GetItemText(0, 1), "a.exe");
}

TEST_F(ProcessListTest, ARefreshThatFailsShowsItsBoxAndLeavesTheListEmpty) {
  fake::SetVersion(kVersion6_2);
  fake::SetProcesses({{4, "System", 97}});
  Open();
  ASSERT_EQ(List().GetItemCount(), 1);

  fake::FailCall("Process32First", ERROR_NO_MORE_FILES);
  host->Dialog().RefreshProcessList();
  ExpectOnlyBox("Error", "Error calling Process32First: 18");
  EXPECT_EQ(List().GetItemCount(), 0);
  EXPECT_EQ(g_nextRow, 0);
  EXPECT_EQ(hosted::ListRepaints(List()), "");
  ExpectEverythingReleased();
}

}  // namespace
