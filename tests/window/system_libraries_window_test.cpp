// Where the library search would find a stand-in first, as on a system
// without the process-wide restriction (a test's process never restricts it),
// each system library the program loads by name still comes from the system
// folder. Wine takes a file of these names from the search before its own
// copy for this program, as Windows does for libraries that are not its
// known ones (the prefix's settings, tests/support/wine_env.sh).
#include "platform/app.h"
#include "platform/system.h"
#include "process/process_status_api.h"
#include "tests/support/files.h"
#include "tests/support/hosted_dialog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using ::testing::IsEmpty;

constexpr const char* kLoadedByName[] = {"RICHED20.DLL", "PSAPI.DLL", "dbghelp.dll"};

std::string FolderOf(HMODULE module) {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
  const std::string file(path, length);
  return file.substr(0, file.find_last_of('\\'));
}

std::string SystemFolder() {
  char folder[MAX_PATH] = {};
  GetSystemDirectoryA(folder, MAX_PATH);
  return folder;
}

TEST(SystemLibraries, EachLoadedByNameComesFromTheSystemFolderWhereTheSearchFindsAStandInFirst) {
  for (const char* library : kLoadedByName) {
    // Loaded already, a library is found by its name alone.
    if (GetModuleHandleA(library) != nullptr) GTEST_SKIP() << library << " is loaded already";
  }
  char current[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, current);
  const std::string planted =
      std::string(current) + "\\planted-" + std::to_string(GetCurrentProcessId());
  support::RemoveTree(planted);
  ASSERT_TRUE(CreateDirectoryA(planted.c_str(), nullptr));
  const std::string standIn = FolderOf(nullptr) + "\\standin_library.dll";
  for (const char* library : kLoadedByName) {
    ASSERT_TRUE(CopyFileA(standIn.c_str(), (planted + "\\" + library).c_str(), FALSE));
  }
  // Searched right after the program's own folder.
  ASSERT_TRUE(SetDllDirectoryA(planted.c_str()));

  hosted::Application();  // the rich-edit library, as the program's start-up loads it
  const LoadedLibrary processStatus = LoadProcessStatusApi();
  // The dump writer's library is loaded on the first dump, whatever it is asked.
  sys::MiniDumpWriteDump(nullptr, 0, nullptr, MiniDumpNormal, nullptr, nullptr, nullptr);
  SetDllDirectoryA(nullptr);

  for (const char* library : kLoadedByName) {
    SCOPED_TRACE(library);
    const HMODULE module = GetModuleHandleA(library);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(FolderOf(module), SystemFolder());
  }
  std::vector<std::string> marks;
  for (const std::string& file : support::FilesIn(planted)) {
    if (file.find(".loaded") != std::string::npos) marks.push_back(file);
  }
  EXPECT_THAT(marks, IsEmpty());
  support::RemoveTree(planted);
}

}  // namespace
