// The system services Vellorn's logic uses: kernel32, advapi32 (tokens and
// access lists), psapi (by
// name at run time), dbghelp, shell32, user32's pointer and the screen's DPI;
// and the modal calls that wait for a person (message box, popup menu, file
// dialog) with the pointer's position.
//
// Every call of the program's logic goes through these plain functions. The
// program links the real forwarders (system_win32.cpp, modal_win32.cpp); the
// unit tests link a spy that records each service call and can make any call
// fail with a chosen result and last-error value (tests/support/fake_system.cpp);
// the tests that host windows link modal calls a test can answer
// (tests/support/modal_answers.cpp). Same signatures as the Win32 functions
// they stand for.
#pragma once

#include <windows.h>

#include <aclapi.h>
#include <commdlg.h>
#include <dbghelp.h>
#include <sddl.h>
#include <shellapi.h>
#include <tlhelp32.h>

namespace sys {

// Processes
HANDLE OpenProcess(DWORD access, BOOL inherit, DWORD processId);
BOOL TerminateProcess(HANDLE process, UINT exitCode);
BOOL CloseHandle(HANDLE handle);
HANDLE GetCurrentProcess();
BOOL GetProcessTimes(HANDLE process, LPFILETIME creation, LPFILETIME exit, LPFILETIME kernel,
                     LPFILETIME user);

// The clock
void GetSystemTimeAsFileTime(LPFILETIME now);

// Access token and privileges
BOOL OpenProcessToken(HANDLE process, DWORD access, PHANDLE token);
BOOL LookupPrivilegeValueA(LPCSTR systemName, LPCSTR name, PLUID luid);
BOOL AdjustTokenPrivileges(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES newState,
                           DWORD bufferLength, PTOKEN_PRIVILEGES previousState,
                           PDWORD returnLength);
BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS type, LPVOID information,
                         DWORD length, PDWORD returnLength);

// Security descriptors and access lists
BOOL ConvertSidToStringSidA(PSID sid, LPSTR* text);
BOOL ConvertStringSecurityDescriptorToSecurityDescriptorA(LPCSTR text, DWORD revision,
                                                          PSECURITY_DESCRIPTOR* descriptor,
                                                          PULONG size);
BOOL GetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, LPBOOL present, PACL* dacl,
                               LPBOOL defaulted);
// Gives the error code itself (ERROR_SUCCESS when done), as the Win32 call does.
DWORD SetSecurityInfo(HANDLE handle, SE_OBJECT_TYPE type, SECURITY_INFORMATION information,
                      PSID owner, PSID group, PACL dacl, PACL sacl);

// Platform version and libraries looked up by name
DWORD GetVersion();
UINT GetSystemDirectoryA(LPSTR buffer, UINT size);
HMODULE LoadLibraryA(LPCSTR name);
HMODULE GetModuleHandleA(LPCSTR name);
FARPROC GetProcAddress(HMODULE module, LPCSTR name);
BOOL FreeLibrary(HMODULE module);

// Folders and files
DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer);
BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES security);
UINT GetTempFileNameA(LPCSTR folder, LPCSTR prefix, UINT unique, LPSTR buffer);
HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                   DWORD disposition, DWORD attributes, HANDLE templateFile);
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped);
BOOL GetFileSizeEx(HANDLE file, PLARGE_INTEGER size);
BOOL GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information);
BOOL GetDiskFreeSpaceExA(LPCSTR folder, PULARGE_INTEGER available, PULARGE_INTEGER total,
                         PULARGE_INTEGER free);
BOOL GetVolumePathNameA(LPCSTR path, LPSTR root, DWORD size);
BOOL GetVolumeInformationA(LPCSTR root, LPSTR name, DWORD nameSize, LPDWORD serialNumber,
                           LPDWORD maxComponentLength, LPDWORD flags, LPSTR fileSystem,
                           DWORD fileSystemSize);
BOOL MoveFileA(LPCSTR from, LPCSTR to);
BOOL DeleteFileA(LPCSTR path);

// Error codes and their texts
DWORD GetLastError();
void SetLastError(DWORD error);
DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buffer,
                     DWORD size, va_list* arguments);
HLOCAL LocalFree(HLOCAL memory);

// The debug-help library's dump writer
BOOL MiniDumpWriteDump(HANDLE process, DWORD processId, HANDLE file, MINIDUMP_TYPE type,
                       PMINIDUMP_EXCEPTION_INFORMATION exception,
                       PMINIDUMP_USER_STREAM_INFORMATION userStreams,
                       PMINIDUMP_CALLBACK_INFORMATION callback);

// The shell's program launcher
BOOL ShellExecuteExA(SHELLEXECUTEINFOA* info);

// The pointer's shape
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
HCURSOR SetCursor(HCURSOR cursor);

// The screen's device context, for its resolution
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);
int GetDeviceCaps(HDC dc, int index);

// What a person answers, and where the pointer is
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner,
                    const RECT* rect);
BOOL GetOpenFileNameA(LPOPENFILENAMEA request);
BOOL GetCursorPos(LPPOINT point);

}  // namespace sys
