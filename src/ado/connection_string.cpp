#include "ado/connection_string.h"

#include <cctype>

#include "text/ascii.h"

namespace ado {
namespace {

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

std::optional<std::string> FindConnectionKey(std::string_view connection_string,
                                             std::string_view key) {
  std::string_view rest = connection_string;
  while (!rest.empty()) {
    std::size_t end = rest.find(';');
    std::string_view part = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    std::size_t eq = part.find('=');
    if (eq == std::string_view::npos) continue;
    if (ascii::EqualsIgnoringCase(TrimBlanks(part.substr(0, eq)), key)) {
      return std::string(part.substr(eq + 1));
    }
  }
  return std::nullopt;
}

}  // namespace ado
