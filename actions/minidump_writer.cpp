// Create Mini-dump: a normal minidump of the selected process into "dumps".
#include "actions/minidump_writer.h"

#include "actions/minidump_check.h"
#include "actions/private_access.h"
#include "actions/process_identity.h"
#include "actions/volume_security.h"
#include "app/main_dialog.h"
#include "platform/handles.h"
#include "platform/wait_cursor.h"

#include <cstring>
#include <string>
#include <utility>

namespace {

constexpr char kDumpsFolder[] = "\\dumps";
// The longest current directory that leaves room for "\dumps" and its zero.
constexpr DWORD kMaxCurrentDirectory = MAX_PATH - (sizeof(kDumpsFolder) - 1) - 1;
// How often a dump taken under a number that an earlier dump already holds
// asks for another number before it keeps its temporary name.
constexpr int kRenameAttempts = 16;

// The dump's final name: the temporary extension ("tmp") becomes "dmp".
std::string FinalDumpName(const char* temporaryName) {
  std::string name = temporaryName;
  name.replace(name.size() - 3, 3, "dmp");
  return name;
}

// What the temporary-name service puts after the prefix: up to four hex
// digits and ".tmp".
constexpr size_t kNumberAndExtension = 8;

// The dump file's access: writing, and its access list and attributes.
constexpr DWORD kDumpFileAccess = GENERIC_WRITE | WRITE_DAC | FILE_READ_ATTRIBUTES;
// A link put in place of the file is opened as itself, not followed.
constexpr DWORD kDumpFileFlags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;
// What a refused file is reported as: Wine has a text for it too.
constexpr DWORD kNotTheFileMade = ERROR_CANT_ACCESS_FILE;

// A new number for a dump: the system makes the empty file
// "<folder>\<prefix><hex number>.tmp", named in `name`. A name longer than
// `name` holds would come back cut, so it is not asked for. ERROR_SUCCESS, or
// why no file was made.
DWORD NewDumpNumber(const char* folder, const CString& prefix, char (&name)[MAX_PATH]) {
  if (std::strlen(folder) + 1 + prefix.str().size() + kNumberAndExtension >= MAX_PATH) {
    return ERROR_FILENAME_EXCED_RANGE;
  }
  if (sys::GetTempFileNameA(folder, prefix, 0, name) != 0) return ERROR_SUCCESS;
  return sys::GetLastError();
}

// The "dumps" folder under the current directory, made private when
// missing.
bool MakeDumpsFolder(char (&folder)[MAX_PATH], CPrivateAccess& access, DWORD& error) {
  const DWORD length = sys::GetCurrentDirectoryA(MAX_PATH, folder);
  if (length == 0) {
    error = sys::GetLastError();
    return false;
  }
  // A longer directory (or one the buffer could not hold) would leave the
  // folder path cut short.
  if (length > kMaxCurrentDirectory) {
    error = ERROR_FILENAME_EXCED_RANGE;
    return false;
  }
  std::memcpy(folder + length, kDumpsFolder, sizeof(kDumpsFolder));
  // The lists of the folder and of the dump file: without them, no dump.
  if (!access.Make(error)) return false;
  SECURITY_ATTRIBUTES security = access.ForNewFolder();
  if (!sys::CreateDirectoryA(folder, &security)) {
    error = sys::GetLastError();
    if (error != ERROR_ALREADY_EXISTS) return false;
  }
  return true;
}

ProcessHandle OpenRowsProcess(DWORD processId, ULONGLONG listFilledAt, DWORD& error) {
  ProcessHandle process(
      sys::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
  if (!process) {
    error = sys::GetLastError();
    return process;
  }
  // A process that took over the row's ID is not dumped under the row's name.
  // One that has ended but can still be opened passes: the writer then fails,
  // and the start line with the writer's error says so honestly.
  if (!ExistedAt(process.get(), listFilledAt, error)) process.reset();
  return process;
}

// Opens the file the temporary name made and makes it private where its
// drive keeps access lists. Anyone who may write in the folder could have put
// a link to a file elsewhere under the name before it was opened: only a
// plain file with that one name is taken, and another is not touched at all,
// not even its access list; then `foreign` says that what stands under the
// name is not ours.
FileHandle OpenDumpFile(const char* name, const CPrivateAccess& access, DWORD& error,
                        bool& foreign) {
  FileHandle file(sys::CreateFileA(name, kDumpFileAccess, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   kDumpFileFlags, nullptr));
  if (!file) {
    error = sys::GetLastError();
    return file;
  }
  BY_HANDLE_FILE_INFORMATION information{};
  if (!sys::GetFileInformationByHandle(file.get(), &information)) {
    error = sys::GetLastError();
    file.reset();
    return file;
  }
  foreign = (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
            information.nNumberOfLinks != 1;
  if (foreign) {
    error = kNotTheFileMade;
    file.reset();
    return file;
  }
  bool keepsLists = true;
  if (!VolumeKeepsAccessLists(file.get(), name, keepsLists, error)) {
    file.reset();
    return file;
  }
  // A drive without lists (FAT32, exFAT) keeps none; Windows reports a set
  // there as done, Wine fails it.
  if (keepsLists && !access.SetOn(file.get(), error)) file.reset();
  return file;
}

// Writes the dump into `file`, then closes the file and the process and reads
// the dump at `name` in `folder` back.
bool WriteAndCheckDump(ProcessHandle process, DWORD processId, FileHandle file, const char* folder,
                       const char* name, PVOID callbackParam, DWORD& error) {
  MINIDUMP_CALLBACK_INFORMATION callback{};
  callback.CallbackRoutine = MiniDumpIncludeAll;
  callback.CallbackParam = callbackParam;
  const BOOL written = sys::MiniDumpWriteDump(process.get(), processId, file.get(), MiniDumpNormal,
                                              nullptr, nullptr, &callback);
  error = written ? ERROR_SUCCESS : sys::GetLastError();
  file.reset();
  process.reset();
  // A writer that claims success but leaves no usable dump has failed too.
  return written && IsCompleteMinidump(name, folder, error);
}

// Renames the complete dump at `temporaryName` to its dump name. The
// temporary-name service keeps only the temporary names apart, and its
// numbers follow the clock round: an earlier dump may hold this one's, and a
// new number is asked for. False, with the dump left at its temporary name
// (`dumpName` says so), when no rename works.
bool MoveToDumpName(const char* folder, const CString& prefix, const char* temporaryName,
                    std::string& dumpName, DWORD& error) {
  dumpName = FinalDumpName(temporaryName);
  for (int attempt = 1; !sys::MoveFileA(temporaryName, dumpName.c_str()); ++attempt) {
    error = sys::GetLastError();
    char otherName[MAX_PATH] = {};
    // The rename's error is the one reported, not the numbering's.
    if (error != ERROR_ALREADY_EXISTS || attempt > kRenameAttempts ||
        NewDumpNumber(folder, prefix, otherName) != ERROR_SUCCESS) {
      dumpName = temporaryName;
      return false;
    }
    // Only its number is wanted.
    sys::DeleteFileA(otherName);
    dumpName = FinalDumpName(otherName);
  }
  return true;
}

}  // namespace

BOOL CALLBACK MiniDumpIncludeAll(PVOID, const PMINIDUMP_CALLBACK_INPUT, PMINIDUMP_CALLBACK_OUTPUT) {
  return TRUE;
}

CString DumpNameBase(const CString& name) {
  const std::string& text = name.str();
  size_t begin = 0;
  if (text.size() >= 2 && text[1] == ':') begin = 2;
  const size_t separator = text.find_last_of("\\/");
  if (separator != std::string::npos && separator >= begin) begin = separator + 1;
  size_t end = text.rfind('.');
  if (end == std::string::npos || end < begin) end = text.size();
  return CString(text.substr(begin, end - begin));
}

CString DumpNamePrefix(const CString& name) {
  std::string prefix = DumpNameBase(name).str();
  // Bytes of a multi-byte character are 0x80 and above: none is replaced.
  for (char& c : prefix) {
    const auto code = static_cast<unsigned char>(c);
    if (code < 0x20 || std::strchr("\\/:*?\"<>|", c) != nullptr) c = '_';
  }
  return LeadingCharacters(prefix, 3);
}

void CMainDialog::OnCreateMiniDump() {
  const int row = SelectedRow();
  if (row == -1) {
    ShowNoSelectionMessage();
    return;
  }
  const DWORD processId = static_cast<DWORD>(m_processList.GetItemData(row));
  WriteMiniDump(processId, m_processList.GetItemText(row, 1));
}

// The name is the writer's own copy, independent of the row it came from.
// NOLINTNEXTLINE(performance-unnecessary-value-param)
void CMainDialog::WriteMiniDump(DWORD processId, CString name) {  // cppcheck-suppress passedByValue
  DWORD error = ERROR_SUCCESS;
  char folder[MAX_PATH] = {};
  CPrivateAccess access;
  if (!MakeDumpsFolder(folder, access, error)) {
    ReportSystemError(error);
    return;
  }
  ProcessHandle process = OpenRowsProcess(processId, m_listFilledAt, error);
  if (!process) {
    ReportSystemError(error);
    return;
  }

  const CString prefix = DumpNamePrefix(name);
  char temporaryName[MAX_PATH] = {};
  error = NewDumpNumber(folder, prefix, temporaryName);
  if (error != ERROR_SUCCESS) {
    ReportSystemError(error);
    process.reset();
    return;
  }
  bool foreign = false;
  FileHandle file = OpenDumpFile(temporaryName, access, error, foreign);
  if (!file) {
    ReportSystemError(error);
    process.reset();
    // A failed dump leaves no file, not even the empty one the name made;
    // but what now stands under the name is someone else's, and stays.
    if (!foreign) sys::DeleteFileA(temporaryName);
    return;
  }

  AppendOutput("Starting mini dump...\r\n");
  // The window answers nothing until the dump is written and its result logged.
  const CWaitCursor busy;
  if (!WriteAndCheckDump(std::move(process), processId, std::move(file), folder, temporaryName,
                         this, error)) {
    sys::DeleteFileA(temporaryName);
    ReportSystemError(error);
    return;
  }
  std::string dumpName;
  // A dump that keeps its temporary name is complete: the log says where it is.
  if (!MoveToDumpName(folder, prefix, temporaryName, dumpName, error)) ReportSystemError(error);
  AppendOutput(CString("Creating mini dump file: \r\n") + dumpName + "\r\n");
}
