// Access lists that keep a file as private as the memory of a process: full
// control for the user running Vellorn, SYSTEM and the built-in
// Administrators, protected from what the folders above would pass down.
#pragma once

#include "platform/handles.h"

class CPrivateAccess {
 public:
  // Reads the running token's user and makes both lists. False, with the
  // code of the call that failed, when they cannot be made.
  bool Make(DWORD& error);

  // For a new folder: every entry is inherited by what is made in it. A
  // folder that exists already keeps its own list.
  SECURITY_ATTRIBUTES ForNewFolder() const;

  // Puts the file's list on an open handle (opened with WRITE_DAC).
  bool SetOn(HANDLE file, DWORD& error) const;

 private:
  LocalMemory m_folder;
  LocalMemory m_file;
  PACL m_fileList = nullptr;  // inside m_file
};
