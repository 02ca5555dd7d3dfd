#include "tests/support/whole_statements.h"

#include "transfer/datatype.h"
#include "transfer/list_helpers.h"

namespace transfer {

std::string BuildSqlCreate(std::string_view table, const std::vector<SourceColumn>& columns,
                           const ado::Dialect& dialect) {
  std::string statement = SqlCreateHead(table);
  for (const SourceColumn& column : columns) {
    AppendSqlColumn(&statement, column.name,
                    SqlColumnTypeFor(LowerCase(AdoTypeName(column.type_code))), dialect);
  }
  FinishSqlCreate(&statement);
  return statement;
}

std::string BuildFoxproCreate(std::string_view table, const std::vector<SourceColumn>& columns) {
  std::string statement = FoxproCreateHead(table);
  for (const SourceColumn& column : columns) {
    AppendFoxproColumn(&statement, FoxproColumnName(column.name),
                       FoxproColumnTypeFor(LowerCase(AdoTypeName(column.type_code))));
  }
  FinishFoxproCreate(&statement);
  return statement;
}

std::string BuildSqlInsert(std::string_view table, const std::vector<SqlColumnType>& types,
                           const std::vector<ado::Value>& row, const ado::Dialect& dialect) {
  std::string statement = SqlInsertHead(table);
  for (std::size_t j = 0; j < row.size(); ++j) {
    SqlColumnType type = j < types.size() ? types[j] : SqlColumnType::kText;
    AppendSqlValue(&statement, NullToDefault(row[j], ado::Value::Text("")), type, dialect);
  }
  FinishSqlInsert(&statement);
  return statement;
}

std::string BuildFoxproInsert(std::string_view table, const std::vector<ado::Value>& row) {
  std::string statement = FoxproInsertHead(table);
  for (const ado::Value& value : row) {
    AppendFoxproValue(&statement, NullToDefault(value, ado::Value::Text("")).ToText());
  }
  FinishFoxproInsert(&statement);
  return statement;
}

}  // namespace transfer
