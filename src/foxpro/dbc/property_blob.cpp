#include "foxpro/dbc/property_blob.h"

#include <algorithm>

#include "foxpro/cdx/byte_order.h"

namespace foxpro::dbc {
namespace {

// Entry head: 4-byte length, marker byte, 2-byte id.
constexpr std::size_t kEntryHead = 7;

std::uint16_t IdOf(PropertyId id) { return static_cast<std::uint16_t>(id); }

void AppendTextIfSet(PropertyList* list, PropertyId id, const std::string& text) {
  if (!text.empty()) list->Append(TextProperty(id, text));
}

}  // namespace

std::string_view Property::text() const {
  std::string_view v(value);
  std::size_t nul = v.find('\0');
  return nul == std::string_view::npos ? v : v.substr(0, nul);
}

std::optional<std::int32_t> Property::number() const {
  switch (value.size()) {
    case 1:
      return static_cast<unsigned char>(value[0]);
    case 2:
      return static_cast<std::int16_t>(bytes::GetBig(value.data(), 2));
    case 4:
      return static_cast<std::int32_t>(bytes::GetBe32(value.data()));
    default:
      return std::nullopt;
  }
}

Property TextProperty(PropertyId id, std::string_view text) {
  Property p;
  p.id = IdOf(id);
  p.value.assign(text);
  p.value.push_back('\0');
  return p;
}

Property ByteProperty(PropertyId id, std::uint8_t value) {
  Property p;
  p.id = IdOf(id);
  p.value.assign(1, static_cast<char>(value));
  return p;
}

Property NumberProperty(PropertyId id, std::int32_t value) {
  Property p;
  p.id = IdOf(id);
  p.value.resize(4);
  bytes::PutBe32(p.value.data(), static_cast<std::uint32_t>(value));
  return p;
}

const Property* PropertyList::Find(PropertyId id) const {
  for (const Property& p : entries_) {
    if (p.id == IdOf(id)) return &p;
  }
  return nullptr;
}

std::string_view PropertyList::Text(PropertyId id) const {
  const Property* p = Find(id);
  return p == nullptr ? std::string_view() : p->text();
}

void PropertyList::Set(Property property) {
  for (Property& p : entries_) {
    if (p.id == property.id) {
      p = std::move(property);
      return;
    }
  }
  entries_.push_back(std::move(property));
}

void PropertyList::Remove(PropertyId id) {
  std::erase_if(entries_, [&](const Property& p) { return p.id == IdOf(id); });
}

Status DecodeProperties(std::string_view blob, const std::string& where, PropertyList* out) {
  std::vector<Property> entries;
  std::size_t pos = 0;
  while (blob.size() - pos >= kEntryHead) {
    const char* p = blob.data() + pos;
    std::uint32_t length = bytes::GetLe32(p);
    if (length < kEntryHead) {
      return Status::Corruption(where + ": property entry at byte " + std::to_string(pos) +
                                " has length " + std::to_string(length));
    }
    if (length > blob.size() - pos) {
      return Status::Corruption(where + ": property entry at byte " + std::to_string(pos) +
                                " runs past the end of the property memo (" +
                                std::to_string(length) + " bytes, " +
                                std::to_string(blob.size() - pos) + " left)");
    }
    Property entry;
    entry.marker = static_cast<std::uint8_t>(p[4]);
    entry.id = static_cast<std::uint16_t>(bytes::GetBig(p + 5, 2));
    entry.value.assign(p + kEntryHead, length - kEntryHead);
    entries.push_back(std::move(entry));
    pos += length;
  }
  *out = PropertyList(std::move(entries));
  return Status::Ok();
}

std::string EncodeProperties(const PropertyList& properties) {
  std::string out;
  for (const Property& p : properties.entries()) {
    bytes::AppendLittle(&out, kEntryHead + p.value.size(), 4);
    out.push_back(static_cast<char>(p.marker));
    bytes::AppendBig(&out, p.id, 2);
    out += p.value;
  }
  return out;
}

PropertyList MakeTableProperties(const TableProperties& table) {
  PropertyList list;
  list.Append(ByteProperty(PropertyId::kObjectClass, 1));
  list.Append(TextProperty(PropertyId::kPath, table.path));
  AppendTextIfSet(&list, PropertyId::kPrimaryKey, table.primary_key);
  AppendTextIfSet(&list, PropertyId::kRuleExpression, table.rule_expression);
  AppendTextIfSet(&list, PropertyId::kRuleText, table.rule_text);
  AppendTextIfSet(&list, PropertyId::kComment, table.comment);
  AppendTextIfSet(&list, PropertyId::kInsertTrigger, table.insert_trigger);
  AppendTextIfSet(&list, PropertyId::kUpdateTrigger, table.update_trigger);
  AppendTextIfSet(&list, PropertyId::kDeleteTrigger, table.delete_trigger);
  return list;
}

TableProperties ReadTableProperties(const PropertyList& list) {
  TableProperties t;
  t.path = list.Text(PropertyId::kPath);
  t.primary_key = list.Text(PropertyId::kPrimaryKey);
  t.rule_expression = list.Text(PropertyId::kRuleExpression);
  t.rule_text = list.Text(PropertyId::kRuleText);
  t.comment = list.Text(PropertyId::kComment);
  t.insert_trigger = list.Text(PropertyId::kInsertTrigger);
  t.update_trigger = list.Text(PropertyId::kUpdateTrigger);
  t.delete_trigger = list.Text(PropertyId::kDeleteTrigger);
  return t;
}

PropertyList MakeFieldProperties(const FieldProperties& field) {
  PropertyList list;
  AppendTextIfSet(&list, PropertyId::kComment, field.comment);
  AppendTextIfSet(&list, PropertyId::kDefaultValue, field.default_value);
  AppendTextIfSet(&list, PropertyId::kDisplayClass, field.display_class);
  AppendTextIfSet(&list, PropertyId::kDisplayClassLibrary, field.display_class_library);
  AppendTextIfSet(&list, PropertyId::kCaption, field.caption);
  AppendTextIfSet(&list, PropertyId::kFormat, field.format);
  AppendTextIfSet(&list, PropertyId::kInputMask, field.input_mask);
  AppendTextIfSet(&list, PropertyId::kRuleExpression, field.rule_expression);
  AppendTextIfSet(&list, PropertyId::kRuleText, field.rule_text);
  return list;
}

FieldProperties ReadFieldProperties(const PropertyList& list) {
  FieldProperties f;
  f.comment = list.Text(PropertyId::kComment);
  f.default_value = list.Text(PropertyId::kDefaultValue);
  f.display_class = list.Text(PropertyId::kDisplayClass);
  f.display_class_library = list.Text(PropertyId::kDisplayClassLibrary);
  f.caption = list.Text(PropertyId::kCaption);
  f.format = list.Text(PropertyId::kFormat);
  f.input_mask = list.Text(PropertyId::kInputMask);
  f.rule_expression = list.Text(PropertyId::kRuleExpression);
  f.rule_text = list.Text(PropertyId::kRuleText);
  return f;
}

PropertyList MakeIndexProperties(bool candidate) {
  PropertyList list;
  list.Append(ByteProperty(PropertyId::kCandidate, candidate ? 1 : 0));
  return list;
}

PropertyList MakeDatabaseProperties() {
  PropertyList list;
  list.Append(NumberProperty(PropertyId::kVersion, 11));
  list.Append(TextProperty(PropertyId::kComment, ""));
  list.Append(ByteProperty(PropertyId::kDbcEvents, 1));
  list.Append(TextProperty(PropertyId::kDbcEventFile, ""));
  return list;
}

}  // namespace foxpro::dbc
