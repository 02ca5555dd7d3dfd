// Registers the program's data-access providers before the first test, as
// main does, for test programs that open connections through the windows.
#include <gtest/gtest.h>

#include "program/providers.h"

namespace {

class ProvidersEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { program::RegisterProviders(); }
};

// GoogleTest owns the environment and runs it before the first test.
[[maybe_unused]] ::testing::Environment* const kProviders =
    ::testing::AddGlobalTestEnvironment(new ProvidersEnvironment);

}  // namespace
