// Reads keys out of an ADO-style connection string ("Key=value;Key=value;").
#ifndef QUILLOMAR_ADO_CONNECTION_STRING_H_
#define QUILLOMAR_ADO_CONNECTION_STRING_H_

#include <optional>
#include <string>
#include <string_view>

namespace ado {

// Returns the value of `key` (matched case-insensitively, blanks around the
// key ignored). The value runs from after "=" to the next ";" or the end and
// is returned exactly, blanks included. nullopt when the key is absent.
std::optional<std::string> FindConnectionKey(std::string_view connection_string,
                                             std::string_view key);

}  // namespace ado

#endif  // QUILLOMAR_ADO_CONNECTION_STRING_H_
