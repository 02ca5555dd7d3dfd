// Whole statements built from the handlers' pieces, for the statement tests
// and the copy benchmark: the handlers themselves build each statement piece
// by piece as they read the source, with the same functions.
#ifndef QUILLOMAR_TESTS_SUPPORT_WHOLE_STATEMENTS_H_
#define QUILLOMAR_TESTS_SUPPORT_WHOLE_STATEMENTS_H_

#include <string>
#include <string_view>
#include <vector>

#include "ado/dialect.h"
#include "ado/value.h"
#include "transfer/statements.h"

namespace transfer {

struct SourceColumn {
  std::string name;
  int type_code = 0;
};

// The CREATE TABLE of each direction for the given source columns.
std::string BuildSqlCreate(std::string_view table, const std::vector<SourceColumn>& columns,
                           const ado::Dialect& dialect = ado::Dialect());
std::string BuildFoxproCreate(std::string_view table, const std::vector<SourceColumn>& columns);

// One row's INSERT of each direction; `types` and `row` hold one entry per
// column (SQL side) and `row` one value per column (FoxPro side).
std::string BuildSqlInsert(std::string_view table, const std::vector<SqlColumnType>& types,
                           const std::vector<ado::Value>& row,
                           const ado::Dialect& dialect = ado::Dialect());
std::string BuildFoxproInsert(std::string_view table, const std::vector<ado::Value>& row);

}  // namespace transfer

#endif  // QUILLOMAR_TESTS_SUPPORT_WHOLE_STATEMENTS_H_
