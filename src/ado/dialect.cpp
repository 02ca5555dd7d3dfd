#include "ado/dialect.h"

#include "text/ascii.h"

namespace ado {
namespace {

// Appends `text` with every `special` character written twice, in runs:
// values are mostly free of them and this runs for every value of a copy.
void AppendDoubling(std::string* out, std::string_view text, std::string_view special) {
  std::size_t start = 0;
  for (std::size_t at = text.find_first_of(special); at != std::string_view::npos;
       at = text.find_first_of(special, start)) {
    out->append(text.substr(start, at + 1 - start));
    out->push_back(text[at]);
    start = at + 1;
  }
  out->append(text.substr(start));
}

}  // namespace

Dialect::Family Dialect::FamilyOfDbmsName(std::string_view dbms_name) {
  if (ascii::StartsWithIgnoringCase(dbms_name, "mariadb") ||
      ascii::StartsWithIgnoringCase(dbms_name, "mysql")) {
    return Family::kMariaDb;
  }
  if (ascii::StartsWithIgnoringCase(dbms_name, "sql anywhere") ||
      ascii::StartsWithIgnoringCase(dbms_name, "adaptive server anywhere")) {
    return Family::kSqlAnywhere;
  }
  return Family::kStandard;
}

std::string_view Dialect::TextColumnType() const {
  return family_ == Family::kMariaDb ? " LONGTEXT" : " TEXT";
}

std::string_view Dialect::NumericColumnType() const {
  return family_ == Family::kMariaDb ? " DECIMAL(19,4)" : " NUMERIC";
}

std::string_view Dialect::BitColumnType() const {
  return family_ == Family::kSqlAnywhere ? " BIT NULL" : " BIT";
}

std::string_view Dialect::BitLiteral(bool value) const {
  if (family_ == Family::kMariaDb) return value ? "1" : "0";
  return value ? "'1'" : "'0'";
}

void Dialect::AppendStringLiteral(std::string* out, std::string_view text) const {
  out->push_back('\'');
  AppendDoubling(out, text, backslash_escapes_ ? std::string_view("'\\") : "'");
  out->push_back('\'');
}

}  // namespace ado
