// Filling the process list from the platform's process enumeration.
#include "app/main_dialog.h"

#include "platform/dpi.h"
#include "platform/entry_point.h"
#include "platform/handles.h"
#include "platform/string.h"
#include "platform/window.h"
#include "process/process_list.h"
#include "process/process_status_api.h"

#include <cstring>

int g_nextRow = 0;

namespace {

using CreateToolhelp32SnapshotFunction = HANDLE(WINAPI*)(DWORD flags, DWORD processId);
using Process32Function = BOOL(WINAPI*)(HANDLE snapshot, PROCESSENTRY32* entry);

constexpr DWORD kMaxProcessIds = 1024;
constexpr const char* kLoadError = "Load Error!";
constexpr const char* kNoWalkingApi = "Could not load process walking API.";

BYTE MajorVersion(DWORD version) {
  return LOBYTE(LOWORD(version));
}
BYTE MinorVersion(DWORD version) {
  return HIBYTE(LOWORD(version));
}

CString Decimal(DWORD value) {
  CString text;
  text.Format("%d", static_cast<int>(value));
  return text;
}

// A row: the ID as the first column's text and as the row data, the name,
// and the thread count where the fill knows it.
void AddRow(CListCtrl& list, DWORD processId, const char* name, const DWORD* threads) {
  list.InsertItem(g_nextRow, Decimal(processId));
  list.SetItemText(g_nextRow, 1, name);
  list.SetItem(g_nextRow, 0, LVIF_PARAM, nullptr, 0, 0, 0, static_cast<LPARAM>(processId));
  if (threads) list.SetItemText(g_nextRow, 2, Decimal(*threads));
  ++g_nextRow;
}

// The entry's name. The system cuts one that its buffer cannot hold, without
// the zero when the cut falls at the end: it is then taken up to its last
// whole character.
CString EntryName(const PROCESSENTRY32& entry) {
  const char* name = entry.szExeFile;
  const auto* end = static_cast<const char*>(std::memchr(name, '\0', sizeof(entry.szExeFile)));
  return CString(std::string(name, end ? static_cast<size_t>(end - name)
                                       : WholeCharacterLength(name, sizeof(entry.szExeFile))));
}

}  // namespace

ULONGLONG SystemTimeNow() {
  FILETIME now{};
  sys::GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER value;
  value.LowPart = now.dwLowDateTime;
  value.HighPart = now.dwHighDateTime;
  return value.QuadPart;
}

void CMainDialog::PrepareProcessList() {
  m_processList.SetExtendedStyle(m_processList.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
  // The widths are for 96 DPI: the system scales the dialog and its text, but
  // not the pixels a program sets.
  m_columnDpi = WindowDpi(m_processList.m_hWnd);
  const auto width = [this](int pixels) { return ScaleForDpi(pixels, kDefaultDpi, m_columnDpi); };
  m_processList.InsertColumn(0, "ID", LVCFMT_LEFT, width(50), -1);
  m_processList.InsertColumn(1, "Name", LVCFMT_LEFT, width(180), -1);
  if (MajorVersion(sys::GetVersion()) != 4) {
    m_processList.InsertColumn(2, "Threads", LVCFMT_LEFT, width(70), -1);
  }
}

void CMainDialog::FillProcessList() {
  AddRunningProcesses();
}

void CMainDialog::AddRunningProcesses() {
  m_processList.EnableToolTips(TRUE);

  const DWORD version = sys::GetVersion();
  if (MajorVersion(version) == 4 && MinorVersion(version) == 0) {
    AddProcessesFromIdList();
  } else {
    AddProcessesFromSnapshot();
  }
}

// The process-status path: the IDs, then each process opened for its name.
void CMainDialog::AddProcessesFromIdList() {
  const LoadedLibrary psapi = LoadProcessStatusApi();
  if (!psapi) {
    MessageBox(kLoadError, kNoWalkingApi, MB_OK);
    return;
  }
  DWORD ids[kMaxProcessIds];
  DWORD bytesFilled = 0;
  // Taken before the list's source is read: a process created later, even
  // during the fill, is not a row's own.
  m_listFilledAt = SystemTimeNow();
  if (!g_EnumProcesses(ids, sizeof(ids), &bytesFilled)) return;
  const DWORD count = bytesFilled / sizeof(DWORD);
  const CRedrawSuspension bulkChange(m_processList);
  for (DWORD i = 0; i < count && i < kMaxProcessIds; ++i) AddProcessById(ids[i]);
}

// The snapshot path: the kernel module is already loaded and only looked up.
void CMainDialog::AddProcessesFromSnapshot() {
  const HMODULE kernel = sys::GetModuleHandleA("KERNEL32.DLL");
  if (kernel == nullptr) {
    MessageBox(kLoadError, kNoWalkingApi, MB_OK);
    return;
  }
  const auto createSnapshot =
      EntryPoint<CreateToolhelp32SnapshotFunction>(kernel, "CreateToolhelp32Snapshot");
  const auto firstProcess = EntryPoint<Process32Function>(kernel, "Process32First");
  const auto nextProcess = EntryPoint<Process32Function>(kernel, "Process32Next");
  if (!createSnapshot || !firstProcess || !nextProcess) {
    MessageBox(kLoadError, kNoWalkingApi, MB_OK);
    return;
  }

  m_listFilledAt = SystemTimeNow();
  const SnapshotHandle snapshot(createSnapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) {
    MessageBox(kLoadError, "Could not get Toolhelp32Snapshot.", MB_OK);
    return;
  }

  PROCESSENTRY32 entry;
  std::memset(&entry, 0, sizeof(entry));
  entry.dwSize = sizeof(PROCESSENTRY32);
  if (!firstProcess(snapshot.get(), &entry)) {
    const DWORD error = sys::GetLastError();
    CString caption;
    caption.Format("Error calling Process32First: %i", static_cast<int>(error));
    MessageBox("Error", caption, MB_OK);
    return;
  }

  // Suspended only once nothing can fail: a box shows over a painted list.
  const CRedrawSuspension bulkChange(m_processList);
  do {
    if (entry.th32ProcessID == 0) continue;
    AddRow(m_processList, entry.th32ProcessID, EntryName(entry), &entry.cntThreads);
  } while (nextProcess(snapshot.get(), &entry));
}

void CMainDialog::AddProcessById(DWORD processId) {
  char name[MAX_PATH];
  std::memset(name, 0, sizeof(name));
  std::strcpy(name, "unknown");

  const ProcessHandle process(
      sys::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
  if (!process) return;

  // Room for exactly one module: the first is the executable.
  HMODULE module = nullptr;
  DWORD bytesNeeded = 0;
  if (!g_EnumProcessModules(process.get(), &module, sizeof(HMODULE), &bytesNeeded)) return;
  g_GetModuleBaseNameA(process.get(), module, name, sizeof(name));
  name[sizeof(name) - 1] = '\0';

  // The process-status path knows no thread count.
  AddRow(m_processList, processId, name, nullptr);
}

void CMainDialog::RefreshProcessList() {
  const int rows = m_processList.GetItemCount();
  {
    const CRedrawSuspension bulkChange(m_processList);
    for (int i = 0; i < rows; ++i) m_processList.DeleteItem(0);
  }
  g_nextRow = 0;
  FillProcessList();
}
