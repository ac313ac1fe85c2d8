// The owners of system handles: a close leaves the error that a caller is
// about to report as it was.
#include "platform/handles.h"
#include "tests/support/fake_system.h"

#include <gtest/gtest.h>

namespace {

TEST(HandleOwners, ClosingKeepsTheThreadsLastErrorValue) {
  fake::Reset();
  ProcessHandle process(
      sys::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, ::GetCurrentProcessId()));
  ASSERT_TRUE(process);
  ::SetLastError(ERROR_PARTIAL_COPY);

  process.reset();  // the spy's close sets a last-error value of its own

  EXPECT_EQ(::GetLastError(), DWORD{ERROR_PARTIAL_COPY});
  EXPECT_EQ(fake::CountCalls("CloseHandle"), 1);
  EXPECT_TRUE(fake::OpenHandles().empty());
  fake::Reset();
}

}  // namespace
