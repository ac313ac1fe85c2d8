// One run of vellorn.exe driven from outside, as a user would: start it in a
// folder of its own, read its list and log, give it commands and input, answer
// its boxes, and see it end. Include this header; it brings the rest.
//
//   e2e::VellornSession vellorn;            // starts in FreshFolderForCurrentTest()
//   ASSERT_TRUE(vellorn.Started()) << vellorn.StartError();
//   vellorn.SelectRow(vellorn.List().FindByData(someId));
//   vellorn.Command(ID_PROCESS_DUMP);       // Process > Create Mini-dump
//   EXPECT_TRUE(vellorn.WaitForLog("...")); // exact log text
//   vellorn.Close();                        // WM_CLOSE
//   EXPECT_TRUE(vellorn.WaitForExit());
//   EXPECT_EQ(vellorn.ExitCode(), 0u);
#pragma once

#include "resources/resource.h"
#include "tests/support/driver/boxes.h"
#include "tests/support/driver/input.h"
#include "tests/support/driver/process.h"
#include "tests/support/driver/remote_list.h"
#include "tests/support/driver/wait.h"

#include <windows.h>

#include <string>

namespace e2e {

class VellornSession {
 public:
  struct Options {
    std::string folder;   // current folder; empty: FreshFolderForCurrentTest()
    std::string program;  // empty: ProgramPath("vellorn.exe")
    unsigned windowTimeoutMs = kDefaultTimeoutMs;  // for the main window to show
    bool waitForWindow = true;                     // false: return at once after CreateProcess
  };

  // Starts the program and waits for its main window.
  VellornSession();
  explicit VellornSession(const Options& options);
  // Starts the program in `folder`, with the other options' defaults.
  explicit VellornSession(const std::string& folder);
  // Ends the program if it still runs: closes its boxes and window, then
  // terminates it after a short grace time.
  ~VellornSession();
  VellornSession(const VellornSession&) = delete;
  VellornSession& operator=(const VellornSession&) = delete;

  // True once the process runs and its main window was found.
  bool Started() const { return m_window != nullptr; }
  // Why it did not start, for the assertion message.
  const std::string& StartError() const { return m_startError; }
  // Waits for the main window (for Options::waitForWindow = false).
  bool WaitForMainWindow(unsigned timeoutMs = kDefaultTimeoutMs);

  const std::string& Folder() const { return m_folder; }
  DWORD ProcessId() const { return m_process.Id(); }
  const Process& GetProcess() const { return m_process; }
  // The main window: top-level "#32770" titled "Vellorn" of the process.
  HWND Window() const { return m_window; }
  HWND Control(int id) const { return GetDlgItem(m_window, id); }
  RemoteList List() const { return RemoteList(Control(IDC_PROCESS_LIST)); }

  // --- what the user sees --------------------------------------------------
  std::string Title() const;
  std::vector<ListRow> Rows() const { return List().Rows(); }
  std::vector<std::string> Columns() const { return List().Headings(); }
  // The log panel's whole text, exact bytes ("\r\n" kept).
  std::string Log() const;
  // Waits until the log reads exactly `expected`.
  bool WaitForLog(const std::string& expected, unsigned timeoutMs = kDefaultTimeoutMs) const;

  // --- selection --------------------------------------------------------------
  // Selects the row without input; true if the program then reports it selected.
  bool SelectRow(int row) const;
  bool SelectProcess(DWORD processId) const;
  bool ClearSelection() const { return List().ClearSelection(); }
  int SelectedRow() const { return List().SelectedRow(); }
  // Real left click on the row (scrolled into view first). Every click
  // returns the screen point it clicked: that is where the pointer is then
  // (reading the pointer back under Wine may give a stale position).
  POINT ClickRow(int row) const;

  // --- commands and input --------------------------------------------------
  // Posts WM_COMMAND id to the main window, as choosing the menu bar item does.
  void Command(WORD id) const;
  // Sends WM_COMMAND id and returns once the program has handled it, so what
  // the command shows is there: only for a command that opens no box.
  bool Run(WORD id) const;
  // Posts WM_SYSCOMMAND id, as choosing a system-menu item does (16: About).
  void SysCommand(WPARAM id) const;
  // Posts BM_CLICK to a button of the main window (IDC_REFRESH: Refresh).
  void ClickButton(int id) const;
  // Sends BM_CLICK and returns once the program has handled the click.
  bool PressButton(int id) const;
  // Returns once the window's thread is back in its message loop (a sent
  // message is handled there): a command whose box has closed is then done.
  // No barrier for posted messages or input still queued.
  bool Idle() const;
  // Real key press in the main window (foreground first): VK_ESCAPE, VK_RETURN...
  bool PressKey(WORD virtualKey, WORD modifier = 0) const;
  // Gives the keyboard focus to a control of the main window (as Tab would).
  void FocusControl(int id) const;
  // Posts WM_CLOSE to the main window.
  void Close() const;
  // A real click on the caption's close box (found by WM_NCHITTEST); false if
  // the window shows none.
  bool ClickCloseBox() const;
  // Real right click on a row, or on empty list space below the last row.
  POINT RightClickRow(int row) const;
  POINT RightClickEmptyListSpace() const;
  // Real left click a few pixels inside a column heading.
  POINT ClickHeading(int column) const;

  // Popup menus and boxes of this process.
  PopupMenu WaitForPopupMenu(unsigned timeoutMs = 3000) const;
  // A box other than the main window (message box, About, file dialog).
  Box WaitForBox(const std::string& caption = {}, unsigned timeoutMs = kDefaultTimeoutMs) const;
  Box FindBox() const;
  // Every open box of the process (besides the main window).
  int OpenBoxCount() const;

  // Waits until the list has exactly `count` rows.
  bool WaitForRowCount(int count, unsigned timeoutMs = kDefaultTimeoutMs) const;

  // --- the end ---------------------------------------------------------------
  bool WaitForExit(unsigned timeoutMs = kDefaultTimeoutMs) const {
    return m_process.WaitForExit(timeoutMs);
  }
  bool Running() const { return m_process.Running(); }
  DWORD ExitCode() const { return m_process.ExitCode(); }

 private:
  void Start(const Options& options);
  HWND FindMainWindow() const;

  Process m_process;
  std::string m_folder;
  std::string m_startError;
  HWND m_window = nullptr;
};

}  // namespace e2e
