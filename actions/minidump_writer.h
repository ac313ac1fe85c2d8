// The minidump writer's free parts: the dump writer's callback and the split
// of a process name into the prefix of its dump file's name.
#pragma once

#include "platform/string.h"

#include <dbghelp.h>

// The dump writer asks this for every item it is about to write; everything is
// taken, so the writer's own defaults decide what goes into the dump.
BOOL CALLBACK MiniDumpIncludeAll(PVOID param, const PMINIDUMP_CALLBACK_INPUT input,
                                 PMINIDUMP_CALLBACK_OUTPUT output);

// The base name of `name`: without a leading drive ("C:"), without the
// directory (up to the last '\' or '/') and without the extension (from the
// last dot after the directory). "C:\WINDOWS\NOTEPAD.EXE" gives "NOTEPAD",
// "my.app.exe" gives "my.app". Any length; nothing is truncated.
CString DumpNameBase(const CString& name);

// The prefix of a dump file's name: the first three characters of the base
// name of `name` (as the temporary-name service takes them, whole), each
// character a file name cannot hold (\ / : * ? " < > | and control characters)
// as '_'. A name the ANSI code page cannot hold is listed with '?' in place of
// those characters: "??.exe" gives "__". With UTF-8 as the code page every
// name is held: "数据.exe" gives "数据".
CString DumpNamePrefix(const CString& name);
