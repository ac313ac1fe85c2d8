// Whether the drive a dump is written to can keep it private.
#pragma once

#include "platform/system.h"

// Whether the volume that holds the open `file` keeps access lists
// (FILE_PERSISTENT_ACLS). FAT32 and exFAT keep none: Windows reports a list
// set on a file there as set and keeps nothing, and reading one back gives a
// list that lets everyone in. Asked of the handle where the system has that
// call, else of the volume root of `path`, the file's full name. False, with
// the code of the call that failed, when the volume cannot be asked.
bool VolumeKeepsAccessLists(HANDLE file, const char* path, bool& keeps, DWORD& error);
