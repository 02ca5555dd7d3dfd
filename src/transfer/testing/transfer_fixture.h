// A fixture for driving the two copies through their handlers against the
// real providers: a FoxPro free-table folder in a temporary directory, an
// ODBC data source of the test environment (scripts/test-env.sh), recording
// ui, progress bar and lists, and helpers that read both sides back.
#ifndef QUILLOMAR_TRANSFER_TESTING_TRANSFER_FIXTURE_H_
#define QUILLOMAR_TRANSFER_TESTING_TRANSFER_FIXTURE_H_

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ado/connection.h"
#include "db/connection_fields.h"
#include "platform/ui/scripted_ui.h"
#include "tests/support/data_sources.h"
#include "transfer/testing/stand_ins.h"
#include "transfer/transfer.h"

namespace transfer::testing {

// One row read back, each value as its text; null as "<null>".
using Row = std::vector<std::string>;
inline constexpr char kNullText[] = "<null>";

// Registers the ODBC and FoxPro providers that are built into this test
// program. Returns which of them are there.
struct Providers {
  bool odbc = false;
  bool foxpro = false;
};
Providers RegisterProviders();

// Every statement the PostgreSQL server logged (log_statement=all) whose text
// contains `fragment`, in the order received; continuation lines of
// multi-line statements are joined with "\n".
std::vector<std::string> LoggedStatements(const std::string& log_path, const std::string& fragment);

// A logical value as the SQL side gives it back, as the bit it travels as:
// "True"/"False" become "1"/"0", anything else is kept.
std::string Bit(const std::string& text);

// The values of one table read back, normalised for comparing a round trip:
// empty text is null, and a logical value (in the `logical` columns) is 1 or
// 0.
std::vector<Row> Normalised(std::vector<Row> rows, const std::vector<bool>& logical);

// Which columns of a FoxPro table are logical: those holding True or False.
std::vector<bool> LogicalColumns(const std::vector<Row>& rows);

// Reads every row of `sql` on an open connection as text.
std::vector<Row> ReadRows(ado::Connection& connection, const std::string& sql);

class TransferFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // True when the providers are built in (the FoxPro one only when
  // `need_foxpro`) and the data source named by the environment variable
  // `dsn_variable` is configured; the test should skip otherwise.
  bool UseDataSource(const char* dsn_variable, bool need_foxpro = true);

  // A table name unique to this test run (lower case, ASCII).
  std::string UniqueName(const std::string& stem);

  // Statements on each side, through fresh connections. Failures fail the
  // test.
  void Sql(const std::string& statement);
  void Fox(const std::string& statement);
  std::vector<Row> SqlRows(const std::string& query);
  std::vector<Row> FoxRows(const std::string& query);
  // Drops a SQL table if it exists (ignores failure).
  void DropSqlTable(const std::string& name);

  // The context the handlers get.
  TableWindowContext Context();

  // The error reports shown so far, and the line number each names.
  std::vector<ui::UiCall> Reports() const { return ui_.MessagesTitled("Application Error"); }
  static int ReportLine(const ui::UiCall& report);
  static std::string ReportSql(const ui::UiCall& report);

  // Forgets every box and pointer shown and every queued answer: a fresh ui
  // that answers Yes to an unscripted question, as a user replacing tables
  // would.
  void ResetUi();

  Providers providers_;
  std::filesystem::path folder_;  // the FoxPro free-table folder
  std::string dsn_;
  std::string dsn_variable_;
  ui::ScriptedUi ui_;
  RecordingProgress progress_;
  UiWindowPointer pointer_{ui_, nullptr};
  db::ConnectionFields fields_;
  VectorTableList list1_;
  VectorTableList list2_;
  std::vector<std::string> sql_tables_;  // dropped again at the end
};

}  // namespace transfer::testing

#endif  // QUILLOMAR_TRANSFER_TESTING_TRANSFER_FIXTURE_H_
