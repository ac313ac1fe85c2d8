// The log panel's system error texts, with the message-text service behind
// the spy (real texts under Wine unless a failure is scripted).
#include "tests/support/fake_system.h"
#include "tests/support/hosted_dialog.h"
#include "tests/support/system_text.h"
#include "tests/support/log_text.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

using namespace support;

using support::kLogStart;

class OutputLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    fake::SetProcesses({{4, "System", 97}});
    host = std::make_unique<hosted::HostedDialog>();
    ASSERT_TRUE(host->Created());
    ASSERT_EQ(Log(), kLogStart);
    // Only what the test itself does is counted.
    fake::Reset();
  }
  void TearDown() override {
    host.reset();
    fake::Reset();
  }

  HWND Panel() { return support::LogPanel(host->Dialog()); }
  std::string Log() { return hosted::WindowText(Panel()); }

  std::unique_ptr<hosted::HostedDialog> host;
};

TEST_F(OutputLogTest, AnErrorWithSystemTextAppendsExactlyThatTextAndNoNumber) {
  ASSERT_EQ(SystemText(ERROR_ACCESS_DENIED), "Access denied.\r\n");
  hosted::WindowMessages panel(Panel());

  host->Dialog().ReportSystemError(ERROR_ACCESS_DENIED);

  EXPECT_EQ(Log(), std::string(kLogStart) + "Access denied.\r\n");
  EXPECT_EQ(panel.Count(WM_SETTEXT), 1);
  ASSERT_EQ(panel.Count(WM_VSCROLL), 1);
  EXPECT_EQ(panel.WParams(WM_VSCROLL)[0], static_cast<WPARAM>(SB_BOTTOM));
}

TEST_F(OutputLogTest, TheSystemTextIsAskedForWithoutInsertsInTheDefaultLanguage) {
  host->Dialog().ReportSystemError(ERROR_ACCESS_DENIED);
  host->Dialog().ReportSystemError(0);
  host->Dialog().ReportSystemError(0xFFFFFFFF);

  std::vector<std::string> requests;
  for (const fake::Call& call : fake::Calls()) {
    if (call.name == "FormatMessageA") requests.push_back(call.detail);
  }
  // Every code goes to the system as it is, 0 included.
  EXPECT_EQ(requests, (std::vector<std::string>{"0x1300,5,0x400", "0x1300,0,0x400",
                                                "0x1300,4294967295,0x400"}));
}

TEST_F(OutputLogTest, TheTextOfEachReportedErrorIsFreedOnce) {
  host->Dialog().ReportSystemError(ERROR_ACCESS_DENIED);
  EXPECT_EQ(fake::CountCalls("LocalFree"), 1);
  EXPECT_EQ(fake::OutstandingLocalBuffers(), 0);
  host->Dialog().ReportSystemError(ERROR_INVALID_PARAMETER);
  EXPECT_EQ(fake::CountCalls("LocalFree"), 2);
  EXPECT_EQ(fake::OutstandingLocalBuffers(), 0);
  EXPECT_EQ(fake::BadCloses(), 0);
}

class ErrorWithoutTextTest : public OutputLogTest, public ::testing::WithParamInterface<DWORD> {};

TEST_P(ErrorWithoutTextTest, LeavesTheLogByteForByteAsItWasAndDoesNotScroll) {
  ASSERT_EQ(SystemText(GetParam()), "") << "the system has a text for this code after all";
  host->Dialog().AppendOutput("Could not end process: ");
  const std::string before = Log();
  hosted::WindowMessages panel(Panel());

  host->Dialog().ReportSystemError(GetParam());

  EXPECT_EQ(Log(), before);
  EXPECT_EQ(panel.Count(WM_SETTEXT), 0);
  EXPECT_EQ(panel.Count(WM_VSCROLL), 0);
  EXPECT_EQ(fake::CountCalls("FormatMessageA"), 1);
  EXPECT_EQ(fake::CountCalls("LocalFree"), 0);
  EXPECT_EQ(fake::OutstandingLocalBuffers(), 0);
}

INSTANTIATE_TEST_SUITE_P(CodesTheSystemHasNoTextFor, ErrorWithoutTextTest,
                         ::testing::Values(35u, 0x20000001u, 0xFFFFFFFFu));

TEST_F(OutputLogTest, AFailingTextLookupLogsNothingAndFreesNothing) {
  fake::FailCall("FormatMessageA", ERROR_NOT_ENOUGH_MEMORY);
  hosted::WindowMessages panel(Panel());

  host->Dialog().ReportSystemError(ERROR_ACCESS_DENIED);

  EXPECT_EQ(Log(), kLogStart);
  EXPECT_EQ(panel.Count(WM_SETTEXT), 0);
  EXPECT_EQ(panel.Count(WM_VSCROLL), 0);
  EXPECT_EQ(fake::CountCalls("LocalFree"), 0);
}

TEST_F(OutputLogTest, ASystemTextWithInsertMarkersIsAppendedWithTheMarkersInPlace) {
  const std::string text = SystemText(ERROR_BAD_EXE_FORMAT);
  ASSERT_NE(text.find("%1"), std::string::npos) << text;
  ASSERT_EQ(text, "Bad EXE format for %1.\r\n");

  host->Dialog().ReportSystemError(ERROR_BAD_EXE_FORMAT);

  EXPECT_EQ(Log(), std::string(kLogStart) + "Bad EXE format for %1.\r\n");
}

TEST_F(OutputLogTest, AnErrorCompletesTheLineThatAWriterLeftOpen) {
  host->Dialog().AppendOutput("Could not end process: ");
  host->Dialog().ReportSystemError(ERROR_ACCESS_DENIED);
  host->Dialog().AppendOutput("Starting mini dump...\r\n");

  EXPECT_EQ(Log(),
            kLogStart + "Could not end process: Access denied.\r\nStarting mini dump...\r\n");
}

}  // namespace
