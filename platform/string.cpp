// CString: formatting, resource strings and the case-insensitive comparison.
#include "platform/string.h"
#include "platform/app.h"

#include <cstdarg>
#include <cstdio>

CString LeadingCharacters(const CString& text, int count) {
  const std::string& bytes = text.str();
  const int size = static_cast<int>(bytes.size());
  std::wstring wide(bytes.size(), L'\0');
  wide.resize(
      static_cast<size_t>(::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, &wide[0], size)));
  if (static_cast<int>(wide.size()) <= count) return text;
  wide.resize(static_cast<size_t>(count));
  // A character outside the BMP is two units: it stays whole or goes.
  if (IS_HIGH_SURROGATE(wide.back())) wide.pop_back();
  std::string leading(bytes.size(), '\0');
  leading.resize(static_cast<size_t>(::WideCharToMultiByte(
      CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), &leading[0], size, nullptr, nullptr)));
  return CString(leading);
}

size_t WholeCharacterLength(const char* text, size_t size) {
  // A character takes at most four bytes (UTF-8); a cut one fails to convert.
  for (size_t cut = 0; cut < 4 && cut < size; ++cut) {
    const int length = static_cast<int>(size - cut);
    if (::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, length, nullptr, 0) > 0) {
      return size - cut;
    }
  }
  return 0;
}

void CString::Format(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  va_list copy;
  va_copy(copy, arguments);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (length < 0) {
    m_text.clear();
  } else {
    m_text.assign(static_cast<size_t>(length) + 1, '\0');
    std::vsnprintf(&m_text[0], m_text.size(), format, arguments);
    m_text.resize(static_cast<size_t>(length));
  }
  va_end(arguments);
}

BOOL CString::LoadString(UINT id) {
  char buffer[1024];
  const int copied = ::LoadStringA(AfxGetInstanceHandle(), id, buffer, sizeof(buffer));
  m_text.assign(buffer, copied > 0 ? static_cast<size_t>(copied) : 0);
  return !m_text.empty();
}

namespace {
unsigned char FoldAsciiLetter(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}
}  // namespace

int CString::CompareNoCase(const char* other) const {
  const unsigned char* a = reinterpret_cast<const unsigned char*>(m_text.c_str());
  const unsigned char* b = reinterpret_cast<const unsigned char*>(other ? other : "");
  for (;; ++a, ++b) {
    const int difference = FoldAsciiLetter(*a) - FoldAsciiLetter(*b);
    if (difference != 0 || *a == 0) return difference;
  }
}
