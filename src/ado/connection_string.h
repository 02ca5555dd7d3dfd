// Reads keys out of an ADO-style connection string ("Key=value;Key=value;"):
// the one parser of the data-access layer and both providers. A key counts
// where it begins the string or follows a ';' (blanks around it allowed),
// matched in any letter case, and is followed by '='.
#ifndef QUILLOMAR_ADO_CONNECTION_STRING_H_
#define QUILLOMAR_ADO_CONNECTION_STRING_H_

#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace ado {

// Where one key of a connection string stands.
struct ConnectionKeyPlace {
  std::size_t key_at = 0;    // the key's first character (after any blanks)
  std::size_t value_at = 0;  // the first character after its '='
};

// The first `key` at or after `from`, or nullopt.
std::optional<ConnectionKeyPlace> FindConnectionKeyPlace(std::string_view connection_string,
                                                         std::string_view key,
                                                         std::size_t from = 0);

// The last `key` of the string, or nullopt.
std::optional<ConnectionKeyPlace> FindLastConnectionKeyPlace(std::string_view connection_string,
                                                             std::string_view key);

// Returns the value of the first `key`: from after "=" to the next ";" or the
// end, exactly, blanks included. nullopt when the key is absent.
std::optional<std::string> FindConnectionKey(std::string_view connection_string,
                                             std::string_view key);

// Returns the value of the first `key` to the end of the string, exactly:
// blanks, ';' and braces included (an ODBC data source name). nullopt when
// the key is absent.
std::optional<std::string> FindConnectionKeyToEnd(std::string_view connection_string,
                                                  std::string_view key);

// Where a value that may itself hold ';' ends, when it starts at `value_at`:
// at the ';' before the first of `following` keys after it, or else at the
// end of the string without a final ';'.
std::size_t ConnectionValueEnd(std::string_view connection_string, std::size_t value_at,
                               std::initializer_list<std::string_view> following);

}  // namespace ado

#endif  // QUILLOMAR_ADO_CONNECTION_STRING_H_
