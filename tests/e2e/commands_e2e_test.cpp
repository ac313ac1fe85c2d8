// The main window's commands as a user gives them: the context menu, the menu
// bar, the Refresh button, the no-selection message, the About box and the
// ways to end the program.
#include "tests/support/driver/session.h"
#include "tests/support/log_text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using e2e::Box;
using e2e::ListRow;
using e2e::PopupMenu;
using e2e::VellornSession;
using testing::ElementsAre;

// "&Refresh List" lies three Downs into the context menu (the separator is skipped).
constexpr int kDownsToRefresh = 3;

const char kNoSelection[] = "You must first select a process from the list.";

// How long to watch for something that must not happen (a menu, a box).
constexpr unsigned kNothingHappensMs = 600;

std::set<std::pair<std::string, std::string>> IdsAndNames(const std::vector<ListRow>& rows) {
  std::set<std::pair<std::string, std::string>> shown;
  for (const ListRow& row : rows) shown.emplace(row.id, row.name);
  return shown;
}

bool Lists(const VellornSession& vellorn, DWORD processId) {
  return vellorn.List().FindByData(static_cast<LPARAM>(processId)) >= 0;
}

// A row that is not the program itself, so that the context menu has a target.
int SomeOtherRow(const VellornSession& vellorn) {
  for (const ListRow& row : vellorn.Rows()) {
    if (row.data != static_cast<LPARAM>(vellorn.ProcessId())) return row.index;
  }
  return 0;
}

PopupMenu OpenContextMenuOnSelectedRow(const VellornSession& vellorn, POINT* clicked = nullptr) {
  const POINT at = vellorn.RightClickRow(vellorn.SelectedRow());
  if (clicked) *clicked = at;
  return vellorn.WaitForPopupMenu();
}

TEST(ContextMenu, RightClickWithNoRowSelectedShowsNothingAndChangesNothing) {
  VellornSession vellorn;
  ASSERT_TRUE(vellorn.Started()) << vellorn.StartError();
  const auto rows = vellorn.Rows();
  ASSERT_EQ(vellorn.SelectedRow(), -1);

  vellorn.RightClickEmptyListSpace();

  EXPECT_FALSE(
      e2e::WaitFor([&] { return static_cast<bool>(e2e::FindPopupMenu(vellorn.ProcessId())); },
                   kNothingHappensMs));
  EXPECT_EQ(vellorn.OpenBoxCount(), 0);
  EXPECT_EQ(vellorn.SelectedRow(), -1);
  EXPECT_EQ(IdsAndNames(vellorn.Rows()), IdsAndNames(rows));
  EXPECT_EQ(vellorn.Log(), support::kLogStart);
}

TEST(ContextMenu, OpensAtTheCursorAndEscapeClosesItWithoutEffect) {
  VellornSession vellorn;
  ASSERT_TRUE(vellorn.Started()) << vellorn.StartError();
  const int row = SomeOtherRow(vellorn);
  ASSERT_TRUE(vellorn.SelectRow(row));
  const auto rows = vellorn.Rows();

  POINT cursor = {};
  const PopupMenu menu = OpenContextMenuOnSelectedRow(vellorn, &cursor);
  ASSERT_TRUE(menu) << "no context menu appeared";
  EXPECT_EQ(menu.rect.left, cursor.x);
  EXPECT_EQ(menu.rect.top, cursor.y);

  e2e::DismissMenu(menu);
  EXPECT_FALSE(e2e::FindPopupMenu(vellorn.ProcessId()));
  EXPECT_FALSE(e2e::WaitFor([&] { return vellorn.OpenBoxCount() > 0; }, kNothingHappensMs));
  EXPECT_EQ(vellorn.SelectedRow(), row);
  const auto after = vellorn.Rows();
  ASSERT_EQ(after.size(), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(after[i].id, rows[i].id);
    EXPECT_EQ(after[i].name, rows[i].name);
    EXPECT_EQ(after[i].data, rows[i].data);
  }
  EXPECT_EQ(vellorn.Log(), support::kLogStart);
  EXPECT_TRUE(vellorn.Running());
}

TEST(ContextMenu, ShiftF10AndTheApplicationsKeyInTheListOpenItUnderTheSelectedRow) {
  VellornSession vellorn;
  ASSERT_TRUE(vellorn.Started()) << vellorn.StartError();
  const int row = SomeOtherRow(vellorn);
  ASSERT_TRUE(vellorn.SelectRow(row));
  vellorn.FocusControl(IDC_PROCESS_LIST);
  const RECT rowRect = vellorn.List().RowScreenRect(row);

  for (const auto& [key, modifier] : {std::pair<WORD, WORD>{VK_F10, VK_SHIFT}, {VK_APPS, 0}}) {
    SCOPED_TRACE(key);
    ASSERT_TRUE(vellorn.PressKey(key, modifier));
    const PopupMenu menu = vellorn.WaitForPopupMenu();
    ASSERT_TRUE(menu) << "no context menu appeared";
    EXPECT_EQ(menu.rect.left, rowRect.left);
    EXPECT_EQ(menu.rect.top, rowRect.bottom);
    e2e::DismissMenu(menu);
    EXPECT_FALSE(e2e::FindPopupMenu(vellorn.ProcessId()));
  }
  EXPECT_EQ(vellorn.SelectedRow(), row);
  EXPECT_EQ(vellorn.Log(), support::kLogStart);
}

TEST(RefreshList, ContextMenuMenuBarButtonAndEnterOnTheButtonEachShowTheProcessesRunningNow) {
  VellornSession vellorn;
  ASSERT_TRUE(vellorn.Started()) << vellorn.StartError();
  ASSERT_TRUE(vellorn.SelectRow(SomeOtherRow(vellorn)));

  // From the context menu: a process started after the program shows up.
  e2e::Process first = e2e::StartIdleProcess(vellorn.Folder());
  ASSERT_TRUE(first.Valid());
  ASSERT_FALSE(Lists(vellorn, first.Id()));
  const PopupMenu menu = OpenContextMenuOnSelectedRow(vellorn);
  ASSERT_TRUE(menu) << "no context menu appeared";
  e2e::ChooseMenuItem(menu, kDownsToRefresh);
  ASSERT_TRUE(e2e::WaitFor([&] { return Lists(vellorn, first.Id()); }));
  const auto byContextMenu = vellorn.Rows();
  EXPECT_EQ(vellorn.SelectedRow(), -1);

  // From the menu bar: the ended process is gone, a new one is there.
  first.Terminate();
  e2e::Process second = e2e::StartIdleProcess(vellorn.Folder());
  ASSERT_TRUE(second.Valid());
  vellorn.Command(ID_PROCESS_REFRESH);
  ASSERT_TRUE(e2e::WaitFor([&] { return Lists(vellorn, second.Id()); }));
  EXPECT_FALSE(Lists(vellorn, first.Id()));
  auto byMenuBar = vellorn.Rows();

  // From the button: the same again once the second process has ended.
  second.Terminate();
  vellorn.ClickButton(IDC_REFRESH);
  ASSERT_TRUE(e2e::WaitFor([&] { return !Lists(vellorn, second.Id()); }));
  const auto byButton = vellorn.Rows();

  // Enter while the button has the focus presses it instead of ending the program.
  e2e::Process third = e2e::StartIdleProcess(vellorn.Folder());
  ASSERT_TRUE(third.Valid());
  vellorn.FocusControl(IDC_REFRESH);
  ASSERT_TRUE(vellorn.PressKey(VK_RETURN));
  EXPECT_TRUE(e2e::WaitFor([&] { return Lists(vellorn, third.Id()); }));
  EXPECT_TRUE(vellorn.Running());
  third.Terminate();

  // Apart from the two helpers, all three show the same processes.
  auto withoutHelpers = [&](std::vector<ListRow> rows) {
    std::vector<ListRow> kept;
    for (ListRow& row : rows) {
      const DWORD id = static_cast<DWORD>(row.data);
      if (id != first.Id() && id != second.Id()) kept.push_back(std::move(row));
    }
    return IdsAndNames(kept);
  };
  EXPECT_EQ(withoutHelpers(byContextMenu), withoutHelpers(byMenuBar));
  EXPECT_EQ(withoutHelpers(byMenuBar), IdsAndNames(byButton));
  for (const ListRow& row : byButton) {
    EXPECT_EQ(row.id, std::to_string(static_cast<int>(row.data)));
  }
  EXPECT_EQ(vellorn.SelectedRow(), -1);
  EXPECT_EQ(vellorn.Log(), support::kLogStart);
  EXPECT_EQ(vellorn.OpenBoxCount(), 0);
}

// The boxes of one program run, opened and answered one after another.
class CommandBoxes : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_vellorn = std::make_unique<VellornSession>(e2e::FreshFolder("CommandBoxes"));
  }
  static void TearDownTestSuite() { s_vellorn.reset(); }

  void SetUp() override {
    ASSERT_TRUE(s_vellorn->Started()) << s_vellorn->StartError();
    ASSERT_TRUE(s_vellorn->Running());
    ASSERT_EQ(s_vellorn->OpenBoxCount(), 0);
    s_vellorn->ClearSelection();
  }

  // The no-selection message: its text, the program's name as caption, the
  // exclamation icon and OK alone. Answers it.
  static void ExpectNoSelectionMessage() {
    const Box box = s_vellorn->WaitForBox();
    ASSERT_TRUE(box) << "no message appeared";
    EXPECT_EQ(box.text, kNoSelection);
    EXPECT_EQ(box.caption, "vellorn");
    EXPECT_TRUE(box.hasIcon);
    ASSERT_EQ(box.buttons.size(), 1u);
    EXPECT_EQ(box.buttons[0].id, IDOK);
    EXPECT_TRUE(e2e::AnswerBox(box, IDOK));
  }

  static void ExpectAboutBoxAndCloseIt() {
    const Box about = s_vellorn->WaitForBox();
    ASSERT_TRUE(about) << "no About box appeared";
    EXPECT_EQ(about.caption, "About Vellorn");
    EXPECT_THAT(about.statics, testing::Contains("Vellorn Version 1.0"));
    EXPECT_TRUE(about.hasIcon);
    ASSERT_EQ(about.buttons.size(), 1u);
    EXPECT_EQ(about.buttons[0].id, IDOK);
    EXPECT_TRUE(e2e::AnswerBox(about, IDOK));
    EXPECT_EQ(s_vellorn->OpenBoxCount(), 0);
  }

  static std::unique_ptr<VellornSession> s_vellorn;
};

std::unique_ptr<VellornSession> CommandBoxes::s_vellorn;

TEST_F(CommandBoxes, CreateMiniDumpWithNothingSelectedAsksForASelection) {
  s_vellorn->Command(ID_PROCESS_DUMP);
  ExpectNoSelectionMessage();
  EXPECT_EQ(s_vellorn->Log(), support::kLogStart);
}

TEST_F(CommandBoxes, EndProcessWithNothingSelectedAsksFirstThenForASelection) {
  const auto rows = s_vellorn->Rows();
  s_vellorn->Command(ID_PROCESS_END);

  const Box question = s_vellorn->WaitForBox();
  ASSERT_TRUE(question) << "no confirmation appeared";
  EXPECT_EQ(question.caption, "End Process");
  EXPECT_EQ(question.text, "Are you sure you wish to end this process?");
  EXPECT_FALSE(question.hasIcon);
  std::vector<int> ids;
  for (const e2e::BoxButton& button : question.buttons) ids.push_back(button.id);
  EXPECT_THAT(ids, ElementsAre(IDYES, IDNO));
  EXPECT_TRUE(question.buttons.at(0).isDefault);
  ASSERT_TRUE(e2e::AnswerBox(question, IDYES));

  ExpectNoSelectionMessage();
  EXPECT_EQ(IdsAndNames(s_vellorn->Rows()), IdsAndNames(rows));
  EXPECT_EQ(s_vellorn->Log(), support::kLogStart);
}

TEST_F(CommandBoxes, EndProcessAnsweredNoDoesNothingMore) {
  s_vellorn->Command(ID_PROCESS_END);
  const Box question = s_vellorn->WaitForBox("End Process");
  ASSERT_TRUE(question) << "no confirmation appeared";
  ASSERT_TRUE(e2e::AnswerBox(question, IDNO));
  EXPECT_FALSE(e2e::WaitFor([] { return s_vellorn->OpenBoxCount() > 0; }, kNothingHappensMs));
  EXPECT_EQ(s_vellorn->Log(), support::kLogStart);
}

TEST_F(CommandBoxes, HelpAboutShowsTheVersionAndClosesWithOk) {
  s_vellorn->Command(ID_HELP_ABOUT);
  ExpectAboutBoxAndCloseIt();
}

TEST_F(CommandBoxes, TheSystemMenuItemOpensTheAboutBoxToo) {
  s_vellorn->SysCommand(IDM_ABOUTBOX);
  ExpectAboutBoxAndCloseIt();
  EXPECT_EQ(s_vellorn->Log(), support::kLogStart);
}

// A visible row of the list whose middle the box does not cover, or -1.
int RowNotUnder(const VellornSession& vellorn, HWND box) {
  RECT covered = {};
  GetWindowRect(box, &covered);
  RECT list = {};
  const HWND listWindow = vellorn.Control(IDC_PROCESS_LIST);
  GetClientRect(listWindow, &list);
  MapWindowPoints(listWindow, nullptr, reinterpret_cast<POINT*>(&list), 2);
  for (const ListRow& row : vellorn.Rows()) {
    const POINT at = e2e::PointInside(vellorn.List().RowScreenRect(row.index), 10);
    if (PtInRect(&list, at) && !PtInRect(&covered, at)) return row.index;
  }
  return -1;
}

TEST_F(CommandBoxes, WhileABoxIsOpenTheMainWindowOwnsItAndTakesNoClicksThenWorksAgain) {
  const struct {
    const char* what;
    WORD command;
    int answer;
  } boxes[] = {{"About box", ID_HELP_ABOUT, IDOK},
               {"file-open dialog", ID_PROCESS_NEW, IDCANCEL},
               {"message box", ID_PROCESS_DUMP, IDOK}};
  for (const auto& opened : boxes) {
    SCOPED_TRACE(opened.what);
    s_vellorn->ClearSelection();
    s_vellorn->Command(opened.command);
    const Box box = s_vellorn->WaitForBox();
    ASSERT_TRUE(box) << "nothing opened";
    EXPECT_EQ(GetWindow(box.window, GW_OWNER), s_vellorn->Window());
    EXPECT_FALSE(IsWindowEnabled(s_vellorn->Window()));

    // A real click on a row of the main window selects nothing. The box is
    // moved aside first, as a user would drag it, so that it covers no row.
    RECT main = {};
    GetWindowRect(s_vellorn->Window(), &main);
    SetWindowPos(box.window, nullptr, main.right, main.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const int row = RowNotUnder(*s_vellorn, box.window);
    ASSERT_GE(row, 0) << "the box covers every row";
    const POINT at = e2e::PointInside(s_vellorn->List().RowScreenRect(row), 10);
    e2e::LeftClickAt(at);
    EXPECT_FALSE(e2e::WaitFor([] { return s_vellorn->SelectedRow() != -1; }, kNothingHappensMs));
    EXPECT_EQ(s_vellorn->OpenBoxCount(), 1);

    ASSERT_TRUE(e2e::AnswerBox(box, opened.answer));
    EXPECT_TRUE(e2e::WaitFor([] { return IsWindowEnabled(s_vellorn->Window()) != FALSE; }));
    e2e::LeftClickAt(at);
    EXPECT_TRUE(e2e::WaitFor([&] { return s_vellorn->SelectedRow() == row; }))
        << "the main window takes no clicks after the box closed";
  }
  EXPECT_EQ(s_vellorn->Log(), support::kLogStart);
}

// Every way out ends the program with exit code 0.
struct Ending {
  const char* name;
  void (*act)(const VellornSession&);
};

class EndingTheProgram : public testing::TestWithParam<Ending> {};

TEST_P(EndingTheProgram, EndsItWithExitCodeZero) {
  VellornSession vellorn;
  ASSERT_TRUE(vellorn.Started()) << vellorn.StartError();
  GetParam().act(vellorn);
  ASSERT_TRUE(vellorn.WaitForExit()) << "the program still runs";
  EXPECT_EQ(vellorn.ExitCode(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    EveryWay, EndingTheProgram,
    testing::Values(Ending{"FileExit", [](const VellornSession& v) { v.Command(ID_APP_EXIT); }},
                    Ending{"FileExitFromTheKeyboard",
                           [](const VellornSession& v) {
                             // Alt+F opens File, X chooses E&xit.
                             SetForegroundWindow(v.Window());
                             e2e::PressAltKey('F');
                             e2e::WaitForPopupMenu(v.ProcessId());
                             e2e::PressKey('X');
                           }},
                    Ending{"Escape", [](const VellornSession& v) { v.PressKey(VK_ESCAPE); }},
                    Ending{"CloseBox",
                           [](const VellornSession& v) { EXPECT_TRUE(v.ClickCloseBox()); }},
                    Ending{"Enter", [](const VellornSession& v) { v.PressKey(VK_RETURN); }}),
    [](const testing::TestParamInfo<Ending>& info) { return std::string(info.param.name); });

}  // namespace
