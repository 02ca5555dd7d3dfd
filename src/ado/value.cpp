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

std::string Pad(int value, int width) {
  std::string s = std::to_string(value < 0 ? -value : value);
  if (s.size() < static_cast<std::size_t>(width)) {
    s.insert(0, static_cast<std::size_t>(width) - s.size(), '0');
  }
  return value < 0 ? "-" + s : s;
}

}  // namespace

bool MakeDecimal(std::string_view text, Decimal* out) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  std::string whole;
  std::string fraction;
  bool any_digit = false;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    whole += text[i];
    any_digit = true;
  }
  if (i < text.size() && text[i] == '.') {
    for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
      fraction += text[i];
      any_digit = true;
    }
  }
  if (!any_digit || i != text.size()) return false;
  std::size_t first = whole.find_first_not_of('0');
  whole = first == std::string::npos ? "0" : whole.substr(first);
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  std::string result = whole;
  if (!fraction.empty()) result += "." + fraction;
  if (negative && result != "0") result.insert(0, "-");
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
  return Pad(d.year, 4) + "-" + Pad(d.month, 2) + "-" + Pad(d.day, 2);
}

std::string DateTimeText(const DateTime& t) {
  std::string text = DateText(t.date) + " " + Pad(t.hour, 2) + ":" + Pad(t.minute, 2) + ":" +
                     Pad(t.second, 2);
  if (t.millisecond != 0) text += "." + Pad(t.millisecond, 3);
  return text;
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
    case Kind::kBytes: return AsBytes();
  }
  return std::string();
}

}  // namespace ado
