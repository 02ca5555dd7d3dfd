// Every kind of value through both copies, on every database the test
// environment runs (SQLite, PostgreSQL, and MariaDB as a user writes its data
// source, with ANSI_QUOTES and with NO_BACKSLASH_ESCAPES): backslashes,
// quotes, line breaks, long memos, every byte in binary fields, code-page
// gaps, logicals, and the extremes of currency and integers; then numbers
// under a decimal-comma locale.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "ado/value.h"
#include "tests/support/data_sources.h"
#include "transfer/testing/transfer_fixture.h"
#ifdef QUILLOMAR_TEST_HAVE_PG_BULK
#include "transfer/bulk/pg_loader.h"
#endif

namespace transfer {
namespace {

namespace fs = std::filesystem;
using testing::kNullText;
using testing::Row;

using test_support::DataSource;
using test_support::Db;

// Every server, and MariaDB in each of its quoting modes.
const DataSource kDataSources[] = {test_support::kServers[0], test_support::kServers[1],
                                   test_support::kServers[2], test_support::kMariaModes[0],
                                   test_support::kMariaModes[1]};

// Texts that a database reading backslash escapes, or a careless quoting,
// would change.
const char* const kAwkwardTexts[] = {
    "C:\\new\\",            // a path ending in a backslash
    "\\\\server\\share",    // two backslashes
    "a\\nb",                // backslash n, not a line break
    "\\x41 and \\0",        // hex and zero escapes
    "it's \\'quoted\\'",    // backslash before an apostrophe
    "line1\r\nline2\nx\r",  // CR LF, LF, CR
    "tab\there\t",          // tabs
    "\"double\" and `back`",
};

std::string Hex(std::string_view bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (char c : bytes) {
    auto byte = static_cast<unsigned char>(c);
    out += kDigits[byte >> 4];
    out += kDigits[byte & 15];
  }
  return out;
}

std::string AllBytes() {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  return bytes;
}

// A FoxPro text literal: between apostrophes, apostrophes doubled.
std::string FoxLiteral(std::string_view text) {
  std::string out = "'";
  for (char c : text) {
    out += c;
    if (c == '\'') out += c;
  }
  return out + "'";
}

// A number as a SQLite NUMERIC column gives it back: a double, read through
// its driver with 15 significant digits.
std::string NearestDouble(const std::string& text) {
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  char digits[32];
  auto end = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general, 15);
  double rounded = 0;
  std::from_chars(digits, end.ptr, rounded);
  return ado::DoubleText(rounded);
}

class RoundTripTest : public testing::TransferFixture,
                      public ::testing::WithParamInterface<DataSource> {
 protected:
  void SetUp() override {
    TransferFixture::SetUp();
    if (!UseDataSource(GetParam().variable)) {
      GTEST_SKIP() << "needs the ODBC and FoxPro providers and " << GetParam().variable
                   << " (run ./test.sh, or source scripts/test-env.sh first)";
    }
  }
  void TearDown() override {
    std::setlocale(LC_ALL, "");
    TransferFixture::TearDown();
  }
  Db db() const { return GetParam().db; }

  void CopyToSql(const std::string& table) {
    list1_ = testing::VectorTableList({table});
    list1_.Select(table);
    list2_ = testing::VectorTableList();
    TableWindowContext context = Context();
    context.batch = batch_;
    SendFoxproToSybase(context);
  }
  // Copies `table` from the SQL side into a new folder "back".
  void CopyBack(const std::string& table) {
    fs::create_directories(folder_ / "back");
    fields_.text2 = (folder_ / "back").string();
    list1_ = testing::VectorTableList();
    list2_ = testing::VectorTableList({table});
    list2_.Select(table);
    TableWindowContext context = Context();
    SendSybaseToFoxpro(context);
  }
  void CheckFoxproValuesComeBack();
  void CheckNumbersUnderADecimalComma();

  BatchOptions* batch_ = nullptr;  // null: rows mode, as the window copies

  std::string ReportsText() const {
    std::string text;
    for (const auto& report : Reports()) text += report.text + "\n----\n";
    return text;
  }
  // The rows of a table sorted, so that the SQL side's order does not count.
  static std::vector<Row> Sorted(std::vector<Row> rows) {
    std::sort(rows.begin(), rows.end());
    return rows;
  }
};

// A FoxPro table holding every awkward value goes to SQL and comes back with
// every value's text unchanged; binary values travel as "0x" text.
void RoundTripTest::CheckFoxproValuesComeBack() {
  const std::string table = UniqueName("values");
  Fox("CREATE TABLE \"" + table + "\"(\"id\" I,\"v\" V(60) NULL,\"m\" M NULL,\"c\" C(24) NULL," +
      "\"y\" Y NULL,\"i\" I NULL,\"l\" L NULL,\"w\" W NULL,\"q\" Q(8) NULL,\"n\" N(14,4) NULL," +
      "\"b\" B NULL,\"d\" D NULL,\"t\" T NULL,\"g\" G NULL,\"mb\" M NULL NOCPTRANS)");
  // One row: its id and the first values; the other columns are NULL.
  int id = 0;
  auto insert = [&](std::vector<std::string> values) {
    values.insert(values.begin(), std::to_string(++id));
    values.resize(15, "NULL");
    std::string statement = "INSERT INTO \"" + table + "\" VALUES(";
    for (const std::string& value : values) statement += value + ", ";
    statement.resize(statement.size() - 2);
    Fox(statement + ")");
  };
  for (const char* text : kAwkwardTexts) {
    insert({FoxLiteral(text), FoxLiteral(std::string(text) + "\r\n" + text)});
  }
  // A memo longer than MariaDB's TEXT holds.
  std::string long_memo;
  while (long_memo.size() < 70000) long_memo += "0123456789\\abcdefghij\r\n";
  insert({"NULL", FoxLiteral(long_memo)});
  // The five bytes code page 1252 leaves undefined, in text.
  insert({"'\u0081\u008D\u008F\u0090\u009D'", "NULL", "'gap \u0081\u009D end'"});
  // Currency and integer extremes, logicals, binary values.
  const std::string all_bytes = "0h" + Hex(AllBytes());
  const int binary_id = id + 1;
  insert({"NULL", "NULL", "NULL", "922337203685477.5807", "2147483647", ".T.", all_bytes, "0h00",
          "1234.5678", "2.5", "'2021-08-31'", "'2021-08-31 23:05:09'", all_bytes, all_bytes});
  insert({"NULL", "NULL", "NULL", "-922337203685477.5807", "-2147483647", ".F.", "0h00", "0hFF00",
          "-0.0001", "-1.25E-7", "NULL", "NULL", "0h00", "0h0D0A00"});
  insert({"NULL", "NULL", "NULL", "0.0001", "0", "NULL", "NULL", "NULL", "0", "0"});
  const std::vector<Row> original = FoxRows("SELECT * FROM [" + table + "]");
  ASSERT_EQ(original.size(), static_cast<std::size_t>(id));

  CopyToSql(table);
  ASSERT_EQ(Reports().size(), 0u) << ReportsText();
  // On the SQL side, text is stored exactly and binary values as "0x" text.
  const std::vector<Row> on_sql =
      SqlRows("SELECT \"v\", \"w\" FROM \"" + table +
              "\" WHERE \"id\" = 1 OR \"id\" = " + std::to_string(binary_id));
  ASSERT_EQ(on_sql.size(), 2u);
  const Row& text_row = on_sql[0][0] == kNullText ? on_sql[1] : on_sql[0];
  const Row& binary_row = on_sql[0][0] == kNullText ? on_sql[0] : on_sql[1];
  EXPECT_EQ(text_row[0], kAwkwardTexts[0]);
  EXPECT_EQ(binary_row[1], "0x" + Hex(AllBytes()));

  CopyBack(table);
  ASSERT_EQ(Reports().size(), 0u) << ReportsText();
  const std::vector<bool> logical = testing::LogicalColumns(original);
  std::vector<Row> expected = testing::Normalised(original, logical);
  if (db() == Db::kSqlite) {
    // SQLite keeps numbers as doubles: the currency column holds 15
    // significant digits.
    for (Row& row : expected) {
      if (row[4] != kNullText) row[4] = NearestDouble(row[4]);
    }
  }
  EXPECT_EQ(Sorted(testing::Normalised(FoxRows("SELECT * FROM [" + table + "]"), logical)),
            Sorted(expected));
}

// A binary column of the SQL side: SQLite's BLOB (a short binary column)
// becomes a memo holding the "0x" text, a long binary column (PostgreSQL's
// bytea, MariaDB's BLOB) a FoxPro BLOB field holding the same bytes.
TEST_P(RoundTripTest, SqlBinaryColumnsArriveByteForByte) {
  const std::string table = UniqueName("blobs");
  const std::string type = db() == Db::kPostgres ? "BYTEA" : "BLOB";
  Sql("CREATE TABLE \"" + table + "\"(\"id\" INTEGER,\"data\" " + type + ")");
  auto literal = [this](std::string_view bytes) {
    if (db() == Db::kPostgres) return "decode('" + Hex(bytes) + "', 'hex')";
    return "X'" + Hex(bytes) + "'";
  };
  const std::string all = AllBytes();
  Sql("INSERT INTO \"" + table + "\" VALUES(1, " + literal(all) + ")");
  Sql("INSERT INTO \"" + table + "\" VALUES(2, " + literal(std::string(1, '\0')) + ")");
  Sql("INSERT INTO \"" + table + "\" VALUES(3, " + literal("") + ")");
  Sql("INSERT INTO \"" + table + "\" VALUES(4, NULL)");

  CopyBack(table);
  ASSERT_EQ(Reports().size(), 0u) << ReportsText();
  ado::Connection fox;
  fox.SetCursorLocation(3);
  fox.Open("Provider=vfpoledb.1;Data Source=" + fields_.text2 + ";Collating Sequence=general;");
  ado::Recordset records;
  records.Open("SELECT * FROM [" + table + "]", fox);
  ASSERT_EQ(records.FieldCount(), 2);
  const bool long_binary = db() != Db::kSqlite;
  EXPECT_EQ(records.Fields(1).Type(), long_binary ? 205 : 201);
  std::vector<std::pair<std::string, ado::Value>> rows;
  for (; !records.IsEOF(); records.MoveNext()) {
    rows.emplace_back(records.Fields(0).Value().ToText(), records.Fields(1).Value());
  }
  std::sort(rows.begin(), rows.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  ASSERT_EQ(rows.size(), 4u);
  const std::string expected[] = {all, std::string(1, '\0')};
  for (std::size_t r = 0; r < 2; ++r) {
    SCOPED_TRACE(rows[r].first);
    if (long_binary) {
      ASSERT_EQ(rows[r].second.kind(), ado::Value::Kind::kBytes);
      EXPECT_EQ(rows[r].second.AsBytes(), expected[r]);
    } else {
      EXPECT_EQ(rows[r].second.ToText(), "0x" + Hex(expected[r]));
    }
  }
  // An empty binary value is empty text, so it arrives as NULL like a null.
  EXPECT_TRUE(rows[2].second.IsNull()) << rows[2].second.ToText();
  EXPECT_TRUE(rows[3].second.IsNull()) << rows[3].second.ToText();
}

// Under a German locale (decimal comma) numbers keep their "." both ways:
// REAL, DOUBLE and NUMERIC columns into memos, FoxPro numbers into SQL.
void RoundTripTest::CheckNumbersUnderADecimalComma() {
  const std::string locales = test_support::EnvOrEmpty("QUILLOMAR_LOCPATH");
  if (locales.empty()) GTEST_SKIP() << "QUILLOMAR_LOCPATH is not set (run ./test.sh)";
  ::setenv("LOCPATH", locales.c_str(), 1);
  ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr);
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");

  const std::string from_sql = UniqueName("dezimal");
  Sql("CREATE TABLE \"" + from_sql + "\"(\"r\" REAL,\"d\" DOUBLE PRECISION," +
      "\"n\" NUMERIC(12,4),\"i\" INTEGER)");
  Sql("INSERT INTO \"" + from_sql + "\" VALUES(1.5, 2.25, 1234.5678, 7)");
  CopyBack(from_sql);
  ASSERT_EQ(Reports().size(), 0u) << ReportsText();
  EXPECT_EQ(FoxRows("SELECT * FROM [" + from_sql + "]"),
            (std::vector<Row>{{"1.5", "2.25", "1234.5678", "7"}}));

  fields_.text2 = folder_.string();
  const std::string from_fox = UniqueName("komma");
  Fox("CREATE TABLE \"" + from_fox + "\"(\"n\" N(10,3),\"b\" B,\"y\" Y,\"f\" F(8,2),\"i\" I)");
  Fox("INSERT INTO \"" + from_fox + "\" VALUES(12.5, 0.125, 7.25, 1.5, 3)");
  CopyToSql(from_fox);
  ASSERT_EQ(Reports().size(), 0u) << ReportsText();
  std::vector<Row> rows = SqlRows("SELECT * FROM \"" + from_fox + "\"");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][0], "12.5");
  EXPECT_EQ(rows[0][1], "0.125");
  EXPECT_EQ(rows[0][2], "7.25");
  EXPECT_EQ(rows[0][3], "1.5");
  EXPECT_EQ(rows[0][4], "3");
}

TEST_P(RoundTripTest, FoxproValuesComeBackAsTheyLeft) { CheckFoxproValuesComeBack(); }
TEST_P(RoundTripTest, NumbersKeepTheirPointUnderADecimalComma) {
  CheckNumbersUnderADecimalComma();
}

// The same values through batch mode: transactions of four rows, as
// multi-row INSERTs, or through COPY on PostgreSQL where the bulk path is
// built.
class BatchRoundTripTest : public RoundTripTest {
 protected:
  void SetUp() override {
    RoundTripTest::SetUp();
    if (IsSkipped()) return;
    options_.rows = 4;
#ifdef QUILLOMAR_TEST_HAVE_PG_BULK
    loader_ = bulk::MakePgBulkLoader(dsn_, nullptr);
    options_.bulk = loader_.get();
#endif
    batch_ = &options_;
  }
  BatchOptions options_;
#ifdef QUILLOMAR_TEST_HAVE_PG_BULK
  std::unique_ptr<BulkLoader> loader_;
#endif
};

TEST_P(BatchRoundTripTest, FoxproValuesComeBackAsTheyLeft) { CheckFoxproValuesComeBack(); }
TEST_P(BatchRoundTripTest, NumbersKeepTheirPointUnderADecimalComma) {
  CheckNumbersUnderADecimalComma();
}

INSTANTIATE_TEST_SUITE_P(DataSources, RoundTripTest, ::testing::ValuesIn(kDataSources),
                         test_support::DataSourceName);
INSTANTIATE_TEST_SUITE_P(DataSources, BatchRoundTripTest, ::testing::ValuesIn(kDataSources),
                         test_support::DataSourceName);

}  // namespace
}  // namespace transfer
