// Clicking the process list's headers in the real window: the order of the
// rows, the alternating direction, and every row keeping its own process ID.
#include "platform/string.h"
#include "process/process_list.h"
#include "tests/support/hosted_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <vector>

// The sort's keys are what this test program makes with new (std::nothrow):
// the blocks so made and not yet freed are the keys alive.
namespace {
void* g_nothrowBlocks[4096];
int g_nothrowBlocksAlive = 0;
}  // namespace

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  void* block = std::malloc(size == 0 ? 1 : size);
  for (void*& slot : g_nothrowBlocks) {
    if (block != nullptr && slot == nullptr) {
      slot = block;
      ++g_nothrowBlocksAlive;
      break;
    }
  }
  return block;
}
void operator delete(void* block) noexcept {
  for (int i = 0; block != nullptr && g_nothrowBlocksAlive > 0 && i < 4096; ++i) {
    if (g_nothrowBlocks[i] == block) {
      g_nothrowBlocks[i] = nullptr;
      --g_nothrowBlocksAlive;
      break;
    }
  }
  std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
  operator delete(block);
}

namespace {

struct Row {
  std::string id;
  std::string name;
  std::string threads;
};

class ColumnSort : public ::testing::Test {
 protected:
  void SetUp() override {
    g_nextRow = 0;
    m_host = std::make_unique<hosted::HostedDialog>();
    ASSERT_TRUE(m_host->Created());
    ASSERT_EQ(List().GetColumnCount(), 3);
    m_keysBefore = g_nothrowBlocksAlive;
  }
  void TearDown() override { m_host.reset(); }

  support::ProcessListView& List() { return m_host->List(); }

  // Replaces the rows; each row's data is its ID as the fill would set it.
  void SetRows(const std::vector<Row>& rows) {
    while (List().GetItemCount() > 0) List().DeleteItem(0);
    for (size_t i = 0; i < rows.size(); ++i) {
      const int row = static_cast<int>(i);
      List().InsertItem(row, rows[i].id.c_str());
      List().SetItemText(row, 1, rows[i].name.c_str());
      if (!rows[i].threads.empty()) List().SetItemText(row, 2, rows[i].threads.c_str());
      List().SetItemData(row, static_cast<DWORD>(std::atoi(rows[i].id.c_str())));
    }
  }

  // A header click as the list reports it to the window.
  void Click(int column) {
    NMLISTVIEW click{};
    click.hdr.hwndFrom = List().m_hWnd;
    click.hdr.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(List().m_hWnd));
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = column;
    // The dialog answers a notification with the handler's result.
    EXPECT_EQ(::SendMessageA(m_host->Window(), WM_NOTIFY, click.hdr.idFrom,
                             reinterpret_cast<LPARAM>(&click)),
              0);
    ExpectEveryRowHoldsItsOwnIdAndNoKeyIsLeft();
  }

  std::vector<std::string> Column(int column) {
    std::vector<std::string> texts;
    for (int row = 0; row < List().GetItemCount(); ++row) {
      texts.push_back(List().GetItemText(row, column).str());
    }
    return texts;
  }

  void ExpectEveryRowHoldsItsOwnIdAndNoKeyIsLeft() {
    for (int row = 0; row < List().GetItemCount(); ++row) {
      const std::string id = List().GetItemText(row, 0).str();
      EXPECT_EQ(List().GetItemData(row), static_cast<DWORD>(std::atoi(id.c_str())))
          << "row " << row << " (" << id << ")";
    }
    EXPECT_EQ(g_nothrowBlocksAlive, m_keysBefore) << "sort keys left behind";
  }

  std::unique_ptr<hosted::HostedDialog> m_host;
  int m_keysBefore = 0;
};

using Texts = std::vector<std::string>;

TEST_F(ColumnSort, IdSortsAsNumbersAndAnIdAtOrAbove2To31SortsBelowZero) {
  // 0x80000010 is shown by "%d" as -2147483632.
  SetRows({{"132", "a.exe", "1"},
           {"8", "b.exe", "1"},
           {"-2147483632", "c.exe", "1"},
           {"1000", "d.exe", "1"},
           {"4", "e.exe", "1"}});
  Click(0);
  EXPECT_EQ(Column(0), (Texts{"-2147483632", "4", "8", "132", "1000"}));
  EXPECT_EQ(List().GetItemData(0), 0x80000010u);
  Click(0);
  EXPECT_EQ(Column(0), (Texts{"1000", "132", "8", "4", "-2147483632"}));
}

TEST_F(ColumnSort, NameSortsWithoutCaseAndPutsAnUnderscoreBeforeLetters) {
  SetRows({{"12", "Bar.exe", "1"},
           {"16", "explorer.exe", "1"},
           {"20", "_setup.exe", "1"},
           {"24", "EXPLORER.EXE", "1"},
           {"28", "apple.exe", "1"},
           {"32", "Zed.exe", "1"}});
  Click(1);
  const Texts names = Column(1);
  ASSERT_EQ(names.size(), 6u);
  EXPECT_EQ((Texts{names[0], names[1], names[2]}), (Texts{"_setup.exe", "apple.exe", "Bar.exe"}));
  // The two spellings of explorer are equal keys: next to each other, in
  // whichever order the list leaves them.
  EXPECT_EQ((std::vector<std::string>{std::min(names[3], names[4]), std::max(names[3], names[4])}),
            (Texts{"EXPLORER.EXE", "explorer.exe"}));
  EXPECT_EQ(names[5], "Zed.exe");

  Click(1);
  EXPECT_EQ(Column(1).front(), "Zed.exe");
  EXPECT_EQ(Column(1).back(), "_setup.exe");
}

TEST_F(ColumnSort, OneDirectionAlternatesWhicheverHeaderIsClicked) {
  SetRows({{"300", "b.exe", "2"}, {"100", "c.exe", "9"}, {"200", "a.exe", "5"}});

  Click(0);
  EXPECT_EQ(Column(0), (Texts{"100", "200", "300"}));
  Click(2);
  EXPECT_EQ(Column(2), (Texts{"9", "5", "2"}));
  Click(1);
  EXPECT_EQ(Column(1), (Texts{"a.exe", "b.exe", "c.exe"}));
  Click(1);
  EXPECT_EQ(Column(1), (Texts{"c.exe", "b.exe", "a.exe"}));
}

TEST_F(ColumnSort, EmptyCellsSortAsZeroInNumberColumnsAndAsEmptyTextInTheNameColumn) {
  SetRows({{"40", "b.exe", "3"}, {"44", "", ""}, {"48", "a.exe", "1"}, {"52", "c.exe", "-1"}});
  Click(2);
  EXPECT_EQ(Column(2), (Texts{"-1", "", "1", "3"}));
  Click(1);
  EXPECT_EQ(Column(1), (Texts{"c.exe", "b.exe", "a.exe", ""}));
}

TEST_F(ColumnSort, RowsWithEqualKeysStayTogetherAndKeepTheirOwnIds) {
  SetRows({{"60", "svchost.exe", "4"},
           {"64", "a.exe", "4"},
           {"68", "svchost.exe", "4"},
           {"72", "b.exe", "7"},
           {"76", "SVCHOST.EXE", "1"}});
  Click(1);
  const Texts names = Column(1);
  EXPECT_EQ((Texts{names[0], names[1]}), (Texts{"a.exe", "b.exe"}));
  for (int row = 2; row < 5; ++row) {
    EXPECT_EQ(CString(names[static_cast<size_t>(row)].c_str()).CompareNoCase("svchost.exe"), 0);
  }
  Click(2);
  const Texts threads = Column(2);
  EXPECT_EQ(threads, (Texts{"7", "4", "4", "4", "1"}));
}

TEST_F(ColumnSort, AClickOnAnEmptyListSortsNothingButStillFlipsTheDirection) {
  SetRows({});
  Click(0);
  EXPECT_EQ(List().GetItemCount(), 0);
  SetRows({{"8", "b.exe", "1"}, {"4", "a.exe", "1"}, {"12", "c.exe", "1"}});
  Click(0);  // the second click: descending
  EXPECT_EQ(Column(0), (Texts{"12", "8", "4"}));
}

TEST_F(ColumnSort, RefreshShowsTheEnumerationOrderAndKeepsTheDirection) {
  // The real processes of this Wine session.
  (*m_host)->RefreshProcessList();
  const Texts enumerated = Column(0);
  ASSERT_GE(enumerated.size(), 2u);

  Click(0);  // ascending
  (*m_host)->RefreshProcessList();
  EXPECT_EQ(Column(0), enumerated);
  ExpectEveryRowHoldsItsOwnIdAndNoKeyIsLeft();

  Click(0);  // descending
  const Texts ids = Column(0);
  EXPECT_TRUE(
      std::is_sorted(ids.begin(), ids.end(), [](const std::string& a, const std::string& b) {
        return std::atoi(a.c_str()) > std::atoi(b.c_str());
      }));
}

TEST_F(ColumnSort, EveryRowOfALongListGetsItsOwnProcessIdBackWhateverColumnIsSorted) {
  std::vector<Row> rows;
  std::mt19937 random(7);
  for (int i = 0; i < 400; ++i) {
    const unsigned id = 4u * static_cast<unsigned>(i + 1) + ((i % 7 == 0) ? 0x80000000u : 0u);
    rows.push_back({std::to_string(static_cast<int>(id)),
                    "p" + std::to_string(random() % 50) + ".exe", std::to_string(random() % 20)});
  }
  std::shuffle(rows.begin(), rows.end(), random);
  SetRows(rows);

  // A row far down is selected and focused.
  List().SetItemState(250, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  const std::string selected = List().GetItemText(250, 0).str();
  ::UpdateWindow(List().m_hWnd);  // painted before the clicks

  for (int column : {2, 1, 0, 2, 1}) Click(column);  // asc, desc, asc, desc, asc
  EXPECT_EQ(hosted::ListRepaints(List()), "");
  // The selection and the focus went with their row.
  const int row = List().GetNextItem(-1, LVNI_SELECTED);
  ASSERT_GE(row, 0);
  EXPECT_EQ(List().GetItemText(row, 0).str(), selected);
  EXPECT_EQ(List().GetNextItem(-1, LVNI_FOCUSED), row);
  EXPECT_EQ(List().GetItemCount(), 400);
  const Texts names = Column(1);
  EXPECT_TRUE(
      std::is_sorted(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return CString(a.c_str()).CompareNoCase(b.c_str()) < 0;
      }));
}

}  // namespace
