// The log panel's first line: every log the user sees starts with it.
#pragma once

#include <string>

namespace support {

inline const std::string kLogStart = "Output....\r\n";

}  // namespace support
