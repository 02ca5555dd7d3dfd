#include "foxpro/util/value.h"

#include <cstdio>

namespace foxpro {

std::int64_t JulianDay(const Date& date) {
  // Proleptic Gregorian calendar to Julian Day Number (integer arithmetic).
  std::int64_t a = (14 - date.month) / 12;
  std::int64_t y = date.year + 4800 - a;
  std::int64_t m = date.month + 12 * a - 3;
  return date.day + (153 * m + 2) / 5 + 365 * y + y / 4 - y / 100 + y / 400 - 32045;
}

Date DateFromJulianDay(std::int64_t jdn) {
  std::int64_t a = jdn + 32044;
  std::int64_t b = (4 * a + 3) / 146097;
  std::int64_t c = a - 146097 * b / 4;
  std::int64_t d = (4 * c + 3) / 1461;
  std::int64_t e = c - 1461 * d / 4;
  std::int64_t m = (5 * e + 2) / 153;
  Date out;
  out.day = static_cast<int>(e - (153 * m + 2) / 5 + 1);
  out.month = static_cast<int>(m + 3 - 12 * (m / 10));
  out.year = static_cast<int>(100 * b + d - 4800 + m / 10);
  return out;
}

bool operator==(const Value& a, const Value& b) {
  if (a.kind_ != b.kind_) return false;
  switch (a.kind_) {
    case Value::Kind::kNull:
      return true;
    case Value::Kind::kLogical:
    case Value::Kind::kInteger:
    case Value::Kind::kCurrency:
      return a.int_ == b.int_;
    case Value::Kind::kDouble:
      return a.double_ == b.double_;
    case Value::Kind::kDate:
      return a.datetime_.date == b.datetime_.date;
    case Value::Kind::kDateTime:
      return a.datetime_ == b.datetime_;
    case Value::Kind::kNumeric:
    case Value::Kind::kText:
    case Value::Kind::kBytes:
      return a.text_ == b.text_;
  }
  return false;
}

std::string DebugString(const Value& value) {
  char buffer[64];
  switch (value.kind()) {
    case Value::Kind::kNull:
      return "null";
    case Value::Kind::kLogical:
      return value.logical() ? ".T." : ".F.";
    case Value::Kind::kInteger:
      return std::to_string(value.integer());
    case Value::Kind::kCurrency: {
      std::int64_t v = value.currency();
      std::snprintf(buffer, sizeof buffer, "$%s%lld.%04lld", v < 0 ? "-" : "",
                    static_cast<long long>(v < 0 ? -(v / 10000) : v / 10000),
                    static_cast<long long>(v < 0 ? -(v % 10000) : v % 10000));
      return buffer;
    }
    case Value::Kind::kDouble:
      std::snprintf(buffer, sizeof buffer, "%.17g", value.dbl());
      return buffer;
    case Value::Kind::kDate:
      std::snprintf(buffer, sizeof buffer, "{%04d-%02d-%02d}", value.date().year,
                    value.date().month, value.date().day);
      return buffer;
    case Value::Kind::kDateTime: {
      const DateTime& t = value.datetime();
      std::snprintf(buffer, sizeof buffer, "{%04d-%02d-%02d %02d:%02d:%02d.%03d}", t.date.year,
                    t.date.month, t.date.day, t.hour, t.minute, t.second, t.millisecond);
      return buffer;
    }
    case Value::Kind::kNumeric:
      return value.text();
    case Value::Kind::kText:
      return "'" + value.text() + "'";
    case Value::Kind::kBytes:
      return "bytes(" + std::to_string(value.text().size()) + ")";
  }
  return "?";
}

}  // namespace foxpro
