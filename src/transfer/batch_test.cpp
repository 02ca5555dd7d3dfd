// Batch mode of the copy to SQL against rows mode, on the SQLite, PostgreSQL
// (through COPY where the bulk path is built) and MariaDB data sources: the
// same rows arrive, the same failures are reported, and ending the program
// after flushing the open batch leaves exactly the whole rows built.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/data_sources.h"
#include "transfer/testing/transfer_fixture.h"
#ifdef QUILLOMAR_TEST_HAVE_PG_BULK
#include "transfer/bulk/pg_loader.h"
#endif

namespace transfer {
namespace {

using testing::Row;

using test_support::Db;

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
                  public ::testing::WithParamInterface<test_support::DataSource> {
 protected:
  void SetUp() override {
    TransferFixture::SetUp();
    if (!UseDataSource(GetParam().variable)) {
      GTEST_SKIP() << "needs the ODBC and FoxPro providers and " << GetParam().variable
                   << " (run ./test.sh, or source scripts/test-env.sh first)";
    }
#ifdef QUILLOMAR_TEST_HAVE_PG_BULK
    loader_ = bulk::MakePgBulkLoader(dsn_, [this](const std::string& line) { notices_ += line; });
    options_.bulk = loader_.get();
#endif
  }
  void TearDown() override {
    TransferFixture::TearDown();
    if (!private_odbc_ini_.empty()) {
      ::setenv("ODBCINI", saved_odbc_ini_.c_str(), 1);
      std::error_code ignored;
      std::filesystem::remove(private_odbc_ini_, ignored);
    }
  }
  bool IsPostgres() const { return GetParam().db == Db::kPostgres; }
  bool IsSqlite() const { return GetParam().db == Db::kSqlite; }

  // Switches this process to a private copy of the user's ODBC file holding
  // one more data source: the test's SQLite data source with foreign keys
  // enforced (the driver's FKSupport runs PRAGMA foreign_keys = on), which
  // then becomes the test's data source. Other test processes keep the
  // shared file ($ODBCINI, set). False when it holds no such data source.
  bool UseForeignKeys() {
    const std::string current = test_support::EnvOrEmpty("ODBCINI");
    std::ifstream in(current);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string section;
    bool inside = false;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
      if (!line.empty() && line[0] == '[')
        inside = line == "[" + dsn_ + "]";
      else if (inside && !line.empty())
        section += line + "\n";
    }
    if (section.empty()) return false;
    const std::string name = dsn_ + "Fk";
    private_odbc_ini_ = std::filesystem::temp_directory_path() /
                        ("batch_test_odbc_" + std::to_string(::getpid()) + ".ini");
    std::ofstream(private_odbc_ini_) << text << "\n[" << name << "]\n"
                                     << section << "FKSupport=1\n";
    saved_odbc_ini_ = current;
    ::setenv("ODBCINI", private_odbc_ini_.c_str(), 1);
    dsn_ = name;
    fields_.text3 = name;
    return true;
  }
  bool IsMaria() const { return GetParam().db == Db::kMaria; }

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
    ui_.Clear();
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
    for (const auto& box : ui_.Messages()) texts.push_back(box.text);
    return texts;
  }

  BatchOptions options_;
  std::unique_ptr<BulkLoader> loader_;
  std::filesystem::path private_odbc_ini_;
  std::string saved_odbc_ini_;
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
  EXPECT_EQ(ReportLine(ui_.Messages()[1]), 274);

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
    const auto copies = testing::LoggedStatements(test_support::EnvOrEmpty("QUILLOMAR_PG_LOG"),
                                                  "COPY \"" + table + "\"");
    EXPECT_EQ(copies.size(), 6u) << "every batch went through COPY";
  }
#endif
}

// A batch whose rows are refused only when it commits: a deferred foreign
// key (SQLite, PostgreSQL) or a deferred unique check (PostgreSQL). Through
// COPY and through INSERTs the commit fails, the batch goes again row by row,
// and the refused row is reported once, as rows mode reports it. (SQLite
// keeps its transaction open after such a failed COMMIT; PostgreSQL ends
// it.) MariaDB has no deferred constraints: it checks each row when its
// statement runs, and its COMMIT fails only when the connection or the
// server does, which no table can set up.
TEST_P(BatchTest, FailingCommitIsResentAndReportedOnce) {
  if (IsMaria()) GTEST_SKIP() << "MariaDB has no constraint that a COMMIT checks";
  if (IsSqlite()) {
    if (test_support::EnvOrEmpty("ODBCINI").empty()) GTEST_SKIP() << "needs the test environment's ODBCINI";
    ASSERT_TRUE(UseForeignKeys()) << "no section [" << dsn_ << "] in $ODBCINI";
  }
  struct Case {
    const char* name;
    const char* id_column;  // the target's "id" column; %s: the parent table
    bool postgres_only;
  };
  const Case cases[] = {
      {"deferred foreign key",
       "\"id\" NUMERIC REFERENCES \"%s\"(\"id\") DEFERRABLE "
       "INITIALLY DEFERRED",
       false},
      {"deferred unique check", "\"id\" NUMERIC UNIQUE DEFERRABLE INITIALLY DEFERRED", true},
  };
  // The rows of ids 1 to 8 and a second row of id 5. The parent table holds
  // every id but 6.
  const std::string table = UniqueName("sysdefer");
  const std::string parent = UniqueName("sysparent");
  MakeFoxproTable(table, 8);
  Fox("INSERT INTO \"" + table + "\" VALUES(5, 'again', .T., NULL, NULL)");
  Sql("CREATE TABLE \"" + parent + "\"(\"id\" NUMERIC PRIMARY KEY)");
  for (int id : {1, 2, 3, 4, 5, 7, 8}) {
    Sql("INSERT INTO \"" + parent + "\" VALUES(" + std::to_string(id) + ")");
  }
  const std::string query = "SELECT * FROM \"" + table + "\" ORDER BY \"id\", \"name\"";
  for (const Case& c : cases) {
    if (c.postgres_only && !IsPostgres()) continue;
    SCOPED_TRACE(c.name);
    std::string id_column = c.id_column;
    if (const std::size_t at = id_column.find("%s"); at != std::string::npos) {
      id_column.replace(at, 2, parent);
    }
    const auto make_target = [&] {
      DropSqlTable(table);
      Sql("CREATE TABLE \"" + table + "\"(" + id_column +
          ",\"name\" TEXT,\"paid\" BIT,\"note\" TEXT,\"q\" TEXT)");
    };
    make_target();
    Copy(table, nullptr);
    const std::vector<Row> rows_mode = SqlRows(query);
    const std::vector<std::string> rows_reports = BoxTexts();
    ASSERT_EQ(rows_mode.size(), 8u);
    ASSERT_EQ(rows_reports.size(), 2u);  // the CREATE TABLE, the refused row
    for (BulkLoader* bulk : {loader_.get(), static_cast<BulkLoader*>(nullptr)}) {
      SCOPED_TRACE(bulk != nullptr ? "bulk loader" : "INSERT");
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
  DropSqlTable(table);  // before its parent
}

// Without refusals every batch is sent whole; a table's last batch may be
// short. The rows mode copy of the same table gives the same values.
TEST_P(BatchTest, WholeBatchesCarryEveryValueAsRowsModeDoes) {
  const std::string table = UniqueName("batchok");
  MakeFoxproTable(table, 11);
  const std::string query = "SELECT * FROM \"" + table + "\" ORDER BY \"id\"";
  Copy(table, nullptr);
  ASSERT_EQ(ui_.Messages().size(), 0u) << BoxTexts()[0];
  const std::vector<Row> rows_mode = SqlRows(query);
  DropSqlTable(table);
  options_.rows = 5;
  Copy(table, &options_);
  ASSERT_EQ(ui_.Messages().size(), 0u) << BoxTexts()[0];
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
  ui_.OnDoEvents([this] {
    // At the first yield after row 6's progress: rows 0..5 were built.
    if (progress_.values.size() == 7 && options_.flush_open_batch) {
      options_.flush_open_batch();
      std::_Exit(0);
    }
  });
  EXPECT_EXIT(
      {
        TableWindowContext context = Context();
        context.batch = &options_;
        SendFoxproToSybase(context);
      },
      ::testing::ExitedWithCode(0), "");
  ui_.OnDoEvents(nullptr);
  EXPECT_EQ(SqlRows("SELECT * FROM \"" + table + "\"").size(), 6u);
  // The rows are those of the first six ids, each once.
  EXPECT_EQ(SqlRows("SELECT count(DISTINCT \"id\") FROM \"" + table + "\" WHERE \"id\" <= 6"),
            std::vector<Row>{Row{"6"}});
}

// Failures while rows are being built (here the window's yield throwing, at
// calls before a row, between a row's values and after a batch was sent) are
// reported with the statement as rows mode holds it at that moment: the
// CREATE TABLE, a partly built INSERT, the last whole INSERT. Batch mode
// shows the same reports, also through the bulk loader, which keeps only
// the rows' values.
TEST_P(BatchTest, ReportsWhileBuildingRowsShowTheStatementAsRowsMode) {
  const std::string table = UniqueName("batchyield");
  MakeFoxproTable(table, 9);
  const auto copy = [&](BatchOptions* batch) {
    DropSqlTable(table);
    int calls = 0;
    ui_.OnDoEvents([&calls] {
      ++calls;
      for (int failing : {2, 3, 9, 13, 25, 26, 40, 53}) {
        if (calls == failing) throw std::runtime_error("yield " + std::to_string(calls));
      }
    });
    Copy(table, batch);
    ui_.OnDoEvents(nullptr);
    return BoxTexts();
  };
  const std::vector<std::string> rows_reports = copy(nullptr);
  ASSERT_EQ(rows_reports.size(), 8u);
  const auto partly_built = [](const std::string& text) {
    return text.find("sql: INSERT") != std::string::npos && text.ends_with(", ");
  };
  EXPECT_TRUE(std::any_of(rows_reports.begin(), rows_reports.end(), partly_built));
  options_.rows = 4;
  EXPECT_EQ(copy(&options_), rows_reports);
}

INSTANTIATE_TEST_SUITE_P(DataSources, BatchTest, ::testing::ValuesIn(test_support::kServers),
                         test_support::DataSourceName);

}  // namespace
}  // namespace transfer
