// Code page marks and conversions between every FoxPro code page and UTF-8.
#include "foxpro/codepage/codepage.h"

#include <gtest/gtest.h>

#include <string>

namespace foxpro {
namespace {

struct MarkCase {
  std::uint8_t mark;
  int codepage;
};

// Every mark FoxPro writes.
const MarkCase kFoxProMarks[] = {
    {0x01, 437},   {0x69, 620},   {0x6A, 737},  {0x02, 850},  {0x64, 852},   {0x6B, 857},
    {0x67, 861},   {0x66, 865},   {0x65, 866},  {0x7C, 874},  {0x68, 895},   {0x7B, 932},
    {0x7A, 936},   {0x79, 949},   {0x78, 950},  {0xC8, 1250}, {0xC9, 1251},  {0x03, 1252},
    {0xCB, 1253},  {0xCA, 1254},  {0x7D, 1255}, {0x7E, 1256}, {0x04, 10000}, {0x98, 10006},
    {0x96, 10007}, {0x97, 10029},
};

TEST(CodePage, EveryFoxProMarkMapsBothWays) {
  for (const MarkCase& c : kFoxProMarks) {
    EXPECT_EQ(CodePageFromMark(c.mark), c.codepage) << int{c.mark};
    EXPECT_EQ(MarkFromCodePage(c.codepage), c.mark) << c.codepage;
    EXPECT_TRUE(CodePage::ForCodePage(c.codepage).ok()) << c.codepage;
  }
  EXPECT_EQ(MarkFromCodePage(1257), 0);
  EXPECT_EQ(CodePageFromMark(0x26), 866);
}

TEST(CodePage, UnmarkedTablesByTheirType) {
  EXPECT_EQ(TableCodePage(0x30, 0x00), 1252);
  EXPECT_EQ(TableCodePage(0x32, 0x00), 1252);
  EXPECT_EQ(TableCodePage(0xF5, 0x00), 437);
  EXPECT_EQ(TableCodePage(0x03, 0x00), 437);
  EXPECT_EQ(TableCodePage(0xF5, 0x02), 850);
  EXPECT_EQ(TableCodePage(0x30, 0xEE), 1252);  // unknown mark: unmarked
}

TEST(CodePage, LanguagesToWindowsCodePages) {
  const std::pair<const char*, int> cases[] = {
      {"ru_RU.UTF-8", 1251},
      {"uk_UA", 1251},
      {"pl_PL.UTF-8", 1250},
      {"cs_CZ", 1250},
      {"el_GR.UTF-8", 1253},
      {"tr_TR", 1254},
      {"he_IL", 1255},
      {"ar_EG", 1256},
      {"lt_LT", 1257},
      {"vi_VN", 1258},
      {"th_TH", 874},
      {"ja_JP.UTF-8", 932},
      {"zh_CN.UTF-8", 936},
      {"zh_SG", 936},
      {"ko_KR", 949},
      {"zh_TW.UTF-8", 950},
      {"zh_HK", 950},
      {"C", 1252},
      {"POSIX", 1252},
      {"en_US.UTF-8", 1252},
      {"de_DE@euro", 1252},
      {"C.UTF-8", 1252},
      {"", 1252},
  };
  for (const auto& [locale, codepage] : cases)
    EXPECT_EQ(CodePageForLocale(locale), codepage) << locale;
}

// Every byte that has a character decodes and encodes back to itself.
TEST(CodePage, SingleBytePagesRoundTripEveryDefinedByte) {
  for (const MarkCase& c : kFoxProMarks) {
    if (c.codepage >= 932 && c.codepage <= 950) continue;
    SCOPED_TRACE(c.codepage);
    auto page = CodePage::ForCodePage(c.codepage);
    ASSERT_TRUE(page.ok());
    for (int byte = 0; byte < 256; ++byte) {
      std::string in(1, static_cast<char>(byte)), text, back;
      page->Decode(in, &text);
      if (text == "\xEF\xBF\xBD") continue;  // no character in this page
      ASSERT_TRUE(page->Encode(text, &back).ok()) << byte;
      EXPECT_EQ(back, in) << byte;
    }
  }
}

struct TextCase {
  int codepage;
  const char* text;
  const char* bytes;
};

TEST(CodePage, KnownCharacters) {
  const TextCase cases[] = {
      {1252, "€ü", "\x80\xFC"},
      {1251, "Жж", "\xC6\xE6"},
      {1250, "Łž", "\xA3\x9E"},
      {850, "è", "\x8A"},
      {437, "é", "\x82"},
      {895, "Č", "\x80"},
      {620, "ą", "\x86"},
      {932, "日本", "\x93\xFA\x96\x7B"},
      {936, "中文", "\xD6\xD0\xCE\xC4"},
      {949, "한", "\xC7\xD1"},
      {950, "中", "\xA4\xA4"},
      // ASCII runs around, between and after other characters.
      {1252, "a€bc ü.", "a\x80" "bc \xFC."},
      {932, "x日y本 z", "x\x93\xFAy\x96\x7B z"},
  };
  for (const TextCase& c : cases) {
    auto page = CodePage::ForCodePage(c.codepage);
    ASSERT_TRUE(page.ok()) << c.codepage;
    std::string encoded, decoded;
    ASSERT_TRUE(page->Encode(c.text, &encoded).ok()) << c.codepage;
    EXPECT_EQ(encoded, c.bytes) << c.codepage;
    page->Decode(c.bytes, &decoded);
    EXPECT_EQ(decoded, c.text) << c.codepage;
  }
}

TEST(CodePage, EncodingRefusesWhatThePageCannotHold) {
  struct Case {
    int codepage;
    const char* text;
    const char* named;
  } cases[] = {
      {1252, "abc Ж", "'Ж' (U+0416)"},
      {1251, "€ ok, ü no", "'ü' (U+00FC)"},
      {437, "✓", "'✓' (U+2713)"},
      {932, "Ж ok? ✓", "'✓' (U+2713)"},
      {1252, "bad \xC3", "not valid UTF-8"},
      {1252, "bad \xED\xA0\x80", "not valid UTF-8"},
  };
  for (const Case& c : cases) {
    auto page = CodePage::ForCodePage(c.codepage);
    std::string out;
    Status status = page->Encode(c.text, &out);
    ASSERT_TRUE(status.IsInvalidArgument()) << c.text;
    EXPECT_NE(status.message().find(c.named), std::string::npos) << status.message();
  }
}

TEST(CodePage, DoubleBytePagesMarkBrokenBytes) {
  auto page = CodePage::ForCodePage(932);
  std::string text;
  page->Decode("a\x93", &text);  // a lead byte without its second byte
  EXPECT_EQ(text, "a\xEF\xBF\xBD");
}

}  // namespace
}  // namespace foxpro
