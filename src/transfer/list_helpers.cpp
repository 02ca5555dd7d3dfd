#include "transfer/list_helpers.h"

#include "text/utf8.h"

namespace transfer {
namespace {

// The lower-case partner of a code point, or the code point itself.
char32_t LowerCodePoint(char32_t c) {
  if (c >= U'A' && c <= U'Z') return c + 0x20;
  if (c < 0xC0) return c;
  // Latin-1: À..Þ except the multiplication sign.
  if (c <= 0xDE) return c == 0xD7 ? c : c + 0x20;
  // Latin Extended-A pairs capital/small on even/odd code points, except in
  // the ranges that pair odd/even and a few singles.
  if (c >= 0x100 && c <= 0x137) return (c % 2 == 0) ? c + 1 : c;
  if (c >= 0x139 && c <= 0x148) return (c % 2 == 1) ? c + 1 : c;
  if (c >= 0x14A && c <= 0x177) return (c % 2 == 0) ? c + 1 : c;
  if (c == 0x178) return 0xFF;
  if (c >= 0x179 && c <= 0x17E) return (c % 2 == 1) ? c + 1 : c;
  // Greek capitals (no capital at U+03A2) and the accented ones.
  if (c >= 0x391 && c <= 0x3AB) return c == 0x3A2 ? c : c + 0x20;
  if (c == 0x386) return 0x3AC;
  if (c >= 0x388 && c <= 0x38A) return c + 0x25;
  if (c == 0x38C) return 0x3CC;
  if (c == 0x38E || c == 0x38F) return c + 0x3F;
  // Cyrillic: Ѐ..Џ, А..Я, and the paired letters from U+0460 and U+048A.
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;
  if (c >= 0x460 && c <= 0x481) return (c % 2 == 0) ? c + 1 : c;
  if (c >= 0x48A && c <= 0x4BF) return (c % 2 == 0) ? c + 1 : c;
  return c;
}

}  // namespace

std::string LowerCase(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      out.push_back(static_cast<char>(LowerCodePoint(lead)));
      ++i;
      continue;
    }
    // Every letter this function changes is encoded in two bytes; anything
    // else (longer sequences, stray bytes) is copied as it is.
    if (lead >= 0xC2 && lead <= 0xDF && i + 1 < text.size()) {
      auto trail = static_cast<unsigned char>(text[i + 1]);
      if ((trail & 0xC0) == 0x80) {
        char32_t c = (static_cast<char32_t>(lead & 0x1F) << 6) | (trail & 0x3F);
        utf8::Append(LowerCodePoint(c), &out);
        i += 2;
        continue;
      }
    }
    out.push_back(text[i]);
    ++i;
  }
  return out;
}

bool ListContains(const db::TableList& list, const std::string& name) {
  const std::string wanted = LowerCase(name);
  bool found = false;
  const int count = list.ListCount();
  for (int i = 0; i < count; ++i) {
    if (LowerCase(list.List(i)) == wanted) found = true;
  }
  return found;
}

void ListRemoveItem(db::TableList& list, const std::string& name) {
  // Walk from the end so that removals do not shift entries still to visit.
  for (int i = list.ListCount() - 1; i >= 0; --i) {
    if (i < list.ListCount() && list.List(i) == name) list.RemoveItem(i);
  }
}

ado::Value NullToDefault(ado::Value value, ado::Value default_value) {
  // Returning the parameters themselves moves them; a conditional
  // expression would copy the text.
  if (value.IsNull()) return default_value;
  return value;
}

void AssignNullToDefault(ado::Value* target, const ado::Value& value,
                         const ado::Value& default_value) {
  *target = value.IsNull() ? default_value : value;
}

}  // namespace transfer
