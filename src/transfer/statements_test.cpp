// Statement texts of both copies, byte for byte.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "transfer/datatype.h"
#include "transfer/list_helpers.h"
#include "transfer/statements.h"
#include "tests/support/whole_statements.h"

namespace transfer {
namespace {

using V = ado::Value;
constexpr SqlColumnType kText = SqlColumnType::kText;
constexpr SqlColumnType kNumeric = SqlColumnType::kNumeric;
constexpr SqlColumnType kBit = SqlColumnType::kBit;

TEST(FoxproToSqlStatements, BuildTheOrdersExample) {
  EXPECT_EQ(BuildSqlCreate("orders", {{"id", 3}, {"name", 129}, {"paid", 11}, {"total", 131}}),
            "CREATE TABLE \"orders\"(\"id\" NUMERIC,\"name\" TEXT,\"paid\" BIT,\"total\" TEXT)");
  EXPECT_EQ(BuildSqlInsert("orders", {kNumeric, kText, kBit, kText},
                           {V::Int(7), V::Text("O'Hara    "), V::Bool(true), V::Null()}),
            "INSERT INTO \"orders\" VALUES(7, 'O''Hara    ', '1', NULL)");
  EXPECT_EQ(SqlDropStatement("orders"), "DROP TABLE \"orders\"");
  EXPECT_EQ(FoxproSelectStatement("orders"), "SELECT * FROM [orders]");
}

TEST(SqlToFoxproStatements, BuildTheOrdersExample) {
  EXPECT_EQ(BuildFoxproCreate("orders",
                              {{"id", 3}, {"unit price", 129}, {"amount/net", 14}, {"photo", 205}}),
            "CREATE TABLE \"orders\"(\"id\" M,\"unit_price\" M,\"amount_net\" M,\"photo\" BLOB);");
  EXPECT_EQ(BuildFoxproInsert("orders", {V::Int(7), V::Text("O'Hara"), V::Null(), V::Null()}),
            "INSERT INTO \"orders\" VALUES('7', 'O''Hara', NULL, NULL)");
  EXPECT_EQ(FoxproDropStatement("orders"), "DROP TABLE [orders]");
  EXPECT_EQ(SqlSelectStatement("orders"), "SELECT * FROM \"orders\"");
}

TEST(FoxproToSqlStatements, ColumnTypeOfEveryTypeName) {
  for (int code = -1; code <= 300; ++code) {
    const std::string name = AdoTypeName(code);
    SqlColumnType expected = kText;
    if (name == "adBigInt" || name == "adInteger" || name == "adSmallInt" ||
        name == "adTinyInt" || name == "adUnsignedBigInt" || name == "adUnsignedInt" ||
        name == "adUnsignedSmallInt" || name == "adUnsignedTinyInt" || name == "adCurrency") {
      expected = kNumeric;
    } else if (name == "adBoolean") {
      expected = kBit;
    }
    EXPECT_EQ(SqlColumnTypeFor(LowerCase(name)), expected) << code << " " << name;
  }
  EXPECT_EQ(BuildSqlCreate("t", {{"a", 6}, {"b", 5}, {"c", 135}, {"d", 203}, {"e", 999}}),
            "CREATE TABLE \"t\"(\"a\" NUMERIC,\"b\" TEXT,\"c\" TEXT,\"d\" TEXT,\"e\" TEXT)");
}

TEST(SqlToFoxproStatements, ColumnTypeOfEveryTypeName) {
  for (int code = -1; code <= 300; ++code) {
    const std::string name = AdoTypeName(code);
    FoxproColumnType expected =
        name == "adLongVarBinary" ? FoxproColumnType::kBlob : FoxproColumnType::kMemo;
    EXPECT_EQ(FoxproColumnTypeFor(LowerCase(name)), expected) << code << " " << name;
  }
  EXPECT_EQ(BuildFoxproCreate("t", {{"a", 204}, {"b", 205}, {"c", 0}, {"d", 999}}),
            "CREATE TABLE \"t\"(\"a\" M,\"b\" BLOB,\"c\" M,\"d\" M);");
}

TEST(FoxproToSqlStatements, NullAndEmptyInFirstMiddleAndLastColumns) {
  struct Case {
    std::vector<SqlColumnType> types;
    std::vector<V> row;
    const char* expected;
  } cases[] = {
      {{kNumeric, kText, kBit}, {V::Null(), V::Text("x"), V::Bool(false)},
       "INSERT INTO \"t\" VALUES(NULL, 'x', '0')"},
      {{kText, kText, kBit}, {V::Text(""), V::Text("x"), V::Bool(true)},
       "INSERT INTO \"t\" VALUES(NULL, 'x', '1')"},
      {{kBit, kNumeric, kText}, {V::Bool(true), V::Null(), V::Text("x")},
       "INSERT INTO \"t\" VALUES('1', NULL, 'x')"},
      {{kText, kText, kText}, {V::Text("x"), V::Text(""), V::Text("y")},
       "INSERT INTO \"t\" VALUES('x', NULL, 'y')"},
      {{kText, kNumeric, kBit}, {V::Text("x"), V::Int(0), V::Null()},
       "INSERT INTO \"t\" VALUES('x', 0, NULL)"},
      {{kText, kText}, {V::Text("x"), V::Text("")}, "INSERT INTO \"t\" VALUES('x', NULL)"},
      {{kText}, {V::Null()}, "INSERT INTO \"t\" VALUES(NULL)"},
      {{kText, kText}, {V::Null(), V::Null()}, "INSERT INTO \"t\" VALUES(NULL, NULL)"},
  };
  for (const Case& c : cases) EXPECT_EQ(BuildSqlInsert("t", c.types, c.row), c.expected);
}

TEST(SqlToFoxproStatements, NullAndEmptyInFirstMiddleAndLastColumns) {
  struct Case {
    std::vector<V> row;
    const char* expected;
  } cases[] = {
      {{V::Null(), V::Text("x"), V::Int(1)}, "INSERT INTO \"t\" VALUES(NULL, 'x', '1')"},
      {{V::Text(""), V::Text("x")}, "INSERT INTO \"t\" VALUES(NULL, 'x')"},
      {{V::Text("x"), V::Null(), V::Text("y")}, "INSERT INTO \"t\" VALUES('x', NULL, 'y')"},
      {{V::Text("x"), V::Text("")}, "INSERT INTO \"t\" VALUES('x', NULL)"},
      {{V::Null()}, "INSERT INTO \"t\" VALUES(NULL)"},
      {{V::Null(), V::Text("")}, "INSERT INTO \"t\" VALUES(NULL, NULL)"},
      {{V::Text(" ")}, "INSERT INTO \"t\" VALUES(' ')"},
  };
  for (const Case& c : cases) EXPECT_EQ(BuildFoxproInsert("t", c.row), c.expected);
}

TEST(Statements, ApostrophesAreDoubledInQuotedValuesOnly) {
  EXPECT_EQ(BuildSqlInsert("t", {kText, kText}, {V::Text("'"), V::Text("it's ''x''")}),
            "INSERT INTO \"t\" VALUES('''', 'it''s ''''x''''')");
  EXPECT_EQ(BuildFoxproInsert("t", {V::Text("'"), V::Text("it's")}),
            "INSERT INTO \"t\" VALUES('''', 'it''s')");
  EXPECT_EQ(BuildFoxproCreate("it's", {{"o'k", 129}}), "CREATE TABLE \"it's\"(\"o'k\" M);");
}

TEST(Statements, NamesWithQuoteCharactersAreEscaped) {
  EXPECT_EQ(SqlDropStatement("a\"b"), "DROP TABLE \"a\"\"b\"");
  EXPECT_EQ(FoxproSelectStatement("x]; DROP TABLE [y"), "SELECT * FROM [x]]; DROP TABLE [y]");
  EXPECT_EQ(FoxproDropStatement("a]b"), "DROP TABLE [a]]b]");
  EXPECT_EQ(SqlSelectStatement("\"; DROP TABLE x; --"),
            "SELECT * FROM \"\"\"; DROP TABLE x; --\"");
  EXPECT_EQ(BuildSqlCreate("q\"t", {{"c\"1", 3}, {"[c]", 129}}),
            "CREATE TABLE \"q\"\"t\"(\"c\"\"1\" NUMERIC,\"[c]\" TEXT)");
  EXPECT_EQ(BuildFoxproCreate("q\"t", {{"c \"1/", 3}}), "CREATE TABLE \"q\"\"t\"(\"c_\"\"1_\" M);");
  EXPECT_EQ(BuildSqlInsert("q\"t", {kText}, {V::Text("\"")}), "INSERT INTO \"q\"\"t\" VALUES('\"')");
  EXPECT_EQ(BuildFoxproInsert("q\"t", {V::Text("]")}), "INSERT INTO \"q\"\"t\" VALUES(']')");
}

TEST(FoxproToSqlStatements, OnlyLogicalValuesInBitColumnsBecomeBits) {
  struct Case {
    SqlColumnType type;
    V value;
    const char* expected;
  } cases[] = {
      {kBit, V::Bool(true), "'1'"},
      {kBit, V::Bool(false), "'0'"},
      {kText, V::Text("True"), "'True'"},
      {kText, V::Text("False"), "'False'"},
      {kText, V::Text("'True'"), "'''True'''"},
      {kBit, V::Text("True"), "'True'"},
      {kText, V::Bool(true), "'True'"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BuildSqlInsert("t", {c.type}, {c.value}),
              std::string("INSERT INTO \"t\" VALUES(") + c.expected + ")");
  }
}

TEST(FoxproToSqlStatements, NumericColumnsTakeOnlyPlainNumbersBare) {
  struct Case {
    V value;
    const char* expected;
  } cases[] = {
      {V::Int(-42), "-42"},
      {V::Money({125000}), "12.5"},
      {V::Money({-1}), "-0.0001"},
      {V::Dec({"12.5"}), "12.5"},
      {V::Double(1e300), "1e+300"},
      {V::Double(std::numeric_limits<double>::infinity()), "'inf'"},
      {V::Text("1); DROP TABLE x; --"), "'1); DROP TABLE x; --'"},
      {V::Text("7"), "'7'"},
      {V::Bool(true), "'True'"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BuildSqlInsert("t", {kNumeric}, {c.value}),
              std::string("INSERT INTO \"t\" VALUES(") + c.expected + ")");
  }
}

TEST(Statements, ValueTextFormsAreLocaleIndependent) {
  const std::vector<V> row = {V::Dec({"1234.5"}), V::Double(0.1),
                              V::FromDate({2021, 8, 31}),
                              V::FromDateTime({{2021, 8, 31}, 23, 5, 9, 0}),
                              V::FromDateTime({{2021, 8, 31}, 23, 5, 9, 7}), V::Bool(false)};
  EXPECT_EQ(BuildFoxproInsert("t", row),
            "INSERT INTO \"t\" VALUES('1234.5', '0.1', '2021-08-31', '2021-08-31 23:05:09', "
            "'2021-08-31 23:05:09.007', 'False')");
  EXPECT_EQ(BuildSqlInsert("t", {kText, kText, kText, kText, kText, kBit}, row),
            "INSERT INTO \"t\" VALUES('1234.5', '0.1', '2021-08-31', '2021-08-31 23:05:09', "
            "'2021-08-31 23:05:09.007', '0')");
}

TEST(SqlToFoxproStatements, LineBreaksAndOtherBytesAreKept) {
  EXPECT_EQ(BuildFoxproInsert("t", {V::Text("a\r\nb\nc\r"), V::Text("Ж ✓\t")}),
            "INSERT INTO \"t\" VALUES('a\r\nb\nc\r', 'Ж ✓\t')");
  EXPECT_EQ(BuildSqlInsert("t", {kText}, {V::Text("a\r\nb")}), "INSERT INTO \"t\" VALUES('a\r\nb')");
  // A binary value bound for a memo column travels as its "0x" text.
  EXPECT_EQ(BuildFoxproInsert("t", {V::Binary(std::string("\0'\xff", 3))}),
            "INSERT INTO \"t\" VALUES('0x0027FF')");
}

TEST(Statements, ShortStatementsNeverUnderflow) {
  std::string s = "x";
  DropLast(&s, 3);
  EXPECT_EQ(s, "");
  EXPECT_EQ(BuildSqlCreate("t", {}), "CREATE TABLE \"t\")");
  EXPECT_EQ(BuildFoxproCreate("t", {}), "CREATE TABLE \"t\");");
  EXPECT_EQ(BuildFoxproInsert("", {}), "INSERT INTO \"\" VALUE)");
}

}  // namespace
}  // namespace transfer

namespace transfer {
namespace {

// Each database's reading of the same table and row: column types, bit
// literals, and backslashes doubled only where literals take escapes.
TEST(FoxproToSqlStatements, FollowTheDialect) {
  using Family = ado::Dialect::Family;
  const std::vector<SourceColumn> columns = {{"id", 3}, {"name", 129}, {"paid", 11}};
  const std::vector<ado::Value> row = {V::Int(7), V::Text("C:\\new\\ 'x'"), V::Bool(true)};
  struct Case {
    ado::Dialect dialect;
    const char* create;
    const char* insert;
  } cases[] = {
      {ado::Dialect(), "CREATE TABLE \"t\"(\"id\" NUMERIC,\"name\" TEXT,\"paid\" BIT)",
       "INSERT INTO \"t\" VALUES(7, 'C:\\new\\ ''x''', '1')"},
      {ado::Dialect(Family::kMariaDb, true),
       "CREATE TABLE \"t\"(\"id\" DECIMAL(19,4),\"name\" LONGTEXT,\"paid\" BIT)",
       "INSERT INTO \"t\" VALUES(7, 'C:\\\\new\\\\ ''x''', 1)"},
      {ado::Dialect(Family::kMariaDb, false),
       "CREATE TABLE \"t\"(\"id\" DECIMAL(19,4),\"name\" LONGTEXT,\"paid\" BIT)",
       "INSERT INTO \"t\" VALUES(7, 'C:\\new\\ ''x''', 1)"},
      {ado::Dialect(Family::kSqlAnywhere, true),
       "CREATE TABLE \"t\"(\"id\" NUMERIC,\"name\" TEXT,\"paid\" BIT NULL)",
       "INSERT INTO \"t\" VALUES(7, 'C:\\\\new\\\\ ''x''', '1')"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BuildSqlCreate("t", columns, c.dialect), c.create);
    EXPECT_EQ(BuildSqlInsert("t", {kNumeric, kText, kBit}, row, c.dialect), c.insert);
  }
}

// Batch mode reads each value back out of the row's INSERT: for every form
// the Append functions write, in every dialect, the piece gives back the
// text the database stores (bits as 1/0), and NULL gives none.
TEST(FoxproToSqlStatements, PiecesGiveBackTheValueTheyCarry) {
  using Family = ado::Dialect::Family;
  const ado::Dialect dialects[] = {ado::Dialect(), ado::Dialect(Family::kStandard, true),
                                   ado::Dialect(Family::kMariaDb, true),
                                   ado::Dialect(Family::kMariaDb, false)};
  struct Case {
    V value;
    SqlColumnType type;
    const char* stored;  // nullptr: NULL
  } const cases[] = {
      {V::Text("it's \\ a\ttab\r\nline ''"), kText, "it's \\ a\ttab\r\nline ''"},
      {V::Text("\\'"), kText, "\\'"},
      {V::Text("'"), kText, "'"},
      {V::Text(""), kText, nullptr},
      {V::Null(), kText, nullptr},
      {V::Text("NULL"), kText, "NULL"},
      {V::Bool(true), kBit, "1"},
      {V::Bool(false), kBit, "0"},
      {V::Text("True"), kBit, "True"},
      {V::Int(-42), kNumeric, "-42"},
      {V::Text("12a"), kNumeric, "12a"},
      {V::Binary(std::string("\x00\xff", 2)), kText, "0x00FF"},
  };
  for (const ado::Dialect& dialect : dialects) {
    for (const Case& c : cases) {
      SCOPED_TRACE(BuildSqlInsert("t", {c.type}, {c.value}, dialect));
      std::string piece;
      AppendSqlValue(&piece, NullToDefault(c.value, V::Text("")), c.type, dialect);
      DropLast(&piece, 2);
      std::string text = "stale";
      const bool has_value = SqlPieceValue(piece, dialect, &text);
      ASSERT_EQ(has_value, c.stored != nullptr);
      if (has_value) {
        EXPECT_EQ(text, c.stored);
      }
    }
  }
}

// A batch through the bulk loader keeps each value's piece instead of the
// INSERT: for every kind of field value the copies send (C, V, M text; N, F
// decimals and doubles; I, B, Y; D, T; L; G, W, Q bytes; null and empty
// text), in every column type and dialect, the kept piece rebuilds the
// INSERT's piece byte for byte, and the loader gets what SqlPieceValue reads
// back out of that piece.
TEST(FoxproToSqlStatements, KeptPiecesMatchTheInsert) {
  using Family = ado::Dialect::Family;
  const ado::Dialect dialects[] = {
      ado::Dialect(), ado::Dialect(Family::kStandard, true), ado::Dialect(Family::kMariaDb, true),
      ado::Dialect(Family::kMariaDb, false), ado::Dialect(Family::kSqlAnywhere, true)};
  const V values[] = {
      V::Text("O'Hara  "),                       // C, padded
      V::Text("tab\\there\\\\ \t cr lf\r\n''"),  // V
      V::Text("\\N\nsecond line\\"),             // M
      V::Text("NULL"),
      V::Text("12"),
      V::Text(""),
      V::Null(),
      V::Dec({"-12.5"}),  // N
      V::Dec({"7"}),
      V::Double(-0.125),  // F, B
      V::Double(1.5e300),
      V::Int(-2147483647 - 1),     // I
      V::Money({-1234567}),        // Y
      V::FromDate({2021, 8, 31}),  // D
      V::FromDate({0, 0, 0}),
      V::FromDateTime({{2021, 8, 31}, 23, 5, 9, 7}),  // T
      V::Bool(true),                                  // L
      V::Bool(false),
      V::Binary(std::string("\x00'\xff\\", 4)),  // G, W, Q
      V::Binary(""),
  };
  for (const ado::Dialect& dialect : dialects) {
    for (const V& raw : values) {
      for (SqlColumnType type : {kText, kNumeric, kBit}) {
        const V value = NullToDefault(raw, V::Text(""));
        std::string insert_piece;
        AppendSqlValue(&insert_piece, value, type, dialect);
        SCOPED_TRACE(insert_piece);
        std::string scratch;
        std::string_view piece_text;
        const SqlPieceForm form =
            SqlValuePiece(value, value.TextView(&scratch), type, dialect, &piece_text);
        std::string kept_piece;
        AppendSqlPiece(&kept_piece, form, piece_text, dialect);
        EXPECT_EQ(kept_piece, insert_piece);

        DropLast(&insert_piece, 2);
        std::string split = "stale";
        const bool split_has_value = SqlPieceValue(insert_piece, dialect, &split);
        std::string loader_scratch = "stale";
        std::string_view direct;
        const bool direct_has_value =
            SqlPieceLoaderValue(form, piece_text, dialect, &loader_scratch, &direct);
        ASSERT_EQ(direct_has_value, split_has_value);
        if (direct_has_value) {
          EXPECT_EQ(direct, split);
        }
      }
    }
  }
}

}  // namespace
}  // namespace transfer

namespace transfer {
namespace {

// The delete and rename statements: exact text for plain names, and quote
// characters inside names doubled so they cannot close the quotes.
TEST(MaintenanceStatements, DeleteStatementsQuoteEachSideItsOwnWay) {
  struct Case {
    std::string got, want;
  } const cases[] = {
      {FoxproDeleteStatement("orders"), "DROP TABLE `orders`"},
      {FoxproDeleteStatement("order lines"), "DROP TABLE `order lines`"},
      {FoxproDeleteStatement("a`b"), "DROP TABLE `a``b`"},
      {FoxproDeleteStatement("``"), "DROP TABLE ``````"},
      {FoxproDeleteStatement("quote\"kept"), "DROP TABLE `quote\"kept`"},
      {SqlDropStatement("orders"), "DROP TABLE \"orders\""},
      {SqlDropStatement("it's [x]"), "DROP TABLE \"it's [x]\""},
      {SqlDropStatement("say \"hi\""), "DROP TABLE \"say \"\"hi\"\"\""},
      {SqlDropStatement("\""), "DROP TABLE \"\"\"\""},
      {SqlDropStatement("x\"; DROP TABLE y; --"), "DROP TABLE \"x\"\"; DROP TABLE y; --\""},
      {DoubleQuoted(""), "\"\""},
      {BackQuoted(std::string("nul\0byte", 8)), std::string("`nul\0byte`", 10)},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.want);
}

TEST(MaintenanceStatements, RenameTakesTheFormOfTheConnectedDatabase) {
  using Family = ado::Dialect::Family;
  struct Case {
    ado::Dialect dialect;
    const char* old_name;
    const char* new_name;
    const char* want;
  } const cases[] = {
      {ado::Dialect(), R"(my "old" table)", R"(new "one")",
       R"(ALTER TABLE "my ""old"" table" RENAME TO "new ""one""")"},
      {ado::Dialect(Family::kMariaDb, true), R"(my "old" table)", R"(new "one")",
       R"(ALTER TABLE "my ""old"" table" RENAME TO "new ""one""")"},
      {ado::Dialect(Family::kSqlAnywhere, true), R"(my "old" table)", R"(new "one")",
       R"(ALTER TABLE "my ""old"" table" RENAME "new ""one""";)"},
      {ado::Dialect(Family::kSqlAnywhere, false), "orders", "archive",
       R"(ALTER TABLE "orders" RENAME "archive";)"},
      {ado::Dialect(), "a", "", R"(ALTER TABLE "a" RENAME TO "")"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SqlRenameStatement(c.old_name, c.new_name, c.dialect), c.want) << c.old_name;
  }
}

}  // namespace
}  // namespace transfer
