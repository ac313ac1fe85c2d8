// Entry points looked up by name at run time, for what a system may lack or
// a library is loaded for only while it is needed.
#pragma once

#include "platform/system.h"

// An entry point of a loaded module, as the type it is called as; null when
// the module does not export it.
template <typename Function>
Function EntryPoint(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(sys::GetProcAddress(module, name)));
}
