// Both copies through their handlers against real data sources: a FoxPro
// free-table folder and the SQLite, PostgreSQL and MariaDB data sources of
// the test environment (MariaDB's as a user writes it, without settings).
// The PostgreSQL statement log witnesses what was sent.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/data_sources.h"
#include "text/ascii.h"
#include "transfer/testing/transfer_fixture.h"

namespace transfer {
namespace {

namespace fs = std::filesystem;
using testing::Bit;
using testing::kNullText;
using testing::LogicalColumns;
using testing::Normalised;
using testing::Row;

using test_support::Db;

// Runs each case on each server of the test environment.
class TransferTest : public testing::TransferFixture,
                     public ::testing::WithParamInterface<test_support::DataSource> {
 protected:
  void SetUp() override {
    TransferFixture::SetUp();
    // The FoxPro side down needs no FoxPro provider.
    const bool need_foxpro =
        std::string(::testing::UnitTest::GetInstance()->current_test_info()->name())
            .find("FoxproSideDown") == std::string::npos;
    if (!UseDataSource(GetParam().variable, need_foxpro)) {
      GTEST_SKIP() << "needs the ODBC and FoxPro providers and " << GetParam().variable
                   << " (run ./test.sh, or source scripts/test-env.sh first)";
    }
  }
  bool IsPostgres() const { return GetParam().db == Db::kPostgres; }

  // A FoxPro table `name` with an integer, a character, a logical, a numeric
  // and a memo field, holding `rows` rows.
  void MakeFoxproOrders(const std::string& name, int rows) {
    Fox("CREATE TABLE \"" + name + "\"(\"id\" I,\"name\" C(10) NULL,\"paid\" L NULL," +
        "\"total\" N(8,2) NULL,\"note\" M NULL)");
    for (int i = 1; i <= rows; ++i) {
      Fox("INSERT INTO \"" + name + "\" VALUES(" + std::to_string(i) + ", 'O''Hara', " +
          (i % 2 == 0 ? ".T." : ".F.") + ", " + std::to_string(i) + ".5, 'line1\r\nline2')");
    }
  }

  // A SQL table `name` with `rows` rows of an integer, a text with an
  // apostrophe and a line break, and a null.
  void MakeSqlOrders(const std::string& name, int rows) {
    Sql("CREATE TABLE \"" + name +
        "\"(\"id\" INTEGER,\"unit price\" VARCHAR(40),\"amount/net\" "
        "NUMERIC(10,2))");
    for (int i = 1; i <= rows; ++i) {
      Sql("INSERT INTO \"" + name + "\" VALUES(" + std::to_string(i) + ", 'O''Hara\r\nline2', " +
          (i % 2 == 0 ? "NULL" : "12.50") + ")");
    }
  }

  void RunFoxproToSql() {
    TableWindowContext context = Context();
    SendFoxproToSybase(context);
  }
  void RunSqlToFoxpro() {
    TableWindowContext context = Context();
    SendSybaseToFoxpro(context);
  }

  // The report lines, in order.
  std::vector<int> ReportLines() const {
    std::vector<int> lines;
    for (const auto& report : Reports()) lines.push_back(ReportLine(report));
    return lines;
  }
  std::string ReportsText() const {
    std::string text;
    for (const auto& report : Reports()) text += report.text + "\n----\n";
    return text;
  }
};

// Expected progress values for a table of `rows` rows, then the reset.
std::vector<double> ProgressFor(int rows) {
  std::vector<double> values;
  for (int r = 0; r < rows; ++r) {
    values.push_back(static_cast<double>(r + 1) / static_cast<double>(rows) * 100.0);
  }
  values.push_back(0.0);
  return values;
}

TEST_P(TransferTest, FoxproToSqlCopiesEveryRow) {
  const std::string table = UniqueName("fs_orders");
  MakeFoxproOrders(table, 3);
  list1_ = testing::VectorTableList({table, "zz_other"});
  list1_.Select(table);
  RunFoxproToSql();
  ASSERT_EQ(ui_.Messages().size(), 0u) << ReportsText();
  EXPECT_EQ(list2_.Names(), std::vector<std::string>{table});
  auto rows = SqlRows("SELECT * FROM \"" + table + "\" ORDER BY \"id\"");
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[1][0], "2");
  EXPECT_EQ(rows[1][1].substr(0, 6), "O'Hara");
  EXPECT_EQ(Bit(rows[1][2]), "1");
  EXPECT_EQ(Bit(rows[0][2]), "0");
  EXPECT_EQ(rows[1][3], "2.5");
  EXPECT_EQ(rows[1][4], "line1\r\nline2");
  EXPECT_EQ(progress_.values, ProgressFor(3));
  EXPECT_EQ(progress_.texts, std::vector<std::string>{"Progress Bar"});
  EXPECT_EQ(ui_.PointerShapes(), (std::vector<int>{ui::kBusyPointer, 0, 0}));
  if (IsPostgres()) {
    auto created = testing::LoggedStatements(test_support::EnvOrEmpty("QUILLOMAR_PG_LOG"),
                                             "CREATE TABLE \"" + table);
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0], "CREATE TABLE \"" + table +
                              "\"(\"id\" NUMERIC,\"name\" TEXT,\"paid\" BIT,\"total\" TEXT,"
                              "\"note\" TEXT)");
    auto inserts = testing::LoggedStatements(test_support::EnvOrEmpty("QUILLOMAR_PG_LOG"),
                                             "INSERT INTO \"" + table);
    ASSERT_EQ(inserts.size(), 3u);
    EXPECT_EQ(inserts[0].substr(0, inserts[0].find(", '")),
              "INSERT INTO \"" + table + "\" VALUES(1");
    EXPECT_NE(inserts[1].find(", '1', '2.5', 'line1\r\nline2')"), std::string::npos) << inserts[1];
  }
}

// The orders example byte for byte, as the PostgreSQL server received it.
TEST_P(TransferTest, OrdersExampleReachesTheServerExactly) {
  if (!IsPostgres()) GTEST_SKIP() << "the statement log is PostgreSQL's";
  const std::string table = UniqueName("orders");
  Fox("CREATE TABLE \"" + table + "\"(\"id\" I,\"name\" V(10) NULL,\"paid\" L NULL," +
      "\"total\" N(8,2) NULL)");
  Fox("INSERT INTO \"" + table + "\" VALUES(7, 'O''Hara    ', .T., NULL)");
  list1_ = testing::VectorTableList({table});
  list1_.Select(table);
  RunFoxproToSql();
  ASSERT_EQ(ui_.Messages().size(), 0u) << ReportsText();
  const std::string log = test_support::EnvOrEmpty("QUILLOMAR_PG_LOG");
  EXPECT_EQ(testing::LoggedStatements(log, "\"" + table + "\""),
            (std::vector<std::string>{
                "CREATE TABLE \"" + table +
                    "\"(\"id\" NUMERIC,\"name\" TEXT,\"paid\" BIT,\"total\" TEXT)",
                "INSERT INTO \"" + table + "\" VALUES(7, 'O''Hara    ', '1', NULL)"}));
}

// Names holding the quote characters reach the server escaped, so they can
// neither break the statement nor add one.
TEST_P(TransferTest, QuoteCharactersInNamesAreEscaped) {
  if (!IsPostgres()) GTEST_SKIP() << "the statement log is PostgreSQL's";
  const std::string table = "q\"t]x " + UniqueName("n");
  sql_tables_.push_back(table);
  Sql("CREATE TABLE \"q\"\"t]x " + table.substr(6) + "\"(\"c\"\"1\" INTEGER)");
  Sql("INSERT INTO \"q\"\"t]x " + table.substr(6) + "\" VALUES(5)");
  list1_ = testing::VectorTableList({table});
  list2_ = testing::VectorTableList({table});
  list2_.Select(table);
  ui_.QueueAnswer(ui::kAnswerYes);
  RunSqlToFoxpro();
  const std::string escaped = "\"q\"\"t]x " + table.substr(6) + "\"";
  EXPECT_EQ(testing::LoggedStatements(test_support::EnvOrEmpty("QUILLOMAR_PG_LOG"),
                                      "SELECT * FROM " + escaped),
            std::vector<std::string>{"SELECT * FROM " + escaped});
  // The FoxPro side gets the bracketed DROP with "]]"; the table is not
  // there, so the entry stays and the table is skipped.
  EXPECT_EQ(ReportLines(), std::vector<int>{142});
  EXPECT_EQ(list1_.Names(), std::vector<std::string>{table});

  // And back: the SQL side's DROP TABLE doubles the quote.
  Fox("CREATE TABLE \"q\"\"t]x " + table.substr(6) + "\"(\"c1\" I)");
  list1_ = testing::VectorTableList({table});
  list1_.Select(table);
  ResetUi();
  ui_.QueueAnswer(ui::kAnswerYes);
  RunFoxproToSql();
  EXPECT_EQ(testing::LoggedStatements(test_support::EnvOrEmpty("QUILLOMAR_PG_LOG"),
                                      "DROP TABLE " + escaped),
            std::vector<std::string>{"DROP TABLE " + escaped});
}

TEST_P(TransferTest, SqlToFoxproCopiesEveryRowAsMemos) {
  const std::string table = UniqueName("sf_orders");
  MakeSqlOrders(table, 4);
  list2_ = testing::VectorTableList({table});
  list2_.Select(table);
  RunSqlToFoxpro();
  ASSERT_EQ(ui_.Messages().size(), 0u) << ReportsText();
  EXPECT_EQ(list1_.Names(), std::vector<std::string>{table});
  auto rows = FoxRows("SELECT * FROM [" + table + "]");
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0], (Row{"1", "O'Hara\r\nline2", "12.5"}));
  EXPECT_EQ(rows[1], (Row{"2", "O'Hara\r\nline2", kNullText}));
  EXPECT_EQ(progress_.values, ProgressFor(4));
  EXPECT_EQ(ui_.PointerShapes(), (std::vector<int>{ui::kBusyPointer, 0, 0}));
}

// The SQL side's rows are read whole when the source opens; the window is
// served during that read, not only from the first row on.
TEST_P(TransferTest, WindowIsServedWhileTheSqlRowsAreRead) {
  const std::string table = UniqueName("sf_read");
  MakeSqlOrders(table, 60);
  list2_ = testing::VectorTableList({table});
  list2_.Select(table);
  long before_first_row = -1;
  ui_.OnDoEvents([this, &before_first_row] {
    if (progress_.values.empty()) before_first_row = ui_.do_events();
  });
  RunSqlToFoxpro();
  ui_.OnDoEvents(nullptr);
  ASSERT_EQ(ui_.Messages().size(), 0u) << ReportsText();
  // One yield per row read, plus one per column while the table is created.
  EXPECT_GE(before_first_row, 60);
  EXPECT_EQ(FoxRows("SELECT * FROM [" + table + "]").size(), 60u);
}

TEST_P(TransferTest, CurrentEntryWithoutSelectionOpensAndClosesOnly) {
  list1_ = testing::VectorTableList({"a"});
  list2_ = testing::VectorTableList({"b"});
  list1_.SetListIndex(0);
  list2_.SetListIndex(0);
  RunFoxproToSql();
  RunSqlToFoxpro();
  EXPECT_EQ(ui_.Messages().size(), 0u) << ReportsText();
  EXPECT_EQ(ui_.PointerShapes(), (std::vector<int>{ui::kBusyPointer, 0, ui::kBusyPointer, 0}));
  EXPECT_TRUE(progress_.values.empty());
  EXPECT_TRUE(list1_.added.empty());
  EXPECT_TRUE(list2_.added.empty());
}

TEST_P(TransferTest, TwoTablesLowerOneFirst) {
  const std::string a = UniqueName("two_a");
  const std::string b = UniqueName("two_b");
  MakeFoxproOrders(a, 1);
  MakeFoxproOrders(b, 2);
  list1_ = testing::VectorTableList({a, b});
  list1_.Select(a);
  list1_.Select(b);
  RunFoxproToSql();
  ASSERT_EQ(ui_.Messages().size(), 0u) << ReportsText();
  EXPECT_EQ(list2_.added, (std::vector<std::string>{b, a}));
  EXPECT_EQ(progress_.values, (std::vector<double>{50, 100, 0, 100, 0}));
  // Back the other way into a second folder, again the lower one first.
  fs::create_directory(folder_ / "back");
  fields_.text2 = (folder_ / "back").string();
  list1_ = testing::VectorTableList();  // the back folder holds no tables yet
  list2_.Select(a);
  list2_.Select(b);
  RunSqlToFoxpro();
  ASSERT_EQ(ui_.Messages().size(), 0u) << ReportsText();
  EXPECT_EQ(list1_.added, (std::vector<std::string>{b, a}));
  EXPECT_EQ(FoxRows("SELECT * FROM " + b).size(), 2u);
  if (IsPostgres()) {
    const std::string log = test_support::EnvOrEmpty("QUILLOMAR_PG_LOG");
    auto creates = testing::LoggedStatements(log, "CREATE TABLE \"two_");
    auto selects = testing::LoggedStatements(log, "SELECT * FROM \"two_");
    ASSERT_GE(creates.size(), 2u);
    ASSERT_GE(selects.size(), 2u);
    EXPECT_EQ(creates[creates.size() - 2].rfind("CREATE TABLE \"" + b + "\"(", 0), 0u);
    EXPECT_EQ(selects[selects.size() - 2], "SELECT * FROM \"" + b + "\"");
    EXPECT_EQ(selects.back(), "SELECT * FROM \"" + a + "\"");
  }
}

TEST_P(TransferTest, OverwriteQuestionInAnyLetterCase) {
  struct Case {
    int answer;
    bool replaced;
  } cases[] = {{ui::kAnswerNo, false}, {ui::kAnswerYes, true}};
  for (const Case& c : cases) {
    const std::string table = UniqueName("ow");
    MakeFoxproOrders(table, 2);
    Sql("CREATE TABLE \"" + table + "\"(\"old\" INTEGER)");
    Sql("INSERT INTO \"" + table + "\" VALUES(42)");
    std::string upper = table;
    for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    list1_ = testing::VectorTableList({table});
    list2_ = testing::VectorTableList({upper, table});
    list1_.Select(table);
    ResetUi();
    ui_.QueueAnswer(c.answer);
    RunFoxproToSql();
    ASSERT_EQ(ui_.Messages().size(), 1u) << ReportsText();
    EXPECT_EQ(ui_.Messages()[0].text, "Would you like to overwrite " + table + "?");
    EXPECT_EQ(ui_.Messages()[0].title, "Overwrite?");
    EXPECT_EQ(ui_.Messages()[0].style, ui::kYesNo);
    auto rows = SqlRows("SELECT * FROM \"" + table + "\"");
    EXPECT_EQ(rows.size(), c.replaced ? 2u : 1u);
    // The exactly lower-cased entry goes and comes back; the other stays.
    EXPECT_EQ(list2_.Names(), (std::vector<std::string>{upper, table}));
    EXPECT_EQ(list2_.added.size(), c.replaced ? 1u : 0u);
  }
}

TEST_P(TransferTest, OverwriteOnTheFoxproSide) {
  const std::string table = UniqueName("fow");
  MakeSqlOrders(table, 2);
  MakeFoxproOrders(table, 5);
  list1_ = testing::VectorTableList({table});
  list2_ = testing::VectorTableList({table});
  list2_.Select(table);
  ui_.QueueAnswer(ui::kAnswerYes);
  RunSqlToFoxpro();
  ASSERT_EQ(ui_.Messages().size(), 1u) << ReportsText();
  EXPECT_EQ(FoxRows("SELECT * FROM " + table).size(), 2u);
  EXPECT_EQ(list1_.Names(), std::vector<std::string>{table});
  EXPECT_EQ(list1_.added, std::vector<std::string>{table});
}

// A Yes to the overwrite question replaces the old table only when the new
// one can be made: a source that cannot be read keeps the old table and its
// entry, both ways.
TEST_P(TransferTest, OverwriteYesKeepsTheOldTableWhenTheSourceCannotBeRead) {
  const std::string table = UniqueName("keep");
  Sql("CREATE TABLE \"" + table + "\"(\"old\" INTEGER)");
  Sql("INSERT INTO \"" + table + "\" VALUES(42)");
  list1_ = testing::VectorTableList({table});  // no such FoxPro table
  list2_ = testing::VectorTableList({table});
  list1_.Select(table);
  ui_.QueueAnswer(ui::kAnswerYes);
  RunFoxproToSql();
  EXPECT_EQ(ReportLines(), (std::vector<int>{146})) << ReportsText();
  EXPECT_EQ(SqlRows("SELECT * FROM \"" + table + "\""), (std::vector<Row>{{"42"}}));
  EXPECT_EQ(list2_.Names(), std::vector<std::string>{table});

  MakeFoxproOrders(table, 1);
  list2_.Select(table);
  Sql("DROP TABLE \"" + table + "\"");  // the SQL side's list is out of date
  ResetUi();
  ui_.QueueAnswer(ui::kAnswerYes);
  RunSqlToFoxpro();
  EXPECT_EQ(ReportLines(), (std::vector<int>{146})) << ReportsText();
  EXPECT_EQ(FoxRows("SELECT * FROM " + table).size(), 1u);
  EXPECT_EQ(list1_.Names(), std::vector<std::string>{table});
}

// When the DROP after a Yes fails, the table is skipped: nothing is added to
// the object the user wanted replaced (here a view over another table,
// which the DROP TABLE cannot remove).
TEST_P(TransferTest, OverwriteYesWithAFailedDropSkipsTheTable) {
  const std::string base = UniqueName("base");
  const std::string view = UniqueName("view");
  sql_tables_.pop_back();  // a view: dropped below, not as a table
  Sql("CREATE TABLE \"" + base +
      "\"(\"id\" INTEGER,\"name\" TEXT,\"paid\" TEXT,"
      "\"total\" TEXT,\"note\" TEXT)");
  Sql("CREATE VIEW \"" + view + "\" AS SELECT * FROM \"" + base + "\"");
  MakeFoxproOrders(view, 3);
  list1_ = testing::VectorTableList({view});
  list2_ = testing::VectorTableList({view});
  list1_.Select(view);
  ui_.QueueAnswer(ui::kAnswerYes);
  RunFoxproToSql();
  EXPECT_EQ(ReportLines(), (std::vector<int>{142})) << ReportsText();
  EXPECT_EQ(SqlRows("SELECT * FROM \"" + base + "\"").size(), 0u);
  EXPECT_EQ(list2_.Names(), std::vector<std::string>{view});
  Sql("DROP VIEW \"" + view + "\"");
}

// Points the memo field `field` of record `record` (1-based) of a FoxPro
// table file far past the end of its memo file.
void DamageMemoPointer(const fs::path& dbf, const std::string& field, int record) {
  std::fstream file(dbf, std::ios::in | std::ios::out | std::ios::binary);
  unsigned char header[32];
  file.read(reinterpret_cast<char*>(header), 32);
  const int header_length = header[8] | header[9] << 8;
  const int record_length = header[10] | header[11] << 8;
  for (int at = 32; at + 32 <= header_length; at += 32) {
    char descriptor[32];
    file.seekg(at);
    file.read(descriptor, 32);
    if (descriptor[0] == '\r') break;
    if (ascii::LowerCase(std::string(descriptor, strnlen(descriptor, 11))) != field) continue;
    const int offset = static_cast<unsigned char>(descriptor[12]) |
                       static_cast<unsigned char>(descriptor[13]) << 8;
    file.seekp(header_length + (record - 1) * record_length + offset);
    file.write("\x00\x00\x00\x70", 4);  // block 0x70000000
    return;
  }
  FAIL() << "no field " << field << " in " << dbf;
}

// One damaged value costs only itself: record 50 of 100 holds a memo
// pointer past the end of the memo file; the copy brings every row, that
// value NULL, after one report at the line that reads a value, naming the
// table, record and field.
TEST_P(TransferTest, ADamagedValueArrivesAsNullAfterOneReport) {
  const std::string table = UniqueName("damaged");
  Fox("CREATE TABLE \"" + table + "\"(\"id\" I,\"note\" M NULL)");
  for (int i = 1; i <= 100; ++i) {
    Fox("INSERT INTO \"" + table + "\" VALUES(" + std::to_string(i) + ", 'note " +
        std::to_string(i) + "')");
  }
  DamageMemoPointer(folder_ / (table + ".dbf"), "note", 50);
  list1_ = testing::VectorTableList({table});
  list1_.Select(table);
  RunFoxproToSql();
  ASSERT_EQ(ReportLines(), std::vector<int>{226}) << ReportsText();
  const std::string report = Reports()[0].text;
  EXPECT_NE(report.find(table), std::string::npos) << report;
  EXPECT_NE(report.find("50"), std::string::npos) << report;
  EXPECT_NE(ascii::LowerCase(report).find("note"), std::string::npos) << report;
  std::vector<Row> rows = SqlRows("SELECT \"id\", \"note\" FROM \"" + table + "\"");
  ASSERT_EQ(rows.size(), 100u);
  int nulls = 0;
  for (const Row& row : rows) {
    if (row[1] == kNullText) {
      ++nulls;
      EXPECT_EQ(row[0], "50");
    } else {
      EXPECT_EQ(row[1], "note " + row[0]);
    }
  }
  EXPECT_EQ(nulls, 1);
}

// A table whose header counts more records than the file holds is copied
// with the rows it has, after one report at the step that opened it.
TEST_P(TransferTest, ADamagedTableIsReportedOnceBeforeItsRows) {
  const std::string table = UniqueName("short");
  MakeFoxproOrders(table, 3);
  {
    std::fstream file(folder_ / (table + ".dbf"), std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(4);
    file.write("\x08\x00\x00\x00", 4);  // 8 records counted, 3 written
  }
  list1_ = testing::VectorTableList({table});
  list1_.Select(table);
  RunFoxproToSql();
  ASSERT_EQ(ReportLines(), std::vector<int>{146}) << ReportsText();
  EXPECT_EQ(SqlRows("SELECT * FROM \"" + table + "\"").size(), 3u);
  EXPECT_EQ(progress_.values.size(), 4u);  // three rows, then the reset
}

TEST_P(TransferTest, EmptyTablesAreCreatedWithoutRows) {
  const std::string fox = UniqueName("empty_f");
  const std::string sql = UniqueName("empty_s");
  MakeFoxproOrders(fox, 0);
  MakeSqlOrders(sql, 0);
  list1_ = testing::VectorTableList({fox});
  list1_.Select(fox);
  list2_ = testing::VectorTableList({sql});
  list2_.Select(sql);
  RunFoxproToSql();
  RunSqlToFoxpro();
  ASSERT_EQ(ui_.Messages().size(), 0u) << ReportsText();
  EXPECT_EQ(SqlRows("SELECT * FROM \"" + fox + "\"").size(), 0u);
  EXPECT_EQ(FoxRows("SELECT * FROM " + sql).size(), 0u);
  EXPECT_EQ(list2_.added, std::vector<std::string>{fox});
  EXPECT_EQ(list1_.added, std::vector<std::string>{sql});
  EXPECT_EQ(progress_.values, (std::vector<double>{0, 0}));
}

TEST_P(TransferTest, FoxproSideDownReportsEveryStatement) {
  const std::string table = UniqueName("fdown");
  MakeSqlOrders(table, 2);
  fields_.text2 = (folder_ / "missing").string();
  list2_ = testing::VectorTableList({table});
  list2_.Select(table);
  RunSqlToFoxpro();
  // FoxPro open, CREATE, and one INSERT per row, each with its statement.
  EXPECT_EQ(ReportLines(), (std::vector<int>{124, 212, 258, 258}));
  auto reports = Reports();
  ASSERT_EQ(reports.size(), 4u);
  EXPECT_EQ(ReportSql(reports[1]),
            "CREATE TABLE \"" + table + "\"(\"id\" M,\"unit_price\" M,\"amount_net\" M);");
  EXPECT_EQ(ReportSql(reports[2]),
            "INSERT INTO \"" + table + "\" VALUES('1', 'O''Hara\r\nline2', '12.5')");
  EXPECT_EQ(ReportSql(reports[3]),
            "INSERT INTO \"" + table + "\" VALUES('2', 'O''Hara\r\nline2', NULL)");
  EXPECT_TRUE(list1_.Names().empty());
}

TEST_P(TransferTest, FoxproSideDownWhenSendingToSql) {
  const std::string table = UniqueName("fdown_src");
  fields_.text2 = (folder_ / "missing").string();
  list1_ = testing::VectorTableList({table});
  list1_.Select(table);
  list2_ = testing::VectorTableList({"other"});
  RunFoxproToSql();
  // FoxPro open, the source query, and the CREATE of a table without
  // columns, which the database refuses.
  EXPECT_EQ(ReportLines(), (std::vector<int>{122, 146, 198}));
  ASSERT_EQ(Reports().size(), 3u);
  EXPECT_EQ(ReportSql(Reports()[2]), "CREATE TABLE \"" + table + "\")");
  EXPECT_EQ(list2_.Names(), std::vector<std::string>{"other"});
  EXPECT_TRUE(SqlRows("SELECT 1 AS one").size() == 1u);
}

// Not parameterised: the data source that is down.
class SqlSideDownTest : public testing::TransferFixture {};

TEST_F(SqlSideDownTest, ReportsEveryStatementAndLeavesTheListAlone) {
  if (!UseDataSource(test_support::kPostgresDown)) {
    GTEST_SKIP() << "needs the providers and QUILLOMAR_DSN_PG_DOWN (run ./test.sh)";
  }
  const std::string table = UniqueName("sdown");
  Fox("CREATE TABLE \"" + table + "\"(\"id\" I,\"name\" C(4))");
  Fox("INSERT INTO \"" + table + "\" VALUES(1, 'a''b')");
  Fox("INSERT INTO \"" + table + "\" VALUES(2, 'c')");
  list1_ = testing::VectorTableList({table});
  list1_.Select(table);
  list2_ = testing::VectorTableList({"other"});
  TableWindowContext context = Context();
  SendFoxproToSybase(context);
  std::vector<int> lines;
  std::vector<std::string> statements;
  for (const auto& report : Reports()) {
    lines.push_back(ReportLine(report));
    statements.push_back(ReportSql(report));
  }
  EXPECT_EQ(lines, (std::vector<int>{114, 198, 274, 274}));
  ASSERT_EQ(statements.size(), 4u);
  EXPECT_EQ(statements[1], "CREATE TABLE \"" + table + "\"(\"id\" NUMERIC,\"name\" TEXT)");
  EXPECT_EQ(statements[2].substr(0, statements[2].find(", ")),
            "INSERT INTO \"" + table + "\" VALUES(1");
  EXPECT_NE(statements[2].find("'a''b"), std::string::npos);
  EXPECT_EQ(list2_.Names(), std::vector<std::string>{"other"});
  EXPECT_TRUE(list2_.added.empty());
}

TEST_F(SqlSideDownTest, SendingToFoxproCreatesNothing) {
  if (!UseDataSource(test_support::kPostgresDown)) {
    GTEST_SKIP() << "needs the providers and QUILLOMAR_DSN_PG_DOWN (run ./test.sh)";
  }
  list2_ = testing::VectorTableList({"gone"});
  list2_.Select("gone");
  TableWindowContext context = Context();
  SendSybaseToFoxpro(context);
  std::vector<int> lines;
  for (const auto& report : Reports()) lines.push_back(ReportLine(report));
  // SQL open, the source query, and the CREATE without columns, which the
  // FoxPro side refuses.
  EXPECT_EQ(lines, (std::vector<int>{116, 146, 212}));
  ASSERT_EQ(Reports().size(), 3u);
  EXPECT_EQ(ReportSql(Reports()[2]), "CREATE TABLE \"gone\");");
  EXPECT_TRUE(list1_.Names().empty());
  EXPECT_TRUE(std::filesystem::is_empty(folder_));
}

// The program ends in the middle of a copy (the window was closed): every
// row whose INSERT returned is in the target, and a FoxPro target opens
// cleanly.
TEST_P(TransferTest, EndingMidCopyLeavesEveryRowSent) {
  const std::string to_foxpro = UniqueName("cut_f");
  const std::string to_sql = UniqueName("cut_s");
  MakeSqlOrders(to_foxpro, 20);
  MakeFoxproOrders(to_sql, 20);
  list2_ = testing::VectorTableList({to_foxpro});
  list2_.Select(to_foxpro);
  list1_ = testing::VectorTableList({to_sql});
  list1_.Select(to_sql);
  ui_.OnDoEvents([this] {
    // At the first yield after row 6's progress: rows 0..5 were sent.
    if (progress_.values.size() == 7) std::_Exit(0);
  });
  EXPECT_EXIT(RunSqlToFoxpro(), ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(RunFoxproToSql(), ::testing::ExitedWithCode(0), "");
  ui_.OnDoEvents(nullptr);
  EXPECT_EQ(FoxRows("SELECT * FROM " + to_foxpro).size(), 6u);
  EXPECT_EQ(SqlRows("SELECT * FROM \"" + to_sql + "\"").size(), 6u);
}

// Every FoxPro field type, with nulls, empty values, a memo with line
// breaks and Cyrillic text, in a table of code page 1251; to SQL and back.
TEST_P(TransferTest, EveryFieldTypeOfA1251TableRoundTrips) {
  ::setenv("LC_CTYPE", "ru_RU.UTF-8", 1);  // new FoxPro tables take code page 1251
  const std::string table = UniqueName("every");
  Fox("CREATE TABLE \"" + table + "\"(\"c\" C(12) NULL,\"v\" V(20) NULL,\"m\" M NULL," +
      "\"n\" N(10,3) NULL,\"f\" F(12,4) NULL,\"i\" I NULL,\"b\" B NULL,\"y\" Y NULL," +
      "\"d\" D NULL,\"t\" T NULL,\"l\" L NULL,\"q\" Q(10) NULL,\"w\" W NULL)");
  Fox("INSERT INTO \"" + table + "\" VALUES('Привет', 'Ёлка ''ель''', " +
      "'строка1\r\nстрока2\nтри', 12.5, 1.25, 7, 2.5, 12.3456, '2021-08-31', " +
      "'2021-08-31 23:05:09', .T., 'abc', 'wbytes')");
  Fox("INSERT INTO \"" + table + "\" VALUES(NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, " +
      "NULL, NULL, NULL, NULL, NULL)");
  Fox("INSERT INTO \"" + table + "\" VALUES('', '', '', 0, 0, 0, 0, 0, NULL, NULL, .F., '', '')");
  const std::vector<Row> original = FoxRows("SELECT * FROM [" + table + "]");
  ASSERT_EQ(original.size(), 3u);
  list1_ = testing::VectorTableList({table});
  list1_.Select(table);
  RunFoxproToSql();
  ASSERT_EQ(ui_.Messages().size(), 0u) << ReportsText();
  if (IsPostgres()) {
    auto created = testing::LoggedStatements(test_support::EnvOrEmpty("QUILLOMAR_PG_LOG"),
                                             "CREATE TABLE \"" + table);
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0], "CREATE TABLE \"" + table +
                              "\"(\"c\" TEXT,\"v\" TEXT,\"m\" TEXT,\"n\" TEXT,\"f\" TEXT,"
                              "\"i\" NUMERIC,\"b\" TEXT,\"y\" NUMERIC,\"d\" TEXT,\"t\" TEXT,"
                              "\"l\" BIT,\"q\" TEXT,\"w\" TEXT)");
  }
  fs::create_directory(folder_ / "back");
  fields_.text2 = (folder_ / "back").string();
  list1_ = testing::VectorTableList();  // the back folder holds no tables yet
  list2_.Select(table);
  RunSqlToFoxpro();
  ::unsetenv("LC_CTYPE");
  ASSERT_EQ(ui_.Messages().size(), 0u) << ReportsText();
  const std::vector<bool> logical = LogicalColumns(original);
  EXPECT_EQ(Normalised(FoxRows("SELECT * FROM [" + table + "]"), logical),
            Normalised(original, logical));
}

// Real FoxPro tables from the fixtures: to SQL and back, every value
// arrives as the same text.
TEST_P(TransferTest, FixtureTablesRoundTrip) {
  const fs::path fixtures = fs::path(QUILLOMAR_FIXTURES) / "vfp";
  if (!fs::exists(fixtures)) GTEST_SKIP() << "fixtures not found at " << fixtures;
  struct Source {
    const char* folder;
    const char* table;
    const char* ctype;  // the language the copy back runs under (its code page)
  } sources[] = {
      {"vfpefprovider-northwind", "customers", "C.UTF-8"},
      {"vfpefprovider-northwind", "orders", "C.UTF-8"},
      {"vfpefprovider-northwind", "products", "C.UTF-8"},
      {"vfpefprovider-northwind", "orderdetails", "C.UTF-8"},
      {"vfpefprovider-northwind", "suppliers", "C.UTF-8"},
      {"infused-foxprodb", "calls", "C.UTF-8"},
      {"infused-foxprodb", "contacts", "C.UTF-8"},
      {"infused-dbf", "dbase_30", "C.UTF-8"},
      {"infused-dbf", "cp1251", "ru_RU.UTF-8"},
      {"foxbin2prg", "fb2p_dbf", "C.UTF-8"},
  };
  for (const Source& source : sources) {
    SCOPED_TRACE(source.table);
    const std::string table = UniqueName(std::string("rt_") + source.table);
    for (const auto& entry : fs::directory_iterator(fixtures / source.folder)) {
      if (ascii::LowerCase(entry.path().stem().string()) != source.table) continue;
      fs::copy_file(entry.path(), folder_ / (table + entry.path().extension().string()));
    }
    fields_.text2 = folder_.string();
    const std::vector<Row> original = FoxRows("SELECT * FROM [" + table + "]");
    list1_ = testing::VectorTableList({table});
    list1_.Select(table);
    list2_ = testing::VectorTableList();
    ResetUi();
    RunFoxproToSql();
    ASSERT_EQ(ui_.Messages().size(), 0u) << ReportsText();
    fs::create_directories(folder_ / "back");
    fields_.text2 = (folder_ / "back").string();
    list1_ = testing::VectorTableList();  // the back folder's list
    list2_.Select(table);
    ::setenv("LC_CTYPE", source.ctype, 1);
    RunSqlToFoxpro();
    ::unsetenv("LC_CTYPE");
    ASSERT_EQ(ui_.Messages().size(), 0u) << ReportsText();
    const std::vector<bool> logical = LogicalColumns(original);
    auto back = Normalised(FoxRows("SELECT * FROM [" + table + "]"), logical);
    auto expected = Normalised(original, logical);
    ASSERT_EQ(back.size(), expected.size());
    // The SQL side gives its rows in no fixed order: compare sorted.
    std::sort(back.begin(), back.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(back, expected);
  }
}

// The FoxPro side as a database container: a fixture container copied to a
// temporary folder; one of its tables to SQL, and back into the container
// in its place after a Yes.
TEST_P(TransferTest, ContainerTableRoundTrip) {
  const fs::path source = fs::path(QUILLOMAR_FIXTURES) / "vfp" / "vfpefprovider-northwind";
  if (!fs::exists(source)) GTEST_SKIP() << "fixtures not found at " << source;
  fs::copy(source, folder_ / "nw", fs::copy_options::recursive);
  fields_.option1 = true;
  fields_.text1 = (folder_ / "nw" / "northwind.dbc").string();
  const std::string table = "shippers";
  DropSqlTable(table);
  sql_tables_.push_back(table);
  const std::vector<Row> original = FoxRows("SELECT * FROM [" + table + "]");
  ASSERT_FALSE(original.empty());
  list1_ = testing::VectorTableList({"customers", table});
  list1_.Select(table);
  RunFoxproToSql();
  ASSERT_EQ(ui_.Messages().size(), 0u) << ReportsText();
  EXPECT_EQ(list2_.Names(), std::vector<std::string>{table});
  list1_.SetSelected(1, false);
  list2_.Select(table);
  ui_.QueueAnswer(ui::kAnswerYes);
  RunSqlToFoxpro();
  if (ReportsText().find("container is not supported yet") != std::string::npos) {
    // The refused DROP leaves the entry, and nothing is added twice.
    EXPECT_EQ(list1_.Names(), (std::vector<std::string>{"customers", table}));
    GTEST_SKIP() << "this build's FoxPro engine cannot write into containers yet";
  }
  ASSERT_EQ(ui_.Messages().size(), 1u) << ReportsText();
  EXPECT_EQ(list1_.Names(), (std::vector<std::string>{"customers", table}));
  const std::vector<bool> logical = LogicalColumns(original);
  auto back = Normalised(FoxRows("SELECT * FROM [" + table + "]"), logical);
  auto expected = Normalised(original, logical);
  std::sort(back.begin(), back.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(back, expected);
}

INSTANTIATE_TEST_SUITE_P(DataSources, TransferTest, ::testing::ValuesIn(test_support::kServers),
                         test_support::DataSourceName);

}  // namespace
}  // namespace transfer
