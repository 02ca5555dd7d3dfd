// Opening the connections of both sides: the one place that knows the
// providers and the connection strings. Each function is one step of a
// handler, so that a failure is reported at that step's line.
#ifndef QUILLOMAR_DB_CONNECT_H_
#define QUILLOMAR_DB_CONNECT_H_

#include "ado/connection.h"
#include "db/connection_fields.h"

namespace db {

// The provider of the FoxPro side (named inside its connection string).
inline constexpr char kFoxproProvider[] = "vfpoledb.1";
// The provider every SQL-side connection sets before it opens.
inline constexpr char kSybaseProvider[] = "MSDASQL";

// Opens `connection` on the FoxPro data the fields name: the container of
// text1 when option1 is set, else the folder of text2. Throws what the
// provider throws.
void OpenFoxpro(ado::Connection& connection, const ConnectionFields& fields);

// Sets the SQL side's provider "MSDASQL" on a closed connection.
void SetSybaseProvider(ado::Connection& connection);

// Opens `connection` (its provider already set) on the ODBC data source of
// text3. Throws what the provider throws.
void OpenSybase(ado::Connection& connection, const ConnectionFields& fields);

}  // namespace db

#endif  // QUILLOMAR_DB_CONNECT_H_
