// The connection string parser: where keys count, and the three ways a value
// ends (at ';', at the end, before the next known key).
#include "ado/connection_string.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace ado {
namespace {

TEST(ConnectionString, KeysCountOnlyAtThePartStart) {
  struct Case {
    const char* text;
    const char* key;
    std::optional<std::string> to_semicolon;
    std::optional<std::string> to_end;
  } const cases[] = {
      {"Provider=vfpoledb.1;Data Source=/x;", "provider", "vfpoledb.1",
       "vfpoledb.1;Data Source=/x;"},
      {"a=1; Data Source =/x;y", "DATA SOURCE", "/x", "/x;y"},
      {"Data Source=", "Data Source", "", ""},
      {"Data Source=Data Source=x", "Data Source", "Data Source=x", "Data Source=x"},
      {"xData Source=y", "Data Source", std::nullopt, std::nullopt},
      {"Data Source", "Data Source", std::nullopt, std::nullopt},
      {"", "Provider", std::nullopt, std::nullopt},
      {"a=/Provider=x;b=1", "Provider", std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindConnectionKey(c.text, c.key), c.to_semicolon) << c.text;
    EXPECT_EQ(FindConnectionKeyToEnd(c.text, c.key), c.to_end) << c.text;
  }
}

TEST(ConnectionString, ValueEndsBeforeTheNextKnownKeyOrTheFinalSemicolon) {
  struct Case {
    const char* text;
    const char* value;
  } const cases[] = {
      {"Data Source=/a;b/c.dbc;Mode=Share", "/a;b/c.dbc"},
      {"Data Source=/a;b;", "/a;b"},
      {"Data Source=/a;b", "/a;b"},
      {"Data Source=;", ""},
      {"Data Source=/x; provider=y;Mode=z", "/x"},
  };
  for (const Case& c : cases) {
    const std::string text = c.text;
    const auto place = FindConnectionKeyPlace(text, "Data Source");
    ASSERT_TRUE(place) << c.text;
    const std::size_t end = ConnectionValueEnd(text, place->value_at, {"Mode", "Provider"});
    EXPECT_EQ(text.substr(place->value_at, end - place->value_at), c.value) << c.text;
  }
  const std::string twice = "Collating Sequence=a;x=1;collating sequence=b";
  EXPECT_EQ(FindLastConnectionKeyPlace(twice, "Collating Sequence")->value_at, twice.size() - 1);
}

}  // namespace
}  // namespace ado
