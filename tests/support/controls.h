// The main window's controls as a test or benchmark reaches them: by their ids
// in resources/resource.h, with the list operations that only tests need.
//
//   support::ProcessListView list(dialog);   // the dialog's process list
//   list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
//   std::string log = support::LogText(dialog);
#pragma once

#include "platform/list_ctrl.h"
#include "platform/window.h"
#include "resources/resource.h"
#include "tests/support/text.h"

#include <windows.h>

#include <commctrl.h>

#include <string>

namespace support {

// The process list of a main window.
class ProcessListView : public CListCtrl {
 public:
  ProcessListView() = default;
  explicit ProcessListView(const CWnd& dialog) { Bind(dialog); }
  void Bind(const CWnd& dialog) { Attach(dialog.GetDlgItem(IDC_PROCESS_LIST)); }

  void SetItemData(int row, DWORD_PTR data) {
    SetItem(row, 0, LVIF_PARAM, nullptr, 0, 0, 0, static_cast<LPARAM>(data));
  }
  void SetItemState(int row, UINT state, UINT mask) {
    LVITEMA item{};
    item.state = state;
    item.stateMask = mask;
    SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  }
  std::string GetColumnHeading(int column) const {
    char buffer[MAX_PATH] = {};
    LVCOLUMNA info{};
    info.mask = LVCF_TEXT;
    info.pszText = buffer;
    info.cchTextMax = sizeof(buffer);
    SendMessage(LVM_GETCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info));
    return buffer;
  }
};

// The log panel of a main window.
inline HWND LogPanel(const CWnd& dialog) {
  return dialog.GetDlgItem(IDC_OUTPUT);
}
inline std::string LogText(const CWnd& dialog) {
  return WindowText(LogPanel(dialog));
}
inline void SetLogText(const CWnd& dialog, const std::string& text) {
  ::SetWindowTextA(LogPanel(dialog), text.c_str());
}

}  // namespace support
