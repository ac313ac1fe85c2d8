// What the volume under a dump says of its access lists.
#include "actions/volume_security.h"

#include "platform/entry_point.h"

#include <cstring>

namespace {

// Windows Vista and later ask the volume of an open handle; earlier ones only
// a volume's root.
using VolumeInformationByHandle = decltype(&::GetVolumeInformationByHandleW);

VolumeInformationByHandle FindVolumeInformationByHandle() {
  const HMODULE kernel = sys::GetModuleHandleA("KERNEL32.DLL");
  if (kernel == nullptr) return nullptr;
  return EntryPoint<VolumeInformationByHandle>(kernel, "GetVolumeInformationByHandleW");
}

// The file system flags of the volume mounted where `path` lies: a drive's
// root or a folder that another volume is mounted on.
bool RootVolumeFlags(const char* path, DWORD& flags, DWORD& error) {
  // A trailing separator and its zero must fit.
  char root[MAX_PATH + 1] = {};
  if (!sys::GetVolumePathNameA(path, root, MAX_PATH)) {
    error = sys::GetLastError();
    return false;
  }
  // The volume's root must end in a separator.
  const size_t length = std::strlen(root);
  if (length == 0 || root[length - 1] != '\\') root[length] = '\\';
  if (!sys::GetVolumeInformationA(root, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0)) {
    error = sys::GetLastError();
    return false;
  }
  return true;
}

}  // namespace

bool VolumeKeepsAccessLists(HANDLE file, const char* path, bool& keeps, DWORD& error) {
  DWORD flags = 0;
  if (const VolumeInformationByHandle byHandle = FindVolumeInformationByHandle()) {
    if (!byHandle(file, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0)) {
      error = sys::GetLastError();
      return false;
    }
  } else if (!RootVolumeFlags(path, flags, error)) {
    return false;
  }
  keeps = (flags & FILE_PERSISTENT_ACLS) != 0;
  return true;
}
