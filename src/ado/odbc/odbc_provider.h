// The ODBC provider ("MSDASQL"): opens an ODBC data source by its name
// through unixODBC and serves the data-access layer's statements, queries
// and tables schema with narrow (UTF-8) calls.
#ifndef QUILLOMAR_ADO_ODBC_ODBC_PROVIDER_H_
#define QUILLOMAR_ADO_ODBC_ODBC_PROVIDER_H_

#include <memory>
#include <string>
#include <string_view>

#include "ado/provider.h"

namespace ado::odbc {

// The longest data source name ODBC accepts, in bytes (SQL_MAX_DSN_LENGTH).
inline constexpr std::size_t kMaxDataSourceNameLength = 32;

// Registers this provider with the data-access layer under "MSDASQL".
// Calling it again is harmless.
void RegisterOdbcProvider();

// The data source name of a connection string: everything after the first
// "Data Source=" (key matched case-insensitively), exactly as written, to the
// end of the string: blanks, ';' and braces included. Throws ado::Error when
// the string has no "Data Source=".
std::string DataSourceNameOf(std::string_view connection_string);

// Throws ado::Error with a clear description when `name` cannot name an ODBC
// data source: empty, longer than 32 bytes, or holding a character that ODBC
// forbids in data source names ([ ] { } ( ) , ; ? * = ! @ \) or a control
// character. Blanks are allowed; " x" is simply another name than "x".
void CheckDataSourceName(std::string_view name);

// Opens a session on the data source named by `connection_string` with
// SQLConnect on exactly that name (never a "DSN=" connection string, which
// would let odd names pick a driver of their own). Autocommit is on. Throws
// ado::Error with every diagnostic record's text when the data source cannot
// be opened (unknown name, driver library missing, server down, login
// refused).
std::unique_ptr<Session> OpenSession(const std::string& connection_string);

}  // namespace ado::odbc

#endif  // QUILLOMAR_ADO_ODBC_ODBC_PROVIDER_H_
