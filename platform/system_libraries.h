// Where the program's libraries come from: the system folder, never the
// program's own folder or the current one, where anybody may have dropped a
// file named like a system library.
#pragma once

#include "platform/handles.h"
#include "platform/system.h"

#include <cstring>

// Limits the library search of the whole process to the system folder, for
// every library that the program, or a system library on its behalf, loads
// from now on. Where the system cannot do that, takes at least the current
// folder out of the search. The program's first step.
void RestrictLibrarySearch();

// "<system folder>\<name>". False, with the last-error value set, when the
// path cannot be made.
inline bool SystemLibraryPath(const char* name, char (&path)[MAX_PATH]) {
  const UINT folderLength = ::GetSystemDirectoryA(path, MAX_PATH);
  if (folderLength == 0) return false;
  const size_t nameLength = std::strlen(name);
  // A folder too long for the buffer comes back as the size it needs.
  if (folderLength + 1 + nameLength >= MAX_PATH) {
    ::SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  path[folderLength] = '\\';
  std::memcpy(path + folderLength + 1, name, nameLength + 1);
  return true;
}

// Loads a system library by its full path in the system folder. None, with
// the system's last-error value, when it cannot be loaded.
LoadedLibrary LoadSystemLibrary(const char* name);

// An entry point of a library, looked up by name, as the type it is called as.
template <typename Function>
Function EntryPoint(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(sys::GetProcAddress(module, name)));
}
