// Where the program's libraries come from: the system folder, never the
// program's own folder or the current one, where anybody may have dropped a
// file named like a system library.
#pragma once

#include "platform/handles.h"

// Limits the library search of the whole process to the system folder, for
// every library that the program, or a system library on its behalf, loads
// from now on. Where the system cannot do that, takes at least the current
// folder out of the search. The program's first step.
void RestrictLibrarySearch();

// Loads a system library by its full path in the system folder. None, with
// the system's last-error value, when it cannot be loaded.
LoadedLibrary LoadSystemLibrary(const char* name);
