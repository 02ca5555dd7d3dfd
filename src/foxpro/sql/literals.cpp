#include "foxpro/sql/literals.h"

#include <charconv>
#include <cstring>

namespace foxpro::sql {
namespace {

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool IsNumberText(std::string_view s) {
  s = Trim(s);
  if (!s.empty() && (s[0] == '-' || s[0] == '+')) s.remove_prefix(1);
  bool digit = false, point = false;
  for (char c : s) {
    if (c >= '0' && c <= '9') {
      digit = true;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digit;
}

// Reads `count` digits at s[*pos] into *out.
bool Digits(std::string_view s, std::size_t* pos, std::size_t count, int* out) {
  if (*pos + count > s.size()) return false;
  auto result = std::from_chars(s.data() + *pos, s.data() + *pos + count, *out);
  if (result.ec != std::errc() || result.ptr != s.data() + *pos + count) return false;
  *pos += count;
  return true;
}

bool Expect(std::string_view s, std::size_t* pos, char c) {
  if (*pos >= s.size() || s[*pos] != c) return false;
  ++*pos;
  return true;
}

// "YYYY-MM-DD", "YYYYMMDD", optionally followed by " HH:MM[:SS[.mmm]]" (or "T").
bool ParseDateTime(std::string_view s, DateTime* t, bool* has_time) {
  s = Trim(s);
  std::size_t pos = 0;
  *has_time = false;
  if (!Digits(s, &pos, 4, &t->date.year)) return false;
  bool dashes = Expect(s, &pos, '-');
  if (!Digits(s, &pos, 2, &t->date.month)) return false;
  if (dashes && !Expect(s, &pos, '-')) return false;
  if (!Digits(s, &pos, 2, &t->date.day)) return false;
  if (pos == s.size()) return true;
  if (s[pos] != ' ' && s[pos] != 'T') return false;
  ++pos;
  *has_time = true;
  if (!Digits(s, &pos, 2, &t->hour) || !Expect(s, &pos, ':') || !Digits(s, &pos, 2, &t->minute)) {
    return false;
  }
  if (Expect(s, &pos, ':') && !Digits(s, &pos, 2, &t->second)) return false;
  if (pos < s.size() && s[pos] == '.') {
    ++pos;
    std::size_t start = pos;
    while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9') ++pos;
    std::string fraction(s.substr(start, pos - start));
    if (fraction.empty()) return false;
    // Round to the millisecond.
    fraction.resize(4, '0');
    int tenths_of_ms = std::stoi(fraction.substr(0, 4));
    t->millisecond = (tenths_of_ms + 5) / 10;
    if (t->millisecond == 1000) t->millisecond = 999;
  }
  return pos == s.size();
}

// The 0h form of a binary literal's bytes, at most `limit` of them.
std::string BinaryShown(std::string_view bytes, std::size_t limit) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string shown = "0h";
  for (std::size_t i = 0; i < bytes.size() && i < limit; ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    shown += kDigits[b >> 4];
    shown += kDigits[b & 0x0F];
  }
  return shown;
}

Status Mismatch(const std::string& label, const Literal& literal) {
  std::string shown = literal.kind == Literal::Kind::kString   ? "'" + literal.text + "'"
                      : literal.kind == Literal::Kind::kBinary ? BinaryShown(literal.text, 30)
                                                               : literal.text;
  if (shown.size() > 60) shown = shown.substr(0, 57) + "...";
  return Status::InvalidArgument("Data type mismatch: field " + label + " cannot take " + shown +
                                 ".");
}

Result<Value> FromLogicalText(std::string_view text, const Literal& literal,
                              const std::string& label) {
  std::string word = Upper(Trim(text));
  if (word == "TRUE" || word == "1" || word == "T" || word == "Y" || word == ".T." ||
      word == "YES" || word == "-1") {
    return Value::Logical(true);
  }
  if (word == "FALSE" || word == "0" || word == "F" || word == "N" || word == ".F." ||
      word == "NO") {
    return Value::Logical(false);
  }
  return Mismatch(label, literal);
}

Result<Value> FromString(const Literal& literal, const FieldInfo& field, const std::string& label) {
  const std::string& text = literal.text;
  switch (field.type) {
    case 'C':
    case 'V':
    case 'M':
      return field.binary() ? Value::Bytes(text) : Value::Text(text);
    case 'Q':
    case 'W':
    case 'G':
    case 'P':
      return Value::Bytes(text);
    case 'N':
    case 'F':
    case 'Y':
    case 'B':
    case 'I':
      if (Trim(text).empty()) return OmittedValue(field);
      if (!IsNumberText(text)) return Mismatch(label, literal);
      if (field.type == 'I') {
        std::string_view digits = Trim(text);
        if (!digits.empty() && digits[0] == '+') digits.remove_prefix(1);
        std::int64_t v = 0;
        auto result = std::from_chars(digits.data(), digits.data() + digits.size(), v);
        if (result.ec != std::errc() || result.ptr != digits.data() + digits.size()) {
          return Status::InvalidArgument("Field " + label + ": " + text +
                                         " is not a whole number.");
        }
        return Value::Integer(v);
      }
      return Value::Numeric(std::string(Trim(text)));
    case 'D':
    case 'T': {
      if (Trim(text).empty()) return OmittedValue(field);
      DateTime t;
      bool has_time = false;
      if (!ParseDateTime(text, &t, &has_time)) return Mismatch(label, literal);
      if (field.type == 'D') {
        if (has_time && (t.hour != 0 || t.minute != 0 || t.second != 0 || t.millisecond != 0)) {
          return Mismatch(label, literal);
        }
        return Value::FromDate(t.date);
      }
      return Value::FromDateTime(t);
    }
    case 'L':
      return FromLogicalText(text, literal, label);
    default:
      break;
  }
  return Mismatch(label, literal);
}

}  // namespace

Value OmittedValue(const FieldInfo& field) {
  if (field.nullable()) return Value::Null();
  switch (field.type) {
    case 'C':
    case 'V':
    case 'M':
      return field.binary() ? Value::Bytes("") : Value::Text("");
    case 'Q':
    case 'W':
    case 'G':
    case 'P':
      return Value::Bytes("");
    case 'N':
    case 'F':
      return Value::Numeric("0");
    case 'I':
      return Value::Integer(0);
    case 'B':
      return Value::Double(0);
    case 'Y':
      return Value::Currency(0);
    case 'L':
      return Value::Logical(false);
    default:
      return Value::Text("");  // D T: stored as the empty date
  }
}

Result<Value> LiteralToValue(const Literal& literal, const FieldInfo& field,
                             const std::string& field_label) {
  switch (literal.kind) {
    case Literal::Kind::kNull:
      return Value::Null();
    case Literal::Kind::kString:
      return FromString(literal, field, field_label);
    case Literal::Kind::kLogical:
      if (field.type == 'L') return Value::Logical(literal.logical);
      return Mismatch(field_label, literal);
    case Literal::Kind::kBinary:
      // Binary values go into character, memo, varbinary, blob, general and
      // picture fields byte for byte, without code-page translation.
      if (std::strchr("CVMQWGP", field.type) == nullptr || field.type == '\0') {
        return Mismatch(field_label, literal);
      }
      return Value::Bytes(literal.text);
    case Literal::Kind::kNumber: {
      if (std::strchr("NFYILCVMB", field.type) == nullptr) return Mismatch(field_label, literal);
      std::string_view written = literal.text;
      if (!written.empty() && written[0] == '+') written.remove_prefix(1);
      double d = 0;
      bool exponent = written.find_first_of("eE") != std::string_view::npos;
      if (field.type == 'B' || exponent) {
        auto result = std::from_chars(written.data(), written.data() + written.size(), d);
        if (result.ec != std::errc()) return Mismatch(field_label, literal);
        if (field.type == 'B') return Value::Double(d);
      }
      Literal as_text = literal;
      as_text.kind = Literal::Kind::kString;
      as_text.text = std::string(written);
      if (exponent) {
        char buffer[400];
        auto result = std::to_chars(buffer, buffer + sizeof buffer, d, std::chars_format::fixed);
        if (result.ec != std::errc()) return Mismatch(field_label, literal);
        as_text.text.assign(buffer, result.ptr);
      }
      return FromString(as_text, field, field_label);
    }
  }
  return Mismatch(field_label, literal);
}

}  // namespace foxpro::sql
