// lldb-16 as the independent reader of the dumps the program writes, run as
// a Unix program from the Wine side.
#pragma once

#include <string>
#include <vector>

namespace e2e {

// The Unix path of a Windows path, as Wine maps it; empty outside Wine.
std::string UnixPath(const std::string& windowsPath);

// What `lldb-16 --batch -c DUMP -o "thread list" -o "image list"` prints for
// each dump, run one after the other; the listing files are kept in
// `workFolder`. Each listing is "lldb-16 timed out" when the run did not end
// in time.
std::vector<std::string> ReadDumpsWithLldb(const std::vector<std::string>& dumps,
                                           const std::string& workFolder);
std::string ReadDumpWithLldb(const std::string& dump, const std::string& workFolder);

}  // namespace e2e
