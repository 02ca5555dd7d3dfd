// The statements the program sends to FoxPro data, parsed: SELECT (all or
// some columns), CREATE TABLE, INSERT INTO and DROP TABLE.
#ifndef QUILLOMAR_FOXPRO_SQL_STATEMENT_H_
#define QUILLOMAR_FOXPRO_SQL_STATEMENT_H_

#include <string>
#include <string_view>
#include <vector>

#include "foxpro/util/status.h"

namespace foxpro::sql {

// A column of CREATE TABLE.
struct ColumnDef {
  std::string name;
  char type = 'M';  // FoxPro type letter; BLOB -> 'W'
  int width = 0;    // C V Q N F: as given (N/F default 10)
  int decimals = 0;
  bool nullable = true;  // NULL (default for new columns) / NOT NULL
  bool binary = false;   // NOCPTRANS
};

// A value of INSERT.
struct Literal {
  enum class Kind { kNull, kString, kNumber, kLogical, kBinary };
  Kind kind = Kind::kNull;
  // kString: the bytes between the quotes, '' undone; kNumber: as written;
  // kBinary: the bytes of 0h + hex digits (0h00FF -> "\x00\xFF").
  std::string text;
  bool logical = false;  // kLogical
};

struct Statement {
  enum class Kind { kSelect, kCreateTable, kInsert, kDropTable };
  Kind kind = Kind::kSelect;
  std::string table;                   // unquoted name ([a]]b] -> a]b)
  std::vector<std::string> columns;    // SELECT column list (empty = *), INSERT column list
  std::vector<ColumnDef> definitions;  // CREATE TABLE
  std::vector<Literal> values;         // INSERT
};

// Parses one statement; a trailing ";" is allowed. InvalidArgument with
// FoxPro's wording for what is wrong ("Syntax error.", "Command contains
// unrecognized phrase/keyword.").
Result<Statement> Parse(std::string_view sql);

}  // namespace foxpro::sql

#endif  // QUILLOMAR_FOXPRO_SQL_STATEMENT_H_
