// The framework's start-up runs once per test process before any test, as the
// program's runs before its window: what it holds for the process's life (the
// rich-edit library) is no test's to release, and each test's fake::Reset()
// forgets it.
#include "tests/support/hosted_dialog.h"

#include <gtest/gtest.h>

namespace {

class StartUp : public ::testing::Environment {
 public:
  void SetUp() override { hosted::Application(); }
};

[[maybe_unused]] const ::testing::Environment* const kStartUp =
    ::testing::AddGlobalTestEnvironment(new StartUp);

}  // namespace
