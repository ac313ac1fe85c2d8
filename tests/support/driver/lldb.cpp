#include "tests/support/driver/lldb.h"

#include "tests/support/driver/wait.h"
#include "tests/support/files.h"

#include <windows.h>

#include <fstream>

namespace e2e {

std::string UnixPath(const std::string& windowsPath) {
  using Convert = char*(CDECL*)(LPCWSTR);
  const auto convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("KERNEL32.DLL"), "wine_get_unix_file_name")));
  if (!convert) return {};
  wchar_t wide[MAX_PATH * 2] = {};
  MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH * 2);
  char* unixPath = convert(wide);
  if (!unixPath) return {};
  std::string result = unixPath;
  HeapFree(GetProcessHeap(), 0, unixPath);
  return result;
}

std::vector<std::string> ReadDumpsWithLldb(const std::vector<std::string>& dumps,
                                           const std::string& workFolder) {
  // Wine starts Unix programs detached and reports them ended at once, so each
  // listing goes to a file and a last file marks the end.
  const auto listingPath = [&](size_t i) {
    return workFolder + "\\lldb-" + std::to_string(i) + ".txt";
  };
  const std::string done = workFolder + "\\lldb-done.txt";
  DeleteFileA(done.c_str());
  std::string script = "cd '" + UnixPath(workFolder) + "' || exit 1; ";
  for (size_t i = 0; i < dumps.size(); ++i) {
    DeleteFileA(listingPath(i).c_str());
    script += "/usr/bin/lldb-16 --batch -c '" + UnixPath(dumps[i]) +
              "' -o 'thread list' -o 'image list' > lldb-" + std::to_string(i) + ".txt 2>&1; ";
  }
  script += "echo finished > lldb-done.txt";
  const std::string scriptPath = workFolder + "\\lldb-run.sh";
  std::ofstream(scriptPath, std::ios::binary) << script << "\n";
  std::string commandLine = "/bin/sh \"" + UnixPath(scriptPath) + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &started)) {
    return std::vector<std::string>(
        dumps.size(), "cannot start lldb-16, error " + std::to_string(GetLastError()));
  }
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
  const unsigned timeoutMs = 50000 + 10000 * static_cast<unsigned>(dumps.size());
  if (!WaitFor([&] { return support::FileSize(done) > 0; }, timeoutMs, 100)) {
    return std::vector<std::string>(dumps.size(), "lldb-16 timed out");
  }
  std::vector<std::string> listings;
  for (size_t i = 0; i < dumps.size(); ++i) listings.push_back(support::ReadAll(listingPath(i)));
  return listings;
}

std::string ReadDumpWithLldb(const std::string& dump, const std::string& workFolder) {
  return ReadDumpsWithLldb({dump}, workFolder)[0];
}

}  // namespace e2e
