// The protected access lists of the dumps folder and of each dump.
#include "actions/private_access.h"

#include <string>

namespace {

// The running token's user as SID text ("S-1-5-21-...").
bool RunningUser(std::string& sid, DWORD& error) {
  TokenHandle token;
  if (!sys::OpenProcessToken(sys::GetCurrentProcess(), TOKEN_QUERY, token.put())) {
    error = sys::GetLastError();
    return false;
  }
  // Room for the longest SID a token can hold.
  union {
    TOKEN_USER user;
    BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
  } owner{};
  DWORD length = 0;
  if (!sys::GetTokenInformation(token.get(), TokenUser, &owner, sizeof(owner), &length)) {
    error = sys::GetLastError();
    return false;
  }
  LPSTR text = nullptr;
  if (!sys::ConvertSidToStringSidA(owner.user.User.Sid, &text)) {
    error = sys::GetLastError();
    return false;
  }
  const LocalMemory held(text);
  sid = text;
  return true;
}

// A protected list giving full control ("FA") to the user, SYSTEM ("SY")
// and the Administrators ("BA"), each entry with the inheritance `flags`.
std::string PrivateList(const std::string& user, const char* flags) {
  std::string list = "D:P";
  for (const std::string& who : {user, std::string("SY"), std::string("BA")}) {
    list += std::string("(A;") + flags + ";FA;;;" + who + ")";
  }
  return list;
}

bool MakeDescriptor(const std::string& text, LocalMemory& descriptor, DWORD& error) {
  PSECURITY_DESCRIPTOR made = nullptr;
  if (!sys::ConvertStringSecurityDescriptorToSecurityDescriptorA(text.c_str(), SDDL_REVISION_1,
                                                                 &made, nullptr)) {
    error = sys::GetLastError();
    return false;
  }
  descriptor.reset(made);
  return true;
}

}  // namespace

bool CPrivateAccess::Make(DWORD& error) {
  std::string user;
  if (!RunningUser(user, error)) return false;
  // Objects and folders made inside take the folder's entries.
  if (!MakeDescriptor(PrivateList(user, "OICI"), m_folder, error)) return false;
  if (!MakeDescriptor(PrivateList(user, ""), m_file, error)) return false;
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  if (!sys::GetSecurityDescriptorDacl(m_file.get(), &present, &m_fileList, &defaulted)) {
    error = sys::GetLastError();
    return false;
  }
  return true;
}

SECURITY_ATTRIBUTES CPrivateAccess::ForNewFolder() const {
  SECURITY_ATTRIBUTES attributes{};
  attributes.nLength = sizeof(attributes);
  attributes.lpSecurityDescriptor = m_folder.get();
  attributes.bInheritHandle = FALSE;
  return attributes;
}

bool CPrivateAccess::SetOn(HANDLE file, DWORD& error) const {
  // The call gives its error code; it leaves no last-error value to read.
  error = sys::SetSecurityInfo(file, SE_FILE_OBJECT,
                               DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                               nullptr, nullptr, m_fileList, nullptr);
  return error == ERROR_SUCCESS;
}
