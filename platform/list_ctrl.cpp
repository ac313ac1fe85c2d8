// CListCtrl: the list view's messages.
#include "platform/list_ctrl.h"

#include <vector>

int CListCtrl::InsertColumn(int column, const char* heading, int format, int width, int subItem) {
  LVCOLUMNA info{};
  info.mask = LVCF_TEXT | LVCF_FMT;
  info.fmt = format;
  info.pszText = const_cast<LPSTR>(heading);
  if (width != -1) {
    info.mask |= LVCF_WIDTH;
    info.cx = width;
  }
  if (subItem != -1) {
    info.mask |= LVCF_SUBITEM;
    info.iSubItem = subItem;
  }
  return static_cast<int>(
      SendMessage(LVM_INSERTCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info)));
}

int CListCtrl::InsertItem(int row, const char* text) {
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.pszText = const_cast<LPSTR>(text);
  return static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

BOOL CListCtrl::SetItemText(int row, int subItem, const char* text) {
  LVITEMA item{};
  item.iSubItem = subItem;
  item.pszText = const_cast<LPSTR>(text);
  return static_cast<BOOL>(
      SendMessage(LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
}

BOOL CListCtrl::SetItem(int row, int subItem, UINT mask, const char* text, int image, UINT state,
                        UINT stateMask, LPARAM data) {
  LVITEMA item{};
  item.mask = mask;
  item.iItem = row;
  item.iSubItem = subItem;
  item.pszText = const_cast<LPSTR>(text);
  item.iImage = image;
  item.state = state;
  item.stateMask = stateMask;
  item.lParam = data;
  return static_cast<BOOL>(SendMessage(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

DWORD_PTR CListCtrl::GetItemData(int row) const {
  LVITEMA item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (!SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return 0;
  return static_cast<DWORD_PTR>(item.lParam);
}

CString CListCtrl::GetItemText(int row, int subItem) const {
  // The list copies at most the buffer it is given; grow until the text fits.
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    LVITEMA item{};
    item.iSubItem = subItem;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(buffer.size());
    const LRESULT copied =
        SendMessage(LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    if (copied < static_cast<LRESULT>(buffer.size()) - 1) {
      return CString(item.pszText ? item.pszText : "");
    }
    buffer.resize(buffer.size() * 2);
  }
}

int CListCtrl::GetItemCount() const {
  return static_cast<int>(SendMessage(LVM_GETITEMCOUNT));
}

BOOL CListCtrl::DeleteItem(int row) {
  return static_cast<BOOL>(SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(row)));
}

int CListCtrl::GetNextItem(int start, int flags) const {
  return static_cast<int>(
      SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(start), MAKELPARAM(flags, 0)));
}

BOOL CListCtrl::GetItemRect(int row, RECT* rect, UINT code) const {
  rect->left = static_cast<LONG>(code);
  return static_cast<BOOL>(
      SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(rect)));
}

DWORD CListCtrl::GetExtendedStyle() const {
  return static_cast<DWORD>(SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE));
}

DWORD CListCtrl::SetExtendedStyle(DWORD style) {
  return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style));
}

BOOL CListCtrl::SortItems(PFNLVCOMPARE compare, DWORD_PTR data) {
  return static_cast<BOOL>(
      SendMessage(LVM_SORTITEMS, static_cast<WPARAM>(data), reinterpret_cast<LPARAM>(compare)));
}

int CListCtrl::GetColumnCount() const {
  const HWND header = reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER));
  return header ? static_cast<int>(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

int CListCtrl::GetColumnWidth(int column) const {
  return static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column)));
}

BOOL CListCtrl::SetColumnWidth(int column, int width) {
  return static_cast<BOOL>(
      SendMessage(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0)));
}
