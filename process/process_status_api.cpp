#include "process/process_status_api.h"

#include "platform/entry_point.h"
#include "platform/handles.h"
#include "platform/system_libraries.h"

EnumProcessesFunction g_EnumProcesses = nullptr;
EnumProcessModulesFunction g_EnumProcessModules = nullptr;
GetModuleBaseNameFunction g_GetModuleBaseNameA = nullptr;
GetModuleFileNameExFunction g_GetModuleFileNameExA = nullptr;

namespace {
template <typename Function>
bool Resolve(HMODULE library, const char* name, Function& entry) {
  entry = EntryPoint<Function>(library, name);
  return entry != nullptr;
}
}  // namespace

LoadedLibrary LoadProcessStatusApi() {
  LoadedLibrary library = LoadSystemLibrary("PSAPI.DLL");
  if (!library) return library;
  // The references are stored as they resolve; the fill never uses them
  // unless all four did.
  if (!Resolve(library.get(), "EnumProcesses", g_EnumProcesses) ||
      !Resolve(library.get(), "EnumProcessModules", g_EnumProcessModules) ||
      !Resolve(library.get(), "GetModuleBaseNameA", g_GetModuleBaseNameA) ||
      !Resolve(library.get(), "GetModuleFileNameExA", g_GetModuleFileNameExA)) {
    return LoadedLibrary();
  }
  return library;
}
