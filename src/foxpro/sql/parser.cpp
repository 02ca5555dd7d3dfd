// Parses the few statement forms the program sends: a tokenizer over the
// statement bytes (names quoted with "", [] or `` and doubled closing
// characters, '...' texts with '' and line breaks, 0h binary literals) and one
// function per verb.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "foxpro/sql/statement.h"

namespace foxpro::sql {
namespace {

constexpr char kSyntaxError[] = "Syntax error.";
constexpr char kUnrecognized[] = "Command contains unrecognized phrase/keyword.";

struct Token {
  enum class Kind { kEnd, kWord, kQuotedName, kString, kNumber, kLogical, kBinary, kPunct };
  Kind kind = Kind::kEnd;
  // word as written, name/string unquoted, number as written, binary as its
  // bytes, punctuation
  std::string text;
  bool logical = false;
};

bool IsWordByte(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
         c >= 0x80;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The value of hexadecimal digit `c`, or -1.
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// True when `text` in upper case is `upper` (ASCII letters only).
bool EqualsUpper(std::string_view text, std::string_view upper) {
  if (text.size() != upper.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != upper[i]) return false;
  }
  return true;
}

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

class Lexer {
 public:
  explicit Lexer(std::string_view sql) : sql_(sql) {}

  // Reads the next token into *token.
  Status Next(Token* token) {
    SkipBlanks();
    // Reset the token but keep its text's buffer for the next token.
    token->kind = Token::Kind::kEnd;
    token->text.clear();
    token->logical = false;
    if (pos_ >= sql_.size()) return Status::Ok();
    char c = sql_[pos_];
    if (c == '"' || c == '[' || c == '`')
      return Quoted(c == '[' ? ']' : c, Token::Kind::kQuotedName, token);
    if (c == '\'') return Quoted('\'', Token::Kind::kString, token);
    if (c == '.' && LogicalAhead(token)) return Status::Ok();
    if (c == '0' && pos_ + 1 < sql_.size() && (sql_[pos_ + 1] == 'h' || sql_[pos_ + 1] == 'H')) {
      return Binary(token);
    }
    if (IsDigit(c) || ((c == '-' || c == '+' || c == '.') && NumberAhead())) return Number(token);
    if (IsWordByte(static_cast<unsigned char>(c))) {
      std::size_t start = pos_;
      while (pos_ < sql_.size() && IsWordByte(static_cast<unsigned char>(sql_[pos_]))) ++pos_;
      token->kind = Token::Kind::kWord;
      token->text.assign(sql_.substr(start, pos_ - start));
      return Status::Ok();
    }
    if (std::strchr("(),;*", c) != nullptr && c != '\0') {
      token->kind = Token::Kind::kPunct;
      token->text.assign(1, c);
      ++pos_;
      return Status::Ok();
    }
    return Status::InvalidArgument(kSyntaxError);
  }

 private:
  static bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
  }

  void SkipBlanks() {
    while (pos_ < sql_.size() && IsBlank(sql_[pos_])) ++pos_;
  }

  // A quoted name or text; the closing character doubled stands for itself.
  // Copies the runs between closing characters whole: a copy sends long
  // texts one statement per row.
  Status Quoted(char close, Token::Kind kind, Token* token) {
    ++pos_;
    token->kind = kind;
    for (;;) {
      const std::size_t end = sql_.find(close, pos_);
      if (end == std::string_view::npos) break;
      token->text.append(sql_.substr(pos_, end - pos_));
      pos_ = end + 1;
      if (pos_ < sql_.size() && sql_[pos_] == close) {
        token->text.push_back(close);
        ++pos_;
        continue;
      }
      return Status::Ok();
    }
    pos_ = sql_.size();
    return Status::InvalidArgument(kind == Token::Kind::kString
                                       ? "Syntax error: a text literal is not closed with '."
                                       : "Syntax error: a quoted name is not closed.");
  }

  bool LogicalAhead(Token* token) {
    if (pos_ + 2 >= sql_.size() || sql_[pos_ + 2] != '.') return false;
    char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(sql_[pos_ + 1])));
    if (std::strchr("TFYN", letter) == nullptr || letter == '\0') return false;
    token->kind = Token::Kind::kLogical;
    token->logical = letter == 'T' || letter == 'Y';
    token->text = std::string(sql_.substr(pos_, 3));
    pos_ += 3;
    return true;
  }

  bool NumberAhead() const {
    std::size_t p = pos_ + 1;
    if (sql_[pos_] != '.' && p < sql_.size() && sql_[p] == '.') ++p;
    return p < sql_.size() && IsDigit(sql_[p]);
  }

  Status Number(Token* token) {
    std::size_t start = pos_;
    if (sql_[pos_] == '-' || sql_[pos_] == '+') ++pos_;
    while (pos_ < sql_.size() && IsDigit(sql_[pos_])) ++pos_;
    if (pos_ < sql_.size() && sql_[pos_] == '.') {
      ++pos_;
      while (pos_ < sql_.size() && IsDigit(sql_[pos_])) ++pos_;
    }
    if (pos_ < sql_.size() && (sql_[pos_] == 'e' || sql_[pos_] == 'E')) {
      std::size_t mark = pos_++;
      if (pos_ < sql_.size() && (sql_[pos_] == '-' || sql_[pos_] == '+')) ++pos_;
      if (pos_ >= sql_.size() || !IsDigit(sql_[pos_])) {
        pos_ = mark;
      } else {
        while (pos_ < sql_.size() && IsDigit(sql_[pos_])) ++pos_;
      }
    }
    token->kind = Token::Kind::kNumber;
    token->text = std::string(sql_.substr(start, pos_ - start));
    if (pos_ < sql_.size() && IsWordByte(static_cast<unsigned char>(sql_[pos_]))) {
      return Status::InvalidArgument(kSyntaxError);
    }
    return Status::Ok();
  }

  // A binary literal: 0h followed by pairs of hexadecimal digits, read into
  // the bytes they stand for; 0h alone is the empty binary value.
  Status Binary(Token* token) {
    const std::size_t start = pos_;
    pos_ += 2;
    while (pos_ < sql_.size() && IsWordByte(static_cast<unsigned char>(sql_[pos_]))) ++pos_;
    const std::string_view digits = sql_.substr(start + 2, pos_ - start - 2);
    std::string shown(sql_.substr(start, std::min<std::size_t>(pos_ - start, 40)));
    if (pos_ - start > 40) shown += "...";
    for (char d : digits) {
      if (HexValue(d) < 0) {
        return Status::InvalidArgument("Syntax error: the binary literal " + shown +
                                       " holds a character that is not a hexadecimal digit.");
      }
    }
    if (digits.size() % 2 != 0) {
      return Status::InvalidArgument("Syntax error: the binary literal " + shown + " has " +
                                     std::to_string(digits.size()) +
                                     " hexadecimal digits; each byte takes two.");
    }
    token->kind = Token::Kind::kBinary;
    token->text.resize(digits.size() / 2);
    for (std::size_t i = 0; i < token->text.size(); ++i) {
      token->text[i] =
          static_cast<char>(HexValue(digits[2 * i]) * 16 + HexValue(digits[2 * i + 1]));
    }
    return Status::Ok();
  }

  std::string_view sql_;
  std::size_t pos_ = 0;
};

// A statement's tokens with one token of look-ahead.
class Parser {
 public:
  explicit Parser(std::string_view sql) : lexer_(sql) {}

  Status Start() { return Advance(); }
  const Token& current() const { return current_; }

  Status Advance() { return lexer_.Next(&current_); }

  bool IsWord(const char* word) const {
    return current_.kind == Token::Kind::kWord && EqualsUpper(current_.text, word);
  }
  // The current token's text, taken: the token is read again by Advance().
  std::string TakeText() { return std::move(current_.text); }
  bool IsPunct(char c) const {
    return current_.kind == Token::Kind::kPunct && current_.text[0] == c;
  }

  Status ExpectWord(const char* word) {
    if (!IsWord(word)) return Status::InvalidArgument(kSyntaxError);
    return Advance();
  }
  Status ExpectPunct(char c) {
    if (!IsPunct(c)) return Status::InvalidArgument(c == ')' ? "Missing ')'." : kSyntaxError);
    return Advance();
  }

  // A name: bare word or quoted in "", [] or ``.
  Status Name(std::string* name) {
    if (current_.kind != Token::Kind::kWord && current_.kind != Token::Kind::kQuotedName) {
      return Status::InvalidArgument(kSyntaxError);
    }
    *name = current_.text;
    return Advance();
  }

  // Accepts an optional ";" and then requires the end.
  Status Finish() {
    if (IsPunct(';')) FOXPRO_RETURN_IF_ERROR(Advance());
    if (current_.kind != Token::Kind::kEnd) return Status::InvalidArgument(kUnrecognized);
    return Status::Ok();
  }

 private:
  Lexer lexer_;
  Token current_;
};

Status ParseSelect(Parser* p, Statement* s) {
  s->kind = Statement::Kind::kSelect;
  if (p->IsPunct('*')) {
    FOXPRO_RETURN_IF_ERROR(p->Advance());
  } else {
    while (true) {
      std::string column;
      FOXPRO_RETURN_IF_ERROR(p->Name(&column));
      s->columns.push_back(column);
      if (!p->IsPunct(',')) break;
      FOXPRO_RETURN_IF_ERROR(p->Advance());
    }
  }
  FOXPRO_RETURN_IF_ERROR(p->ExpectWord("FROM"));
  FOXPRO_RETURN_IF_ERROR(p->Name(&s->table));
  return p->Finish();
}

struct TypeName {
  const char* name;
  char letter;
};

constexpr TypeName kTypeNames[] = {
    {"C", 'C'},    {"CHAR", 'C'},      {"CHARACTER", 'C'}, {"V", 'V'},        {"VARCHAR", 'V'},
    {"Q", 'Q'},    {"VARBINARY", 'Q'}, {"N", 'N'},         {"NUMERIC", 'N'},  {"DECIMAL", 'N'},
    {"F", 'F'},    {"FLOAT", 'F'},     {"I", 'I'},         {"INT", 'I'},      {"INTEGER", 'I'},
    {"B", 'B'},    {"DOUBLE", 'B'},    {"Y", 'Y'},         {"CURRENCY", 'Y'}, {"D", 'D'},
    {"DATE", 'D'}, {"T", 'T'},         {"DATETIME", 'T'},  {"L", 'L'},        {"LOGICAL", 'L'},
    {"M", 'M'},    {"MEMO", 'M'},      {"G", 'G'},         {"GENERAL", 'G'},  {"W", 'W'},
    {"BLOB", 'W'},
};

Status ParseSize(Parser* p, ColumnDef* column) {
  bool sized = std::strchr("CVQNF", column->type) != nullptr || column->type == 'B';
  if (!p->IsPunct('(')) {
    if (column->type == 'C' || column->type == 'V' || column->type == 'Q') {
      return Status::InvalidArgument("Field " + column->name + ": the type needs a width.");
    }
    if (column->type == 'N' || column->type == 'F') column->width = 10;
    return Status::Ok();
  }
  if (!sized) return Status::InvalidArgument(kSyntaxError);
  FOXPRO_RETURN_IF_ERROR(p->Advance());
  auto number = [p](int* out) {
    const Token& t = p->current();
    if (t.kind != Token::Kind::kNumber || t.text.size() > 3 ||
        t.text.find_first_not_of("0123456789") != std::string::npos) {
      return Status::InvalidArgument("Field width or decimal places invalid.");
    }
    *out = std::stoi(t.text);
    return p->Advance();
  };
  int first = 0;
  FOXPRO_RETURN_IF_ERROR(number(&first));
  if (column->type == 'B') {
    column->decimals = first;
  } else {
    column->width = first;
  }
  if (p->IsPunct(',')) {
    FOXPRO_RETURN_IF_ERROR(p->Advance());
    if (column->type != 'N' && column->type != 'F') return Status::InvalidArgument(kSyntaxError);
    FOXPRO_RETURN_IF_ERROR(number(&column->decimals));
  }
  return p->ExpectPunct(')');
}

Status ParseColumn(Parser* p, ColumnDef* column) {
  FOXPRO_RETURN_IF_ERROR(p->Name(&column->name));
  if (p->current().kind != Token::Kind::kWord) return Status::InvalidArgument(kSyntaxError);
  std::string type = Upper(p->current().text);
  column->type = '\0';
  for (const TypeName& entry : kTypeNames) {
    if (type == entry.name) column->type = entry.letter;
  }
  if (column->type == '\0') {
    return Status::InvalidArgument("Field " + column->name + ": unknown type '" +
                                   p->current().text + "'.");
  }
  FOXPRO_RETURN_IF_ERROR(p->Advance());
  FOXPRO_RETURN_IF_ERROR(ParseSize(p, column));
  while (p->current().kind == Token::Kind::kWord) {
    if (p->IsWord("NULL")) {
      column->nullable = true;
    } else if (p->IsWord("NOT")) {
      FOXPRO_RETURN_IF_ERROR(p->Advance());
      if (!p->IsWord("NULL")) return Status::InvalidArgument(kSyntaxError);
      column->nullable = false;
    } else if (p->IsWord("NOCPTRANS")) {
      column->binary = true;
    } else {
      return Status::InvalidArgument(kUnrecognized);
    }
    FOXPRO_RETURN_IF_ERROR(p->Advance());
  }
  return Status::Ok();
}

Status ParseCreate(Parser* p, Statement* s) {
  s->kind = Statement::Kind::kCreateTable;
  FOXPRO_RETURN_IF_ERROR(p->ExpectWord("TABLE"));
  FOXPRO_RETURN_IF_ERROR(p->Name(&s->table));
  if (p->IsWord("FREE")) FOXPRO_RETURN_IF_ERROR(p->Advance());
  FOXPRO_RETURN_IF_ERROR(p->ExpectPunct('('));
  while (true) {
    ColumnDef column;
    FOXPRO_RETURN_IF_ERROR(ParseColumn(p, &column));
    s->definitions.push_back(std::move(column));
    if (!p->IsPunct(',')) break;
    FOXPRO_RETURN_IF_ERROR(p->Advance());
  }
  FOXPRO_RETURN_IF_ERROR(p->ExpectPunct(')'));
  return p->Finish();
}

Status ParseLiteral(Parser* p, Literal* literal) {
  const Token& t = p->current();
  switch (t.kind) {
    case Token::Kind::kString:
      literal->kind = Literal::Kind::kString;
      break;
    case Token::Kind::kNumber:
      literal->kind = Literal::Kind::kNumber;
      break;
    case Token::Kind::kBinary:
      literal->kind = Literal::Kind::kBinary;
      break;
    case Token::Kind::kLogical:
      literal->kind = Literal::Kind::kLogical;
      literal->logical = t.logical;
      break;
    case Token::Kind::kWord: {
      if (EqualsUpper(t.text, "NULL")) {
        literal->kind = Literal::Kind::kNull;
      } else if (EqualsUpper(t.text, "TRUE") || EqualsUpper(t.text, "FALSE")) {
        literal->kind = Literal::Kind::kLogical;
        literal->logical = EqualsUpper(t.text, "TRUE");
      } else {
        return Status::InvalidArgument("Variable '" + t.text + "' is not found.");
      }
      break;
    }
    default:
      return Status::InvalidArgument(kSyntaxError);
  }
  literal->text = p->TakeText();
  return p->Advance();
}

Status ParseInsert(Parser* p, Statement* s) {
  s->kind = Statement::Kind::kInsert;
  FOXPRO_RETURN_IF_ERROR(p->ExpectWord("INTO"));
  FOXPRO_RETURN_IF_ERROR(p->Name(&s->table));
  if (p->IsPunct('(')) {
    FOXPRO_RETURN_IF_ERROR(p->Advance());
    while (true) {
      std::string column;
      FOXPRO_RETURN_IF_ERROR(p->Name(&column));
      s->columns.push_back(column);
      if (!p->IsPunct(',')) break;
      FOXPRO_RETURN_IF_ERROR(p->Advance());
    }
    FOXPRO_RETURN_IF_ERROR(p->ExpectPunct(')'));
  }
  FOXPRO_RETURN_IF_ERROR(p->ExpectWord("VALUES"));
  FOXPRO_RETURN_IF_ERROR(p->ExpectPunct('('));
  while (true) {
    Literal literal;
    FOXPRO_RETURN_IF_ERROR(ParseLiteral(p, &literal));
    s->values.push_back(std::move(literal));
    if (!p->IsPunct(',')) break;
    FOXPRO_RETURN_IF_ERROR(p->Advance());
  }
  FOXPRO_RETURN_IF_ERROR(p->ExpectPunct(')'));
  return p->Finish();
}

Status ParseDrop(Parser* p, Statement* s) {
  s->kind = Statement::Kind::kDropTable;
  FOXPRO_RETURN_IF_ERROR(p->ExpectWord("TABLE"));
  FOXPRO_RETURN_IF_ERROR(p->Name(&s->table));
  return p->Finish();
}

}  // namespace

Result<Statement> Parse(std::string_view sql) {
  Parser parser(sql);
  FOXPRO_RETURN_IF_ERROR(parser.Start());
  Statement statement;
  Status status;
  if (parser.current().kind != Token::Kind::kWord) {
    return Status::InvalidArgument(
        parser.current().kind == Token::Kind::kEnd ? kSyntaxError : "Unrecognized command verb.");
  }
  std::string verb = Upper(parser.current().text);
  FOXPRO_RETURN_IF_ERROR(parser.Advance());
  if (verb == "SELECT") {
    status = ParseSelect(&parser, &statement);
  } else if (verb == "CREATE") {
    status = ParseCreate(&parser, &statement);
  } else if (verb == "INSERT") {
    status = ParseInsert(&parser, &statement);
  } else if (verb == "DROP") {
    status = ParseDrop(&parser, &statement);
  } else {
    return Status::InvalidArgument("Unrecognized command verb.");
  }
  if (!status.ok()) return status;
  return statement;
}

}  // namespace foxpro::sql
