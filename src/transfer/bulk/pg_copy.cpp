#include "transfer/bulk/pg_copy.h"

#include <libpq-fe.h>
#include <odbcinst.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "ado/connection.h"
#include "ado/error.h"
#include "text/ascii.h"

namespace transfer::bulk {
namespace {

constexpr std::size_t kChunkBytes = 256 * 1024;

// One key of a data source section in `file` ("odbc.ini" or
// "odbcinst.ini"); empty when absent.
std::string ProfileString(const std::string& section, const char* key, const char* file) {
  std::vector<char> buffer(4096, '\0');
  const int n = SQLGetPrivateProfileString(section.c_str(), key, "", buffer.data(),
                                           static_cast<int>(buffer.size()), file);
  if (n <= 0) return std::string();
  return std::string(buffer.data(), std::min(static_cast<std::size_t>(n), buffer.size() - 1));
}

// The first of `keys` that the section gives a value.
std::string FirstKey(const std::string& dsn, std::initializer_list<const char*> keys) {
  for (const char* key : keys) {
    std::string value = ProfileString(dsn, key, "odbc.ini");
    if (!value.empty()) return value;
  }
  return std::string();
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The server's message without its trailing line break.
std::string Trimmed(const char* message) {
  std::string text = message != nullptr ? message : "";
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

// Appends `name` double-quoted with every '"' doubled.
void AppendQuotedName(std::string* out, std::string_view name) {
  *out += '"';
  for (char c : name) {
    if (c == '"') *out += '"';
    *out += c;
  }
  *out += '"';
}

// The letter after the backslash that stands for `c` in COPY's text format,
// or 0 for a byte that goes as it is.
char CopyEscape(char c) {
  switch (c) {
    case '\\':
      return '\\';
    case '\t':
      return 't';
    case '\n':
      return 'n';
    case '\r':
      return 'r';
    default:
      return 0;
  }
}

using ResultPtr = std::unique_ptr<PGresult, decltype(&PQclear)>;

}  // namespace

std::optional<PgDataSource> ReadPgDataSource(const std::string& dsn) {
  PgDataSource source;
  source.driver = ProfileString(dsn, "Driver", "odbc.ini");
  if (source.driver.empty()) return std::nullopt;
  source.driver_library = source.driver.find('/') != std::string::npos
                              ? source.driver
                              : ProfileString(source.driver, "Driver", "odbcinst.ini");
  source.host = FirstKey(dsn, {"Servername", "Server"});
  source.port = FirstKey(dsn, {"Port"});
  source.database = FirstKey(dsn, {"Database"});
  source.user = FirstKey(dsn, {"Username", "UID"});
  source.password = FirstKey(dsn, {"Password", "PWD"});
  source.sslmode = FirstKey(dsn, {"SSLmode", "SSLMode", "sslmode"});
  source.conn_settings = DecodeConnSettings(FirstKey(dsn, {"ConnSettings"}));
  return source;
}

bool IsPostgresDriver(const PgDataSource& source) {
  std::string library = source.driver_library;
  const std::size_t slash = library.rfind('/');
  if (slash != std::string::npos) library.erase(0, slash + 1);
  return ascii::LowerCase(library).find("psqlodbc") != std::string::npos;
}

std::string DecodeConnSettings(std::string_view stored) {
  if (stored.size() >= 2 && stored.front() == '{' && stored.back() == '}') {
    return std::string(stored.substr(1, stored.size() - 2));
  }
  std::string out;
  for (std::size_t i = 0; i < stored.size(); ++i) {
    if (stored[i] == '%' && i + 2 < stored.size()) {
      const int high = HexDigit(stored[i + 1]);
      const int low = HexDigit(stored[i + 2]);
      if (high >= 0 && low >= 0) {
        out += static_cast<char>(high * 16 + low);
        i += 2;
        continue;
      }
    }
    out += stored[i];
  }
  return out;
}

std::string IdentityQuery(std::string_view table) {
  std::string name;
  AppendQuotedName(&name, table);
  std::string sql = "SELECT current_database()::text, current_user::text, '";
  for (char c : name) {
    if (c == '\'') sql += '\'';
    sql += c;
  }
  sql += "'::regclass::oid::text";
  return sql;
}

TargetIdentity QueryIdentity(ado::Connection& odbc, std::string_view table) {
  ado::Recordset records;
  records.Open(IdentityQuery(table), odbc);
  if (records.IsEOF() || records.FieldCount() != 3) {
    throw ado::Error("The identity query returned no row.");
  }
  TargetIdentity identity{records.Fields(0).Value().ToText(), records.Fields(1).Value().ToText(),
                          records.Fields(2).Value().ToText()};
  records.Close();
  return identity;
}

void AppendCopyValue(std::string* out, const std::string_view* value) {
  if (value == nullptr) {
    *out += "\\N";
    return;
  }
  // Runs without a byte to escape are appended whole.
  const std::string_view text = *value;
  std::size_t run = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char escaped = CopyEscape(text[i]);
    if (escaped == 0) continue;
    out->append(text.data() + run, i - run);
    *out += '\\';
    *out += escaped;
    run = i + 1;
  }
  out->append(text.data() + run, text.size() - run);
}

std::string CopyStatement(std::string_view table) {
  std::string sql = "COPY ";
  AppendQuotedName(&sql, table);
  sql += " FROM STDIN";
  return sql;
}

// ---- PgBulkConnection ----

struct PgBulkConnection::Impl {
  PGconn* conn = nullptr;
  std::string statement;   // the COPY being sent
  std::string send_error;  // the first failure to send its data
  ~Impl() {
    if (conn != nullptr) PQfinish(conn);
  }
  // Throws with `what` and the connection's last message.
  [[noreturn]] void Fail(const std::string& what) const {
    throw ado::Error(what + ": " + Trimmed(PQerrorMessage(conn)));
  }
  // The message of a failed result (the connection's when there is none).
  std::string MessageOf(const PGresult* result) const {
    return Trimmed(result != nullptr ? PQresultErrorMessage(result) : PQerrorMessage(conn));
  }
  ResultPtr Run(std::string_view sql) const {
    return ResultPtr(PQexec(conn, std::string(sql).c_str()), &PQclear);
  }
};

PgBulkConnection::PgBulkConnection(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
PgBulkConnection::~PgBulkConnection() = default;

std::unique_ptr<PgBulkConnection> PgBulkConnection::Open(const PgDataSource& source) {
  std::vector<const char*> keys;
  std::vector<const char*> values;
  auto add = [&](const char* key, const std::string& value) {
    if (value.empty()) return;
    keys.push_back(key);
    values.push_back(value.c_str());
  };
  add("host", source.host);
  add("port", source.port);
  add("dbname", source.database);
  add("user", source.user);
  add("password", source.password);
  add("sslmode", source.sslmode);
  const std::string encoding = "UTF8";
  add("client_encoding", encoding);
  keys.push_back(nullptr);
  values.push_back(nullptr);
  auto impl = std::make_unique<Impl>();
  impl->conn = PQconnectdbParams(keys.data(), values.data(), 0);
  if (impl->conn == nullptr) throw ado::Error("libpq could not allocate a connection");
  if (PQstatus(impl->conn) != CONNECTION_OK) impl->Fail("The bulk connection failed");
  auto connection = std::unique_ptr<PgBulkConnection>(new PgBulkConnection(std::move(impl)));
  if (!source.conn_settings.empty()) connection->Execute(source.conn_settings);
  return connection;
}

void PgBulkConnection::Execute(std::string_view sql) {
  ResultPtr result = impl_->Run(sql);
  const ExecStatusType status = PQresultStatus(result.get());
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
    throw ado::Error(std::string(sql) + " failed: " + impl_->MessageOf(result.get()));
  }
}

TargetIdentity PgBulkConnection::QueryIdentity(std::string_view table) {
  ResultPtr result = impl_->Run(IdentityQuery(table));
  if (PQresultStatus(result.get()) != PGRES_TUPLES_OK || PQntuples(result.get()) != 1 ||
      PQnfields(result.get()) != 3) {
    throw ado::Error("The identity query failed: " + impl_->MessageOf(result.get()));
  }
  return TargetIdentity{PQgetvalue(result.get(), 0, 0), PQgetvalue(result.get(), 0, 1),
                        PQgetvalue(result.get(), 0, 2)};
}

std::int64_t PgBulkConnection::CopyRows(std::string_view table, std::string_view rows) {
  StartCopy(table);
  for (std::size_t at = 0; at < rows.size(); at += kChunkBytes) {
    PutCopyData(rows.substr(at, std::min(kChunkBytes, rows.size() - at)));
  }
  return EndCopy();
}

void PgBulkConnection::StartCopy(std::string_view table) {
  impl_->statement = CopyStatement(table);
  impl_->send_error.clear();
  ResultPtr start = impl_->Run(impl_->statement);
  if (PQresultStatus(start.get()) != PGRES_COPY_IN) {
    throw ado::Error(impl_->statement + " failed: " + impl_->MessageOf(start.get()));
  }
}

void PgBulkConnection::PutCopyData(std::string_view data) {
  PGconn* conn = impl_->conn;
  for (std::size_t at = 0; at < data.size() && impl_->send_error.empty(); at += kChunkBytes) {
    const std::size_t n = std::min(kChunkBytes, data.size() - at);
    if (PQputCopyData(conn, data.data() + at, static_cast<int>(n)) != 1) {
      impl_->send_error = Trimmed(PQerrorMessage(conn));
    }
  }
}

std::int64_t PgBulkConnection::EndCopy() {
  PGconn* conn = impl_->conn;
  std::string send_error = std::move(impl_->send_error);
  impl_->send_error.clear();
  if (PQputCopyEnd(conn, send_error.empty() ? nullptr : "sending the rows failed") != 1) {
    if (send_error.empty()) send_error = Trimmed(PQerrorMessage(conn));
  }
  // Every result of the COPY is read, so that the connection is ready for
  // the ROLLBACK or COMMIT that follows.
  std::string server_error;
  std::int64_t stored = 0;
  while (PGresult* raw = PQgetResult(conn)) {
    ResultPtr result(raw, &PQclear);
    if (PQresultStatus(raw) == PGRES_COMMAND_OK) {
      stored = std::strtoll(PQcmdTuples(raw), nullptr, 10);
    } else if (server_error.empty()) {
      server_error = Trimmed(PQresultErrorMessage(raw));
    }
  }
  if (!server_error.empty()) throw ado::Error(impl_->statement + " failed: " + server_error);
  if (!send_error.empty()) throw ado::Error(impl_->statement + " failed: " + send_error);
  return stored;
}

void PgBulkConnection::AbortCopy() noexcept {
  PGconn* conn = impl_->conn;
  impl_->send_error.clear();
  PQputCopyEnd(conn, "the batch was abandoned");
  while (PGresult* raw = PQgetResult(conn)) {
    const bool stuck = PQresultStatus(raw) == PGRES_COPY_IN;  // the end never left
    PQclear(raw);
    if (stuck) break;
  }
}

// ---- Choosing the bulk path ----

std::unique_ptr<PgBulkConnection> OpenMatchingBulkConnection(const std::string& dsn,
                                                             ado::Connection& odbc,
                                                             std::string_view table,
                                                             std::string* why) {
  const std::optional<PgDataSource> source = ReadPgDataSource(dsn);
  if (!source) {
    *why = "the ODBC files do not describe the data source " + dsn;
    return nullptr;
  }
  if (!IsPostgresDriver(*source)) {
    *why = "the data source " + dsn + " does not use the PostgreSQL driver";
    return nullptr;
  }
  try {
    std::unique_ptr<PgBulkConnection> bulk = PgBulkConnection::Open(*source);
    const TargetIdentity mine = bulk->QueryIdentity(table);
    const TargetIdentity theirs = QueryIdentity(odbc, table);
    if (mine == theirs) return bulk;
    *why = "the bulk connection reaches database " + mine.database + " as " + mine.user +
           " (table OID " + mine.table_oid + "), the data source database " + theirs.database +
           " as " + theirs.user + " (table OID " + theirs.table_oid + ")";
  } catch (const std::exception& e) {
    *why = e.what();
  }
  return nullptr;
}

}  // namespace transfer::bulk
