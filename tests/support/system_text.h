// The system's own text for an error code, read straight from the system
// (not through the seam), for comparing with what the program shows.
#pragma once

#include <windows.h>

#include <string>

namespace support {

// Empty when the system has no text for `code`.
inline std::string SystemText(DWORD code) {
  char* text = nullptr;
  const DWORD length = ::FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
      nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&text), 0,
      nullptr);
  std::string result = length ? std::string(text) : std::string();
  if (text) ::LocalFree(text);
  return result;
}

}  // namespace support
