#include "transfer/testing/transfer_fixture.h"

#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#ifdef QUILLOMAR_TEST_HAVE_ODBC
#include "ado/odbc/odbc_provider.h"
#include "db/connect.h"
#endif
#ifdef QUILLOMAR_TEST_HAVE_FOXPRO
#include "ado/foxpro/foxpro_provider.h"
#endif

namespace transfer::testing {

Providers RegisterProviders() {
  Providers providers;
#ifdef QUILLOMAR_TEST_HAVE_ODBC
  ado::odbc::RegisterOdbcProvider();
  providers.odbc = true;
#endif
#ifdef QUILLOMAR_TEST_HAVE_FOXPRO
  ado::foxpro::RegisterFoxproProvider();
  providers.foxpro = true;
#endif
  return providers;
}

namespace {

// PostgreSQL's driver reads results in pieces: the server receives a query
// as `BEGIN;declare "name" cursor with hold for QUERY;fetch N in "name"`.
// Gives QUERY for such a message, the message itself otherwise.
std::string UnwrapCursor(const std::string& message) {
  const std::string begin = "BEGIN;declare \"";
  if (message.rfind(begin, 0) != 0) return message;
  std::size_t query = std::string::npos;
  for (const char* lead : {"\" cursor with hold for ", "\" cursor for "}) {
    std::size_t at = message.find(lead);
    if (at != std::string::npos) {
      query = at + std::strlen(lead);
      break;
    }
  }
  const std::size_t fetch = message.rfind(";fetch ");
  if (query == std::string::npos || fetch == std::string::npos || fetch < query) return message;
  return message.substr(query, fetch - query);
}

// The SQL side of the fields: the data source `dsn`.
db::ConnectionFields SqlSide(const std::string& dsn) {
  db::ConnectionFields fields;
  fields.text3 = dsn;
  return fields;
}

}  // namespace

std::vector<std::string> LoggedStatements(const std::string& log_path,
                                          const std::string& fragment) {
  std::ifstream in(log_path, std::ios::binary);
  std::vector<std::string> all;
  std::string line;
  bool in_statement = false;
  const std::string marker = "LOG:  statement: ";
  while (std::getline(in, line)) {
    if (in_statement && !line.empty() && line[0] == '\t') {
      all.back() += "\n" + line.substr(1);
      continue;
    }
    auto at = line.find(marker);
    in_statement = at != std::string::npos;
    if (in_statement) all.push_back(line.substr(at + marker.size()));
  }
  std::vector<std::string> matching;
  for (const auto& statement : all) {
    std::string sent = UnwrapCursor(statement);
    if (sent.find(fragment) != std::string::npos) matching.push_back(sent);
  }
  return matching;
}

std::string Bit(const std::string& text) {
  if (text == "True") return "1";
  if (text == "False") return "0";
  return text;
}

std::vector<Row> Normalised(std::vector<Row> rows, const std::vector<bool>& logical) {
  for (Row& row : rows) {
    for (std::size_t j = 0; j < row.size(); ++j) {
      if (row[j].empty()) row[j] = kNullText;
      if (j < logical.size() && logical[j]) row[j] = Bit(row[j]);
    }
  }
  return rows;
}

std::vector<bool> LogicalColumns(const std::vector<Row>& rows) {
  std::vector<bool> logical;
  for (const Row& row : rows) {
    logical.resize(std::max(logical.size(), row.size()), false);
    for (std::size_t j = 0; j < row.size(); ++j) {
      if (row[j] == "True" || row[j] == "False") logical[j] = true;
    }
  }
  return logical;
}

std::vector<Row> ReadRows(ado::Connection& connection, const std::string& sql) {
  ado::Recordset records;
  records.Open(sql, connection);
  std::vector<Row> rows;
  while (!records.IsEOF()) {
    Row row;
    for (int j = 0; j < records.FieldCount(); ++j) {
      const ado::Value& value = records.Fields(j).Value();
      row.push_back(value.IsNull() ? kNullText : value.ToText());
    }
    rows.push_back(row);
    records.MoveNext();
  }
  return rows;
}

void TransferFixture::ResetUi() {
  ui_ = ui::ScriptedUi();
  ui_.SetDefaultYesNoAnswer(ui::kAnswerYes);
}

void TransferFixture::SetUp() {
  ResetUi();
  std::setlocale(LC_ALL, "");
  providers_ = RegisterProviders();
  std::string base = test_support::EnvOrEmpty("TMPDIR");
  if (base.empty()) base = "/tmp";
  std::string pattern = base + "/quillomar-transfer.XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  ASSERT_NE(mkdtemp(buffer.data()), nullptr);
  folder_ = buffer.data();
  fields_.option1 = false;
  fields_.text2 = folder_.string();
}

void TransferFixture::TearDown() {
  ::unsetenv("LC_CTYPE");
  for (const auto& name : sql_tables_) DropSqlTable(name);
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

bool TransferFixture::UseDataSource(const char* dsn_variable, bool need_foxpro) {
  if (!providers_.odbc || (need_foxpro && !providers_.foxpro)) return false;
  dsn_ = test_support::EnvOrEmpty(dsn_variable);
  dsn_variable_ = dsn_variable;
  if (dsn_.empty()) return false;
  fields_.text3 = dsn_;
  return true;
}

std::string TransferFixture::UniqueName(const std::string& stem) {
  static int counter = 0;
  std::string name = stem + "_" + std::to_string(getpid()) + "_" + std::to_string(++counter);
  sql_tables_.push_back(name);
  return name;
}

void TransferFixture::Sql(const std::string& statement) {
  ado::Connection connection;
  db::SetSybaseProvider(connection);
  db::OpenSybase(connection, SqlSide(dsn_));
  connection.Execute(statement);
}

void TransferFixture::Fox(const std::string& statement) {
  ado::Connection connection;
  db::OpenFoxpro(connection, fields_);
  connection.Execute(statement);
}

std::vector<Row> TransferFixture::SqlRows(const std::string& query) {
  ado::Connection connection;
  connection.SetCursorLocation(3);
  db::SetSybaseProvider(connection);
  db::OpenSybase(connection, SqlSide(dsn_));
  return ReadRows(connection, query);
}

std::vector<Row> TransferFixture::FoxRows(const std::string& query) {
  ado::Connection connection;
  connection.SetCursorLocation(3);
  db::OpenFoxpro(connection, fields_);
  return ReadRows(connection, query);
}

void TransferFixture::DropSqlTable(const std::string& name) {
  if (dsn_.empty()) return;
  for (const std::string& spelling : {name, std::string("Mixed_") + name}) {
    try {
      Sql("DROP TABLE \"" + spelling + "\"");
    } catch (const std::exception&) {
      // Not there: nothing to clean up.
    }
  }
}

TableWindowContext TransferFixture::Context() {
  return TableWindowContext{ui_, nullptr, fields_, list1_, list2_, progress_, pointer_, "Quillomar"};
}

int TransferFixture::ReportLine(const ui::UiCall& report) {
  // The last "at line " before the request line: a driver's own message
  // (MariaDB's "... at line 1") may hold the words too.
  auto at = report.text.rfind("at line ", report.text.find("\r\rPlease"));
  if (at == std::string::npos) return -1;
  return std::atoi(report.text.c_str() + at + 8);
}

std::string TransferFixture::ReportSql(const ui::UiCall& report) {
  auto at = report.text.find("\r\rsql: ");
  return at == std::string::npos ? std::string("<none>") : report.text.substr(at + 7);
}

}  // namespace transfer::testing
