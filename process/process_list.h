// The process list's own facts: where the next row goes, and when the list's
// source was read.
#pragma once

#include <windows.h>

// The row at which a fill inserts next. Only a refresh sets it back to 0.
extern int g_nextRow;

// The system clock as one number (100 ns units since 1601). A fill reads it
// just before it reads the list's source: a process created later is not the
// process of any row.
ULONGLONG SystemTimeNow();
