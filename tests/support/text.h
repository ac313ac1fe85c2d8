// Text as the tests read it: a window's, of this process or another, and
// how often a piece stands in a text. Needs nothing of the program.
#pragma once

#include <windows.h>

#include <string>

namespace support {

// What WM_GETTEXT gives, exact bytes; empty when there is no window or it
// does not answer within two seconds.
inline std::string WindowText(HWND window) {
  constexpr UINT kAnswerMs = 2000;
  DWORD_PTR length = 0;
  if (!window || !::SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs,
                                        &length)) {
    return {};
  }
  std::string text(length + 1, '\0');
  DWORD_PTR copied = 0;
  if (!::SendMessageTimeoutA(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(&text[0]),
                             SMTO_ABORTIFHUNG, kAnswerMs, &copied)) {
    return {};
  }
  text.resize(copied < length ? copied : length);
  return text;
}

// How many times `what` begins in `text`, overlaps counted.
inline int CountOf(const std::string& text, const std::string& what) {
  int count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

}  // namespace support
