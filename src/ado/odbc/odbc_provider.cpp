#include "ado/odbc/odbc_provider.h"

#include <cstring>
#include <limits>
#include <optional>

#include "ado/connection_string.h"
#include "ado/error.h"
#include "ado/odbc/odbc_cursor.h"
#include "ado/odbc/odbc_dialect.h"
#include "ado/odbc/odbc_handles.h"
#include "ado/odbc/odbc_text.h"
#include "text/ascii.h"

namespace ado::odbc {
namespace {

constexpr std::string_view kForbiddenCharacters = "[]{}(),;?*=!@\\";


// SQLExecDirect and SQLTables take non-const text pointers.
SQLCHAR* Writable(std::string& text) { return reinterpret_cast<SQLCHAR*>(text.data()); }

// Runs `sql` exactly as given, with its length. The driver only reads the
// text, so it is passed without a copy (one statement per row in a copy).
SQLRETURN ExecDirect(SQLHSTMT statement, std::string_view sql) {
  auto* text = const_cast<SQLCHAR*>(reinterpret_cast<const SQLCHAR*>(sql.data()));
  return SQLExecDirect(statement, text, static_cast<SQLINTEGER>(sql.size()));
}

// PostgreSQL's driver reads a whole result into memory unless the data
// source asks for declare/fetch: a copy of a large table would hold all of
// it twice (the driver's copy and the record set's). The driver takes the
// choice as one of its own connection attributes.
constexpr SQLINTEGER kPostgresUseDeclareFetch = 65539;
constexpr SQLINTEGER kPostgresFetchRows = 65541;

bool IsPostgresDriver(SQLHDBC dbc) {
  SQLCHAR name[128] = {};
  SQLSMALLINT length = 0;
  if (!SQL_SUCCEEDED(SQLGetInfo(dbc, SQL_DRIVER_NAME, name, sizeof name - 1, &length))) {
    return false;
  }
  std::string driver(reinterpret_cast<const char*>(name));
  for (char& c : driver) c = ascii::Lower(c);
  return driver.rfind("psqlodbc", 0) == 0;
}

// Results in pieces of 1,000 rows on PostgreSQL; nothing on other drivers,
// whose attribute numbers in this range mean other things.
void ReadResultsInPieces(SQLHDBC dbc) {
  if (!IsPostgresDriver(dbc)) return;
  SQLINTEGER declare_fetch = 0;
  if (SQL_SUCCEEDED(SQLGetConnectAttr(dbc, kPostgresUseDeclareFetch, &declare_fetch, 0,
                                      nullptr)) &&
      declare_fetch != 0) {
    return;  // the data source chose it already, with its own piece size
  }
  if (SQL_SUCCEEDED(SQLSetConnectAttr(dbc, kPostgresUseDeclareFetch,
                                      reinterpret_cast<SQLPOINTER>(1), SQL_IS_INTEGER))) {
    SQLSetConnectAttr(dbc, kPostgresFetchRows, reinterpret_cast<SQLPOINTER>(1000),
                      SQL_IS_INTEGER);
  }
}

class OdbcSession : public Session {
 public:
  explicit OdbcSession(const std::string& name)
      : link_(std::make_shared<Link>(name)), dialect_(DetectDialect(link_)) {
    ReadResultsInPieces(link_->dbc());
  }

  const Dialect& dialect() const override { return dialect_; }

  void SetAutoCommit(bool on) override {
    const SQLULEN value = on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF;
    Check(SQLSetConnectAttr(link_->dbc(), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(value),
                            SQL_IS_UINTEGER),
          SQL_HANDLE_DBC, link_->dbc(), "Setting autocommit");
  }

  void EndTransaction(bool commit) override {
    Check(SQLEndTran(SQL_HANDLE_DBC, link_->dbc(), commit ? SQL_COMMIT : SQL_ROLLBACK),
          SQL_HANDLE_DBC, link_->dbc(), commit ? "Committing" : "Rolling back");
  }

  // Statements that return no cursor to the caller all run on one statement
  // handle, closed after each: a copy sends one statement per row, and a new
  // handle per statement costs some drivers as much as a small INSERT.
  void Execute(std::string_view sql) override {
    CheckSendable(sql);
    if (!executor_) executor_ = std::make_unique<Statement>(link_);
    SQLRETURN rc = ExecDirect(executor_->get(), sql);
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) {
      // Read the diagnostics before the close below clears them.
      try {
        executor_->Check(rc, "Executing the statement");
      } catch (...) {
        SQLFreeStmt(executor_->get(), SQL_CLOSE);
        throw;
      }
    }
    // Discards any result the statement produced, ready for the next one.
    SQLFreeStmt(executor_->get(), SQL_CLOSE);
  }

  std::unique_ptr<Cursor> Query(std::string_view sql, CursorPlace /*place*/) override {
    // Client-side record sets read every row at once through the same
    // forward cursor; the record set keeps them.
    return std::make_unique<OdbcCursor>(Run(sql));
  }

  // The tables of the data source's own database: drivers that serve
  // several databases (MariaDB's lists every database on the server when no
  // catalog is named) are asked for the current one.
  std::unique_ptr<Cursor> Tables() override {
    auto statement = std::make_unique<Statement>(link_);
    std::string catalog = CurrentCatalog();
    SQLCHAR* catalog_name = catalog.empty() ? nullptr : Writable(catalog);
    statement->Check(SQLTables(statement->get(), catalog_name,
                               static_cast<SQLSMALLINT>(catalog.size()), nullptr, 0, nullptr, 0,
                               nullptr, 0),
                     "Listing the tables");
    return std::make_unique<OdbcCursor>(std::move(statement));
  }

 private:
  // The connection's current catalog (database), or empty when the driver
  // has none to name or cannot tell.
  std::string CurrentCatalog() const {
    SQLCHAR name[256] = {};
    SQLINTEGER length = 0;
    SQLRETURN rc = SQLGetConnectAttr(link_->dbc(), SQL_ATTR_CURRENT_CATALOG, name,
                                     static_cast<SQLINTEGER>(sizeof name - 1), &length);
    if (!SQL_SUCCEEDED(rc) || length <= 0 || length >= static_cast<SQLINTEGER>(sizeof name)) {
      return std::string();
    }
    return std::string(reinterpret_cast<const char*>(name), static_cast<std::size_t>(length));
  }

  // Throws when `sql` cannot reach the driver unchanged.
  static void CheckSendable(std::string_view sql) {
    if (sql.size() > static_cast<std::size_t>(std::numeric_limits<SQLINTEGER>::max())) {
      throw Error("The statement is too long for ODBC (" + std::to_string(sql.size()) +
                  " bytes).");
    }
    // Every driver here ends the statement at a zero byte and runs only the
    // part before it: refuse to send a statement that would arrive changed.
    if (auto zero = sql.find('\0'); zero != std::string_view::npos) {
      throw Error("The statement holds a zero byte at offset " + std::to_string(zero) +
                  ", where ODBC drivers would cut it off; it was not sent.");
    }
  }

  // Executes `sql` on a new statement.
  std::unique_ptr<Statement> Run(std::string_view sql) {
    CheckSendable(sql);
    auto statement = std::make_unique<Statement>(link_);
    SQLRETURN rc = ExecDirect(statement->get(), sql);
    // SQL_NO_DATA: a searched UPDATE or DELETE that touched no row succeeded.
    statement->Check(rc, "Executing the statement");
    return statement;
  }

  std::shared_ptr<Link> link_;
  Dialect dialect_;
  std::unique_ptr<Statement> executor_;  // for Execute; made at first use
};

}  // namespace

void RegisterOdbcProvider() { RegisterProvider("MSDASQL", &OpenSession); }

std::string DataSourceNameOf(std::string_view connection_string) {
  std::optional<std::string> name = FindConnectionKeyToEnd(connection_string, "Data Source");
  if (!name) {
    throw Error("The connection string names no ODBC data source (\"Data Source=\" is missing).");
  }
  return *name;
}

void CheckDataSourceName(std::string_view name) {
  if (name.empty()) {
    throw Error("No data source name was given: the connection string ends at \"Data "
                "Source=\".");
  }
  if (name.size() > kMaxDataSourceNameLength) {
    throw Error("The data source name \"" + std::string(name) + "\" is " +
                std::to_string(name.size()) + " bytes long; an ODBC data source name has at most " +
                std::to_string(kMaxDataSourceNameLength) + ".");
  }
  for (char c : name) {
    auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      throw Error("The data source name contains a control character, which an ODBC data "
                  "source name cannot hold.");
    }
    if (kForbiddenCharacters.find(c) != std::string_view::npos) {
      throw Error("The data source name \"" + std::string(name) + "\" contains '" +
                  std::string(1, c) + "', which an ODBC data source name cannot hold.");
    }
  }
  // The driver manager's own rule, in case it is stricter than ours.
  std::string copy(name);
  if (!SQLValidDSN(copy.c_str())) {
    throw Error("The data source name \"" + copy + "\" is not a valid ODBC data source name.");
  }
}

std::unique_ptr<Session> OpenSession(const std::string& connection_string) {
  std::string name = DataSourceNameOf(connection_string);
  CheckDataSourceName(name);
  PrepareUtf8NarrowCalls();
  return std::make_unique<OdbcSession>(name);
}

}  // namespace ado::odbc
