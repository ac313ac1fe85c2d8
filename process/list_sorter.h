// Sorting the process list by one column's texts.
//
// The list sorts itself through a comparator that sees only the row data, and
// a row's data is its process ID. So for one sort every row's data becomes the
// address of a key holding the value to compare and the row's own data; after
// the sort every row gets its data back and the keys are freed.
#pragma once

#include "platform/list_ctrl.h"
#include "platform/string.h"

// The number read from a row's text in a numeric column.
struct SortNumberKey {
  SortNumberKey(int number, LPARAM data) : value(number), savedData(data) {}
  SortNumberKey(const SortNumberKey&) = delete;
  SortNumberKey& operator=(const SortNumberKey&) = delete;

  int value;
  LPARAM savedData;
};

// A copy of a row's text in a text column.
class SortTextKey {
 public:
  SortTextKey(const CString& rowText, LPARAM data) : text(rowText), savedData(data) {}
  virtual ~SortTextKey() = default;
  SortTextKey(const SortTextKey&) = delete;
  SortTextKey& operator=(const SortTextKey&) = delete;

  CString text;
  LPARAM savedData;
};

// Re-keys every row of `list` on construction and restores every row on
// destruction; Sort orders the rows in between.
class CListSorter {
 public:
  CListSorter(CListCtrl& list, int column, bool numeric);
  virtual ~CListSorter();
  CListSorter(const CListSorter&) = delete;
  CListSorter& operator=(const CListSorter&) = delete;

  // The list's answer to the sort request.
  BOOL Sort(bool ascending);

 private:
  void FreeKey(LPARAM key) const;
  void Restore(int rows);

  int m_column;
  CListCtrl& m_list;
  bool m_numeric;
  // False when a key could not be made: the rows are then back as they were
  // and nothing is sorted.
  bool m_keyed;
};

// Comparators of the list's sort: negative puts the first row first. The
// arguments are the addresses of two rows' keys; the sort parameter is unused.
int CALLBACK CompareNumbersAscending(LPARAM first, LPARAM second, LPARAM sortParameter);
int CALLBACK CompareNumbersDescending(LPARAM first, LPARAM second, LPARAM sortParameter);
int CALLBACK CompareTextAscending(LPARAM first, LPARAM second, LPARAM sortParameter);
int CALLBACK CompareTextDescending(LPARAM first, LPARAM second, LPARAM sortParameter);
