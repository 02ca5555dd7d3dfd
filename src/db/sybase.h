// The SQL side's connection test: opens a throw-away connection on the ODBC
// data source named in the connection window and says whether it opened.
#ifndef QUILLOMAR_DB_SYBASE_H_
#define QUILLOMAR_DB_SYBASE_H_

#include "db/connect.h"

namespace db {

// Creates a connection (a failure to create it is thrown to the caller), sets
// the provider "MSDASQL" (no cursor location) and opens
// SybaseConnectionString(fields). Returns true when it opened; every failure
// after the creation gives false, silently. The connection is released
// before returning.
bool TestSybaseConnection(const ConnectionFields& fields);

}  // namespace db

#endif  // QUILLOMAR_DB_SYBASE_H_
