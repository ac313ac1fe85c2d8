// CListCtrl: the list view.
#pragma once

#include "platform/string.h"
#include "platform/window.h"

#include <windows.h>

#include <commctrl.h>

class CListCtrl : public CWnd {
 public:
  int InsertColumn(int column, const char* heading, int format = LVCFMT_LEFT, int width = -1,
                   int subItem = -1);
  int InsertItem(int row, const char* text);  // LVIF_TEXT only
  BOOL SetItemText(int row, int subItem, const char* text);
  BOOL SetItem(int row, int subItem, UINT mask, const char* text, int image, UINT state,
               UINT stateMask, LPARAM data);
  DWORD_PTR GetItemData(int row) const;
  CString GetItemText(int row, int subItem) const;
  int GetItemCount() const;
  BOOL DeleteItem(int row);
  int GetNextItem(int start, int flags) const;
  // The row's rectangle (LVIR_BOUNDS, LVIR_LABEL...) in the list's client coordinates.
  BOOL GetItemRect(int row, RECT* rect, UINT code) const;
  DWORD GetExtendedStyle() const;
  DWORD SetExtendedStyle(DWORD style);  // LVM_SETEXTENDEDLISTVIEWSTYLE, mask 0
  BOOL SortItems(PFNLVCOMPARE compare, DWORD_PTR data);
  int GetColumnCount() const;
  int GetColumnWidth(int column) const;
  BOOL SetColumnWidth(int column, int width);
};
