// Column sort: a header click sorts the list by that column's texts.
#include "process/list_sorter.h"

#include "app/main_dialog.h"
#include "platform/window.h"

#include <cstdlib>
#include <new>

namespace {

const SortNumberKey& NumberKey(LPARAM key) {
  return *reinterpret_cast<const SortNumberKey*>(key);
}
const SortTextKey& TextKey(LPARAM key) {
  return *reinterpret_cast<const SortTextKey*>(key);
}
}  // namespace

CListSorter::CListSorter(CListCtrl& list, int column, bool numeric)
    : m_column(column), m_list(list), m_numeric(numeric), m_keyed(true) {
  const int rows = m_list.GetItemCount();
  for (int row = 0; row < rows; ++row) {
    const LPARAM data = static_cast<LPARAM>(m_list.GetItemData(row));
    const CString text = m_list.GetItemText(row, m_column);
    LPARAM key = 0;
    if (m_numeric) {
      key = reinterpret_cast<LPARAM>(new (std::nothrow) SortNumberKey(std::atoi(text), data));
    } else {
      key = reinterpret_cast<LPARAM>(new (std::nothrow) SortTextKey(text, data));
    }
    if (key == 0) {
      // Without a key for every row the comparators cannot run.
      Restore(row);
      m_keyed = false;
      return;
    }
    m_list.SetItem(row, 0, LVIF_PARAM, nullptr, 0, 0, 0, key);
  }
}

CListSorter::~CListSorter() {
  if (m_keyed) Restore(m_list.GetItemCount());
}

BOOL CListSorter::Sort(bool ascending) {
  if (!m_keyed) return FALSE;
  PFNLVCOMPARE compare = nullptr;
  if (m_numeric) {
    compare = ascending ? CompareNumbersAscending : CompareNumbersDescending;
  } else {
    compare = ascending ? CompareTextAscending : CompareTextDescending;
  }
  return m_list.SortItems(compare, 0);
}

void CListSorter::Restore(int rows) {
  for (int row = 0; row < rows; ++row) {
    const LPARAM key = static_cast<LPARAM>(m_list.GetItemData(row));
    if (key == 0) continue;
    const LPARAM saved = m_numeric ? NumberKey(key).savedData : TextKey(key).savedData;
    m_list.SetItem(row, 0, LVIF_PARAM, nullptr, 0, 0, 0, saved);
    FreeKey(key);
  }
}

void CListSorter::FreeKey(LPARAM key) const {
  if (m_numeric) {
    delete reinterpret_cast<SortNumberKey*>(key);
  } else {
    delete reinterpret_cast<SortTextKey*>(key);
  }
}

int CALLBACK CompareNumbersAscending(LPARAM first, LPARAM second, LPARAM) {
  const int a = NumberKey(first).value;
  const int b = NumberKey(second).value;
  if (a == b) return 0;
  return a > b ? 1 : -1;
}

int CALLBACK CompareNumbersDescending(LPARAM first, LPARAM second, LPARAM) {
  const int a = NumberKey(first).value;
  const int b = NumberKey(second).value;
  if (a == b) return 0;
  return a < b ? 1 : -1;
}

int CALLBACK CompareTextAscending(LPARAM first, LPARAM second, LPARAM) {
  return TextKey(first).text.CompareNoCase(TextKey(second).text);
}

int CALLBACK CompareTextDescending(LPARAM first, LPARAM second, LPARAM) {
  return TextKey(second).text.CompareNoCase(TextKey(first).text);
}

void CMainDialog::OnColumnClick(NMHDR* notification, LRESULT* result) {
  const int column = reinterpret_cast<const NMLISTVIEW*>(notification)->iSubItem;
  // "Name" sorts as text; "ID" and "Threads" as numbers.
  const bool numeric = column != 1;
  // Declared first, so that it outlives the sorter's restore of the rows.
  const CRedrawSuspension bulkChange(m_processList);
  CListSorter sorter(m_processList, column, numeric);
  sorter.Sort(m_sortAscending);
  m_sortAscending = !m_sortAscending;
  *result = 0;
}
