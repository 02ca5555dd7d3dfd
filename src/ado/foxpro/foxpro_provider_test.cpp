// The provider through the data-access layer: connection strings, the tables
// schema, type codes and values, record counts and failures.
#include "ado/foxpro/foxpro_provider.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "ado/connection.h"
#include "foxpro/dbf/table.h"
#include "foxpro/util/test_support.h"

namespace ado::foxpro {
namespace {

namespace fs = std::filesystem;

std::string Fixture(const std::string& path) {
  return std::string(QUILLOMAR_FIXTURES) + "/vfp/" + path;
}

struct SourceCase {
  const char* connection_string;
  const char* data_source;
  const char* collation;
};

TEST(FoxproConnectionString, DataSourceTakenExactly) {
  const SourceCase cases[] = {
      {"Provider=vfpoledb.1;Data Source=/data/x;Collating Sequence=general;", "/data/x", "general"},
      {"Provider=vfpoledb.1;Data Source=/a;b/c.dbc;Collating Sequence=machine;", "/a;b/c.dbc",
       "machine"},
      {"Provider=vfpoledb.1;Data Source=;Collating Sequence=machine;", "", "machine"},
      {"Provider=vfpoledb.1;Data Source= /x ;Collating Sequence=general;", " /x ", "general"},
      {"provider=VFPOLEDB.1;DATA SOURCE=/x;COLLATING SEQUENCE=MACHINE", "/x", "machine"},
      {"Provider=vfpoledb.1;Data Source=/x;y", "/x;y", "machine"},
      {"Data Source=/x;Provider=vfpoledb.1", "/x", "machine"},
      {"Provider=vfpoledb.1;Data Source=/Collating Sequence=x;Collating Sequence=general;",
       "/Collating Sequence=x", "general"},
  };
  for (const SourceCase& c : cases) {
    FoxproSource source = ParseFoxproConnectionString(c.connection_string);
    EXPECT_EQ(source.data_source, c.data_source) << c.connection_string;
    EXPECT_EQ(source.collating_sequence, c.collation) << c.connection_string;
  }
  EXPECT_THROW(ParseFoxproConnectionString("Data Source=/x;Collating Sequence=klingon;"), Error);
}

TEST(FoxproTypeCodes, AsTheDesignLists) {
  struct Case {
    char type;
    std::uint8_t flags;
    int code;
  } cases[] = {{'C', 0, 129},  {'V', 0, 200},    {'M', 0, 201},    {'M', 0x04, 205},
               {'N', 0, 131},  {'F', 0, 131},    {'I', 0x04, 3},   {'B', 0x04, 5},
               {'Y', 0x04, 6}, {'D', 0, 133},    {'T', 0x04, 135}, {'L', 0, 11},
               {'G', 0, 205},  {'W', 0x04, 205}, {'Q', 0x04, 204}};
  for (const Case& c : cases) {
    ::foxpro::FieldInfo field;
    field.type = c.type;
    field.flags = c.flags;
    field.width = c.type == 'B' ? 8 : 4;
    EXPECT_EQ(AdoTypeOfField(field), c.code) << c.type;
  }
}

class ProviderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterFoxproProvider();
    folder_ = ::foxpro::test_support::MakeTempFolder("foxpro_provider_");
    ASSERT_FALSE(folder_.empty());
  }
  void TearDown() override { fs::remove_all(folder_); }

  void OpenFolder(Connection* connection) {
    connection->Open("Provider=vfpoledb.1;Data Source=" + folder_ + ";Collating Sequence=general;");
  }

  std::string folder_;
};

TEST_F(ProviderTest, FolderSchemaListsTableFilesOnly) {
  Connection connection;
  OpenFolder(&connection);
  connection.Execute("CREATE TABLE \"Alpha\"(\"a\" M)");
  connection.Execute("CREATE TABLE beta (b C(1))");
  fs::rename(folder_ + "/beta.dbf", folder_ + "/beta.DBF");
  std::ofstream(folder_ + "/notes.dbf") << "not a table at all";
  std::ofstream(folder_ + "/readme.txt") << "x";
  fs::create_directory(folder_ + "/sub.dbf");
  auto schema = connection.OpenSchema(20);
  std::vector<std::string> names;
  for (; !schema->IsEOF(); schema->MoveNext()) {
    EXPECT_EQ(schema->Fields("TABLE_TYPE").Value().AsText(), "TABLE");
    names.push_back(schema->Fields("TABLE_NAME").Value().AsText());
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "beta"}));
}

TEST_F(ProviderTest, ValuesAndTypesThroughARecordset) {
  Connection connection;
  connection.SetCursorLocation(3);
  OpenFolder(&connection);
  connection.Execute(
      "CREATE TABLE t (c C(5), v V(5), m M, n N(8,2), i I, b B, y Y, d D, ts T, l L, w W, q Q(4))");
  connection.Execute(
      "INSERT INTO t VALUES('ab', 'cd ', 'memo', -1.5, 7, 0.25, -12.3456, '2024-02-29', "
      "'2024-02-29 10:11:12.345', .T., 'blob', 'qq')");
  connection.Execute(
      "INSERT INTO t VALUES(NULL, NULL, NULL, NULL, NULL, NULL, NULL, '', '', NULL, NULL, NULL)");
  Recordset rs;
  rs.Open("SELECT * FROM [t]", connection, 3, 3);
  ASSERT_EQ(rs.RecordCount(), 2);
  const int codes[] = {129, 200, 201, 131, 3, 5, 6, 133, 135, 11, 205, 204};
  ASSERT_EQ(rs.FieldCount(), 12);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(rs.Fields(i).Type(), codes[i]) << i;
  EXPECT_EQ(rs.Fields(0).name(), "c");
  EXPECT_EQ(rs.Fields("c").Value(), Value::Text("ab"));
  EXPECT_EQ(rs.Fields("v").Value(), Value::Text("cd "));
  EXPECT_EQ(rs.Fields("n").Value().ToText(), "-1.5");
  EXPECT_EQ(rs.Fields("i").Value(), Value::Int(7));
  EXPECT_EQ(rs.Fields("b").Value(), Value::Double(0.25));
  EXPECT_EQ(rs.Fields("y").Value(), Value::Money(Currency{-123456}));
  EXPECT_EQ(rs.Fields("d").Value().ToText(), "2024-02-29");
  EXPECT_EQ(rs.Fields("ts").Value().ToText(), "2024-02-29 10:11:12.345");
  EXPECT_EQ(rs.Fields("l").Value(), Value::Bool(true));
  EXPECT_EQ(rs.Fields("w").Value(), Value::Binary("blob"));
  EXPECT_EQ(rs.Fields("q").Value(), Value::Binary("qq"));
  rs.MoveNext();
  ASSERT_FALSE(rs.IsEOF());
  for (int i = 0; i < 12; ++i) EXPECT_TRUE(rs.Fields(i).Value().IsNull()) << i;
  rs.MoveNext();
  EXPECT_TRUE(rs.IsEOF());
}

TEST_F(ProviderTest, ServerSideRecordCountIsExactBeforeReading) {
  Connection connection;
  OpenFolder(&connection);
  connection.Execute("CREATE TABLE t (a I)");
  for (int i = 0; i < 300; ++i)
    connection.Execute("INSERT INTO t VALUES(" + std::to_string(i) + ")");
  {
    auto table = ::foxpro::Table::Open(::foxpro::DefaultFileSystem(), folder_ + "/t.dbf",
                                       ::foxpro::OpenOptions{true, 0});
    ASSERT_TRUE(table.ok());
    ASSERT_TRUE((*table)->MarkDeleted(0).ok());
  }
  Recordset rs;
  rs.Open("SELECT * FROM t", connection);
  EXPECT_EQ(rs.RecordCount(), 299);
  EXPECT_EQ(rs.Fields(0).Value(), Value::Int(1));
}

TEST_F(ProviderTest, FailuresBecomeErrorsWithTheEngineMessage) {
  Connection connection;
  EXPECT_THROW(connection.Open("Provider=vfpoledb.1;Data Source=" + folder_ +
                               "/none;Collating Sequence=machine;"),
               Error);
  OpenFolder(&connection);
  try {
    connection.Execute("DROP TABLE [missing]");
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_STREQ(error.description(), "File 'missing.dbf' does not exist.");
    EXPECT_NE(error.number(), 0);
  }
  EXPECT_THROW(connection.Execute("UPDATE x SET a = 1"), Error);
  Recordset rs;
  EXPECT_THROW(rs.Open("SELECT * FROM nothing", connection), Error);
  // The engine has no transactions: asking for one is a clear failure.
  EXPECT_THROW(connection.SetAutoCommit(false), Error);
  EXPECT_THROW(connection.CommitTrans(), Error);
  EXPECT_THROW(connection.RollbackTrans(), Error);
}

TEST_F(ProviderTest, ContainerSchemaAndLongNames) {
  if (!fs::is_directory(Fixture(""))) GTEST_SKIP() << "FoxPro fixtures not found; skipped";
  Connection connection;
  connection.Open("Provider=vfpoledb.1;Data Source=" + Fixture("foxbin2prg/fb2p_dbc.dbc") +
                  ";Collating Sequence=machine;");
  auto schema = connection.OpenSchema(20);
  int tables = 0, views = 0;
  for (; !schema->IsEOF(); schema->MoveNext()) {
    std::string type = schema->Fields("TABLE_TYPE").Value().AsText();
    (type == "TABLE" ? tables : views)++;
    EXPECT_TRUE(type == "TABLE" || type == "VIEW") << type;
  }
  EXPECT_EQ(tables, 2);
  EXPECT_EQ(views, 5);
  connection.SetCursorLocation(3);
  Recordset rs;
  rs.Open("SELECT * FROM [nombrelargodeldbf]", connection, 3, 3);
  EXPECT_EQ(rs.RecordCount(), 5);
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

// A 100-row table whose record 50 has a memo pointer past the end of the
// memo file, with a sound header and with one that counts only 98 records:
// every counted row arrives, the damaged value gives one error naming table,
// record and field, and a miscounted header gives one warning.
TEST_F(ProviderTest, DamagedValueArrivesNullWithOneErrorAndTheRowsGoOn) {
  for (int location : {2, 3}) {
    for (bool short_count : {false, true}) {
      SCOPED_TRACE(std::to_string(location) + (short_count ? " short count" : ""));
      fs::remove_all(folder_);
      fs::create_directory(folder_);
      Connection connection;
      connection.SetCursorLocation(location);
      OpenFolder(&connection);
      connection.Execute("CREATE TABLE t (id I, notes M)");
      for (int i = 1; i <= 100; ++i) {
        connection.Execute("INSERT INTO t VALUES (" + std::to_string(i) + ", 'memo')");
      }
      Patch32(folder_ + "/t.dbf", MemoPointerOffset(folder_ + "/t.dbf", 50), 99999);
      if (short_count) Patch32(folder_ + "/t.dbf", 4, 98);
      const int rows = short_count ? 98 : 100;
      Recordset rs;
      rs.Open("SELECT * FROM t", connection, 3, 3);
      EXPECT_EQ(rs.RecordCount(), rows);
      if (short_count) {
        ASSERT_EQ(rs.Warnings().size(), 1u);
        EXPECT_EQ(rs.Warnings()[0],
                  "t.dbf: the header counts 98 records but 2 complete records follow them in "
                  "the file and are not read");
      } else {
        EXPECT_TRUE(rs.Warnings().empty());
      }
      int count = 0, errors = 0;
      for (; !rs.IsEOF(); rs.MoveNext()) {
        ++count;
        EXPECT_EQ(rs.Fields("id").Value(), Value::Int(count));
        try {
          EXPECT_EQ(rs.Fields("notes").Value(), Value::Text("memo"));
        } catch (const Error& error) {
          ++errors;
          EXPECT_EQ(count, 50);
          EXPECT_EQ(std::string(error.description()),
                    "t.dbf: record 50, field NOTES: t.fpt: memo block 99999 lies past the end "
                    "of the memo file (" +
                        std::to_string(fs::file_size(folder_ + "/t.fpt")) + " bytes)");
        }
      }
      EXPECT_EQ(count, rows);
      EXPECT_EQ(errors, 1);
      rs.Close();
      EXPECT_TRUE(rs.Warnings().empty());
    }
  }
}

}  // namespace
}  // namespace ado::foxpro
