// Starting a program through the shell.
#pragma once

#include <windows.h>

// Starts `file` with its default verb, the parameter text `parameters` and its
// window hidden. The shell's own error box, if it shows one, belongs to
// `owner`. Gives the new process's handle, which the caller closes, or null
// when the shell failed or started no process.
HANDLE LaunchProgram(HWND owner, const char* file, const char* parameters);
