// Telling a row's own process from one that took over its ID after the fill:
// the system hands a freed process ID to the next process that needs one.
#pragma once

#include <windows.h>

// The access, besides what an action needs, that ExistedAt needs on this
// system: the limited query right came with major version 6.
DWORD CreationTimeAccess();

// True when the process behind `process` was created no later than `time`.
// Otherwise false with `error` set: ERROR_INVALID_PARAMETER for a newer
// process (what opening an ID that names no process gives), or the error of
// the call that could not read its creation time.
bool ExistedAt(HANDLE process, ULONGLONG time, DWORD& error);
