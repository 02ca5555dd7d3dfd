// Statements against a folder of free tables and against the fixture
// containers: creating, inserting, selecting, dropping, and the names and
// values that must be refused.
#include "foxpro/sql/database.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "foxpro/codepage/codepage.h"
#include "foxpro/dbf/dbf_format.h"
#include "foxpro/util/test_support.h"

namespace foxpro::sql {
namespace {

namespace fs = std::filesystem;

class DatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = test_support::MakeTempFolder("foxpro_db_");
    ASSERT_FALSE(root_.empty());
    folder_ = root_ + "/data";
    fs::create_directory(folder_);
    DatabaseOptions options;
    options.new_table_codepage_mark = 0x03;
    auto db = Database::Open(DefaultFileSystem(), folder_, options);
    ASSERT_TRUE(db.ok()) << db.status().ToString();
    db_ = std::move(*db);
  }
  void TearDown() override {
    db_.reset();  // Windows removes no folder while files in it are open
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  void Run(const std::string& sql) {
    Status status = db_->Execute(sql);
    ASSERT_TRUE(status.ok()) << sql << ": " << status.ToString();
  }
  Status Fail(const std::string& sql) {  // NOLINT

    Status status = db_->Execute(sql);
    EXPECT_FALSE(status.ok()) << sql;
    return status;
  }
  std::vector<std::vector<Value>> Select(const std::string& sql) {
    std::vector<std::vector<Value>> rows;
    auto cursor = db_->Query(sql);
    EXPECT_TRUE(cursor.ok()) << sql << ": " << cursor.status().ToString();
    if (!cursor.ok()) return rows;
    std::vector<Value> row;
    bool has_row = true;
    while (true) {
      EXPECT_TRUE((*cursor)->Next(&row, &has_row).ok());
      if (!has_row) break;
      rows.push_back(row);
    }
    return rows;
  }
  std::vector<std::string> Files() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string root_, folder_;
  std::unique_ptr<Database> db_;
};

TEST_F(DatabaseTest, TransferStatementsRoundTrip) {
  Run("CREATE TABLE \"orders\"(\"id\" M,\"unit_price\" M,\"amount_net\" M,\"photo\" BLOB);");
  Run("INSERT INTO \"orders\" VALUES('7', 'O''Hara', NULL, NULL)");
  Run("INSERT INTO \"orders\" VALUES('8', 'two\r\nlines', '12.5', 'bytes\x01')");
  auto rows = Select("SELECT * FROM [orders]");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0][0], Value::Text("7"));
  EXPECT_EQ(rows[0][1], Value::Text("O'Hara"));
  EXPECT_TRUE(rows[0][2].is_null());
  EXPECT_TRUE(rows[0][3].is_null());
  EXPECT_EQ(rows[1][1], Value::Text("two\r\nlines"));
  EXPECT_EQ(rows[1][3], Value::Bytes("bytes\x01"));
  EXPECT_EQ(Files(), (std::vector<std::string>{"orders.dbf", "orders.fpt"}));
}

// A binary literal stores exactly its bytes, every value 0x00 to 0xFF, in
// blob, varbinary and binary memo fields, and in text fields untranslated;
// 0h alone is an empty value, not null.
TEST_F(DatabaseTest, BinaryLiteralsStoreTheirBytes) {
  std::string every_byte, every_hex;
  for (int b = 0; b < 256; ++b) {
    every_byte.push_back(static_cast<char>(b));
    static const char kHex[] = "0123456789ABCDEF";
    every_hex += kHex[b >> 4];
    every_hex += kHex[b & 15];
  }
  Run("CREATE TABLE \"bin\"(\"k\" I, \"w\" BLOB NULL, \"q\" Q(4) NULL, "
      "\"mb\" M NOCPTRANS NULL, \"m\" M NULL)");
  Run("INSERT INTO \"bin\" VALUES(1, 0h" + every_hex + ", 0h00FF41, 0h" + every_hex +
      ", 0h414243)");
  Run("INSERT INTO \"bin\" VALUES(2, 0h, 0h, 0H00, NULL)");
  Run("INSERT INTO \"bin\" VALUES(3, NULL, NULL, NULL, 0h)");
  auto rows = Select("SELECT * FROM bin");
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0][1], Value::Bytes(every_byte));
  EXPECT_EQ(rows[0][2], Value::Bytes(std::string("\0\xff"
                                                 "A",
                                                 3)));
  EXPECT_EQ(rows[0][3], Value::Bytes(every_byte));
  EXPECT_EQ(rows[0][4], Value::Text("ABC"));
  EXPECT_EQ(rows[1][1], Value::Bytes(""));
  EXPECT_EQ(rows[1][2], Value::Bytes(""));
  EXPECT_EQ(rows[1][3], Value::Bytes(std::string(1, '\0')));
  EXPECT_TRUE(rows[1][4].is_null());
  for (int i = 1; i <= 3; ++i) EXPECT_TRUE(rows[2][static_cast<std::size_t>(i)].is_null()) << i;
  EXPECT_EQ(rows[2][4], Value::Text(""));

  Run("CREATE TABLE \"nums\"(\"n\" N(5,0), \"d\" D)");
  for (const char* literal : {"0h01, NULL", "NULL, 0h3230323430323039"}) {
    Status status = Fail("INSERT INTO nums VALUES(" + std::string(literal) + ")");
    EXPECT_NE(status.message().find("Data type mismatch"), std::string::npos) << status.message();
    EXPECT_NE(status.message().find("0h"), std::string::npos) << status.message();
  }
  EXPECT_TRUE(Select("SELECT * FROM nums").empty());
}

TEST_F(DatabaseTest, NamesResolveInAnyLetterCase) {
  Run("CREATE TABLE Mixed (a C(3))");
  Run("INSERT INTO [MIXED] VALUES('x')");
  Run("insert into `mixed` (A) values('y')");
  EXPECT_EQ(Select("SELECT * FROM \"mIxEd\"").size(), 2u);
  EXPECT_EQ(Select("SELECT a FROM mixed").size(), 2u);
  (void)Fail("CREATE TABLE MIXED (b C(1))");
  Run("DROP TABLE [mixed]");
  EXPECT_TRUE(Files().empty());
}

TEST_F(DatabaseTest, DropRemovesCompanionFilesInAnyCase) {
  Run("CREATE TABLE t (a M)");
  fs::rename(folder_ + "/t.fpt", folder_ + "/T.FPT");
  std::ofstream(folder_ + "/t.CDX") << "index";
  std::ofstream(folder_ + "/other.txt") << "keep";
  EXPECT_EQ(Select("SELECT * FROM t").size(), 0u);
  Run("DROP TABLE `t`");
  EXPECT_EQ(Files(), (std::vector<std::string>{"other.txt"}));
  Status status = Fail("DROP TABLE t");
  EXPECT_EQ(status.message(), "File 't.dbf' does not exist.");
}

TEST_F(DatabaseTest, UnsafeNamesAreRefusedAndTouchNothing) {
  const char* names[] = {"[]", "[../x]", "[a/b]", "[..]", "[a\\b]", "[a\tb]"};
  for (const char* name : names) {
    for (std::string verb : {"CREATE TABLE ", "DROP TABLE ", "SELECT * FROM ", "INSERT INTO "}) {
      std::string sql = verb + name +
                        (verb[0] == 'C'   ? " (a C(1))"
                         : verb[0] == 'I' ? " VALUES('x')"
                                          : "");
      Status status = db_->Execute(sql);
      EXPECT_FALSE(status.ok()) << sql;
    }
  }
  std::string long_name(129, 'a');
  (void)Fail("CREATE TABLE [" + long_name + "] (a C(1))");
  (void)Fail(std::string("CREATE TABLE [a\0b] (a C(1))", 27));
  EXPECT_TRUE(Files().empty());
  EXPECT_FALSE(fs::exists(root_ + "/x.dbf"));
}

TEST_F(DatabaseTest, FieldNamesShortenedToTenCharacters) {
  Run("CREATE TABLE t (customer_name C(10), customer_id I)");
  Run("INSERT INTO t (customer_name, customer_id) VALUES('Ann', 1)");
  auto cursor = db_->Query("SELECT * FROM t");
  ASSERT_TRUE(cursor.ok());
  EXPECT_EQ((*cursor)->columns()[0].name, "customer_n");
  EXPECT_EQ((*cursor)->columns()[1].name, "customer_i");
  Status status = Fail("CREATE TABLE u (description_long M, description_short M)");
  EXPECT_NE(status.message().find("DESCRIPTIO"), std::string::npos) << status.message();
  (void)Fail("CREATE TABLE v (\"bad name\" M)");
  EXPECT_EQ(Files(), (std::vector<std::string>{"t.dbf"}));
}

TEST_F(DatabaseTest, NonAsciiFieldNamesShortenedToTenBytesOfTheCodePage) {
  const struct {
    std::uint8_t mark;
    const char* long_name;
    const char* label;
  } cases[] = {
      {0xC9, "наименование", "наименован"},
      {0x7A, "客户名称地址", "客户名称地"},
      {0x03, "straße_und_ort", "straße_und"},  // ß is one byte in 1252
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.long_name);
    DatabaseOptions options;
    options.new_table_codepage_mark = c.mark;
    fs::remove_all(folder_);
    fs::create_directory(folder_);
    auto db = Database::Open(DefaultFileSystem(), folder_, options);
    ASSERT_TRUE(db.ok());
    std::string create = std::string("CREATE TABLE t (") + c.long_name + " C(3))";
    ASSERT_TRUE((*db)->Execute(create).ok()) << (*db)->Execute(create).ToString();
    ASSERT_TRUE((*db)->Execute(std::string("INSERT INTO t (") + c.label + ") VALUES('a')").ok());
    auto cursor = (*db)->Query("SELECT * FROM t");
    ASSERT_TRUE(cursor.ok());
    EXPECT_EQ((*cursor)->columns()[0].name, c.label);
  }
}

TEST_F(DatabaseTest, InsertRefusalsWriteNothing) {
  Run("CREATE TABLE t (n N(5,2), c C(3) NOT NULL, d D, l L, city C(10))");
  struct Refusal {
    const char* sql;
    const char* part;
  } refusals[] = {
      {"INSERT INTO t VALUES(1000, 'a', NULL, NULL, NULL)", "does not fit N(5,2)"},
      {"INSERT INTO t VALUES('12x', 'a', NULL, NULL, NULL)", "Data type mismatch"},
      {"INSERT INTO t VALUES(1, NULL, NULL, NULL, NULL)", "does not accept null"},
      {"INSERT INTO t VALUES(1, 'abcd', NULL, NULL, NULL)", "holds 3 bytes"},
      {"INSERT INTO t VALUES(1, 'a', '2024-13-01', NULL, NULL)", "not a valid date"},
      {"INSERT INTO t VALUES(1, 'a', NULL, 'maybe', NULL)", "Data type mismatch"},
      {"INSERT INTO t VALUES(1, 'a', NULL, NULL, 'Жук')", "'Ж' (U+0416)"},
      {"INSERT INTO t VALUES(1, 'a')", "Must specify additional parameters."},
      {"INSERT INTO t VALUES(1, 'a', NULL, NULL, NULL, 1)", "Too many arguments."},
      {"INSERT INTO t (nope) VALUES(1)", "Column 'nope' is not found."},
      {"INSERT INTO missing VALUES(1)", "File 'missing.dbf' does not exist."},
  };
  for (const Refusal& r : refusals) {
    Status status = Fail(r.sql);
    EXPECT_NE(status.message().find(r.part), std::string::npos)
        << r.sql << ": " << status.message();
  }
  EXPECT_EQ(Select("SELECT * FROM t").size(), 0u);
  Run("INSERT INTO t VALUES('-1.005', 'a', '2024-02-29', 'True', 'Zoë')");
  Run("INSERT INTO t VALUES(12.5, 'b', '', .F., '')");
  auto rows = Select("SELECT * FROM t");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0][0], Value::Numeric("-1.01"));
  EXPECT_EQ(rows[0][2], Value::FromDate({2024, 2, 29}));
  EXPECT_EQ(rows[0][3], Value::Logical(true));
  EXPECT_EQ(rows[0][4], Value::Text("Zoë"));
  EXPECT_EQ(rows[1][0], Value::Numeric("12.50"));
  EXPECT_TRUE(rows[1][2].is_null());
}

TEST_F(DatabaseTest, AutoincrementFieldTakesNoValue) {
  TableLayout layout;
  FieldLayout id{"ID", 'I'}, name{"NAME", 'C', 5};
  id.autoinc = true;
  id.autoinc_next = 7;
  name.nullable = true;
  layout.fields = {id, name};
  ASSERT_TRUE(Table::Create(DefaultFileSystem(), folder_ + "/a.dbf", layout).ok());
  for (const char* sql :
       {"INSERT INTO a VALUES(1, 'x')", "INSERT INTO a VALUES(NULL, 'x')",
        "INSERT INTO a (name, id) VALUES('x', 3)", "INSERT INTO a (ID) VALUES(NULL)"}) {
    Status status = Fail(sql);
    EXPECT_EQ(status.message().rfind("Field id is read-only", 0), 0u)
        << sql << ": " << status.message();
  }
  Run("INSERT INTO a (name) VALUES('x')");
  Run("INSERT INTO a (name) VALUES(NULL)");
  auto rows = Select("SELECT * FROM a");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0][0], Value::Integer(7));
  EXPECT_EQ(rows[1][0], Value::Integer(8));
}

TEST_F(DatabaseTest, InsertIntoTableWithStructuralIndexIsRefused) {
  Run("CREATE TABLE t (a C(3))");
  std::string path = folder_ + "/t.dbf";
  {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(dbf::kTableFlagsOffset);
    file.put(static_cast<char>(dbf::kFlagHasCdx));
  }
  auto size_before = fs::file_size(path);
  Status status = Fail("INSERT INTO t VALUES('x')");
  EXPECT_NE(status.message().find("structural index"), std::string::npos) << status.message();
  EXPECT_EQ(fs::file_size(path), size_before);
}

TEST_F(DatabaseTest, DeletedRecordsAreSkippedAndCounted) {
  Run("CREATE TABLE t (a I)");
  for (int i = 0; i < 5; ++i) Run("INSERT INTO t VALUES(" + std::to_string(i) + ")");
  {
    auto table = Table::Open(DefaultFileSystem(), folder_ + "/t.dbf", OpenOptions{true, 0});
    ASSERT_TRUE(table.ok());
    ASSERT_TRUE((*table)->MarkDeleted(1).ok());
    ASSERT_TRUE((*table)->MarkDeleted(3).ok());
  }
  auto cursor = db_->Query("SELECT * FROM t");
  ASSERT_TRUE(cursor.ok());
  auto count = (*cursor)->CountRows();
  ASSERT_TRUE(count.ok());
  EXPECT_EQ(*count, 3);
  auto rows = Select("SELECT * FROM t");
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[1][0], Value::Integer(2));
}

TEST_F(DatabaseTest, NewTablesUseTheCodePageOfTheLanguage) {
  DatabaseOptions options;
  options.new_table_codepage_mark = MarkFromCodePage(1251);
  auto db = Database::Open(DefaultFileSystem(), folder_, options);
  ASSERT_TRUE(db.ok());
  ASSERT_TRUE((*db)->Execute("CREATE TABLE ru (name M)").ok());
  ASSERT_TRUE((*db)->Execute("INSERT INTO ru VALUES('Жизнь')").ok());
  auto table = Table::Open(DefaultFileSystem(), folder_ + "/ru.dbf");
  ASSERT_TRUE(table.ok());
  EXPECT_EQ((*table)->header().codepage_mark, 0xC9);
  EXPECT_EQ((*table)->codepage(), 1251);
  Record record;
  ASSERT_TRUE((*table)->ReadRecord(0, &record).ok());
  EXPECT_EQ(record.values[0], Value::Text("Жизнь"));
}

// Text in a table's code page reads back exactly, also bytes the page leaves
// undefined; in a double-byte page a byte sequence that is no character
// makes reading the value fail with its position and bytes named, instead
// of being replaced.
TEST_F(DatabaseTest, BytesOfTheCodePageReadBackOrFailClearly) {
  struct Case {
    int codepage;
    const char* literal;  // stored untranslated into a C and an M field
    Value text;           // what both read back as; null: reading fails
    const char* error;
  } cases[] = {
      {1252, "0h4181809D", Value::Text("A\u0081€\u009D"), ""},
      {1253, "0hAAC1", Value::Text("\uF8F9Α"), ""},
      {932, "0h93FA967B", Value::Text("日本"), ""},
      {932, "0h4193", Value(), "byte 2 (0x93) is not a character of code page 932"},
      {950, "0hA420A4A4", Value(), "byte 1 (0xA4 0x20) is not a character of code page 950"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.literal);
    DatabaseOptions options;
    options.new_table_codepage_mark = MarkFromCodePage(c.codepage);
    auto db = Database::Open(DefaultFileSystem(), folder_, options);
    ASSERT_TRUE(db.ok());
    ASSERT_TRUE((*db)->Execute("CREATE TABLE cp (c C(6), m M)").ok());
    const std::string literal = c.literal;
    ASSERT_TRUE((*db)->Execute("INSERT INTO cp VALUES(" + literal + ", " + literal + ")").ok());
    for (const char* column : {"c", "m"}) {
      auto cursor = (*db)->Query(std::string("SELECT ") + column + " FROM cp");
      ASSERT_TRUE(cursor.ok()) << cursor.status().ToString();
      std::vector<Value> row;
      bool has_row = false;
      Status status = (*cursor)->Next(&row, &has_row);
      if (c.text.is_null()) {
        // A bad value: the row still comes, the value null and named.
        ASSERT_TRUE(status.ok()) << column << ": " << status.ToString();
        ASSERT_TRUE(has_row);
        EXPECT_TRUE(row[0].is_null()) << column;
        ASSERT_EQ((*cursor)->row_errors().size(), 1u) << column;
        const std::string message = (*cursor)->row_errors()[0].message;
        EXPECT_NE(message.find(c.error), std::string::npos) << message;
      } else {
        ASSERT_TRUE(status.ok()) << column << ": " << status.ToString();
        ASSERT_TRUE(has_row);
        EXPECT_EQ(row[0], c.text) << column;
      }
    }
    ASSERT_TRUE((*db)->Execute("DROP TABLE cp").ok());
  }
}

TEST(DatabaseOpen, RefusesWhatIsNeitherFolderNorContainer) {
  EXPECT_TRUE(Database::Open(DefaultFileSystem(), "").status().IsNotFound());
  EXPECT_TRUE(Database::Open(DefaultFileSystem(), "/no/such/folder").status().IsNotFound());
  EXPECT_TRUE(Database::Open(DefaultFileSystem(), "/etc/hostname").status().IsInvalidArgument());
}

std::string Fixture(const std::string& path) {
  return std::string(QUILLOMAR_FIXTURES) + "/vfp/" + path;
}

TEST(DatabaseContainer, ListsLiveTablesAndViewsWithLongFieldNames) {
  if (!fs::is_directory(Fixture(""))) GTEST_SKIP() << "FoxPro fixtures not found; skipped";
  auto db = Database::Open(DefaultFileSystem(), Fixture("vfpefprovider-northwind/northwind.dbc"));
  ASSERT_TRUE(db.ok()) << db.status().ToString();
  std::vector<CatalogEntry> entries;
  ASSERT_TRUE((*db)->catalog().List(&entries).ok());
  int tables = 0, views = 0;
  for (const auto& e : entries) (e.kind == CatalogEntry::Kind::kTable ? tables : views)++;
  EXPECT_EQ(tables, 15);
  EXPECT_EQ(views, 17);
  auto cursor = (*db)->Query("SELECT * FROM [PRODUCTS]");
  ASSERT_TRUE(cursor.ok()) << cursor.status().ToString();
  std::vector<std::string> names;
  for (const auto& column : (*cursor)->columns()) names.push_back(column.name);
  EXPECT_EQ(names[0], "productid");
  EXPECT_EQ(names[1], "productname");
  EXPECT_NE(std::find(names.begin(), names.end(), "discontinueddate"), names.end());
  EXPECT_EQ(*(*cursor)->CountRows(), 77);
  auto types = Database::Open(DefaultFileSystem(), Fixture("infused-foxprodb/FOXPRO-DB-TEST.DBC"));
  ASSERT_TRUE(types.ok());
  auto rows = (*types)->Query("SELECT contact_type FROM types");
  ASSERT_TRUE(rows.ok()) << rows.status().ToString();
  EXPECT_EQ((*rows)->columns()[0].name, "contact_type");
}

}  // namespace
}  // namespace foxpro::sql
