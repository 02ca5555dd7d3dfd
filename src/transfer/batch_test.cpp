// Batch mode of the copy to SQL against rows mode, on the SQLite, PostgreSQL
// (through COPY where the bulk path is built) and MariaDB data sources: the
// same rows arrive, the same failures are reported, and ending the program
// after flushing the open batch leaves exactly the whole rows built.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "transfer/testing/transfer_fixture.h"
#ifdef QUILLOMAR_TEST_HAVE_PG_BULK
#include "transfer/bulk/pg_loader.h"
#endif

namespace transfer {
namespace {

using testing::Row;

constexpr char kSqlite[] = "QUILLOMAR_DSN_SQLITE";
constexpr char kPostgres[] = "QUILLOMAR_DSN_PG";
constexpr char kMaria[] = "QUILLOMAR_DSN_MARIA";

using Text = std::optional<std::string>;  // nullopt: NULL

// Texts that every way of sending must carry unchanged: COPY's special
// characters, the literal's quote, empty text against null, blanks.
const Text kTexts[] = {
    "tab\there", "cr lf\r\nand lf\nend", "back\\slash\\", "\\N", "O'Hara''s", "", std::nullopt,
    " ",         "a\\tb\\\\n",           "plain"};

std::string FoxLiteral(const Text& text) {
  if (!text) return "NULL";
  std::string out = "'";
  for (char c : *text) {
    out += c;
    if (c == '\'') out += c;
  }
  return out + "'";
}

class BatchTest : public testing::TransferFixture,
                  public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    TransferFixture::SetUp();
    if (!UseDataSource(GetParam())) {
      GTEST_SKIP() << "needs the ODBC and FoxPro providers and " << GetParam()
                   << " (run ./test.sh, or source scripts/test-env.sh first)";
    }
#ifdef QUILLOMAR_TEST_HAVE_PG_BULK
    loader_ = bulk::MakePgBulkLoader(dsn_, [this](const std::string& line) { notices_ += line; });
    options_.bulk = loader_.get();
#endif
  }
  bool IsPostgres() const { return dsn_variable_ == kPostgres; }
  bool IsMaria() const { return dsn_variable_ == kMaria; }

  // A FoxPro table of `rows` rows whose texts, logicals and binary values
  // run through every case of kTexts.
  void MakeFoxproTable(const std::string& name, int rows) {
    Fox("CREATE TABLE \"" + name + "\"(\"id\" I,\"name\" V(40) NULL,\"paid\" L NULL," +
        "\"note\" M NULL,\"q\" Q(10) NULL)");
    constexpr int kCount = static_cast<int>(std::size(kTexts));
    for (int i = 1; i <= rows; ++i) {
      const char* paid[] = {".T.", ".F.", "NULL"};
      const char* q[] = {"'abc'", "NULL", "''"};
      Fox("INSERT INTO \"" + name + "\" VALUES(" + std::to_string(i) + ", " +
          FoxLiteral(kTexts[i % kCount]) + ", " + paid[i % 3] + ", " +
          FoxLiteral(kTexts[(i * 3) % kCount]) + ", " + q[i % 3] + ")");
    }
  }

  // The target as the copy would create it, with a check that refuses the
  // rows of id 3, 9 and 17.
  void MakeRefusingTarget(const std::string& name) {
    DropSqlTable(name);
    const std::string number = IsMaria() ? "DECIMAL(19,4)" : "NUMERIC";
    const std::string text = IsMaria() ? "LONGTEXT" : "TEXT";
    Sql("CREATE TABLE \"" + name + "\"(\"id\" " + number + " CHECK (\"id\" NOT IN (3, 9, 17))," +
        "\"name\" " + text + ",\"paid\" BIT,\"note\" " + text + ",\"q\" " + text + ")");
  }

  // One copy of `table` in rows mode (`batch` null) or batch mode.
  void Copy(const std::string& table, BatchOptions* batch) {
    ui_.boxes.clear();
    progress_.values.clear();
    list1_ = testing::VectorTableList({table});
    list1_.Select(table);
    list2_ = testing::VectorTableList();  // the target is not listed
    TableWindowContext context = Context();
    context.batch = batch;
    SendFoxproToSybase(context);
  }

  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const auto& box : ui_.boxes) texts.push_back(box.text);
    return texts;
  }

  BatchOptions options_;
  std::unique_ptr<BulkLoader> loader_;
  std::string notices_;
};

// Batches of 4 rows, three of which hold a row the target refuses: the
// rows that arrive, every value of them, the reports (CREATE TABLE on the
// existing table, then line 274 with each refused row's own INSERT) and the
// progress are those of rows mode.
TEST_P(BatchTest, SameRowsAndReportsAsRowsMode) {
  const std::string table = UniqueName("sysbatch");
  MakeFoxproTable(table, 23);
  const std::string query = "SELECT * FROM \"" + table + "\" ORDER BY \"id\"";

  MakeRefusingTarget(table);
  Copy(table, nullptr);
  const std::vector<Row> rows_mode = SqlRows(query);
  const std::vector<std::string> rows_reports = BoxTexts();
  const std::vector<double> rows_progress = progress_.values;
  ASSERT_EQ(rows_mode.size(), 20u);
  ASSERT_EQ(rows_reports.size(), 4u);
  EXPECT_EQ(ReportLine(ui_.boxes[1]), 274);

  MakeRefusingTarget(table);
  options_.rows = 4;
  Copy(table, &options_);
  const std::vector<Row> batch_mode = SqlRows(query);
  ASSERT_EQ(batch_mode.size(), rows_mode.size());
  for (std::size_t r = 0; r < rows_mode.size(); ++r) {
    ASSERT_EQ(batch_mode[r].size(), rows_mode[r].size());
    for (std::size_t c = 0; c < rows_mode[r].size(); ++c) {
      EXPECT_EQ(batch_mode[r][c], rows_mode[r][c]) << "row " << r << ", column " << c;
    }
  }
  EXPECT_EQ(BoxTexts(), rows_reports);
  EXPECT_EQ(progress_.values, rows_progress);
  EXPECT_EQ(options_.rows_resent, 12) << "only the three batches with a refused row went again";
  EXPECT_EQ(notices_, "");
#ifdef QUILLOMAR_TEST_HAVE_PG_BULK
  if (IsPostgres()) {
    const auto copies =
        testing::LoggedStatements(testing::Env("QUILLOMAR_PG_LOG"), "COPY \"" + table + "\"");
    EXPECT_EQ(copies.size(), 6u) << "every batch went through COPY";
  }
#endif
}

// A batch whose rows are refused only when it commits (PostgreSQL's
// deferred unique check): through COPY and through INSERTs, the commit
// fails, the batch goes again row by row, and the duplicate is reported
// once, as rows mode reports it.
TEST_P(BatchTest, FailingCommitIsResentAndReportedOnce) {
  if (!IsPostgres()) GTEST_SKIP() << "deferred checks are PostgreSQL's";
  const std::string table = UniqueName("sysdefer");
  MakeFoxproTable(table, 8);
  Fox("INSERT INTO \"" + table + "\" VALUES(5, 'again', .T., NULL, NULL)");
  const std::string query = "SELECT * FROM \"" + table + "\" ORDER BY \"id\", \"name\"";
  const auto make_target = [&] {
    DropSqlTable(table);
    Sql("CREATE TABLE \"" + table + "\"(\"id\" NUMERIC UNIQUE DEFERRABLE INITIALLY DEFERRED," +
        "\"name\" TEXT,\"paid\" BIT,\"note\" TEXT,\"q\" TEXT)");
  };
  make_target();
  Copy(table, nullptr);
  const std::vector<Row> rows_mode = SqlRows(query);
  const std::vector<std::string> rows_reports = BoxTexts();
  ASSERT_EQ(rows_mode.size(), 8u);
  ASSERT_EQ(rows_reports.size(), 2u);  // the CREATE TABLE, the duplicate
  for (BulkLoader* bulk : {options_.bulk, static_cast<BulkLoader*>(nullptr)}) {
    SCOPED_TRACE(bulk != nullptr ? "COPY" : "INSERT");
    make_target();
    options_.rows = 100;
    options_.rows_resent = 0;
    options_.bulk = bulk;
    Copy(table, &options_);
    EXPECT_EQ(SqlRows(query), rows_mode);
    EXPECT_EQ(BoxTexts(), rows_reports);
    EXPECT_EQ(options_.rows_resent, 9);
  }
}

// Without refusals every batch is sent whole; a table's last batch may be
// short. The rows mode copy of the same table gives the same values.
TEST_P(BatchTest, WholeBatchesCarryEveryValueAsRowsModeDoes) {
  const std::string table = UniqueName("batchok");
  MakeFoxproTable(table, 11);
  const std::string query = "SELECT * FROM \"" + table + "\" ORDER BY \"id\"";
  Copy(table, nullptr);
  ASSERT_EQ(ui_.boxes.size(), 0u) << BoxTexts()[0];
  const std::vector<Row> rows_mode = SqlRows(query);
  DropSqlTable(table);
  options_.rows = 5;
  Copy(table, &options_);
  ASSERT_EQ(ui_.boxes.size(), 0u) << BoxTexts()[0];
  EXPECT_EQ(options_.rows_resent, 0);
  EXPECT_EQ(SqlRows(query), rows_mode);
  EXPECT_EQ(list2_.Names(), std::vector<std::string>{table});
}

// The program ends in the middle of a batch after flushing it (as Ctrl-C
// does): the whole rows built so far are in the target, nothing more.
TEST_P(BatchTest, FlushingTheOpenBatchKeepsTheWholeRowsBuilt) {
  const std::string table = UniqueName("batchcut");
  MakeFoxproTable(table, 20);
  list1_ = testing::VectorTableList({table});
  list1_.Select(table);
  options_.rows = 1000;
  ui_.on_do_events = [this] {
    // At the first yield after row 6's progress: rows 0..5 were built.
    if (progress_.values.size() == 7 && options_.flush_open_batch) {
      options_.flush_open_batch();
      std::_Exit(0);
    }
  };
  EXPECT_EXIT(
      {
        TableWindowContext context = Context();
        context.batch = &options_;
        SendFoxproToSybase(context);
      },
      ::testing::ExitedWithCode(0), "");
  ui_.on_do_events = nullptr;
  EXPECT_EQ(SqlRows("SELECT * FROM \"" + table + "\"").size(), 6u);
  // The rows are those of the first six ids, each once.
  EXPECT_EQ(SqlRows("SELECT count(DISTINCT \"id\") FROM \"" + table + "\" WHERE \"id\" <= 6"),
            std::vector<Row>{Row{"6"}});
}

INSTANTIATE_TEST_SUITE_P(DataSources, BatchTest, ::testing::Values(kSqlite, kPostgres, kMaria),
                         [](const auto& param_info) {
                           const std::string param = param_info.param;
                           return std::string(param == kSqlite     ? "Sqlite"
                                              : param == kPostgres ? "Postgres"
                                                                   : "Maria");
                         });

}  // namespace
}  // namespace transfer
