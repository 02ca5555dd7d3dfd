// Helpers for tests that need the real data sources of the test environment
// (scripts/test-env.sh): the data source name from its environment variable,
// or a skip with a message saying how to get one.
#ifndef QUILLOMAR_ADO_ODBC_ODBC_TEST_SUPPORT_H_
#define QUILLOMAR_ADO_ODBC_ODBC_TEST_SUPPORT_H_

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace ado::odbc::testing {

// The value of the environment variable `variable`, or "" when unset.
inline std::string EnvOrEmpty(const char* variable) {
  const char* value = std::getenv(variable);
  return value == nullptr ? std::string() : std::string(value);
}

// The message a test shows when it skips for want of a data source.
inline std::string MissingDataSourceMessage(const char* variable) {
  return std::string(variable) +
         " is not set: run ./test.sh, or `source scripts/test-env.sh` in a shell and run this "
         "test program from there.";
}

// The whole content of a file ("" when it cannot be read), for checking a
// server log.
inline std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

}  // namespace ado::odbc::testing

// In a test body or SetUp: sets `var` (a std::string) to the data source
// named by the environment variable `env`, or skips the test.
#define QUILLOMAR_DATA_SOURCE_OR_SKIP(var, env)                                   \
  do {                                                                            \
    var = ::ado::odbc::testing::EnvOrEmpty(env);                                  \
    if (var.empty()) GTEST_SKIP() << ::ado::odbc::testing::MissingDataSourceMessage(env); \
  } while (false)

#endif  // QUILLOMAR_ADO_ODBC_ODBC_TEST_SUPPORT_H_
