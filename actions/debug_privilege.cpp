// The debug privilege: enabled while the window initialises, given up at teardown.
#include "actions/debug_privilege.h"

#include "app/main_dialog.h"
#include "platform/handles.h"

namespace {

constexpr char kDebugPrivilege[] = "SeDebugPrivilege";
constexpr DWORD kTokenAccess = TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY;

}  // namespace

bool AdjustPrivilege(HANDLE token, const char* name, bool enable) {
  DWORD returnedLength = sizeof(TOKEN_PRIVILEGES);
  LUID luid{};
  if (!sys::LookupPrivilegeValueA(nullptr, name, &luid)) return false;

  TOKEN_PRIVILEGES newState{};
  newState.PrivilegeCount = 1;
  newState.Privileges[0].Luid = luid;
  newState.Privileges[0].Attributes = 0;
  // Zero-filled, so that when the first adjustment changes nothing (and
  // reports no entry) the second starts from "disabled, no other bits".
  TOKEN_PRIVILEGES previousState{};

  // The return value says nothing about privileges left unassigned; the
  // last-error value does.
  sys::AdjustTokenPrivileges(token, FALSE, &newState, sizeof(TOKEN_PRIVILEGES), &previousState,
                             &returnedLength);
  if (sys::GetLastError() != ERROR_SUCCESS) return false;

  previousState.PrivilegeCount = 1;
  previousState.Privileges[0].Luid = luid;
  if (enable) {
    previousState.Privileges[0].Attributes |= SE_PRIVILEGE_ENABLED;
  } else {
    previousState.Privileges[0].Attributes &= ~static_cast<DWORD>(SE_PRIVILEGE_ENABLED);
  }
  sys::AdjustTokenPrivileges(token, FALSE, &previousState, returnedLength, nullptr, nullptr);
  return sys::GetLastError() == ERROR_SUCCESS;
}

void CMainDialog::EnableDebugPrivilege() {
  TokenHandle token;
  const bool opened =
      sys::OpenProcessToken(sys::GetCurrentProcess(), kTokenAccess, token.put()) != FALSE;
  if (opened && AdjustPrivilege(token.get(), kDebugPrivilege, true)) return;
  const DWORD error = sys::GetLastError();
  token.reset();
  if (error == ERROR_ACCESS_DENIED) {
    MessageBox("Access Denied.",
               "Unable to grant Debug Privilege.  You may not be able to create dumps on system "
               "processes.",
               MB_OK);
  }
}

void CMainDialog::DisableDebugPrivilege() {
  TokenHandle token;
  if (!sys::OpenProcessToken(sys::GetCurrentProcess(), kTokenAccess, token.put())) return;
  AdjustPrivilege(token.get(), kDebugPrivilege, false);
}
