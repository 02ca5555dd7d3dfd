#include "foxpro/dbf/field_codec.h"

#include <bit>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "foxpro/fpt/memo_file.h"

namespace foxpro {
namespace {

static_assert(std::endian::native == std::endian::little, "the codec assumes a little-endian host");

std::int32_t ReadInt32(const char* p) {
  std::int32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\0')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.remove_suffix(1);
  return s;
}

bool AllBytesAre(std::string_view s, char c) {
  for (char ch : s) {
    if (ch != c) return false;
  }
  return true;
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

bool ValidDate(const Date& d) {
  return d.year >= 1 && d.year <= 9999 && d.month >= 1 && d.month <= 12 && d.day >= 1 &&
         d.day <= DaysInMonth(d.year, d.month);
}

// Splits a plain decimal number; false when it is not one.
struct DecimalParts {
  bool negative = false;
  std::string integer;   // digits, no leading zeros ("" for 0)
  std::string fraction;  // digits
};

bool SplitDecimal(std::string_view text, DecimalParts* parts) {
  text = TrimBlanks(text);
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    parts->negative = text[0] == '-';
    text.remove_prefix(1);
  }
  std::size_t point = text.find('.');
  std::string_view whole = text.substr(0, point);
  std::string_view fraction = point == std::string_view::npos ? "" : text.substr(point + 1);
  if (whole.empty() && fraction.empty()) return false;
  for (char c : whole) {
    if (c < '0' || c > '9') return false;
  }
  for (char c : fraction) {
    if (c < '0' || c > '9') return false;
  }
  while (!whole.empty() && whole[0] == '0') whole.remove_prefix(1);
  parts->integer = std::string(whole);
  parts->fraction = std::string(fraction);
  return true;
}

// Adds one unit in the last place of a digit string; returns the carry.
bool IncrementDigits(std::string* digits) {
  for (std::size_t i = digits->size(); i-- > 0;) {
    if ((*digits)[i] == '9') {
      (*digits)[i] = '0';
    } else {
      ++(*digits)[i];
      return false;
    }
  }
  return true;
}

std::string NumberText(const Value& value, bool* ok) {
  *ok = true;
  char buffer[400];
  switch (value.kind()) {
    case Value::Kind::kNumeric:
      return value.text();
    case Value::Kind::kText:
      return value.text();
    case Value::Kind::kInteger:
      return std::to_string(value.integer());
    case Value::Kind::kCurrency: {
      std::int64_t v = value.currency();
      std::uint64_t magnitude =
          v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
      std::string text = std::to_string(magnitude / 10000);
      std::string fraction = std::to_string(magnitude % 10000);
      return (v < 0 ? "-" : "") + text + "." + std::string(4 - fraction.size(), '0') + fraction;
    }
    case Value::Kind::kDouble: {
      auto result =
          std::to_chars(buffer, buffer + sizeof buffer, value.dbl(), std::chars_format::fixed);
      if (result.ec != std::errc()) break;
      return std::string(buffer, result.ptr);
    }
    default:
      break;
  }
  *ok = false;
  return std::string();
}

Status TypeMismatch(const FieldInfo& field, const Value& value) {
  return Status::InvalidArgument("Data type mismatch: field " + field.name + " (type " +
                                 std::string(1, field.type) + ") cannot take the value " +
                                 DebugString(value) + ".");
}

Status DecodeMemo(const FieldInfo& field, const char* bytes, const DecodeContext& context,
                  Value* out) {
  std::uint32_t block = 0;
  if (HasAsciiMemoPointer(field)) {
    std::string_view digits = TrimBlanks(std::string_view(bytes, field.width));
    for (char c : digits) {
      if (c < '0' || c > '9') {
        return Status::Corruption("the memo pointer '" + std::string(digits) +
                                  "' is not a block number");
      }
      if (block > 429496728u) {
        return Status::Corruption("the memo pointer '" + std::string(digits) +
                                  "' is beyond any memo file");
      }
      block = block * 10 + static_cast<std::uint32_t>(c - '0');
    }
  } else {
    block = static_cast<std::uint32_t>(ReadInt32(bytes));
  }
  bool binary = field.binary() || field.type != 'M';
  std::string* data = binary ? out->MutableText(Value::Kind::kBytes) : context.scratch;
  data->clear();
  if (block != 0) {
    if (context.memo == nullptr) {
      return Status::Corruption("points to memo block " + std::to_string(block) +
                                " but the table has no memo file");
    }
    FOXPRO_RETURN_IF_ERROR(context.memo->Read(block, data));
  }
  if (!binary) {
    std::string* text = out->MutableText(Value::Kind::kText);
    text->clear();
    FOXPRO_RETURN_IF_ERROR(context.codepage->Decode(*data, text));
  }
  return Status::Ok();
}

Status DecodeNumeric(const FieldInfo& field, const char* bytes, Value* out) {
  std::string_view raw(bytes, field.width);
  std::string_view trimmed = TrimBlanks(raw);
  if (trimmed.empty()) {
    out->SetNull();
    return Status::Ok();
  }
  DecimalParts parts;
  if (!SplitDecimal(trimmed, &parts)) {
    return Status::Corruption("'" + std::string(trimmed) + "' is not a number");
  }
  std::string* text = out->MutableText(Value::Kind::kNumeric);
  text->clear();
  bool zero = parts.integer.empty() && parts.fraction.find_first_not_of('0') == std::string::npos;
  if (parts.negative && !zero) text->push_back('-');
  text->append(parts.integer.empty() ? "0" : parts.integer);
  if (!parts.fraction.empty()) text->append("." + parts.fraction);
  return Status::Ok();
}

Status DecodeDate(const char* bytes, Value* out) {
  std::string_view raw(bytes, 8);
  if (AllBytesAre(raw, ' ') || AllBytesAre(raw, '0') || AllBytesAre(raw, '\0')) {
    out->SetNull();
    return Status::Ok();
  }
  int parts[3] = {0, 0, 0};
  static constexpr int kStart[] = {0, 4, 6};
  static constexpr int kLength[] = {4, 2, 2};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < kLength[i]; ++j) {
      char c = raw[static_cast<std::size_t>(kStart[i] + j)];
      if (c < '0' || c > '9') return Status::Corruption("'" + std::string(raw) + "' is not a date");
      parts[i] = parts[i] * 10 + (c - '0');
    }
  }
  Date date{parts[0], parts[1], parts[2]};
  if (!ValidDate(date)) return Status::Corruption("'" + std::string(raw) + "' is not a date");
  *out = Value::FromDate(date);
  return Status::Ok();
}

Status DecodeDateTime(const char* bytes, Value* out) {
  std::int32_t jdn = ReadInt32(bytes);
  std::int32_t ms = ReadInt32(bytes + 4);
  if (jdn == 0 || AllBytesAre(std::string_view(bytes, 8), ' ')) {
    out->SetNull();
    return Status::Ok();
  }
  if (jdn < 1721426 || jdn > 5373484 || ms < 0 || ms >= 86400000) {
    return Status::Corruption("day " + std::to_string(jdn) + " and time " + std::to_string(ms) +
                              " ms are not a datetime");
  }
  DateTime t;
  t.date = DateFromJulianDay(jdn);
  t.hour = ms / 3600000;
  t.minute = ms / 60000 % 60;
  t.second = ms / 1000 % 60;
  t.millisecond = ms % 1000;
  *out = Value::FromDateTime(t);
  return Status::Ok();
}

Status DecodeLogical(char c, Value* out) {
  switch (c) {
    case 'T':
    case 't':
    case 'Y':
    case 'y':
      *out = Value::Logical(true);
      break;
    case 'F':
    case 'f':
    case 'N':
    case 'n':
    case ' ':
      *out = Value::Logical(false);
      break;
    case '?':
      out->SetNull();
      break;
    default: {
      char hex[8];
      std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned char>(c));
      return Status::Corruption(std::string("the byte ") + hex +
                                " is not a logical value (T, Y, F, N, ? or blank)");
    }
  }
  return Status::Ok();
}

Status DecodeCharacter(const FieldInfo& field, std::string_view raw, const CodePage& codepage,
                       Value* out) {
  if (field.binary()) {
    std::string* bytes = out->MutableText(Value::Kind::kBytes);
    bytes->assign(raw.data(), raw.size());
    return Status::Ok();
  }
  std::string* text = out->MutableText(Value::Kind::kText);
  text->clear();
  return codepage.Decode(raw, text);
}

}  // namespace

bool NullFlagBit(std::string_view null_flags, int bit) {
  if (bit < 0) return false;
  auto index = static_cast<std::size_t>(bit / 8);
  if (index >= null_flags.size()) return false;
  return (static_cast<unsigned char>(null_flags[index]) >> (bit % 8) & 1) != 0;
}

Status DecodeField(const FieldInfo& field, const char* record, std::string_view null_flags,
                   const DecodeContext& context, Value* out) {
  if (NullFlagBit(null_flags, field.null_bit)) {
    out->SetNull();
    return Status::Ok();
  }
  const char* bytes = record + field.offset;
  switch (field.type) {
    case 'C': {
      std::string_view raw(bytes, field.width);
      while (!raw.empty() && (raw.back() == ' ' || raw.back() == '\0')) raw.remove_suffix(1);
      return DecodeCharacter(field, raw, *context.codepage, out);
    }
    case 'V':
    case 'Q': {
      std::size_t length = field.width;
      if (NullFlagBit(null_flags, field.varlen_bit)) {
        length = static_cast<unsigned char>(bytes[field.width - 1]);
        if (length >= field.width) {
          return Status::Corruption("the length byte says " + std::to_string(length) +
                                    " bytes but the field holds at most " +
                                    std::to_string(field.width - 1));
        }
      }
      std::string_view raw(bytes, length);
      if (field.type == 'Q') {
        out->MutableText(Value::Kind::kBytes)->assign(raw.data(), raw.size());
        return Status::Ok();
      }
      return DecodeCharacter(field, raw, *context.codepage, out);
    }
    case 'M':
    case 'G':
    case 'W':
    case 'P':
      return DecodeMemo(field, bytes, context, out);
    case 'B':
      if (!context.visual) return DecodeMemo(field, bytes, context, out);
      if (field.width != 8) return Status::Corruption("a double field must be 8 bytes wide");
      {
        double d;
        std::memcpy(&d, bytes, sizeof d);
        *out = Value::Double(d);
      }
      return Status::Ok();
    case 'N':
    case 'F':
      return DecodeNumeric(field, bytes, out);
    case 'I':
      if (field.width != 4) return Status::Corruption("an integer field must be 4 bytes wide");
      *out = Value::Integer(ReadInt32(bytes));
      return Status::Ok();
    case 'Y': {
      if (field.width != 8) return Status::Corruption("a currency field must be 8 bytes wide");
      std::int64_t v;
      std::memcpy(&v, bytes, sizeof v);
      *out = Value::Currency(v);
      return Status::Ok();
    }
    case 'D':
      if (field.width != 8) return Status::Corruption("a date field must be 8 bytes wide");
      return DecodeDate(bytes, out);
    case 'T':
      if (field.width != 8) return Status::Corruption("a datetime field must be 8 bytes wide");
      return DecodeDateTime(bytes, out);
    case 'L':
      return DecodeLogical(bytes[0], out);
    default:
      break;
  }
  return Status::Corruption(std::string("unknown field type '") + field.type + "'");
}

void BlankField(const FieldInfo& field, char* bytes) {
  switch (field.type) {
    case 'I':
    case 'B':
    case 'Y':
    case 'T':
    case 'M':
    case 'G':
    case 'W':
    case 'P':
      std::memset(bytes, field.width == 10 ? ' ' : 0, field.width);
      break;
    case 'V':
    case 'Q':
      std::memset(bytes, ' ', field.width);
      bytes[field.width - 1] = 0;
      break;
    default:
      std::memset(bytes, ' ', field.width);
      break;
  }
}

Status FormatNumeric(std::string_view decimal, int width, int decimals, std::string* out) {
  DecimalParts parts;
  if (!SplitDecimal(decimal, &parts)) {
    return Status::InvalidArgument("'" + std::string(decimal) + "' is not a number");
  }
  std::string integer = parts.integer.empty() ? "0" : parts.integer;
  std::string fraction = parts.fraction;
  auto keep = static_cast<std::size_t>(decimals);
  if (fraction.size() > keep) {
    bool round_up = fraction[keep] >= '5';
    fraction.resize(keep);
    if (round_up && IncrementDigits(&fraction) && IncrementDigits(&integer)) {
      integer.insert(integer.begin(), '1');
    }
  }
  fraction.resize(keep, '0');
  bool zero = integer.find_first_not_of('0') == std::string::npos &&
              fraction.find_first_not_of('0') == std::string::npos;
  std::string text = (parts.negative && !zero ? "-" : "") + integer;
  if (decimals > 0) text += "." + fraction;
  if (text.size() > static_cast<std::size_t>(width)) {
    return Status::InvalidArgument("the number " + std::string(TrimBlanks(decimal)) +
                                   " does not fit N(" + std::to_string(width) + "," +
                                   std::to_string(decimals) + ")");
  }
  out->assign(static_cast<std::size_t>(width) - text.size(), ' ');
  out->append(text);
  return Status::Ok();
}

namespace {

Status EncodeText(const FieldInfo& field, const Value& value, const CodePage& codepage,
                  std::string* out) {
  out->clear();
  if (value.kind() == Value::Kind::kBytes) {
    out->assign(value.text());
    return Status::Ok();
  }
  if (value.kind() != Value::Kind::kText) return TypeMismatch(field, value);
  bool raw = field.binary() || field.type == 'Q' || field.type == 'W' || field.type == 'G' ||
             field.type == 'P';
  if (raw) {
    out->assign(value.text());
    return Status::Ok();
  }
  Status status = codepage.Encode(value.text(), out);
  if (!status.ok()) {
    return Status::InvalidArgument("Field " + field.name + ": " + status.message());
  }
  return Status::Ok();
}

Status TooLong(const FieldInfo& field, std::size_t length) {
  return Status::InvalidArgument("Field " + field.name + " holds " + std::to_string(field.width) +
                                 " bytes; the value needs " + std::to_string(length) + ".");
}

Status EncodeDateTime(const FieldInfo& field, const Value& value, char* bytes) {
  if (value.kind() == Value::Kind::kText && value.text().empty()) {
    BlankField(field, bytes);
    return Status::Ok();
  }
  DateTime t;
  if (value.kind() == Value::Kind::kDateTime) {
    t = value.datetime();
  } else if (value.kind() == Value::Kind::kDate) {
    t.date = value.date();
  } else {
    return TypeMismatch(field, value);
  }
  if (!ValidDate(t.date) || t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59 ||
      t.second < 0 || t.second > 59 || t.millisecond < 0 || t.millisecond > 999) {
    return Status::InvalidArgument("Field " + field.name + ": " + DebugString(value) +
                                   " is not a valid datetime.");
  }
  auto jdn = static_cast<std::int32_t>(JulianDay(t.date));
  std::int32_t ms = ((t.hour * 60 + t.minute) * 60 + t.second) * 1000 + t.millisecond;
  std::memcpy(bytes, &jdn, 4);
  std::memcpy(bytes + 4, &ms, 4);
  return Status::Ok();
}

Status EncodeNumber(const FieldInfo& field, const Value& value, char* bytes) {
  if (value.kind() == Value::Kind::kText && value.text().empty()) {
    BlankField(field, bytes);
    return Status::Ok();
  }
  bool ok = false;
  std::string text = NumberText(value, &ok);
  if (!ok) return TypeMismatch(field, value);
  std::string formatted;
  Status status = FormatNumeric(text, field.width, field.decimals, &formatted);
  if (!status.ok())
    return Status::InvalidArgument("Field " + field.name + ": " + status.message() + ".");
  std::memcpy(bytes, formatted.data(), field.width);
  return Status::Ok();
}

// Exact scaled value of a decimal text with `scale` fraction digits, rounded
// half away from zero; false when it is not a number or does not fit int64.
bool ScaledInteger(std::string_view text, int scale, std::int64_t* out) {
  std::string formatted;
  if (!FormatNumeric(text, 40, scale, &formatted).ok()) return false;
  std::string_view digits = TrimBlanks(formatted);
  bool negative = !digits.empty() && digits[0] == '-';
  if (negative) digits.remove_prefix(1);
  constexpr std::uint64_t kLimit = 9223372036854775808ull;  // |INT64_MIN|
  std::uint64_t magnitude = 0;
  for (char c : digits) {
    if (c == '.') continue;
    auto digit = static_cast<std::uint64_t>(c - '0');
    if (magnitude > (kLimit - digit) / 10) return false;
    magnitude = magnitude * 10 + digit;
  }
  if (!negative && magnitude == kLimit) return false;
  *out = negative ? static_cast<std::int64_t>(0 - static_cast<std::uint64_t>(magnitude))
                  : static_cast<std::int64_t>(magnitude);
  return true;
}

Status EncodeInteger(const FieldInfo& field, const Value& value, char* bytes) {
  std::int64_t v = 0;
  bool ok = false;
  std::string text = NumberText(value, &ok);
  if (!ok || value.kind() == Value::Kind::kText) return TypeMismatch(field, value);
  if (!ScaledInteger(text, 0, &v) || v < INT32_MIN || v > INT32_MAX) {
    return Status::InvalidArgument("Field " + field.name + ": " + text +
                                   " does not fit an integer field.");
  }
  auto narrow = static_cast<std::int32_t>(v);
  std::memcpy(bytes, &narrow, 4);
  return Status::Ok();
}

Status EncodeCurrency(const FieldInfo& field, const Value& value, char* bytes) {
  std::int64_t v = 0;
  if (value.kind() == Value::Kind::kCurrency) {
    v = value.currency();
  } else {
    bool ok = false;
    std::string text = NumberText(value, &ok);
    if (!ok || value.kind() == Value::Kind::kText) return TypeMismatch(field, value);
    if (!ScaledInteger(text, 4, &v)) {
      return Status::InvalidArgument("Field " + field.name + ": " + text +
                                     " does not fit a currency field.");
    }
  }
  std::memcpy(bytes, &v, 8);
  return Status::Ok();
}

Status EncodeDouble(const FieldInfo& field, const Value& value, char* bytes) {
  double d = 0;
  switch (value.kind()) {
    case Value::Kind::kDouble:
      d = value.dbl();
      break;
    case Value::Kind::kInteger:
      d = static_cast<double>(value.integer());
      break;
    case Value::Kind::kCurrency:
      d = static_cast<double>(value.currency()) / 10000.0;
      break;
    case Value::Kind::kNumeric: {
      std::string_view text = TrimBlanks(value.text());
      if (!text.empty() && text[0] == '+') text.remove_prefix(1);
      auto result = std::from_chars(text.data(), text.data() + text.size(), d);
      if (result.ec != std::errc() || result.ptr != text.data() + text.size()) {
        return TypeMismatch(field, value);
      }
      break;
    }
    default:
      return TypeMismatch(field, value);
  }
  std::memcpy(bytes, &d, 8);
  return Status::Ok();
}

Status EncodeDate(const FieldInfo& field, const Value& value, char* bytes) {
  if (value.kind() == Value::Kind::kText && value.text().empty()) {
    BlankField(field, bytes);
    return Status::Ok();
  }
  Date d;
  if (value.kind() == Value::Kind::kDate) {
    d = value.date();
  } else if (value.kind() == Value::Kind::kDateTime) {
    d = value.datetime().date;
  } else {
    return TypeMismatch(field, value);
  }
  if (!ValidDate(d)) {
    return Status::InvalidArgument("Field " + field.name + ": " + DebugString(value) +
                                   " is not a valid date.");
  }
  char text[9];
  std::snprintf(text, sizeof text, "%04d%02d%02d", d.year, d.month, d.day);
  std::memcpy(bytes, text, 8);
  return Status::Ok();
}

}  // namespace

Status EncodeField(const FieldInfo& field, const Value& value, const CodePage& codepage,
                   char* bytes, bool* short_length, std::string* memo_data) {
  *short_length = false;
  switch (field.type) {
    case 'C': {
      std::string text;
      FOXPRO_RETURN_IF_ERROR(EncodeText(field, value, codepage, &text));
      if (text.size() > field.width) return TooLong(field, text.size());
      std::memset(bytes, ' ', field.width);
      std::memcpy(bytes, text.data(), text.size());
      return Status::Ok();
    }
    case 'V':
    case 'Q': {
      std::string text;
      FOXPRO_RETURN_IF_ERROR(EncodeText(field, value, codepage, &text));
      if (text.size() > field.width) return TooLong(field, text.size());
      std::memset(bytes, ' ', field.width);
      std::memcpy(bytes, text.data(), text.size());
      if (text.size() < field.width) {
        *short_length = true;
        bytes[field.width - 1] = static_cast<char>(text.size());
      }
      return Status::Ok();
    }
    case 'M':
    case 'G':
    case 'W':
    case 'P':
      FOXPRO_RETURN_IF_ERROR(EncodeText(field, value, codepage, memo_data));
      if (memo_data->size() > 0xFFFFFFF0u) return TooLong(field, memo_data->size());
      std::memset(bytes, 0, field.width);
      return Status::Ok();
    case 'N':
    case 'F':
      return EncodeNumber(field, value, bytes);
    case 'I':
      return EncodeInteger(field, value, bytes);
    case 'B':
      return EncodeDouble(field, value, bytes);
    case 'Y':
      return EncodeCurrency(field, value, bytes);
    case 'D':
      return EncodeDate(field, value, bytes);
    case 'T':
      return EncodeDateTime(field, value, bytes);
    case 'L':
      if (value.kind() != Value::Kind::kLogical) return TypeMismatch(field, value);
      bytes[0] = value.logical() ? 'T' : 'F';
      return Status::Ok();
    default:
      break;
  }
  return Status::NotSupported(std::string("writing fields of type '") + field.type +
                              "' is not supported");
}

}  // namespace foxpro
