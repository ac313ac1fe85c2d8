// A process to be dumped: a main thread and a few workers that wait, with
// version.dll loaded as a module a dump should list. It runs until it is ended
// or until the event "dump_target_stop_<its process id>" is set.
//
//   dump_target.exe [workers]      (default 4 workers)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

HANDLE g_stop = nullptr;

DWORD WINAPI Worker(LPVOID) {
  WaitForSingleObject(g_stop, INFINITE);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const int workers = argc > 1 ? std::atoi(argv[1]) : 4;
  char eventName[64];
  std::snprintf(eventName, sizeof eventName, "dump_target_stop_%lu",
                static_cast<unsigned long>(GetCurrentProcessId()));
  g_stop = CreateEventA(nullptr, TRUE, FALSE, eventName);
  if (!g_stop) return 2;
  HMODULE version = LoadLibraryA("version.dll");

  std::vector<HANDLE> threads;
  for (int i = 0; i < workers; ++i) {
    if (HANDLE thread = CreateThread(nullptr, 0, Worker, nullptr, 0, nullptr)) {
      threads.push_back(thread);
    }
  }
  WaitForSingleObject(g_stop, INFINITE);
  for (HANDLE thread : threads) {
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
  }
  if (version) FreeLibrary(version);
  CloseHandle(g_stop);
  return 0;
}
