// The table catalogs of both sides: read the tables schema of a fresh
// connection and write the user tables' names into a table list.
#ifndef QUILLOMAR_DB_CATALOG_H_
#define QUILLOMAR_DB_CATALOG_H_

#include <functional>
#include <string>
#include <string_view>

#include "db/connection_fields.h"
#include "db/table_list.h"

namespace db {

// Lets waiting window events run; called once per listed table.
using Yield = std::function<void()>;

// Fills `list` with the FoxPro tables of the data the fields name (see
// OpenFoxpro): opens a connection of its own, runs the tables schema query,
// and only then clears the list; every row whose TABLE_TYPE is exactly
// "TABLE" yields once and appends its TABLE_NAME. Failures throw (ado::Error
// and others) and travel to the caller: a failure to connect or to query
// leaves the list untouched, a failure while reading leaves the names
// appended so far. The connection is closed on every path.
void ListFoxproTables(TableList& list, const ConnectionFields& fields, const Yield& yield);

// The same for a caller that holds a FoxPro connection string already.
void ListFoxproTables(TableList& list, const std::string& connection_string, const Yield& yield);

// Fills `list` with the SQL side's tables (see OpenSybase). Same steps as
// above, and a table whose name holds "SYS" in any letter case at any place
// is skipped.
void ListSybaseTables(TableList& list, const ConnectionFields& fields, const Yield& yield);

// True when `name`, upper-cased, contains "SYS" (ASCII letters only change
// case; other bytes are compared as they are).
bool HasSysInName(std::string_view name);

}  // namespace db

#endif  // QUILLOMAR_DB_CATALOG_H_
