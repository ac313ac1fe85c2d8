// Filling and sorting 10,000, 2,000 and 300 rows: the real fill and the real
// column-click handler of the main window against raw list-view loops making
// the same calls.
//
//   list_bench.exe [rounds] [rows...]      (defaults 11 and 10000 2000 300)
//
// The window is the real CMainDialog, hosted modeless; the system spy serves
// the synthetic processes to the fill. All sides work on the same list view
// with the same columns, rows and texts, and take turns, the order rotating
// every round. The first size carries the targets; the others are figures.
//
// Fill: ours is FillProcessList on the emptied list (the enumeration through
// the spy included; it is also timed alone). The raw loops make the fill's
// own four calls per row (the ID text inserted alone, the Name text, the row
// data set alone, the Threads text): one with the list's redraw suspended
// around them as the fill suspends it (WM_SETREDRAW off, the rows, on, one
// invalidation), one plain.
//
// Sort: ours is LVN_COLUMNCLICK sent to the window, so that the command table
// dispatches it to OnColumnClick. Its competitor makes the click's list-view
// calls (every row's text read and its data written, the sort, every row's
// data read and written back) around one LVM_SORTITEMS whose comparator reads
// integer keys computed before the clock starts (the name's rank for "Name"),
// with redraw suspended the same way. The bare sort, without the writes, is a
// figure. Before each sort the rows go back to the fill's order.
//
// The window is hidden, as it is when the program fills its list at start
// (before the window shows): a plain loop into a visible list costs Wine
// about 9 ms a row at 10,000 rows, too long to repeat here; refresh_bench
// measures the visible list of the real program.
//
// Last come the platform's prices: what one list-view message costs on the
// filled list, and on bare list views made here for comparison.
#include "app/main_dialog.h"
#include "bench/bench_report.h"
#include "bench/hosted_window.h"
#include "platform/app.h"
#include "platform/list_ctrl.h"
#include "platform/string.h"
#include "platform/window.h"
#include "process/process_list.h"
#include "resources/resource.h"
#include "tests/support/fake_system.h"
#include "tests/support/modal_answers.h"
#include "tests/support/messages.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <string>
#include <vector>

namespace {

using bench::Clock;

struct Row {
  DWORD id;
  std::string name;
  DWORD threads;
};

// Synthetic processes: ids as Windows gives them (multiples of 4) in a shuffled
// order, names that repeat in mixed case, thread counts from 1 to 64.
std::vector<Row> SyntheticRows(int count) {
  unsigned seed = 12345;
  const auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 8) & 0xFFFFFF;
  };
  std::vector<DWORD> ids(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) ids[static_cast<size_t>(i)] = 4u * static_cast<DWORD>(i + 1);
  for (size_t i = ids.size(); i > 1; --i) std::swap(ids[i - 1], ids[next() % i]);
  static const char* const kStems[] = {"svchost", "explorer", "worker", "Service", "_setup",
                                       "Bar",     "chrome",   "agent",  "Updater", "sqlservr"};
  std::vector<Row> rows;
  for (int i = 0; i < count; ++i) {
    std::string name = kStems[next() % 10];
    name += std::to_string(next() % (count / 5 + 1));
    name += ".exe";
    if (next() % 3 == 0) {
      for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    rows.push_back({ids[static_cast<size_t>(i)], name, 1 + next() % 64});
  }
  return rows;
}

HWND g_list = nullptr;
const std::vector<Row>* g_rows = nullptr;

void DeleteAllRows() {
  SendMessageA(g_list, LVM_DELETEALLITEMS, 0, 0);
  support::PumpMessages();
}

// --- the raw fill --------------------------------------------------------------
// A bulk change with the list's redraw suspended, as the program makes it.
template <typename Change>
void Suspended(Change change) {
  SendMessageA(g_list, WM_SETREDRAW, FALSE, 0);
  change();
  SendMessageA(g_list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(g_list, nullptr, TRUE);
}

// The raw loop with the four calls per row that the fill makes: the ID text
// inserted alone, the Name text, the row data alone, the Threads text.
void RawFillFourCalls() {
  char number[16];
  int row = 0;
  for (const Row& process : *g_rows) {
    LVITEMA item{};
    wsprintfA(number, "%d", static_cast<int>(process.id));
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = number;
    SendMessageA(g_list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    item.iSubItem = 1;
    item.pszText = const_cast<char*>(process.name.c_str());
    SendMessageA(g_list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
    item.mask = LVIF_PARAM;
    item.iSubItem = 0;
    item.lParam = static_cast<LPARAM>(process.id);
    SendMessageA(g_list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    wsprintfA(number, "%d", static_cast<int>(process.threads));
    item.iSubItem = 2;
    item.pszText = number;
    SendMessageA(g_list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
    ++row;
  }
}

// What a message costs on the real list against bare list views of the same
// class and styles made here, one under the main window and one under a plain
// window: one that does no work, and a change of a row's data, which the list
// announces to its parent (LVN_ITEMCHANGING, LVN_ITEMCHANGED).
void PlainMessageCosts(HWND dialog) {
  const auto style = static_cast<DWORD>(GetWindowLongPtrA(g_list, GWL_STYLE));
  const HWND plain = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                     GetModuleHandleA(nullptr), nullptr);
  const HWND lists[] = {g_list,
                        CreateWindowExA(0, WC_LISTVIEWA, "", style, 0, 0, 100, 100, dialog, nullptr,
                                        GetModuleHandleA(nullptr), nullptr),
                        CreateWindowExA(0, WC_LISTVIEWA, "", style, 0, 0, 100, 100, plain, nullptr,
                                        GetModuleHandleA(nullptr), nullptr)};
  const char* const names[] = {"the main window's list", "a bare list under the main window",
                               "a bare list under a plain window"};
  for (int i = 0; i < 3; ++i) {
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.pszText = const_cast<char*>("1");
    if (i > 0) SendMessageA(lists[i], LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    const int count = 20000;
    Clock::time_point start = Clock::now();
    for (int k = 0; k < count; ++k) SendMessageA(lists[i], LVM_GETITEMCOUNT, 0, 0);
    std::printf("figure | %-44s | %10s | %s\n", "  LVM_GETITEMCOUNT",
                bench::Time(bench::SecondsSince(start) / count).c_str(), names[i]);
    item.mask = LVIF_PARAM;
    item.iItem = 0;
    SendMessageA(lists[i], LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    const LPARAM data = item.lParam;
    const int changes = 2000;
    start = Clock::now();
    for (int k = 0; k < changes; ++k) {
      item.lParam = data ^ ((k & 1) ? 0 : 1);
      SendMessageA(lists[i], LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    std::printf("figure | %-44s | %10s | %s\n", "  LVM_SETITEMA changing the row data",
                bench::Time(bench::SecondsSince(start) / changes).c_str(), names[i]);
  }
  DestroyWindow(lists[1]);
  DestroyWindow(plain);
  std::fflush(stdout);
}

// What one list-view message costs on the filled list, changing nothing.
void MessageCosts() {
  const int count = static_cast<int>(SendMessageA(g_list, LVM_GETITEMCOUNT, 0, 0));
  char text[MAX_PATH];
  const char* const names[] = {
      "LVM_GETITEMTEXTA", "LVM_GETITEMA (LVIF_PARAM)", "LVM_SETITEMA (LVIF_PARAM, same value)",
      "LVM_SETITEMTEXTA (same text)", "LVM_SETITEMA (LVIF_PARAM, new value)"};
  for (int kind = 0; kind < 5; ++kind) {
    const Clock::time_point start = Clock::now();
    for (int row = 0; row < count; ++row) {
      LVITEMA item{};
      item.iItem = row;
      item.iSubItem = 1;
      item.pszText = text;
      item.cchTextMax = sizeof text;
      item.mask = LVIF_PARAM;
      if (kind == 0 || kind == 3) {
        SendMessageA(g_list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&item));
      } else {
        item.iSubItem = 0;
        SendMessageA(g_list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
      }
      if (kind == 2) SendMessageA(g_list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
      if (kind == 4) {
        item.lParam ^= 1;  // and back on the second pass
        SendMessageA(g_list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        item.lParam ^= 1;
        SendMessageA(g_list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
      }
      if (kind == 3) {
        SendMessageA(g_list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&item));
      }
    }
    const double seconds = bench::SecondsSince(start);
    std::printf("figure | %-44s | %10s | per row, %d rows%s\n",
                (std::string("  ") + names[kind]).c_str(), bench::Time(seconds / count).c_str(),
                count, kind >= 2 ? " (with the read before it)" : "");
  }
  std::fflush(stdout);
}

// The enumeration alone, through the seam as the fill makes it.
int EnumerateThroughSeam() {
  using Snapshot = HANDLE(WINAPI*)(DWORD, DWORD);
  using Walk = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32*);
  const HMODULE kernel = sys::GetModuleHandleA("KERNEL32.DLL");
  const auto create = reinterpret_cast<Snapshot>(
      reinterpret_cast<void*>(sys::GetProcAddress(kernel, "CreateToolhelp32Snapshot")));
  const auto first = reinterpret_cast<Walk>(
      reinterpret_cast<void*>(sys::GetProcAddress(kernel, "Process32First")));
  const auto next =
      reinterpret_cast<Walk>(reinterpret_cast<void*>(sys::GetProcAddress(kernel, "Process32Next")));
  const HANDLE snapshot = create(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  int count = 0;
  if (first(snapshot, &entry)) {
    do {
      ++count;
    } while (next(snapshot, &entry));
  }
  sys::CloseHandle(snapshot);
  return count;
}

// --- sorting ------------------------------------------------------------------
// Integer keys per column, indexed by id / 4: ID, name rank, thread count;
// and each row's place in the fill's order.
std::vector<int> g_keys[3];
std::vector<int> g_fillPosition;

int Index(LPARAM id) {
  return static_cast<int>(id / 4);
}

int CALLBACK RawAscending(LPARAM a, LPARAM b, LPARAM column) {
  const std::vector<int>& keys = g_keys[column];
  const int x = keys[static_cast<size_t>(Index(a))];
  const int y = keys[static_cast<size_t>(Index(b))];
  return x == y ? 0 : (x > y ? 1 : -1);
}

int CALLBACK RawDescending(LPARAM a, LPARAM b, LPARAM column) {
  return RawAscending(b, a, column);
}

int CALLBACK FillOrder(LPARAM a, LPARAM b, LPARAM) {
  return g_fillPosition[static_cast<size_t>(Index(a))] -
         g_fillPosition[static_cast<size_t>(Index(b))];
}

// The list-view calls a click has to make, around the raw integer sort: every
// row's text read and its data changed (to the id + 1, a stand-in for a key's
// address), then every row's data read and changed back. What the platform
// charges for the click's algorithm.
int CALLBACK KeyedAscending(LPARAM a, LPARAM b, LPARAM column) {
  return RawAscending(a - 1, b - 1, column);
}

int CALLBACK KeyedDescending(LPARAM a, LPARAM b, LPARAM column) {
  return RawAscending(b - 1, a - 1, column);
}

void RawSortWithRowWrites(int column, bool ascending) {
  const int count = static_cast<int>(SendMessageA(g_list, LVM_GETITEMCOUNT, 0, 0));
  char text[MAX_PATH];
  for (int row = 0; row < count; ++row) {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(g_list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
    item.mask = LVIF_PARAM;
    item.iItem = row;
    item.iSubItem = 0;
    SendMessageA(g_list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    item.lParam += 1;
    SendMessageA(g_list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }
  SendMessageA(g_list, LVM_SORTITEMS, static_cast<WPARAM>(column),
               reinterpret_cast<LPARAM>(ascending ? &KeyedAscending : &KeyedDescending));
  for (int row = 0; row < count; ++row) {
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    SendMessageA(g_list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    item.lParam -= 1;
    SendMessageA(g_list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }
}

void PrepareKeys() {
  const std::vector<Row>& rows = *g_rows;
  const size_t slots = rows.size() + 1;
  for (std::vector<int>& keys : g_keys) keys.assign(slots, 0);
  g_fillPosition.assign(slots, 0);
  std::vector<size_t> byName(rows.size());
  std::iota(byName.begin(), byName.end(), 0);
  std::stable_sort(byName.begin(), byName.end(), [&rows](size_t a, size_t b) {
    return CString(rows[a].name).CompareNoCase(rows[b].name.c_str()) < 0;
  });
  int rank = 0;
  for (size_t i = 0; i < byName.size(); ++i) {
    if (i > 0 && CString(rows[byName[i - 1]].name).CompareNoCase(rows[byName[i]].name.c_str()) != 0)
      ++rank;
    g_keys[1][static_cast<size_t>(Index(rows[byName[i]].id))] = rank;
  }
  for (size_t i = 0; i < rows.size(); ++i) {
    const size_t slot = static_cast<size_t>(Index(rows[i].id));
    g_keys[0][slot] = static_cast<int>(rows[i].id);
    g_keys[2][slot] = static_cast<int>(rows[i].threads);
    g_fillPosition[slot] = static_cast<int>(i);
  }
}

void RestoreFillOrder() {
  Suspended([] { SendMessageA(g_list, LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(&FillOrder)); });
  support::PumpMessages();
}

std::vector<LPARAM> RowData() {
  const int count = static_cast<int>(SendMessageA(g_list, LVM_GETITEMCOUNT, 0, 0));
  std::vector<LPARAM> data;
  for (int row = 0; row < count; ++row) {
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    SendMessageA(g_list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    data.push_back(item.lParam);
  }
  return data;
}

std::vector<std::string> CellTexts(CListCtrl& list) {
  std::vector<std::string> texts;
  for (int row = 0; row < list.GetItemCount(); ++row) {
    for (int column = 0; column < 3; ++column) texts.push_back(list.GetItemText(row, column).str());
  }
  return texts;
}

// The direction of the window's next header click: each click flips it.
bool g_clickSortsAscending = true;

void ClickHeader(HWND dialog, int column) {
  NMLISTVIEW click{};
  click.hdr.hwndFrom = g_list;
  click.hdr.idFrom = IDC_PROCESS_LIST;
  click.hdr.code = LVN_COLUMNCLICK;
  click.iItem = -1;
  click.iSubItem = column;
  SendMessageA(dialog, WM_NOTIFY, IDC_PROCESS_LIST, reinterpret_cast<LPARAM>(&click));
  g_clickSortsAscending = !g_clickSortsAscending;
}

// Fills and sorts `rows` rows; the first size carries the targets.
bool Measure(CMainDialog& dialog, int rounds, int rowCount, bool targets) {
  support::ProcessListView list(dialog);
  const std::vector<Row> rows = SyntheticRows(rowCount);
  g_rows = &rows;
  std::vector<fake::FakeProcess> processes;
  for (const Row& row : rows) processes.push_back({row.id, row.name, row.threads});
  std::printf("\n%d rows, %d rounds\n", rowCount, rounds);
  const std::string rowsText = std::to_string(rowCount) + " rows";
  const double fillTarget = targets ? 1.25 : 0;

  // --- fill ----------------------------------------------------------------------
  std::vector<double> ours, suspended, plain, enumeration;
  std::vector<std::string> texts[3];
  static const char* const kFills[] = {"fill, FillProcessList", "fill, raw, redraw suspended",
                                       "fill, raw, plain"};
  for (int round = 0; round <= rounds; ++round) {  // round 0 warms up, untimed
    for (int turn = 0; turn < 3; ++turn) {
      const int kind = (turn + round) % 3;
      DeleteAllRows();
      fake::Reset();
      fake::SetProcesses(processes);
      const Clock::time_point start = Clock::now();
      if (kind == 0) {
        g_nextRow = 0;
        dialog.FillProcessList();
      } else if (kind == 1) {
        Suspended(RawFillFourCalls);
      } else {
        RawFillFourCalls();
      }
      const double seconds = bench::SecondsSince(start);
      support::PumpMessages();
      if (list.GetItemCount() != rowCount) {
        std::printf("%s gave %d rows\n", kFills[kind], list.GetItemCount());
        return false;
      }
      if (round == 0) {
        texts[kind] = CellTexts(list);
        continue;
      }
      (kind == 0 ? ours : kind == 1 ? suspended : plain).push_back(seconds);
      bench::Sample(kFills[kind], round, seconds);
    }
    fake::Reset();
    fake::SetProcesses(processes);
    const Clock::time_point start = Clock::now();
    const int listed = EnumerateThroughSeam();
    if (round > 0) enumeration.push_back(bench::SecondsSince(start));
    if (listed != rowCount) std::printf("the spy listed %d processes\n", listed);
  }
  if (texts[0] != texts[1] || texts[0] != texts[2]) {
    std::printf("the fills made different rows\n");
    return false;
  }
  bench::Result("list fill, " + rowsText + ", vs raw suspended", ours, suspended, fillTarget);
  bench::Result("list fill, " + rowsText + ", vs raw plain", ours, plain, targets ? 0.1 : 0);
  bench::Figure("  of which enumeration through the test spy", enumeration);
  if (targets) {
    MessageCosts();
    PlainMessageCosts(dialog.m_hWnd);
  }

  // --- sort ------------------------------------------------------------------------
  // The list holds the fill's rows (the last fill was a full one of either kind).
  PrepareKeys();
  static const char* const kColumns[] = {"ID", "Name", "Threads"};
  for (int column = 0; column < 3; ++column) {
    std::vector<double> oursSort, rawSort, writesSort;
    for (int round = 0; round <= rounds; ++round) {
      const bool ascending = g_clickSortsAscending;
      std::vector<LPARAM> orders[3];
      for (int turn = 0; turn < 3; ++turn) {
        // 0: the click, 1: the bare sort, 2: the sort with the writes; the
        // order rotates.
        const int kind = (turn + round) % 3;
        RestoreFillOrder();
        const Clock::time_point start = Clock::now();
        if (kind == 0) {
          ClickHeader(dialog.m_hWnd, column);
        } else if (kind == 1) {
          SendMessageA(g_list, LVM_SORTITEMS, static_cast<WPARAM>(column),
                       reinterpret_cast<LPARAM>(ascending ? &RawAscending : &RawDescending));
        } else {
          Suspended([column, ascending] { RawSortWithRowWrites(column, ascending); });
        }
        const double seconds = bench::SecondsSince(start);
        support::PumpMessages();
        if (round == 0) {
          orders[kind] = RowData();
          continue;
        }
        (kind == 0 ? oursSort : kind == 1 ? rawSort : writesSort).push_back(seconds);
      }
      if (round == 0 && (orders[0] != orders[1] || orders[0] != orders[2])) {
        std::printf("the click and the raw sorts gave different orders (column %s)\n",
                    kColumns[column]);
        return false;
      }
      if (round > 0) {
        std::printf("  sort by %-8s %s round %2d  click %s  raw %s  raw with row writes %s\n",
                    kColumns[column], ascending ? "up  " : "down", round,
                    bench::Time(oursSort.back()).c_str(), bench::Time(rawSort.back()).c_str(),
                    bench::Time(writesSort.back()).c_str());
      }
    }
    const std::string sortBy = std::string("sort by ") + kColumns[column] + ", " + rowsText;
    bench::Result(sortBy + ", vs raw + writes suspended", oursSort, writesSort, fillTarget);
    bench::Result(sortBy + ", vs bare raw sort", oursSort, rawSort, 0);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = std::max(1, argc > 1 ? std::atoi(argv[1]) : 11);
  std::vector<int> sizes;
  for (int i = 2; i < argc; ++i) sizes.push_back(std::max(10, std::atoi(argv[i])));
  if (sizes.empty()) sizes = {10000, 2000, 300};

  fake::Reset();
  fake::SetProcesses({{4, "first.exe", 1}});  // the window's own first fill
  CMainDialog dialog(nullptr);
  if (!bench::HostMainWindow(dialog)) return 1;
  ShowWindow(dialog.m_hWnd, SW_HIDE);
  support::PumpMessages();
  g_list = dialog.GetDlgItem(IDC_PROCESS_LIST);
  std::printf("list_bench: the main window's list view, hosted and hidden\n");

  bool measured = true;
  for (size_t i = 0; i < sizes.size() && measured; ++i) {
    measured = Measure(dialog, rounds, sizes[i], i == 0);
  }
  dialog.DestroyWindow();
  support::PumpMessages();
  return measured ? 0 : 1;
}
