// Finds out, once per connection, how the database behind an ODBC data
// source reads the statements we build (see ado::Dialect).
#ifndef QUILLOMAR_ADO_ODBC_ODBC_DIALECT_H_
#define QUILLOMAR_ADO_ODBC_ODBC_DIALECT_H_

#include <memory>

#include "ado/dialect.h"
#include "ado/odbc/odbc_handles.h"

namespace ado::odbc {

// Asks the connected data source for its DBMS name and, on MariaDB/MySQL,
// adds ANSI_QUOTES to the session's sql_mode so that double-quoted names are
// names (nothing else in the session changes). Then finds out whether string
// literals take backslash escapes: always on SQL Anywhere; elsewhere by
// selecting a literal of two backslashes and looking at what comes back (a
// failed probe means no escapes). Throws ado::Error when the sql_mode cannot
// be changed.
Dialect DetectDialect(const std::shared_ptr<Link>& link);

}  // namespace ado::odbc

#endif  // QUILLOMAR_ADO_ODBC_ODBC_DIALECT_H_
