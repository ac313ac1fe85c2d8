// The spy behind platform/system.h for unit tests: see fake_system.h.
#include "tests/support/fake_system.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <set>

namespace fake {
namespace {

struct Script {
  std::string name;
  int callNumber;  // of that name, counted since Reset
  DWORD error;
  std::optional<BOOL> result;
};

struct Failure {
  DWORD error;
  std::optional<BOOL> result;
};

struct Tracked {
  std::string creator;
  int references;
};

struct FakeSnapshot {
  std::vector<FakeProcess> processes;
  size_t next = 0;
};

struct State {
  std::vector<Call> calls;
  std::map<std::string, int> callsByName;
  int seamCalls = 0;
  std::vector<Script> scripts;
  int failNumber = 0;
  DWORD failNumberError = 0;
  Hooks hooks;

  std::map<void*, Tracked> open;
  std::map<void*, std::string> labels;  // kept after release, for readable details
  std::set<void*> lookedUpModules;
  int badCloses = 0;
  std::set<void*> localBuffers;

  bool processTable = false;
  std::vector<FakeProcess> processes;
  std::map<HANDLE, DWORD> fakeProcessHandles;  // open fake process handle -> id
  std::map<HANDLE, std::pair<DWORD, ULONGLONG>> fakeProcessOpened;  // access, creation time
  std::map<HANDLE, FakeSnapshot> fakeSnapshots;
  uintptr_t nextFakeHandle = 0;
  std::set<std::string> removedEntryPoints;
  std::set<std::string> missingModules;  // upper case
  std::optional<DWORD> version;
  std::optional<ULONGLONG> clock;
  std::map<std::string, FARPROC> realEntryPoints;
};

// Never destroyed: owners in static objects (the application's rich-edit
// library) still release through the spy at exit.
State& S() {
  static State* const state = new State;
  return *state;
}

// Synthetic values far from the small numbers Wine uses for real handles.
constexpr uintptr_t kFakeHandleBase = 0x0FA10000;
const HMODULE kFakeKernel32 = reinterpret_cast<HMODULE>(uintptr_t{0x0FA00000});
const HMODULE kFakePsapi = reinterpret_cast<HMODULE>(uintptr_t{0x0FA04000});
const HMODULE kFakeExecutable = reinterpret_cast<HMODULE>(uintptr_t{0x0FA08000});
constexpr DWORD kFakeModuleCount = 3;  // the executable, ntdll, kernel32

// Bookkeeping after a call must not disturb the error the call left.
class KeepLastError {
 public:
  KeepLastError() : m_error(::GetLastError()) {}
  ~KeepLastError() { ::SetLastError(m_error); }
  KeepLastError(const KeepLastError&) = delete;
  KeepLastError& operator=(const KeepLastError&) = delete;

 private:
  DWORD m_error;
};

// --- Text of the call details ------------------------------------------------

std::string Dec(unsigned long long value) {
  return std::to_string(value);
}

std::string Hex(unsigned long long value) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%llx", value);
  return text;
}

std::string Pointer(const void* value) {
  return value ? Hex(reinterpret_cast<uintptr_t>(value)) : "null";
}

std::string Text(LPCSTR value) {
  return value ? value : "null";
}

std::string HandleText(const void* value) {
  if (value == INVALID_HANDLE_VALUE) return "-1";
  const auto label = S().labels.find(const_cast<void*>(value));
  return label != S().labels.end() ? label->second : Pointer(value);
}

std::string Join(std::initializer_list<std::string> parts) {
  std::string text;
  bool first = true;
  for (const std::string& part : parts) {
    if (!first) text += ",";
    text += part;
    first = false;
  }
  return text;
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// By the file name: a module loaded by its full path is the same module.
bool SameModule(LPCSTR name, const char* wanted) {
  if (!name) return false;
  std::string upper = Upper(name);
  upper.erase(0, upper.find_last_of('\\') + 1);
  const std::string base = wanted;
  return upper == base || upper + ".DLL" == base;
}

// --- The part every seam call shares ------------------------------------------

// Records the call, clobbers the last error and tells whether a script makes
// this call fail.
std::optional<Failure> Enter(const char* name, std::string detail) {
  State& s = S();
  s.calls.push_back({name, std::move(detail)});
  const int callNumber = ++s.callsByName[name];
  const int seamNumber = ++s.seamCalls;
  std::optional<Failure> failure;
  const auto script = std::find_if(s.scripts.begin(), s.scripts.end(), [&](const Script& x) {
    return x.name == name && x.callNumber == callNumber;
  });
  if (script != s.scripts.end()) {
    failure = Failure{script->error, script->result};
    s.scripts.erase(script);
  } else if (seamNumber == s.failNumber) {
    const DWORD error = s.failNumberError == kTypicalError ? TypicalError(name) : s.failNumberError;
    failure = Failure{error, std::nullopt};
  }
  ::SetLastError(kClobbered);
  return failure;
}

template <typename T>
T Fail(T value, DWORD error) {
  ::SetLastError(error);
  return value;
}

void Track(void* value, const char* creator, std::string label) {
  KeepLastError keep;
  State& s = S();
  Tracked& tracked = s.open[value];
  tracked.creator = creator;
  ++tracked.references;
  s.labels[value] = std::move(label);
}

// Drops one reference; an unknown value counts as a bad close.
bool Release(void* value) {
  KeepLastError keep;
  State& s = S();
  const auto tracked = s.open.find(value);
  if (tracked == s.open.end()) {
    ++s.badCloses;
    return false;
  }
  if (--tracked->second.references == 0) s.open.erase(tracked);
  return true;
}

HANDLE NewFakeHandle() {
  return reinterpret_cast<HANDLE>(kFakeHandleBase + 4 * ++S().nextFakeHandle);
}

bool IsFakeHandle(const void* value) {
  const auto number = reinterpret_cast<uintptr_t>(value);
  return number > kFakeHandleBase && number <= kFakeHandleBase + 4 * S().nextFakeHandle;
}

const FakeProcess* FindProcess(DWORD id) {
  const State& s = S();
  if (!s.processTable) return nullptr;
  for (const FakeProcess& process : s.processes) {
    if (process.id == id) return &process;
  }
  return nullptr;
}

// The table process behind a fake process handle, or null when it has ended.
const FakeProcess* ProcessOfHandle(HANDLE process) {
  const auto handle = S().fakeProcessHandles.find(process);
  return handle != S().fakeProcessHandles.end() ? FindProcess(handle->second) : nullptr;
}

DWORD CopyName(const std::string& name, LPSTR buffer, DWORD size) {
  if (size == 0) return Fail<DWORD>(0, ERROR_INSUFFICIENT_BUFFER);
  const DWORD length = static_cast<DWORD>(std::min<size_t>(name.size(), size - 1));
  std::memcpy(buffer, name.data(), length);
  buffer[length] = '\0';
  return length;
}

// The real entry point that GetProcAddress found for one of the spy's own.
template <typename Function>
Function RealEntryPoint(const char* name) {
  FARPROC address = S().realEntryPoints[name];
  if (!address) {
    const HMODULE kernel = ::GetModuleHandleA("KERNEL32.DLL");
    address = ::GetProcAddress(kernel, name);
    if (!address) address = ::GetProcAddress(kernel, (std::string("K32") + name).c_str());
  }
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

}  // namespace

// --- Entry points handed out by GetProcAddress ---------------------------------

namespace {

HANDLE WINAPI SpyCreateToolhelp32Snapshot(DWORD flags, DWORD processId) {
  if (auto failure = Enter("CreateToolhelp32Snapshot", Join({Hex(flags), Dec(processId)}))) {
    return Fail(INVALID_HANDLE_VALUE, failure->error);
  }
  HANDLE snapshot;
  if (auto hook = S().hooks.CreateToolhelp32Snapshot) {
    snapshot = hook(flags, processId);
  } else if (S().processTable) {
    snapshot = NewFakeHandle();
    S().fakeSnapshots[snapshot] = FakeSnapshot{S().processes, 0};
  } else {
    snapshot = RealEntryPoint<decltype(&::CreateToolhelp32Snapshot)>("CreateToolhelp32Snapshot")(
        flags, processId);
  }
  if (snapshot != INVALID_HANDLE_VALUE && snapshot) {
    Track(snapshot, "CreateToolhelp32Snapshot", "snapshot");
  }
  return snapshot;
}

BOOL NextFakeEntry(HANDLE snapshot, PROCESSENTRY32* entry, bool first) {
  const auto found = S().fakeSnapshots.find(snapshot);
  if (found == S().fakeSnapshots.end()) return Fail(FALSE, ERROR_INVALID_HANDLE);
  if (entry->dwSize != sizeof(PROCESSENTRY32)) return Fail(FALSE, ERROR_BAD_LENGTH);
  FakeSnapshot& walk = found->second;
  if (first) walk.next = 0;
  if (walk.next >= walk.processes.size()) return Fail(FALSE, ERROR_NO_MORE_FILES);
  const FakeProcess& process = walk.processes[walk.next++];
  const DWORD size = entry->dwSize;
  std::memset(entry, 0, sizeof *entry);
  entry->dwSize = size;
  entry->th32ProcessID = process.id;
  entry->cntThreads = process.threads;
  entry->pcPriClassBase = 8;
  CopyName(process.exeName, entry->szExeFile, MAX_PATH);
  return TRUE;
}

std::string EntryDetail(HANDLE snapshot, const PROCESSENTRY32* entry) {
  return Join({HandleText(snapshot), entry ? Dec(entry->dwSize) : "null"});
}

BOOL WINAPI SpyProcess32First(HANDLE snapshot, PROCESSENTRY32* entry) {
  if (auto failure = Enter("Process32First", EntryDetail(snapshot, entry))) {
    return Fail(FALSE, failure->error);
  }
  if (auto hook = S().hooks.Process32First) return hook(snapshot, entry);
  if (IsFakeHandle(snapshot)) return NextFakeEntry(snapshot, entry, true);
  return RealEntryPoint<decltype(&::Process32First)>("Process32First")(snapshot, entry);
}

BOOL WINAPI SpyProcess32Next(HANDLE snapshot, PROCESSENTRY32* entry) {
  if (auto failure = Enter("Process32Next", EntryDetail(snapshot, entry))) {
    return Fail(FALSE, failure->error);
  }
  if (auto hook = S().hooks.Process32Next) return hook(snapshot, entry);
  if (IsFakeHandle(snapshot)) return NextFakeEntry(snapshot, entry, false);
  return RealEntryPoint<decltype(&::Process32Next)>("Process32Next")(snapshot, entry);
}

BOOL WINAPI SpyEnumProcesses(DWORD* ids, DWORD bytes, DWORD* bytesFilled) {
  if (auto failure = Enter("EnumProcesses", Dec(bytes))) return Fail(FALSE, failure->error);
  if (auto hook = S().hooks.EnumProcesses) return hook(ids, bytes, bytesFilled);
  if (!S().processTable) {
    return RealEntryPoint<BOOL(WINAPI*)(DWORD*, DWORD, DWORD*)>("EnumProcesses")(ids, bytes,
                                                                                 bytesFilled);
  }
  const auto& processes = S().processes;
  const size_t count = std::min<size_t>(processes.size(), bytes / sizeof(DWORD));
  for (size_t i = 0; i < count; ++i) ids[i] = processes[i].id;
  *bytesFilled = static_cast<DWORD>(count * sizeof(DWORD));
  return TRUE;
}

BOOL WINAPI SpyEnumProcessModules(HANDLE process, HMODULE* modules, DWORD bytes,
                                  DWORD* bytesNeeded) {
  if (auto failure = Enter("EnumProcessModules", Join({HandleText(process), Dec(bytes)}))) {
    return Fail(FALSE, failure->error);
  }
  if (auto hook = S().hooks.EnumProcessModules) return hook(process, modules, bytes, bytesNeeded);
  if (!IsFakeHandle(process)) {
    return RealEntryPoint<BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*)>("EnumProcessModules")(
        process, modules, bytes, bytesNeeded);
  }
  const FakeProcess* found = ProcessOfHandle(process);
  if (!found || !found->canListModules) return Fail(FALSE, ERROR_PARTIAL_COPY);
  const DWORD fit = std::min<DWORD>(kFakeModuleCount, bytes / sizeof(HMODULE));
  for (DWORD i = 0; i < fit; ++i) {
    modules[i] = reinterpret_cast<HMODULE>(reinterpret_cast<uintptr_t>(kFakeExecutable) + i);
  }
  *bytesNeeded = kFakeModuleCount * sizeof(HMODULE);
  return TRUE;
}

DWORD WINAPI SpyGetModuleBaseNameA(HANDLE process, HMODULE module, LPSTR name, DWORD size) {
  if (auto failure = Enter("GetModuleBaseNameA", Join({HandleText(process), Dec(size)}))) {
    return Fail<DWORD>(0, failure->error);
  }
  if (auto hook = S().hooks.GetModuleBaseNameA) return hook(process, module, name, size);
  if (!IsFakeHandle(process)) {
    return RealEntryPoint<DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD)>("GetModuleBaseNameA")(
        process, module, name, size);
  }
  const FakeProcess* found = ProcessOfHandle(process);
  if (!found || !found->canReadName) return Fail<DWORD>(0, ERROR_PARTIAL_COPY);
  return CopyName(found->exeName, name, size);
}

DWORD WINAPI SpyGetModuleFileNameExA(HANDLE process, HMODULE module, LPSTR name, DWORD size) {
  if (auto failure = Enter("GetModuleFileNameExA", Join({HandleText(process), Dec(size)}))) {
    return Fail<DWORD>(0, failure->error);
  }
  if (auto hook = S().hooks.GetModuleFileNameExA) return hook(process, module, name, size);
  if (!IsFakeHandle(process)) {
    return RealEntryPoint<DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD)>("GetModuleFileNameExA")(
        process, module, name, size);
  }
  const FakeProcess* found = ProcessOfHandle(process);
  if (!found || !found->canReadName) return Fail<DWORD>(0, ERROR_PARTIAL_COPY);
  return CopyName("C:\\Fake\\" + found->exeName, name, size);
}

UINT WINAPI SpyGetDpiForWindow(HWND window) {
  if (auto failure = Enter("GetDpiForWindow", HandleText(window))) {
    return Fail<UINT>(0, failure->error);
  }
  if (auto hook = S().hooks.GetDpiForWindow) return hook(window);
  return RealEntryPoint<UINT(WINAPI*)(HWND)>("GetDpiForWindow")(window);
}

BOOL WINAPI SpyGetVolumeInformationByHandleW(HANDLE file, LPWSTR name, DWORD nameSize,
                                             LPDWORD serialNumber, LPDWORD maxComponentLength,
                                             LPDWORD flags, LPWSTR fileSystem,
                                             DWORD fileSystemSize) {
  if (auto failure = Enter("GetVolumeInformationByHandleW", HandleText(file))) {
    return Fail(FALSE, failure->error);
  }
  if (auto hook = S().hooks.GetVolumeInformationByHandleW) {
    return hook(file, name, nameSize, serialNumber, maxComponentLength, flags, fileSystem,
                fileSystemSize);
  }
  return RealEntryPoint<decltype(&::GetVolumeInformationByHandleW)>(
      "GetVolumeInformationByHandleW")(file, name, nameSize, serialNumber, maxComponentLength,
                                       flags, fileSystem, fileSystemSize);
}

template <typename Function>
FARPROC EntryPoint(Function function) {
  return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

// The spy's own entry points, by the module that exports them.
struct SpyEntryPoint {
  const char* name;
  HMODULE fakeModule;
  FARPROC address;
};

const std::vector<SpyEntryPoint>& SpyEntryPoints() {
  static const std::vector<SpyEntryPoint> entries = {
      {"CreateToolhelp32Snapshot", kFakeKernel32, EntryPoint(&SpyCreateToolhelp32Snapshot)},
      {"Process32First", kFakeKernel32, EntryPoint(&SpyProcess32First)},
      {"Process32Next", kFakeKernel32, EntryPoint(&SpyProcess32Next)},
      {"EnumProcesses", kFakePsapi, EntryPoint(&SpyEnumProcesses)},
      {"EnumProcessModules", kFakePsapi, EntryPoint(&SpyEnumProcessModules)},
      {"GetModuleBaseNameA", kFakePsapi, EntryPoint(&SpyGetModuleBaseNameA)},
      {"GetModuleFileNameExA", kFakePsapi, EntryPoint(&SpyGetModuleFileNameExA)},
      {"GetDpiForWindow", nullptr, EntryPoint(&SpyGetDpiForWindow)},
      {"GetVolumeInformationByHandleW", kFakeKernel32,
       EntryPoint(&SpyGetVolumeInformationByHandleW)},
  };
  return entries;
}

}  // namespace

// --- Test interface --------------------------------------------------------------

const std::vector<Call>& Calls() {
  return S().calls;
}

int CountCalls(const char* name) {
  const auto found = S().callsByName.find(name);
  return found != S().callsByName.end() ? found->second : 0;
}

std::vector<std::string> CallNames() {
  std::vector<std::string> names;
  for (const Call& call : S().calls) names.push_back(call.name);
  return names;
}

std::string LastDetail(const char* name) {
  const auto& calls = S().calls;
  const auto last = std::find_if(calls.rbegin(), calls.rend(),
                                 [&](const Call& call) { return call.name == name; });
  return last != calls.rend() ? last->detail : "";
}

int SeamCallCount() {
  return S().seamCalls;
}

void FailCall(const char* name, DWORD error, int occurrence) {
  S().scripts.push_back({name, CountCalls(name) + occurrence, error, std::nullopt});
}

void FailCallNumber(int k, DWORD error) {
  S().failNumber = k;
  S().failNumberError = error;
}

void ScriptAdjustTokenPrivileges(BOOL result, DWORD error, int occurrence) {
  const char* name = "AdjustTokenPrivileges";
  S().scripts.push_back({name, CountCalls(name) + occurrence, error, result});
}

DWORD TypicalError(const char* name) {
  static const std::map<std::string, DWORD> errors = {
      {"OpenProcess", ERROR_ACCESS_DENIED},
      {"TerminateProcess", ERROR_ACCESS_DENIED},
      {"CloseHandle", ERROR_INVALID_HANDLE},
      {"GetCurrentProcess", 0},
      {"GetProcessTimes", ERROR_ACCESS_DENIED},
      {"GetSystemTimeAsFileTime", 0},
      {"OpenProcessToken", ERROR_ACCESS_DENIED},
      {"LookupPrivilegeValueA", ERROR_NO_SUCH_PRIVILEGE},
      {"AdjustTokenPrivileges", ERROR_NOT_ALL_ASSIGNED},
      {"GetTokenInformation", ERROR_INSUFFICIENT_BUFFER},
      {"ConvertSidToStringSidA", ERROR_NOT_ENOUGH_MEMORY},
      {"ConvertStringSecurityDescriptorToSecurityDescriptorA", ERROR_NOT_ENOUGH_MEMORY},
      {"GetSecurityDescriptorDacl", ERROR_INVALID_SECURITY_DESCR},
      {"SetSecurityInfo", ERROR_ACCESS_DENIED},
      {"GetVersion", 0},
      {"GetSystemDirectoryA", ERROR_NOT_ENOUGH_MEMORY},
      {"LoadLibraryA", ERROR_MOD_NOT_FOUND},
      {"GetModuleHandleA", ERROR_MOD_NOT_FOUND},
      {"GetProcAddress", ERROR_PROC_NOT_FOUND},
      {"FreeLibrary", ERROR_INVALID_HANDLE},
      {"GetCurrentDirectoryA", ERROR_FILE_NOT_FOUND},
      {"CreateDirectoryA", ERROR_PATH_NOT_FOUND},
      {"GetTempFileNameA", ERROR_PATH_NOT_FOUND},
      {"CreateFileA", ERROR_SHARING_VIOLATION},
      {"ReadFile", ERROR_INVALID_HANDLE},
      {"GetFileSizeEx", ERROR_INVALID_HANDLE},
      {"GetFileInformationByHandle", ERROR_INVALID_FUNCTION},
      {"GetDiskFreeSpaceExA", ERROR_NOT_READY},
      {"GetVolumePathNameA", ERROR_FILENAME_EXCED_RANGE},
      {"GetVolumeInformationA", ERROR_NOT_READY},
      {"GetVolumeInformationByHandleW", ERROR_INVALID_FUNCTION},
      {"MoveFileA", ERROR_ALREADY_EXISTS},
      {"DeleteFileA", ERROR_ACCESS_DENIED},
      {"GetLastError", 0},
      {"FormatMessageA", ERROR_MR_MID_NOT_FOUND},
      {"LocalFree", ERROR_INVALID_HANDLE},
      {"MiniDumpWriteDump", ERROR_PARTIAL_COPY},
      {"ShellExecuteExA", ERROR_FILE_NOT_FOUND},
      {"LoadCursorA", ERROR_RESOURCE_NAME_NOT_FOUND},
      {"SetCursor", 0},
      {"GetDC", ERROR_NOT_ENOUGH_MEMORY},
      {"ReleaseDC", ERROR_INVALID_HANDLE},
      {"GetDeviceCaps", ERROR_INVALID_HANDLE},
      {"CreateToolhelp32Snapshot", ERROR_NOT_ENOUGH_MEMORY},
      {"Process32First", ERROR_NO_MORE_FILES},
      {"Process32Next", ERROR_NO_MORE_FILES},
      {"EnumProcesses", ERROR_ACCESS_DENIED},
      {"EnumProcessModules", ERROR_PARTIAL_COPY},
      {"GetModuleBaseNameA", ERROR_PARTIAL_COPY},
      {"GetModuleFileNameExA", ERROR_PARTIAL_COPY},
      {"GetDpiForWindow", ERROR_INVALID_WINDOW_HANDLE},
  };
  const auto found = errors.find(name);
  return found != errors.end() ? found->second : ERROR_GEN_FAILURE;
}

Hooks& Hook() {
  return S().hooks;
}

std::vector<OpenHandle> OpenHandles() {
  std::vector<OpenHandle> handles;
  for (const auto& [value, tracked] : S().open) {
    for (int i = 0; i < tracked.references; ++i) {
      handles.push_back({value, tracked.creator, HandleText(value)});
    }
  }
  return handles;
}

int BadCloses() {
  return S().badCloses;
}

int OutstandingLocalBuffers() {
  return static_cast<int>(S().localBuffers.size());
}

void SetProcesses(std::vector<FakeProcess> processes) {
  S().processTable = true;
  S().processes = std::move(processes);
}

void RemoveEntryPoint(const char* name) {
  S().removedEntryPoints.insert(name);
}

void SetModuleMissing(const char* name) {
  S().missingModules.insert(Upper(name));
}

void SetVersion(DWORD version) {
  S().version = version;
}

void SetClock(ULONGLONG now) {
  S().clock = now;
}

void Reset() {
  S() = State{};
}

}  // namespace fake

// --- The seam ----------------------------------------------------------------------

using fake::Dec;
using fake::Enter;
using fake::Fail;
using fake::HandleText;
using fake::Hex;
using fake::Join;
using fake::Pointer;
using fake::S;
using fake::Text;
using fake::Track;

namespace sys {

// Processes

HANDLE OpenProcess(DWORD access, BOOL inherit, DWORD processId) {
  if (auto failure = Enter("OpenProcess", Join({Hex(access), Dec(inherit), Dec(processId)}))) {
    return Fail<HANDLE>(nullptr, failure->error);
  }
  HANDLE process;
  if (auto hook = S().hooks.OpenProcess) {
    process = hook(access, inherit, processId);
  } else if (const fake::FakeProcess* found = fake::FindProcess(processId)) {
    if (!found->canOpen) return Fail<HANDLE>(nullptr, ERROR_ACCESS_DENIED);
    process = fake::NewFakeHandle();
    S().fakeProcessHandles[process] = processId;
    S().fakeProcessOpened[process] = {access, found->created};
  } else {
    process = ::OpenProcess(access, inherit, processId);
  }
  if (process) Track(process, "OpenProcess", "process:" + Dec(processId));
  return process;
}

BOOL TerminateProcess(HANDLE process, UINT exitCode) {
  if (auto failure = Enter("TerminateProcess", Join({HandleText(process), Dec(exitCode)}))) {
    return Fail(FALSE, failure->error);
  }
  if (auto hook = S().hooks.TerminateProcess) return hook(process, exitCode);
  if (!fake::IsFakeHandle(process)) return ::TerminateProcess(process, exitCode);
  const fake::FakeProcess* found = fake::ProcessOfHandle(process);
  if (!found) return Fail(FALSE, ERROR_ACCESS_DENIED);
  auto& processes = S().processes;
  processes.erase(processes.begin() + (found - processes.data()));
  return TRUE;
}

BOOL CloseHandle(HANDLE handle) {
  if (auto failure = Enter("CloseHandle", HandleText(handle))) return Fail(FALSE, failure->error);
  const bool known = fake::Release(handle);
  if (auto hook = S().hooks.CloseHandle) return hook(handle);
  if (fake::IsFakeHandle(handle)) {
    S().fakeProcessHandles.erase(handle);
    S().fakeProcessOpened.erase(handle);
    S().fakeSnapshots.erase(handle);
    return known ? TRUE : Fail(FALSE, ERROR_INVALID_HANDLE);
  }
  return ::CloseHandle(handle);
}

HANDLE GetCurrentProcess() {
  Enter("GetCurrentProcess", "");  // cannot fail
  if (auto hook = S().hooks.GetCurrentProcess) return hook();
  return ::GetCurrentProcess();
}

namespace {
void SetFileTime(LPFILETIME time, ULONGLONG value) {
  time->dwLowDateTime = static_cast<DWORD>(value);
  time->dwHighDateTime = static_cast<DWORD>(value >> 32);
}
}  // namespace

BOOL GetProcessTimes(HANDLE process, LPFILETIME creation, LPFILETIME exit, LPFILETIME kernel,
                     LPFILETIME user) {
  if (auto failure = Enter("GetProcessTimes", HandleText(process))) {
    return Fail(FALSE, failure->error);
  }
  if (auto hook = S().hooks.GetProcessTimes) return hook(process, creation, exit, kernel, user);
  const auto opened = S().fakeProcessOpened.find(process);
  if (opened == S().fakeProcessOpened.end()) {
    return ::GetProcessTimes(process, creation, exit, kernel, user);
  }
  const DWORD access = opened->second.first;
  if (!(access & (PROCESS_QUERY_INFORMATION | PROCESS_QUERY_LIMITED_INFORMATION))) {
    return Fail(FALSE, ERROR_ACCESS_DENIED);
  }
  SetFileTime(creation, opened->second.second);
  SetFileTime(exit, 0);
  SetFileTime(kernel, 0);
  SetFileTime(user, 0);
  return TRUE;
}

// The clock

void GetSystemTimeAsFileTime(LPFILETIME now) {
  Enter("GetSystemTimeAsFileTime", "");  // cannot fail
  if (auto hook = S().hooks.GetSystemTimeAsFileTime) return hook(now);
  if (S().clock) return SetFileTime(now, *S().clock);
  ::GetSystemTimeAsFileTime(now);
}

// Access token and privileges

BOOL OpenProcessToken(HANDLE process, DWORD access, PHANDLE token) {
  if (auto failure = Enter("OpenProcessToken", Join({HandleText(process), Hex(access)}))) {
    return Fail(FALSE, failure->error);
  }
  const auto hook = S().hooks.OpenProcessToken;
  const BOOL opened =
      hook ? hook(process, access, token) : ::OpenProcessToken(process, access, token);
  if (opened && token && *token) Track(*token, "OpenProcessToken", "token");
  return opened;
}

BOOL LookupPrivilegeValueA(LPCSTR systemName, LPCSTR name, PLUID luid) {
  if (auto failure = Enter("LookupPrivilegeValueA", Join({Text(systemName), Text(name)}))) {
    return Fail(FALSE, failure->error);
  }
  if (auto hook = S().hooks.LookupPrivilegeValueA) return hook(systemName, name, luid);
  return ::LookupPrivilegeValueA(systemName, name, luid);
}

namespace {
std::string PrivilegesText(const TOKEN_PRIVILEGES* privileges) {
  if (!privileges) return "null";
  std::string text = Dec(privileges->PrivilegeCount);
  for (DWORD i = 0; i < privileges->PrivilegeCount && i < ANYSIZE_ARRAY; ++i) {
    text += ":" + Hex(privileges->Privileges[i].Attributes);
  }
  return text;
}
}  // namespace

BOOL AdjustTokenPrivileges(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES newState,
                           DWORD bufferLength, PTOKEN_PRIVILEGES previousState,
                           PDWORD returnLength) {
  const std::string detail =
      Join({HandleText(token), Dec(disableAll), PrivilegesText(newState), Dec(bufferLength),
            previousState ? "prev" : "null", returnLength ? "len" : "null"});
  if (auto failure = Enter("AdjustTokenPrivileges", detail)) {
    // The real call succeeds but leaves ERROR_NOT_ALL_ASSIGNED when the token
    // lacks a privilege; it then reports no previous state.
    if (previousState && bufferLength >= sizeof(DWORD)) previousState->PrivilegeCount = 0;
    if (returnLength) *returnLength = offsetof(TOKEN_PRIVILEGES, Privileges);
    const BOOL result = failure->result.value_or(failure->error == ERROR_NOT_ALL_ASSIGNED);
    return Fail(result, failure->error);
  }
  if (auto hook = S().hooks.AdjustTokenPrivileges) {
    return hook(token, disableAll, newState, bufferLength, previousState, returnLength);
  }
  return ::AdjustTokenPrivileges(token, disableAll, newState, bufferLength, previousState,
                                 returnLength);
}

BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS type, LPVOID information,
                         DWORD length, PDWORD returnLength) {
  if (auto failure =
          Enter("GetTokenInformation",
                Join({HandleText(token), Dec(static_cast<unsigned>(type)), Dec(length)}))) {
    return Fail(FALSE, failure->error);
  }
  if (auto hook = S().hooks.GetTokenInformation) {
    return hook(token, type, information, length, returnLength);
  }
  return ::GetTokenInformation(token, type, information, length, returnLength);
}

// Security descriptors and access lists

namespace {
// What a converter allocated is the caller's to LocalFree.
void TrackLocalBuffer(void* buffer) {
  fake::KeepLastError keep;
  if (buffer) S().localBuffers.insert(buffer);
}
}  // namespace

BOOL ConvertSidToStringSidA(PSID sid, LPSTR* text) {
  if (auto failure = Enter("ConvertSidToStringSidA", "")) return Fail(FALSE, failure->error);
  const auto hook = S().hooks.ConvertSidToStringSidA;
  const BOOL converted = hook ? hook(sid, text) : ::ConvertSidToStringSidA(sid, text);
  if (converted && text) TrackLocalBuffer(*text);
  return converted;
}

BOOL ConvertStringSecurityDescriptorToSecurityDescriptorA(LPCSTR text, DWORD revision,
                                                          PSECURITY_DESCRIPTOR* descriptor,
                                                          PULONG size) {
  if (auto failure = Enter("ConvertStringSecurityDescriptorToSecurityDescriptorA",
                           Join({Text(text), Dec(revision)}))) {
    return Fail(FALSE, failure->error);
  }
  const auto hook = S().hooks.ConvertStringSecurityDescriptorToSecurityDescriptorA;
  const BOOL converted = hook ? hook(text, revision, descriptor, size)
                              : ::ConvertStringSecurityDescriptorToSecurityDescriptorA(
                                    text, revision, descriptor, size);
  if (converted && descriptor) TrackLocalBuffer(*descriptor);
  return converted;
}

BOOL GetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, LPBOOL present, PACL* dacl,
                               LPBOOL defaulted) {
  if (auto failure = Enter("GetSecurityDescriptorDacl", Pointer(descriptor))) {
    return Fail(FALSE, failure->error);
  }
  if (auto hook = S().hooks.GetSecurityDescriptorDacl) {
    return hook(descriptor, present, dacl, defaulted);
  }
  return ::GetSecurityDescriptorDacl(descriptor, present, dacl, defaulted);
}

DWORD SetSecurityInfo(HANDLE handle, SE_OBJECT_TYPE type, SECURITY_INFORMATION information,
                      PSID owner, PSID group, PACL dacl, PACL sacl) {
  const std::string detail =
      Join({HandleText(handle), Dec(static_cast<unsigned>(type)), Hex(information)});
  if (auto failure = Enter("SetSecurityInfo", detail)) {
    return Fail<DWORD>(failure->error, failure->error);
  }
  if (auto hook = S().hooks.SetSecurityInfo) {
    return hook(handle, type, information, owner, group, dacl, sacl);
  }
  return ::SetSecurityInfo(handle, type, information, owner, group, dacl, sacl);
}

// Platform version and libraries looked up by name

DWORD GetVersion() {
  Enter("GetVersion", "");  // cannot fail
  if (auto hook = S().hooks.GetVersion) return hook();
  if (S().version) return *S().version;
  return ::GetVersion();
}

namespace {
bool IsMissing(LPCSTR name) {
  for (const std::string& missing : S().missingModules) {
    if (fake::SameModule(name, missing.c_str())) return true;
  }
  return false;
}
}  // namespace

UINT GetSystemDirectoryA(LPSTR buffer, UINT size) {
  if (auto failure = Enter("GetSystemDirectoryA", Dec(size))) return Fail<UINT>(0, failure->error);
  if (auto hook = S().hooks.GetSystemDirectoryA) return hook(buffer, size);
  return ::GetSystemDirectoryA(buffer, size);
}

HMODULE LoadLibraryA(LPCSTR name) {
  if (auto failure = Enter("LoadLibraryA", Text(name)))
    return Fail<HMODULE>(nullptr, failure->error);
  HMODULE module;
  if (auto hook = S().hooks.LoadLibraryA) {
    module = hook(name);
  } else if (IsMissing(name)) {
    return Fail<HMODULE>(nullptr, ERROR_MOD_NOT_FOUND);
  } else if (S().processTable && fake::SameModule(name, "PSAPI.DLL")) {
    module = fake::kFakePsapi;
  } else {
    module = ::LoadLibraryA(name);
  }
  if (module) Track(module, "LoadLibraryA", "module:" + Text(name));
  return module;
}

HMODULE GetModuleHandleA(LPCSTR name) {
  if (auto failure = Enter("GetModuleHandleA", Text(name))) {
    return Fail<HMODULE>(nullptr, failure->error);
  }
  HMODULE module;
  if (auto hook = S().hooks.GetModuleHandleA) {
    module = hook(name);
  } else if (IsMissing(name)) {
    return Fail<HMODULE>(nullptr, ERROR_MOD_NOT_FOUND);
  } else if (S().processTable && fake::SameModule(name, "KERNEL32.DLL")) {
    module = fake::kFakeKernel32;
  } else {
    module = ::GetModuleHandleA(name);
  }
  if (module) {
    fake::KeepLastError keep;
    S().lookedUpModules.insert(module);
    if (!S().labels.count(module)) S().labels[module] = "module:" + Text(name);
  }
  return module;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
  const bool byOrdinal = IS_INTRESOURCE(name);
  const std::string entry = byOrdinal ? "#" + Dec(reinterpret_cast<uintptr_t>(name)) : name;
  if (auto failure = Enter("GetProcAddress", Join({HandleText(module), entry}))) {
    return Fail<FARPROC>(nullptr, failure->error);
  }
  if (S().removedEntryPoints.count(entry)) return Fail<FARPROC>(nullptr, ERROR_PROC_NOT_FOUND);
  if (auto hook = S().hooks.GetProcAddress) return hook(module, name);
  const fake::SpyEntryPoint* spy = nullptr;
  for (const fake::SpyEntryPoint& candidate : fake::SpyEntryPoints()) {
    if (!byOrdinal && entry == candidate.name) spy = &candidate;
  }
  if (module == fake::kFakeKernel32 || module == fake::kFakePsapi) {
    if (!spy || spy->fakeModule != module) return Fail<FARPROC>(nullptr, ERROR_PROC_NOT_FOUND);
    return spy->address;
  }
  const FARPROC real = ::GetProcAddress(module, name);
  if (!real || !spy) return real;
  fake::KeepLastError keep;
  S().realEntryPoints[spy->name] = real;
  return spy->address;
}

BOOL FreeLibrary(HMODULE module) {
  if (auto failure = Enter("FreeLibrary", HandleText(module))) return Fail(FALSE, failure->error);
  const bool lookedUpOnly = !S().open.count(module) && S().lookedUpModules.count(module);
  const bool known = fake::Release(module);
  if (auto hook = S().hooks.FreeLibrary) return hook(module);
  // Releasing a module that was only looked up would unload it under its
  // other users: count it, and do not pass it on.
  if (lookedUpOnly) return TRUE;
  if (!known) return Fail(FALSE, ERROR_INVALID_HANDLE);
  if (module == fake::kFakePsapi) return TRUE;
  return ::FreeLibrary(module);
}

// Folders and files

DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer) {
  if (auto failure = Enter("GetCurrentDirectoryA", Dec(size)))
    return Fail<DWORD>(0, failure->error);
  if (auto hook = S().hooks.GetCurrentDirectoryA) return hook(size, buffer);
  return ::GetCurrentDirectoryA(size, buffer);
}

BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES security) {
  if (auto failure = Enter("CreateDirectoryA", Text(path))) return Fail(FALSE, failure->error);
  if (auto hook = S().hooks.CreateDirectoryA) return hook(path, security);
  return ::CreateDirectoryA(path, security);
}

UINT GetTempFileNameA(LPCSTR folder, LPCSTR prefix, UINT unique, LPSTR buffer) {
  if (auto failure = Enter("GetTempFileNameA", Join({Text(folder), Text(prefix), Dec(unique)}))) {
    return Fail<UINT>(0, failure->error);
  }
  if (auto hook = S().hooks.GetTempFileNameA) return hook(folder, prefix, unique, buffer);
  return ::GetTempFileNameA(folder, prefix, unique, buffer);
}

HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                   DWORD disposition, DWORD attributes, HANDLE templateFile) {
  const std::string detail =
      Join({Text(path), Hex(access), Dec(share), Dec(disposition), Hex(attributes)});
  if (auto failure = Enter("CreateFileA", detail)) {
    return Fail(INVALID_HANDLE_VALUE, failure->error);
  }
  const auto hook = S().hooks.CreateFileA;
  const HANDLE file =
      hook ? hook(path, access, share, security, disposition, attributes, templateFile)
           : ::CreateFileA(path, access, share, security, disposition, attributes, templateFile);
  if (file != INVALID_HANDLE_VALUE && file) Track(file, "CreateFileA", "file:" + Text(path));
  return file;
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped) {
  if (auto failure = Enter("ReadFile", Join({HandleText(file), Dec(size)}))) {
    if (read) *read = 0;
    return Fail(FALSE, failure->error);
  }
  if (auto hook = S().hooks.ReadFile) return hook(file, buffer, size, read, overlapped);
  return ::ReadFile(file, buffer, size, read, overlapped);
}

BOOL GetFileSizeEx(HANDLE file, PLARGE_INTEGER size) {
  if (auto failure = Enter("GetFileSizeEx", HandleText(file))) return Fail(FALSE, failure->error);
  if (auto hook = S().hooks.GetFileSizeEx) return hook(file, size);
  return ::GetFileSizeEx(file, size);
}

BOOL GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information) {
  if (auto failure = Enter("GetFileInformationByHandle", HandleText(file))) {
    return Fail(FALSE, failure->error);
  }
  if (auto hook = S().hooks.GetFileInformationByHandle) return hook(file, information);
  return ::GetFileInformationByHandle(file, information);
}

BOOL GetDiskFreeSpaceExA(LPCSTR folder, PULARGE_INTEGER available, PULARGE_INTEGER total,
                         PULARGE_INTEGER free) {
  if (auto failure = Enter("GetDiskFreeSpaceExA", Text(folder))) return Fail(FALSE, failure->error);
  if (auto hook = S().hooks.GetDiskFreeSpaceExA) return hook(folder, available, total, free);
  return ::GetDiskFreeSpaceExA(folder, available, total, free);
}

BOOL GetVolumePathNameA(LPCSTR path, LPSTR root, DWORD size) {
  if (auto failure = Enter("GetVolumePathNameA", Join({Text(path), Dec(size)}))) {
    return Fail(FALSE, failure->error);
  }
  if (auto hook = S().hooks.GetVolumePathNameA) return hook(path, root, size);
  return ::GetVolumePathNameA(path, root, size);
}

BOOL GetVolumeInformationA(LPCSTR root, LPSTR name, DWORD nameSize, LPDWORD serialNumber,
                           LPDWORD maxComponentLength, LPDWORD flags, LPSTR fileSystem,
                           DWORD fileSystemSize) {
  if (auto failure = Enter("GetVolumeInformationA", Text(root))) return Fail(FALSE, failure->error);
  if (auto hook = S().hooks.GetVolumeInformationA) {
    return hook(root, name, nameSize, serialNumber, maxComponentLength, flags, fileSystem,
                fileSystemSize);
  }
  return ::GetVolumeInformationA(root, name, nameSize, serialNumber, maxComponentLength, flags,
                                 fileSystem, fileSystemSize);
}

BOOL MoveFileA(LPCSTR from, LPCSTR to) {
  if (auto failure = Enter("MoveFileA", Join({Text(from), Text(to)}))) {
    return Fail(FALSE, failure->error);
  }
  if (auto hook = S().hooks.MoveFileA) return hook(from, to);
  return ::MoveFileA(from, to);
}

BOOL DeleteFileA(LPCSTR path) {
  if (auto failure = Enter("DeleteFileA", Text(path))) return Fail(FALSE, failure->error);
  if (auto hook = S().hooks.DeleteFileA) return hook(path);
  return ::DeleteFileA(path);
}

// Error codes and their texts

DWORD GetLastError() {
  const auto hook = S().hooks.GetLastError;
  const DWORD error = hook ? hook() : ::GetLastError();
  fake::KeepLastError keep;
  S().calls.push_back({"GetLastError", Dec(error)});
  ++S().callsByName["GetLastError"];
  return error;
}

// Cannot fail, and is no step a fault can be planted in.
void SetLastError(DWORD error) {
  S().calls.push_back({"SetLastError", Dec(error)});
  ++S().callsByName["SetLastError"];
  ::SetLastError(error);
}

DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buffer,
                     DWORD size, va_list* arguments) {
  const bool allocates = (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) != 0;
  if (auto failure = Enter("FormatMessageA", Join({Hex(flags), Dec(messageId), Hex(languageId)}))) {
    if (allocates && buffer) *reinterpret_cast<LPSTR*>(buffer) = nullptr;
    return Fail<DWORD>(0, failure->error);
  }
  const auto hook = S().hooks.FormatMessageA;
  const DWORD length =
      hook ? hook(flags, source, messageId, languageId, buffer, size, arguments)
           : ::FormatMessageA(flags, source, messageId, languageId, buffer, size, arguments);
  if (length && allocates && buffer) {
    fake::KeepLastError keep;
    S().localBuffers.insert(*reinterpret_cast<LPSTR*>(buffer));
  }
  return length;
}

HLOCAL LocalFree(HLOCAL memory) {
  if (auto failure = Enter("LocalFree", Pointer(memory))) return Fail(memory, failure->error);
  bool known = !memory;
  if (memory) {
    fake::KeepLastError keep;
    known = S().localBuffers.erase(memory) > 0;
    if (!known) ++S().badCloses;
  }
  if (auto hook = S().hooks.LocalFree) return hook(memory);
  // Freeing what we did not hand out could corrupt the test's own heap.
  if (!known) return Fail(memory, ERROR_INVALID_HANDLE);
  return ::LocalFree(memory);
}

// The debug-help library's dump writer

BOOL MiniDumpWriteDump(HANDLE process, DWORD processId, HANDLE file, MINIDUMP_TYPE type,
                       PMINIDUMP_EXCEPTION_INFORMATION exception,
                       PMINIDUMP_USER_STREAM_INFORMATION userStreams,
                       PMINIDUMP_CALLBACK_INFORMATION callback) {
  const std::string detail =
      Join({HandleText(process), Dec(processId), HandleText(file), Dec(static_cast<unsigned>(type)),
            callback ? "callback" : "null"});
  if (auto failure = Enter("MiniDumpWriteDump", detail)) return Fail(FALSE, failure->error);
  if (auto hook = S().hooks.MiniDumpWriteDump) {
    return hook(process, processId, file, type, exception, userStreams, callback);
  }
  if (!fake::IsFakeHandle(process)) {
    return ::MiniDumpWriteDump(process, processId, file, type, exception, userStreams, callback);
  }
  if (!fake::ProcessOfHandle(process)) return Fail(FALSE, ERROR_PARTIAL_COPY);
  // A table process has no memory to dump: write a header-sized stand-in.
  char header[32] = {'M', 'D', 'M', 'P'};
  DWORD written = 0;
  return ::WriteFile(file, header, sizeof header, &written, nullptr);
}

// The shell's program launcher

BOOL ShellExecuteExA(SHELLEXECUTEINFOA* info) {
  const std::string detail = Join({Dec(info->cbSize), Hex(info->fMask), Text(info->lpVerb),
                                   Text(info->lpFile), Text(info->lpParameters), Dec(info->nShow)});
  if (auto failure = Enter("ShellExecuteExA", detail)) {
    // The shell's own code for the failure, SE_ERR_NOASSOC for the others.
    const DWORD code = failure->error <= 32 ? failure->error : SE_ERR_NOASSOC;
    info->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(code));
    return Fail(FALSE, failure->error);
  }
  const auto hook = S().hooks.ShellExecuteExA;
  const BOOL started = hook ? hook(info) : ::ShellExecuteExA(info);
  if (started && info->hProcess) {
    fake::KeepLastError keep;
    Track(info->hProcess, "ShellExecuteExA", "process:" + Dec(::GetProcessId(info->hProcess)));
  }
  return started;
}

// The pointer's shape

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
  const std::string id = IS_INTRESOURCE(name) ? Dec(reinterpret_cast<uintptr_t>(name)) : Text(name);
  if (auto failure = Enter("LoadCursorA", Join({Pointer(instance), id}))) {
    return Fail<HCURSOR>(nullptr, failure->error);
  }
  const auto hook = S().hooks.LoadCursorA;
  const HCURSOR cursor = hook ? hook(instance, name) : ::LoadCursorA(instance, name);
  // Shared cursors are never released: named, not tracked.
  if (cursor) {
    fake::KeepLastError keep;
    S().labels[cursor] = "cursor:" + id;
  }
  return cursor;
}

HCURSOR SetCursor(HCURSOR cursor) {
  Enter("SetCursor", HandleText(cursor));  // cannot fail
  if (auto hook = S().hooks.SetCursor) return hook(cursor);
  return ::SetCursor(cursor);
}

// The screen's device context

HDC GetDC(HWND window) {
  if (auto failure = Enter("GetDC", HandleText(window))) return Fail<HDC>(nullptr, failure->error);
  const auto hook = S().hooks.GetDC;
  const HDC dc = hook ? hook(window) : ::GetDC(window);
  if (dc) Track(dc, "GetDC", window ? "dc:" + HandleText(window) : "dc:screen");
  return dc;
}

int ReleaseDC(HWND window, HDC dc) {
  if (auto failure = Enter("ReleaseDC", Join({HandleText(window), HandleText(dc)}))) {
    return Fail(0, failure->error);
  }
  const bool known = fake::Release(dc);
  if (auto hook = S().hooks.ReleaseDC) return hook(window, dc);
  if (!known) return Fail(0, ERROR_INVALID_HANDLE);
  return ::ReleaseDC(window, dc);
}

int GetDeviceCaps(HDC dc, int index) {
  if (auto failure = Enter("GetDeviceCaps", Join({HandleText(dc), Dec(index)}))) {
    return Fail(0, failure->error);
  }
  if (auto hook = S().hooks.GetDeviceCaps) return hook(dc, index);
  return ::GetDeviceCaps(dc, index);
}

}  // namespace sys
