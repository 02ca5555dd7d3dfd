// Text forms of values, decimal canonicalisation and the row codec.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>

#include "ado/connection_string.h"
#include "ado/row_codec.h"
#include "ado/value.h"

namespace ado {
namespace {

// Every byte value once, 0x00 to 0xFF.
std::string EveryByte() {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<char>(b));
  return bytes;
}

// The binary text form of EveryByte(), formed with printf.
std::string EveryByteText() {
  std::string text = "0x";
  for (int b = 0; b < 256; ++b) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02X", b);
    text += digits;
  }
  return text;
}

TEST(ValueText, FormsAreLocaleIndependent) {
  struct Case {
    Value value;
    std::string text;
  } cases[] = {
      {Value(), ""},
      {Value::Bool(true), "True"},
      {Value::Bool(false), "False"},
      {Value::Int(-42), "-42"},
      {Value::Dec(Decimal{"-12.5"}), "-12.5"},
      {Value::Int(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808"},
      {Value::Money(Currency{125000}), "12.5"},
      {Value::Money(Currency{-1}), "-0.0001"},
      {Value::Money(Currency{70000}), "7"},
      {Value::Money(Currency{std::numeric_limits<std::int64_t>::min()}),
       "-922337203685477.5808"},
      {Value::Double(0.1), "0.1"},
      {Value::Double(1e300), "1e+300"},
      {Value::Double(-2.5), "-2.5"},
      {Value::FromDate(Date{2024, 2, 9}), "2024-02-09"},
      {Value::FromDateTime(DateTime{{1999, 12, 31}, 23, 59, 58, 0}), "1999-12-31 23:59:58"},
      {Value::FromDateTime(DateTime{{2001, 1, 2}, 3, 4, 5, 7}), "2001-01-02 03:04:05.007"},
      {Value::FromDateTime(DateTime{{12, 10, 11}, 0, 0, 0, 120}), "0012-10-11 00:00:00.120"},
      {Value::FromDate(Date{-5, 1, 1}), "-0005-01-01"},
      {Value::FromDate(Date{std::numeric_limits<int>::min(), 1, 1}), "-2147483648-01-01"},
      {Value::FromDate(Date{12345, 1, 1}), "12345-01-01"},
      {Value::Text("Müller – ✓"), "Müller – ✓"},
      {Value::Binary(std::string("a\0b", 3)), "0x610062"},
      {Value::Binary(""), ""},
      {Value::Binary(std::string(1, '\0')), "0x00"},
      {Value::Binary("\xff\x0f\xf0"), "0xFF0FF0"},
      {Value::Binary(EveryByte()), EveryByteText()},
      {Value::Text("0x00"), "0x00"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.value.ToText(), c.text) << c.text;
    std::string scratch;
    EXPECT_EQ(c.value.TextView(&scratch), c.text) << c.text;
    std::string reused = "a longer text left over from the value before";
    c.value.AssignTextTo(&reused);
    EXPECT_EQ(reused, c.text) << c.text;
  }
}

TEST(MakeDecimal, Canonicalises) {
  struct Case {
    const char* in;
    const char* out;  // nullptr: rejected
  } cases[] = {{"12.500", "12.5"}, {"0012", "12"},   {"-0.0001", "-0.0001"}, {"-0.000", "0"},
               {".5", "0.5"},      {"+3.", "3"},     {"7", "7"},             {"", nullptr},
               {"1e3", nullptr},   {"1,5", nullptr}, {"-", nullptr},         {"1.2.3", nullptr},
               {"-.50", "-0.5"},   {"000", "0"},     {"+0", "0"},            {"-00.10", "-0.1"},
               {"-.", nullptr},    {".", nullptr},   {"1.5 ", nullptr},      {"100", "100"}};
  for (const auto& c : cases) {
    Decimal d;
    bool ok = MakeDecimal(c.in, &d);
    EXPECT_EQ(ok, c.out != nullptr) << c.in;
    if (ok && c.out) {
      EXPECT_EQ(d.text, c.out) << c.in;
    }
  }
}

TEST(RowCodec, RoundTripsEveryKind) {
  std::vector<Value> row = {Value(),
                            Value::Bool(true),
                            Value::Int(-7),
                            Value::Dec(Decimal{"-12.25"}),
                            Value::Double(std::nan("")),
                            Value::Money(Currency{-123456}),
                            Value::FromDate(Date{1, 1, 1}),
                            Value::FromDateTime(DateTime{{9999, 12, 31}, 23, 59, 59, 999}),
                            Value::Text(std::string(100000, 'x')),
                            Value::Binary(EveryByte())};
  std::string packed;
  EncodeRow(row, &packed);
  std::vector<Value> back;
  ASSERT_TRUE(DecodeRow(packed, &back));
  ASSERT_EQ(back.size(), row.size());
  for (std::size_t i = 0; i < row.size(); ++i) {
    if (i == 4) {
      EXPECT_TRUE(std::isnan(back[i].AsDouble()));
    } else {
      EXPECT_EQ(back[i], row[i]) << i;
    }
  }
  // Decoding into a row that held other values: text lands over text, over
  // other kinds and over longer text alike.
  const std::vector<Value> next = {
      Value::Text("a"), Value::Text(""), Value::Text("two"), Value::Int(3),
      Value(),          Value::Text(std::string("x\0y", 3)),
      Value::Text("d"), Value::Text("t"), Value::Text("short"), Value::Text("b")};
  std::string packed_next;
  EncodeRow(next, &packed_next);
  ASSERT_TRUE(DecodeRow(packed_next, &back));
  EXPECT_EQ(back, next);
  // Every truncation is rejected, never read past the end.
  for (std::size_t n = 0; n < packed.size(); n += 97) {
    EXPECT_FALSE(DecodeRow(std::string_view(packed).substr(0, n), &back)) << n;
  }
}

TEST(ConnectionString, FindsKeysCaseInsensitivelyKeepingValues) {
  const std::string s = "Provider=vfpoledb.1;Data Source= /tmp/a b ;Collating Sequence=machine;";
  EXPECT_EQ(FindConnectionKey(s, "provider"), "vfpoledb.1");
  EXPECT_EQ(FindConnectionKey(s, "DATA SOURCE"), " /tmp/a b ");
  EXPECT_EQ(FindConnectionKey(s, "collating sequence"), "machine");
  EXPECT_FALSE(FindConnectionKey(s, "User ID").has_value());
  EXPECT_EQ(FindConnectionKey("Data Source=", "Data Source"), "");
}

}  // namespace
}  // namespace ado
