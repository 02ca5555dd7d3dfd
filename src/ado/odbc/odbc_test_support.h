// Helpers for tests that need the real data sources of the test environment
// (scripts/test-env.sh): the data source name from its environment variable,
// or a skip with a message saying how to get one.
#ifndef QUILLOMAR_ADO_ODBC_ODBC_TEST_SUPPORT_H_
#define QUILLOMAR_ADO_ODBC_ODBC_TEST_SUPPORT_H_

#include <gtest/gtest.h>

#include <cstdio>
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

// Adds a data source named `name` on a new SQLite database file `database`
// (absolute path) to the test environment's ODBC file ($ODBCINI), for a test
// that needs a database of its own. One write() call, so that parallel tests
// reading the file never see half a section. Returns false when $ODBCINI is
// unset or cannot be written.
inline bool AddSqliteDataSource(const std::string& name, const std::string& database) {
  std::string ini = EnvOrEmpty("ODBCINI");
  if (ini.empty()) return false;
  std::string section = "\n[" + name + "]\nDriver=SQLite3\nDatabase=" + database +
                        "\nJournalMode=WAL\nSyncPragma=FULL\nStepAPI=1\nTimeout=20000\n";
  std::FILE* file = std::fopen(ini.c_str(), "a");
  if (file == nullptr) return false;
  std::setvbuf(file, nullptr, _IOFBF, section.size() + 1);
  bool ok = std::fwrite(section.data(), 1, section.size(), file) == section.size();
  return std::fclose(file) == 0 && ok;
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
