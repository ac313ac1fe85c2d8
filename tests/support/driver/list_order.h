// The order of the list's Name column as the user sees it: names compare
// without regard to the case of A-Z, as the list's own sort does.
#pragma once

#include <string>

namespace e2e {

// Below zero when `a` sorts before `b`, zero when they sort alike.
inline int CompareNames(const std::string& a, const std::string& b) {
  const auto fold = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; };
  for (size_t i = 0;; ++i) {
    const unsigned char x = i < a.size() ? static_cast<unsigned char>(a[i]) : 0;
    const unsigned char y = i < b.size() ? static_cast<unsigned char>(b[i]) : 0;
    const int difference = fold(x) - fold(y);
    if (difference != 0 || x == 0) return difference;
  }
}

}  // namespace e2e
