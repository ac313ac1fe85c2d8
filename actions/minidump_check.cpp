// The read-back check of a dump: a writer may claim success for a file that
// is cut short (Wine's ignores its own failed writes) or not a dump at all.
#include "actions/minidump_check.h"

#include "platform/handles.h"

#include <algorithm>
#include <vector>

namespace {

// "MDMP" as the header's first four bytes read.
constexpr ULONG32 kMinidumpSignature = 0x504D444D;
// No writer names more streams; reading more would not stay cheap.
constexpr ULONG32 kMaxStreams = 4096;

static_assert(sizeof(MINIDUMP_HEADER) == 32 && sizeof(MINIDUMP_DIRECTORY) == 12 &&
                  sizeof(MINIDUMP_THREAD) == 48 && sizeof(MINIDUMP_MODULE) == 108 &&
                  sizeof(MINIDUMP_SYSTEM_INFO) == 56,
              "the minidump format's own sizes");

// Reads exactly `size` bytes at `offset`; fewer means the file changed
// under the check.
bool ReadAt(HANDLE file, ULONGLONG offset, void* buffer, DWORD size, DWORD& error) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD read = 0;
  if (!sys::ReadFile(file, buffer, size, &read, &at)) {
    error = sys::GetLastError();
    return false;
  }
  if (read != size) {
    error = ERROR_FILE_CORRUPT;
    return false;
  }
  return true;
}

// Reads the header and the stream directory. `end` becomes the end of the
// last part they name as far as they can be read, which lies beyond the
// file's `size` when it is cut short.
bool ReadDirectory(HANDLE file, ULONGLONG size, std::vector<MINIDUMP_DIRECTORY>& directory,
                   ULONGLONG& end, DWORD& error) {
  end = sizeof(MINIDUMP_HEADER);
  if (size < end) return true;
  MINIDUMP_HEADER header{};
  if (!ReadAt(file, 0, &header, sizeof(header), error)) return false;
  if (header.Signature != kMinidumpSignature || LOWORD(header.Version) != MINIDUMP_VERSION ||
      header.NumberOfStreams > kMaxStreams) {
    error = ERROR_FILE_CORRUPT;
    return false;
  }
  const ULONGLONG directoryEnd =
      static_cast<ULONGLONG>(header.StreamDirectoryRva) +
      static_cast<ULONGLONG>(header.NumberOfStreams) * sizeof(MINIDUMP_DIRECTORY);
  end = std::max(end, directoryEnd);
  if (end > size || header.NumberOfStreams == 0) return true;
  std::vector<MINIDUMP_DIRECTORY> entries(header.NumberOfStreams);
  if (!ReadAt(file, header.StreamDirectoryRva, entries.data(),
              static_cast<DWORD>(entries.size() * sizeof(MINIDUMP_DIRECTORY)), error)) {
    return false;
  }
  for (const MINIDUMP_DIRECTORY& entry : entries) {
    if (entry.StreamType == UnusedStream) continue;
    end = std::max(end, static_cast<ULONGLONG>(entry.Location.Rva) + entry.Location.DataSize);
  }
  directory = std::move(entries);
  return true;
}

// The number of entries of `itemSize` bytes a list stream holds (0 when the
// stream cannot hold the count it gives).
bool ListCount(HANDLE file, const MINIDUMP_LOCATION_DESCRIPTOR& list, ULONGLONG itemSize,
               ULONG32& count, DWORD& error) {
  count = 0;
  if (list.DataSize < sizeof(count)) return true;
  if (!ReadAt(file, list.Rva, &count, sizeof(count), error)) return false;
  if (sizeof(count) + count * itemSize > list.DataSize) count = 0;
  return true;
}

// The system, at least one thread and at least one module are described.
// Stream types the check does not know (writers add their own) are ignored.
bool DescribesTheProcess(HANDLE file, const std::vector<MINIDUMP_DIRECTORY>& directory,
                         DWORD& error) {
  bool system = false;
  ULONG32 threads = 0;
  ULONG32 modules = 0;
  for (const MINIDUMP_DIRECTORY& entry : directory) {
    ULONG32 count = 0;
    switch (entry.StreamType) {
      case SystemInfoStream:
        system = system || entry.Location.DataSize >= sizeof(MINIDUMP_SYSTEM_INFO);
        break;
      case ThreadListStream:
        if (!ListCount(file, entry.Location, sizeof(MINIDUMP_THREAD), count, error)) return false;
        threads = std::max(threads, count);
        break;
      case ModuleListStream:
        if (!ListCount(file, entry.Location, sizeof(MINIDUMP_MODULE), count, error)) return false;
        modules = std::max(modules, count);
        break;
      default:
        break;
    }
  }
  if (!system || threads == 0 || modules == 0) {
    error = ERROR_FILE_CORRUPT;
    return false;
  }
  return true;
}

// Why a dump is `missing` bytes short: the drive filled up when it has less
// room left than that. When the room cannot be read, the file is only known
// to be cut short.
DWORD WhyCutShort(const char* folder, ULONGLONG missing) {
  ULARGE_INTEGER available{};
  if (sys::GetDiskFreeSpaceExA(folder, &available, nullptr, nullptr) &&
      available.QuadPart < missing) {
    return ERROR_DISK_FULL;
  }
  return ERROR_FILE_CORRUPT;
}

}  // namespace

bool IsCompleteMinidump(const char* path, const char* folder, DWORD& error) {
  const FileHandle file(sys::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    error = sys::GetLastError();
    return false;
  }
  LARGE_INTEGER size{};
  if (!sys::GetFileSizeEx(file.get(), &size)) {
    error = sys::GetLastError();
    return false;
  }
  const auto bytes = static_cast<ULONGLONG>(size.QuadPart);
  std::vector<MINIDUMP_DIRECTORY> directory;
  ULONGLONG end = 0;
  if (!ReadDirectory(file.get(), bytes, directory, end, error)) return false;
  if (end > bytes) {
    error = WhyCutShort(folder, end - bytes);
    return false;
  }
  return DescribesTheProcess(file.get(), directory, error);
}
