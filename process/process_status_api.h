// The process-status library, reached by name for one fill at a time.
#pragma once

#include "platform/handles.h"

using EnumProcessesFunction = BOOL(WINAPI*)(DWORD* ids, DWORD size, DWORD* bytesFilled);
using EnumProcessModulesFunction = BOOL(WINAPI*)(HANDLE process, HMODULE* modules, DWORD size,
                                                 DWORD* bytesNeeded);
using GetModuleBaseNameFunction = DWORD(WINAPI*)(HANDLE process, HMODULE module, LPSTR name,
                                                 DWORD size);
using GetModuleFileNameExFunction = DWORD(WINAPI*)(HANDLE process, HMODULE module, LPSTR path,
                                                   DWORD size);

// Valid only while the library that LoadProcessStatusApi returned is loaded.
extern EnumProcessesFunction g_EnumProcesses;
extern EnumProcessModulesFunction g_EnumProcessModules;
extern GetModuleBaseNameFunction g_GetModuleBaseNameA;
extern GetModuleFileNameExFunction g_GetModuleFileNameExA;

// Loads "PSAPI.DLL" from the system folder and resolves its four entry
// points. Gives the library, or none when it cannot be loaded or lacks one of
// them (then it is not left loaded).
LoadedLibrary LoadProcessStatusApi();
