// How each database family reads our statements: the family a DBMS name
// belongs to, and the column types, literals and rename form it gets.
#include "ado/dialect.h"

#include <gtest/gtest.h>

#include <string>

namespace ado {
namespace {

using Family = Dialect::Family;

TEST(Dialect, FamilyOfDbmsName) {
  struct Case {
    const char* dbms_name;
    Family family;
  } const cases[] = {
      {"SQL Anywhere", Family::kSqlAnywhere},
      {"Adaptive Server Anywhere", Family::kSqlAnywhere},
      {"sql anywhere 17", Family::kSqlAnywhere},
      {"MariaDB", Family::kMariaDb},
      {"MySQL", Family::kMariaDb},
      {"mysql community", Family::kMariaDb},
      {"PostgreSQL", Family::kStandard},
      {"SQLite", Family::kStandard},
      {"", Family::kStandard},
      {"My", Family::kStandard},
      {" MariaDB", Family::kStandard},
      {"Anywhere", Family::kStandard},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Dialect::FamilyOfDbmsName(c.dbms_name), c.family) << c.dbms_name;
}

std::string Literal(const Dialect& dialect, std::string_view text) {
  std::string out = "x=";
  dialect.AppendStringLiteral(&out, text);
  return out;
}

// Everything a dialect says, for one family and escape setting.
TEST(Dialect, StatementPiecesPerFamily) {
  struct Case {
    const char* name;
    Dialect dialect;
    const char* text_type;
    const char* numeric_type;
    const char* bit_type;
    const char* bit_true;
    const char* bit_false;
    const char* literal;  // of  it's C:\dir\ and ''
  } const cases[] = {
      {"default", Dialect(), " TEXT", " NUMERIC", " BIT", "'1'", "'0'",
       R"(x='it''s C:\dir\ and ''''')"},
      {"PostgreSQL / SQLite", Dialect(Family::kStandard, false), " TEXT", " NUMERIC", " BIT", "'1'",
       "'0'", R"(x='it''s C:\dir\ and ''''')"},
      {"standard with escapes", Dialect(Family::kStandard, true), " TEXT", " NUMERIC", " BIT",
       "'1'", "'0'", R"(x='it''s C:\\dir\\ and ''''')"},
      {"MariaDB default mode", Dialect(Family::kMariaDb, true), " LONGTEXT", " DECIMAL(19,4)",
       " BIT", "1", "0", R"(x='it''s C:\\dir\\ and ''''')"},
      {"MariaDB without backslash escapes", Dialect(Family::kMariaDb, false), " LONGTEXT",
       " DECIMAL(19,4)", " BIT", "1", "0", R"(x='it''s C:\dir\ and ''''')"},
      {"SQL Anywhere", Dialect(Family::kSqlAnywhere, true), " TEXT", " NUMERIC", " BIT NULL", "'1'",
       "'0'", R"(x='it''s C:\\dir\\ and ''''')"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Dialect& d = c.dialect;
    EXPECT_EQ(d.TextColumnType(), c.text_type);
    EXPECT_EQ(d.NumericColumnType(), c.numeric_type);
    EXPECT_EQ(d.BitColumnType(), c.bit_type);
    EXPECT_EQ(d.BitLiteral(true), c.bit_true);
    EXPECT_EQ(d.BitLiteral(false), c.bit_false);
    EXPECT_EQ(Literal(d, R"(it's C:\dir\ and '')"), c.literal);
    EXPECT_EQ(Literal(d, ""), "x=''");
    EXPECT_EQ(Literal(d, "plain"), "x='plain'");
  }
}

}  // namespace
}  // namespace ado
