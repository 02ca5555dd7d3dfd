// COPY's text format value by value, the data source's keys mapped to libpq,
// the same-target check, and rows sent with COPY against the test
// environment's PostgreSQL (skipped when QUILLOMAR_DSN_PG is not set).
#include "transfer/bulk/pg_copy.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "ado/connection.h"
#include "ado/odbc/odbc_provider.h"
#include "transfer/bulk/pg_loader.h"

namespace transfer::bulk {
namespace {

TEST(CopyText, EscapesWhatCopyReadsAndKeepsEverythingElse) {
  struct Case {
    std::optional<std::string> value;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {std::nullopt, "\\N"},
      {"", ""},
      {"plain", "plain"},
      {"a\tb", "a\\tb"},
      {"line\nnext", "line\\nnext"},
      {"cr\r\nlf", "cr\\r\\nlf"},
      {"back\\slash", "back\\\\slash"},
      {"\\N", "\\\\N"},
      {"\\.", "\\\\."},
      {"0x00FF", "0x00FF"},
      {"O'Brien \"q\" ;,|", "O'Brien \"q\" ;,|"},
      {"S\xC3\xB8ren \x01\x7F", "S\xC3\xB8ren \x01\x7F"},
  };
  for (const Case& c : cases) {
    std::string out = "x";
    std::string_view view = c.value ? std::string_view(*c.value) : std::string_view();
    AppendCopyValue(&out, c.value ? &view : nullptr);
    EXPECT_EQ(out, "x" + c.expected) << (c.value ? *c.value : "(null)");
  }
}

TEST(CopyText, ConnSettingsDecodeAsTheDriverReadsThem) {
  EXPECT_EQ(DecodeConnSettings("SET synchronous_commit TO off"), "SET synchronous_commit TO off");
  EXPECT_EQ(DecodeConnSettings("{SET a=1;SET b=2}"), "SET a=1;SET b=2");
  EXPECT_EQ(DecodeConnSettings("SET%20search_path%3Dx"), "SET search_path=x");
  EXPECT_EQ(DecodeConnSettings("100%"), "100%");
  EXPECT_EQ(DecodeConnSettings("%zz%4"), "%zz%4");
  EXPECT_EQ(CopyStatement("a\"b"), "COPY \"a\"\"b\" FROM STDIN");
  EXPECT_EQ(
      IdentityQuery("it's"),
      "SELECT current_database()::text, current_user::text, '\"it''s\"'::regclass::oid::text");
}

// A PostgreSQL data source of the test environment, its ODBC connection, and
// helpers that read a table back through it.
class PgCopyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* dsn = std::getenv("QUILLOMAR_DSN_PG");
    if (dsn == nullptr) GTEST_SKIP() << "QUILLOMAR_DSN_PG is not set (source scripts/test-env.sh)";
    dsn_ = dsn;
    ado::odbc::RegisterOdbcProvider();
    odbc_.SetProvider("MSDASQL");
    odbc_.Open("Data Source=" + dsn_);
    // Names of this process's own: the cases run in parallel processes.
    const std::string pid = std::to_string(getpid());
    table_ = "bulk t" + pid;
    rows_table_ = "bulk_rows" + pid;
    schema_ = "bulk_other" + pid;
    odbc_.Execute("DROP SCHEMA IF EXISTS " + schema_ + " CASCADE");
    odbc_.Execute("DROP TABLE IF EXISTS \"" + table_ + "\", " + rows_table_);
    odbc_.Execute("CREATE TABLE \"" + table_ + "\" (a TEXT, n NUMERIC, b BIT)");
    odbc_.Execute("CREATE TABLE " + rows_table_ + " (a TEXT, n NUMERIC, b BIT)");
  }

  void TearDown() override {
    if (!odbc_.IsOpen()) return;
    odbc_.Execute("DROP SCHEMA IF EXISTS " + schema_ + " CASCADE");
    odbc_.Execute("DROP TABLE IF EXISTS \"" + table_ + "\", " + rows_table_);
  }

  // Every row of `table` as text, null as "(null)", in insertion order.
  std::vector<std::string> Rows(const std::string& table) {
    ado::Recordset records;
    records.Open("SELECT a, n, b FROM " + table + " ORDER BY ctid", odbc_);
    std::vector<std::string> rows;
    while (!records.IsEOF()) {
      std::string row;
      for (int i = 0; i < 3; ++i) {
        const ado::Value& v = records.Fields(i).Value();
        row += (v.IsNull() ? "(null)" : "[" + v.ToText() + "]") + "|";
      }
      rows.push_back(row);
      records.MoveNext();
    }
    return rows;
  }

  std::string dsn_;
  std::string table_;
  std::string rows_table_;
  std::string schema_;
  ado::Connection odbc_;
};

TEST_F(PgCopyTest, DataSourceKeysReachTheSameTable) {
  const std::optional<PgDataSource> source = ReadPgDataSource(dsn_);
  ASSERT_TRUE(source.has_value());
  EXPECT_TRUE(IsPostgresDriver(*source));
  EXPECT_EQ(source->port, "5432");
  EXPECT_EQ(source->database, "postgres");
  EXPECT_EQ(source->user, "postgres");
  EXPECT_EQ(source->conn_settings, "SET synchronous_commit TO off");
  EXPECT_FALSE(ReadPgDataSource("NoSuchDataSourceHere").has_value());

  std::string why;
  EXPECT_NE(OpenMatchingBulkConnection(dsn_, odbc_, table_, &why), nullptr) << why;
  // A table of the same name that only the bulk side's search path finds is
  // another table: the check tells them apart.
  odbc_.Execute("CREATE SCHEMA " + schema_);
  odbc_.Execute("CREATE TABLE " + schema_ + ".\"" + table_ + "\" (a TEXT)");
  PgDataSource elsewhere = *source;
  elsewhere.conn_settings += "; SET search_path TO " + schema_;
  auto bulk = PgBulkConnection::Open(elsewhere);
  EXPECT_NE(bulk->QueryIdentity(table_), QueryIdentity(odbc_, table_));
  // Neither a missing table nor another driver's data source takes the bulk path.
  EXPECT_EQ(OpenMatchingBulkConnection(dsn_, odbc_, "no such table", &why), nullptr);
  EXPECT_NE(why.find("no such table"), std::string::npos) << why;
  if (const char* sqlite = std::getenv("QUILLOMAR_DSN_SQLITE")) {
    EXPECT_EQ(OpenMatchingBulkConnection(sqlite, odbc_, table_, &why), nullptr);
    EXPECT_NE(why.find("PostgreSQL driver"), std::string::npos) << why;
  }
}

TEST_F(PgCopyTest, CopyStoresWhatTheInsertsStore) {
  // Text as the INSERTs carry it (the binary form included); null where an
  // INSERT writes NULL.
  const std::vector<std::optional<std::string>> texts = {"tab\there",
                                                         "two\r\nlines",
                                                         "lf\nonly",
                                                         "cr\ronly",
                                                         "back\\slash \\N \\.",
                                                         "\\",
                                                         "O'Brien",
                                                         "0x00FF10",
                                                         "S\xC3\xB8ren \xC3\x85g\xC3\xA5rd",
                                                         " padded ",
                                                         std::nullopt};
  const ado::Dialect& dialect = odbc_.dialect();
  std::string rows;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const std::string number = std::to_string(i) + ".25";
    const std::string bit = i % 2 == 0 ? "1" : "0";
    std::string insert = "INSERT INTO " + rows_table_ + " VALUES(";
    if (texts[i]) {
      dialect.AppendStringLiteral(&insert, *texts[i]);
    } else {
      insert += "NULL";
    }
    insert += ", " + number + ", '" + bit + "')";
    odbc_.Execute(insert);
    std::string_view text = texts[i] ? std::string_view(*texts[i]) : std::string_view();
    AppendCopyValue(&rows, texts[i] ? &text : nullptr);
    EndCopyValue(&rows, false);
    std::string_view n = number;
    AppendCopyValue(&rows, &n);
    EndCopyValue(&rows, false);
    std::string_view b = bit;
    AppendCopyValue(&rows, &b);
    EndCopyValue(&rows, true);
  }
  std::string why;
  auto bulk = OpenMatchingBulkConnection(dsn_, odbc_, table_, &why);
  ASSERT_NE(bulk, nullptr) << why;
  bulk->Begin();
  EXPECT_EQ(bulk->CopyRows(table_, rows), static_cast<std::int64_t>(texts.size()));
  bulk->Commit();
  EXPECT_EQ(Rows("\"" + table_ + "\""), Rows(rows_table_));

  // A failing batch stores nothing and leaves the connection usable.
  bulk->Begin();
  try {
    bulk->CopyRows(table_, "fine\t1\t1\nbad\tnot a number\t1\n");
    ADD_FAILURE() << "a bad number was taken";
  } catch (const ado::Error& e) {
    EXPECT_NE(std::string(e.description()).find("COPY \"" + table_ + "\" FROM STDIN failed: ERROR:"),
              std::string::npos)
        << e.description();
  }
  bulk->Rollback();
  EXPECT_EQ(Rows("\"" + table_ + "\"").size(), texts.size());
  bulk->Begin();
  EXPECT_EQ(bulk->CopyRows(table_, "last\t\\N\t\\N\n"), 1);
  bulk->Commit();
  EXPECT_EQ(Rows("\"" + table_ + "\"").back(), "[last]|(null)|(null)|");
}

// The loader sends a batch while it is built, in chunks, inside the batch's
// own transaction: nothing is visible before SendRows commits; a batch whose
// bad row comes after rows already sent stores nothing and the next batch
// goes through; a discarded batch stores nothing, whether or not part of it
// was sent. Batches of 5,000 rows of about 100 bytes span several chunks.
TEST_F(PgCopyTest, StreamedBatchesCommitWholeOrNotAtAll) {
  std::unique_ptr<BulkLoader> loader = MakePgBulkLoader(dsn_, nullptr);
  ASSERT_TRUE(loader->StartTable(odbc_, table_));
  const std::string pad(90, 'x');
  const auto add_rows = [&](int from, int to, int bad) {
    for (int i = from; i < to; ++i) {
      const std::string text = pad + std::to_string(i);
      const std::string number = i == bad ? "not a number" : std::to_string(i);
      loader->AddRow({{text}, {number}, {"", true}});
    }
  };
  const auto count = [&] { return Rows("\"" + table_ + "\"").size(); };
  struct Case {
    const char* what;
    int bad;             // the row that the server refuses, or -1
    bool discard;        // DiscardRows instead of SendRows
    std::size_t before;  // rows in the table before the batch ends
    std::size_t after;
  };
  const Case cases[] = {{"a good batch", -1, false, 0, 5000},
                        {"a bad row after rows already sent", 4990, false, 5000, 5000},
                        {"a discarded batch", -1, true, 5000, 5000},
                        {"the next good batch", -1, false, 5000, 10000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    add_rows(0, 5000, c.bad);
    EXPECT_EQ(count(), c.before) << "rows are seen before the commit";
    if (c.discard) {
      loader->DiscardRows();
    } else if (c.bad >= 0) {
      EXPECT_THROW(loader->SendRows(table_), ado::Error);
    } else {
      loader->SendRows(table_);
    }
    EXPECT_EQ(count(), c.after);
  }
}

}  // namespace
}  // namespace transfer::bulk
