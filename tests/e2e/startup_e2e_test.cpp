// Starting Vellorn: its window, its columns, one row per running process, the
// first log line, and a clean end when the window is closed.
#include "tests/support/driver/session.h"
#include "tests/support/log_text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <map>
#include <string>

namespace {

struct SnapshotEntry {
  std::string name;
  DWORD threads = 0;
};

// The processes the system lists now, by id (id 0 is not a process of its own).
std::map<DWORD, SnapshotEntry> RunningProcesses() {
  std::map<DWORD, SnapshotEntry> processes;
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return processes;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (entry.th32ProcessID != 0) {
      processes[entry.th32ProcessID] = SnapshotEntry{entry.szExeFile, entry.cntThreads};
    }
  }
  CloseHandle(snapshot);
  return processes;
}

TEST(StartUp, ShowsTheProcessListAndTheFirstLogLineAndEndsCleanlyWhenClosed) {
  const auto before = RunningProcesses();
  e2e::VellornSession vellorn;
  ASSERT_TRUE(vellorn.Started()) << vellorn.StartError();
  const auto after = RunningProcesses();

  EXPECT_EQ(vellorn.Title(), "Vellorn");
  EXPECT_THAT(vellorn.Columns(), testing::ElementsAre("ID", "Name", "Threads"));
  EXPECT_EQ(vellorn.Log(), support::kLogStart);
  EXPECT_EQ(vellorn.SelectedRow(), -1);

  const std::vector<e2e::ListRow> rows = vellorn.Rows();
  std::map<DWORD, e2e::ListRow> shown;
  for (const e2e::ListRow& row : rows) {
    const DWORD id = static_cast<DWORD>(row.data);
    EXPECT_EQ(row.id, std::to_string(static_cast<int>(id))) << "row " << row.index;
    EXPECT_TRUE(shown.emplace(id, row).second) << "process " << row.id << " listed twice";
    // The program filled its list between the two snapshots.
    const auto then = before.find(id);
    const auto now = after.find(id);
    const bool known = then != before.end() || now != after.end();
    EXPECT_TRUE(known) << "row " << row.id << " " << row.name << " is no running process";
    if (!known) continue;
    const SnapshotEntry& entry = now != after.end() ? now->second : then->second;
    EXPECT_EQ(row.name, entry.name) << "process " << row.id;
    const std::string threadsThen =
        then != before.end() ? std::to_string(then->second.threads) : std::string();
    const std::string threadsNow =
        now != after.end() ? std::to_string(now->second.threads) : std::string();
    EXPECT_FALSE(row.threads.empty()) << "process " << row.id;
    if (id != vellorn.ProcessId()) {
      EXPECT_TRUE(row.threads == threadsThen || row.threads == threadsNow)
          << "process " << row.id << " shows " << row.threads << " threads, the system "
          << threadsThen << " then and " << threadsNow << " now";
    }
  }
  // Every process that ran all along is listed, the test and the program among them.
  for (const auto& [id, entry] : after) {
    if (before.count(id) == 0 && id != vellorn.ProcessId()) continue;
    EXPECT_EQ(shown.count(id), 1u) << "process " << id << " " << entry.name << " is missing";
  }
  ASSERT_EQ(shown.count(GetCurrentProcessId()), 1u);
  EXPECT_EQ(shown[GetCurrentProcessId()].name, "e2e_tests.exe");
  ASSERT_EQ(shown.count(vellorn.ProcessId()), 1u);
  EXPECT_EQ(shown[vellorn.ProcessId()].name, "vellorn.exe");

  vellorn.Close();
  ASSERT_TRUE(vellorn.WaitForExit());
  EXPECT_EQ(vellorn.ExitCode(), 0u);
}

}  // namespace
