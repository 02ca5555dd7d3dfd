#include "windows/tables/table_statements.h"

namespace windows {
namespace {

// Writes `name` between two `quote` characters, doubling every `quote`
// inside.
std::string Quoted(std::string_view name, char quote) {
  std::string quoted;
  quoted.reserve(name.size() + 2);
  quoted += quote;
  for (char c : name) {
    quoted += c;
    if (c == quote) quoted += c;
  }
  quoted += quote;
  return quoted;
}

}  // namespace

std::string DoubleQuoted(std::string_view name) { return Quoted(name, '"'); }
std::string BackQuoted(std::string_view name) { return Quoted(name, '`'); }

std::string FoxproDropStatement(std::string_view name) { return "DROP TABLE " + BackQuoted(name); }

std::string SybaseDropStatement(std::string_view name) {
  return "DROP TABLE " + DoubleQuoted(name);
}

}  // namespace windows
