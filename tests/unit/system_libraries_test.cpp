// Where libraries come from: the program's first step restricts the search to
// the system folder where the system can, else takes the current folder out.
#include "platform/system_libraries.h"
#include "tests/support/fake_system.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using ::testing::ElementsAre;

// What the program asked of the loader, in order.
std::vector<std::string> g_requests;

BOOL WINAPI SetDefaultDirectories(DWORD flags) {
  g_requests.push_back("default directories " + std::to_string(flags));
  return TRUE;
}
BOOL WINAPI RefuseDefaultDirectories(DWORD flags) {
  SetDefaultDirectories(flags);
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}
BOOL WINAPI SetDllDirectory(LPCSTR path) {
  g_requests.push_back(std::string("dll directory \"") + path + "\"");
  return TRUE;
}

// Restricts the search on a loader with these entry points (null: missing)
// and gives what was asked of it.
std::vector<std::string> RestrictWith(BOOL(WINAPI* defaultDirectories)(DWORD)) {
  fake::Reset();
  g_requests.clear();
  static BOOL(WINAPI * defaults)(DWORD);
  defaults = defaultDirectories;
  fake::Hook().GetProcAddress = [](HMODULE, LPCSTR name) -> FARPROC {
    const std::string entry = name;
    void* found = entry == "SetDefaultDllDirectories" ? reinterpret_cast<void*>(defaults)
                  : entry == "SetDllDirectoryA"       ? reinterpret_cast<void*>(&SetDllDirectory)
                                                      : nullptr;
    return reinterpret_cast<FARPROC>(found);
  };
  RestrictLibrarySearch();
  fake::Reset();
  return g_requests;
}

// LOAD_LIBRARY_SEARCH_SYSTEM32
constexpr const char* kSystemFolderOnly = "default directories 2048";

TEST(LibrarySearch, OnlyTheSystemFolderWhereTheSystemCanElseNotTheCurrentFolder) {
  EXPECT_THAT(RestrictWith(&SetDefaultDirectories), ElementsAre(kSystemFolderOnly));
  EXPECT_THAT(RestrictWith(nullptr), ElementsAre("dll directory \"\""));
  EXPECT_THAT(RestrictWith(&RefuseDefaultDirectories),
              ElementsAre(kSystemFolderOnly, "dll directory \"\""));
}

}  // namespace
