// A value of the data-access layer: what a record set field holds. It is one
// of null, logical, integer, exact decimal, double, currency, date, datetime,
// text (UTF-8) or bytes, and has one locale-independent text form.
#ifndef QUILLOMAR_ADO_VALUE_H_
#define QUILLOMAR_ADO_VALUE_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace ado {

struct Date {
  int year = 0;
  int month = 0;
  int day = 0;
  friend bool operator==(const Date&, const Date&) = default;
};

struct DateTime {
  Date date;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
  friend bool operator==(const DateTime&, const DateTime&) = default;
};

// An exact decimal number held as its canonical text: optional "-", digits,
// and a "." followed by digits only when the fraction is not zero ("12.5",
// "-0.0001", "7"). Use MakeDecimal to build one from any decimal text.
struct Decimal {
  std::string text;
  friend bool operator==(const Decimal&, const Decimal&) = default;
};

// Currency: a signed amount in units of 1/10000.
struct Currency {
  std::int64_t ten_thousandths = 0;
  friend bool operator==(const Currency&, const Currency&) = default;
};

// Binary data, byte for byte.
struct Bytes {
  std::string data;
  friend bool operator==(const Bytes&, const Bytes&) = default;
};

class Value {
 public:
  enum class Kind { kNull, kBool, kInt, kDecimal, kDouble, kCurrency, kDate, kDateTime, kText, kBytes };

  Value() = default;  // null
  static Value Null() { return Value(); }
  static Value Bool(bool b) { return Value(Storage(b)); }
  static Value Int(std::int64_t i) { return Value(Storage(i)); }
  static Value Dec(Decimal d) { return Value(Storage(std::move(d))); }
  static Value Double(double d) { return Value(Storage(d)); }
  static Value Money(Currency c) { return Value(Storage(c)); }
  static Value FromDate(Date d) { return Value(Storage(d)); }
  static Value FromDateTime(DateTime t) { return Value(Storage(t)); }
  static Value Text(std::string s) { return Value(Storage(std::move(s))); }
  static Value Binary(std::string bytes) { return Value(Storage(Bytes{std::move(bytes)})); }

  Kind kind() const { return static_cast<Kind>(storage_.index()); }
  bool IsNull() const { return kind() == Kind::kNull; }

  // Accessors; each requires the matching kind.
  bool AsBool() const { return std::get<bool>(storage_); }
  std::int64_t AsInt() const { return std::get<std::int64_t>(storage_); }
  const Decimal& AsDecimal() const { return std::get<Decimal>(storage_); }
  double AsDouble() const { return std::get<double>(storage_); }
  Currency AsCurrency() const { return std::get<Currency>(storage_); }
  Date AsDate() const { return std::get<Date>(storage_); }
  DateTime AsDateTime() const { return std::get<DateTime>(storage_); }
  const std::string& AsText() const { return std::get<std::string>(storage_); }
  const std::string& AsBytes() const { return std::get<Bytes>(storage_).data; }

  // The text form: "True"/"False"; integers in decimal; decimals and currency
  // with "." and no trailing fraction zeros; doubles in the shortest form that
  // reads back the same; "YYYY-MM-DD"; "YYYY-MM-DD HH:MM:SS" plus ".mmm" when
  // the milliseconds are not zero; text as it is; bytes as "0x" and two
  // upper-case hex digits per byte ("0x00FF"), empty bytes as the empty
  // text. Null gives the empty text.
  std::string ToText() const;
  // The same text form, viewed where the value holds it (text, decimals) or
  // formed in `scratch` (other kinds, bytes included). Valid while both the
  // value and `scratch` are unchanged.
  std::string_view TextView(std::string* scratch) const;
  // The same text form, written over what `out` held: its buffer is reused,
  // so a copy that keeps one string for its values allocates only when a
  // value outgrows it.
  void AssignTextTo(std::string* out) const;

  // Makes this value the text `text`, reusing its own text buffer when it
  // holds text already: readers that fill one row after another then
  // allocate only when a value outgrows its buffer.
  void AssignText(std::string_view text);

  friend bool operator==(const Value&, const Value&) = default;

 private:
  using Storage = std::variant<std::monostate, bool, std::int64_t, Decimal, double, Currency, Date,
                               DateTime, std::string, Bytes>;
  explicit Value(Storage s) : storage_(std::move(s)) {}
  Storage storage_;
};

// Canonical decimal from text such as "0012.500", "-.5", "+3", "1e3" is not
// accepted. Returns false when the text is not a plain decimal number.
bool MakeDecimal(std::string_view text, Decimal* out);

// Text forms used by ToText, exposed for callers that format parts.
std::string CurrencyText(Currency c);
std::string DoubleText(double d);
std::string DateText(const Date& d);
std::string DateTimeText(const DateTime& t);

}  // namespace ado

#endif  // QUILLOMAR_ADO_VALUE_H_
