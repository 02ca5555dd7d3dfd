// foxsql as a user runs it: arguments, standard input, CSV output, exit
// statuses.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "foxpro/util/test_support.h"
#include "shell.h"

namespace foxsql {
namespace {

namespace fs = std::filesystem;

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = foxpro::test_support::MakeTempFolder("foxsql_");
    ASSERT_FALSE(folder_.empty());
  }
  void TearDown() override { fs::remove_all(folder_); }

  int Run(std::vector<std::string> args, const std::string& input = "") {
    std::istringstream in(input);
    out_.str("");
    err_.str("");
    return RunShell(args, in, out_, err_);
  }

  std::string folder_;
  std::ostringstream out_, err_;
};

TEST_F(ShellTest, StatementsFromArgumentsGiveCsv) {
  ASSERT_EQ(
      Run({folder_, "CREATE TABLE t (a C(10) NULL, b N(6,2), c M, d L, e T)",
           "INSERT INTO t VALUES('x,y', 1.5, 'say \"hi\"\r\nbye', .T., '2024-01-02 03:04:05.006')",
           "INSERT INTO t VALUES(NULL, -2, '', .F., '')", "SELECT * FROM t"}),
      kExitOk)
      << err_.str();
  EXPECT_EQ(out_.str(),
            "a,b,c,d,e\r\n"
            "\"x,y\",1.50,\"say \"\"hi\"\"\r\nbye\",True,2024-01-02 03:04:05.006\r\n"
            ",-2.00,\"\",False,\r\n");
}

TEST_F(ShellTest, StatementsFromStandardInput) {
  std::string script =
      "CREATE TABLE t (a M);\n"
      "INSERT INTO t VALUES('two\nlines; and a semicolon')\n"
      ".tables\n"
      ".schema t\n"
      "select * from t\n";
  ASSERT_EQ(Run({folder_}, script), kExitOk) << err_.str();
  EXPECT_EQ(out_.str(),
            "table_type,table_name\r\nTABLE,t\r\n"
            "field,long_name,type,width,decimals,null,binary,autoinc\r\n"
            "A,,M,4,0,True,False,False\r\n"
            "a\r\n\"two\nlines; and a semicolon\"\r\n");
}

TEST_F(ShellTest, ExitStatuses) {
  EXPECT_EQ(Run({}), kExitUsage);
  EXPECT_NE(err_.str().find("PATH"), std::string::npos);
  EXPECT_EQ(Run({"--bogus"}), kExitUsage);
  EXPECT_EQ(Run({"--help"}), kExitOk);
  EXPECT_NE(out_.str().find("null value is an empty"), std::string::npos);
  EXPECT_EQ(Run({folder_, "SELECT * FROM nothing", "CREATE TABLE ok (a I)"}), kExitStatementFailed);
  EXPECT_EQ(err_.str(), "foxsql: File 'nothing.dbf' does not exist.\n");
  EXPECT_TRUE(fs::exists(folder_ + "/ok.dbf"));
  EXPECT_EQ(Run({folder_ + "/missing"}), kExitStatementFailed);
  EXPECT_EQ(Run({folder_, ".unknown"}), kExitStatementFailed);
}

// Overwrites 4 bytes of a file in place (little-endian).
void Patch32(const std::string& path, std::streamoff offset, std::uint32_t value) {
  std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
  file.seekp(offset);
  char bytes[4];
  std::memcpy(bytes, &value, 4);
  file.write(bytes, 4);
}

// The offset of the memo pointer of record `record` (1-based) of a table
// whose second field is its first memo field, after a 4-byte first field.
std::streamoff MemoPointerOffset(const std::string& path, int record) {
  std::ifstream file(path, std::ios::binary);
  unsigned char head[12] = {};
  file.read(reinterpret_cast<char*>(head), sizeof head);
  const int header_length = head[8] | head[9] << 8, record_length = head[10] | head[11] << 8;
  return header_length + (record - 1) * record_length + 5;
}

TEST_F(ShellTest, DamagedValuePrintsNullAndTheRowsGoOn) {
  ASSERT_EQ(Run({folder_, "CREATE TABLE t (id I, notes M)", "INSERT INTO t VALUES (1, 'a')",
                 "INSERT INTO t VALUES (2, 'b')", "INSERT INTO t VALUES (3, 'c')"}),
            kExitOk);
  Patch32(folder_ + "/t.dbf", MemoPointerOffset(folder_ + "/t.dbf", 2), 99999);
  EXPECT_EQ(Run({folder_, "SELECT * FROM t", "SELECT notes FROM t"}), kExitStatementFailed);
  EXPECT_EQ(out_.str(), "id,notes\r\n1,a\r\n2,\r\n3,c\r\nnotes\r\na\r\n\r\nc\r\n");
  const std::string message =
      "foxsql: t.dbf: record 2, field NOTES: t.fpt: memo block 99999 lies past the end of the "
      "memo file";
  EXPECT_EQ(err_.str().find(message), 0u) << err_.str();
  EXPECT_NE(err_.str().find(message, 1), std::string::npos) << err_.str();
  // A header counting fewer records than the file holds: the counted rows
  // and a warning.
  Patch32(folder_ + "/t.dbf", 4, 1);
  EXPECT_EQ(Run({folder_, "SELECT id FROM t"}), kExitStatementFailed);
  EXPECT_EQ(out_.str(), "id\r\n1\r\n");
  EXPECT_EQ(err_.str(),
            "foxsql: t.dbf: the header counts 1 record but 2 complete records follow them in the "
            "file and are not read\n");
}

TEST_F(ShellTest, TableWithAnUnreadableHeaderIsListedAndFailsToOpen) {
  std::ofstream(folder_ + "/bad.dbf", std::ios::binary) << std::string("\x30\x01\x02", 3);
  EXPECT_EQ(Run({folder_, ".tables", "SELECT * FROM bad"}), kExitStatementFailed);
  EXPECT_EQ(out_.str(), "table_type,table_name\r\nTABLE,bad\r\n");
  EXPECT_EQ(err_.str(), "foxsql: bad.dbf: the file is too short to be a table\n");
}

TEST_F(ShellTest, SchemaTakesQuotedNamesAndShowsNonAsciiNames) {
  ASSERT_EQ(Run({folder_, "CREATE TABLE [my table] (größe C(2))"}), kExitOk) << err_.str();
  const std::string schema =
      "field,long_name,type,width,decimals,null,binary,autoinc\r\n"
      "GRößE,,C,2,0,True,False,False\r\n";
  for (const char* command : {".schema [my table]", ".schema \"my table\"", ".schema my table"}) {
    SCOPED_TRACE(command);
    EXPECT_EQ(Run({folder_, command}), kExitOk) << err_.str();
    EXPECT_EQ(out_.str(), schema);
  }
  EXPECT_EQ(Run({folder_, "SELECT * FROM [my table]"}), kExitOk);
  EXPECT_EQ(out_.str(), "größe\r\n");
  EXPECT_EQ(Run({folder_, ".schema [my table"}), kExitStatementFailed);
  EXPECT_EQ(err_.str(), "foxsql: .schema: the table name [my table is not closed.\n");
}

TEST(SplitScript, QuotesKeepLineBreaksAndSemicolons) {
  EXPECT_EQ(SplitScript("a;b\nc\n\n  .tables\nd 'x;\ny' e;"),
            (std::vector<std::string>{"a;", "b", "c", ".tables", "d 'x;\ny' e;"}));
  EXPECT_EQ(SplitScript("INSERT INTO [a;b] VALUES('it''s;')"),
            (std::vector<std::string>{"INSERT INTO [a;b] VALUES('it''s;')"}));
}

TEST(CsvField, QuotesOnlyWhenNeeded) {
  EXPECT_EQ(CsvField("plain"), "plain");
  EXPECT_EQ(CsvField(""), "\"\"");
  EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
  EXPECT_EQ(CsvField("q\"q"), "\"q\"\"q\"");
  EXPECT_EQ(CsvField(" lead"), "\" lead\"");
}

}  // namespace
}  // namespace foxsql
