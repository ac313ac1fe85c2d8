// Reading and changing another process's list view and header. Their messages
// take pointers, so every structure goes through memory allocated in the
// owning process (VirtualAllocEx / WriteProcessMemory / ReadProcessMemory).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// One row as the user sees it: the texts of columns 0..2 and the row data.
struct ListRow {
  int index = -1;
  std::string id;       // column 0
  std::string name;     // column 1
  std::string threads;  // column 2 (empty when the list has no such column)
  LPARAM data = 0;      // the row data (LVIF_PARAM)
};

// A list view of another process. Every call is synchronous (SendMessage);
// false/empty results mean the window is gone or the process refused access.
class RemoteList {
 public:
  explicit RemoteList(HWND list) : m_list(list) {}

  HWND Window() const { return m_list; }
  HWND Header() const;

  int RowCount() const;
  std::vector<ListRow> Rows() const;
  ListRow Row(int index) const;
  std::string Text(int row, int column) const;
  LPARAM Data(int row) const;
  // Index of the first row whose data is `data` (a process id), -1 if none.
  int FindByData(LPARAM data) const;

  // The selected row (LVM_GETNEXTITEM from -1 with LVNI_SELECTED), -1 if none.
  int SelectedRow() const;
  // Selects and focuses one row without input (LVM_SETITEMSTATE).
  bool Select(int row) const;
  // Clears the selection of every row.
  bool ClearSelection() const;
  // Scrolls the row into view (LVM_ENSUREVISIBLE); rows off screen cannot be clicked.
  bool EnsureVisible(int row) const;

  // Screen rectangle of a row's label (LVM_GETITEMRECT, LVIR_BOUNDS).
  RECT RowScreenRect(int row) const;

  // Column headings in order, from the header control (HDM_GETITEMA).
  std::vector<std::string> Headings() const;
  int ColumnCount() const;
  // Screen rectangle of one header item (HDM_GETITEMRECT).
  RECT HeaderItemScreenRect(int column) const;

 private:
  HWND m_list;
};

}  // namespace e2e
