// Enabling and disabling one named privilege in an access token.
#pragma once

#include <windows.h>

// Sets privilege `name` in `token` (opened with TOKEN_ADJUST_PRIVILEGES and
// TOKEN_QUERY) enabled or disabled. True when the system reports every
// adjustment as made, judged by the last-error value alone.
bool AdjustPrivilege(HANDLE token, const char* name, bool enable);
