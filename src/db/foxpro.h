// The FoxPro side's connection test: opens a throw-away connection from the
// connection window's fields and says whether it opened.
#ifndef QUILLOMAR_DB_FOXPRO_H_
#define QUILLOMAR_DB_FOXPRO_H_

#include "db/connection_fields.h"

namespace db {

// Creates a connection (a failure to create it is thrown to the caller), sets
// cursor location 2 and opens FoxproConnectionString(fields). Returns true
// when it opened; every failure after the creation gives false, silently.
// The connection is released before returning.
bool TestFoxproConnection(const ConnectionFields& fields);

}  // namespace db

#endif  // QUILLOMAR_DB_FOXPRO_H_
