// The data sources of the test environment (scripts/test-env.sh) in one
// table, and how a test finds one or skips: each data source is named by an
// environment variable that the environment sets.
#ifndef QUILLOMAR_TESTS_SUPPORT_DATA_SOURCES_H_
#define QUILLOMAR_TESTS_SUPPORT_DATA_SOURCES_H_

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>

namespace test_support {

// The database behind a data source.
enum class Db { kSqlite, kPostgres, kMaria };

// One data source: the name tests show, the variable that holds its data
// source name, and its database.
struct DataSource {
  const char* label;
  const char* variable;
  Db db;
};

// Test names show the database, not the parameter's bytes.
inline void PrintTo(const DataSource& source, std::ostream* out) { *out << source.label; }

// The three servers every database test runs against; MariaDB as a user
// writes its data source (no InitStmt).
inline constexpr DataSource kServers[] = {
    {"Sqlite", "QUILLOMAR_DSN_SQLITE", Db::kSqlite},
    {"Postgres", "QUILLOMAR_DSN_PG", Db::kPostgres},
    {"Maria", "QUILLOMAR_DSN_MARIA", Db::kMaria},
};

// MariaDB sessions in the other two quoting modes: ANSI_QUOTES already set,
// and NO_BACKSLASH_ESCAPES.
inline constexpr DataSource kMariaModes[] = {
    {"MariaAnsiQuotes", "QUILLOMAR_DSN_MARIA_ANSI", Db::kMaria},
    {"MariaNoBackslashEscapes", "QUILLOMAR_DSN_MARIA_NOBS", Db::kMaria},
};

// A PostgreSQL data source whose server is down.
inline constexpr char kPostgresDown[] = "QUILLOMAR_DSN_PG_DOWN";

// The test-name suffix of a parameterised test over DataSource values.
inline std::string DataSourceName(const ::testing::TestParamInfo<DataSource>& info) {
  return info.param.label;
}

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

}  // namespace test_support

// In a test body or SetUp: sets `var` (a std::string) to the data source
// named by the environment variable `env`, or skips the test.
#define QUILLOMAR_DATA_SOURCE_OR_SKIP(var, env)                                     \
  do {                                                                              \
    var = ::test_support::EnvOrEmpty(env);                                          \
    if (var.empty()) GTEST_SKIP() << ::test_support::MissingDataSourceMessage(env); \
  } while (false)

#endif  // QUILLOMAR_TESTS_SUPPORT_DATA_SOURCES_H_
