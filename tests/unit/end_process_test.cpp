// End Process through the seam: the question, the selection, the open, the
// termination, the log and the list as the user sees them.
#include "platform/list_ctrl.h"
#include "platform/window.h"
#include "process/process_list.h"
#include "tests/support/fake_system.h"
#include "tests/support/hosted_dialog.h"
#include "tests/support/log_text.h"
#include "tests/support/system_text.h"
#include "tests/support/messages.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace support;

constexpr const char* kQuestion = "Are you sure you wish to end this process?";
constexpr const char* kRefused = "The process could not be terminated.";
constexpr const char* kNoSelection = "You must first select a process from the list.";
constexpr DWORD kVersion6_2 = 0x0206;
using support::kLogStart;

std::vector<std::string> Names(CListCtrl& list) {
  std::vector<std::string> names;
  for (const auto& row : hosted::Rows(list)) names.push_back(row.name);
  return names;
}

class EndProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    fake::SetProcesses({{101, "alpha.exe", 3}, {202, "beta.exe", 5}, {303, "gamma.exe", 1}});
    g_nextRow = 0;
    m_host = std::make_unique<hosted::HostedDialog>();
    ASSERT_TRUE(m_host->Created());
    ASSERT_EQ(Names(List()), (std::vector<std::string>{"alpha.exe", "beta.exe", "gamma.exe"}));
    fake::Reset();
    fake::SetProcesses({{101, "alpha.exe", 3}, {202, "beta.exe", 5}, {303, "gamma.exe", 1}});
  }
  void TearDown() override {
    m_host.reset();
    fake::Reset();
  }

  support::ProcessListView& List() { return m_host->List(); }
  void Select(int row) { List().SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED); }
  std::string Log() { return m_host->Log(); }
  std::vector<hosted::ShownBox>& Boxes() { return m_host->Answered().boxes; }
  void Answer(int answer) { m_host->Answered().boxAnswer = answer; }
  void End() {
    (*m_host)->OnEndProcess();
    support::PumpMessages();
  }

  void ExpectQuestionFirst() {
    ASSERT_FALSE(Boxes().empty());
    EXPECT_EQ(Boxes()[0].text, kQuestion);
    EXPECT_EQ(Boxes()[0].caption, "End Process");
    EXPECT_EQ(Boxes()[0].type, static_cast<UINT>(MB_YESNO));
    EXPECT_EQ(Boxes()[0].owner, m_host->Window());
  }
  void ExpectRefusedBox(size_t index) {
    ASSERT_GT(Boxes().size(), index);
    EXPECT_EQ(Boxes()[index].text, kRefused);
    EXPECT_EQ(Boxes()[index].caption, ui::ProgramName().str());
    EXPECT_EQ(Boxes()[index].type, static_cast<UINT>(MB_OK));
  }

  std::unique_ptr<hosted::HostedDialog> m_host;
};

TEST_F(EndProcess, AnsweringNoEndsNothingLogsNothingAndKeepsEveryRow) {
  Select(1);
  Answer(IDNO);
  End();

  ExpectQuestionFirst();
  EXPECT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(fake::CountCalls("OpenProcess"), 0);
  EXPECT_EQ(fake::CountCalls("TerminateProcess"), 0);
  EXPECT_EQ(Names(List()), (std::vector<std::string>{"alpha.exe", "beta.exe", "gamma.exe"}));
  EXPECT_EQ(Log(), kLogStart);
}

TEST_F(EndProcess, WithNoSelectionTheQuestionComesFirstAndYesShowsTheNoSelectionMessage) {
  Answer(IDNO);
  End();
  ExpectQuestionFirst();
  EXPECT_EQ(Boxes().size(), 1u);

  Boxes().clear();
  Answer(IDYES);
  End();
  ExpectQuestionFirst();
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes()[1].text, kNoSelection);
  EXPECT_EQ(Boxes()[1].caption, ui::ProgramName().str());
  EXPECT_EQ(Boxes()[1].type, static_cast<UINT>(MB_ICONEXCLAMATION));

  EXPECT_EQ(fake::CountCalls("OpenProcess"), 0);
  EXPECT_EQ(Log(), kLogStart);
  EXPECT_EQ(List().GetItemCount(), 3);
}

TEST_F(EndProcess, YesEndsTheSelectedProcessRemovesExactlyItsRowAndLogsItsName) {
  fake::SetVersion(kVersion6_2);
  Select(1);
  Answer(IDYES);
  End();

  ExpectQuestionFirst();
  EXPECT_EQ(Boxes().size(), 1u);
  // The process is identified by its creation time before it is ended.
  const std::vector<std::string> expected = {"GetVersion", "OpenProcess", "GetProcessTimes",
                                             "TerminateProcess", "CloseHandle"};
  std::vector<std::string> names;
  for (const auto& call : fake::Calls()) {
    if (call.name != "GetLastError" && call.name != "FormatMessageA" && call.name != "LocalFree") {
      names.push_back(call.name);
    }
  }
  EXPECT_EQ(names, expected);
  EXPECT_EQ(fake::LastDetail("OpenProcess"), "0x1001,0,202");
  EXPECT_EQ(fake::LastDetail("TerminateProcess"), "process:202,0");

  EXPECT_EQ(Names(List()), (std::vector<std::string>{"alpha.exe", "gamma.exe"}));
  // The rows below moved up and kept their own process IDs.
  EXPECT_EQ(List().GetItemData(1), 303u);
  EXPECT_EQ(Log(), std::string(kLogStart) + "Process beta.exe has ended.\r\n");
  EXPECT_EQ(g_nextRow, 3) << "removing a row leaves the insertion index alone";
  EXPECT_TRUE(fake::OpenHandles().empty());
  EXPECT_EQ(fake::BadCloses(), 0);
}

TEST_F(EndProcess, EndingTheLastRowLeavesTheListOneRowShorter) {
  Select(2);
  Answer(IDYES);
  End();

  EXPECT_EQ(Names(List()), (std::vector<std::string>{"alpha.exe", "beta.exe"}));
  EXPECT_EQ(Log(), std::string(kLogStart) + "Process gamma.exe has ended.\r\n");
}

TEST_F(EndProcess,
       AProcessThatCannotBeOpenedOrIdentifiedLogsTheSystemTextShowsTheBoxAndKeepsTheRow) {
  struct Case {
    const char* what;
    const char* call;
    DWORD error;
  };
  for (const Case& c : {Case{"access denied", "OpenProcess", ERROR_ACCESS_DENIED},
                        Case{"process gone", "OpenProcess", ERROR_INVALID_PARAMETER},
                        Case{"creation time unreadable", "GetProcessTimes", ERROR_ACCESS_DENIED}}) {
    SCOPED_TRACE(c.what);
    support::SetLogText(m_host->Dialog(), kLogStart);
    Boxes().clear();
    fake::Reset();
    fake::SetProcesses({{101, "alpha.exe", 3}, {202, "beta.exe", 5}, {303, "gamma.exe", 1}});
    fake::FailCall(c.call, c.error);
    Select(0);
    Answer(IDYES);
    End();

    ASSERT_FALSE(SystemText(c.error).empty());
    EXPECT_EQ(Log(), std::string(kLogStart) + "Could not end process: " + SystemText(c.error));
    ExpectQuestionFirst();
    ASSERT_EQ(Boxes().size(), 2u);
    ExpectRefusedBox(1);
    EXPECT_EQ(fake::CountCalls("TerminateProcess"), 0);
    EXPECT_EQ(Names(List()), (std::vector<std::string>{"alpha.exe", "beta.exe", "gamma.exe"}));
    EXPECT_TRUE(fake::OpenHandles().empty());
  }
}

TEST_F(EndProcess, AProcessThatTookOverTheRowsIdIsNotEndedUntilARefreshListsIt) {
  constexpr ULONGLONG kFilledAt = 0x01DC000000000000ULL;
  fake::SetClock(kFilledAt);
  (*m_host)->RefreshProcessList();
  // beta.exe ended and a newer process got its ID.
  fake::SetProcesses({{101, "alpha.exe", 3},
                      {202, "newer.exe", 2, true, true, true, kFilledAt + 1},
                      {303, "gamma.exe", 1}});
  Select(1);
  Answer(IDYES);
  End();

  ASSERT_FALSE(SystemText(ERROR_INVALID_PARAMETER).empty());
  EXPECT_EQ(Log(), std::string(kLogStart) +
                       "Could not end process: " + SystemText(ERROR_INVALID_PARAMETER));
  ASSERT_EQ(Boxes().size(), 2u);
  ExpectRefusedBox(1);
  EXPECT_EQ(fake::CountCalls("TerminateProcess"), 0);
  EXPECT_EQ(Names(List()), (std::vector<std::string>{"alpha.exe", "beta.exe", "gamma.exe"}));
  EXPECT_TRUE(fake::OpenHandles().empty());

  // Once a refresh has listed it, it is the row's own process.
  fake::SetClock(kFilledAt + 1);
  (*m_host)->RefreshProcessList();
  Select(1);
  End();
  EXPECT_EQ(Names(List()), (std::vector<std::string>{"alpha.exe", "gamma.exe"}));
  EXPECT_EQ(fake::LastDetail("TerminateProcess"), "process:202,0");
}

TEST_F(EndProcess, BeforeVersion6TheCreationTimeIsReadWithTheFullQueryRight) {
  // NT 4.0 ends alpha, 5.1 then ends beta, each from the top row.
  for (const auto& [version, id] :
       {std::pair<DWORD, std::string>{0x0004, "101"}, {0x0105, "202"}}) {
    SCOPED_TRACE(id);
    fake::SetVersion(version);
    Select(0);
    Answer(IDYES);
    End();
    EXPECT_EQ(fake::LastDetail("OpenProcess"), "0x401,0," + id);
    EXPECT_EQ(fake::LastDetail("TerminateProcess"), "process:" + id + ",0");
  }
  EXPECT_EQ(Names(List()), (std::vector<std::string>{"gamma.exe"}));
}

TEST_F(EndProcess, ARefusedTerminationIsReportedLikeAFailedOpenAndKeepsTheRow) {
  fake::FailCall("TerminateProcess", ERROR_ACCESS_DENIED);
  Select(1);
  Answer(IDYES);
  End();

  EXPECT_EQ(Log(),
            std::string(kLogStart) + "Could not end process: " + SystemText(ERROR_ACCESS_DENIED));
  ASSERT_EQ(Boxes().size(), 2u);
  ExpectRefusedBox(1);
  EXPECT_EQ(Names(List()), (std::vector<std::string>{"alpha.exe", "beta.exe", "gamma.exe"}));
  // The handle is closed before the report, and the report still has the
  // termination's own error.
  EXPECT_EQ(fake::CountCalls("CloseHandle"), 1);
  EXPECT_TRUE(fake::OpenHandles().empty());
  EXPECT_EQ(fake::BadCloses(), 0);
}

TEST_F(EndProcess, AnErrorWithoutSystemTextLeavesTheLineOpenAndStillShowsTheBox) {
  // A code the system has no text for.
  fake::FailCall("OpenProcess", 0x20001234);
  Select(0);
  Answer(IDYES);
  End();

  EXPECT_EQ(Log(), std::string(kLogStart) + "Could not end process: ");
  ASSERT_EQ(Boxes().size(), 2u);
  ExpectRefusedBox(1);
}

TEST_F(EndProcess, AfterASortEndProcessEndsTheSelectedRowsOwnProcess) {
  // Names sorted descending put gamma first.
  NMLISTVIEW click{};
  click.hdr.hwndFrom = List().m_hWnd;
  click.hdr.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(List().m_hWnd));
  click.hdr.code = LVN_COLUMNCLICK;
  click.iItem = -1;
  click.iSubItem = 1;
  for (int i = 0; i < 2; ++i) {
    ::SendMessageA(m_host->Window(), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
  }
  ASSERT_EQ(Names(List()), (std::vector<std::string>{"gamma.exe", "beta.exe", "alpha.exe"}));

  fake::Reset();
  fake::SetProcesses({{101, "alpha.exe", 3}, {202, "beta.exe", 5}, {303, "gamma.exe", 1}});
  Select(0);
  Answer(IDYES);
  End();

  EXPECT_EQ(fake::LastDetail("TerminateProcess"), "process:303,0");
  EXPECT_EQ(Names(List()), (std::vector<std::string>{"beta.exe", "alpha.exe"}));
  EXPECT_EQ(Log(), std::string(kLogStart) + "Process gamma.exe has ended.\r\n");
}

}  // namespace
