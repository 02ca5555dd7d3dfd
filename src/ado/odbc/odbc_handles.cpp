#include "ado/odbc/odbc_handles.h"

#include <vector>

namespace ado::odbc {

std::string DiagnosticText(SQLSMALLINT handle_type, SQLHANDLE handle) {
  std::string text;
  if (handle == nullptr) return text;
  std::vector<SQLCHAR> message(1024);
  for (SQLSMALLINT record = 1;; ++record) {
    SQLCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    SQLRETURN rc = SQLGetDiagRec(handle_type, handle, record, state, &native, message.data(),
                                 static_cast<SQLSMALLINT>(message.size()), &length);
    if (rc == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(message.size()) &&
        length < 32000) {
      // The message was cut: read the record again with room for all of it.
      message.resize(static_cast<std::size_t>(length) + 1);
      rc = SQLGetDiagRec(handle_type, handle, record, state, &native, message.data(),
                         static_cast<SQLSMALLINT>(message.size()), &length);
    }
    if (!SQL_SUCCEEDED(rc)) break;
    std::string line(reinterpret_cast<const char*>(message.data()));
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    if (line.empty()) line = "SQLSTATE " + std::string(reinterpret_cast<const char*>(state));
    if (!text.empty()) text += '\n';
    text += line;
  }
  return text;
}

void Check(SQLRETURN rc, SQLSMALLINT handle_type, SQLHANDLE handle, std::string_view what) {
  if (SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA) return;
  std::string text = DiagnosticText(handle_type, handle);
  if (text.empty()) {
    text = std::string(what) + " failed (ODBC return code " + std::to_string(rc) + ").";
  }
  throw Error(text);
}

Link::Link(const std::string& name) {
  Check(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_), SQL_HANDLE_ENV, env_,
        "Allocating the ODBC environment");
  try {
    Check(SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3),
                        0),
          SQL_HANDLE_ENV, env_, "Choosing ODBC 3");
    Check(SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_), SQL_HANDLE_ENV, env_,
          "Allocating an ODBC connection");
    std::string copy = name;  // SQLConnect takes a non-const pointer
    SQLRETURN rc = SQLConnect(dbc_, reinterpret_cast<SQLCHAR*>(copy.data()),
                              static_cast<SQLSMALLINT>(copy.size()), nullptr, 0, nullptr, 0);
    Check(rc, SQL_HANDLE_DBC, dbc_, "Connecting to the data source");
    connected_ = true;
    // Every statement takes effect at once: no transactions.
    Check(SQLSetConnectAttr(dbc_, SQL_ATTR_AUTOCOMMIT,
                            reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), SQL_IS_UINTEGER),
          SQL_HANDLE_DBC, dbc_, "Switching on autocommit");
  } catch (...) {
    Release();
    throw;
  }
}

Link::~Link() { Release(); }

void Link::Release() {
  if (connected_) SQLDisconnect(dbc_);
  connected_ = false;
  if (dbc_ != SQL_NULL_HDBC) SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
  dbc_ = SQL_NULL_HDBC;
  if (env_ != SQL_NULL_HENV) SQLFreeHandle(SQL_HANDLE_ENV, env_);
  env_ = SQL_NULL_HENV;
}

Statement::Statement(std::shared_ptr<Link> link) : link_(std::move(link)) {
  odbc::Check(SQLAllocHandle(SQL_HANDLE_STMT, link_->dbc(), &stmt_), SQL_HANDLE_DBC, link_->dbc(),
        "Allocating an ODBC statement");
}

Statement::~Statement() {
  if (stmt_ != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, stmt_);
}

void Statement::Check(SQLRETURN rc, std::string_view what) const {
  odbc::Check(rc, SQL_HANDLE_STMT, stmt_, what);
}

}  // namespace ado::odbc
