// Library loading restricted to the system folder.
#include "platform/system_libraries.h"

#include "platform/entry_point.h"

#include <cstring>

namespace {

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD directoryFlags);
using SetDllDirectoryFunction = BOOL(WINAPI*)(LPCSTR path);

// LOAD_LIBRARY_SEARCH_SYSTEM32, which the headers hide below Windows 8.
constexpr DWORD kSearchSystemFolderOnly = 0x00000800;

}  // namespace

void RestrictLibrarySearch() {
  const HMODULE kernel = sys::GetModuleHandleA("KERNEL32.DLL");
  if (kernel == nullptr) return;
  // Windows 8 and later, and Windows 7 and Vista with their 2011 loader
  // update. Looked up by name: an import would keep the program from starting
  // where it is missing.
  const auto setDefaultDirectories =
      EntryPoint<SetDefaultDllDirectoriesFunction>(kernel, "SetDefaultDllDirectories");
  if (setDefaultDirectories != nullptr && setDefaultDirectories(kSearchSystemFolderOnly)) return;
  // Older systems still search the program's folder, but no longer the
  // current one; the program loads its own libraries by full path.
  const auto setDirectory = EntryPoint<SetDllDirectoryFunction>(kernel, "SetDllDirectoryA");
  if (setDirectory != nullptr) setDirectory("");
}

LoadedLibrary LoadSystemLibrary(const char* name) {
  char path[MAX_PATH];
  const UINT folderLength = sys::GetSystemDirectoryA(path, MAX_PATH);
  if (folderLength == 0) return LoadedLibrary();
  const size_t nameLength = std::strlen(name);
  // A folder too long for the buffer comes back as the size it needs.
  if (folderLength + 1 + nameLength >= MAX_PATH) {
    sys::SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return LoadedLibrary();
  }
  path[folderLength] = '\\';
  std::memcpy(path + folderLength + 1, name, nameLength + 1);
  return LoadedLibrary(sys::LoadLibraryA(path));
}
