// The debug privilege of the program's own token, read back from the system
// while the real window starts and is torn down.
#include "app/main_dialog.h"
#include "platform/app.h"
#include "tests/support/modal_answers.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// The attributes of SeDebugPrivilege in this process's token; -1 when the
// token does not hold it or cannot be read.
long long DebugPrivilegeAttributes() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return -1;
  LUID luid{};
  ::LookupPrivilegeValueA(nullptr, "SeDebugPrivilege", &luid);
  DWORD size = 0;
  ::GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
  std::unique_ptr<char[]> buffer(new char[size ? size : 1]);
  long long attributes = -1;
  if (::GetTokenInformation(token, TokenPrivileges, buffer.get(), size, &size)) {
    const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.get());
    for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
      const LUID_AND_ATTRIBUTES& entry = privileges->Privileges[i];
      if (entry.Luid.LowPart == luid.LowPart && entry.Luid.HighPart == luid.HighPart) {
        attributes = entry.Attributes;
      }
    }
  }
  ::CloseHandle(token);
  return attributes;
}

bool DebugPrivilegeEnabled() {
  const long long attributes = DebugPrivilegeAttributes();
  return attributes >= 0 && (attributes & SE_PRIVILEGE_ENABLED) != 0;
}

// Sets the privilege from outside the program's own code.
void SetDebugPrivilege(bool enable) {
  HANDLE token = nullptr;
  ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token));
  TOKEN_PRIVILEGES state{};
  state.PrivilegeCount = 1;
  ::LookupPrivilegeValueA(nullptr, "SeDebugPrivilege", &state.Privileges[0].Luid);
  state.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
  ::AdjustTokenPrivileges(token, FALSE, &state, sizeof state, nullptr, nullptr);
  ::CloseHandle(token);
  ASSERT_EQ(DebugPrivilegeEnabled(), enable);
}

int g_boxes = 0;

class DebugPrivilegeWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AfxInitCommonControls();
    g_boxes = 0;
    modal::Answer().messageBox = [](HWND, const char*, const char*, UINT) {
      ++g_boxes;
      return IDOK;
    };
    ASSERT_GE(DebugPrivilegeAttributes(), 0) << "the token does not hold SeDebugPrivilege";
  }
  void TearDown() override {
    modal::Answer() = modal::Answers{};
    SetDebugPrivilege(false);
  }
};

TEST_F(DebugPrivilegeWindowTest, PrivilegeIsEnabledOnceTheWindowIsUpAndDisabledByTeardown) {
  SetDebugPrivilege(false);
  CMainDialog dialog;

  ASSERT_TRUE(dialog.Create());

  EXPECT_TRUE(DebugPrivilegeEnabled());
  EXPECT_EQ(g_boxes, 0);

  dialog.DisableDebugPrivilege();

  EXPECT_FALSE(DebugPrivilegeEnabled());
  EXPECT_EQ(g_boxes, 0);
  dialog.DestroyWindow();
}

TEST_F(DebugPrivilegeWindowTest, WindowGoneLeavesThePrivilegeDisabledEvenIfEnabledAtLaunch) {
  SetDebugPrivilege(true);
  {
    CMainDialog dialog;
    ASSERT_TRUE(dialog.Create());
    EXPECT_TRUE(DebugPrivilegeEnabled());
    dialog.DestroyWindow();
  }
  EXPECT_FALSE(DebugPrivilegeEnabled());
}

}  // namespace
