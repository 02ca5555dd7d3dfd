#include "app/application_title.h"

#include <gtest/gtest.h>

#include <string>

namespace app {
namespace {

TEST(ApplicationTitle, CutsTheLastWordThenWhileOverFortyCharacters) {
  const std::string forty(40, 'a');
  const std::string thirty_nine(39, 'b');
  const std::string e_acute = "\xC3\xA9";
  std::string forty_accented;
  for (int i = 0; i < 40; ++i) forty_accented += e_acute;
  struct Case {
    const char* name;
    std::string product;
    std::string title;
  } cases[] = {
      {"no blank: unchanged", "Quillomar", "Quillomar"},
      {"empty", "", ""},
      {"short name still loses its last word", "Quillomar Table Copier", "Quillomar Table"},
      {"trailing blank", "Quillomar ", "Quillomar"},
      {"forty characters after the first cut stop", forty + " tail", forty},
      {"forty-one after the first cut: cut again", thirty_nine + " c tail", thirty_nine},
      {"no blank left while too long", forty + "a tail", forty + "a"},
      {"characters, not bytes", forty_accented + " x", forty_accented},
  };
  for (const Case& c : cases) EXPECT_EQ(ApplicationTitleFrom(c.product), c.title) << c.name;
}

TEST(ApplicationTitle, SetFromProductName) {
  SetApplicationTitle();
  EXPECT_EQ(ApplicationTitle(), "Quillomar");
}

}  // namespace
}  // namespace app
