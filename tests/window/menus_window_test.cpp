// The menu bar, the list's context menu, the no-selection message, Exit and
// the About box of the real window.
#include "platform/app.h"
#include "platform/command_table.h"
#include "platform/list_ctrl.h"
#include "platform/window.h"
#include "resources/resource.h"
#include "tests/support/hosted_dialog.h"
#include "tests/support/log_text.h"
#include "tests/support/system_text.h"
#include "tests/support/messages.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace support;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// A menu as text: one entry per item, "text=id" or "-" for a separator,
// popups as "text{...}".
std::string Describe(HMENU menu) {
  std::string text;
  const int count = ::GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    char label[128] = {};
    MENUITEMINFOA item{};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_SUBMENU;
    item.dwTypeData = label;
    item.cch = sizeof(label);
    if (!::GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &item)) return text + "<error>";
    if (i > 0) text += " ";
    if (item.fType & MFT_SEPARATOR) {
      text += "-";
    } else if (item.hSubMenu) {
      text += std::string(label) + "{" + Describe(item.hSubMenu) + "}";
    } else {
      text += std::string(label) + "=" + std::to_string(item.wID);
    }
  }
  return text;
}

// The command ids of a menu's items, its popups' included.
void CollectCommands(HMENU menu, std::vector<UINT>& ids) {
  for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
    const HMENU popup = ::GetSubMenu(menu, i);
    if (popup != nullptr) {
      CollectCommands(popup, ids);
    } else if (::GetMenuItemID(menu, i) != 0) {  // a separator has id 0
      ids.push_back(::GetMenuItemID(menu, i));
    }
  }
}

std::string Item(const char* label, int command) {
  return std::string(label) + "=" + std::to_string(command);
}

const std::string kMainMenu =
    "&File{" + Item("E&xit", ID_APP_EXIT) + "} Process{" + Item("New Process...", ID_PROCESS_NEW) +
    " - " + Item("Create Mini-dump", ID_PROCESS_DUMP) + " " + Item("End Process", ID_PROCESS_END) +
    " - " + Item("&Refresh List", ID_PROCESS_REFRESH) + "} Help{" + Item("&About", ID_HELP_ABOUT) +
    "}";

const std::string kContextPopup = Item("Create Mini-dump", ID_CONTEXT_DUMP) + " " +
                                  Item("End Process", ID_CONTEXT_END) + " - " +
                                  Item("&Refresh List", ID_PROCESS_REFRESH);

TEST(Menus, TheMenuBarHasFileProcessAndHelpWithTheirItemsAndCommands) {
  hosted::Application();
  const HMENU menu = ::LoadMenuA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAIN_MENU));
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(Describe(menu), kMainMenu);
  ::DestroyMenu(menu);
}

TEST(Menus, TheContextMenuIsOnePopupWithDumpEndAndRefresh) {
  hosted::Application();
  const HMENU menu = ::LoadMenuA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_CONTEXT_MENU));
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(::GetMenuItemCount(menu), 1);
  const HMENU popup = ::GetSubMenu(menu, 0);
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(Describe(popup), kContextPopup);
  ::DestroyMenu(menu);
}

TEST(Menus, TheMainWindowShowsTheMenuBar) {
  hosted::HostedDialog host;
  ASSERT_TRUE(host.Created());
  const HMENU bar = ::GetMenu(host.Window());
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(Describe(bar), kMainMenu);
}

TEST(Menus, EveryCommandOfTheMenuBarAndTheContextMenuReachesAHandlerOfTheWindow) {
  hosted::HostedDialog host;
  ASSERT_TRUE(host.Created());
  std::vector<UINT> ids;
  for (const UINT menuId : {IDR_MAIN_MENU, IDR_CONTEXT_MENU}) {
    const HMENU menu = ::LoadMenuA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(menuId));
    ASSERT_NE(menu, nullptr);
    CollectCommands(menu, ids);
    ::DestroyMenu(menu);
  }
  ASSERT_EQ(ids.size(), 9u);
  for (const UINT id : ids) EXPECT_NE(host->FindEntry(WM_COMMAND, 0, id), nullptr) << id;
}

TEST(Menus, TheApplicationTakesTheHelpCommand) {
  CWinApp& application = hosted::Application();
  const MessageMapEntry* help = application.FindEntry(WM_COMMAND, 0, ID_HELP);
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(help->id, static_cast<UINT>(ID_HELP));
  // It is the application's only command.
  const MessageMapEntry* entries = application.GetMessageMap()->entries;
  EXPECT_EQ(entries[0].id, static_cast<UINT>(ID_HELP));
  EXPECT_EQ(entries[1].message, 0u);
}

// --- The context menu -----------------------------------------------------------

class ContextMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host.Created());
    ASSERT_GT(List().GetItemCount(), 0);
    host.Answered().cursor = POINT{321, 234};
  }

  support::ProcessListView& List() { return host.List(); }

  // Right-clicks the list as the list reports it (NM_RCLICK, then
  // WM_CONTEXTMENU at the pointer), and gives the result the window answered
  // the notification.
  LRESULT RightClick() {
    NMITEMACTIVATE click{};
    click.hdr.hwndFrom = List().m_hWnd;
    click.hdr.idFrom = IDC_PROCESS_LIST;
    click.hdr.code = NM_RCLICK;
    click.iItem = -1;
    ::SetWindowLongPtrA(host.Window(), DWLP_MSGRESULT, 99);
    ::SendMessageA(host.Window(), WM_NOTIFY, IDC_PROCESS_LIST, reinterpret_cast<LPARAM>(&click));
    const LRESULT result = ::GetWindowLongPtrA(host.Window(), DWLP_MSGRESULT);
    ::SendMessageA(host.Window(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(List().m_hWnd),
                   MAKELPARAM(321, 234));
    return result;
  }

  // Shift+F10 or the Applications key in the focused list, as the list
  // reports it.
  void PressContextMenuKey() {
    ::SendMessageA(host.Window(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(List().m_hWnd),
                   MAKELPARAM(-1, -1));
  }

  // A point of the list's client area on the screen.
  POINT OnScreen(LONG x, LONG y) {
    POINT at{x, y};
    ::ClientToScreen(List().m_hWnd, &at);
    return at;
  }

  // A row for a process that does not exist, selected; commands on it fail
  // harmlessly.
  int SelectBogusRow() {
    const int row = List().InsertItem(List().GetItemCount(), "-16");
    List().SetItemText(row, 1, "bogus.exe");
    List().SetItemData(row, 0xFFFFFFF0u);
    List().SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    return row;
  }

  std::string Log() { return host.Log(); }
  std::vector<hosted::RowTexts> Rows() { return hosted::Rows(List()); }

  hosted::HostedDialog host;
};

TEST_F(ContextMenuTest, RightClickWithNoRowSelectedShowsNoMenuAndNoMessage) {
  ASSERT_EQ(List().GetNextItem(-1, LVNI_SELECTED), -1);
  EXPECT_EQ(RightClick(), 0);
  NMHDR header{List().m_hWnd, IDC_PROCESS_LIST, static_cast<UINT>(NM_RCLICK)};
  LRESULT result = 99;
  host->OnListRightClick(&header, &result);
  EXPECT_EQ(result, 0);
  EXPECT_THAT(host.Answered().popups, IsEmpty());
  EXPECT_THAT(host.Answered().boxes, IsEmpty());
  EXPECT_EQ(host.Answered().cursorReads, 0);
}

TEST_F(ContextMenuTest, RightClickOnASelectedRowShowsTheMenuAtTheCursorAndDestroysItAfter) {
  List().SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
  EXPECT_EQ(RightClick(), 0);

  ASSERT_EQ(host.Answered().popups.size(), 1u);
  const hosted::TrackedPopup& popup = host.Answered().popups[0];
  EXPECT_EQ(popup.flags, static_cast<UINT>(TPM_NONOTIFY | TPM_RETURNCMD));
  EXPECT_EQ(popup.x, 321);
  EXPECT_EQ(popup.y, 234);
  EXPECT_EQ(popup.owner, host.Window());
  EXPECT_TRUE(popup.wasMenu);
  EXPECT_EQ(popup.itemCount, 4);
  EXPECT_FALSE(::IsMenu(popup.popup));
  EXPECT_EQ(host.Answered().cursorReads, 1);
}

TEST_F(ContextMenuTest, TheKeyboardOpensTheSameMenuUnderTheSelectedRow) {
  List().SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
  RECT row{LVIR_BOUNDS, 0, 0, 0};
  ASSERT_TRUE(::SendMessageA(List().m_hWnd, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row)));
  host.Answered().popupAnswer = ID_PROCESS_REFRESH;

  PressContextMenuKey();

  ASSERT_EQ(host.Answered().popups.size(), 1u);
  const POINT expected = OnScreen(row.left, row.bottom);
  EXPECT_EQ(host.Answered().popups[0].x, expected.x);
  EXPECT_EQ(host.Answered().popups[0].y, expected.y);
  EXPECT_EQ(host.Answered().popups[0].itemCount, 4);
  // Its Refresh List ran: the list was filled again, with nothing selected.
  EXPECT_EQ(List().GetNextItem(-1, LVNI_SELECTED), -1);
}

TEST_F(ContextMenuTest, TheKeyboardWithNoRowSelectedOpensTheMenuAtTheListsTopLeft) {
  ASSERT_EQ(List().GetNextItem(-1, LVNI_SELECTED), -1);
  host.Answered().popupAnswer = ID_CONTEXT_DUMP;

  PressContextMenuKey();

  ASSERT_EQ(host.Answered().popups.size(), 1u);
  const POINT expected = OnScreen(0, 0);
  EXPECT_EQ(host.Answered().popups[0].x, expected.x);
  EXPECT_EQ(host.Answered().popups[0].y, expected.y);
  // Its commands ask for a selection as the menu bar's do.
  ASSERT_EQ(host.Answered().boxes.size(), 1u);
  EXPECT_EQ(host.Answered().boxes[0].text, "You must first select a process from the list.");
}

TEST_F(ContextMenuTest, DismissingTheMenuChangesNothing) {
  SelectBogusRow();
  const std::vector<hosted::RowTexts> rows = Rows();
  host.Answered().popupAnswer = 0;

  EXPECT_EQ(RightClick(), 0);

  ASSERT_EQ(host.Answered().popups.size(), 1u);
  EXPECT_FALSE(::IsMenu(host.Answered().popups[0].popup));
  EXPECT_EQ(Rows(), rows);
  EXPECT_EQ(Log(), support::kLogStart);
  EXPECT_THAT(host.Answered().boxes, IsEmpty());
}

TEST_F(ContextMenuTest, RefreshListFromTheMenuRebuildsTheList) {
  SelectBogusRow();
  host.Answered().popupAnswer = ID_PROCESS_REFRESH;

  EXPECT_EQ(RightClick(), 0);

  ASSERT_EQ(host.Answered().popups.size(), 1u);
  EXPECT_FALSE(::IsMenu(host.Answered().popups[0].popup));
  for (const hosted::RowTexts& row : Rows()) EXPECT_NE(row.name, "bogus.exe");
  EXPECT_EQ(g_nextRow, List().GetItemCount());
  EXPECT_EQ(List().GetNextItem(-1, LVNI_SELECTED), -1);
  EXPECT_EQ(Log(), support::kLogStart);
}

TEST_F(ContextMenuTest, CreateMiniDumpFromTheMenuDumpsTheSelectedRowsProcess) {
  SelectBogusRow();
  host.Answered().popupAnswer = ID_CONTEXT_DUMP;

  EXPECT_EQ(RightClick(), 0);

  ASSERT_EQ(host.Answered().popups.size(), 1u);
  EXPECT_FALSE(::IsMenu(host.Answered().popups[0].popup));
  // The process does not exist: the dump fails with the system's own text.
  ASSERT_NE(SystemText(ERROR_INVALID_PARAMETER), "");
  EXPECT_EQ(Log(), support::kLogStart + SystemText(ERROR_INVALID_PARAMETER));
}

TEST_F(ContextMenuTest, EndProcessFromTheMenuAsksBeforeEndingTheSelectedRowsProcess) {
  const int row = SelectBogusRow();
  host.Answered().popupAnswer = ID_CONTEXT_END;
  host.Answered().boxAnswer = IDYES;

  EXPECT_EQ(RightClick(), 0);

  ASSERT_EQ(host.Answered().popups.size(), 1u);
  EXPECT_FALSE(::IsMenu(host.Answered().popups[0].popup));
  ASSERT_GE(host.Answered().boxes.size(), 1u);
  EXPECT_EQ(host.Answered().boxes[0].text, "Are you sure you wish to end this process?");
  EXPECT_EQ(Log(),
            support::kLogStart + "Could not end process: " + SystemText(ERROR_INVALID_PARAMETER));
  EXPECT_STREQ(List().GetItemText(row, 1), "bogus.exe");
}

// --- Refresh from every place -------------------------------------------------

TEST_F(ContextMenuTest, RefreshFromTheMenuBarAndTheButtonRebuildTheListToo) {
  for (const WPARAM command :
       {MAKEWPARAM(ID_PROCESS_REFRESH, 0), MAKEWPARAM(IDC_REFRESH, BN_CLICKED)}) {
    SCOPED_TRACE(command);
    SelectBogusRow();
    ::SendMessageA(host.Window(), WM_COMMAND, command,
                   HIWORD(command) == BN_CLICKED
                       ? reinterpret_cast<LPARAM>(::GetDlgItem(host.Window(), IDC_REFRESH))
                       : 0);
    for (const hosted::RowTexts& row : Rows()) EXPECT_NE(row.name, "bogus.exe");
    EXPECT_EQ(g_nextRow, List().GetItemCount());
    EXPECT_GT(List().GetItemCount(), 0);
  }
  EXPECT_THAT(host.Answered().popups, IsEmpty());
}

// --- Commands that need a selection ---------------------------------------------

TEST_F(ContextMenuTest, CreateMiniDumpWithNothingSelectedAsksTheUserToSelectAProcess) {
  ASSERT_EQ(List().GetNextItem(-1, LVNI_SELECTED), -1);
  host.Command(ID_PROCESS_DUMP);

  ASSERT_EQ(host.Answered().boxes.size(), 1u);
  const hosted::ShownBox& box = host.Answered().boxes[0];
  EXPECT_EQ(box.text, "You must first select a process from the list.");
  // No caption of its own: the box shows the program's name.
  EXPECT_EQ(box.caption, ui::ProgramName().str());
  EXPECT_EQ(box.caption, "window_tests");
  EXPECT_EQ(box.type, static_cast<UINT>(MB_ICONEXCLAMATION));
  EXPECT_EQ(box.owner, host.Window());
  EXPECT_EQ(Log(), support::kLogStart);
}

// --- Exit and About ---------------------------------------------------------------

TEST(MenuCommands, FileExitClosesTheWindow) {
  hosted::HostedDialog host;
  ASSERT_TRUE(host.Created());
  const HWND window = host.Window();
  host.Command(ID_APP_EXIT);
  EXPECT_FALSE(::IsWindow(window));
  EXPECT_THAT(host.Answered().boxes, IsEmpty());
}

// What the About box showed while it was open.
struct SeenAboutBox {
  HWND window = nullptr;
  std::string caption;
  std::vector<std::string> texts;
  bool visible = false;
  bool hasOk = false;
  int ticks = 0;
  // Whether the box's owner took input again by the time the box was hidden
  // (-1: it never was).
  int ownerEnabledWhenHidden = -1;
};
SeenAboutBox g_seen;
// How the timer closes the box: OK, or destroying its window.
bool g_destroyAboutBox = false;
// Hides the box first as Windows does when its owner is minimised.
bool g_hideAboutBoxForMinimisedOwner = false;
WNDPROC g_aboutProcedure = nullptr;

LRESULT CALLBACK WatchAboutBoxHide(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = ::CallWindowProcA(g_aboutProcedure, window, message, wParam, lParam);
  // Seen once the box's own handling is done, right before the hide.
  const bool hiding = message == WM_WINDOWPOSCHANGING &&
                      (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_HIDEWINDOW) != 0;
  if (hiding && g_seen.ownerEnabledWhenHidden == -1) {
    g_seen.ownerEnabledWhenHidden = ::IsWindowEnabled(::GetWindow(window, GW_OWNER)) ? 1 : 0;
  }
  return result;
}

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
  char name[16] = {};
  ::GetClassNameA(window, name, sizeof(name));
  if (std::string(name) == "#32770" && hosted::WindowText(window) == "About Vellorn") {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

// Runs inside the About box's own modal loop: reads the box, then presses OK.
void CALLBACK AnswerAboutBox(HWND, UINT, UINT_PTR timer, DWORD) {
  ++g_seen.ticks;
  HWND about = nullptr;
  ::EnumThreadWindows(::GetCurrentThreadId(), &FindDialog, reinterpret_cast<LPARAM>(&about));
  if (about == nullptr) {
    if (g_seen.ticks > 200) ::KillTimer(nullptr, timer);
    return;
  }
  ::KillTimer(nullptr, timer);
  g_seen.window = about;
  g_seen.caption = hosted::WindowText(about);
  g_seen.visible = ::IsWindowVisible(about) != FALSE;
  for (HWND child = ::GetWindow(about, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    g_seen.texts.push_back(hosted::WindowText(child));
  }
  g_seen.hasOk = ::GetDlgItem(about, IDOK) != nullptr;
  g_aboutProcedure = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrA(about, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WatchAboutBoxHide)));
  if (g_destroyAboutBox) {
    ::DestroyWindow(about);
    return;
  }
  if (g_hideAboutBoxForMinimisedOwner) {
    ::SendMessageA(about, WM_SHOWWINDOW, FALSE, SW_PARENTCLOSING);
  }
  ::PostMessageA(about, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(about, IDOK)));
}

class AboutBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host.Created());
    g_seen = SeenAboutBox();
    timer = ::SetTimer(nullptr, 0, 20, &AnswerAboutBox);
    ASSERT_NE(timer, 0u);
  }
  void TearDown() override {
    ::KillTimer(nullptr, timer);
    g_hideAboutBoxForMinimisedOwner = false;
    hosted::Application().m_pMainWnd = nullptr;
  }

  void ExpectAboutBoxWasShownAndClosedByOk() {
    ASSERT_NE(g_seen.window, nullptr) << "no About box came up";
    EXPECT_EQ(g_seen.caption, "About Vellorn");
    EXPECT_TRUE(g_seen.visible);
    EXPECT_THAT(g_seen.texts, ::testing::Contains("Vellorn Version 1.0"));
    EXPECT_TRUE(g_seen.hasOk);
    // OK closed it, and the modal run returned.
    EXPECT_FALSE(::IsWindow(g_seen.window));
  }

  hosted::HostedDialog host;
  UINT_PTR timer = 0;
};

TEST_F(AboutBoxTest, HelpAboutOpensTheAboutBox) {
  host.Command(ID_HELP_ABOUT);
  ExpectAboutBoxWasShownAndClosedByOk();
}

TEST_F(AboutBoxTest, AboutVellornOnTheSystemMenuOpensTheAboutBox) {
  ::SendMessageA(host.Window(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
  ExpectAboutBoxWasShownAndClosedByOk();
}

TEST_F(AboutBoxTest, ClosingTheAboutBoxGivesTheMainWindowItsInputBackBeforeTheBoxHides) {
  // As the program runs it: the About box belongs to the main window.
  hosted::Application().m_pMainWnd = &host.Dialog();
  for (const bool destroyed : {false, true}) {
    SCOPED_TRACE(destroyed ? "box destroyed" : "OK pressed");
    g_seen = SeenAboutBox();
    g_destroyAboutBox = destroyed;
    timer = ::SetTimer(nullptr, 0, 20, &AnswerAboutBox);
    host.Command(ID_HELP_ABOUT);

    EXPECT_NE(g_seen.window, nullptr);
    EXPECT_FALSE(::IsWindow(g_seen.window));
    EXPECT_EQ(g_seen.ownerEnabledWhenHidden, 1);
    EXPECT_TRUE(::IsWindowEnabled(host.Window()));
  }
  g_destroyAboutBox = false;
  hosted::Application().m_pMainWnd = nullptr;
}

TEST_F(AboutBoxTest, HiddenForTheMinimisedMainWindowTheAboutBoxKeepsItDisabledUntilClosed) {
  hosted::Application().m_pMainWnd = &host.Dialog();
  g_hideAboutBoxForMinimisedOwner = true;

  host.Command(ID_HELP_ABOUT);

  ASSERT_NE(g_seen.window, nullptr);
  // The hide came while the box's modal run went on; OK then ended it.
  EXPECT_EQ(g_seen.ownerEnabledWhenHidden, 0);
  EXPECT_FALSE(::IsWindow(g_seen.window));
  EXPECT_TRUE(::IsWindowEnabled(host.Window()));
  EXPECT_EQ(::GetActiveWindow(), host.Window());
}

TEST_F(AboutBoxTest, OtherSystemCommandsReachTheDefaultHandling) {
  // Minimizing through the system menu's command still works.
  ::SendMessageA(host.Window(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  support::PumpMessages();
  EXPECT_TRUE(::IsIconic(host.Window()));
  EXPECT_EQ(g_seen.window, nullptr);
}

}  // namespace
