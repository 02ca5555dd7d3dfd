// Owning wrappers for unixODBC handles and the translation of an ODBC
// failure into the data-access layer's error, built from every diagnostic
// record the driver manager and the driver left on the handle.
#ifndef QUILLOMAR_ADO_ODBC_ODBC_HANDLES_H_
#define QUILLOMAR_ADO_ODBC_ODBC_HANDLES_H_

#include <memory>
#include <string>
#include <string_view>

#include "ado/error.h"
#include "ado/odbc/odbc_api.h"

namespace ado::odbc {

// The diagnostic text of every record on `handle`, one record per line, each
// as the driver wrote it (for example "[unixODBC][Driver Manager]Data source
// name not found and no default driver specified"). Empty when there is none.
std::string DiagnosticText(SQLSMALLINT handle_type, SQLHANDLE handle);

// Throws ado::Error when `rc` is a failure (anything but SQL_SUCCESS,
// SQL_SUCCESS_WITH_INFO and SQL_NO_DATA). The description is the handle's
// diagnostic text, or, when the driver left none, "<what> failed" with the
// return code.
void Check(SQLRETURN rc, SQLSMALLINT handle_type, SQLHANDLE handle, std::string_view what);

// An open ODBC connection: the environment and connection handles, shared by
// a session and every cursor it opened, so that a cursor outliving its
// connection object stays valid. Disconnects and frees on destruction.
class Link {
 public:
  // Allocates an ODBC 3 environment and a connection handle and connects to
  // the data source `name` with SQLConnect (no user name or password: the
  // data source holds them). Throws ado::Error.
  explicit Link(const std::string& name);
  ~Link();
  Link(const Link&) = delete;
  Link& operator=(const Link&) = delete;

  SQLHDBC dbc() const { return dbc_; }

 private:
  void Release();

  SQLHENV env_ = SQL_NULL_HENV;
  SQLHDBC dbc_ = SQL_NULL_HDBC;
  bool connected_ = false;
};

// A statement handle on a link; keeps the link alive and frees the handle on
// destruction.
class Statement {
 public:
  // Allocates a statement on `link`. Throws ado::Error.
  explicit Statement(std::shared_ptr<Link> link);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  SQLHSTMT get() const { return stmt_; }

  // Check() for this statement's handle.
  void Check(SQLRETURN rc, std::string_view what) const;

 private:
  std::shared_ptr<Link> link_;
  SQLHSTMT stmt_ = SQL_NULL_HSTMT;
};

}  // namespace ado::odbc

#endif  // QUILLOMAR_ADO_ODBC_ODBC_HANDLES_H_
