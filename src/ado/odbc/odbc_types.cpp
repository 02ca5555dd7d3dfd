#include "ado/odbc/odbc_types.h"

#include <limits>
#include <string>

#include "ado/odbc/odbc_api.h"
#include "text/ascii.h"

namespace ado::odbc {
namespace {

// Exponents beyond this are not written out digit by digit: no NUMERIC
// column of a real database comes near it, and it bounds the text's size.
constexpr long kMaxExponent = 1000;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

int AdoTypeForSqlType(int sql_type, bool is_unsigned) {
  switch (sql_type) {
    case SQL_CHAR: return 129;
    case SQL_VARCHAR: return 200;
    case SQL_LONGVARCHAR: return 201;
    case SQL_WCHAR: return 130;
    case SQL_WVARCHAR: return 202;
    case SQL_WLONGVARCHAR: return 203;
    case SQL_NUMERIC:
    case SQL_DECIMAL: return 131;
    case SQL_INTEGER: return 3;
    case SQL_SMALLINT: return 2;
    case SQL_TINYINT: return is_unsigned ? 17 : 16;
    case SQL_BIGINT: return 20;
    case SQL_REAL: return 4;
    case SQL_FLOAT:
    case SQL_DOUBLE: return 5;
    case SQL_BIT: return 11;
    case SQL_TYPE_DATE:
    case SQL_DATE: return 133;
    case SQL_TYPE_TIME:
    case SQL_TIME: return 134;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP: return 135;
    case SQL_BINARY: return 128;
    case SQL_VARBINARY: return 204;
    case SQL_LONGVARBINARY: return 205;
    case SQL_GUID: return 72;
    default: return 200;
  }
}

FetchAs FetchAsForSqlType(int sql_type, bool is_unsigned) {
  switch (sql_type) {
    case SQL_NUMERIC:
    case SQL_DECIMAL: return FetchAs::kDecimal;
    case SQL_INTEGER:
    case SQL_SMALLINT:
    case SQL_TINYINT: return FetchAs::kInteger;
    case SQL_BIGINT: return is_unsigned ? FetchAs::kUnsigned : FetchAs::kInteger;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE: return FetchAs::kDouble;
    case SQL_BIT: return FetchAs::kBit;
    case SQL_TYPE_DATE:
    case SQL_DATE: return FetchAs::kDate;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP: return FetchAs::kDateTime;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY: return FetchAs::kBinary;
    default: return FetchAs::kText;  // character types, GUID, time, intervals, ...
  }
}

std::optional<Decimal> DecimalFromDriverText(std::string_view text) {
  text = TrimBlanks(text);
  std::size_t i = 0;
  std::string sign;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    if (text[i] == '-') sign = "-";
    ++i;
  }
  std::string digits;
  long point = 0;  // digits before the decimal point
  for (; i < text.size() && IsDigit(text[i]); ++i) digits += text[i];
  point = static_cast<long>(digits.size());
  if (i < text.size() && (text[i] == '.' || text[i] == ',')) {
    for (++i; i < text.size() && IsDigit(text[i]); ++i) digits += text[i];
  }
  if (digits.empty()) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (i == text.size()) return std::nullopt;
    long exponent = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
      exponent = exponent * 10 + (text[i] - '0');
      if (exponent > kMaxExponent) return std::nullopt;
    }
    point += negative ? -exponent : exponent;
  }
  if (i != text.size()) return std::nullopt;
  // Place the decimal point `point` digits into `digits`, padding with zeros.
  std::string plain;
  if (point <= 0) {
    plain = "0." + std::string(static_cast<std::size_t>(-point), '0') + digits;
  } else if (static_cast<std::size_t>(point) >= digits.size()) {
    plain = digits + std::string(static_cast<std::size_t>(point) - digits.size(), '0');
  } else {
    plain = digits.substr(0, static_cast<std::size_t>(point)) + "." +
            digits.substr(static_cast<std::size_t>(point));
  }
  Decimal result;
  if (!MakeDecimal(sign + plain, &result)) return std::nullopt;
  return result;
}

Value NonDecimalNumericValue(std::string_view text) {
  std::string_view t = TrimBlanks(text);
  bool negative = !t.empty() && t.front() == '-';
  if (!t.empty() && (t.front() == '-' || t.front() == '+')) t.remove_prefix(1);
  if (ascii::EqualsIgnoringCase(t, "nan")) return Value::Double(std::numeric_limits<double>::quiet_NaN());
  if (ascii::EqualsIgnoringCase(t, "infinity") || ascii::EqualsIgnoringCase(t, "inf")) {
    double inf = std::numeric_limits<double>::infinity();
    return Value::Double(negative ? -inf : inf);
  }
  return Value::Text(std::string(text));
}

}  // namespace ado::odbc
