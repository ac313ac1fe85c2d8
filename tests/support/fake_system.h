// The spy that unit tests link in place of platform/system_win32.cpp.
//
// By default every sys:: function forwards to the real Win32 call (the tests
// run under Wine, so files, processes and tokens are real). On top of that:
//
// - Every call is recorded in order (Calls(), CountCalls()); GetLastError is
//   recorded too, with the value it returned, but is not a "seam call": it is
//   never counted by SeamCallCount() and can never be made to fail.
// - Last-error discipline: on entry to every function except GetLastError the
//   spy sets the thread's last-error value to kClobbered (0x7E57) before doing
//   anything else. Code that reads the error late, after another seam call,
//   reads 0x7E57 instead of the code of the call that failed.
// - FailCall / FailCallNumber make a chosen call return its failure value with
//   a chosen last-error value, without calling the real function. The failure
//   value is the one the real function gives: null, 0, FALSE or
//   INVALID_HANDLE_VALUE; LocalFree gives back its argument, SetSecurityInfo
//   the error code. GetCurrentProcess,
//   GetVersion, GetSystemTimeAsFileTime and SetCursor cannot fail: a script aimed at them is used
//   up and the call behaves normally. AdjustTokenPrivileges fails with TRUE when the error is
//   ERROR_NOT_ALL_ASSIGNED (1300), as the real call does, and FALSE otherwise;
//   ScriptAdjustTokenPrivileges chooses both.
// - Hook() replaces the real function by a test's own (still recorded, still
//   subject to scripted failures, handles it returns still accounted).
// - Handle accounting: what OpenProcess, OpenProcessToken, CreateFileA,
//   CreateToolhelp32Snapshot, LoadLibraryA, ShellExecuteExA (hProcess) and
//   GetDC produce is tracked until CloseHandle / FreeLibrary / ReleaseDC
//   releases it. Closing an
//   unknown or already closed handle, or releasing a module that
//   GetModuleHandleA only looked up, counts as a bad close. Buffers that
//   FormatMessageA, ConvertSidToStringSidA and
//   ConvertStringSecurityDescriptorToSecurityDescriptorA allocate are tracked
//   until LocalFree.
// - Synthetic processes (SetProcesses): the enumeration, both through
//   "KERNEL32.DLL" and through "PSAPI.DLL", is served from a table, and
//   OpenProcess / TerminateProcess / MiniDumpWriteDump of table processes act
//   on fake handles.
//
// Entry points found by GetProcAddress: for CreateToolhelp32Snapshot,
// Process32First, Process32Next, GetVolumeInformationByHandleW, EnumProcesses,
// EnumProcessModules, GetModuleBaseNameA, GetModuleFileNameExA and
// GetDpiForWindow (where the system has it), GetProcAddress gives the spy's
// own functions (also when no table is set: they then forward to the real
// entry point that was looked up). They are recorded, counted and failable
// under those names like every other seam call.
//
// Detail text of each call (Call::detail): the key arguments joined by ",".
// Numbers are decimal, access masks and flags are hexadecimal ("0x410"),
// null pointers "null". Handles read "process:<id>" for what OpenProcess gave,
// "token", "file:<path>", "snapshot", "module:<name>", "-1" for the
// pseudo-handle of GetCurrentProcess, else the value in hexadecimal.
//
//   OpenProcess            access,inherit,id                 0x410,0,1234
//   TerminateProcess       process,exitCode                  process:1234,0
//   CloseHandle            handle                            process:1234
//   GetCurrentProcess      (empty)
//   GetProcessTimes        process                           process:1234
//   GetSystemTimeAsFileTime (empty)
//   OpenProcessToken       process,access                    -1,0x28
//   LookupPrivilegeValueA  system,name                       null,SeDebugPrivilege
//   AdjustTokenPrivileges  token,disableAll,new state,length,previous,returnLength
//                          new state as count:attributes     token,0,1:0x2,16,prev,len
//   GetTokenInformation    token,class,length                token,1,84
//   ConvertSidToStringSidA (empty)
//   ConvertStringSecurityDescriptorToSecurityDescriptorA
//                          text,revision                     D:P(A;;FA;;;SY),1
//   GetSecurityDescriptorDacl descriptor                     0x4a2b10
//   SetSecurityInfo        handle,type,information           file:Z:\w\a.tmp,1,0x80000004
//   GetVersion             (empty)
//   LoadLibraryA           name                              PSAPI.DLL
//   GetModuleHandleA       name                              KERNEL32.DLL
//   GetProcAddress         module,name                       module:PSAPI.DLL,EnumProcesses
//   FreeLibrary            module                            module:PSAPI.DLL
//   GetCurrentDirectoryA   size                              260
//   CreateDirectoryA       path                              Z:\w\dumps
//   GetTempFileNameA       folder,prefix,unique              Z:\w\dumps,not,0
//   CreateFileA            path,access,share,disposition,attributes
//                                                            Z:\w\a.tmp,0x40000000,1,3,0x80
//   ReadFile               file,size                         file:Z:\w\a.txt,4096
//   GetFileSizeEx          file                              file:Z:\w\a.txt
//   GetFileInformationByHandle file                          file:Z:\w\a.txt
//   GetDiskFreeSpaceExA    folder                            Z:\w\dumps
//   GetVolumePathNameA     path,size                         Z:\w\a.tmp,260
//   GetVolumeInformationA  root                              Z:\w\ (a volume root)
//   GetVolumeInformationByHandleW file                       file:Z:\w\a.tmp
//   MoveFileA              from,to                           Z:\w\a.tmp,Z:\w\a.dmp
//   DeleteFileA            path                              Z:\w\a.tmp
//   GetLastError           the value returned                5
//   FormatMessageA         flags,messageId,languageId        0x1300,5,0x400
//   LocalFree              memory                            0x4a2b10
//   MiniDumpWriteDump      process,id,file,type,callback
//                          process:1234,1234,file:Z:\w\a.tmp,0,callback
//   ShellExecuteExA        size,mask,verb,file,parameters,show
//                                                            112,0x40,null,Z:\w\p.exe,,0
//   LoadCursorA            instance,name (a number for a resource id)
//                                                            null,32514
//   SetCursor              cursor ("cursor:<id>" for what LoadCursorA gave)
//                                                            cursor:32514
//   GetDC                  window                            null
//   ReleaseDC              window,dc                         null,dc:screen
//   GetDeviceCaps          dc,index                          dc:screen,88
//   CreateToolhelp32Snapshot flags,id                        0x2,0
//   Process32First/Next    snapshot,dwSize                   snapshot,304
//   EnumProcesses          buffer bytes                      4096
//   EnumProcessModules     process,buffer bytes              process:1234,8
//   GetModuleBaseNameA     process,size                      process:1234,260
//   GetModuleFileNameExA   process,size                      process:1234,260
//   GetDpiForWindow        window                            0x1a2b4
//
// Not thread-safe: call the seam from the test's thread only. Do not include
// <psapi.h> beside this header: its macros rename EnumProcesses and the like.
#pragma once

#include "platform/system.h"

#include <functional>
#include <string>
#include <vector>

namespace fake {

// The last-error value every seam call starts with.
constexpr DWORD kClobbered = 0x7E57;

// Asks FailCallNumber for the TypicalError of whichever call it hits.
constexpr DWORD kTypicalError = 0xFFFFFFFF;

struct Call {
  std::string name;
  std::string detail;
};

// --- Recording ---------------------------------------------------------------
const std::vector<Call>& Calls();
int CountCalls(const char* name);
// Names of the calls in order, e.g. for EXPECT_THAT(..., ElementsAre(...)).
std::vector<std::string> CallNames();
// The detail of the last call of `name`, "" when there was none.
std::string LastDetail(const char* name);
// Seam calls since Reset (GetLastError not counted).
int SeamCallCount();

// --- Scripted failures -------------------------------------------------------
// The occurrence-th call of `name` from now on fails with `error`.
void FailCall(const char* name, DWORD error, int occurrence = 1);
// The k-th seam call since Reset (1-based, GetLastError not counted) fails.
// With kTypicalError it fails with TypicalError of the call it hits.
void FailCallNumber(int k, DWORD error = kTypicalError);
// The occurrence-th call of AdjustTokenPrivileges from now on returns `result`
// and leaves `error`, without adjusting anything; a previous-state record, if
// given, is filled with a count of 0.
void ScriptAdjustTokenPrivileges(BOOL result, DWORD error, int occurrence = 1);
// A realistic error code for a failure of that call (0 for calls that cannot fail).
DWORD TypicalError(const char* name);

// --- Overrides ---------------------------------------------------------------
struct Hooks {
  std::function<HANDLE(DWORD, BOOL, DWORD)> OpenProcess;
  std::function<BOOL(HANDLE, UINT)> TerminateProcess;
  std::function<BOOL(HANDLE)> CloseHandle;
  std::function<HANDLE()> GetCurrentProcess;
  std::function<BOOL(HANDLE, LPFILETIME, LPFILETIME, LPFILETIME, LPFILETIME)> GetProcessTimes;
  std::function<void(LPFILETIME)> GetSystemTimeAsFileTime;
  std::function<BOOL(HANDLE, DWORD, PHANDLE)> OpenProcessToken;
  std::function<BOOL(LPCSTR, LPCSTR, PLUID)> LookupPrivilegeValueA;
  std::function<BOOL(HANDLE, BOOL, PTOKEN_PRIVILEGES, DWORD, PTOKEN_PRIVILEGES, PDWORD)>
      AdjustTokenPrivileges;
  std::function<BOOL(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD, PDWORD)> GetTokenInformation;
  std::function<BOOL(PSID, LPSTR*)> ConvertSidToStringSidA;
  std::function<BOOL(LPCSTR, DWORD, PSECURITY_DESCRIPTOR*, PULONG)>
      ConvertStringSecurityDescriptorToSecurityDescriptorA;
  std::function<BOOL(PSECURITY_DESCRIPTOR, LPBOOL, PACL*, LPBOOL)> GetSecurityDescriptorDacl;
  std::function<DWORD(HANDLE, SE_OBJECT_TYPE, SECURITY_INFORMATION, PSID, PSID, PACL, PACL)>
      SetSecurityInfo;
  std::function<DWORD()> GetVersion;
  std::function<UINT(LPSTR, UINT)> GetSystemDirectoryA;
  std::function<HMODULE(LPCSTR)> LoadLibraryA;
  std::function<HMODULE(LPCSTR)> GetModuleHandleA;
  std::function<FARPROC(HMODULE, LPCSTR)> GetProcAddress;
  std::function<BOOL(HMODULE)> FreeLibrary;
  std::function<DWORD(DWORD, LPSTR)> GetCurrentDirectoryA;
  std::function<BOOL(LPCSTR, LPSECURITY_ATTRIBUTES)> CreateDirectoryA;
  std::function<UINT(LPCSTR, LPCSTR, UINT, LPSTR)> GetTempFileNameA;
  std::function<HANDLE(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE)>
      CreateFileA;
  std::function<BOOL(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED)> ReadFile;
  std::function<BOOL(HANDLE, PLARGE_INTEGER)> GetFileSizeEx;
  std::function<BOOL(HANDLE, LPBY_HANDLE_FILE_INFORMATION)> GetFileInformationByHandle;
  std::function<BOOL(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER)>
      GetDiskFreeSpaceExA;
  std::function<BOOL(LPCSTR, LPSTR, DWORD)> GetVolumePathNameA;
  std::function<BOOL(LPCSTR, LPSTR, DWORD, LPDWORD, LPDWORD, LPDWORD, LPSTR, DWORD)>
      GetVolumeInformationA;
  std::function<BOOL(LPCSTR, LPCSTR)> MoveFileA;
  std::function<BOOL(LPCSTR)> DeleteFileA;
  std::function<DWORD()> GetLastError;
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wignored-attributes"  // va_list's calling-convention attribute
#endif
  std::function<DWORD(DWORD, LPCVOID, DWORD, DWORD, LPSTR, DWORD, va_list*)> FormatMessageA;
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
  std::function<HLOCAL(HLOCAL)> LocalFree;
  std::function<BOOL(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE, PMINIDUMP_EXCEPTION_INFORMATION,
                     PMINIDUMP_USER_STREAM_INFORMATION, PMINIDUMP_CALLBACK_INFORMATION)>
      MiniDumpWriteDump;
  std::function<BOOL(SHELLEXECUTEINFOA*)> ShellExecuteExA;
  std::function<HCURSOR(HINSTANCE, LPCSTR)> LoadCursorA;
  std::function<HCURSOR(HCURSOR)> SetCursor;
  std::function<HDC(HWND)> GetDC;
  std::function<int(HWND, HDC)> ReleaseDC;
  std::function<int(HDC, int)> GetDeviceCaps;

  // Entry points that GetProcAddress hands out.
  std::function<HANDLE(DWORD, DWORD)> CreateToolhelp32Snapshot;
  std::function<BOOL(HANDLE, PROCESSENTRY32*)> Process32First;
  std::function<BOOL(HANDLE, PROCESSENTRY32*)> Process32Next;
  std::function<BOOL(DWORD*, DWORD, DWORD*)> EnumProcesses;
  std::function<BOOL(HANDLE, HMODULE*, DWORD, DWORD*)> EnumProcessModules;
  std::function<DWORD(HANDLE, HMODULE, LPSTR, DWORD)> GetModuleBaseNameA;
  std::function<DWORD(HANDLE, HMODULE, LPSTR, DWORD)> GetModuleFileNameExA;
  std::function<UINT(HWND)> GetDpiForWindow;
  std::function<BOOL(HANDLE, LPWSTR, DWORD, LPDWORD, LPDWORD, LPDWORD, LPWSTR, DWORD)>
      GetVolumeInformationByHandleW;
};
Hooks& Hook();

// --- Handle accounting -------------------------------------------------------
struct OpenHandle {
  void* value;
  std::string creator;  // the call that produced it, e.g. "OpenProcess"
  std::string label;    // as in the call details, e.g. "process:1234"
};
std::vector<OpenHandle> OpenHandles();
int BadCloses();
int OutstandingLocalBuffers();

// --- Synthetic processes -----------------------------------------------------
struct FakeProcess {
  DWORD id;
  std::string exeName;
  DWORD threads = 1;
  bool canOpen = true;         // else OpenProcess fails with 5
  bool canListModules = true;  // else EnumProcessModules fails with 299
  bool canReadName = true;     // else GetModuleBaseNameA fails with 299
  ULONGLONG created = 0;       // creation time, in the clock's units (see SetClock)
};
// From now on the enumeration lists these processes, in this order.
// TerminateProcess of a table process removes it from the table;
// MiniDumpWriteDump of one writes a small file that starts with "MDMP" and
// calls no callback; GetProcessTimes of one gives its creation time (kept by
// the handle after the process ends) and, like the real call, fails with 5
// when the handle was opened without a query right. Ids not in the table go to
// the real system.
void SetProcesses(std::vector<FakeProcess> processes);
// GetProcAddress gives null with 127 for that entry point.
void RemoveEntryPoint(const char* name);
// LoadLibraryA and GetModuleHandleA give null with 126 for that module.
void SetModuleMissing(const char* name);
// What GetVersion returns, e.g. 0x00000004 for 4.0, 0x00000A04 for 4.10.
void SetVersion(DWORD version);
// What GetSystemTimeAsFileTime gives from now on (100 ns units since 1601);
// the real clock until set.
void SetClock(ULONGLONG now);

// Clears calls, scripts, hooks, tables, handle accounts and counters.
void Reset();

}  // namespace fake
