// The statement texts of the table window's operations: quoting of names,
// the column type tables, CREATE TABLE / INSERT INTO of both copies built
// piece by piece (so that the handlers can hold the statement of every moment
// for the error report), and the DROP and RENAME of deleting and renaming.
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

#include "ado/dialect.h"
#include "ado/value.h"

namespace transfer {

// `name` between double quotes, every `"` inside doubled.
std::string DoubleQuoted(std::string_view name);

// `name` between backquotes, every '`' inside doubled.
std::string BackQuoted(std::string_view name);

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
// The type tests of SqlColumnTypeFor, in the order they are made: the first
// whose fragment occurs in the lower-cased type name decides.
struct SqlColumnTest {
  std::string_view fragment;
  SqlColumnType type;
};
inline constexpr SqlColumnTest kSqlColumnTests[] = {
    {"varwchar", SqlColumnType::kText}, {"longvar", SqlColumnType::kText},
    {"int", SqlColumnType::kNumeric},   {"currency", SqlColumnType::kNumeric},
    {"date", SqlColumnType::kText},     {"bool", SqlColumnType::kBit},
};

// Appends "\"column\" TEXT," (or NUMERIC, BIT, each as `dialect` names
// it); the name is used unchanged apart from doubling `"`.
void AppendSqlColumn(std::string* statement, std::string_view column, SqlColumnType type,
                     const ado::Dialect& dialect);
// Replaces the trailing comma by ")".
void FinishSqlCreate(std::string* statement);

// "INSERT INTO \"t\" VALUES(".
std::string SqlInsertHead(std::string_view table);
// The pieces of one value, each followed by ", ". `value` is the field's
// value after NullToDefault and `text` its text form.
// "NULL, ": for empty text, null included.
void AppendSqlNull(std::string* statement);
// A value of a NUMERIC column: a number written bare, anything else quoted.
void AppendSqlNumber(std::string* statement, const ado::Value& value, std::string_view text,
                     const ado::Dialect& dialect);
// A value of a TEXT or BIT column: a logical value in a BIT column as the
// dialect's bit literal; everything else a quoted literal (apostrophes and,
// where the database reads escapes, backslashes doubled), so a value can
// never end the statement or arrive changed.
void AppendSqlText(std::string* statement, const ado::Value& value, std::string_view text,
                   SqlColumnType type, const ado::Dialect& dialect);
// Whether a non-empty value is written as it is rather than as a quoted
// literal of `text`: a plain number of a number kind in a NUMERIC column
// (`*bare` is `text`), a logical value in a BIT column (`*bare` is the
// dialect's bit literal). AppendSqlNumber and AppendSqlText write by it.
bool SqlBarePiece(const ado::Value& value, std::string_view text, SqlColumnType type,
                  const ado::Dialect& dialect, std::string_view* bare);
// A value's piece of the INSERT, as kept instead of the INSERT by a batch
// that goes through a bulk loader: NULL, a bare piece (SqlBarePiece's), or
// a quoted literal of the value's text.
enum class SqlPieceForm { kNull, kBare, kLiteral };
// The form of `value`'s piece (`text` its text form) in a column of `type`;
// sets `*piece_text` to the bare piece or the text a literal quotes.
SqlPieceForm SqlValuePiece(const ado::Value& value, std::string_view text, SqlColumnType type,
                           const ado::Dialect& dialect, std::string_view* piece_text);
// Appends the piece and ", ", exactly as AppendSqlValue writes the value.
void AppendSqlPiece(std::string* statement, SqlPieceForm form, std::string_view piece_text,
                    const ado::Dialect& dialect);
// The text a bulk loader gets for the piece, the same as SqlPieceValue reads
// from the INSERT: false for NULL; otherwise `*out` is `piece_text` or a
// view of `*scratch`, valid until `*scratch` changes.
bool SqlPieceLoaderValue(SqlPieceForm form, std::string_view piece_text,
                         const ado::Dialect& dialect, std::string* scratch, std::string_view* out);
// One whole value: NULL for empty text, else AppendSqlNumber for NUMERIC
// columns and AppendSqlText for the others.
void AppendSqlValue(std::string* statement, const ado::Value& value, SqlColumnType type,
                    const ado::Dialect& dialect);
// Replaces the trailing ", " by ")".
void FinishSqlInsert(std::string* statement);

// The value a piece of a finished INSERT carries: `piece` is one value as
// the Append functions above wrote it, without its ", " (NULL, a bare
// number or bit, or a literal). Returns false for NULL; otherwise sets
// `*text` to the text the database stores: a literal's content with its
// doubled apostrophes (and, where `dialect` reads escapes, backslashes)
// made single again, a bare piece as it is.
bool SqlPieceValue(std::string_view piece, const ado::Dialect& dialect, std::string* text);

// ---- SQL to FoxPro ----

// Column types created on the FoxPro side: memo, or BLOB for long binary.
enum class FoxproColumnType { kMemo, kBlob };

// The type tests of FoxproColumnTypeFor, in the order they are made: the
// first whose fragment occurs in the lower-cased type name decides; no match
// is memo. Only "adlongvarbinary" gives BLOB, and none of the tests before
// it can match that name.
struct FoxproColumnTest {
  std::string_view fragment;
  FoxproColumnType type;
};
inline constexpr FoxproColumnTest kFoxproColumnTests[] = {
    {"char", FoxproColumnType::kMemo},     {"decimal", FoxproColumnType::kMemo},
    {"single", FoxproColumnType::kMemo},   {"int", FoxproColumnType::kMemo},
    {"adlongvarbinary", FoxproColumnType::kBlob}, {"longvar", FoxproColumnType::kMemo},
    {"numeric", FoxproColumnType::kMemo},  {"date", FoxproColumnType::kMemo},
    {"timestamp", FoxproColumnType::kMemo}, {"double", FoxproColumnType::kMemo},
};

// The column type for a lower-cased type name, by kFoxproColumnTests.
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
// The bare pieces: removes the apostrophe opened for this value, then
// appends `bare` ("NULL", or a binary literal "0h00FF") and ", '".
void CloseFoxproQuote(std::string* statement);
void AppendFoxproBare(std::string* statement, std::string_view bare);
// True when `value` goes into a BLOB column as FoxPro's binary literal: a
// binary value with at least one byte.
bool IsFoxproBinaryLiteral(FoxproColumnType type, const ado::Value& value);
// Appends FoxPro's binary literal of `value_text`, a binary value's text
// form "0x00FF": "0h00FF".
void AppendFoxproBinaryLiteral(std::string* out, std::string_view value_text);
// Replaces the trailing ", '" by ")".
void FinishFoxproInsert(std::string* statement);

// ---- Deleting and renaming ----

// "DROP TABLE `t`": what the FoxPro side's delete button sends (no
// semicolon). The SQL side's delete button sends SqlDropStatement.
std::string FoxproDeleteStatement(std::string_view table);

// ALTER TABLE renaming `old_name` to `new_name`, both double-quoted: SQL
// Anywhere's "ALTER TABLE \"a\" RENAME \"b\";", elsewhere
// "ALTER TABLE \"a\" RENAME TO \"b\"".
std::string SqlRenameStatement(std::string_view old_name, std::string_view new_name,
                               const ado::Dialect& dialect);

}  // namespace transfer

#endif  // QUILLOMAR_TRANSFER_STATEMENTS_H_
