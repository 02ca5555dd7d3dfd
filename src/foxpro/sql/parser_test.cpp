// The statement forms the program sends, and FoxPro's messages for others.
#include <gtest/gtest.h>

#include <string>

#include "foxpro/sql/statement.h"

namespace foxpro::sql {
namespace {

struct NameCase {
  const char* sql;
  const char* table;
};

TEST(Parser, TableNamesInEveryQuoting) {
  const NameCase cases[] = {
      {"SELECT * FROM [orders]", "orders"},
      {"SELECT * FROM \"orders\"", "orders"},
      {"SELECT * FROM `orders`", "orders"},
      {"select * from orders;", "orders"},
      {"SELECT * FROM [order details]", "order details"},
      {"SELECT * FROM [a]]b]", "a]b"},
      {"SELECT * FROM \"a\"\"b\"", "a\"b"},
      {"SELECT * FROM `a``b`", "a`b"},
      {"DROP TABLE `x y`", "x y"},
      {"DROP TABLE [x]", "x"},
      {"drop table \"x\"", "x"},
      {"SELECT * FROM [Müller]", "Müller"},
  };
  for (const NameCase& c : cases) {
    auto statement = Parse(c.sql);
    ASSERT_TRUE(statement.ok()) << c.sql << ": " << statement.status().ToString();
    EXPECT_EQ(statement->table, c.table) << c.sql;
  }
}

TEST(Parser, CreateTableAsTheProgramSendsIt) {
  auto s =
      Parse("CREATE TABLE \"orders\"(\"id\" M,\"unit_price\" M,\"amount_net\" M,\"photo\" BLOB);");
  ASSERT_TRUE(s.ok()) << s.status().ToString();
  EXPECT_EQ(s->kind, Statement::Kind::kCreateTable);
  ASSERT_EQ(s->definitions.size(), 4u);
  EXPECT_EQ(s->definitions[1].name, "unit_price");
  EXPECT_EQ(s->definitions[1].type, 'M');
  EXPECT_TRUE(s->definitions[1].nullable);
  EXPECT_EQ(s->definitions[3].type, 'W');
}

struct TypeCase {
  const char* definition;
  char type;
  int width;
  int decimals;
  bool nullable;
};

TEST(Parser, ColumnTypesByLetterAndName) {
  const TypeCase cases[] = {
      {"C(10)", 'C', 10, 0, true},
      {"CHAR(3) NOT NULL", 'C', 3, 0, false},
      {"V(254) NULL", 'V', 254, 0, true},
      {"VARCHAR(5)", 'V', 5, 0, true},
      {"Q(7)", 'Q', 7, 0, true},
      {"VARBINARY(7)", 'Q', 7, 0, true},
      {"N(10,2)", 'N', 10, 2, true},
      {"NUMERIC(20)", 'N', 20, 0, true},
      {"N", 'N', 10, 0, true},
      {"F(12,4)", 'F', 12, 4, true},
      {"FLOAT(8,1)", 'F', 8, 1, true},
      {"I", 'I', 0, 0, true},
      {"INTEGER NOT NULL", 'I', 0, 0, false},
      {"B", 'B', 0, 0, true},
      {"DOUBLE(4)", 'B', 0, 4, true},
      {"Y", 'Y', 0, 0, true},
      {"CURRENCY", 'Y', 0, 0, true},
      {"D", 'D', 0, 0, true},
      {"DATE", 'D', 0, 0, true},
      {"T", 'T', 0, 0, true},
      {"DATETIME", 'T', 0, 0, true},
      {"L", 'L', 0, 0, true},
      {"LOGICAL", 'L', 0, 0, true},
      {"M", 'M', 0, 0, true},
      {"MEMO NOT NULL", 'M', 0, 0, false},
      {"G", 'G', 0, 0, true},
      {"GENERAL", 'G', 0, 0, true},
      {"W", 'W', 0, 0, true},
      {"blob", 'W', 0, 0, true},
  };
  for (const TypeCase& c : cases) {
    std::string sql = std::string("CREATE TABLE t (a ") + c.definition + ")";
    auto s = Parse(sql);
    ASSERT_TRUE(s.ok()) << sql << ": " << s.status().ToString();
    const ColumnDef& d = s->definitions[0];
    EXPECT_EQ(d.type, c.type) << sql;
    EXPECT_EQ(d.width, c.width) << sql;
    EXPECT_EQ(d.decimals, c.decimals) << sql;
    EXPECT_EQ(d.nullable, c.nullable) << sql;
  }
}

TEST(Parser, InsertLiterals) {
  auto s = Parse(
      "INSERT INTO \"orders\" VALUES('7', 'O''Hara    ', NULL, 12.5, -3, .T., .f., True, "
      "false, 'line1\r\nline2', '', '''', 'end''')");
  ASSERT_TRUE(s.ok()) << s.status().ToString();
  ASSERT_EQ(s->values.size(), 13u);
  EXPECT_EQ(s->values[11].text, "'");
  EXPECT_EQ(s->values[12].text, "end'");
  EXPECT_EQ(s->values[0].kind, Literal::Kind::kString);
  EXPECT_EQ(s->values[1].text, "O'Hara    ");
  EXPECT_EQ(s->values[2].kind, Literal::Kind::kNull);
  EXPECT_EQ(s->values[3].kind, Literal::Kind::kNumber);
  EXPECT_EQ(s->values[3].text, "12.5");
  EXPECT_EQ(s->values[4].text, "-3");
  EXPECT_TRUE(s->values[5].logical);
  EXPECT_FALSE(s->values[6].logical);
  EXPECT_TRUE(s->values[7].logical);
  EXPECT_FALSE(s->values[8].logical);
  EXPECT_EQ(s->values[9].text, "line1\r\nline2");
  EXPECT_EQ(s->values[10].kind, Literal::Kind::kString);
  EXPECT_EQ(s->values[10].text, "");
}

// Binary literals: 0h and pairs of hex digits in either case, read into
// their bytes; anything else after 0h is refused with the literal named.
TEST(Parser, BinaryLiterals) {
  std::string every_byte, every_hex;
  for (int b = 0; b < 256; ++b) {
    every_byte.push_back(static_cast<char>(b));
    static const char kHex[] = "0123456789abcdef";
    every_hex += kHex[b >> 4];
    every_hex += kHex[b & 15];
  }
  struct Case {
    std::string literal;
    std::string bytes;  // expected bytes when `error` is empty
    std::string error;  // part of the message
  } cases[] = {
      {"0h00FF41",
       std::string("\0\xff"
                   "A",
                   3),
       ""},
      {"0H0aFf", "\x0a\xff", ""},
      {"0h", "", ""},
      {"0h" + every_hex, every_byte, ""},
      {"0h123", "", "0h123 has 3 hexadecimal digits"},
      {"0h1", "", "has 1 hexadecimal digits"},
      {"0h12G4", "", "0h12G4 holds a character that is not a hexadecimal digit"},
      {"0hx", "", "not a hexadecimal digit"},
      {"0h\xC3\xA4", "", "not a hexadecimal digit"},
      {"0h12 34", "", "Missing ')'"},
      {"0h12.5", "", "Missing ')'"},
  };
  for (const Case& c : cases) {
    const std::string sql = "INSERT INTO t VALUES(" + c.literal + ", 1)";
    auto s = Parse(sql);
    if (!c.error.empty()) {
      ASSERT_FALSE(s.ok()) << c.literal;
      EXPECT_NE(s.status().message().find(c.error), std::string::npos) << s.status().message();
      continue;
    }
    ASSERT_TRUE(s.ok()) << c.literal << ": " << s.status().ToString();
    ASSERT_EQ(s->values.size(), 2u) << c.literal;
    EXPECT_EQ(s->values[0].kind, Literal::Kind::kBinary) << c.literal;
    EXPECT_TRUE(s->values[0].text == c.bytes) << c.literal;
    EXPECT_EQ(s->values[1].kind, Literal::Kind::kNumber) << c.literal;
  }
  // A long literal is named by its start only.
  auto long_one = Parse("INSERT INTO t VALUES(0h" + std::string(1001, 'a') + ")");
  ASSERT_FALSE(long_one.ok());
  EXPECT_LT(long_one.status().message().size(), 200u);
}

TEST(Parser, InsertWithColumnListAndSelectWithColumns) {
  auto insert = Parse("insert into t (a, \"b c\", [d]) values (1, 'x', null)");
  ASSERT_TRUE(insert.ok());
  EXPECT_EQ(insert->columns, (std::vector<std::string>{"a", "b c", "d"}));
  auto select = Parse("SELECT id, [name] FROM t");
  ASSERT_TRUE(select.ok());
  EXPECT_EQ(select->columns, (std::vector<std::string>{"id", "name"}));
}

struct ErrorCase {
  const char* sql;
  const char* message;
};

TEST(Parser, FoxProMessagesForWhatItDoesNotKnow) {
  const ErrorCase cases[] = {
      {"", "Syntax error."},
      {"   ", "Syntax error."},
      {"UPDATE t SET a = 1", "Unrecognized command verb."},
      {"ALTER TABLE \"t\" RENAME \"u\"", "Unrecognized command verb."},
      {"SELECT * FROM t WHERE a = 1", "Command contains unrecognized phrase/keyword."},
      {"DROP TABLE t; DROP TABLE u", "Command contains unrecognized phrase/keyword."},
      {"SELECT * FROM", "Syntax error."},
      {"SELECT * t", "Syntax error."},
      {"INSERT INTO t VALUES('abc", "Syntax error: a text literal is not closed with '."},
      {"INSERT INTO t VALUES('abc''", "Syntax error: a text literal is not closed with '."},
      {"INSERT INTO t VALUES('", "Syntax error: a text literal is not closed with '."},
      {"SELECT * FROM [abc", "Syntax error: a quoted name is not closed."},
      {"CREATE TABLE t (a C(10)", "Missing ')'."},
      {"CREATE TABLE t (a X(10))", "Field a: unknown type 'X'."},
      {"CREATE TABLE t (a C)", "Field a: the type needs a width."},
      {"CREATE TABLE t (a N(1000))", "Field width or decimal places invalid."},
      {"INSERT INTO t VALUES(abc)", "Variable 'abc' is not found."},
      {"CREATE TABLE t (a I(4))", "Syntax error."},
  };
  for (const ErrorCase& c : cases) {
    auto s = Parse(c.sql);
    ASSERT_FALSE(s.ok()) << c.sql;
    EXPECT_EQ(s.status().message(), c.message) << c.sql;
  }
  auto with_nul = Parse(std::string_view("SELECT * FROM t\0x", 17));
  EXPECT_FALSE(with_nul.ok());
}

}  // namespace
}  // namespace foxpro::sql
