// The debug privilege through the seam: the two adjustments, the last-error
// rule, the access-denied box at start and the silent teardown.
#include "actions/debug_privilege.h"

#include "app/main_dialog.h"
#include "platform/app.h"
#include "platform/string.h"
#include "process/process_list.h"
#include "tests/support/controls.h"
#include "tests/support/fake_system.h"
#include "tests/support/log_text.h"
#include "tests/support/modal_answers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::SizeIs;

constexpr char kCaption[] =
    "Unable to grant Debug Privilege.  You may not be able to create dumps on system processes.";

// One adjustment as the system received it.
struct Adjustment {
  DWORD count = 0;
  LUID luid{};
  DWORD attributes = 0;
  DWORD bufferLength = 0;
  bool previous = false;
  bool returnLength = false;
};

// A token that holds (or lacks) one privilege, adjusted the way the system
// does it: the previous state lists only what changed.
struct EmulatedToken {
  bool held = true;
  DWORD attributes = 0;
  std::vector<Adjustment> adjustments;
};

LUID DebugLuid() {
  LUID luid{};
  ::LookupPrivilegeValueA(nullptr, "SeDebugPrivilege", &luid);
  return luid;
}

bool SameLuid(const LUID& a, const LUID& b) {
  return a.LowPart == b.LowPart && a.HighPart == b.HighPart;
}

void Emulate(EmulatedToken* token) {
  fake::Hook().AdjustTokenPrivileges = [token](HANDLE, BOOL, PTOKEN_PRIVILEGES state, DWORD length,
                                               PTOKEN_PRIVILEGES previous, PDWORD returned) {
    Adjustment seen;
    seen.count = state->PrivilegeCount;
    seen.luid = state->Privileges[0].Luid;
    seen.attributes = state->Privileges[0].Attributes;
    seen.bufferLength = length;
    seen.previous = previous != nullptr;
    seen.returnLength = returned != nullptr;
    token->adjustments.push_back(seen);
    if (!token->held) {
      if (previous) previous->PrivilegeCount = 0;
      if (returned) *returned = sizeof(DWORD);
      ::SetLastError(ERROR_NOT_ALL_ASSIGNED);
      return TRUE;
    }
    const DWORD wanted = state->Privileges[0].Attributes & SE_PRIVILEGE_ENABLED;
    const bool changes = (token->attributes & SE_PRIVILEGE_ENABLED) != wanted;
    if (previous) {
      if (changes) {
        previous->PrivilegeCount = 1;
        previous->Privileges[0].Luid = state->Privileges[0].Luid;
        previous->Privileges[0].Attributes = token->attributes;
      } else {
        previous->PrivilegeCount = 0;
      }
    }
    if (returned) *returned = changes ? sizeof(TOKEN_PRIVILEGES) : sizeof(DWORD);
    token->attributes = (token->attributes & ~static_cast<DWORD>(SE_PRIVILEGE_ENABLED)) | wanted;
    ::SetLastError(ERROR_SUCCESS);
    return TRUE;
  };
}

class AdjustPrivilegeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    ASSERT_TRUE(
        ::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &m_token));
    Emulate(&m_emulated);
  }
  void TearDown() override {
    ::CloseHandle(m_token);
    fake::Reset();
  }

  HANDLE m_token = nullptr;
  EmulatedToken m_emulated;
};

TEST_F(AdjustPrivilegeTest, HeldButDisabledPrivilegeIsEnabledFromAZeroFilledPreviousState) {
  m_emulated.attributes = 0;

  EXPECT_TRUE(AdjustPrivilege(m_token, "SeDebugPrivilege", true));

  EXPECT_EQ(m_emulated.attributes, static_cast<DWORD>(SE_PRIVILEGE_ENABLED));
  ASSERT_THAT(m_emulated.adjustments, SizeIs(2));
  const Adjustment& first = m_emulated.adjustments[0];
  EXPECT_EQ(first.count, 1u);
  EXPECT_TRUE(SameLuid(first.luid, DebugLuid()));
  EXPECT_EQ(first.attributes, 0u);
  EXPECT_EQ(first.bufferLength, 16u);
  EXPECT_TRUE(first.previous);
  EXPECT_TRUE(first.returnLength);
  // Nothing changed, so nothing came back: the second sets exactly "enabled".
  const Adjustment& second = m_emulated.adjustments[1];
  EXPECT_EQ(second.count, 1u);
  EXPECT_TRUE(SameLuid(second.luid, DebugLuid()));
  EXPECT_EQ(second.attributes, static_cast<DWORD>(SE_PRIVILEGE_ENABLED));
  EXPECT_EQ(second.bufferLength, sizeof(DWORD));  // as the first adjustment left it
  EXPECT_FALSE(second.previous);
  EXPECT_FALSE(second.returnLength);
  EXPECT_THAT(fake::CallNames(),
              ElementsAre("LookupPrivilegeValueA", "AdjustTokenPrivileges", "GetLastError",
                          "AdjustTokenPrivileges", "GetLastError"));
  EXPECT_EQ(fake::Calls()[0].detail, "null,SeDebugPrivilege");
}

TEST_F(AdjustPrivilegeTest, PrivilegeEnabledAtLaunchIsDisabledThenEnabledAgainKeepingOtherBits) {
  m_emulated.attributes = SE_PRIVILEGE_ENABLED_BY_DEFAULT | SE_PRIVILEGE_ENABLED;

  EXPECT_TRUE(AdjustPrivilege(m_token, "SeDebugPrivilege", true));

  ASSERT_THAT(m_emulated.adjustments, SizeIs(2));
  EXPECT_EQ(m_emulated.adjustments[0].attributes, 0u);
  EXPECT_EQ(m_emulated.adjustments[1].attributes,
            static_cast<DWORD>(SE_PRIVILEGE_ENABLED_BY_DEFAULT | SE_PRIVILEGE_ENABLED));
  EXPECT_EQ(m_emulated.adjustments[1].bufferLength, 16u);
  EXPECT_EQ(m_emulated.attributes & SE_PRIVILEGE_ENABLED, static_cast<DWORD>(SE_PRIVILEGE_ENABLED));
}

TEST_F(AdjustPrivilegeTest, DisablingClearsOnlyTheEnabledBitOfThePreviousAttributes) {
  m_emulated.attributes = SE_PRIVILEGE_ENABLED_BY_DEFAULT | SE_PRIVILEGE_ENABLED;

  EXPECT_TRUE(AdjustPrivilege(m_token, "SeDebugPrivilege", false));

  ASSERT_THAT(m_emulated.adjustments, SizeIs(2));
  EXPECT_EQ(m_emulated.adjustments[1].attributes,
            static_cast<DWORD>(SE_PRIVILEGE_ENABLED_BY_DEFAULT));
  EXPECT_EQ(m_emulated.attributes & SE_PRIVILEGE_ENABLED, 0u);
}

TEST_F(AdjustPrivilegeTest, PrivilegeTheTokenDoesNotHoldFailsAfterOneAdjustment) {
  m_emulated.held = false;

  EXPECT_FALSE(AdjustPrivilege(m_token, "SeDebugPrivilege", true));

  EXPECT_THAT(m_emulated.adjustments, SizeIs(1));
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_NOT_ALL_ASSIGNED));
}

TEST_F(AdjustPrivilegeTest, UnknownPrivilegeNameFailsWithoutAnyAdjustment) {
  EXPECT_FALSE(AdjustPrivilege(m_token, "SeNoSuchPrivilege", true));

  EXPECT_THAT(m_emulated.adjustments, IsEmpty());
  EXPECT_THAT(fake::CallNames(), ElementsAre("LookupPrivilegeValueA"));
}

TEST(AdjustPrivilegeScripted, SuccessIsJudgedByTheLastErrorValueAloneNeverByTheResult) {
  fake::Reset();
  HANDLE token = nullptr;
  ASSERT_TRUE(
      ::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token));
  struct Case {
    const char* what;
    BOOL firstResult;
    DWORD firstError;
    BOOL secondResult;
    DWORD secondError;
    bool expected;
    int adjustments;
  };
  const Case cases[] = {
      {"first fails", FALSE, ERROR_INVALID_HANDLE, TRUE, 0, false, 1},
      {"first succeeds but assigns nothing", TRUE, ERROR_NOT_ALL_ASSIGNED, TRUE, 0, false, 1},
      {"second succeeds but assigns nothing", TRUE, 0, TRUE, ERROR_NOT_ALL_ASSIGNED, false, 2},
      {"second fails", TRUE, 0, FALSE, ERROR_ACCESS_DENIED, false, 2},
      {"both report FALSE yet leave no error", FALSE, 0, FALSE, 0, true, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fake::Reset();
    fake::ScriptAdjustTokenPrivileges(c.firstResult, c.firstError, 1);
    fake::ScriptAdjustTokenPrivileges(c.secondResult, c.secondError, 2);

    EXPECT_EQ(AdjustPrivilege(token, "SeDebugPrivilege", true), c.expected);
    EXPECT_EQ(fake::CountCalls("AdjustTokenPrivileges"), c.adjustments);
  }
  ::CloseHandle(token);
  fake::Reset();
}

// --- The steps at start and at teardown ------------------------------------

struct ShownBox {
  std::string text;
  std::string caption;
  UINT type = 0;
  size_t openHandles = 0;
};
std::vector<ShownBox>& Boxes() {
  static std::vector<ShownBox> boxes;
  return boxes;
}

class DebugPrivilegeStepsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AfxInitCommonControls();
    Boxes().clear();
    modal::Answer().messageBox = [](HWND, const char* text, const char* caption, UINT type) {
      Boxes().push_back({text, caption, type, fake::OpenHandles().size()});
      return IDOK;
    };
    fake::Reset();
    fake::SetProcesses({{4242, "notepad.exe", 3}});
    g_nextRow = 0;
    m_dialog = std::make_unique<CMainDialog>();
  }
  void TearDown() override {
    fake::Reset();
    m_dialog.reset();
    modal::Answer() = modal::Answers{};
  }

  // Creates the window, then forgets what its initialisation called.
  void CreateWindowAndForgetItsCalls() {
    ASSERT_TRUE(m_dialog->Create());
    fake::Reset();
    Boxes().clear();
  }

  std::unique_ptr<CMainDialog> m_dialog;
};

TEST_F(DebugPrivilegeStepsTest, EnablingIsTheLastThingTheWindowDoesWhileItInitialises) {
  EmulatedToken token;
  Emulate(&token);

  ASSERT_TRUE(m_dialog->Create());

  const std::vector<std::string> names = fake::CallNames();
  const auto open = std::find(names.begin(), names.end(), "OpenProcessToken");
  ASSERT_NE(open, names.end());
  EXPECT_THAT(std::vector<std::string>(open - 1, names.end()),
              ElementsAre("GetCurrentProcess", "OpenProcessToken", "LookupPrivilegeValueA",
                          "AdjustTokenPrivileges", "GetLastError", "AdjustTokenPrivileges",
                          "GetLastError", "CloseHandle"));
  EXPECT_EQ(fake::Calls()[open - names.begin()].detail, "-1,0x28");
  EXPECT_EQ(token.attributes, static_cast<DWORD>(SE_PRIVILEGE_ENABLED));
  EXPECT_THAT(Boxes(), IsEmpty());
  EXPECT_THAT(fake::OpenHandles(), IsEmpty());
}

TEST_F(DebugPrivilegeStepsTest, TokenRefusedWithAccessDeniedShowsTheBoxAndInitialisationGoesOn) {
  fake::FailCall("OpenProcessToken", ERROR_ACCESS_DENIED);

  ASSERT_TRUE(m_dialog->Create());

  ASSERT_THAT(Boxes(), SizeIs(1));
  EXPECT_EQ(Boxes()[0].text, "Access Denied.");
  EXPECT_EQ(Boxes()[0].caption, kCaption);
  EXPECT_EQ(Boxes()[0].type, static_cast<UINT>(MB_OK));
  EXPECT_EQ(fake::CountCalls("LookupPrivilegeValueA"), 0);
  for (const fake::Call& call : fake::Calls()) {
    if (call.name == "CloseHandle") {
      EXPECT_NE(call.detail, "token");
    }
  }
  const std::vector<std::string> names = fake::CallNames();
  const auto open = std::find(names.begin(), names.end(), "OpenProcessToken");
  ASSERT_NE(open + 1, names.end());
  EXPECT_EQ(*(open + 1), "GetLastError");
  // The window is up and its log started.
  EXPECT_EQ(support::LogText(*m_dialog), support::kLogStart);
}

TEST_F(DebugPrivilegeStepsTest, TokenRefusedWithAnyOtherCodeShowsNothing) {
  CreateWindowAndForgetItsCalls();
  fake::FailCall("OpenProcessToken", ERROR_INVALID_HANDLE);

  m_dialog->EnableDebugPrivilege();

  EXPECT_THAT(Boxes(), IsEmpty());
  EXPECT_EQ(fake::CountCalls("LookupPrivilegeValueA"), 0);
}

TEST_F(DebugPrivilegeStepsTest, PrivilegeNotHeldReadsTheErrorBeforeClosingTheTokenAndShowsNothing) {
  CreateWindowAndForgetItsCalls();
  EmulatedToken token;
  token.held = false;
  Emulate(&token);

  m_dialog->EnableDebugPrivilege();

  EXPECT_THAT(Boxes(), IsEmpty());
  EXPECT_THAT(fake::CallNames(),
              ElementsAre("GetCurrentProcess", "OpenProcessToken", "LookupPrivilegeValueA",
                          "AdjustTokenPrivileges", "GetLastError", "GetLastError", "CloseHandle"));
  EXPECT_THAT(fake::OpenHandles(), IsEmpty());
}

TEST_F(DebugPrivilegeStepsTest, TheBoxDependsOnlyOnWhatTheAdjustmentSaidNotOnTheTokensClose) {
  struct Case {
    const char* what;
    DWORD adjustment;
    DWORD leftByClose;
    bool box;
  };
  CreateWindowAndForgetItsCalls();
  for (const Case& c : {Case{"denied", ERROR_ACCESS_DENIED, ERROR_INVALID_HANDLE, true},
                        Case{"not held", ERROR_NOT_ALL_ASSIGNED, ERROR_ACCESS_DENIED, false}}) {
    SCOPED_TRACE(c.what);
    fake::Reset();
    Boxes().clear();
    fake::ScriptAdjustTokenPrivileges(FALSE, c.adjustment);
    static DWORD leftByClose;
    leftByClose = c.leftByClose;
    fake::Hook().CloseHandle = [](HANDLE handle) {
      const BOOL closed = ::CloseHandle(handle);
      ::SetLastError(leftByClose);
      return closed;
    };

    m_dialog->EnableDebugPrivilege();

    ASSERT_THAT(Boxes(), SizeIs(c.box ? 1 : 0));
    if (c.box) {
      EXPECT_EQ(Boxes()[0].text, "Access Denied.");
      EXPECT_EQ(Boxes()[0].caption, kCaption);
      EXPECT_EQ(Boxes()[0].openHandles, 0u) << "the token is closed before the box";
    }
    EXPECT_EQ(fake::CountCalls("AdjustTokenPrivileges"), 1);
  }
}

TEST_F(DebugPrivilegeStepsTest, TeardownDisablesThePrivilegeFirstAndSilently) {
  CreateWindowAndForgetItsCalls();
  EmulatedToken token;
  token.attributes = SE_PRIVILEGE_ENABLED_BY_DEFAULT | SE_PRIVILEGE_ENABLED;
  Emulate(&token);

  m_dialog.reset();

  const std::vector<std::string> names = fake::CallNames();
  ASSERT_THAT(names, SizeIs(::testing::Ge(2u)));
  EXPECT_EQ(names[0], "GetCurrentProcess");
  EXPECT_EQ(names[1], "OpenProcessToken");
  EXPECT_EQ(fake::Calls()[1].detail, "-1,0x28");
  ASSERT_THAT(token.adjustments, SizeIs(2));
  EXPECT_EQ(token.adjustments[1].attributes, static_cast<DWORD>(SE_PRIVILEGE_ENABLED_BY_DEFAULT));
  EXPECT_EQ(token.attributes & SE_PRIVILEGE_ENABLED, 0u);
  EXPECT_THAT(Boxes(), IsEmpty());
  EXPECT_THAT(fake::OpenHandles(), IsEmpty());
}

TEST_F(DebugPrivilegeStepsTest, TeardownWithoutATokenDoesNothingAndShowsNothing) {
  CreateWindowAndForgetItsCalls();
  fake::FailCall("OpenProcessToken", ERROR_ACCESS_DENIED);

  m_dialog->DisableDebugPrivilege();

  EXPECT_THAT(fake::CallNames(), ElementsAre("GetCurrentProcess", "OpenProcessToken"));
  EXPECT_THAT(Boxes(), IsEmpty());
}

TEST_F(DebugPrivilegeStepsTest, TeardownIgnoresAFailedAdjustmentAndStillClosesTheToken) {
  CreateWindowAndForgetItsCalls();
  fake::ScriptAdjustTokenPrivileges(FALSE, ERROR_ACCESS_DENIED);

  m_dialog->DisableDebugPrivilege();

  EXPECT_EQ(fake::CountCalls("AdjustTokenPrivileges"), 1);
  EXPECT_EQ(fake::CountCalls("CloseHandle"), 1);
  EXPECT_THAT(fake::OpenHandles(), IsEmpty());
  EXPECT_THAT(Boxes(), IsEmpty());
}

}  // namespace
