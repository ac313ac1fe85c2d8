// CString: the toolkit's 8-bit ANSI string.
#pragma once

#include <windows.h>

#include <string>

class CString {
 public:
  CString() = default;
  CString(const char* text) : m_text(text ? text : "") {}  // NOLINT: implicit by design
  CString(const std::string& text) : m_text(text) {}       // NOLINT: implicit by design

  bool IsEmpty() const { return m_text.empty(); }
  operator const char*() const { return m_text.c_str(); }  // NOLINT: implicit by design
  const std::string& str() const { return m_text; }

  // printf-style formatting ("%d" and friends) replacing the whole text.
  void Format(const char* format, ...);
  // The string resource `id` of the program; false (and empty) when missing.
  BOOL LoadString(UINT id);

  CString& operator+=(const CString& other) {
    m_text += other.m_text;
    return *this;
  }
  friend CString operator+(const CString& a, const CString& b) {
    return CString(a.m_text + b.m_text);
  }
  friend CString operator+(const CString& a, const char* b) {
    return CString(a.m_text + (b ? b : ""));
  }
  friend CString operator+(const char* a, const CString& b) {
    return CString((a ? a : "") + b.m_text);
  }
  // Compare texts through str(): through the conversion above, == and !=
  // would compare addresses.
  friend bool operator==(const CString&, const CString&) = delete;
  friend bool operator==(const CString&, const char*) = delete;
  friend bool operator==(const char*, const CString&) = delete;
  friend bool operator!=(const CString&, const CString&) = delete;
  friend bool operator!=(const CString&, const char*) = delete;
  friend bool operator!=(const char*, const CString&) = delete;

  // Case-insensitive comparison: A-Z fold to a-z, every other byte compares by
  // its unsigned code; a text that begins the other sorts first. The sign of
  // the result tells the order.
  int CompareNoCase(const char* other) const;

 private:
  std::string m_text;
};

// Names in the ANSI code page, which may take several bytes a character
// (UTF-8 up to three for each UTF-16 unit of a name).

// The beginning of `text` that the system's "first `count` characters" are:
// at most `count` UTF-16 units, whole characters only.
CString LeadingCharacters(const CString& text, int count);

// The length of the longest beginning of the `size` bytes at `text` that ends
// with a whole character: what is left of a name cut short at a byte count.
size_t WholeCharacterLength(const char* text, size_t size);
