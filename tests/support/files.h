// Files and folders as a test looks at them after the program has acted,
// straight through the system (not through the seam).
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace support {

// The names in `folder` (no "." or ".."), sorted; empty when it is missing.
inline std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  const HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (::FindNextFileA(search, &found));
  ::FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

inline bool IsFolder(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// -1 when the file is missing.
inline LONGLONG FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The whole content, exact bytes; empty when the file cannot be opened.
inline std::string ReadAll(const std::string& path) {
  std::string content;
  const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return content;
  char buffer[65536];
  DWORD read = 0;
  while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
    content.append(buffer, read);
  }
  ::CloseHandle(file);
  return content;
}

// Makes or replaces the file at `path` with `content`.
inline void WriteAll(const std::string& path, const std::string& content) {
  const HANDLE file =
      ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  ::CloseHandle(file);
}

// Removes `path` with everything in it; what cannot be removed stays.
inline void RemoveTree(const std::string& path) {
  for (const std::string& name : FilesIn(path)) {
    const std::string child = path + "\\" + name;
    if (IsFolder(child)) {
      RemoveTree(child);
    } else {
      ::DeleteFileA(child.c_str());
    }
  }
  ::RemoveDirectoryA(path.c_str());
}

}  // namespace support
