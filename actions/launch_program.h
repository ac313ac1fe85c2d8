// Starting a program through the shell.
#pragma once

#include "platform/handles.h"

// Starts `file` with its default verb, the parameter text `parameters` and its
// window hidden. The shell's own error box, if it shows one, belongs to
// `owner`. Gives the new process, or none when the shell failed or started
// no process.
ProcessHandle LaunchProgram(HWND owner, const char* file, const char* parameters);
