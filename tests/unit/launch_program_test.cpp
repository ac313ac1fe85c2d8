// New Process and LaunchProgram through the seam: the file-open dialog as it
// is asked for, the log, the shell request and the returned handle.
#include "actions/launch_program.h"
#include "process/process_list.h"
#include "tests/support/fake_system.h"
#include "resources/resource.h"
#include "tests/support/hosted_dialog.h"
#include "tests/support/log_text.h"
#include "tests/support/modal_answers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace {

using support::kLogStart;

// What the shell was asked, copied while the request was alive.
struct ShellRequest {
  SHELLEXECUTEINFOA record;
  std::string file;
  std::string parameters;
  bool parametersGiven;
  int calls = 0;
};

ShellRequest& Requested() {
  static ShellRequest request;
  return request;
}

// A real handle of this process, standing in for the started program's.
HANDLE OwnProcessHandle() {
  return ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                       ::GetCurrentProcessId());
}

// Answers the shell: records the request and "starts" a process.
void HookShell(bool succeed, bool giveProcess) {
  Requested() = ShellRequest{};
  fake::Hook().ShellExecuteExA = [succeed, giveProcess](SHELLEXECUTEINFOA* info) -> BOOL {
    ShellRequest& request = Requested();
    request.record = *info;
    request.file = info->lpFile ? info->lpFile : "";
    request.parametersGiven = info->lpParameters != nullptr;
    request.parameters = info->lpParameters ? info->lpParameters : "";
    ++request.calls;
    if (!succeed) {
      ::SetLastError(ERROR_FILE_NOT_FOUND);
      return FALSE;
    }
    info->hProcess = giveProcess ? OwnProcessHandle() : nullptr;
    return TRUE;
  };
}

class LaunchProgramRequest : public ::testing::Test {
 protected:
  void SetUp() override { fake::Reset(); }
  void TearDown() override { fake::Reset(); }
};

TEST_F(LaunchProgramRequest, AsksTheShellForTheFileHiddenWithItsDefaultVerbAndNothingElse) {
  HookShell(true, true);
  const char* file = "Z:\\some folder\\my program.exe";
  const char* parameters = "";
  const HWND owner = reinterpret_cast<HWND>(uintptr_t{0x1234});
  ProcessHandle process = LaunchProgram(owner, file, parameters);

  ASSERT_EQ(Requested().calls, 1);
  const SHELLEXECUTEINFOA& got = Requested().record;
  EXPECT_EQ(got.cbSize, sizeof(SHELLEXECUTEINFOA));
  EXPECT_EQ(got.fMask, static_cast<ULONG>(SEE_MASK_NOCLOSEPROCESS));
  EXPECT_EQ(got.hwnd, owner) << "the shell's own box belongs to the main window";
  EXPECT_EQ(got.nShow, SW_HIDE);
  EXPECT_EQ(got.lpFile, file) << "the path goes to the shell as given, unquoted";
  EXPECT_EQ(got.lpParameters, parameters);

  // Every other field, and the padding between them, is zero.
  SHELLEXECUTEINFOA expected;
  std::memset(&expected, 0, sizeof(expected));
  expected.cbSize = sizeof(expected);
  expected.fMask = SEE_MASK_NOCLOSEPROCESS;
  expected.hwnd = owner;
  expected.lpFile = file;
  expected.lpParameters = parameters;
  expected.nShow = SW_HIDE;
  EXPECT_EQ(std::memcmp(&got, &expected, sizeof(expected)), 0);

  ASSERT_TRUE(process);
  EXPECT_EQ(::GetProcessId(process.get()), ::GetCurrentProcessId());
  process.reset();
  EXPECT_TRUE(fake::OpenHandles().empty());
}

TEST_F(LaunchProgramRequest, GivesNoHandleWhenTheShellFailsOrStartsNoProcess) {
  fake::FailCall("ShellExecuteExA", ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(LaunchProgram(nullptr, "Z:\\missing.exe", ""));

  HookShell(true, false);
  EXPECT_FALSE(LaunchProgram(nullptr, "Z:\\document.txt", ""));
  EXPECT_TRUE(fake::OpenHandles().empty());
}

// What the file-open dialog was asked, and what it answers.
struct OpenDialog {
  OPENFILENAMEA request;
  std::string initialName;
  std::string filter;  // the zero-separated form the dialog gets
  std::string defaultExtension;
  bool defaultExtensionGiven;
  int shown = 0;
  bool choose = true;
  std::string chosen;
};

OpenDialog& Dialog() {
  static OpenDialog dialog;
  return dialog;
}

BOOL AnswerOpenDialog(OPENFILENAMEA* request) {
  OpenDialog& dialog = Dialog();
  ++dialog.shown;
  dialog.request = *request;
  dialog.initialName = request->lpstrFile ? request->lpstrFile : "";
  dialog.filter.clear();
  if (const char* filter = request->lpstrFilter) {
    // Up to and including the two zero bytes that end it.
    const char* end = filter;
    while (end[0] != '\0' || end[1] != '\0') ++end;
    dialog.filter.assign(filter, static_cast<size_t>(end - filter) + 2);
  }
  dialog.defaultExtensionGiven = request->lpstrDefExt != nullptr;
  if (!dialog.choose) return FALSE;
  std::strncpy(request->lpstrFile, dialog.chosen.c_str(), request->nMaxFile - 1);
  request->lpstrFile[request->nMaxFile - 1] = '\0';
  return TRUE;
}

class NewProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    g_nextRow = 0;
    m_host = std::make_unique<hosted::HostedDialog>();
    ASSERT_TRUE(m_host->Created());
    fake::Reset();
    Dialog() = OpenDialog{};
    modal::Answer().getOpenFileName = &AnswerOpenDialog;
  }
  void TearDown() override {
    modal::Answer().getOpenFileName = nullptr;
    m_host.reset();
    fake::Reset();
  }

  std::string Log() { return m_host->Log(); }

  std::unique_ptr<hosted::HostedDialog> m_host;
};

TEST_F(NewProcess, OffersExecutablesFirstThenAllFilesWithTheGivenFlags) {
  Dialog().choose = false;
  m_host->Command(ID_PROCESS_NEW);

  ASSERT_EQ(Dialog().shown, 1);
  EXPECT_EQ(Dialog().initialName, "*.exe;*.bat;*.com");
  static const char kFilter[] =
      "Executable Files (*.exe,*.bat,*.com)\0*.exe;*.bat;*.com\0All Files (*.*)\0*.*\0";
  EXPECT_EQ(Dialog().filter, std::string(kFilter, sizeof(kFilter)));
  EXPECT_EQ(Dialog().request.nFilterIndex, 1u);
  // The toolkit adds the explorer look and a sizing frame to what is asked.
  EXPECT_EQ(Dialog().request.Flags, static_cast<DWORD>(0x209000 | OFN_EXPLORER | OFN_ENABLESIZING));
  EXPECT_EQ(Dialog().request.Flags & OFN_HIDEREADONLY, 0u);
  EXPECT_EQ(Dialog().request.Flags & OFN_NOCHANGEDIR, 0u);
  EXPECT_FALSE(Dialog().defaultExtensionGiven);
  EXPECT_EQ(Dialog().request.hwndOwner, nullptr);
}

TEST_F(NewProcess, CancellingTheDialogLogsNothingAndStartsNothing) {
  Dialog().choose = false;
  HookShell(true, true);
  m_host->Command(ID_PROCESS_NEW);

  EXPECT_EQ(Log(), kLogStart);
  EXPECT_EQ(Requested().calls, 0);
  EXPECT_TRUE(m_host->Answered().boxes.empty());
}

TEST_F(NewProcess, AChosenProgramIsLoggedAndStartedHiddenAndItsHandleClosed) {
  Dialog().chosen = "Z:\\some folder\\my program.exe";
  HookShell(true, true);
  m_host->Command(ID_PROCESS_NEW);

  EXPECT_EQ(Log(),
            std::string(kLogStart) + "Creating process...\r\nZ:\\some folder\\my program.exe\r\n");
  ASSERT_EQ(Requested().calls, 1);
  EXPECT_EQ(Requested().file, "Z:\\some folder\\my program.exe");
  EXPECT_TRUE(Requested().parametersGiven) << "the parameter text is empty, not none";
  EXPECT_EQ(Requested().parameters, "");
  EXPECT_EQ(Requested().record.nShow, SW_HIDE);
  EXPECT_EQ(fake::CountCalls("CloseHandle"), 1);
  EXPECT_TRUE(fake::OpenHandles().empty());
  EXPECT_EQ(fake::BadCloses(), 0);
  EXPECT_TRUE(m_host->Answered().boxes.empty());
}

TEST_F(NewProcess, APathOfMoreBytesThanMaxPathInAMultiByteScriptIsStartedWhole) {
  // 207 characters, 607 bytes in UTF-8.
  std::string path = "Z:\\";
  for (int i = 0; i < 200; ++i) path += "数";
  path += ".exe";
  Dialog().chosen = path;
  HookShell(true, true);
  m_host->Command(ID_PROCESS_NEW);

  EXPECT_EQ(Log(), std::string(kLogStart) + "Creating process...\r\n" + path + "\r\n");
  EXPECT_EQ(Requested().file, path);
}

TEST_F(NewProcess, AProgramTheShellCannotStartLogsTheSameLinesAndNothingMore) {
  Dialog().chosen = "Z:\\tools\\setup.bat";
  fake::FailCall("ShellExecuteExA", ERROR_FILE_NOT_FOUND);
  m_host->Command(ID_PROCESS_NEW);

  EXPECT_EQ(Log(), std::string(kLogStart) + "Creating process...\r\nZ:\\tools\\setup.bat\r\n");
  EXPECT_EQ(fake::CountCalls("ShellExecuteExA"), 1);
  EXPECT_EQ(fake::CountCalls("CloseHandle"), 0);
  EXPECT_TRUE(fake::OpenHandles().empty());
  EXPECT_TRUE(m_host->Answered().boxes.empty());
}

}  // namespace
