// The main window: the process list, the log panel and every command.
#pragma once

#include "platform/command_table.h"
#include "platform/dialog.h"
#include "platform/list_ctrl.h"
#include "platform/rich_edit_ctrl.h"
#include "platform/string.h"
#include "platform/tooltip_ctrl.h"
#include "platform/window.h"

class CMainDialog : public CDialog {
 public:
  explicit CMainDialog(CWnd* parent = nullptr);
  ~CMainDialog() override;

  DECLARE_MESSAGE_MAP()

 protected:
  void DoDataExchange(CDataExchange* exchange) override;
  BOOL OnInitDialog() override;

 public:
  // The log panel.
  void AppendOutput(const CString& text);
  void ReportSystemError(DWORD code);

  // The process list.
  void PrepareProcessList();
  // Adds a row per running process and remembers when.
  void FillProcessList();
  void AddProcessById(DWORD processId);
  void RefreshProcessList();
  // The selected row, or -1 when no row is selected.
  int SelectedRow() const;

  // Commands.
  void OnCreateMiniDump();
  void WriteMiniDump(DWORD processId, CString name);
  void OnEndProcess();
  void OnNewProcess();
  void OnExit();
  void OnAbout();
  void OnColumnClick(NMHDR* notification, LRESULT* result);
  void OnListRightClick(NMHDR* notification, LRESULT* result);
  // Shift+F10 or the Applications key with the list focused.
  void OnContextMenu(HWND window, POINT at);

  // The window itself.
  void OnPaint();
  HCURSOR OnQueryDragIcon();
  void OnSysCommand(UINT command, LPARAM lParam);
  // Moved to a monitor of another scale: `dpi` is the new one's.
  void OnDpiChanged(UINT dpi, const RECT* suggested);

  // Debug privilege, enabled at start and given up at teardown.
  void EnableDebugPrivilege();
  void DisableDebugPrivilege();

 private:
  void ShowNoSelectionMessage() const;
  // The context menu at `at` (screen coordinates); the chosen command runs.
  void ShowContextMenu(POINT at);
  // Where the keyboard opens it: under the selected row, else at the list's
  // top left.
  POINT KeyboardMenuPosition() const;
  void AddRunningProcesses();
  void AddProcessesFromIdList();
  void AddProcessesFromSnapshot();

  HICON m_hIcon;
  bool m_sortAscending;
  // When the last fill began to read the processes: one created later is
  // not a row's.
  ULONGLONG m_listFilledAt;
  // The DPI the list's column widths are measured at.
  UINT m_columnDpi;
  CToolTipCtrl m_toolTip;
  CListCtrl m_processList;
  CRichEditCtrl m_output;
};

// Where a minimized window draws its icon: centred in the client area,
// rounding half a pixel up.
POINT MinimizedIconPosition(const RECT& client, int iconWidth, int iconHeight);
