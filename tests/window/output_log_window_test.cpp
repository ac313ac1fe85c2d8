// The log panel of the real window: appends, line ends, scrolling, length.
#include "tests/support/hosted_dialog.h"
#include "tests/support/log_text.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace {

class OutputLogWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(host.Created()); }

  HWND Panel() { return support::LogPanel(host.Dialog()); }
  std::string Log() { return hosted::WindowText(Panel()); }
  int LineCount() { return static_cast<int>(::SendMessageA(Panel(), EM_GETLINECOUNT, 0, 0)); }
  int FirstVisibleLine() {
    return static_cast<int>(::SendMessageA(Panel(), EM_GETFIRSTVISIBLELINE, 0, 0));
  }
  std::string Line(int index) {
    char buffer[512] = {};
    *reinterpret_cast<WORD*>(buffer) = sizeof(buffer) - 1;
    const LRESULT copied = ::SendMessageA(Panel(), EM_GETLINE, static_cast<WPARAM>(index),
                                          reinterpret_cast<LPARAM>(buffer));
    return std::string(buffer, static_cast<size_t>(copied));
  }
  // How many whole lines the panel shows at once.
  int VisibleLines() {
    RECT area{};
    ::SendMessageA(Panel(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&area));
    TEXTMETRICA metrics{};
    const HDC dc = ::GetDC(Panel());
    const HGDIOBJ old =
        ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(Panel(), WM_GETFONT, 0, 0)));
    ::GetTextMetricsA(dc, &metrics);
    ::SelectObject(dc, old);
    ::ReleaseDC(Panel(), dc);
    return (area.bottom - area.top) / metrics.tmHeight;
  }

  hosted::HostedDialog host;
};

TEST_F(OutputLogWindowTest, AppendingNothingLeavesTheTextButStillSetsItAndScrollsToTheEnd) {
  hosted::WindowMessages panel(Panel());
  host->AppendOutput("");
  EXPECT_EQ(Log(), support::kLogStart);
  EXPECT_EQ(panel.Count(WM_SETTEXT), 1);
  ASSERT_EQ(panel.Count(WM_VSCROLL), 1);
  EXPECT_EQ(panel.WParams(WM_VSCROLL)[0], static_cast<WPARAM>(SB_BOTTOM));
}

TEST_F(OutputLogWindowTest, ATextIsAppendedUnchangedWithNothingAddedBetween) {
  host->AppendOutput("Starting mini dump...\r\n");
  host->AppendOutput("Creating mini dump file: \r\nZ:\\work\\dumps\\not1A.dmp\r\n");
  EXPECT_EQ(Log(), support::kLogStart +
                       "Starting mini dump...\r\nCreating mini dump file: \r\n"
                       "Z:\\work\\dumps\\not1A.dmp\r\n");
  EXPECT_EQ(LineCount(), 5);
  EXPECT_EQ(Line(2), "Creating mini dump file: ");
  EXPECT_EQ(Line(4), "");
}

TEST_F(OutputLogWindowTest, ALineLeftOpenIsCompletedByTheNextAppend) {
  host->AppendOutput("Could not end process: ");
  EXPECT_EQ(LineCount(), 2);
  host->AppendOutput("Access denied.\r\n");
  EXPECT_EQ(Log(), support::kLogStart + "Could not end process: Access denied.\r\n");
  EXPECT_EQ(LineCount(), 3);
  EXPECT_EQ(Line(1), "Could not end process: Access denied.");
}

TEST_F(OutputLogWindowTest, AfterAnAppendTheLastLineIsInViewEvenWhenTheUserScrolledUp) {
  std::string lines;
  for (int i = 1; i <= 60; ++i) lines += "Process " + std::to_string(i) + " has ended.\r\n";
  host->AppendOutput(lines);
  const int visible = VisibleLines();
  ASSERT_GT(visible, 0);
  ASSERT_GT(LineCount(), visible);

  // The user scrolls back to the top.
  ::SendMessageA(Panel(), WM_VSCROLL, SB_TOP, 0);
  ASSERT_EQ(FirstVisibleLine(), 0);

  host->AppendOutput("Starting mini dump...\r\n");

  const int last = LineCount() - 1;
  EXPECT_GT(FirstVisibleLine(), 0);
  EXPECT_LE(last, FirstVisibleLine() + visible - 1)
      << "first visible " << FirstVisibleLine() << ", " << visible << " lines shown, last " << last;
  EXPECT_EQ(Line(last - 1), "Starting mini dump...");
}

TEST_F(OutputLogWindowTest, ALogOfTenThousandLinesKeepsEveryLine) {
  std::string expected = support::kLogStart;
  std::string bulk;
  for (int i = 1; i < 10000; ++i) {
    bulk += "Process " + std::to_string(i) + " has ended.\r\n";
  }
  host->AppendOutput(bulk);
  expected += bulk;

  // One more line, appended the way every action does, onto a log of
  // 10,000 lines; timed over a few appends.
  constexpr int kTimedAppends = 10;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kTimedAppends; ++i) {
    const std::string line = "Appended line " + std::to_string(i) + "\r\n";
    host->AppendOutput(line.c_str());
    expected += line;
  }
  const auto elapsed = std::chrono::steady_clock::now() - start;
  const double milliseconds =
      std::chrono::duration<double, std::milli>(elapsed).count() / kTimedAppends;
  std::printf("[ measure  ] one append to a log of 10,000 lines (%zu bytes): %.2f ms\n",
              expected.size(), milliseconds);
  RecordProperty("append_ms_at_10000_lines", std::to_string(milliseconds));

  EXPECT_EQ(Log().size(), expected.size());
  EXPECT_TRUE(Log() == expected) << "the log lost or changed text";
  EXPECT_EQ(LineCount(), 10000 + kTimedAppends + 1);
  EXPECT_EQ(Line(0), "Output....");
  EXPECT_EQ(Line(9999), "Process 9999 has ended.");
  EXPECT_EQ(Line(10000 + kTimedAppends - 1), "Appended line 9");
}

}  // namespace
