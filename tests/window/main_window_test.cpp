// The real main window, hosted in this process: its layout, columns, icons,
// system menu, tooltip and first log line, as the user sees them; the names a
// screen reader gives the list and the log, and where Tab and the arrow keys go.
#include "platform/app.h"
#include "platform/list_ctrl.h"
#include "platform/tooltip_ctrl.h"
#include "resources/resource.h"
#include "tests/support/hosted_dialog.h"
#include "tests/support/log_text.h"
#include "platform/command_table.h"
#include "platform/dialog.h"
#include "platform/window.h"
#include "tests/support/messages.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

using ::testing::ElementsAre;

std::string ClassOf(HWND window) {
  char name[64] = {};
  ::GetClassNameA(window, name, sizeof(name));
  return name;
}

// A rectangle in dialog units, as the template gives it, in the window's
// pixels: position and size are converted each on its own, as the dialog
// manager does when it makes the control.
RECT DialogUnits(HWND dialog, int x, int y, int width, int height) {
  RECT units{x, y, width, height};
  ::MapDialogRect(dialog, &units);
  return RECT{units.left, units.top, units.left + units.right, units.top + units.bottom};
}

// Where the control sits in the dialog's client area, in pixels.
RECT ClientRect(HWND dialog, HWND control) {
  RECT rect{};
  ::GetWindowRect(control, &rect);
  ::MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::string Describe(const RECT& rect) {
  char text[80];
  std::snprintf(text, sizeof(text), "(%ld, %ld)-(%ld, %ld)", rect.left, rect.top, rect.right,
                rect.bottom);
  return text;
}

// A named CALLBACK: a lambda does not convert to the 32-bit stdcall pointer.
BOOL CALLBACK CollectTooltip(HWND window, LPARAM param) {
  if (ClassOf(window) == TOOLTIPS_CLASSA) reinterpret_cast<std::set<HWND>*>(param)->insert(window);
  return TRUE;
}

std::set<HWND> TooltipWindowsOfThisThread() {
  std::set<HWND> found;
  ::EnumThreadWindows(::GetCurrentThreadId(), CollectTooltip, reinterpret_cast<LPARAM>(&found));
  return found;
}

std::string OwnExecutableName() {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  const char* name = path;
  for (const char* c = path; *c; ++c) {
    if (*c == '\\' || *c == '/') name = c + 1;
  }
  return name;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// --- Layout ---------------------------------------------------------------------

struct TemplateControl {
  const char* what;
  int id;
  const char* className;
  const char* text;
  int x, y, width, height;
  DWORD styles;
};

TEST(MainWindowLayout, TheWindowIsPlacedAndStyledAsItsTemplateSays) {
  hosted::HostedDialog host;
  ASSERT_TRUE(host.Created());
  const HWND dialog = host.Window();

  EXPECT_EQ(hosted::WindowText(dialog), "Vellorn");
  EXPECT_EQ(ClassOf(dialog), "#32770");

  const DWORD style = static_cast<DWORD>(::GetWindowLongPtrA(dialog, GWL_STYLE));
  for (const DWORD bit : {static_cast<DWORD>(WS_POPUP), static_cast<DWORD>(WS_VISIBLE),
                          static_cast<DWORD>(WS_CAPTION), static_cast<DWORD>(WS_SYSMENU),
                          static_cast<DWORD>(DS_MODALFRAME)}) {
    EXPECT_EQ(style & bit, bit) << std::hex << "style " << style << " lacks " << bit;
  }
  for (const DWORD bit : {static_cast<DWORD>(WS_MINIMIZEBOX), static_cast<DWORD>(WS_MAXIMIZEBOX),
                          static_cast<DWORD>(WS_THICKFRAME), static_cast<DWORD>(WS_CHILD)}) {
    EXPECT_EQ(style & bit, 0u) << std::hex << "style " << style << " has " << bit;
  }
  const DWORD exStyle = static_cast<DWORD>(::GetWindowLongPtrA(dialog, GWL_EXSTYLE));
  EXPECT_NE(exStyle & WS_EX_APPWINDOW, 0u) << std::hex << exStyle;
  EXPECT_NE(exStyle & WS_EX_DLGMODALFRAME, 0u) << std::hex << exStyle;

  // 295 x 234 dialog units of client area... measured through the window's
  // own frame: the client area plus the frame is the window.
  RECT client{};
  ::GetClientRect(dialog, &client);
  const RECT whole = DialogUnits(dialog, 0, 0, 295, 234);
  RECT window{};
  ::GetWindowRect(dialog, &window);
  RECT adjusted = whole;
  ::AdjustWindowRectEx(&adjusted, style, ::GetMenu(dialog) != nullptr, exStyle);
  EXPECT_EQ(window.right - window.left, adjusted.right - adjusted.left);
  EXPECT_EQ(client.right, whole.right);
  EXPECT_EQ(client.bottom, whole.bottom);

  // Centred on the screen's work area.
  RECT work{};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_LE(std::abs((window.left + window.right) - (work.left + work.right)), 2);
  EXPECT_LE(std::abs((window.top + window.bottom) - (work.top + work.bottom)), 2);

  // Its text is set in the shell font at 8 points.
  LOGFONTA font{};
  const HFONT dialogFont = reinterpret_cast<HFONT>(::SendMessageA(dialog, WM_GETFONT, 0, 0));
  ASSERT_NE(dialogFont, nullptr);
  ASSERT_NE(::GetObjectA(dialogFont, sizeof(font), &font), 0);
  EXPECT_EQ(Lower(font.lfFaceName), "ms shell dlg");
  const HDC screen = ::GetDC(nullptr);
  EXPECT_EQ(font.lfHeight, -::MulDiv(8, ::GetDeviceCaps(screen, LOGPIXELSY), 72));
  ::ReleaseDC(nullptr, screen);
}

TEST(MainWindowLayout, EachControlSitsWhereTheTemplatePutsItWithItsIdClassAndStyles) {
  hosted::HostedDialog host;
  ASSERT_TRUE(host.Created());
  const HWND dialog = host.Window();

  const TemplateControl controls[] = {
      {"label", 0xFFFF, "Static", "Select Process To Dump", 7, 7, 210, 10,
       SS_LEFT | WS_GROUP | WS_CHILD | WS_VISIBLE},
      {"process list", IDC_PROCESS_LIST, "SysListView32", nullptr, 7, 21, 281, 142,
       LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_ALIGNLEFT | WS_BORDER | WS_TABSTOP |
           WS_GROUP | WS_CHILD | WS_VISIBLE},
      {"Refresh button", IDC_REFRESH, "Button", "Refresh", 246, 7, 42, 13,
       BS_PUSHBUTTON | WS_TABSTOP | WS_CHILD | WS_VISIBLE},
      {"log's hidden label", 0xFFFF, "Static", "Log", 7, 164, 0, 0, SS_LEFT | WS_GROUP | WS_CHILD},
      {"log panel", IDC_OUTPUT, "Edit", nullptr, 7, 164, 281, 63,
       ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_READONLY | WS_VSCROLL | WS_HSCROLL |
           WS_BORDER | WS_TABSTOP | WS_CHILD | WS_VISIBLE},
  };

  // The children come in template order.
  HWND child = ::GetWindow(dialog, GW_CHILD);
  for (const TemplateControl& expected : controls) {
    SCOPED_TRACE(expected.what);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(::GetDlgCtrlID(child) & 0xFFFF, expected.id);
    EXPECT_EQ(Lower(ClassOf(child)), Lower(expected.className));
    if (expected.text) {
      EXPECT_EQ(hosted::WindowText(child), expected.text);
    }
    EXPECT_EQ(
        Describe(ClientRect(dialog, child)),
        Describe(DialogUnits(dialog, expected.x, expected.y, expected.width, expected.height)));
    const DWORD style = static_cast<DWORD>(::GetWindowLongPtrA(child, GWL_STYLE));
    const DWORD wanted = expected.styles & ~static_cast<DWORD>(WS_BORDER);
    EXPECT_EQ(style & wanted, wanted)
        << std::hex << "style " << style << " lacks " << (wanted & ~style);
    EXPECT_EQ(style & WS_VISIBLE, expected.styles & WS_VISIBLE) << std::hex << "style " << style;
    if (expected.styles & WS_BORDER) {
      // The dialog manager draws a template's border as a sunken edge.
      const DWORD exStyle = static_cast<DWORD>(::GetWindowLongPtrA(child, GWL_EXSTYLE));
      EXPECT_TRUE((style & WS_BORDER) != 0 || (exStyle & WS_EX_CLIENTEDGE) != 0)
          << std::hex << "style " << style << ", extended style " << exStyle;
    }
    child = ::GetWindow(child, GW_HWNDNEXT);
  }
  // Nothing else lives in the window but the tooltip, which is not a child.
  EXPECT_EQ(child, nullptr);

  // The list allows one selection at most, and the log cannot be typed into.
  const DWORD listStyle =
      static_cast<DWORD>(::GetWindowLongPtrA(::GetDlgItem(dialog, IDC_PROCESS_LIST), GWL_STYLE));
  EXPECT_EQ(listStyle & LVS_TYPEMASK, static_cast<DWORD>(LVS_REPORT));
}

// --- Screen reader and keyboard ---------------------------------------------------

// What a screen reader announces for a control: its accessible name.
std::string AccessibleName(HWND control) {
  const HRESULT com = ::CoInitialize(nullptr);
  std::string name = "(no accessible object)";
  IAccessible* accessible = nullptr;
  // __uuidof, not IID_IAccessible: MinGW's oleacc import library exports that
  // name as an import thunk, whose bytes are no GUID.
  if (SUCCEEDED(::AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT),
                                             __uuidof(IAccessible),
                                             reinterpret_cast<void**>(&accessible)))) {
    VARIANT self;
    ::VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR text = nullptr;
    name = "(no name)";
    if (SUCCEEDED(accessible->get_accName(self, &text)) && text) {
      char narrow[256] = {};
      ::WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow, sizeof(narrow), nullptr, nullptr);
      name = narrow;
    }
    ::SysFreeString(text);
    accessible->Release();
  }
  if (SUCCEEDED(com)) ::CoUninitialize();
  return name;
}

// A child of the main window as a test message names it.
std::string Named(HWND dialog, HWND control) {
  if (control == nullptr) return "none";
  if (control == ::GetDlgItem(dialog, IDC_PROCESS_LIST)) return "list";
  if (control == ::GetDlgItem(dialog, IDC_REFRESH)) return "Refresh";
  if (control == ::GetDlgItem(dialog, IDC_OUTPUT)) return "log";
  return ClassOf(control) + (::IsWindowVisible(control) ? " \"" : " (hidden) \"") +
         hosted::WindowText(control) + "\"";
}

TEST(MainWindowScreenReader, TheLogIsAnnouncedAsLog) {
  hosted::HostedDialog host;
  ASSERT_TRUE(host.Created());
  // Wine names no list after its label, so the log's name is the one to read.
  EXPECT_EQ(AccessibleName(::GetDlgItem(host.Window(), IDC_OUTPUT)), "Log");
}

// Windows names a list or an edit box after the static text right before it.
TEST(MainWindowScreenReader, EachLabelStandsRightBeforeItsControlAndTheKeysMoveAsBefore) {
  hosted::HostedDialog host;
  ASSERT_TRUE(host.Created());
  const HWND dialog = host.Window();
  const HWND list = ::GetDlgItem(dialog, IDC_PROCESS_LIST);
  const HWND refresh = ::GetDlgItem(dialog, IDC_REFRESH);
  const HWND log = ::GetDlgItem(dialog, IDC_OUTPUT);

  EXPECT_EQ(Named(dialog, ::GetWindow(list, GW_HWNDPREV)), "Static \"Select Process To Dump\"");
  EXPECT_EQ(Named(dialog, ::GetWindow(log, GW_HWNDPREV)), "Static (hidden) \"Log\"");

  // Tab and Shift+Tab, from the control that has the focus at start.
  EXPECT_EQ(Named(dialog, ::GetNextDlgTabItem(dialog, nullptr, FALSE)), "list");
  EXPECT_EQ(Named(dialog, ::GetNextDlgTabItem(dialog, list, FALSE)), "Refresh");
  EXPECT_EQ(Named(dialog, ::GetNextDlgTabItem(dialog, refresh, FALSE)), "log");
  EXPECT_EQ(Named(dialog, ::GetNextDlgTabItem(dialog, log, FALSE)), "list");
  EXPECT_EQ(Named(dialog, ::GetNextDlgTabItem(dialog, list, TRUE)), "log");
  EXPECT_EQ(Named(dialog, ::GetNextDlgTabItem(dialog, log, TRUE)), "Refresh");
  EXPECT_EQ(Named(dialog, ::GetNextDlgTabItem(dialog, refresh, TRUE)), "list");

  // The arrow keys stay in the group of the list and Refresh; the log is a
  // group of its own.
  for (const BOOL previous : {FALSE, TRUE}) {
    SCOPED_TRACE(previous ? "previous" : "next");
    EXPECT_EQ(Named(dialog, ::GetNextDlgGroupItem(dialog, list, previous)), "Refresh");
    EXPECT_EQ(Named(dialog, ::GetNextDlgGroupItem(dialog, refresh, previous)), "list");
    EXPECT_EQ(Named(dialog, ::GetNextDlgGroupItem(dialog, log, previous)), "log");
  }
}

// --- Columns on each platform version ---------------------------------------------

// Runs in window_tests.exe and in its copies that Wine tells Windows NT 4.0
// and Windows 98, so each version's columns and fill path run for real.
TEST(ProcessListColumnsOnEveryVersion, TheListHasTheColumnsThePlatformVersionCallsFor) {
  const DWORD version = ::GetVersion();
  const int major = LOBYTE(LOWORD(version));
  const int minor = HIBYTE(LOWORD(version));
  std::printf("[ version  ] %s runs as Windows %d.%d\n", OwnExecutableName().c_str(), major, minor);

  hosted::HostedDialog host;
  ASSERT_TRUE(host.Created());
  support::ProcessListView& list = host.List();

  if (major == 4) {
    ASSERT_EQ(list.GetColumnCount(), 2);
  } else {
    ASSERT_EQ(list.GetColumnCount(), 3);
    EXPECT_EQ(list.GetColumnHeading(2), "Threads");
    EXPECT_EQ(list.GetColumnWidth(2), 70);
  }
  EXPECT_EQ(list.GetColumnHeading(0), "ID");
  EXPECT_EQ(list.GetColumnWidth(0), 50);
  EXPECT_EQ(list.GetColumnHeading(1), "Name");
  EXPECT_EQ(list.GetColumnWidth(1), 180);
  EXPECT_TRUE(host.Answered().boxes.empty())
      << host.Answered().boxes[0].text << " / " << host.Answered().boxes[0].caption;
}

TEST(ProcessListColumnsOnEveryVersion, TheListShowsThisVeryProcessByIdAndName) {
  const DWORD version = ::GetVersion();
  const bool threadsShown = LOBYTE(LOWORD(version)) != 4;
  // On the process-status path a 32-bit program cannot read a 64-bit process's
  // modules and leaves it out; the other processes of the test prefix are all 64-bit.
  const bool onlyItself = sizeof(void*) == 4 && LOWORD(version) == 4;

  hosted::HostedDialog host;
  ASSERT_TRUE(host.Created());
  support::ProcessListView& list = host.List();
  ASSERT_GT(list.GetItemCount(), onlyItself ? 0 : 1);
  EXPECT_EQ(g_nextRow, list.GetItemCount());

  const DWORD self = ::GetCurrentProcessId();
  int found = -1;
  for (int row = 0; row < list.GetItemCount(); ++row) {
    const DWORD id = static_cast<DWORD>(list.GetItemData(row));
    EXPECT_STREQ(list.GetItemText(row, 0), std::to_string(static_cast<int>(id)).c_str());
    if (!threadsShown) {
      EXPECT_STREQ(list.GetItemText(row, 2), "") << "row " << row;
    }
    if (id == self) found = row;
  }
  ASSERT_NE(found, -1) << "no row for process " << self;
  EXPECT_EQ(Lower(list.GetItemText(found, 1).str()), Lower(OwnExecutableName()));
  if (threadsShown) {
    // This process runs the test's thread at least.
    EXPECT_GE(std::atoi(list.GetItemText(found, 2)), 1);
  }
}

// --- Columns at the display's scale ------------------------------------------------

std::vector<int> ColumnWidths(CListCtrl& list) {
  std::vector<int> widths;
  for (int column = 0; column < list.GetColumnCount(); ++column) {
    widths.push_back(list.GetColumnWidth(column));
  }
  return widths;
}

int ScreenDpi() {
  const HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
  ::ReleaseDC(nullptr, screen);
  return dpi;
}

// Registered only for the run whose prefix says 200 % (dpi192:...).
TEST(ProcessListColumnsAt192Dpi, TheColumnsAreTwiceTheirWidthsAt96Dpi) {
  ASSERT_EQ(ScreenDpi(), 192) << "runs only as dpi192:, with the prefix set to 200 %";
  hosted::HostedDialog host;
  ASSERT_TRUE(host.Created());
  EXPECT_THAT(ColumnWidths(host.List()), ElementsAre(100, 360, 140));
}

TEST(ProcessListColumns, AMoveToAMonitorOfAnotherScaleScalesTheWidthsTheColumnsHaveThen) {
  ASSERT_EQ(ScreenDpi(), 96);
  hosted::HostedDialog host;
  ASSERT_TRUE(host.Created());
  CListCtrl& list = host.List();
  ASSERT_THAT(ColumnWidths(list), ElementsAre(50, 180, 70));
  // The user widened the Name column.
  list.SetColumnWidth(1, 200);
  RECT window{};
  ::GetWindowRect(host.Window(), &window);

  ::SendMessageA(host.Window(), WM_DPICHANGED, MAKEWPARAM(192, 192),
                 reinterpret_cast<LPARAM>(&window));
  EXPECT_THAT(ColumnWidths(list), ElementsAre(100, 400, 140));

  ::SendMessageA(host.Window(), WM_DPICHANGED, MAKEWPARAM(144, 144),
                 reinterpret_cast<LPARAM>(&window));
  EXPECT_THAT(ColumnWidths(list), ElementsAre(75, 300, 105));
}

// --- First log line, icons, system menu, tooltip -------------------------------------

TEST(MainWindowStartUp, TheLogReadsOutputAsItsOnlyLineRightAfterStartUp) {
  hosted::HostedDialog host;
  ASSERT_TRUE(host.Created());
  const HWND panel = support::LogPanel(host.Dialog());
  ASSERT_EQ(panel, ::GetDlgItem(host.Window(), IDC_OUTPUT));
  EXPECT_EQ(hosted::WindowText(panel), support::kLogStart);
  // One line of text and the empty line after it.
  EXPECT_EQ(::SendMessageA(panel, EM_GETLINECOUNT, 0, 0), 2);
}

TEST(MainWindowStartUp, TheWindowShowsTheProgramIconBigAndSmall) {
  hosted::HostedDialog host;
  ASSERT_TRUE(host.Created());
  const HICON icon = ::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageA(host.Window(), WM_GETICON, ICON_BIG, 0)), icon);
  EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageA(host.Window(), WM_GETICON, ICON_SMALL, 0)),
            icon);
  // Dragging the minimized window shows the same icon.
  EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageA(host.Window(), WM_QUERYDRAGICON, 0, 0)), icon);
}

TEST(MainWindowStartUp, AMinimizedWindowDrawsItsIconCentredRoundingHalfAPixelUp) {
  EXPECT_EQ(MinimizedIconPosition(RECT{0, 0, 36, 36}, 32, 32).x, 2);
  EXPECT_EQ(MinimizedIconPosition(RECT{0, 0, 36, 36}, 32, 32).y, 2);
  EXPECT_EQ(MinimizedIconPosition(RECT{0, 0, 37, 37}, 32, 32).x, 3);
  EXPECT_EQ(MinimizedIconPosition(RECT{0, 0, 37, 37}, 32, 32).y, 3);
  const POINT wide = MinimizedIconPosition(RECT{0, 0, 160, 27}, 32, 32);
  EXPECT_EQ(wide.x, 64);
  EXPECT_EQ(wide.y, -2);  // (27 - 32 + 1) / 2 truncates towards zero
}

TEST(MainWindowStartUp, TheSystemMenuEndsWithASeparatorAndAboutVellorn) {
  hosted::HostedDialog host;
  ASSERT_TRUE(host.Created());
  const HMENU menu = ::GetSystemMenu(host.Window(), FALSE);
  ASSERT_NE(menu, nullptr);
  const int count = ::GetMenuItemCount(menu);
  ASSERT_GE(count, 2);

  MENUITEMINFOA separator{};
  separator.cbSize = sizeof(separator);
  separator.fMask = MIIM_FTYPE;
  ASSERT_TRUE(::GetMenuItemInfoA(menu, count - 2, TRUE, &separator));
  EXPECT_NE(separator.fType & MFT_SEPARATOR, 0u);

  char text[64] = {};
  MENUITEMINFOA about{};
  about.cbSize = sizeof(about);
  about.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
  about.dwTypeData = text;
  about.cch = sizeof(text);
  ASSERT_TRUE(::GetMenuItemInfoA(menu, count - 1, TRUE, &about));
  EXPECT_EQ(about.fType & MFT_SEPARATOR, 0u);
  EXPECT_EQ(about.wID, 16u);
  EXPECT_STREQ(text, "&About Vellorn...");
}

TEST(MainWindowTooltip, TheListCarriesTheRightClickHint) {
  const std::set<HWND> before = TooltipWindowsOfThisThread();
  hosted::HostedDialog host;
  ASSERT_TRUE(host.Created());
  std::set<HWND> made = TooltipWindowsOfThisThread();
  for (const HWND old : before) made.erase(old);
  ASSERT_EQ(made.size(), 1u);
  const HWND tip = *made.begin();
  ASSERT_EQ(::SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), 1);

  char text[128] = {};
  TTTOOLINFOA tool{};
  tool.cbSize = TTTOOLINFOA_V2_SIZE;
  tool.lpszText = text;
  ASSERT_TRUE(::SendMessageA(tip, TTM_ENUMTOOLSA, 0, reinterpret_cast<LPARAM>(&tool)));
  EXPECT_STREQ(text, "Right click for context menu");
  // The whole list window is the tool.
  EXPECT_NE(tool.uFlags & TTF_IDISHWND, 0u);
  EXPECT_EQ(reinterpret_cast<HWND>(tool.uId), ::GetDlgItem(host.Window(), IDC_PROCESS_LIST));
}

TEST(MainWindowTooltip, ClosingTheWindowLeavesNoTooltipBehind) {
  const std::set<HWND> before = TooltipWindowsOfThisThread();
  {
    hosted::HostedDialog host;
    ASSERT_TRUE(host.Created());
    EXPECT_EQ(TooltipWindowsOfThisThread().size(), before.size() + 1);
    host.Destroy();
  }
  EXPECT_EQ(TooltipWindowsOfThisThread(), before);
}

// --- Enter --------------------------------------------------------------------

TEST(MainWindowEnter, EnterFillsTheListOnceMoreAndSetsTheLogBackToItsFirstLine) {
  const std::set<HWND> before = TooltipWindowsOfThisThread();
  hosted::HostedDialog host;
  ASSERT_TRUE(host.Created());
  const int columns = host.List().GetColumnCount();
  const int rows = host.List().GetItemCount();
  host->AppendOutput("Starting mini dump...\r\n");

  host.Command(IDOK);

  EXPECT_EQ(host.Log(), support::kLogStart);
  EXPECT_EQ(host.List().GetColumnCount(), 2 * columns);
  // The second fill goes onto the rows of the first.
  EXPECT_GT(host.List().GetItemCount(), rows);
  EXPECT_FALSE(::IsWindowVisible(host.Window()));
  // The tip made by the second exchange replaces the first.
  EXPECT_EQ(TooltipWindowsOfThisThread().size(), before.size() + 1);
  host.Destroy();
  EXPECT_EQ(TooltipWindowsOfThisThread(), before);
}

TEST(MainWindowTooltip, ATipWhoseGoneHandleNowNamesAnotherWindowLeavesThatWindowAlone) {
  hosted::Application();
  CWnd owner;
  owner.Attach(::CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr));
  HWND other = nullptr;
  {
    CToolTipCtrl tip;
    ASSERT_TRUE(tip.Create(&owner));
    const HWND gone = tip.m_hWnd;
    owner.DestroyWindow();  // the tip goes with its owner, as with the list
    ASSERT_FALSE(::IsWindow(gone));
    // A window of this thread that now goes by the tip's handle, as a freed
    // handle can be handed out again.
    other = ::CreateWindowExA(0, "STATIC", "other", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    tip.m_hWnd = other;
  }
  EXPECT_TRUE(::IsWindow(other));
  ::DestroyWindow(other);
}

// --- Dispatch -----------------------------------------------------------------

// A handler that runs a nested message loop, in which the same window handles
// another message that asks for default processing.
class NestingDialog : public CDialog {
 public:
  NestingDialog() : CDialog(IDD_ABOUTBOX) {}
  DECLARE_MESSAGE_MAP()

  void OnOuter(NMHDR*, LRESULT* result) {
    ::PostMessageA(m_hWnd, WM_NOTIFY, kControl, reinterpret_cast<LPARAM>(&m_inner));
    support::PumpMessages();
    *result = 42;
  }
  void OnInner(NMHDR*, LRESULT* result) {
    ++m_innerRuns;
    Default();
    *result = 7;
  }

  static constexpr UINT kControl = 1;
  NMHDR m_inner{nullptr, kControl, NM_DBLCLK};
  int m_innerRuns = 0;
};

BEGIN_MESSAGE_MAP(NestingDialog, CDialog)
ON_NOTIFY(NM_CLICK, NestingDialog::kControl, OnOuter)
ON_NOTIFY(NM_DBLCLK, NestingDialog::kControl, OnInner)
END_MESSAGE_MAP()

TEST(WindowDispatch, ANestedLoopDoesNotChangeWhatTheOuterMessageReturns) {
  hosted::Application();
  NestingDialog dialog;
  ASSERT_TRUE(dialog.Create());
  NMHDR outer{dialog.m_hWnd, NestingDialog::kControl, static_cast<UINT>(NM_CLICK)};
  dialog.m_inner.hwndFrom = dialog.m_hWnd;

  const LRESULT answer =
      ::SendMessageA(dialog.m_hWnd, WM_NOTIFY, outer.idFrom, reinterpret_cast<LPARAM>(&outer));

  EXPECT_EQ(dialog.m_innerRuns, 1);
  EXPECT_EQ(answer, 42);
  dialog.DestroyWindow();
}

}  // namespace
