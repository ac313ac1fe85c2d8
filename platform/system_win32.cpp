// The real system services: each function forwards to the Win32 call of the
// same name. Linked into vellorn.exe and the tests that run on the real system.
#include "platform/system.h"

#include "platform/entry_point.h"
#include "platform/system_libraries.h"

namespace sys {

HANDLE OpenProcess(DWORD access, BOOL inherit, DWORD processId) {
  return ::OpenProcess(access, inherit, processId);
}
BOOL TerminateProcess(HANDLE process, UINT exitCode) {
  return ::TerminateProcess(process, exitCode);
}
BOOL CloseHandle(HANDLE handle) {
  return ::CloseHandle(handle);
}
HANDLE GetCurrentProcess() {
  return ::GetCurrentProcess();
}
BOOL GetProcessTimes(HANDLE process, LPFILETIME creation, LPFILETIME exit, LPFILETIME kernel,
                     LPFILETIME user) {
  return ::GetProcessTimes(process, creation, exit, kernel, user);
}

void GetSystemTimeAsFileTime(LPFILETIME now) {
  ::GetSystemTimeAsFileTime(now);
}

BOOL OpenProcessToken(HANDLE process, DWORD access, PHANDLE token) {
  return ::OpenProcessToken(process, access, token);
}
BOOL LookupPrivilegeValueA(LPCSTR systemName, LPCSTR name, PLUID luid) {
  return ::LookupPrivilegeValueA(systemName, name, luid);
}
BOOL AdjustTokenPrivileges(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES newState,
                           DWORD bufferLength, PTOKEN_PRIVILEGES previousState,
                           PDWORD returnLength) {
  return ::AdjustTokenPrivileges(token, disableAll, newState, bufferLength, previousState,
                                 returnLength);
}
BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS type, LPVOID information,
                         DWORD length, PDWORD returnLength) {
  return ::GetTokenInformation(token, type, information, length, returnLength);
}

BOOL ConvertSidToStringSidA(PSID sid, LPSTR* text) {
  return ::ConvertSidToStringSidA(sid, text);
}
BOOL ConvertStringSecurityDescriptorToSecurityDescriptorA(LPCSTR text, DWORD revision,
                                                          PSECURITY_DESCRIPTOR* descriptor,
                                                          PULONG size) {
  return ::ConvertStringSecurityDescriptorToSecurityDescriptorA(text, revision, descriptor, size);
}
BOOL GetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, LPBOOL present, PACL* dacl,
                               LPBOOL defaulted) {
  return ::GetSecurityDescriptorDacl(descriptor, present, dacl, defaulted);
}
DWORD SetSecurityInfo(HANDLE handle, SE_OBJECT_TYPE type, SECURITY_INFORMATION information,
                      PSID owner, PSID group, PACL dacl, PACL sacl) {
  return ::SetSecurityInfo(handle, type, information, owner, group, dacl, sacl);
}

DWORD GetVersion() {
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)
#endif
  return ::GetVersion();
}
UINT GetSystemDirectoryA(LPSTR buffer, UINT size) {
  return ::GetSystemDirectoryA(buffer, size);
}
HMODULE LoadLibraryA(LPCSTR name) {
  return ::LoadLibraryA(name);
}
HMODULE GetModuleHandleA(LPCSTR name) {
  return ::GetModuleHandleA(name);
}
FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
  return ::GetProcAddress(module, name);
}
BOOL FreeLibrary(HMODULE module) {
  return ::FreeLibrary(module);
}

DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer) {
  return ::GetCurrentDirectoryA(size, buffer);
}
BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES security) {
  return ::CreateDirectoryA(path, security);
}
UINT GetTempFileNameA(LPCSTR folder, LPCSTR prefix, UINT unique, LPSTR buffer) {
  return ::GetTempFileNameA(folder, prefix, unique, buffer);
}
HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                   DWORD disposition, DWORD attributes, HANDLE templateFile) {
  return ::CreateFileA(path, access, share, security, disposition, attributes, templateFile);
}
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped) {
  return ::ReadFile(file, buffer, size, read, overlapped);
}
BOOL GetFileSizeEx(HANDLE file, PLARGE_INTEGER size) {
  return ::GetFileSizeEx(file, size);
}
BOOL GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information) {
  return ::GetFileInformationByHandle(file, information);
}
BOOL GetDiskFreeSpaceExA(LPCSTR folder, PULARGE_INTEGER available, PULARGE_INTEGER total,
                         PULARGE_INTEGER free) {
  return ::GetDiskFreeSpaceExA(folder, available, total, free);
}
BOOL GetVolumePathNameA(LPCSTR path, LPSTR root, DWORD size) {
  return ::GetVolumePathNameA(path, root, size);
}
BOOL GetVolumeInformationA(LPCSTR root, LPSTR name, DWORD nameSize, LPDWORD serialNumber,
                           LPDWORD maxComponentLength, LPDWORD flags, LPSTR fileSystem,
                           DWORD fileSystemSize) {
  return ::GetVolumeInformationA(root, name, nameSize, serialNumber, maxComponentLength, flags,
                                 fileSystem, fileSystemSize);
}
BOOL MoveFileA(LPCSTR from, LPCSTR to) {
  return ::MoveFileA(from, to);
}
BOOL DeleteFileA(LPCSTR path) {
  return ::DeleteFileA(path);
}

DWORD GetLastError() {
  return ::GetLastError();
}
void SetLastError(DWORD error) {
  ::SetLastError(error);
}
DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buffer,
                     DWORD size, va_list* arguments) {
  return ::FormatMessageA(flags, source, messageId, languageId, buffer, size, arguments);
}
HLOCAL LocalFree(HLOCAL memory) {
  return ::LocalFree(memory);
}

BOOL MiniDumpWriteDump(HANDLE process, DWORD processId, HANDLE file, MINIDUMP_TYPE type,
                       PMINIDUMP_EXCEPTION_INFORMATION exception,
                       PMINIDUMP_USER_STREAM_INFORMATION userStreams,
                       PMINIDUMP_CALLBACK_INFORMATION callback) {
  // Looked up, not imported: the loader would bind an import before the
  // program could keep it from taking a dbghelp.dll out of its own folder.
  using Writer = decltype(&::MiniDumpWriteDump);
  static LoadedLibrary dbghelp;
  static Writer writer = nullptr;
  if (writer == nullptr) {
    if (!dbghelp) dbghelp = LoadSystemLibrary("dbghelp.dll");
    if (!dbghelp) return FALSE;
    writer = EntryPoint<Writer>(dbghelp.get(), "MiniDumpWriteDump");
    if (writer == nullptr) return FALSE;
  }
  return writer(process, processId, file, type, exception, userStreams, callback);
}

BOOL ShellExecuteExA(SHELLEXECUTEINFOA* info) {
  return ::ShellExecuteExA(info);
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
  return ::LoadCursorA(instance, name);
}
HCURSOR SetCursor(HCURSOR cursor) {
  return ::SetCursor(cursor);
}

HDC GetDC(HWND window) {
  return ::GetDC(window);
}
int ReleaseDC(HWND window, HDC dc) {
  return ::ReleaseDC(window, dc);
}
int GetDeviceCaps(HDC dc, int index) {
  return ::GetDeviceCaps(dc, index);
}

}  // namespace sys
