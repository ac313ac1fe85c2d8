// Where libraries come from: the program's first step restricts the search to
// the system folder where the system can, else takes the current folder out.
#include "platform/system_libraries.h"
#include "tests/support/fake_system.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// What the program asked of the loader, in order.
std::vector<std::string>& LoaderRequests() {
  static std::vector<std::string> requests;
  return requests;
}

BOOL WINAPI RecordDefaultDirectories(DWORD flags) {
  LoaderRequests().push_back("default directories " + std::to_string(flags));
  return TRUE;
}
BOOL WINAPI RefuseDefaultDirectories(DWORD flags) {
  LoaderRequests().push_back("default directories " + std::to_string(flags) + " refused");
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}
BOOL WINAPI RecordDllDirectory(LPCSTR path) {
  LoaderRequests().push_back(std::string("dll directory \"") + path + "\"");
  return TRUE;
}

class LibrarySearch : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    LoaderRequests().clear();
  }
  void TearDown() override { fake::Reset(); }

  // The loader's entry points as a system with (or without) the default
  // directories has them.
  static void GiveLoader(BOOL(WINAPI* setDefaultDirectories)(DWORD)) {
    static BOOL(WINAPI * defaults)(DWORD);
    defaults = setDefaultDirectories;
    fake::Hook().GetProcAddress = [](HMODULE, LPCSTR name) -> FARPROC {
      const std::string entry = name;
      if (entry == "SetDefaultDllDirectories" && defaults) {
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(defaults));
      }
      if (entry == "SetDllDirectoryA") {
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&RecordDllDirectory));
      }
      SetLastError(ERROR_PROC_NOT_FOUND);
      return nullptr;
    };
  }
};

// LOAD_LIBRARY_SEARCH_SYSTEM32
constexpr const char* kSystemFolderOnly = "default directories 2048";

TEST_F(LibrarySearch, WhereTheSystemHasDefaultDirectoriesOnlyTheSystemFolderIsSearched) {
  GiveLoader(&RecordDefaultDirectories);
  RestrictLibrarySearch();
  EXPECT_EQ(LoaderRequests(), std::vector<std::string>{kSystemFolderOnly});
}

TEST_F(LibrarySearch, WithoutDefaultDirectoriesTheCurrentFolderLeavesTheSearch) {
  GiveLoader(nullptr);
  RestrictLibrarySearch();
  EXPECT_EQ(LoaderRequests(), std::vector<std::string>{"dll directory \"\""});

  LoaderRequests().clear();
  GiveLoader(&RefuseDefaultDirectories);
  RestrictLibrarySearch();
  EXPECT_EQ(LoaderRequests(), (std::vector<std::string>{std::string(kSystemFolderOnly) + " refused",
                                                        "dll directory \"\""}));
}

}  // namespace
