#include "ado/value.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <system_error>

namespace ado {
namespace {

// Formats an integer amount with `scale` implied decimal places, without
// trailing fraction zeros.
std::string ScaledText(std::int64_t amount, int scale) {
  bool negative = amount < 0;
  // Work in unsigned so that INT64_MIN is safe.
  std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(amount)
                                     : static_cast<std::uint64_t>(amount);
  std::uint64_t divisor = 1;
  for (int i = 0; i < scale; ++i) divisor *= 10;
  std::string text = std::to_string(magnitude / divisor);
  std::uint64_t fraction = magnitude % divisor;
  if (fraction != 0) {
    std::string digits = std::to_string(fraction);
    digits.insert(0, static_cast<std::size_t>(scale) - digits.size(), '0');
    while (!digits.empty() && digits.back() == '0') digits.pop_back();
    text += "." + digits;
  }
  return negative ? "-" + text : text;
}

// Appends `value` with at least `width` digits; a negative value's minus
// sign goes in front of the zeros.
void AppendPadded(std::string* out, int value, int width) {
  if (value < 0) out->push_back('-');
  const long long wide = value;
  char digits[24];
  const char* end =
      std::to_chars(digits, digits + sizeof digits, wide < 0 ? -wide : wide).ptr;
  const auto count = static_cast<int>(end - digits);
  if (count < width) out->append(static_cast<std::size_t>(width - count), '0');
  out->append(digits, static_cast<std::size_t>(count));
}

void AppendDate(std::string* out, const Date& d) {
  AppendPadded(out, d.year, 4);
  out->push_back('-');
  AppendPadded(out, d.month, 2);
  out->push_back('-');
  AppendPadded(out, d.day, 2);
}

void AppendDateTime(std::string* out, const DateTime& t) {
  AppendDate(out, t.date);
  out->push_back(' ');
  AppendPadded(out, t.hour, 2);
  out->push_back(':');
  AppendPadded(out, t.minute, 2);
  out->push_back(':');
  AppendPadded(out, t.second, 2);
  if (t.millisecond != 0) {
    out->push_back('.');
    AppendPadded(out, t.millisecond, 3);
  }
}

// Appends the text form of binary data: "0x" and two upper-case hex digits
// per byte; nothing for empty data.
void AppendHex(std::string* out, std::string_view bytes) {
  if (bytes.empty()) return;
  static constexpr char kDigits[] = "0123456789ABCDEF";
  const std::size_t start = out->size();
  out->resize(start + 2 + 2 * bytes.size());
  char* p = out->data() + start;
  *p++ = '0';
  *p++ = 'x';
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    *p++ = kDigits[b >> 4];
    *p++ = kDigits[b & 0x0F];
  }
}

}  // namespace

bool MakeDecimal(std::string_view text, Decimal* out) {
  auto is_digit = [](char c) { return c >= '0' && c <= '9'; };
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  const std::size_t whole_start = i;
  while (i < text.size() && is_digit(text[i])) ++i;
  std::string_view whole = text.substr(whole_start, i - whole_start);
  std::string_view fraction;
  if (i < text.size() && text[i] == '.') {
    const std::size_t fraction_start = ++i;
    while (i < text.size() && is_digit(text[i])) ++i;
    fraction = text.substr(fraction_start, i - fraction_start);
  }
  if ((whole.empty() && fraction.empty()) || i != text.size()) return false;
  // Canonical form: no leading zeros before the point, no trailing zeros
  // after it, and no sign on zero.
  const std::size_t first = whole.find_first_not_of('0');
  whole = first == std::string_view::npos ? std::string_view("0") : whole.substr(first);
  const std::size_t last = fraction.find_last_not_of('0');
  fraction = last == std::string_view::npos ? std::string_view() : fraction.substr(0, last + 1);
  std::string result;
  result.reserve(whole.size() + fraction.size() + 2);
  if (negative && (whole != "0" || !fraction.empty())) result.push_back('-');
  result.append(whole);
  if (!fraction.empty()) {
    result.push_back('.');
    result.append(fraction);
  }
  out->text = std::move(result);
  return true;
}

std::string CurrencyText(Currency c) { return ScaledText(c.ten_thousandths, 4); }

std::string DoubleText(double d) {
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, d);
  if (ec != std::errc()) return "0";
  return std::string(buffer, end);
}

std::string DateText(const Date& d) {
  std::string text;
  AppendDate(&text, d);
  return text;
}

std::string DateTimeText(const DateTime& t) {
  std::string text;
  AppendDateTime(&text, t);
  return text;
}

void Value::AssignText(std::string_view text) {
  if (auto* own = std::get_if<std::string>(&storage_)) {
    own->assign(text.data(), text.size());
  } else {
    storage_.emplace<std::string>(text);
  }
}

std::string_view Value::TextView(std::string* scratch) const {
  switch (kind()) {
    case Kind::kText: return AsText();
    case Kind::kDecimal: return AsDecimal().text;
    default: AssignTextTo(scratch); return *scratch;
  }
}

void Value::AssignTextTo(std::string* out) const {
  switch (kind()) {
    case Kind::kText: out->assign(AsText()); return;
    case Kind::kBytes: out->clear(); AppendHex(out, AsBytes()); return;
    case Kind::kDecimal: out->assign(AsDecimal().text); return;
    case Kind::kDate: out->clear(); AppendDate(out, AsDate()); return;
    case Kind::kDateTime: out->clear(); AppendDateTime(out, AsDateTime()); return;
    default: *out = ToText(); return;
  }
}

std::string Value::ToText() const {
  switch (kind()) {
    case Kind::kNull: return std::string();
    case Kind::kBool: return AsBool() ? "True" : "False";
    case Kind::kInt: return std::to_string(AsInt());
    case Kind::kDecimal: return AsDecimal().text;
    case Kind::kDouble: return DoubleText(AsDouble());
    case Kind::kCurrency: return CurrencyText(AsCurrency());
    case Kind::kDate: return DateText(AsDate());
    case Kind::kDateTime: return DateTimeText(AsDateTime());
    case Kind::kText: return AsText();
    case Kind::kBytes: {
      std::string text;
      AppendHex(&text, AsBytes());
      return text;
    }
  }
  return std::string();
}

}  // namespace ado
