// How one SQL database reads the statements we build: the database family a
// connection reached and whether its string literals take backslash escapes.
// A provider finds this out once when its connection opens; every statement
// builder asks it instead of assuming one database.
#ifndef QUILLOMAR_ADO_DIALECT_H_
#define QUILLOMAR_ADO_DIALECT_H_

#include <string>
#include <string_view>

namespace ado {

class Dialect {
 public:
  // The database families whose reading of our statements differs.
  enum class Family {
    kStandard,     // PostgreSQL, SQLite, the FoxPro engine and any other
    kMariaDb,      // MariaDB and MySQL (the session runs with ANSI_QUOTES)
    kSqlAnywhere,  // SQL Anywhere / Adaptive Server Anywhere
  };

  // The statements as written, no backslash escapes: what a connection that
  // could not be asked gets.
  Dialect() = default;
  Dialect(Family family, bool backslash_escapes)
      : family_(family), backslash_escapes_(backslash_escapes) {}

  // The family for a DBMS name as ODBC reports it (SQL_DBMS_NAME): "MariaDB",
  // "MySQL", "SQL Anywhere", "Adaptive Server Anywhere"; anything else is
  // kStandard.
  static Family FamilyOfDbmsName(std::string_view dbms_name);

  Family family() const { return family_; }
  // True when a backslash inside a quoted literal starts an escape.
  bool backslash_escapes() const { return backslash_escapes_; }

  // Column types for the three kinds of column a FoxPro table becomes, each
  // as it follows the column name (" TEXT", " NUMERIC", " BIT"): MariaDB
  // gets LONGTEXT and DECIMAL(19,4), which hold every memo and every FoxPro
  // integer and currency value exactly; SQL Anywhere's BIT is declared
  // NULL, since its bit columns refuse nulls otherwise.
  std::string_view TextColumnType() const;
  std::string_view NumericColumnType() const;
  std::string_view BitColumnType() const;

  // True when the database takes several rows in one INSERT ... VALUES
  // (...),(...): PostgreSQL, SQLite and MariaDB do. SQL Anywhere is kept
  // to one row per INSERT, since its older versions refuse more.
  bool TakesMultiRowInsert() const { return family_ != Family::kSqlAnywhere; }

  // A logical value in a bit column: '1' / '0', or bare 1 / 0 on MariaDB,
  // which refuses a quoted '1' for a bit column in strict mode.
  std::string_view BitLiteral(bool value) const;

  // Appends `text` as a string literal: between apostrophes, every
  // apostrophe doubled and, where literals take backslash escapes, every
  // backslash doubled, so the database stores exactly `text`.
  void AppendStringLiteral(std::string* out, std::string_view text) const;

  friend bool operator==(const Dialect&, const Dialect&) = default;

 private:
  Family family_ = Family::kStandard;
  bool backslash_escapes_ = false;
};

}  // namespace ado

#endif  // QUILLOMAR_ADO_DIALECT_H_
