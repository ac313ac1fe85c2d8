// What the dump writer left, read back before it is called a dump.
#pragma once

#include "platform/system.h"

// True when the file at `path` is a whole minidump that a debugger can open:
// a minidump header ("MDMP", MINIDUMP_VERSION in the low word of its
// version), a stream directory inside the file, every stream it names inside
// the file too (unused entries aside), and the system information, a thread
// list of at least one thread and a module list of at least one module. Only
// the header, the directory and the two lists' counts are read.
//
// When false, `error` says why: the code of the call that could not read the
// file; ERROR_DISK_FULL when the directory names more beyond the file's end
// than the drive under `folder` has room left for (the writer ran out of
// room); ERROR_FILE_CORRUPT otherwise.
bool IsCompleteMinidump(const char* path, const char* folder, DWORD& error);
