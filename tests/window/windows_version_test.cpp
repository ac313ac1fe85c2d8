// ctest runs the *OnEveryVersion suites once per Windows version that the
// test prefix reports to a copy of window_tests.exe; this one proves the
// copies really see their version.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

TEST(WindowsVersionOnEveryVersion, TheProgramSeesTheVersionItsRunWasSetUpFor) {
  const char* configured = std::getenv("VELLORN_WINDOWS_VERSION");
  if (!configured) GTEST_SKIP() << "run through ctest to get a configured version";
  const DWORD version = ::GetVersion();
  const int major = LOBYTE(LOWORD(version));
  const int minor = HIBYTE(LOWORD(version));

  const std::string name = configured;
  if (name == "nt40") {
    EXPECT_EQ(4, major);
    EXPECT_EQ(0, minor);
  } else if (name == "win98") {
    EXPECT_EQ(4, major);
    EXPECT_EQ(10, minor);
  } else {
    EXPECT_NE(4, major) << "the default run should take the snapshot path with three columns";
  }
}

}  // namespace
