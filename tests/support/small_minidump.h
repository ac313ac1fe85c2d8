// A small minidump a debugger opens, built in memory for tests that stand in
// for the dump writer: a header, a directory of three streams, the system
// information, a thread list and a module list.
#pragma once

#include <windows.h>

#include <dbghelp.h>

#include <cstring>
#include <string>

namespace support {

// Where the parts of a SmallMinidump lie.
struct MinidumpLayout {
  size_t directory;  // the stream directory: the system, the threads, the modules
  size_t system;     // the streams in that order
  size_t threadList;
  size_t moduleList;  // the last stream
  size_t size;        // of the whole dump
};

// Its entries in the directory.
enum MinidumpEntry { kSystemEntry, kThreadsEntry, kModulesEntry };

inline MinidumpLayout SmallMinidumpLayout(ULONG32 threads = 1) {
  MinidumpLayout layout{};
  layout.directory = sizeof(MINIDUMP_HEADER);
  layout.system = layout.directory + 3 * sizeof(MINIDUMP_DIRECTORY);
  layout.threadList = layout.system + sizeof(MINIDUMP_SYSTEM_INFO);
  layout.moduleList = layout.threadList + sizeof(ULONG32) + threads * sizeof(MINIDUMP_THREAD);
  layout.size = layout.moduleList + sizeof(ULONG32) + sizeof(MINIDUMP_MODULE);
  return layout;
}

inline std::string SmallMinidump(ULONG32 threads = 1) {
  const MinidumpLayout layout = SmallMinidumpLayout(threads);
  std::string dump(layout.size, '\0');
  char* const bytes = &dump[0];
  MINIDUMP_HEADER header{};
  header.Signature = 0x504D444D;                        // "MDMP"
  header.Version = MINIDUMP_VERSION | (0x1234u << 16);  // the high word is the writer's own
  header.NumberOfStreams = 3;
  header.StreamDirectoryRva = static_cast<RVA>(layout.directory);
  std::memcpy(bytes, &header, sizeof(header));
  const MINIDUMP_DIRECTORY directory[3] = {
      {SystemInfoStream, {sizeof(MINIDUMP_SYSTEM_INFO), static_cast<RVA>(layout.system)}},
      {ThreadListStream,
       {static_cast<ULONG32>(layout.moduleList - layout.threadList),
        static_cast<RVA>(layout.threadList)}},
      {ModuleListStream,
       {static_cast<ULONG32>(layout.size - layout.moduleList),
        static_cast<RVA>(layout.moduleList)}}};
  std::memcpy(bytes + layout.directory, directory, sizeof(directory));
  std::memcpy(bytes + layout.threadList, &threads, sizeof(threads));
  const ULONG32 modules = 1;
  std::memcpy(bytes + layout.moduleList, &modules, sizeof(modules));
  return dump;
}

// `dump` with the type of one directory entry changed.
inline std::string WithStreamType(std::string dump, MinidumpEntry entry, ULONG32 type) {
  std::memcpy(&dump[SmallMinidumpLayout().directory + entry * sizeof(MINIDUMP_DIRECTORY)], &type,
              sizeof(type));
  return dump;
}

}  // namespace support
