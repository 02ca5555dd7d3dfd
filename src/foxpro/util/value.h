// The engine's field value: what one field of one record holds once decoded,
// and what an append takes. Text is UTF-8 (decoded from the table's code
// page); binary fields give their bytes unchanged.
#ifndef QUILLOMAR_FOXPRO_UTIL_VALUE_H_
#define QUILLOMAR_FOXPRO_UTIL_VALUE_H_

#include <cstdint>
#include <string>
#include <utility>

namespace foxpro {

// A calendar date (proleptic Gregorian).
struct Date {
  int year = 0;
  int month = 0;
  int day = 0;
  friend bool operator==(const Date&, const Date&) = default;
};

// A date and a time of day with milliseconds.
struct DateTime {
  Date date;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
  friend bool operator==(const DateTime&, const DateTime&) = default;
};

// Julian Day Number of a date (2440588 = 1970-01-01) and back.
std::int64_t JulianDay(const Date& date);
Date DateFromJulianDay(std::int64_t jdn);

// One field value. Which kind a field gives is fixed by its type letter:
//   C V M (text)                 -> kText (kBytes when binary / NOCPTRANS)
//   Q W G P                      -> kBytes
//   N F                          -> kNumeric (decimal text: "-12.50", "7")
//   I                            -> kInteger
//   B                            -> kDouble
//   Y                            -> kCurrency (ten-thousandths)
//   D                            -> kDate, T -> kDateTime
//   L                            -> kLogical
// kNull for a null (the _NullFlags bit) and for an empty date or datetime.
// An empty N/F field (all blanks) reads as kNull too.
class Value {
 public:
  enum class Kind {
    kNull,
    kLogical,
    kInteger,
    kNumeric,
    kDouble,
    kCurrency,
    kDate,
    kDateTime,
    kText,
    kBytes
  };

  Value() = default;  // null
  static Value Null() { return Value(); }
  static Value Logical(bool b) {
    Value v(Kind::kLogical);
    v.int_ = b ? 1 : 0;
    return v;
  }
  static Value Integer(std::int64_t i) {
    Value v(Kind::kInteger);
    v.int_ = i;
    return v;
  }
  static Value Numeric(std::string decimal_text) {
    return WithText(Kind::kNumeric, std::move(decimal_text));
  }
  static Value Double(double d) {
    Value v(Kind::kDouble);
    v.double_ = d;
    return v;
  }
  static Value Currency(std::int64_t ten_thousandths) {
    Value v(Kind::kCurrency);
    v.int_ = ten_thousandths;
    return v;
  }
  static Value FromDate(Date d) {
    Value v(Kind::kDate);
    v.datetime_.date = d;
    return v;
  }
  static Value FromDateTime(DateTime t) {
    Value v(Kind::kDateTime);
    v.datetime_ = t;
    return v;
  }
  static Value Text(std::string utf8) { return WithText(Kind::kText, std::move(utf8)); }
  static Value Bytes(std::string bytes) { return WithText(Kind::kBytes, std::move(bytes)); }

  Kind kind() const { return kind_; }
  bool is_null() const { return kind_ == Kind::kNull; }

  // Accessors; each requires the matching kind.
  bool logical() const { return int_ != 0; }
  std::int64_t integer() const { return int_; }           // kInteger
  std::int64_t currency() const { return int_; }          // kCurrency, in 1/10000
  double dbl() const { return double_; }                  // kDouble
  const Date& date() const { return datetime_.date; }     // kDate
  const DateTime& datetime() const { return datetime_; }  // kDateTime
  const std::string& text() const { return text_; }       // kText (UTF-8), kBytes, kNumeric

  // Reuse helpers for readers that fill a value per record without
  // reallocating: set the kind and hand out the text buffer.
  void SetNull() { kind_ = Kind::kNull; }
  std::string* MutableText(Kind kind) {
    kind_ = kind;
    return &text_;
  }

  friend bool operator==(const Value& a, const Value& b);

 private:
  explicit Value(Kind kind) : kind_(kind) {}
  static Value WithText(Kind kind, std::string s) {
    Value v(kind);
    v.text_ = std::move(s);
    return v;
  }

  Kind kind_ = Kind::kNull;
  std::int64_t int_ = 0;
  double double_ = 0;
  DateTime datetime_;
  std::string text_;
};

// A short description for messages and test output ("null", "'abc'", "12.5").
std::string DebugString(const Value& value);

}  // namespace foxpro

#endif  // QUILLOMAR_FOXPRO_UTIL_VALUE_H_
