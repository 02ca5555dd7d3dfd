// The statements the table window sends to delete tables, with
// every name quoted for its side. A quote character inside a name is
// doubled, so a name can never end its quotes early; names without such
// characters come out exactly between the quotes.
#ifndef QUILLOMAR_WINDOWS_TABLES_TABLE_STATEMENTS_H_
#define QUILLOMAR_WINDOWS_TABLES_TABLE_STATEMENTS_H_

#include <string>
#include <string_view>

namespace windows {

// `name` between double quotes, every '"' doubled.
std::string DoubleQuoted(std::string_view name);
// `name` between backquotes, every '`' doubled.
std::string BackQuoted(std::string_view name);

// "DROP TABLE `name`" for a FoxPro table (no semicolon).
std::string FoxproDropStatement(std::string_view name);
// "DROP TABLE \"name\"" for a table of the SQL data source (no semicolon).
std::string SybaseDropStatement(std::string_view name);

}  // namespace windows

#endif  // QUILLOMAR_WINDOWS_TABLES_TABLE_STATEMENTS_H_
