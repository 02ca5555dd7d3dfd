// Offline checks of the ODBC provider: reading the data source name out of a
// connection string, refusing names ODBC cannot take, and turning the
// drivers' number texts into exact decimals.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "ado/error.h"
#include "ado/odbc/odbc_provider.h"
#include "ado/odbc/odbc_types.h"

namespace ado::odbc {
namespace {

TEST(DataSourceNameOf, TakesEverythingAfterTheKeyExactly) {
  struct Case {
    std::string connection_string;
    std::string name;
  } cases[] = {
      {"Data Source=Sales", "Sales"},
      {"Data Source= Sales ", " Sales "},
      {"Data Source=", ""},
      {"data source=a;b", "a;b"},
      {"DATA SOURCE={x}=y", "{x}=y"},
      {"Provider=MSDASQL;Data Source=Sales", "Sales"},
      {"Data Source=Data Source=x", "Data Source=x"},
      {"Data Source=Müller – ✓", "Müller – ✓"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DataSourceNameOf(c.connection_string), c.name) << c.connection_string;
  }
}

TEST(DataSourceNameOf, RefusesAStringWithoutTheKey) {
  for (std::string s : {"", "DSN=Sales", "Data Source", "Source=Sales"}) {
    EXPECT_THROW(DataSourceNameOf(s), Error) << s;
  }
}

TEST(CheckDataSourceName, AcceptsWhatOdbcCanName) {
  const std::string names[] = {"Sales", " Sales", "Sales ",  "a b",
                               "Müller", "x-y_z.1", std::string(kMaxDataSourceNameLength, 'n')};
  for (const std::string& name : names) {
    EXPECT_NO_THROW(CheckDataSourceName(name)) << name;
  }
}

TEST(CheckDataSourceName, RefusesWhatOdbcCannotName) {
  struct Case {
    std::string name;
    std::string says;  // part of the description
  } cases[] = {
      {"", "No data source name"},
      {std::string(kMaxDataSourceNameLength + 1, 'n'), "at most 32"},
      {"a;b", "';'"},
      {"{a;b}", "'{'"},
      {"a}", "'}'"},
      {"p=q", "'='"},
      {"[x]", "'['"},
      {"x]", "']'"},
      {"a(b)", "'('"},
      {"a\\b", "'\\'"},
      {"tab\tname", "control character"},
      {std::string("nul\0x", 5), "control character"},
  };
  for (const auto& c : cases) {
    try {
      CheckDataSourceName(c.name);
      ADD_FAILURE() << "accepted " << c.name;
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.description()).find(c.says), std::string::npos)
          << c.name << ": " << e.description();
      EXPECT_NE(e.number(), 0);
    }
  }
}

TEST(DecimalFromDriverText, GivesTheExactCanonicalDecimal) {
  struct Case {
    std::string text;
    std::string decimal;
  } cases[] = {
      {"12.50", "12.5"},
      {"-0012.5000", "-12.5"},
      {"7", "7"},
      {"-0.0", "0"},
      {".5", "0.5"},
      {"+3.", "3"},
      {" 12.5 ", "12.5"},
      {"12,5", "12.5"},
      {"1.5E+20", "150000000000000000000"},
      {"1e-7", "0.0000001"},
      {"-2.5e1", "-25"},
      {"123456789012345678901234567890.123456789", "123456789012345678901234567890.123456789"},
      {"18446744073709551615", "18446744073709551615"},
  };
  for (const auto& c : cases) {
    auto decimal = DecimalFromDriverText(c.text);
    ASSERT_TRUE(decimal.has_value()) << c.text;
    EXPECT_EQ(decimal->text, c.decimal) << c.text;
  }
}

TEST(DecimalFromDriverText, RefusesWhatIsNotANumber) {
  for (std::string text : {"", "-", ".", "e5", "1e", "1e+", "NaN", "Infinity", "1.2.3", "12a",
                           "1e999999999999", "0x10"}) {
    EXPECT_FALSE(DecimalFromDriverText(text).has_value()) << text;
  }
}

TEST(NonDecimalNumericValue, KeepsSpecialNumbersAsDoublesAndTheRestAsText) {
  EXPECT_TRUE(std::isnan(NonDecimalNumericValue("NaN").AsDouble()));
  EXPECT_EQ(NonDecimalNumericValue("-Infinity").AsDouble(),
            -std::numeric_limits<double>::infinity());
  EXPECT_EQ(NonDecimalNumericValue("1e999999999999").AsText(), "1e999999999999");
}

}  // namespace
}  // namespace ado::odbc
