// The PROPERTY memo of database container objects: a list of (id, value)
// entries that FoxPro stores for each Database, Table, Field, Index, View,
// Relation and Connection row. Decoding keeps every entry (known or not) in
// its stored order, so encoding a decoded list gives back the same bytes.
#ifndef QUILLOMAR_FOXPRO_DBC_PROPERTY_BLOB_H_
#define QUILLOMAR_FOXPRO_DBC_PROPERTY_BLOB_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foxpro/util/status.h"

namespace foxpro::dbc {

// Property ids FoxPro uses on the objects this engine reads or writes.
enum class PropertyId : std::uint16_t {
  kPath = 1,                  // Table: file name relative to the container
  kObjectClass = 2,           // Table 1, local View 6, remote View 7
  kComment = 7,               // Database, Table, Field
  kRuleExpression = 9,        // Field rule; on a Table the record rule
  kRuleText = 10,             // message expression of the rule
  kDefaultValue = 11,         // Field default expression
  kRelatedChild = 13,         // Relation: tag in the child table
  kInsertTrigger = 14,        // Table
  kUpdateTrigger = 15,        // Table
  kDeleteTrigger = 16,        // Table
  kCandidate = 17,            // Index: 1 for candidate/primary, 0 regular
  kRelatedTable = 18,         // Relation: parent table name
  kRelatedTag = 19,           // Relation: tag in the parent table
  kPrimaryKey = 20,           // Table: name of the primary tag
  kVersion = 24,              // Database: container version (10, 11)
  kDisplayClass = 50,         // Field
  kDisplayClassLibrary = 51,  // Field
  kInputMask = 54,            // Field
  kFormat = 55,               // Field
  kCaption = 56,              // Field
  kDbcEvents = 86,            // Database: events switch (1 byte)
  kDbcEventFile = 87,         // Database: event program file name
};

// One entry. `value` holds the stored bytes after the 7-byte entry head:
// text with its terminating NUL, a 1-byte logical or number, or a 4-byte
// big-endian number.
struct Property {
  std::uint16_t id = 0;     // bytes 5-6 of the entry, big-endian
  std::uint8_t marker = 1;  // byte 4 of the entry (1 in every file seen)
  std::string value;

  friend bool operator==(const Property&, const Property&) = default;

  // The value as text: the bytes before the first NUL (all bytes when the
  // value has no NUL).
  std::string_view text() const;
  // The value as a number: 1 byte unsigned, 2 or 4 bytes big-endian signed;
  // nullopt for any other length.
  std::optional<std::int32_t> number() const;
};

// Builds an entry holding text (stored with one terminating NUL).
Property TextProperty(PropertyId id, std::string_view text);
// Builds an entry holding one byte (logicals, object classes, small numbers).
Property ByteProperty(PropertyId id, std::uint8_t value);
// Builds an entry holding a 4-byte big-endian number.
Property NumberProperty(PropertyId id, std::int32_t value);

// An ordered property list with lookup by id.
class PropertyList {
 public:
  PropertyList() = default;
  explicit PropertyList(std::vector<Property> entries) : entries_(std::move(entries)) {}

  const std::vector<Property>& entries() const { return entries_; }
  bool empty() const { return entries_.empty(); }

  // The first entry with `id`, or null.
  const Property* Find(PropertyId id) const;
  // The text of entry `id`, or "" when absent.
  std::string_view Text(PropertyId id) const;
  // Replaces the first entry with the same id in place, or appends it.
  void Set(Property property);
  // Appends without looking for an existing entry.
  void Append(Property property) { entries_.push_back(std::move(property)); }
  // Removes every entry with `id`.
  void Remove(PropertyId id);

  friend bool operator==(const PropertyList&, const PropertyList&) = default;

 private:
  std::vector<Property> entries_;
};

// Decodes a PROPERTY memo. Fewer than 7 trailing bytes are ignored, as
// FoxPro does; an entry whose length is below 7 or runs past the end of the
// memo is Corruption naming `where` (e.g. "northwind.dct: object 12") and
// the byte offset. `out` is replaced only on success.
Status DecodeProperties(std::string_view blob, const std::string& where, PropertyList* out);

// Encodes entries in their order: length (4 bytes little-endian, whole
// entry), marker, id (2 bytes big-endian), value. An empty list encodes to
// "" (the object then has no memo at all).
std::string EncodeProperties(const PropertyList& properties);

// The properties of a Table object as CREATE TABLE sets them. Empty texts
// are left out.
struct TableProperties {
  std::string path;  // file name relative to the container, e.g. "orders.dbf"
  std::string primary_key;
  std::string rule_expression;
  std::string rule_text;
  std::string comment;
  std::string insert_trigger;
  std::string update_trigger;
  std::string delete_trigger;
};

// The properties of a Field object of a table. Empty texts are left out; a
// field with none of them has no property memo.
struct FieldProperties {
  std::string comment;
  std::string default_value;
  std::string display_class;
  std::string display_class_library;
  std::string caption;
  std::string format;
  std::string input_mask;
  std::string rule_expression;
  std::string rule_text;
};

// The property list FoxPro writes for a new Table object: object class 1,
// the path, then primary key, record rule and its text, comment and the
// insert/update/delete triggers, in that order.
PropertyList MakeTableProperties(const TableProperties& table);
// Reads the known table properties from a list (unknown ids are ignored).
TableProperties ReadTableProperties(const PropertyList& list);

// The property list for a new Field object: comment, default, display class
// and library, caption, format, input mask, rule and rule text.
PropertyList MakeFieldProperties(const FieldProperties& field);
FieldProperties ReadFieldProperties(const PropertyList& list);

// The property list of an Index object: 1 for a candidate or primary tag.
PropertyList MakeIndexProperties(bool candidate);

// The Database object's properties in a new FoxPro 9 container: Version 11,
// an empty comment, events switch 1 and an empty event file name.
PropertyList MakeDatabaseProperties();

}  // namespace foxpro::dbc

#endif  // QUILLOMAR_FOXPRO_DBC_PROPERTY_BLOB_H_
