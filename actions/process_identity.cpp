// Telling a row's own process from one that took over its ID after the fill.
#include "actions/process_identity.h"

#include "platform/system.h"

namespace {

ULONGLONG AsNumber(const FILETIME& time) {
  ULARGE_INTEGER value;
  value.LowPart = time.dwLowDateTime;
  value.HighPart = time.dwHighDateTime;
  return value.QuadPart;
}

}  // namespace

DWORD CreationTimeAccess() {
  const BYTE major = LOBYTE(LOWORD(sys::GetVersion()));
  return major < 6 ? PROCESS_QUERY_INFORMATION : PROCESS_QUERY_LIMITED_INFORMATION;
}

bool ExistedAt(HANDLE process, ULONGLONG time, DWORD& error) {
  FILETIME creation{};
  FILETIME exit{};
  FILETIME kernel{};
  FILETIME user{};
  if (!sys::GetProcessTimes(process, &creation, &exit, &kernel, &user)) {
    error = sys::GetLastError();
    return false;
  }
  // Both times come from the system clock. When it is set back after a fill,
  // say by an hour, a process created in the hour before the step is refused
  // until the clock passes its creation time again, and a refresh does not
  // help; reading each process's creation time during the fill would, at the
  // cost of more calls per row.
  if (AsNumber(creation) > time) {
    error = ERROR_INVALID_PARAMETER;
    return false;
  }
  return true;
}
