// Create Mini-dump through the seam: what the log says, what is left on disk
// and which handles are closed when each step succeeds or fails.
#include "actions/minidump_writer.h"

#include "app/main_dialog.h"
#include "platform/app.h"
#include "platform/string.h"
#include "process/process_list.h"
#include "tests/support/access_lists.h"
#include "tests/support/controls.h"
#include "tests/support/fake_system.h"
#include "tests/support/files.h"
#include "tests/support/hosted_dialog.h"
#include "tests/support/log_text.h"
#include "tests/support/modal_answers.h"
#include "tests/support/small_minidump.h"
#include "tests/support/system_text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace support;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::SizeIs;

constexpr DWORD kNotepadId = 4242;
constexpr DWORD kLockedId = 4343;
using support::kLogStart;
constexpr char kStarting[] = "Starting mini dump...\r\n";

// A stand-in dump writer: writes `content` into the file it is given and
// remembers what it was asked for.
struct DumpRequest {
  int calls = 0;
  DWORD processId = 0;
  MINIDUMP_TYPE type = MiniDumpWithFullMemory;
  bool exception = true;
  bool userStreams = true;
  MINIDUMP_CALLBACK_ROUTINE routine = nullptr;
  void* param = nullptr;
  BOOL callbackAnswer = FALSE;
};

void WriteDumpsOf(const std::string& content, DumpRequest* request = nullptr) {
  fake::Hook().MiniDumpWriteDump = [content, request](HANDLE, DWORD id, HANDLE file,
                                                      MINIDUMP_TYPE type,
                                                      PMINIDUMP_EXCEPTION_INFORMATION exception,
                                                      PMINIDUMP_USER_STREAM_INFORMATION streams,
                                                      PMINIDUMP_CALLBACK_INFORMATION callback) {
    if (request) {
      ++request->calls;
      request->processId = id;
      request->type = type;
      request->exception = exception != nullptr;
      request->userStreams = streams != nullptr;
      request->routine = callback ? callback->CallbackRoutine : nullptr;
      request->param = callback ? callback->CallbackParam : nullptr;
      if (request->routine) {
        MINIDUMP_CALLBACK_INPUT input{};
        input.CallbackType = ModuleCallback;
        MINIDUMP_CALLBACK_OUTPUT output{};
        request->callbackAnswer = request->routine(request->param, &input, &output);
      }
    }
    DWORD written = 0;
    ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    ::SetLastError(ERROR_SUCCESS);
    return TRUE;
  };
}

std::string AGoodDump() {
  return SmallMinidump();
}

// The index of the first call named `name` (or -1).
int IndexOf(const std::string& name, int occurrence = 1) {
  const std::vector<fake::Call>& calls = fake::Calls();
  for (size_t i = 0; i < calls.size(); ++i) {
    if (calls[i].name == name && --occurrence == 0) return static_cast<int>(i);
  }
  return -1;
}

// True when the call right after `name` read the last-error value `error`.
::testing::AssertionResult ErrorReadRightAfter(const std::string& name, DWORD error,
                                               int occurrence = 1) {
  const int at = IndexOf(name, occurrence);
  const std::vector<fake::Call>& calls = fake::Calls();
  if (at < 0) return ::testing::AssertionFailure() << name << " was not called";
  if (at + 1 >= static_cast<int>(calls.size()) || calls[at + 1].name != "GetLastError") {
    return ::testing::AssertionFailure() << "no GetLastError right after " << name;
  }
  if (calls[at + 1].detail != std::to_string(error)) {
    return ::testing::AssertionFailure()
           << "read " << calls[at + 1].detail << ", expected " << error;
  }
  return ::testing::AssertionSuccess();
}

// prefix, then a hexadecimal number, then the extension: what the temporary
// name service makes.
bool IsDumpFileName(const std::string& file, const std::string& prefix, const char* extension) {
  const std::string suffix = std::string(".") + extension;
  if (file.size() <= prefix.size() + suffix.size()) return false;
  if (file.compare(0, prefix.size(), prefix) != 0) return false;
  if (file.compare(file.size() - suffix.size(), suffix.size(), suffix) != 0) return false;
  const std::string number =
      file.substr(prefix.size(), file.size() - prefix.size() - suffix.size());
  return number.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
}

std::vector<std::string> NamesWithout(const char* dropped) {
  std::vector<std::string> names;
  for (const std::string& name : fake::CallNames()) {
    if (name != dropped) names.push_back(name);
  }
  return names;
}

class MinidumpWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AfxInitCommonControls();
    char previous[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, previous);
    m_previous = previous;
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    m_folder = m_previous + "\\minidump_writer\\" + test->name();
    ::CreateDirectoryA((m_previous + "\\minidump_writer").c_str(), nullptr);
    RemoveTree(m_folder);
    ASSERT_TRUE(::CreateDirectoryA(m_folder.c_str(), nullptr));
    ASSERT_TRUE(::SetCurrentDirectoryA(m_folder.c_str()));

    fake::Reset();
    UseProcessTable();
    g_nextRow = 0;  // each window of this test program fills from the top
    ASSERT_TRUE(m_dialog.Create());
    fake::Reset();
    UseProcessTable();
  }

  void TearDown() override {
    modal::Answer() = modal::Answers{};
    fake::Reset();
    m_dialog.DestroyWindow();
    ::SetCurrentDirectoryA(m_previous.c_str());
  }

  static void UseProcessTable() {
    fake::SetProcesses(
        {{kNotepadId, "notepad.exe", 3}, {kLockedId, "system.exe", 9, /*canOpen=*/false}});
  }

  // Another dump in the same window: the spy, the log and the dumps folder
  // as they were before the first.
  void Afresh() {
    fake::Reset();
    UseProcessTable();
    RemoveTree(Dumps());
    support::SetLogText(m_dialog, kLogStart);
  }

  std::string Log() { return support::LogText(m_dialog); }
  support::ProcessListView List() { return support::ProcessListView(m_dialog); }
  std::string Dumps() const { return m_folder + "\\dumps"; }

  ::testing::AssertionResult EverythingClosed() const {
    const std::vector<fake::OpenHandle> open = fake::OpenHandles();
    if (!open.empty()) {
      return ::testing::AssertionFailure()
             << open.size() << " handle(s) left open, first " << open.front().label;
    }
    if (fake::BadCloses() != 0) return ::testing::AssertionFailure() << "bad closes";
    if (fake::OutstandingLocalBuffers() != 0) return ::testing::AssertionFailure() << "buffers";
    return ::testing::AssertionSuccess();
  }

  std::string m_previous;
  std::string m_folder;
  CMainDialog m_dialog;
};

TEST_F(MinidumpWriterTest, SuccessfulDumpLogsItsFinalPathAndLeavesOnlyTheDumpFile) {
  DumpRequest request;
  WriteDumpsOf(AGoodDump(), &request);

  m_dialog.WriteMiniDump(kNotepadId, "notepad.exe");

  const std::vector<std::string> files = FilesIn(Dumps());
  ASSERT_THAT(files, SizeIs(1));
  EXPECT_TRUE(IsDumpFileName(files[0], "not", "dmp")) << files[0];
  EXPECT_EQ(Log(), std::string(kLogStart) + kStarting + "Creating mini dump file: \r\n" + Dumps() +
                       "\\" + files[0] + "\r\n");
  EXPECT_EQ(ReadAll(Dumps() + "\\" + files[0]), AGoodDump());
  EXPECT_TRUE(EverythingClosed());

  // What the dump writer was asked for.
  EXPECT_EQ(request.calls, 1);
  EXPECT_EQ(request.processId, kNotepadId);
  EXPECT_EQ(request.type, MiniDumpNormal);
  EXPECT_FALSE(request.exception);
  EXPECT_FALSE(request.userStreams);
  EXPECT_EQ(request.routine, &MiniDumpIncludeAll);
  EXPECT_EQ(request.param, &m_dialog);
  EXPECT_EQ(request.callbackAnswer, TRUE);

  // How the folder, the process and the file were opened, and in which order.
  const std::string temporary = Dumps() + "\\" + files[0].substr(0, files[0].size() - 3) + "tmp";
  EXPECT_THAT(
      NamesWithout("GetLastError"),
      ElementsAre("GetCurrentDirectoryA", "GetCurrentProcess", "OpenProcessToken",
                  "GetTokenInformation", "ConvertSidToStringSidA", "LocalFree", "CloseHandle",
                  "ConvertStringSecurityDescriptorToSecurityDescriptorA",
                  "ConvertStringSecurityDescriptorToSecurityDescriptorA",
                  "GetSecurityDescriptorDacl", "CreateDirectoryA", "OpenProcess", "GetProcessTimes",
                  "GetTempFileNameA", "CreateFileA", "GetFileInformationByHandle",
                  "GetModuleHandleA", "GetProcAddress", "GetVolumeInformationByHandleW",
                  "SetSecurityInfo", "LoadCursorA", "SetCursor", "MiniDumpWriteDump", "CloseHandle",
                  "CloseHandle", "CreateFileA", "GetFileSizeEx", "ReadFile", "ReadFile", "ReadFile",
                  "ReadFile", "CloseHandle", "MoveFileA", "SetCursor", "LocalFree", "LocalFree"));
  EXPECT_EQ(fake::Calls()[IndexOf("GetCurrentDirectoryA")].detail, "260");
  EXPECT_EQ(fake::Calls()[IndexOf("CreateDirectoryA")].detail, Dumps());
  EXPECT_EQ(fake::Calls()[IndexOf("OpenProcess")].detail, "0x410,0,4242");
  EXPECT_EQ(fake::Calls()[IndexOf("GetTempFileNameA")].detail, Dumps() + ",not,0");
  // Write access with WRITE_DAC and FILE_READ_ATTRIBUTES; a link is opened
  // as itself (FILE_FLAG_OPEN_REPARSE_POINT).
  EXPECT_EQ(fake::Calls()[IndexOf("CreateFileA")].detail, temporary + ",0x40040080,1,3,0x200080");
  EXPECT_EQ(fake::Calls()[IndexOf("CloseHandle", 2)].detail, "file:" + temporary);
  EXPECT_EQ(fake::Calls()[IndexOf("CloseHandle", 3)].detail, "process:4242");
  EXPECT_EQ(fake::Calls()[IndexOf("MoveFileA")].detail,
            temporary + "," + Dumps() + "\\" + files[0]);
}

TEST_F(MinidumpWriterTest, TwoDumpsOfOneProcessGiveTwoFilesInTheFolderTheFirstCreated) {
  WriteDumpsOf(AGoodDump());

  m_dialog.WriteMiniDump(kNotepadId, "notepad.exe");
  m_dialog.WriteMiniDump(kNotepadId, "notepad.exe");

  const std::vector<std::string> files = FilesIn(Dumps());
  ASSERT_THAT(files, SizeIs(2));
  EXPECT_NE(files[0], files[1]);
  EXPECT_EQ(Log(), std::string(kLogStart) + kStarting + "Creating mini dump file: \r\n" + Dumps() +
                       "\\" + files[0] + "\r\n" + kStarting + "Creating mini dump file: \r\n" +
                       Dumps() + "\\" + files[1] + "\r\n");
  // The second creation found the folder there and went on.
  EXPECT_TRUE(ErrorReadRightAfter("CreateDirectoryA", ERROR_ALREADY_EXISTS, 2));
  EXPECT_TRUE(EverythingClosed());
}

TEST_F(MinidumpWriterTest, DumpNamesBeginWithTheFirstThreeLettersOfTheBaseName) {
  WriteDumpsOf(AGoodDump());
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"notepad.exe", "not"},
      {"a.exe", "a"},
      {"C:\\WINDOWS\\NOTEPAD.EXE", "NOT"},
      {"unknown", "unk"},
      {"my.app.exe", "my."},
      {"/opt/x.y/zed", "zed"},
      // What a file name cannot hold becomes '_': "??.exe" is how a name
      // outside the ANSI code page is listed.
      {"??.exe", "__"},
      {"a<|>.exe", "a__"},
      // With UTF-8 as the code page, names in any script are whole; three
      // characters are three UTF-16 units, and one outside the BMP (two
      // units) is not cut in half.
      {"数据.exe", "数据"},
      {"数据中心.exe", "数据中"},
      {"\U0001F600\U0001F600.exe", "\U0001F600"},
      {"t\x01"
       "b\".exe",
       "t_b"}};
  for (const auto& [name, prefix] : cases) {
    SCOPED_TRACE(name);
    const std::vector<std::string> before = FilesIn(Dumps());
    m_dialog.WriteMiniDump(kNotepadId, name.c_str());
    std::vector<std::string> added;
    for (const std::string& file : FilesIn(Dumps())) {
      if (std::find(before.begin(), before.end(), file) == before.end()) added.push_back(file);
    }
    ASSERT_THAT(added, SizeIs(1));
    EXPECT_TRUE(IsDumpFileName(added[0], prefix, "dmp")) << added[0];
  }
  EXPECT_EQ(fake::Calls()[IndexOf("GetTempFileNameA", 3)].detail, Dumps() + ",NOT,0");
  EXPECT_EQ(fake::Calls()[IndexOf("GetTempFileNameA", 5)].detail, Dumps() + ",my.,0");
  EXPECT_TRUE(EverythingClosed());
}

TEST(DumpNameBase, KeepsOnlyWhatLiesBetweenTheDirectoryAndTheExtension) {
  EXPECT_STREQ(DumpNameBase("notepad.exe"), "notepad");
  EXPECT_STREQ(DumpNameBase("a.exe"), "a");
  EXPECT_STREQ(DumpNameBase("C:\\WINDOWS\\NOTEPAD.EXE"), "NOTEPAD");
  EXPECT_STREQ(DumpNameBase("C:NOTEPAD.EXE"), "NOTEPAD");
  EXPECT_STREQ(DumpNameBase("unknown"), "unknown");
  EXPECT_STREQ(DumpNameBase("my.app.exe"), "my.app");
  EXPECT_STREQ(DumpNameBase("dir.d/name"), "name");
  EXPECT_STREQ(DumpNameBase(".hidden"), "");
  EXPECT_STREQ(DumpNameBase(""), "");
  // A name longer than any fixed buffer is split whole.
  const std::string longBase(300, 'q');
  EXPECT_STREQ(DumpNameBase(CString("C:\\" + std::string(270, 'd') + "\\" + longBase + ".exe")),
               longBase.c_str());
}

TEST_F(MinidumpWriterTest, NameLongerThanAnyPartBufferStillGivesADumpNamedByItsFirstLetters) {
  WriteDumpsOf(AGoodDump());
  const std::string name = "C:\\" + std::string(240, 'd') + "\\" + std::string(300, 'x') + ".exe";

  m_dialog.WriteMiniDump(kNotepadId, name.c_str());

  const std::vector<std::string> files = FilesIn(Dumps());
  ASSERT_THAT(files, SizeIs(1));
  EXPECT_TRUE(IsDumpFileName(files[0], "xxx", "dmp")) << files[0];
  EXPECT_EQ(Log(), std::string(kLogStart) + kStarting + "Creating mini dump file: \r\n" + Dumps() +
                       "\\" + files[0] + "\r\n");
}

TEST_F(MinidumpWriterTest, NoRowSelectedShowsTheMessageAndCreatesNoFolder) {
  hosted::Answered() = hosted::Answers();
  modal::Answer().messageBox = &hosted::AnswerBox;
  for (int row = 0; row < List().GetItemCount(); ++row) {
    List().SetItemState(row, 0, LVIS_SELECTED);
  }

  m_dialog.OnCreateMiniDump();

  ASSERT_EQ(hosted::Answered().boxes.size(), 1u);
  EXPECT_EQ(hosted::Answered().boxes[0].text, "You must first select a process from the list.");
  EXPECT_EQ(hosted::Answered().boxes[0].type, static_cast<UINT>(MB_ICONEXCLAMATION));
  EXPECT_EQ(Log(), kLogStart);
  EXPECT_FALSE(IsFolder(Dumps()));
  EXPECT_EQ(fake::SeamCallCount(), 0);
}

TEST_F(MinidumpWriterTest, TheSelectedRowsProcessIsDumped) {
  DumpRequest request;
  WriteDumpsOf(AGoodDump(), &request);
  const int row = 0;
  ASSERT_EQ(List().GetItemData(row), kNotepadId);
  List().SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);

  m_dialog.OnCreateMiniDump();

  EXPECT_EQ(request.processId, kNotepadId);
  const std::vector<std::string> files = FilesIn(Dumps());
  ASSERT_THAT(files, SizeIs(1));
  EXPECT_TRUE(IsDumpFileName(files[0], "not", "dmp")) << files[0];
}

TEST_F(MinidumpWriterTest, FolderThatCannotBeCreatedIsReportedAndNothingIsOpened) {
  fake::FailCall("CreateDirectoryA", ERROR_ACCESS_DENIED);

  m_dialog.WriteMiniDump(kNotepadId, "notepad.exe");

  EXPECT_EQ(Log(), kLogStart + SystemText(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(ErrorReadRightAfter("CreateDirectoryA", ERROR_ACCESS_DENIED));
  EXPECT_EQ(fake::CountCalls("OpenProcess"), 0);
  EXPECT_FALSE(IsFolder(Dumps()));
  EXPECT_TRUE(EverythingClosed());
}

TEST_F(MinidumpWriterTest, ProcessThatCannotBeOpenedLogsItsErrorWithoutTheStartLine) {
  m_dialog.WriteMiniDump(kLockedId, "system.exe");

  EXPECT_EQ(Log(), kLogStart + SystemText(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(ErrorReadRightAfter("OpenProcess", ERROR_ACCESS_DENIED));
  EXPECT_TRUE(IsFolder(Dumps()));
  EXPECT_THAT(FilesIn(Dumps()), IsEmpty());
  EXPECT_EQ(fake::CountCalls("GetTempFileNameA"), 0);
  EXPECT_TRUE(EverythingClosed());
}

TEST_F(MinidumpWriterTest, TemporaryFileThatCannotBeOpenedIsReportedThenClosedAndDeleted) {
  fake::FailCall("CreateFileA", ERROR_SHARING_VIOLATION);

  m_dialog.WriteMiniDump(kNotepadId, "notepad.exe");

  EXPECT_EQ(Log(), kLogStart + SystemText(ERROR_SHARING_VIOLATION));
  EXPECT_TRUE(ErrorReadRightAfter("CreateFileA", ERROR_SHARING_VIOLATION));
  EXPECT_THAT(FilesIn(Dumps()), IsEmpty());
  EXPECT_EQ(fake::LastDetail("DeleteFileA") + ",0x40040080,1,3,0x200080",
            fake::LastDetail("CreateFileA"));
  EXPECT_EQ(fake::CountCalls("MiniDumpWriteDump"), 0);
  EXPECT_TRUE(EverythingClosed());
  // Reported, then the process closed, then the empty file deleted.
  const std::vector<std::string> names = fake::CallNames();
  const int open = IndexOf("CreateFileA");
  ASSERT_GE(names.size(), static_cast<size_t>(open + 6));
  EXPECT_THAT(std::vector<std::string>(names.begin() + open, names.begin() + open + 6),
              ElementsAre("CreateFileA", "GetLastError", "FormatMessageA", "LocalFree",
                          "CloseHandle", "DeleteFileA"));
}

TEST_F(MinidumpWriterTest, ProcessThatCannotBeIdentifiedLogsTheErrorWithoutTheStartLineOrAFile) {
  constexpr ULONGLONG kFilledAt = 0x01DC000000000000ULL;
  struct Case {
    const char* what;
    DWORD error;
  };
  for (const Case& c : {Case{"a newer process took over the ID", ERROR_INVALID_PARAMETER},
                        Case{"its creation time cannot be read", ERROR_ACCESS_DENIED}}) {
    SCOPED_TRACE(c.what);
    fake::Reset();
    UseProcessTable();
    fake::SetClock(kFilledAt);
    m_dialog.RefreshProcessList();
    support::SetLogText(m_dialog, kLogStart);
    if (c.error == ERROR_INVALID_PARAMETER) {
      fake::SetProcesses({{kNotepadId, "newer.exe", 2, true, true, true, kFilledAt + 1}});
    } else {
      fake::FailCall("GetProcessTimes", c.error);
    }

    m_dialog.WriteMiniDump(kNotepadId, "notepad.exe");

    EXPECT_EQ(Log(), kLogStart + SystemText(c.error));
    EXPECT_EQ(fake::CountCalls("GetTempFileNameA"), 0);
    EXPECT_THAT(FilesIn(Dumps()), IsEmpty());
    EXPECT_TRUE(EverythingClosed());
  }
}

TEST_F(MinidumpWriterTest, ProcessCreatedWhileTheListWasFilledIsRefusedAsNotTheRowsOwn) {
  // The clock reads a second later once the list's source has been read.
  static constexpr ULONGLONG kFillStarts = 0x01DC000000000000ULL;
  static constexpr ULONGLONG kFillEnds = kFillStarts + 10000000;
  for (const DWORD version : {DWORD{0x0004}, DWORD{0x0206}}) {
    SCOPED_TRACE(version == 0x0004 ? "process-status path" : "snapshot path");
    fake::Reset();
    fake::SetVersion(version);
    fake::SetProcesses({{kNotepadId, "notepad.exe", 3, true, true, true, kFillStarts + 1}});
    fake::Hook().GetSystemTimeAsFileTime = [](LPFILETIME now) {
      const bool sourceRead =
          fake::CountCalls("EnumProcesses") + fake::CountCalls("CreateToolhelp32Snapshot") > 0;
      const ULONGLONG time = sourceRead ? kFillEnds : kFillStarts;
      now->dwLowDateTime = static_cast<DWORD>(time);
      now->dwHighDateTime = static_cast<DWORD>(time >> 32);
    };
    m_dialog.RefreshProcessList();
    ASSERT_EQ(List().GetItemData(0), kNotepadId);
    support::SetLogText(m_dialog, kLogStart);

    m_dialog.WriteMiniDump(kNotepadId, "notepad.exe");

    EXPECT_EQ(Log(), kLogStart + SystemText(ERROR_INVALID_PARAMETER));
    EXPECT_THAT(FilesIn(Dumps()), IsEmpty());
    EXPECT_TRUE(EverythingClosed());
  }
}

TEST_F(MinidumpWriterTest, NewFolderAndEachDumpGetAProtectedListOfTheUserSystemAndAdministrators) {
  WriteDumpsOf(AGoodDump());
  std::vector<std::string> folderLists;
  std::vector<std::string> fileLists;
  std::vector<size_t> fileListsAtWriter;
  fake::Hook().CreateDirectoryA = [&](LPCSTR path, LPSECURITY_ATTRIBUTES security) {
    folderLists.push_back(security ? ListText(security->lpSecurityDescriptor) : "none");
    return ::CreateDirectoryA(path, security);
  };
  fake::Hook().SetSecurityInfo = [&](HANDLE handle, SE_OBJECT_TYPE type,
                                     SECURITY_INFORMATION information, PSID owner, PSID group,
                                     PACL list, PACL auditList) {
    fileLists.push_back(ListText(list, information & PROTECTED_DACL_SECURITY_INFORMATION));
    return ::SetSecurityInfo(handle, type, information, owner, group, list, auditList);
  };
  const auto writer = fake::Hook().MiniDumpWriteDump;
  fake::Hook().MiniDumpWriteDump = [&](HANDLE process, DWORD id, HANDLE file, MINIDUMP_TYPE type,
                                       PMINIDUMP_EXCEPTION_INFORMATION exception,
                                       PMINIDUMP_USER_STREAM_INFORMATION streams,
                                       PMINIDUMP_CALLBACK_INFORMATION callback) {
    fileListsAtWriter.push_back(fileLists.size());
    return writer(process, id, file, type, exception, streams, callback);
  };

  // The first makes the folder, the second finds it there.
  m_dialog.WriteMiniDump(kNotepadId, "notepad.exe");
  m_dialog.WriteMiniDump(kNotepadId, "notepad.exe");

  const std::string user = RunningUserSid();
  const std::string folderList = "D:P(A;OICI;FA;;;" + user + ")(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
  const std::string fileList = "D:P(A;;FA;;;" + user + ")(A;;FA;;;SY)(A;;FA;;;BA)";
  EXPECT_THAT(folderLists, ElementsAre(folderList, folderList));
  EXPECT_THAT(fileLists, ElementsAre(fileList, fileList));
  // Each dump's list was set before the writer wrote into it.
  EXPECT_THAT(fileListsAtWriter, ElementsAre(1u, 2u));
  EXPECT_THAT(FilesIn(Dumps()), SizeIs(2));
  EXPECT_TRUE(EverythingClosed());
}

TEST_F(MinidumpWriterTest, ListThatCannotBeMadeOrSetLogsTheSystemTextAndLeavesNoDump) {
  struct Case {
    const char* call;
    DWORD error;
    bool folderMade;
  };
  for (const Case& c : {Case{"OpenProcessToken", ERROR_ACCESS_DENIED, false},
                        Case{"ConvertStringSecurityDescriptorToSecurityDescriptorA",
                             ERROR_NOT_ENOUGH_MEMORY, false},
                        Case{"GetVolumeInformationByHandleW", ERROR_INVALID_FUNCTION, true},
                        // On a drive that keeps lists.
                        Case{"SetSecurityInfo", ERROR_NOT_SUPPORTED, true}}) {
    SCOPED_TRACE(c.call);
    Afresh();
    WriteDumpsOf(AGoodDump());
    fake::FailCall(c.call, c.error);

    m_dialog.WriteMiniDump(kNotepadId, "notepad.exe");

    ASSERT_NE(SystemText(c.error), "");
    EXPECT_EQ(Log(), kLogStart + SystemText(c.error));
    EXPECT_EQ(IsFolder(Dumps()), c.folderMade);
    EXPECT_THAT(FilesIn(Dumps()), IsEmpty());
    EXPECT_TRUE(EverythingClosed());
  }
}

TEST_F(MinidumpWriterTest, OnADriveThatKeepsNoAccessListsTheDumpIsWrittenWithoutOne) {
  // FAT32's flags: no FILE_PERSISTENT_ACLS.
  constexpr DWORD kFat32Flags = FILE_CASE_PRESERVED_NAMES;
  for (const bool byHandle : {true, false}) {
    SCOPED_TRACE(byHandle ? "asked by the file's handle" : "asked at the volume's root");
    Afresh();
    WriteDumpsOf(AGoodDump());
    fake::Hook().GetVolumeInformationByHandleW = [](HANDLE, LPWSTR, DWORD, LPDWORD, LPDWORD,
                                                    LPDWORD flags, LPWSTR, DWORD) {
      *flags = kFat32Flags;
      return TRUE;
    };
    // A system without the by-handle call; the root of a folder that the
    // volume is mounted on, as Wine gives it, without its separator.
    std::vector<std::string> roots;
    if (!byHandle) fake::RemoveEntryPoint("GetVolumeInformationByHandleW");
    fake::Hook().GetVolumePathNameA = [](LPCSTR, LPSTR root, DWORD size) {
      return lstrcpynA(root, "Q:\\stick", static_cast<int>(size)) != nullptr;
    };
    fake::Hook().GetVolumeInformationA = [&roots](LPCSTR root, LPSTR, DWORD, LPDWORD, LPDWORD,
                                                  LPDWORD flags, LPSTR, DWORD) {
      roots.push_back(root);
      *flags = kFat32Flags;
      return TRUE;
    };

    m_dialog.WriteMiniDump(kNotepadId, "notepad.exe");

    EXPECT_EQ(fake::CountCalls("SetSecurityInfo"), 0);
    EXPECT_EQ(roots,
              byHandle ? std::vector<std::string>{} : std::vector<std::string>{"Q:\\stick\\"});
    const std::vector<std::string> files = FilesIn(Dumps());
    ASSERT_THAT(files, SizeIs(1));
    EXPECT_EQ(ReadAll(Dumps() + "\\" + files[0]), AGoodDump());
    EXPECT_EQ(Log(), kLogStart + std::string(kStarting) + "Creating mini dump file: \r\n" +
                         Dumps() + "\\" + files[0] + "\r\n");
    EXPECT_TRUE(EverythingClosed());
  }
}

TEST_F(MinidumpWriterTest, NameThatNowHoldsALinkIsRefusedAndWhatStandsThereIsLeftAlone) {
  const std::string theirs = m_folder + "\\theirs.txt";
  for (const bool secondName : {true, false}) {
    SCOPED_TRACE(secondName ? "a second name of a file elsewhere" : "a reparse point");
    Afresh();
    WriteAll(theirs, "keep me");
    WriteDumpsOf(AGoodDump());
    if (secondName) {
      // Someone who may write in the folder puts a hard link to their own
      // file in place of the new one before it is opened.
      fake::Hook().GetTempFileNameA = [theirs](LPCSTR folder, LPCSTR prefix, UINT unique,
                                               LPSTR name) {
        const UINT number = ::GetTempFileNameA(folder, prefix, unique, name);
        ::DeleteFileA(name);
        ::CreateHardLinkA(name, theirs.c_str(), nullptr);
        return number;
      };
    } else {
      // Windows opens a symbolic link put there as itself, a reparse point;
      // Wine follows it, so the handle is made to say so.
      fake::Hook().GetFileInformationByHandle = [](HANDLE file,
                                                   LPBY_HANDLE_FILE_INFORMATION information) {
        const BOOL read = ::GetFileInformationByHandle(file, information);
        information->dwFileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
        return read;
      };
    }

    m_dialog.WriteMiniDump(kNotepadId, "notepad.exe");

    EXPECT_EQ(Log(), kLogStart + SystemText(ERROR_CANT_ACCESS_FILE));
    EXPECT_EQ(ReadAll(theirs), "keep me");
    // Nothing is written to what the handle holds, not even an access list,
    // and nothing is deleted.
    EXPECT_EQ(fake::CountCalls("SetSecurityInfo"), 0);
    EXPECT_EQ(fake::CountCalls("MiniDumpWriteDump"), 0);
    const std::vector<std::string> files = FilesIn(Dumps());
    ASSERT_THAT(files, SizeIs(1));
    EXPECT_TRUE(IsDumpFileName(files[0], "not", "tmp")) << files[0];
    if (secondName) {
      EXPECT_EQ(ReadAll(Dumps() + "\\" + files[0]), "keep me");
    }
    EXPECT_TRUE(EverythingClosed());
  }
}

TEST_F(MinidumpWriterTest, FailedDumpLogsTheWritersErrorAndLeavesNoFile) {
  fake::FailCall("MiniDumpWriteDump", ERROR_PARTIAL_COPY);

  m_dialog.WriteMiniDump(kNotepadId, "notepad.exe");

  EXPECT_EQ(Log(), kLogStart + std::string(kStarting) + SystemText(ERROR_PARTIAL_COPY));
  EXPECT_TRUE(ErrorReadRightAfter("MiniDumpWriteDump", ERROR_PARTIAL_COPY));
  EXPECT_THAT(FilesIn(Dumps()), IsEmpty());
  EXPECT_TRUE(EverythingClosed());
  // Closed, then deleted, then reported.
  const int dump = IndexOf("MiniDumpWriteDump");
  const std::vector<std::string> names = fake::CallNames();
  ASSERT_GE(names.size(), static_cast<size_t>(dump + 6));
  EXPECT_THAT(std::vector<std::string>(names.begin() + dump, names.begin() + dump + 6),
              ElementsAre("MiniDumpWriteDump", "GetLastError", "CloseHandle", "CloseHandle",
                          "DeleteFileA", "FormatMessageA"));
}

TEST_F(MinidumpWriterTest, ThePointerWaitsFromJustBeforeTheDumpUntilItsResultIsLogged) {
  // The log as it read at each change of the pointer.
  static std::vector<std::string> logAtChange;
  static const HCURSOR kArrow = reinterpret_cast<HCURSOR>(uintptr_t{0xA770});
  for (const bool writerFails : {false, true}) {
    SCOPED_TRACE(writerFails ? "the writer fails" : "the dump is written");
    Afresh();
    if (writerFails) {
      fake::FailCall("MiniDumpWriteDump", ERROR_PARTIAL_COPY);
    } else {
      WriteDumpsOf(AGoodDump());
    }
    logAtChange.clear();
    fake::Hook().SetCursor = [this](HCURSOR) {
      logAtChange.push_back(Log());
      return kArrow;
    };

    m_dialog.WriteMiniDump(kNotepadId, "notepad.exe");

    const int dump = IndexOf("MiniDumpWriteDump");
    ASSERT_EQ(fake::CountCalls("SetCursor"), 2);
    EXPECT_EQ(fake::Calls()[IndexOf("LoadCursorA")].detail, "null,32514");
    EXPECT_EQ(fake::Calls()[IndexOf("SetCursor", 1)].detail, "cursor:32514");
    EXPECT_LT(IndexOf("SetCursor", 1), dump);
    EXPECT_EQ(fake::Calls()[IndexOf("SetCursor", 2)].detail, "0xa770");
    EXPECT_GT(IndexOf("SetCursor", 2), dump);
    ASSERT_EQ(logAtChange.size(), 2u);
    EXPECT_EQ(logAtChange[0], kLogStart + kStarting);
    EXPECT_EQ(logAtChange[1], Log()) << "the pointer came back before the result was logged";
    EXPECT_NE(Log(), kLogStart + kStarting);
  }
}

TEST_F(MinidumpWriterTest, FailedDumpWithAnErrorWithoutTextLogsOnlyTheStartLine) {
  fake::FailCall("MiniDumpWriteDump", 0x2000BEEF);

  m_dialog.WriteMiniDump(kNotepadId, "notepad.exe");

  ASSERT_EQ(SystemText(0x2000BEEF), "");
  EXPECT_EQ(Log(), std::string(kLogStart) + kStarting);
  EXPECT_THAT(FilesIn(Dumps()), IsEmpty());
  EXPECT_TRUE(EverythingClosed());
}

TEST_F(MinidumpWriterTest, WhatIsNotAWholeDumpIsDeletedAndSaysWhetherTheDriveFilledUp) {
  const MinidumpLayout layout = SmallMinidumpLayout();
  const std::string dump = SmallMinidump();
  struct Case {
    const char* what;
    std::string content;
    size_t missing;  // what its own header and directory name beyond its end
  };
  const std::vector<Case> cases = {
      {"empty", "", sizeof(MINIDUMP_HEADER)},
      {"short", "MDM", sizeof(MINIDUMP_HEADER) - 3},
      {"cut inside the header", dump.substr(0, 20), 12},
      {"cut inside the directory", dump.substr(0, layout.directory + 20), 16},
      {"cut inside a stream", dump.substr(0, layout.moduleList + 10),
       layout.size - layout.moduleList - 10},
      {"header only, no version", std::string("MDMP") + std::string(28, '\0'), 0},
      {"wrong signature", std::string("PMDM") + dump.substr(4), 0},
      {"another format's version", dump.substr(0, 4) + "\x94\xA7" + dump.substr(6), 0},
      {"without a thread list", WithStreamType(dump, kThreadsEntry, 0xBEEF), 0},
      {"without a module list", WithStreamType(dump, kModulesEntry, UnusedStream), 0},
      {"without the system", WithStreamType(dump, kSystemEntry, UnusedStream), 0},
      {"a thread list of no thread", SmallMinidump(0), 0}};
  for (const Case& c : cases) {
    // One byte less room than it lacks is a full drive; that much room is not.
    for (const ULONGLONG room : {ULONGLONG{c.missing} - 1, ULONGLONG{c.missing}}) {
      if (c.missing == 0 && room != 0) continue;
      SCOPED_TRACE(std::string(c.what) + ", room " + std::to_string(room));
      Afresh();
      WriteDumpsOf(c.content);
      std::vector<size_t> filesWhenAsked;
      fake::Hook().GetDiskFreeSpaceExA = [&](LPCSTR folder, PULARGE_INTEGER available,
                                             PULARGE_INTEGER, PULARGE_INTEGER) {
        EXPECT_EQ(folder, Dumps());
        filesWhenAsked.push_back(FilesIn(Dumps()).size());
        available->QuadPart = room;
        return TRUE;
      };

      m_dialog.WriteMiniDump(kNotepadId, "notepad.exe");

      const DWORD error = c.missing > room ? ERROR_DISK_FULL : ERROR_FILE_CORRUPT;
      EXPECT_EQ(Log(), kLogStart + std::string(kStarting) + SystemText(error));
      // The room is measured before the file is deleted.
      EXPECT_EQ(filesWhenAsked, c.missing ? std::vector<size_t>{1} : std::vector<size_t>{});
      EXPECT_THAT(FilesIn(Dumps()), IsEmpty());
      EXPECT_TRUE(EverythingClosed());
    }
  }
  // Room that cannot be read: the file is only known to be cut short.
  Afresh();
  WriteDumpsOf(dump.substr(0, layout.size - 1));
  fake::FailCall("GetDiskFreeSpaceExA", ERROR_NOT_READY);
  m_dialog.WriteMiniDump(kNotepadId, "notepad.exe");
  EXPECT_EQ(Log(), kLogStart + std::string(kStarting) + SystemText(ERROR_FILE_CORRUPT));
}

TEST_F(MinidumpWriterTest, ARealDumpOfARunningProcessIsWhole) {
  // This test program, dumped by the system's own writer, whose streams of
  // other types (memory, handles, ...) the check does not read.
  m_dialog.WriteMiniDump(::GetCurrentProcessId(), "unit_tests.exe");
  const std::vector<std::string> files = FilesIn(Dumps());
  ASSERT_THAT(files, SizeIs(1)) << Log();
  EXPECT_EQ(Log(), kLogStart + std::string(kStarting) + "Creating mini dump file: \r\n" + Dumps() +
                       "\\" + files[0] + "\r\n");
}

TEST_F(MinidumpWriterTest, DumpThatCannotBeReadBackIsReportedWithTheReadError) {
  WriteDumpsOf(AGoodDump());
  fake::FailCall("ReadFile", ERROR_LOCK_VIOLATION);

  m_dialog.WriteMiniDump(kNotepadId, "notepad.exe");

  EXPECT_EQ(Log(), kLogStart + std::string(kStarting) + SystemText(ERROR_LOCK_VIOLATION));
  EXPECT_TRUE(ErrorReadRightAfter("ReadFile", ERROR_LOCK_VIOLATION));
  EXPECT_THAT(FilesIn(Dumps()), IsEmpty());
  EXPECT_TRUE(EverythingClosed());
}

TEST_F(MinidumpWriterTest, RenameOntoAnExistingFileTakesAnotherNumberAndKeepsBoth) {
  WriteDumpsOf(AGoodDump());
  // Someone puts a file under the final name while the dump is written (an
  // earlier dump holds the number the temporary-name service came round to).
  static std::string taken;
  taken.clear();
  fake::Hook().MoveFileA = [](LPCSTR from, LPCSTR to) {
    if (taken.empty()) {
      taken = to;
      WriteAll(to, "keep me");
    }
    return ::MoveFileA(from, to);
  };

  m_dialog.WriteMiniDump(kNotepadId, "notepad.exe");

  const std::vector<std::string> files = FilesIn(Dumps());
  ASSERT_THAT(files, SizeIs(2));
  EXPECT_TRUE(IsDumpFileName(files[0], "not", "dmp")) << files[0];
  EXPECT_TRUE(IsDumpFileName(files[1], "not", "dmp")) << files[1];
  const std::string kept = taken.substr(Dumps().size() + 1);
  const std::string dump = files[0] == kept ? files[1] : files[0];
  EXPECT_EQ(ReadAll(taken), "keep me");
  EXPECT_EQ(ReadAll(Dumps() + "\\" + dump), AGoodDump());
  EXPECT_EQ(Log(), kLogStart + std::string(kStarting) + "Creating mini dump file: \r\n" + Dumps() +
                       "\\" + dump + "\r\n");
  EXPECT_TRUE(ErrorReadRightAfter("MoveFileA", ERROR_ALREADY_EXISTS));
  EXPECT_EQ(fake::CountCalls("GetTempFileNameA"), 2);
  EXPECT_EQ(fake::CountCalls("MoveFileA"), 2);
  EXPECT_TRUE(EverythingClosed());
}

TEST_F(MinidumpWriterTest, RenameThatKeepsFindingItsNameTakenKeepsTheTemporaryNameAndSaysSo) {
  WriteDumpsOf(AGoodDump());
  fake::Hook().MoveFileA = [](LPCSTR, LPCSTR) -> BOOL {
    ::SetLastError(ERROR_ALREADY_EXISTS);
    return FALSE;
  };

  m_dialog.WriteMiniDump(kNotepadId, "notepad.exe");

  // The numbers asked for on the way are given back; the dump stays.
  const std::vector<std::string> files = FilesIn(Dumps());
  ASSERT_THAT(files, SizeIs(1));
  EXPECT_TRUE(IsDumpFileName(files[0], "not", "tmp")) << files[0];
  EXPECT_EQ(ReadAll(Dumps() + "\\" + files[0]), AGoodDump());
  EXPECT_EQ(Log(), kLogStart + std::string(kStarting) + SystemText(ERROR_ALREADY_EXISTS) +
                       "Creating mini dump file: \r\n" + Dumps() + "\\" + files[0] + "\r\n");
  EXPECT_GT(fake::CountCalls("MoveFileA"), 2);
  EXPECT_EQ(fake::CountCalls("GetTempFileNameA"), fake::CountCalls("MoveFileA"));
  EXPECT_TRUE(EverythingClosed());
}

TEST_F(MinidumpWriterTest, RenameRefusedForAnotherReasonKeepsTheTemporaryNameAndSaysSo) {
  WriteDumpsOf(AGoodDump());
  fake::FailCall("MoveFileA", ERROR_ACCESS_DENIED);

  m_dialog.WriteMiniDump(kNotepadId, "notepad.exe");

  const std::vector<std::string> files = FilesIn(Dumps());
  ASSERT_THAT(files, SizeIs(1));
  EXPECT_TRUE(IsDumpFileName(files[0], "not", "tmp")) << files[0];
  EXPECT_EQ(Log(), kLogStart + std::string(kStarting) + SystemText(ERROR_ACCESS_DENIED) +
                       "Creating mini dump file: \r\n" + Dumps() + "\\" + files[0] + "\r\n");
  EXPECT_EQ(fake::CountCalls("GetTempFileNameA"), 1);
  EXPECT_TRUE(EverythingClosed());
}

TEST_F(MinidumpWriterTest, TemporaryNameThatCannotBeMadeIsReportedAndNothingIsOpened) {
  fake::FailCall("GetTempFileNameA", ERROR_DIRECTORY);

  m_dialog.WriteMiniDump(kNotepadId, "notepad.exe");

  EXPECT_EQ(Log(), kLogStart + SystemText(ERROR_DIRECTORY));
  EXPECT_TRUE(ErrorReadRightAfter("GetTempFileNameA", ERROR_DIRECTORY));
  EXPECT_EQ(fake::CountCalls("CreateFileA"), 0);
  EXPECT_EQ(fake::Calls()[IndexOf("CloseHandle", 2)].detail, "process:4242");
  EXPECT_THAT(FilesIn(Dumps()), IsEmpty());
  EXPECT_TRUE(EverythingClosed());
}

TEST_F(MinidumpWriterTest, FileNamedDumpsInPlaceOfTheFolderIsReportedAndNothingIsWritten) {
  WriteAll(Dumps(), "");
  WriteDumpsOf(AGoodDump());

  m_dialog.WriteMiniDump(kNotepadId, "notepad.exe");

  // The creation's 183 is accepted; the temporary name is where it fails.
  EXPECT_TRUE(ErrorReadRightAfter("CreateDirectoryA", ERROR_ALREADY_EXISTS));
  const int read = IndexOf("GetTempFileNameA") + 1;
  ASSERT_EQ(fake::Calls()[read].name, "GetLastError");
  const DWORD error = static_cast<DWORD>(std::stoul(fake::Calls()[read].detail));
  EXPECT_NE(error, fake::kClobbered);
  EXPECT_NE(SystemText(error), "");
  EXPECT_EQ(Log(), kLogStart + SystemText(error));
  EXPECT_EQ(fake::CountCalls("CreateFileA"), 0);
  EXPECT_FALSE(IsFolder(Dumps()));
  EXPECT_EQ(ReadAll(Dumps()), "");
  EXPECT_THAT(FilesIn(m_folder), ElementsAre("dumps"));
  EXPECT_TRUE(EverythingClosed());
}

TEST_F(MinidumpWriterTest, CurrentDirectoryThatCannotBeReadIsReportedAndNothingElseHappens) {
  fake::FailCall("GetCurrentDirectoryA", ERROR_ACCESS_DENIED);

  m_dialog.WriteMiniDump(kNotepadId, "notepad.exe");

  EXPECT_EQ(Log(), kLogStart + SystemText(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(ErrorReadRightAfter("GetCurrentDirectoryA", ERROR_ACCESS_DENIED));
  EXPECT_THAT(NamesWithout("GetLastError"),
              ElementsAre("GetCurrentDirectoryA", "FormatMessageA", "LocalFree"));
  EXPECT_FALSE(IsFolder(Dumps()));
}

TEST_F(MinidumpWriterTest, CurrentDirectoryTooLongForTheFolderIsReportedAsAPathTooLong) {
  // 254 characters: "\dumps" and its zero no longer fit in MAX_PATH.
  std::string deep = m_folder;
  while (deep.size() < 254) {
    deep += "\\" + std::string(std::min<size_t>(60, 254 - deep.size() - 1), 'd');
    ASSERT_TRUE(::CreateDirectoryA(deep.c_str(), nullptr) || IsFolder(deep)) << deep;
  }
  ASSERT_EQ(deep.size(), 254u);
  ASSERT_TRUE(::SetCurrentDirectoryA(deep.c_str()));

  m_dialog.WriteMiniDump(kNotepadId, "notepad.exe");

  EXPECT_EQ(Log(), kLogStart + SystemText(ERROR_FILENAME_EXCED_RANGE));
  EXPECT_EQ(fake::CountCalls("CreateDirectoryA"), 0);
  EXPECT_THAT(FilesIn(deep), IsEmpty());
  ::SetCurrentDirectoryA(m_folder.c_str());
}

TEST_F(MinidumpWriterTest, FolderWhoseTemporaryNamesTheirBufferCannotHoldIsReportedAsAPathTooLong) {
  // Far fewer than MAX_PATH characters, but three bytes each: "\dumps" fits,
  // the temporary name after it would pass MAX_PATH bytes.
  std::string deep = m_folder;
  while (deep.size() < 242) {
    std::string part;
    for (size_t i = 0; i < std::min<size_t>(20, (253 - deep.size() - 1) / 3); ++i) part += "数";
    deep += "\\" + part;
    ASSERT_TRUE(::CreateDirectoryA(deep.c_str(), nullptr)) << deep;
  }
  ASSERT_TRUE(::SetCurrentDirectoryA(deep.c_str()));

  m_dialog.WriteMiniDump(kNotepadId, "notepad.exe");

  EXPECT_EQ(Log(), kLogStart + SystemText(ERROR_FILENAME_EXCED_RANGE));
  EXPECT_EQ(fake::CountCalls("GetTempFileNameA"), 0);
  EXPECT_THAT(FilesIn(deep + "\\dumps"), IsEmpty());
  EXPECT_TRUE(EverythingClosed());
  ::SetCurrentDirectoryA(m_folder.c_str());
}

TEST_F(MinidumpWriterTest, CurrentDirectoryLongerThanTheBufferIsReportedAsAPathTooLong) {
  fake::Hook().GetCurrentDirectoryA = [](DWORD, LPSTR) -> DWORD { return 300; };

  m_dialog.WriteMiniDump(kNotepadId, "notepad.exe");

  EXPECT_EQ(Log(), kLogStart + SystemText(ERROR_FILENAME_EXCED_RANGE));
  EXPECT_EQ(fake::CountCalls("CreateDirectoryA"), 0);
}

TEST_F(MinidumpWriterTest, CurrentDirectoryOf253CharactersStillGetsItsFolderPath) {
  static const std::string directory = "Z:\\" + std::string(250, 'k');
  fake::Hook().GetCurrentDirectoryA = [](DWORD size, LPSTR buffer) -> DWORD {
    EXPECT_EQ(size, static_cast<DWORD>(MAX_PATH));
    memcpy(buffer, directory.c_str(), directory.size() + 1);
    return static_cast<DWORD>(directory.size());
  };
  fake::FailCall("CreateDirectoryA", ERROR_PATH_NOT_FOUND);

  m_dialog.WriteMiniDump(kNotepadId, "notepad.exe");

  EXPECT_EQ(fake::Calls()[IndexOf("CreateDirectoryA")].detail, directory + "\\dumps");
  EXPECT_EQ(Log(), kLogStart + SystemText(ERROR_PATH_NOT_FOUND));
}

TEST_F(MinidumpWriterTest, DriveRootGivesAFolderPathWithTwoSeparators) {
  fake::Hook().GetCurrentDirectoryA = [](DWORD, LPSTR buffer) -> DWORD {
    memcpy(buffer, "Q:\\", 4);
    return 3;
  };
  fake::FailCall("CreateDirectoryA", ERROR_PATH_NOT_FOUND);

  m_dialog.WriteMiniDump(kNotepadId, "notepad.exe");

  EXPECT_EQ(fake::Calls()[IndexOf("CreateDirectoryA")].detail, "Q:\\\\dumps");
}

}  // namespace
