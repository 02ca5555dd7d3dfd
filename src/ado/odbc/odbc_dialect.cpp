#include "ado/odbc/odbc_dialect.h"

#include <string>

namespace ado::odbc {
namespace {

std::string DbmsName(SQLHDBC dbc) {
  SQLCHAR name[256] = {};
  SQLSMALLINT length = 0;
  if (!SQL_SUCCEEDED(SQLGetInfo(dbc, SQL_DBMS_NAME, name, sizeof name - 1, &length))) {
    return std::string();
  }
  return std::string(reinterpret_cast<const char*>(name));
}

SQLRETURN ExecDirect(const Statement& statement, std::string text) {
  return SQLExecDirect(statement.get(), reinterpret_cast<SQLCHAR*>(text.data()),
                       static_cast<SQLINTEGER>(text.size()));
}

// Adds ANSI_QUOTES to the modes the session already has (the data source's
// own InitStmt included), keeping every other mode.
void UseAnsiQuotes(const std::shared_ptr<Link>& link) {
  Statement statement(link);
  statement.Check(ExecDirect(statement, "SET SESSION sql_mode = CONCAT_WS(',', "
                                        "NULLIF(@@SESSION.sql_mode, ''), 'ANSI_QUOTES')"),
                  "Switching the session to ANSI quotes");
}

// Selects the literal '\\' (two backslashes between the apostrophes): a
// database that reads backslash escapes returns one backslash.
bool ProbeBackslashEscapes(const std::shared_ptr<Link>& link) {
  Statement statement(link);
  if (!SQL_SUCCEEDED(ExecDirect(statement, "SELECT '\\\\'"))) return false;
  if (!SQL_SUCCEEDED(SQLFetch(statement.get()))) return false;
  char text[8] = {};
  SQLLEN length = 0;
  if (!SQL_SUCCEEDED(SQLGetData(statement.get(), 1, SQL_C_CHAR, text, sizeof text, &length))) {
    return false;
  }
  return length == 1 && text[0] == '\\';
}

}  // namespace

Dialect DetectDialect(const std::shared_ptr<Link>& link) {
  const Dialect::Family family = Dialect::FamilyOfDbmsName(DbmsName(link->dbc()));
  if (family == Dialect::Family::kSqlAnywhere) return Dialect(family, true);
  if (family == Dialect::Family::kMariaDb) UseAnsiQuotes(link);
  return Dialect(family, ProbeBackslashEscapes(link));
}

}  // namespace ado::odbc
