// The delete statements: exact text for plain names, and quote
// characters inside names doubled so they cannot close the quotes.
#include "windows/tables/table_statements.h"

#include <gtest/gtest.h>

#include <string>

namespace windows {
namespace {

TEST(TableStatements, PlainNamesAreSentExactlyAsDesigned) {
  EXPECT_EQ(FoxproDropStatement("orders"), "DROP TABLE `orders`");
  EXPECT_EQ(FoxproDropStatement("order lines"), "DROP TABLE `order lines`");
  EXPECT_EQ(SybaseDropStatement("orders"), "DROP TABLE \"orders\"");
  EXPECT_EQ(SybaseDropStatement("it's [x]"), "DROP TABLE \"it's [x]\"");
}

TEST(TableStatements, QuoteCharactersInsideNamesAreDoubled) {
  struct Case {
    std::string got, want;
  } const cases[] = {
      {SybaseDropStatement("say \"hi\""), "DROP TABLE \"say \"\"hi\"\"\""},
      {SybaseDropStatement("\""), "DROP TABLE \"\"\"\""},
      {SybaseDropStatement("x\"; DROP TABLE y; --"), "DROP TABLE \"x\"\"; DROP TABLE y; --\""},
      {FoxproDropStatement("a`b"), "DROP TABLE `a``b`"},
      {FoxproDropStatement("``"), "DROP TABLE ``````"},
      {FoxproDropStatement("quote\"kept"), "DROP TABLE `quote\"kept`"},
      {DoubleQuoted(""), "\"\""},
      {BackQuoted(std::string("nul\0byte", 8)), std::string("`nul\0byte`", 10)},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.want);
}

}  // namespace
}  // namespace windows
