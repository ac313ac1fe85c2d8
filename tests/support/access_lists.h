// Access lists as a test reads them, straight through the system (not
// through the seam), as SDDL text: "D:P(A;;FA;;;SY)(A;;FA;;;BA)".
#pragma once

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <string>
#include <vector>

namespace support {

// The user of this process's token, e.g. "S-1-5-21-0-0-0-1000".
inline std::string RunningUserSid() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return "no token";
  union {
    TOKEN_USER user;
    BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
  } owner{};
  DWORD length = 0;
  char* text = nullptr;
  std::string sid = "no user";
  if (::GetTokenInformation(token, TokenUser, &owner, sizeof owner, &length) &&
      ::ConvertSidToStringSidA(owner.user.User.Sid, &text)) {
    sid = text;
    ::LocalFree(text);
  }
  ::CloseHandle(token);
  return sid;
}

// A descriptor's access list; "none" when there is no descriptor.
inline std::string ListText(PSECURITY_DESCRIPTOR descriptor) {
  char* text = nullptr;
  if (!descriptor || !::ConvertSecurityDescriptorToStringSecurityDescriptorA(
                         descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr)) {
    return "none";
  }
  std::string list = text;
  ::LocalFree(text);
  return list;
}

// A list given on its own, protected or not.
inline std::string ListText(PACL list, bool isProtected) {
  SECURITY_DESCRIPTOR descriptor;
  ::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
  ::SetSecurityDescriptorDacl(&descriptor, TRUE, list, FALSE);
  ::SetSecurityDescriptorControl(&descriptor, SE_DACL_PROTECTED,
                                 isProtected ? SE_DACL_PROTECTED : 0);
  return ListText(&descriptor);
}

// The list of the file or folder at `path`.
inline std::string ListTextOf(const std::string& path) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  PACL list = nullptr;
  if (::GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, &list, nullptr, &descriptor) != ERROR_SUCCESS) {
    return "none";
  }
  std::string text = ListText(descriptor);
  ::LocalFree(descriptor);
  return text;
}

// Whom the allowing entries of a list name ("SY", "BA", a SID...), in order.
inline std::vector<std::string> AllowedBy(const std::string& list) {
  std::vector<std::string> allowed;
  for (size_t open = list.find('('); open != std::string::npos; open = list.find('(', open + 1)) {
    const size_t close = list.find(')', open);
    const std::string entry = list.substr(open + 1, close - open - 1);
    if (entry.compare(0, 2, "A;") == 0) allowed.push_back(entry.substr(entry.rfind(';') + 1));
  }
  return allowed;
}

}  // namespace support
