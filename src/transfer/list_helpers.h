// Small helpers the two copies share (module Main): looking a table name up
// in a table list, removing it, lower-casing names, and the null default of
// a field value.
#ifndef QUILLOMAR_TRANSFER_LIST_HELPERS_H_
#define QUILLOMAR_TRANSFER_LIST_HELPERS_H_

#include <string>
#include <string_view>

#include "ado/value.h"
#include "db/table_list.h"

namespace transfer {

// Lower-cases UTF-8 text: ASCII letters and the capitals of Latin-1, Latin
// Extended-A, Greek and Cyrillic. Other characters and bytes that are not
// valid UTF-8 are copied unchanged.
std::string LowerCase(std::string_view text);

// True when at least one entry of `list` equals `name` ignoring letter case
// (both lower-cased, then compared exactly; blanks count). False for an
// empty list. Failures of the list travel to the caller.
bool ListContains(const db::TableList& list, const std::string& name);

// Removes every entry of `list` that equals `name` exactly (case-sensitive,
// no trimming); the other entries keep their order. Failures of the list
// travel to the caller.
void ListRemoveItem(db::TableList& list, const std::string& name);

// `value` itself unless it is null, then `default_value`. An empty text, a
// zero or a false value is returned unchanged.
ado::Value NullToDefault(ado::Value value, ado::Value default_value);

// `*target = NullToDefault(value, default_value)`, copied into `target`'s own
// storage: a copy loop that keeps one target reuses its text buffer row
// after row instead of allocating a new one per value.
void AssignNullToDefault(ado::Value* target, const ado::Value& value,
                         const ado::Value& default_value);

}  // namespace transfer

#endif  // QUILLOMAR_TRANSFER_LIST_HELPERS_H_
