// A library that stands in for a system one when it is planted beside a
// program under a system library's name: loading it leaves a mark,
// "<its own path>.loaded", and every entry point the program could import
// from the real one fails with "access denied". The end-to-end tests copy it
// as dbghelp.dll, RICHED20.DLL and PSAPI.DLL and check that no mark appears.
#include <windows.h>

#define STAND_IN extern "C" __declspec(dllexport)

namespace {
BOOL Denied() {
  SetLastError(ERROR_ACCESS_DENIED);
  return FALSE;
}
}  // namespace

STAND_IN BOOL WINAPI MiniDumpWriteDump(HANDLE, DWORD, HANDLE, int, void*, void*, void*) {
  return Denied();
}
STAND_IN BOOL WINAPI EnumProcesses(DWORD*, DWORD, DWORD*) {
  return Denied();
}
STAND_IN BOOL WINAPI EnumProcessModules(HANDLE, HMODULE*, DWORD, DWORD*) {
  return Denied();
}
STAND_IN DWORD WINAPI GetModuleBaseNameA(HANDLE, HMODULE, LPSTR, DWORD) {
  return Denied();
}
STAND_IN DWORD WINAPI GetModuleFileNameExA(HANDLE, HMODULE, LPSTR, DWORD) {
  return Denied();
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  char mark[MAX_PATH + 8];
  const DWORD length = GetModuleFileNameA(self, mark, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return TRUE;
  lstrcpyA(mark + length, ".loaded");
  const HANDLE file =
      CreateFileA(mark, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return TRUE;
}
