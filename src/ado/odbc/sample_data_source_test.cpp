// scripts/register-sample-dsn.sh: adds the QuillomarSample data source to the
// user's ODBC file once, leaves every other entry as it was, and the entry it
// writes opens an SQLite database under ~/.local/share/Quillomar/.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "ado/connection.h"
#include "ado/odbc/odbc_provider.h"
#include "tests/support/data_sources.h"

namespace ado::odbc {
namespace {

namespace fs = std::filesystem;

class SampleDataSource : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string dir;
    QUILLOMAR_DATA_SOURCE_OR_SKIP(dir, "QUILLOMAR_TEST_DIR");
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = fs::path(dir) / ("sample-" + std::string(test->name()) + "-" +
                             std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "home");
    ini_ = root_ / "odbc.ini";
  }

  void WriteIni(const std::string& text) { std::ofstream(ini_, std::ios::binary) << text; }
  std::string ReadIni() const { return test_support::ReadWholeFile(ini_.string()); }

  // Runs the script with this test's home folder and ODBC file; its exit code.
  int Register() const {
    std::string command = "HOME='" + (root_ / "home").string() + "' ODBCINI='" + ini_.string() +
                          "' bash '" QUILLOMAR_SOURCE_DIR "/scripts/register-sample-dsn.sh' "
                          ">/dev/null 2>&1";
    return std::system(command.c_str());
  }

  std::string ExpectedDatabase() const {
    return fs::canonical(root_ / "home").string() +
           "/.local/share/Quillomar/QuillomarSample.db";
  }

  fs::path root_;
  fs::path ini_;
};

TEST_F(SampleDataSource, AddsItsEntryOnceAndLeavesTheOthersAlone) {
  const std::string others =
      "; my data sources\n[Other]\nDriver=SQLite3\nDatabase=/srv/other.db\n\n"
      "[QuillomarSampleOld]\nDriver=PostgreSQL Unicode";  // no newline at the end
  WriteIni(others);
  ASSERT_EQ(Register(), 0);
  const std::string expected = others + "\n\n[QuillomarSample]\n"
                               "Description=Quillomar sample database\n"
                               "Driver=SQLite3\n"
                               "Database=" + ExpectedDatabase() + "\n"
                               "JournalMode=WAL\n"
                               "SyncPragma=FULL\n"
                               "StepAPI=1\n";
  EXPECT_EQ(ReadIni(), expected);
  ASSERT_EQ(Register(), 0);
  EXPECT_EQ(ReadIni(), expected) << "a second run changed the file";
}

TEST_F(SampleDataSource, KeepsAnEntryThatIsAlreadyThere) {
  for (const std::string existing :
       {"[QuillomarSample]\nDriver=PostgreSQL Unicode\n", "  [quillomarsample]  \nDriver=X\n"}) {
    WriteIni(existing);
    ASSERT_EQ(Register(), 0);
    EXPECT_EQ(ReadIni(), existing);
  }
}

TEST_F(SampleDataSource, TheRegisteredSourceOpensADurableSqliteDatabase) {
  std::string sqlite;
  QUILLOMAR_DATA_SOURCE_OR_SKIP(sqlite, "QUILLOMAR_DSN_SQLITE");  // the SQLite3 driver is set up
  ASSERT_EQ(Register(), 0);  // the ODBC file does not exist yet
  ASSERT_EQ(::setenv("ODBCINI", ini_.c_str(), 1), 0);
  RegisterOdbcProvider();
  Connection connection;
  connection.SetProvider("MSDASQL");
  connection.Open("Data Source=QuillomarSample");
  connection.Execute("CREATE TABLE \"probe\"(\"k\" INTEGER)");
  Recordset rs;
  rs.Open("PRAGMA journal_mode", connection);
  ASSERT_FALSE(rs.IsEOF());
  EXPECT_EQ(rs.Fields(0).Value().ToText(), "wal");
  Recordset sync;
  sync.Open("PRAGMA synchronous", connection);
  ASSERT_FALSE(sync.IsEOF());
  EXPECT_EQ(sync.Fields(0).Value().ToText(), "2") << "SyncPragma=FULL is synchronous 2";
  EXPECT_TRUE(fs::exists(ExpectedDatabase()));
}

}  // namespace
}  // namespace ado::odbc
