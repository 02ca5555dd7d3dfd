// The statement texts of both copies: quoting of names, the column type
// tables, and CREATE TABLE / INSERT INTO built piece by piece, so that the
// handlers can hold the statement of every moment for the error report.
//
// FoxPro to SQL: CREATE TABLE "t"("id" NUMERIC,"name" TEXT,"paid" BIT)
//                INSERT INTO "t" VALUES(7, 'O''Hara', '1', NULL)
// SQL to FoxPro: CREATE TABLE "t"("id" M,"photo" BLOB);
//                INSERT INTO "t" VALUES('7', NULL)
#ifndef QUILLOMAR_TRANSFER_STATEMENTS_H_
#define QUILLOMAR_TRANSFER_STATEMENTS_H_

#include <string>
#include <string_view>
#include <vector>

#include "ado/value.h"

namespace transfer {

// `name` between double quotes, every `"` inside doubled.
std::string DoubleQuoted(std::string_view name);

// `name` between square brackets, every `]` inside written `]]`.
std::string Bracketed(std::string_view name);

// Text literal: `text` between apostrophes, every apostrophe doubled.
std::string Quoted(std::string_view text);

// Removes the last `count` characters of `*text` (all of them when it is
// shorter).
void DropLast(std::string* text, std::size_t count);

// ---- FoxPro to SQL ----

// Column types created on the SQL side.
enum class SqlColumnType { kText, kNumeric, kBit };

// The column type for a lower-cased type name (AdoTypeName lower-cased):
// tests "varwchar", "longvar" (TEXT), "int", "currency" (NUMERIC), "date"
// (TEXT), "bool" (BIT) in this order; no match gives TEXT.
SqlColumnType SqlColumnTypeFor(std::string_view lower_type_name);

// "DROP TABLE \"t\"".
std::string SqlDropStatement(std::string_view table);
// "SELECT * FROM [t]", read from the FoxPro side.
std::string FoxproSelectStatement(std::string_view table);

// "CREATE TABLE \"t\"(".
std::string SqlCreateHead(std::string_view table);
// Appends "\"column\" TEXT," (or NUMERIC, BIT); the name is used unchanged
// apart from doubling `"`.
void AppendSqlColumn(std::string* statement, std::string_view column, SqlColumnType type);
// Replaces the trailing comma by ")".
void FinishSqlCreate(std::string* statement);

// "INSERT INTO \"t\" VALUES(".
std::string SqlInsertHead(std::string_view table);
// Appends one value and ", ". `value` is the field's value after
// NullToDefault. Empty text (null included) gives NULL; a logical value in a
// BIT column gives '1' or '0'; a number in a NUMERIC column is written bare;
// everything else is a quoted literal, so a value can never end the
// statement.
void AppendSqlValue(std::string* statement, const ado::Value& value, SqlColumnType type);
// Replaces the trailing ", " by ")".
void FinishSqlInsert(std::string* statement);

// ---- SQL to FoxPro ----

// Column types created on the FoxPro side: memo, or BLOB for long binary.
enum class FoxproColumnType { kMemo, kBlob };

// The column type for a lower-cased type name: "adlongvarbinary" is BLOB,
// every other name (tests "char", "decimal", "single", "int" come first and
// cannot match it) is memo.
FoxproColumnType FoxproColumnTypeFor(std::string_view lower_type_name);

// The FoxPro column name of a source field: every blank and "/" become "_".
std::string FoxproColumnName(std::string_view field_name);

// "DROP TABLE [t]".
std::string FoxproDropStatement(std::string_view table);
// "SELECT * FROM \"t\"", read from the SQL side.
std::string SqlSelectStatement(std::string_view table);

// "CREATE TABLE \"t\"(".
std::string FoxproCreateHead(std::string_view table);
// Appends "\"column\" M," or "\"column\" BLOB,".
void AppendFoxproColumn(std::string* statement, std::string_view column, FoxproColumnType type);
// Replaces the trailing comma by ");".
void FinishFoxproCreate(std::string* statement);

// "INSERT INTO \"t\" VALUES('": an apostrophe is always open for the next
// value.
std::string FoxproInsertHead(std::string_view table);
// Appends one value's text (after NullToDefault and conversion) and "', '";
// empty text closes nothing and writes "NULL, '" instead. Line breaks are
// kept.
void AppendFoxproValue(std::string* statement, std::string_view value_text);
// Replaces the trailing ", '" by ")".
void FinishFoxproInsert(std::string* statement);

// ---- Whole statements (the handlers build them piece by piece) ----

struct SourceColumn {
  std::string name;
  int type_code = 0;
};

// The CREATE TABLE of each direction for the given source columns.
std::string BuildSqlCreate(std::string_view table, const std::vector<SourceColumn>& columns);
std::string BuildFoxproCreate(std::string_view table, const std::vector<SourceColumn>& columns);

// One row's INSERT of each direction; `types` and `row` hold one entry per
// column (SQL side) and `row` one value per column (FoxPro side).
std::string BuildSqlInsert(std::string_view table, const std::vector<SqlColumnType>& types,
                           const std::vector<ado::Value>& row);
std::string BuildFoxproInsert(std::string_view table, const std::vector<ado::Value>& row);

}  // namespace transfer

#endif  // QUILLOMAR_TRANSFER_STATEMENTS_H_
