#include "tests/support/driver/remote_list.h"

#include "tests/support/driver/remote_memory.h"

#include <commctrl.h>

namespace e2e {

namespace {

constexpr int kTextSize = 512;

// The structure comes first in the remote block, its text buffer after it.
template <typename Item>
std::string ReadItemText(HWND window, UINT message, WPARAM index, Item item) {
  RemoteMemory memory(window, sizeof(Item) + kTextSize);
  if (!memory.Valid()) return {};
  item.pszText = reinterpret_cast<LPSTR>(memory.At(sizeof(Item)));
  item.cchTextMax = kTextSize;
  const char empty = '\0';
  if (!memory.Write(&item, sizeof item) || !memory.Write(&empty, 1, sizeof(Item))) return {};
  SendMessageA(window, message, index, memory.At());
  char text[kTextSize + 1] = {};
  memory.Read(text, kTextSize, sizeof(Item));
  return text;
}

RECT ToScreen(HWND window, RECT rect) {
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

}  // namespace

HWND RemoteList::Header() const {
  return reinterpret_cast<HWND>(SendMessageA(m_list, LVM_GETHEADER, 0, 0));
}

int RemoteList::RowCount() const {
  if (!IsWindow(m_list)) return -1;
  return static_cast<int>(SendMessageA(m_list, LVM_GETITEMCOUNT, 0, 0));
}

std::string RemoteList::Text(int row, int column) const {
  LVITEMA item = {};
  item.iSubItem = column;
  return ReadItemText(m_list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), item);
}

LPARAM RemoteList::Data(int row) const {
  RemoteMemory memory(m_list, sizeof(LVITEMA));
  LVITEMA item = {};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (!memory.Write(&item, sizeof item)) return 0;
  if (!SendMessageA(m_list, LVM_GETITEMA, 0, memory.At())) return 0;
  memory.Read(&item, sizeof item);
  return item.lParam;
}

ListRow RemoteList::Row(int index) const {
  ListRow row;
  row.index = index;
  row.id = Text(index, 0);
  row.name = Text(index, 1);
  row.threads = Text(index, 2);
  row.data = Data(index);
  return row;
}

std::vector<ListRow> RemoteList::Rows() const {
  std::vector<ListRow> rows;
  const int count = RowCount();
  rows.reserve(count > 0 ? static_cast<size_t>(count) : 0);
  for (int i = 0; i < count; ++i) rows.push_back(Row(i));
  return rows;
}

int RemoteList::FindByData(LPARAM data) const {
  const int count = RowCount();
  for (int i = 0; i < count; ++i) {
    if (Data(i) == data) return i;
  }
  return -1;
}

int RemoteList::SelectedRow() const {
  return static_cast<int>(
      SendMessageA(m_list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

namespace {

bool SetState(HWND list, int row, UINT state, UINT mask) {
  RemoteMemory memory(list, sizeof(LVITEMA));
  LVITEMA item = {};
  item.stateMask = mask;
  item.state = state;
  if (!memory.Write(&item, sizeof item)) return false;
  return SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), memory.At()) != 0;
}

}  // namespace

bool RemoteList::Select(int row) const {
  const UINT both = LVIS_SELECTED | LVIS_FOCUSED;
  return SetState(m_list, row, both, both);
}

bool RemoteList::ClearSelection() const {
  // Row -1 addresses every row.
  return SetState(m_list, -1, 0, LVIS_SELECTED);
}

bool RemoteList::EnsureVisible(int row) const {
  return SendMessageA(m_list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE) != 0;
}

RECT RemoteList::RowScreenRect(int row) const {
  RemoteMemory memory(m_list, sizeof(RECT));
  RECT rect = {};
  rect.left = LVIR_BOUNDS;
  if (!memory.Write(&rect, sizeof rect)) return {};
  if (!SendMessageA(m_list, LVM_GETITEMRECT, static_cast<WPARAM>(row), memory.At())) return {};
  memory.Read(&rect, sizeof rect);
  return ToScreen(m_list, rect);
}

int RemoteList::ColumnCount() const {
  const HWND header = Header();
  return header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

std::vector<std::string> RemoteList::Headings() const {
  std::vector<std::string> headings;
  const HWND header = Header();
  const int count = ColumnCount();
  for (int i = 0; i < count; ++i) {
    HDITEMA item = {};
    item.mask = HDI_TEXT;
    headings.push_back(ReadItemText(header, HDM_GETITEMA, static_cast<WPARAM>(i), item));
  }
  return headings;
}

RECT RemoteList::HeaderItemScreenRect(int column) const {
  const HWND header = Header();
  RemoteMemory memory(header, sizeof(RECT));
  RECT rect = {};
  if (!memory.Valid()) return rect;
  if (!SendMessageA(header, HDM_GETITEMRECT, static_cast<WPARAM>(column), memory.At())) return {};
  memory.Read(&rect, sizeof rect);
  return ToScreen(header, rect);
}

}  // namespace e2e
