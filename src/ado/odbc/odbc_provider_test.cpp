// The ODBC provider against the real data sources of the test environment:
// SQLite through the SQLite3 driver, and the throwaway PostgreSQL and MariaDB
// servers through psqlODBC and MariaDB Connector/ODBC. Each case runs on all
// three; a case skips when its data source variable is not set.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <iterator>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "ado/connection.h"
#include "ado/odbc/odbc_provider.h"
#include "tests/support/data_sources.h"

namespace ado::odbc {
namespace {

using test_support::DataSource;
using test_support::Db;

// A value as "kind:text", so that a mismatch prints readably.
std::string Show(const Value& v) {
  static const char* const kKinds[] = {"null", "bool", "int",  "decimal", "double",
                                       "currency", "date", "datetime", "text", "bytes"};
  return std::string(kKinds[static_cast<int>(v.kind())]) + ":" + v.ToText();
}

std::unique_ptr<Connection> OpenByName(const std::string& name, int cursor_location = 3) {
  auto connection = std::make_unique<Connection>();
  connection->SetProvider("MSDASQL");
  connection->SetCursorLocation(cursor_location);
  connection->Open("Data Source=" + name);
  return connection;
}

// The description of the ado::Error that `action` throws, or a test failure.
template <typename Action>
std::string FailureOf(Action action) {
  try {
    action();
  } catch (const Error& e) {
    EXPECT_NE(e.number(), 0);
    EXPECT_FALSE(std::string(e.description()).empty());
    return e.description();
  }
  ADD_FAILURE() << "no ado::Error was thrown";
  return std::string();
}

class OdbcProvider : public ::testing::TestWithParam<DataSource> {
 protected:
  void SetUp() override {
    RegisterOdbcProvider();
    QUILLOMAR_DATA_SOURCE_OR_SKIP(dsn_, GetParam().variable);
  }

  Db db() const { return GetParam().db; }

  // A table name of this test on this database; tests run in parallel
  // processes on the same servers, so every test has its own tables.
  std::string Table(const std::string& stem) const {
    return "q_" + stem + "_" + std::string(GetParam().label);
  }

  // Connects, drops `table` if present and creates it with `columns`.
  std::unique_ptr<Connection> Fresh(const std::string& table, const std::string& columns,
                                    int cursor_location = 3) {
    auto connection = OpenByName(dsn_, cursor_location);
    connection->Execute("DROP TABLE IF EXISTS \"" + table + "\"");
    connection->Execute("CREATE TABLE \"" + table + "\"(" + columns + ")");
    return connection;
  }

  // Every row of `sql`, read through a record set.
  static std::vector<std::vector<Value>> Rows(Connection& connection, const std::string& sql) {
    Recordset rs;
    rs.Open(sql, connection, 3, 3);
    std::vector<std::vector<Value>> rows;
    while (!rs.IsEOF()) {
      std::vector<Value> row;
      for (int i = 0; i < rs.FieldCount(); ++i) row.push_back(rs.Fields(i).Value());
      rows.push_back(std::move(row));
      rs.MoveNext();
    }
    return rows;
  }

  std::string dsn_;
};

TEST_P(OdbcProvider, OpensTheDataSourceByItsExactName) {
  EXPECT_TRUE(OpenByName(dsn_)->IsOpen());
  for (const std::string& other : {" " + dsn_, dsn_ + " ", dsn_ + "x"}) {
    std::string text = FailureOf([&] { OpenByName(other); });
    EXPECT_NE(text.find("Data source name not found"), std::string::npos) << text;
  }
}

// One column kind of the test table on one database: how it is declared, the
// literal inserted, and what the record set must report for it.
struct ColumnCase {
  std::string name;
  std::string declaration;
  std::string literal;
  int type;
  Value value;
};

DateTime Stamp() { return DateTime{Date{2024, 2, 9}, 13, 45, 30, 123}; }

std::vector<ColumnCase> ColumnCasesFor(Db db) {
  const Value text = Value::Text("Müller – ✓");
  const Value padded = Value::Text("O'Hara    ");
  const Value blob = Value::Binary(std::string("\0\xff" "A", 3));
  const Value date = Value::FromDate(Date{2024, 2, 9});
  switch (db) {
    case Db::kSqlite:
      // SQLite hands NUMERIC and REAL columns over as doubles.
      return {
          {"n", "NUMERIC", "12.5", 5, Value::Double(12.5)},
          {"t", "TEXT", "'Müller – ✓'", 201, text},
          {"b", "BIT", "1", 11, Value::Bool(true)},
          {"i", "INTEGER", "-42", 3, Value::Int(-42)},
          {"r", "REAL", "2.5", 5, Value::Double(2.5)},
          {"d", "DATE", "'2024-02-09'", 133, date},
          {"ts", "TIMESTAMP", "'2024-02-09 13:45:30.123'", 135, Value::FromDateTime(Stamp())},
          {"bl", "BLOB", "X'00FF41'", 128, blob},
          {"v", "VARCHAR(40)", "'O''Hara    '", 200, padded},
          {"bi", "BIGINT", "-9000000000", 20, Value::Int(-9000000000)},
          {"ti", "TINYINT", "7", 16, Value::Int(7)},
      };
    case Db::kPostgres:
      // psqlODBC describes BIT as VARCHAR and REAL as SQL_REAL.
      return {
          {"n", "NUMERIC", "12.5", 131, Value::Dec(Decimal{"12.5"})},
          {"nx", "NUMERIC(24,4)", "12345678901234567890.1234", 131,
           Value::Dec(Decimal{"12345678901234567890.1234"})},
          {"t", "TEXT", "'Müller – ✓'", 201, text},
          {"b", "BIT", "B'1'", 200, Value::Text("1")},
          {"i", "INTEGER", "-42", 3, Value::Int(-42)},
          {"r", "REAL", "2.5", 4, Value::Double(2.5)},
          {"d", "DATE", "'2024-02-09'", 133, date},
          {"ts", "TIMESTAMP", "'2024-02-09 13:45:30.123'", 135, Value::FromDateTime(Stamp())},
          {"bl", "BYTEA", "'\\x00ff41'", 205, blob},
          {"v", "VARCHAR(40)", "'O''Hara    '", 200, padded},
          {"bi", "BIGINT", "-9000000000", 20, Value::Int(-9000000000)},
          {"si", "SMALLINT", "-3", 2, Value::Int(-3)},
      };
    case Db::kMaria:
      // MariaDB makes NUMERIC without arguments DECIMAL(10,0) and REAL a
      // double.
      return {
          {"n", "NUMERIC", "12.5", 131, Value::Dec(Decimal{"13"})},
          {"nx", "NUMERIC(24,4)", "12345678901234567890.1234", 131,
           Value::Dec(Decimal{"12345678901234567890.1234"})},
          {"t", "TEXT", "'Müller – ✓'", 201, text},
          {"b", "BIT", "b'1'", 11, Value::Bool(true)},
          {"i", "INTEGER", "-42", 3, Value::Int(-42)},
          {"r", "REAL", "2.5", 5, Value::Double(2.5)},
          {"d", "DATE", "'2024-02-09'", 133, date},
          {"ts", "TIMESTAMP(3)", "'2024-02-09 13:45:30.123'", 135, Value::FromDateTime(Stamp())},
          {"bl", "BLOB", "X'00FF41'", 205, blob},
          {"v", "VARCHAR(40)", "'O''Hara    '", 200, padded},
          {"ti", "TINYINT", "-7", 16, Value::Int(-7)},
          {"tu", "TINYINT UNSIGNED", "200", 17, Value::Int(200)},
          {"bu", "BIGINT UNSIGNED", "18446744073709551615", 20,
           Value::Dec(Decimal{"18446744073709551615"})},
      };
  }
  return {};
}

TEST_P(OdbcProvider, RecordSetsGiveTypeCodesValuesAndNulls) {
  const std::vector<ColumnCase> cases = ColumnCasesFor(db());
  std::string columns = "\"k\" INTEGER";
  std::string values = "1";
  std::string nulls = "2";
  for (const auto& c : cases) {
    columns += ",\"" + c.name + "\" " + c.declaration;
    values += "," + c.literal;
    nulls += ",NULL";
  }
  const std::string table = Table("types");
  auto connection = Fresh(table, columns);
  connection->Execute("INSERT INTO \"" + table + "\" VALUES(" + values + ")");
  connection->Execute("INSERT INTO \"" + table + "\" VALUES(" + nulls + ")");

  for (int location : {2, 3}) {
    SCOPED_TRACE(location == 3 ? "client-side" : "server-side");
    connection->SetCursorLocation(location);
    Recordset rs;
    rs.Open("SELECT * FROM \"" + table + "\" ORDER BY \"k\"", *connection);
    ASSERT_EQ(rs.FieldCount(), static_cast<int>(cases.size()) + 1);
    ASSERT_FALSE(rs.IsEOF());
    for (std::size_t i = 0; i < cases.size(); ++i) {
      Field field = rs.Fields(static_cast<int>(i) + 1);
      EXPECT_EQ(field.name(), cases[i].name);
      EXPECT_EQ(field.Type(), cases[i].type) << cases[i].declaration;
      EXPECT_EQ(Show(field.Value()), Show(cases[i].value)) << cases[i].declaration;
    }
    rs.MoveNext();
    ASSERT_FALSE(rs.IsEOF());
    for (std::size_t i = 0; i < cases.size(); ++i) {
      EXPECT_TRUE(rs.Fields(cases[i].name).Value().IsNull()) << cases[i].declaration;
    }
    rs.MoveNext();
    EXPECT_TRUE(rs.IsEOF());
  }
}

TEST_P(OdbcProvider, NonAsciiTextSurvivesTheRoundTrip) {
  const std::string table = Table("unicode");
  auto connection = Fresh(table, "\"t\" TEXT, \"v\" VARCHAR(40)");
  connection->Execute("INSERT INTO \"" + table + "\" VALUES('Müller – ✓', 'Müller – ✓')");
  auto rows = Rows(*connection, "SELECT \"t\" AS \"Größe\", \"v\" FROM \"" + table +
                                    "\" WHERE \"v\" = 'Müller – ✓'");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(Show(rows[0][0]), "text:Müller – ✓");
  EXPECT_EQ(Show(rows[0][1]), "text:Müller – ✓");
  Recordset rs;
  rs.Open("SELECT \"t\" AS \"Größe\" FROM \"" + table + "\"", *connection);
  EXPECT_EQ(rs.Fields(0).name(), "Größe");
}

TEST_P(OdbcProvider, ClientSideRecordCountIsExactBeforeReading) {
  const std::string table = Table("count");
  auto connection = Fresh(table, "\"k\" INTEGER, \"t\" VARCHAR(20)");
  const int kRows = 1500;
  std::string insert = "INSERT INTO \"" + table + "\" VALUES";
  for (int i = 0; i < kRows; ++i) {
    insert += (i == 0 ? "(" : ",(") + std::to_string(i) + ",'row " + std::to_string(i) + "')";
  }
  connection->Execute(insert);
  Recordset rs;
  rs.Open("SELECT * FROM \"" + table + "\" ORDER BY \"k\"", *connection, 3, 3);
  EXPECT_EQ(rs.RecordCount(), kRows);
  int seen = 0;
  for (; !rs.IsEOF(); rs.MoveNext(), ++seen) {
    ASSERT_EQ(rs.Fields("k").Value().AsInt(), seen);
  }
  EXPECT_EQ(seen, kRows);
}

// Text of `bytes` bytes that mixes one-, two- and three-byte characters, so
// that the fetch pieces end inside characters.
std::string MixedText(std::size_t bytes) {
  const std::string unit = "Müller – ✓ 0123456789 ";
  std::string text;
  while (text.size() + unit.size() <= bytes) text += unit;
  text.append(bytes - text.size(), 'z');
  return text;
}

std::string BlobLiteral(Db db, const std::string& bytes) {
  static const char kHex[] = "0123456789abcdef";
  std::string hex;
  for (char c : bytes) {
    auto b = static_cast<unsigned char>(c);
    hex += kHex[b >> 4];
    hex += kHex[b & 15];
  }
  return db == Db::kPostgres ? "'\\x" + hex + "'" : "X'" + hex + "'";
}

// PostgreSQL's driver would read a whole result into memory; the provider
// has it read results in pieces through a cursor, and every row still
// arrives, in both cursor locations, also across several pieces.
TEST_P(OdbcProvider, PostgresResultsArriveInPiecesAndWhole) {
  if (db() != Db::kPostgres) GTEST_SKIP() << "PostgreSQL's driver only";
  const std::string table = Table("pieces");
  auto connection = Fresh(table, "\"n\" INTEGER");
  connection->Execute("INSERT INTO \"" + table + "\" SELECT generate_series(1, 2500)");
  for (int location : {2, 3}) {
    connection->SetCursorLocation(location);
    auto rows = Rows(*connection, "SELECT \"n\" FROM \"" + table + "\" ORDER BY 1");
    ASSERT_EQ(rows.size(), 2500u);
    EXPECT_EQ(Show(rows.back()[0]), "int:2500");
  }
  std::string log = test_support::ReadWholeFile(test_support::EnvOrEmpty("QUILLOMAR_PG_LOG"));
  if (log.empty()) GTEST_SKIP() << "QUILLOMAR_PG_LOG names no readable server log";
  EXPECT_NE(log.find("cursor with hold for SELECT \"n\" FROM \"" + table + "\""),
            std::string::npos)
      << "the query did not go through a cursor";
}

TEST_P(OdbcProvider, LongValuesArriveWhole) {
  const std::string table = Table("long");
  const char* text_type = db() == Db::kMaria ? "LONGTEXT" : "TEXT";
  const char* blob_type = db() == Db::kPostgres ? "BYTEA"
                          : db() == Db::kMaria  ? "LONGBLOB"
                                                : "BLOB";
  auto connection =
      Fresh(table, std::string("\"t\" ") + text_type + ", \"b\" " + blob_type);
  const std::string text = MixedText(1 << 20);
  std::string bytes;
  for (int i = 0; i < 300 * 1024; ++i) bytes += static_cast<char>((i * 7) & 0xFF);
  connection->Execute("INSERT INTO \"" + table + "\" VALUES('" + text + "', " +
                      BlobLiteral(db(), bytes) + ")");
  for (int location : {2, 3}) {
    connection->SetCursorLocation(location);
    auto rows = Rows(*connection, "SELECT \"t\", \"b\" FROM \"" + table + "\"");
    ASSERT_EQ(rows.size(), 1u);
    ASSERT_EQ(rows[0][0].kind(), Value::Kind::kText);
    EXPECT_EQ(rows[0][0].AsText().size(), text.size());
    EXPECT_TRUE(rows[0][0].AsText() == text) << "the 1 MiB text came back changed";
    ASSERT_EQ(rows[0][1].kind(), Value::Kind::kBytes);
    EXPECT_TRUE(rows[0][1].AsBytes() == bytes) << "the binary value came back changed";
  }
}

// One binary column of a database: its declaration and the type code the
// record set reports for it.
struct BinaryColumn {
  std::string declaration;
  int type;
};

std::vector<BinaryColumn> BinaryColumnsFor(Db db) {
  switch (db) {
    // The SQLite driver reports BLOB as SQL_BINARY and VARBINARY as
    // SQL_LONGVARBINARY (other names, such as BINARY(n), as text types).
    case Db::kSqlite: return {{"BLOB", 128}, {"blob", 128}, {"VARBINARY(300)", 205}};
    case Db::kPostgres: return {{"BYTEA", 205}};
    case Db::kMaria:
      return {{"BLOB", 205}, {"LONGBLOB", 205}, {"VARBINARY(300)", 204}, {"MEDIUMBLOB", 205}};
  }
  return {};
}

// Binary columns arrive as bytes, exactly: every byte value, zero bytes,
// bytes that are not UTF-8, the empty value (bytes, not null) and null.
TEST_P(OdbcProvider, BinaryColumnsArriveByteForByte) {
  std::string every_byte;
  for (int b = 0; b < 256; ++b) every_byte.push_back(static_cast<char>(b));
  const std::string values[] = {every_byte, std::string(1, '\0'), "\xC3\x28\xFF\xFE",
                                std::string("a\0b\0", 4), ""};
  const std::vector<BinaryColumn> columns = BinaryColumnsFor(db());
  std::string declarations = "\"k\" INTEGER";
  for (std::size_t c = 0; c < columns.size(); ++c) {
    declarations += ", \"b" + std::to_string(c) + "\" " + columns[c].declaration;
  }
  const std::string table = Table("binary");
  auto connection = Fresh(table, declarations);
  const std::size_t kRows = std::size(values) + 1;  // the last row is null
  for (std::size_t r = 0; r < kRows; ++r) {
    std::string row = std::to_string(r);
    for (std::size_t c = 0; c < columns.size(); ++c) {
      row += ", " + (r < std::size(values) ? BlobLiteral(db(), values[r]) : std::string("NULL"));
    }
    connection->Execute("INSERT INTO \"" + table + "\" VALUES(" + row + ")");
  }
  for (int location : {2, 3}) {
    SCOPED_TRACE(location == 3 ? "client-side" : "server-side");
    connection->SetCursorLocation(location);
    Recordset rs;
    rs.Open("SELECT * FROM \"" + table + "\" ORDER BY \"k\"", *connection);
    for (std::size_t c = 0; c < columns.size(); ++c) {
      EXPECT_EQ(rs.Fields(static_cast<int>(c) + 1).Type(), columns[c].type)
          << columns[c].declaration;
    }
    for (std::size_t r = 0; r < kRows; ++r, rs.MoveNext()) {
      ASSERT_FALSE(rs.IsEOF()) << r;
      for (std::size_t c = 0; c < columns.size(); ++c) {
        const Value v = rs.Fields(static_cast<int>(c) + 1).Value();
        if (r == std::size(values)) {
          EXPECT_TRUE(v.IsNull()) << columns[c].declaration;
          continue;
        }
        ASSERT_EQ(v.kind(), Value::Kind::kBytes) << columns[c].declaration << " row " << r;
        EXPECT_EQ(v.ToText(), Value::Binary(values[r]).ToText())
            << columns[c].declaration << " row " << r;
      }
    }
    EXPECT_TRUE(rs.IsEOF());
  }
}

TEST_P(OdbcProvider, ExecutePassesTheStatementUnchanged) {
  const std::string table = Table("exact");
  auto connection = Fresh(table, "\"v\" VARCHAR(40)");
  const std::string statement = "INSERT INTO \"" + table +
                                "\" VALUES('a;b  {x}=y ✓    ')   \n-- trailing comment ✓  ";
  connection->Execute(statement);
  auto rows = Rows(*connection, "SELECT \"v\" FROM \"" + table + "\"");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(Show(rows[0][0]), "text:a;b  {x}=y ✓    ");
  // The server log is the witness of the text received. PostgreSQL indents
  // each further line of a statement with a tab; MariaDB drops the blanks at
  // the end of a query before it logs it.
  std::string logged = statement;
  const char* log_variable = nullptr;
  if (db() == Db::kPostgres) {
    log_variable = "QUILLOMAR_PG_LOG";
    logged.replace(logged.find('\n'), 1, "\n\t");
  } else if (db() == Db::kMaria) {
    log_variable = "QUILLOMAR_MARIA_LOG";
    logged.erase(logged.find_last_not_of(' ') + 1);
  }
  if (log_variable != nullptr) {
    std::string log = test_support::ReadWholeFile(test_support::EnvOrEmpty(log_variable));
    if (log.empty()) GTEST_SKIP() << log_variable << " names no readable server log";
    EXPECT_NE(log.find(logged), std::string::npos) << "the server log lacks the statement";
  }
}

TEST_P(OdbcProvider, FailuresCarryTheDriversDiagnostics) {
  auto connection = OpenByName(dsn_);
  struct Case {
    std::string label;
    std::function<void()> action;
    std::string says;  // part of the driver's text
  } cases[] = {
      {"syntax error", [&] { connection->Execute("SELEC 1 FROM nowhere"); }, "SELEC"},
      {"missing table",
       [&] {
         Recordset rs;
         rs.Open("SELECT * FROM \"q_no_such_table\"", *connection);
       },
       "q_no_such_table"},
  };
  for (const auto& c : cases) {
    std::string text = FailureOf(c.action);
    EXPECT_NE(text.find(c.says), std::string::npos) << c.label << ": " << text;
  }
  std::string syntax = FailureOf([&] { connection->Execute("SELEC 1"); });
  EXPECT_NE(syntax.find("syntax"), std::string::npos) << syntax;
  // The connection stays usable after a failure.
  EXPECT_EQ(Rows(*connection, "SELECT 1").size(), 1u);
}

// Statements run one after another on one connection: a statement that
// returns rows, failures and inserts in turn, each failure with its own
// diagnostics only, and every insert that succeeded is there.
TEST_P(OdbcProvider, StatementsInTurnEachGetTheirOwnOutcome) {
  const std::string table = Table("turns");
  auto connection = Fresh(table, "\"n\" INTEGER");
  const std::string insert = "INSERT INTO \"" + table + "\" VALUES(";
  struct Step {
    std::string sql;
    std::string fails_with;  // empty: succeeds
    std::string never_says;  // a failure's text must not hold an earlier one's
  } steps[] = {
      {"SELECT * FROM \"" + table + "\"", "", ""},
      {insert + "1)", "", ""},
      {"SELECT * FROM \"q_first_missing\"", "q_first_missing", ""},
      {insert + "2)", "", ""},
      {"SELECT * FROM \"q_second_missing\"", "q_second_missing", "q_first_missing"},
      {"SELECT \"n\" FROM \"" + table + "\"", "", ""},
      {insert + "3)", "", ""},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.sql);
    std::string text;
    try {
      connection->Execute(step.sql);
    } catch (const Error& e) {
      text = e.description();
    }
    if (step.fails_with.empty()) {
      EXPECT_EQ(text, "");
    } else {
      EXPECT_NE(text.find(step.fails_with), std::string::npos) << text;
    }
    if (!step.never_says.empty()) {
      EXPECT_EQ(text.find(step.never_says), std::string::npos) << text;
    }
  }
  EXPECT_EQ(Rows(*connection, "SELECT \"n\" FROM \"" + table + "\"").size(), 3u);
}

// With autocommit off, a rollback undoes the statements since the last
// commit, which others see only once committed; autocommit comes back on.
TEST_P(OdbcProvider, TransactionsCommitAndRollBack) {
  const std::string table = Table("trans");
  auto connection = Fresh(table, "\"n\" INTEGER");
  auto other = OpenByName(dsn_);
  const std::string insert = "INSERT INTO \"" + table + "\" VALUES(";
  const std::string count = "SELECT \"n\" FROM \"" + table + "\"";
  connection->SetAutoCommit(false);
  connection->Execute(insert + "1)");
  connection->RollbackTrans();
  connection->Execute(insert + "2)");
  connection->CommitTrans();
  EXPECT_EQ(Rows(*other, count).size(), 1u);
  connection->Execute(insert + "3)");
  connection->SetAutoCommit(true);  // commits the open statement
  connection->Execute(insert + "4)");
  EXPECT_EQ(Rows(*other, count).size(), 3u);
  EXPECT_EQ(Rows(*connection, count).size(), 3u);
}

// Statements that cannot reach the database as written fail clearly instead
// of running something else; none of them breaks the connection.
TEST_P(OdbcProvider, StatementsThatCannotArriveUnchangedAreRefused) {
  const std::string table = Table("refused");
  auto connection = Fresh(table, "\"v\" VARCHAR(20)");
  struct Case {
    std::string statement;
    std::string says;
  } cases[] = {
      // Drivers stop at a zero byte: this would insert 'a' alone.
      {"INSERT INTO \"" + table + std::string("\" VALUES('a')\0, ('b')", 20), "zero byte"},
      {"INSERT INTO \"" + table + std::string("\" VALUES('a\0b')", 14), "zero byte"},
      {"", "Invalid string or buffer length"},
  };
  for (const auto& c : cases) {
    std::string text = FailureOf([&] { connection->Execute(c.statement); });
    EXPECT_NE(text.find(c.says), std::string::npos) << text;
    text = FailureOf([&] {
      Recordset rs;
      rs.Open(c.statement, *connection);
    });
    EXPECT_NE(text.find(c.says), std::string::npos) << text;
  }
  EXPECT_TRUE(Rows(*connection, "SELECT * FROM \"" + table + "\"").empty());
}

TEST_P(OdbcProvider, OpenSchemaListsTheTables) {
  const std::string table = Table("schema");
  auto connection = Fresh(table, "\"k\" INTEGER");
  auto rs = connection->OpenSchema(20);
  bool found = false;
  for (; !rs->IsEOF(); rs->MoveNext()) {
    if (rs->Fields("TABLE_NAME").Value().ToText() == table) {
      found = true;
      EXPECT_EQ(rs->Fields("TABLE_TYPE").Value().ToText(), "TABLE");
    }
  }
  EXPECT_TRUE(found) << table << " is missing from the tables schema";
}

TEST_P(OdbcProvider, ServerSideRecordSetOutlivesItsConnection) {
  const std::string table = Table("outlive");
  auto connection = Fresh(table, "\"k\" INTEGER", 2);
  connection->Execute("INSERT INTO \"" + table + "\" VALUES(1),(2),(3)");
  Recordset rs;
  rs.Open("SELECT \"k\" FROM \"" + table + "\" ORDER BY \"k\"", *connection);
  connection.reset();  // releasing the connection while the rows are still being read
  std::int64_t sum = 0;
  for (; !rs.IsEOF(); rs.MoveNext()) sum += rs.Fields(0).Value().AsInt();
  EXPECT_EQ(sum, 6);
}

INSTANTIATE_TEST_SUITE_P(Databases, OdbcProvider, ::testing::ValuesIn(test_support::kServers),
                         test_support::DataSourceName);

// Names that open nothing: each gives a clear failure, never a crash, and
// never a connection to some other database.
TEST(OdbcConnect, BadNamesGiveClearFailures) {
  RegisterOdbcProvider();
  std::string any;
  QUILLOMAR_DATA_SOURCE_OR_SKIP(any, "QUILLOMAR_DSN_SQLITE");
  struct Case {
    std::string name;
    std::string says;
  } cases[] = {
      {"", "No data source name"},
      {"QuillomarNoSuchSource", "Data source name not found"},
      {" ", "Data source name not found"},
      {std::string(33, 'q'), "at most 32"},
      {"a;b", "';'"},
      {"{" + any + "}", "'{'"},
      {any + "=x", "'='"},
      {"[" + any + "]", "'['"},
  };
  for (const auto& c : cases) {
    std::string text = FailureOf([&] { OpenByName(c.name); });
    EXPECT_NE(text.find(c.says), std::string::npos) << "[" << c.name << "]: " << text;
  }
}

TEST(OdbcConnect, MissingDriverAndStoppedServerGiveClearFailures) {
  RegisterOdbcProvider();
  struct Case {
    const char* variable;
    std::string says;
  } cases[] = {
      {"QUILLOMAR_DSN_NODRIVER", "no-such-driver.so"},
      {"QUILLOMAR_DSN_PG_DOWN", "connection to server"},
  };
  for (const auto& c : cases) {
    std::string name;
    QUILLOMAR_DATA_SOURCE_OR_SKIP(name, c.variable);
    std::string text = FailureOf([&] { OpenByName(name); });
    EXPECT_NE(text.find(c.says), std::string::npos) << c.variable << ": " << text;
  }
}

TEST(OdbcConnect, DataSourceAddedDuringTheRunOpensItsOwnDatabase) {
  RegisterOdbcProvider();
  std::string shared;
  QUILLOMAR_DATA_SOURCE_OR_SKIP(shared, "QUILLOMAR_DSN_SQLITE");
  OpenByName(shared)->Execute("CREATE TABLE IF NOT EXISTS \"q_shared\"(\"k\" INTEGER)");
  const std::string name = "QuillomarOwn" + std::to_string(::getpid());
  const std::string database = test_support::EnvOrEmpty("QUILLOMAR_TEST_DIR") + "/" + name + ".db";
  ASSERT_TRUE(test_support::AddSqliteDataSource(name, database));
  auto own = OpenByName(name);
  auto rs = own->OpenSchema(20);
  EXPECT_TRUE(rs->IsEOF()) << "a new database lists no tables";
}

TEST(OdbcConnect, ProviderKeyInTheConnectionStringFindsThisProvider) {
  RegisterOdbcProvider();
  std::string name;
  QUILLOMAR_DATA_SOURCE_OR_SKIP(name, "QUILLOMAR_DSN_SQLITE");
  Connection connection;
  connection.Open("Provider=MSDASQL;Data Source=" + name);
  EXPECT_TRUE(connection.IsOpen());
}

}  // namespace
}  // namespace ado::odbc
