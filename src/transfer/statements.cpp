#include "transfer/statements.h"

#include "transfer/datatype.h"
#include "transfer/list_helpers.h"

namespace transfer {
namespace {

// Appends `text` with every `quote` doubled.
void AppendDoubling(std::string* out, std::string_view text, char quote) {
  // Appends the runs between quote characters whole: values are mostly
  // free of them, and this runs for every value of every row.
  std::size_t start = 0;
  for (std::size_t at = text.find(quote); at != std::string_view::npos;
       at = text.find(quote, start)) {
    out->append(text.substr(start, at + 1 - start));
    out->push_back(quote);
    start = at + 1;
  }
  out->append(text.substr(start));
}

// Appends `text` between `open` and `close`, every `close` inside doubled.
void AppendEnclosed(std::string* out, std::string_view text, char open, char close) {
  out->push_back(open);
  AppendDoubling(out, text, close);
  out->push_back(close);
}

std::string Enclosed(std::string_view text, char open, char close) {
  std::string out;
  out.reserve(text.size() + 2);
  AppendEnclosed(&out, text, open, close);
  return out;
}

bool Contains(std::string_view text, std::string_view fragment) {
  return text.find(fragment) != std::string_view::npos;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// True for "-12", "12.5", "1e+20", "-1.5E-7": a number a SQL database reads
// as a numeric literal. Anything else must be quoted.
bool IsPlainNumber(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && text[i] == '-') ++i;
  std::size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    std::size_t fraction = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++fraction;
    if (fraction == 0) return false;
  }
  if (digits == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t exponent = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++exponent;
    if (exponent == 0) return false;
  }
  return i == text.size();
}

bool IsNumberKind(ado::Value::Kind kind) {
  return kind == ado::Value::Kind::kInt || kind == ado::Value::Kind::kDecimal ||
         kind == ado::Value::Kind::kDouble || kind == ado::Value::Kind::kCurrency;
}

}  // namespace

std::string DoubleQuoted(std::string_view name) { return Enclosed(name, '"', '"'); }

std::string BackQuoted(std::string_view name) { return Enclosed(name, '`', '`'); }

std::string Bracketed(std::string_view name) { return Enclosed(name, '[', ']'); }

std::string Quoted(std::string_view text) { return Enclosed(text, '\'', '\''); }

void DropLast(std::string* text, std::size_t count) {
  text->resize(text->size() > count ? text->size() - count : 0);
}

// ---- FoxPro to SQL ----

SqlColumnType SqlColumnTypeFor(std::string_view lower_type_name) {
  for (const SqlColumnTest& test : kSqlColumnTests) {
    if (Contains(lower_type_name, test.fragment)) return test.type;
  }
  return SqlColumnType::kText;
}

std::string SqlDropStatement(std::string_view table) {
  return "DROP TABLE " + DoubleQuoted(table);
}

std::string FoxproSelectStatement(std::string_view table) {
  return "SELECT * FROM " + Bracketed(table);
}

std::string SqlCreateHead(std::string_view table) {
  return "CREATE TABLE " + DoubleQuoted(table) + "(";
}

void AppendSqlColumn(std::string* statement, std::string_view column, SqlColumnType type,
                     const ado::Dialect& dialect) {
  AppendEnclosed(statement, column, '"', '"');
  switch (type) {
    case SqlColumnType::kText: *statement += dialect.TextColumnType(); break;
    case SqlColumnType::kNumeric: *statement += dialect.NumericColumnType(); break;
    case SqlColumnType::kBit: *statement += dialect.BitColumnType(); break;
  }
  *statement += ',';
}

void FinishSqlCreate(std::string* statement) {
  DropLast(statement, 1);
  *statement += ")";
}

std::string SqlInsertHead(std::string_view table) {
  return "INSERT INTO " + DoubleQuoted(table) + " VALUES(";
}

void AppendSqlNull(std::string* statement) { *statement += "NULL, "; }

bool SqlBarePiece(const ado::Value& value, std::string_view text, SqlColumnType type,
                  const ado::Dialect& dialect, std::string_view* bare) {
  if (type == SqlColumnType::kNumeric) {
    if (!IsNumberKind(value.kind()) || !IsPlainNumber(text)) return false;
    *bare = text;
    return true;
  }
  // Only a logical value in a column made from a logical field becomes a
  // bit; text that happens to read True or False stays text.
  if (type != SqlColumnType::kBit || value.kind() != ado::Value::Kind::kBool) return false;
  *bare = dialect.BitLiteral(value.AsBool());
  return true;
}

SqlPieceForm SqlValuePiece(const ado::Value& value, std::string_view text, SqlColumnType type,
                           const ado::Dialect& dialect, std::string_view* piece_text) {
  if (text.empty()) return SqlPieceForm::kNull;
  if (SqlBarePiece(value, text, type, dialect, piece_text)) return SqlPieceForm::kBare;
  *piece_text = text;
  return SqlPieceForm::kLiteral;
}

void AppendSqlPiece(std::string* statement, SqlPieceForm form, std::string_view piece_text,
                    const ado::Dialect& dialect) {
  switch (form) {
    case SqlPieceForm::kNull:
      AppendSqlNull(statement);
      return;
    case SqlPieceForm::kBare:
      *statement += piece_text;
      break;
    case SqlPieceForm::kLiteral:
      dialect.AppendStringLiteral(statement, piece_text);
      break;
  }
  *statement += ", ";
}

bool SqlPieceLoaderValue(SqlPieceForm form, std::string_view piece_text,
                         const ado::Dialect& dialect, std::string* scratch, std::string_view* out) {
  switch (form) {
    case SqlPieceForm::kNull:
      return false;
    case SqlPieceForm::kLiteral:
      // A quoted literal carries the text itself.
      *out = piece_text;
      return true;
    case SqlPieceForm::kBare:
      break;
  }
  // A bare piece (a number, or a bit literal that may itself be quoted)
  // reads as SqlPieceValue reads it.
  SqlPieceValue(piece_text, dialect, scratch);
  *out = *scratch;
  return true;
}

void AppendSqlNumber(std::string* statement, const ado::Value& value, std::string_view text,
                     const ado::Dialect& dialect) {
  std::string_view bare;
  if (SqlBarePiece(value, text, SqlColumnType::kNumeric, dialect, &bare)) {
    *statement += bare;
  } else {
    dialect.AppendStringLiteral(statement, text);
  }
  *statement += ", ";
}

void AppendSqlText(std::string* statement, const ado::Value& value, std::string_view text,
                   SqlColumnType type, const ado::Dialect& dialect) {
  std::string_view bare;
  if (type != SqlColumnType::kNumeric && SqlBarePiece(value, text, type, dialect, &bare)) {
    *statement += bare;
  } else {
    dialect.AppendStringLiteral(statement, text);
  }
  *statement += ", ";
}

void AppendSqlValue(std::string* statement, const ado::Value& value, SqlColumnType type,
                    const ado::Dialect& dialect) {
  std::string scratch;
  const std::string_view text = value.TextView(&scratch);
  if (text.empty()) {
    AppendSqlNull(statement);
  } else if (type == SqlColumnType::kNumeric) {
    AppendSqlNumber(statement, value, text, dialect);
  } else {
    AppendSqlText(statement, value, text, type, dialect);
  }
}

void FinishSqlInsert(std::string* statement) {
  DropLast(statement, 2);
  *statement += ")";
}

bool SqlPieceValue(std::string_view piece, const ado::Dialect& dialect, std::string* text) {
  text->clear();
  if (piece == "NULL") return false;
  if (piece.size() < 2 || piece.front() != '\'' || piece.back() != '\'') {
    text->append(piece);
    return true;
  }
  const std::string_view inner = piece.substr(1, piece.size() - 2);
  for (std::size_t i = 0; i < inner.size(); ++i) {
    const char c = inner[i];
    text->push_back(c);
    // The literal holds every apostrophe (and escaped backslash) twice.
    const bool doubled = c == '\'' || (c == '\\' && dialect.backslash_escapes());
    if (doubled && i + 1 < inner.size() && inner[i + 1] == c) ++i;
  }
  return true;
}

// ---- SQL to FoxPro ----

FoxproColumnType FoxproColumnTypeFor(std::string_view lower_type_name) {
  for (const FoxproColumnTest& test : kFoxproColumnTests) {
    if (Contains(lower_type_name, test.fragment)) return test.type;
  }
  return FoxproColumnType::kMemo;
}

std::string FoxproColumnName(std::string_view field_name) {
  std::string name(field_name);
  for (char& c : name) {
    if (c == ' ' || c == '/') c = '_';
  }
  return name;
}

std::string FoxproDropStatement(std::string_view table) {
  return "DROP TABLE " + Bracketed(table);
}

std::string SqlSelectStatement(std::string_view table) {
  return "SELECT * FROM " + DoubleQuoted(table);
}

std::string FoxproCreateHead(std::string_view table) {
  return "CREATE TABLE " + DoubleQuoted(table) + "(";
}

void AppendFoxproColumn(std::string* statement, std::string_view column, FoxproColumnType type) {
  *statement += DoubleQuoted(column);
  *statement += type == FoxproColumnType::kBlob ? " BLOB," : " M,";
}

void FinishFoxproCreate(std::string* statement) {
  DropLast(statement, 1);
  *statement += ");";
}

std::string FoxproInsertHead(std::string_view table) {
  return "INSERT INTO " + DoubleQuoted(table) + " VALUES('";
}

void AppendFoxproValue(std::string* statement, std::string_view value_text) {
  if (value_text.empty()) {
    DropLast(statement, 1);  // the apostrophe opened for this value
    *statement += "NULL, '";
    return;
  }
  AppendDoubling(statement, value_text, '\'');
  *statement += "', '";
}

void CloseFoxproQuote(std::string* statement) { DropLast(statement, 1); }

void AppendFoxproBare(std::string* statement, std::string_view bare) {
  *statement += bare;
  *statement += ", '";
}

bool IsFoxproBinaryLiteral(FoxproColumnType type, const ado::Value& value) {
  return type == FoxproColumnType::kBlob && value.kind() == ado::Value::Kind::kBytes &&
         !value.AsBytes().empty();
}

void AppendFoxproBinaryLiteral(std::string* out, std::string_view value_text) {
  // The text form is "0x" and the digits; FoxPro's literal is "0h" and the
  // same digits.
  *out += "0h";
  *out += value_text.substr(value_text.size() >= 2 ? 2 : value_text.size());
}

void FinishFoxproInsert(std::string* statement) {
  DropLast(statement, 3);
  *statement += ")";
}

// ---- Deleting and renaming ----

std::string FoxproDeleteStatement(std::string_view table) {
  return "DROP TABLE " + BackQuoted(table);
}

std::string SqlRenameStatement(std::string_view old_name, std::string_view new_name,
                               const ado::Dialect& dialect) {
  const bool sql_anywhere = dialect.family() == ado::Dialect::Family::kSqlAnywhere;
  std::string statement = "ALTER TABLE " + DoubleQuoted(old_name) +
                          (sql_anywhere ? " RENAME " : " RENAME TO ") + DoubleQuoted(new_name);
  if (sql_anywhere) statement += ';';
  return statement;
}

}  // namespace transfer
