#include "ado/connection_string.h"

#include <algorithm>

#include "text/ascii.h"

namespace ado {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The key of the part that starts at `part_at`, if it is `key`.
std::optional<ConnectionKeyPlace> KeyOfPart(std::string_view text, std::size_t part_at,
                                            std::string_view key) {
  const std::size_t end = std::min(text.find(';', part_at), text.size());
  const std::size_t eq = text.find('=', part_at);
  if (eq == std::string_view::npos || eq > end) return std::nullopt;
  std::size_t first = part_at;
  while (first < eq && IsBlank(text[first])) ++first;
  std::size_t last = eq;
  while (last > first && IsBlank(text[last - 1])) --last;
  if (!ascii::EqualsIgnoringCase(text.substr(first, last - first), key)) return std::nullopt;
  return ConnectionKeyPlace{first, eq + 1};
}

}  // namespace

std::optional<ConnectionKeyPlace> FindConnectionKeyPlace(std::string_view connection_string,
                                                         std::string_view key, std::size_t from) {
  // Every part start at or after `from`: the string's start and each
  // position after a ';'.
  std::size_t part_at = 0;
  if (from > 0) {
    const std::size_t semicolon = connection_string.find(';', from - 1);
    if (semicolon == std::string_view::npos) return std::nullopt;
    part_at = semicolon + 1;
  }
  while (part_at <= connection_string.size()) {
    if (auto place = KeyOfPart(connection_string, part_at, key)) return place;
    const std::size_t semicolon = connection_string.find(';', part_at);
    if (semicolon == std::string_view::npos) break;
    part_at = semicolon + 1;
  }
  return std::nullopt;
}

std::optional<ConnectionKeyPlace> FindLastConnectionKeyPlace(std::string_view connection_string,
                                                             std::string_view key) {
  std::optional<ConnectionKeyPlace> last;
  for (auto place = FindConnectionKeyPlace(connection_string, key); place;
       place = FindConnectionKeyPlace(connection_string, key, place->value_at)) {
    last = place;
  }
  return last;
}

std::optional<std::string> FindConnectionKey(std::string_view connection_string,
                                             std::string_view key) {
  auto place = FindConnectionKeyPlace(connection_string, key);
  if (!place) return std::nullopt;
  const std::size_t end = connection_string.find(';', place->value_at);
  return std::string(connection_string.substr(place->value_at, end == std::string_view::npos
                                                                   ? std::string_view::npos
                                                                   : end - place->value_at));
}

std::optional<std::string> FindConnectionKeyToEnd(std::string_view connection_string,
                                                  std::string_view key) {
  auto place = FindConnectionKeyPlace(connection_string, key);
  if (!place) return std::nullopt;
  return std::string(connection_string.substr(place->value_at));
}

std::size_t ConnectionValueEnd(std::string_view connection_string, std::size_t value_at,
                               std::initializer_list<std::string_view> following) {
  std::size_t end = std::string_view::npos;
  for (std::string_view key : following) {
    if (auto place = FindConnectionKeyPlace(connection_string, key, value_at)) {
      end = std::min(end, connection_string.rfind(';', place->key_at));
    }
  }
  if (end != std::string_view::npos) return end;
  const bool final_semicolon = !connection_string.empty() && connection_string.back() == ';';
  return std::max(value_at, connection_string.size() - (final_semicolon ? 1 : 0));
}

}  // namespace ado
