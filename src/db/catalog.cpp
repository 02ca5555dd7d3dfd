#include "db/catalog.h"

#include <memory>

#include "ado/connection.h"
#include "db/connect.h"

namespace db {
namespace {

// Steps 3 and 4 of both catalogs: the schema has answered, so the list is
// cleared and refilled row by row. `keep` decides on a table's name.
template <typename Keep>
void FillFromSchema(ado::Recordset& schema, TableList& list, const Yield& yield, Keep keep) {
  list.Clear();
  while (!schema.IsEOF()) {
    const ado::Value& type = schema.Fields("TABLE_TYPE").Value();
    // Whole-value, case-sensitive: views, system tables, "table" and a
    // missing value are all left out.
    if (type.kind() == ado::Value::Kind::kText && type.AsText() == "TABLE") {
      if (yield) yield();
      const ado::Value& name = schema.Fields("TABLE_NAME").Value();
      if (name.IsNull()) throw ado::Error("Invalid use of Null", 94);
      const std::string text = name.ToText();
      if (keep(text)) list.AddItem(text);
    }
    schema.MoveNext();
  }
}

// Runs the whole catalog on an opened connection and closes both objects,
// also when a step fails.
template <typename Keep>
void ReadCatalog(ado::Connection& connection, TableList& list, const Yield& yield, Keep keep) {
  std::unique_ptr<ado::Recordset> schema = connection.OpenSchema(20);
  FillFromSchema(*schema, list, yield, keep);
  schema->Close();
  connection.Close();
}

}  // namespace

bool HasSysInName(std::string_view name) {
  for (std::size_t i = 0; i + 3 <= name.size(); ++i) {
    auto upper = [&](std::size_t at) {
      char c = name[at];
      return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    };
    if (upper(i) == 'S' && upper(i + 1) == 'Y' && upper(i + 2) == 'S') return true;
  }
  return false;
}

void ListFoxproTables(TableList& list, const ConnectionFields& fields, const Yield& yield) {
  ado::Connection connection;
  OpenFoxpro(connection, fields);
  ReadCatalog(connection, list, yield, [](const std::string&) { return true; });
}

void ListFoxproTables(TableList& list, const std::string& connection_string, const Yield& yield) {
  ado::Connection connection;
  connection.Open(connection_string);
  ReadCatalog(connection, list, yield, [](const std::string&) { return true; });
}

void ListSybaseTables(TableList& list, const ConnectionFields& fields, const Yield& yield) {
  ado::Connection connection;
  SetSybaseProvider(connection);
  OpenSybase(connection, fields);
  ReadCatalog(connection, list, yield, [](const std::string& name) { return !HasSysInName(name); });
}

}  // namespace db
