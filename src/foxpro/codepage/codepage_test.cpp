// Code page marks and conversions between every FoxPro code page and UTF-8.
#include "foxpro/codepage/codepage.h"

#include <gtest/gtest.h>

#include <set>
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

// Every single-byte page the engine has, FoxPro's and the other xBase ones.
const int kSingleBytePages[] = {437,  620,  737,  850,  852,   857,   860,   861,  863,
                                865,  866,  874,  895,  1250,  1251,  1252,  1253, 1254,
                                1255, 1256, 1257, 1258, 10000, 10006, 10007, 10029};

// The code point of UTF-8 text of one character; 0 for longer text.
std::uint32_t OnlyCodePoint(const std::string& utf8) {
  auto b = [&](std::size_t i) { return std::uint32_t{static_cast<unsigned char>(utf8[i])}; };
  if (utf8.size() == 1) return b(0);
  if (utf8.size() == 2) return (b(0) & 0x1F) << 6 | (b(1) & 0x3F);
  if (utf8.size() == 3) return (b(0) & 0x0F) << 12 | (b(1) & 0x3F) << 6 | (b(2) & 0x3F);
  return 0;
}

// Every byte, 0x00 to 0xFF, decodes to a character of its own and encodes
// back to itself: one byte at a time and all 256 in one text.
TEST(CodePage, SingleBytePagesRoundTripEveryByte) {
  std::string all;
  for (int byte = 0; byte < 256; ++byte) all.push_back(static_cast<char>(byte));
  for (int number : kSingleBytePages) {
    SCOPED_TRACE(number);
    auto page = CodePage::ForCodePage(number);
    ASSERT_TRUE(page.ok());
    std::set<std::uint32_t> seen;
    for (int byte = 0; byte < 256; ++byte) {
      std::string in(1, static_cast<char>(byte)), text, back;
      ASSERT_TRUE(page->Decode(in, &text).ok()) << byte;
      const std::uint32_t c = OnlyCodePoint(text);
      EXPECT_TRUE(byte == 0 || c != 0) << byte;
      EXPECT_NE(c, 0xFFFDu) << byte;
      EXPECT_TRUE(seen.insert(c).second) << "two bytes decode to U+" << std::hex << c;
      ASSERT_TRUE(page->Encode(text, &back).ok()) << byte;
      EXPECT_EQ(back, in) << byte;
    }
    std::string text, back;
    ASSERT_TRUE(page->Decode(all, &text).ok());
    ASSERT_TRUE(page->Encode(text, &back).ok());
    EXPECT_TRUE(back == all);
  }
}

// Bytes a page leaves undefined read as Windows reads them: the C1 control of
// the same number up to 0x9F, private-use characters above.
TEST(CodePage, UndefinedBytesReadAsWindowsReadsThem) {
  struct Case {
    int codepage;
    unsigned char byte;
    std::uint32_t character;
  } cases[] = {
      {1252, 0x81, 0x0081}, {1252, 0x8D, 0x008D}, {1252, 0x8F, 0x008F}, {1252, 0x90, 0x0090},
      {1252, 0x9D, 0x009D}, {1250, 0x83, 0x0083}, {1251, 0x98, 0x0098}, {1253, 0x9F, 0x009F},
      {1254, 0x8E, 0x008E}, {1258, 0x9E, 0x009E}, {874, 0x82, 0x0082},  {1257, 0x88, 0x0088},
      {1253, 0xAA, 0xF8F9}, {1253, 0xFF, 0xF8FB}, {1255, 0xD9, 0xF88D}, {1255, 0xFF, 0xF896},
      {1255, 0xCA, 0x05BA}, {1257, 0xA1, 0xF8FC}, {874, 0xDB, 0xF8C1},  {874, 0xFF, 0xF8C8},
      {857, 0xD5, 0xF7D5},
  };
  for (const Case& c : cases) {
    auto page = CodePage::ForCodePage(c.codepage);
    ASSERT_TRUE(page.ok()) << c.codepage;
    std::string text;
    ASSERT_TRUE(page->Decode(std::string(1, static_cast<char>(c.byte)), &text).ok());
    EXPECT_EQ(OnlyCodePoint(text), c.character) << c.codepage << " byte " << int{c.byte};
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
      {1252, "a€bc ü.",
       "a\x80"
       "bc \xFC."},
      {932, "x日y本 z", "x\x93\xFAy\x96\x7B z"},
  };
  for (const TextCase& c : cases) {
    auto page = CodePage::ForCodePage(c.codepage);
    ASSERT_TRUE(page.ok()) << c.codepage;
    std::string encoded, decoded;
    ASSERT_TRUE(page->Encode(c.text, &encoded).ok()) << c.codepage;
    EXPECT_EQ(encoded, c.bytes) << c.codepage;
    ASSERT_TRUE(page->Decode(c.bytes, &decoded).ok()) << c.codepage;
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
      // C1 controls and private-use characters only where the page's own
      // undefined bytes stand for them.
      {1252, "\u0080", "(U+0080)"},
      {1252, "\u0085", "(U+0085)"},
      {1251, "\u0081", "(U+0081)"},
      {437, "\u0081", "(U+0081)"},
      {1253, "\uF8C1", "(U+F8C1)"},
      {1252, "\uF781", "(U+F781)"},
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

// In the double-byte pages a byte sequence that is no character is a bad
// value, reported with its position and bytes, never replaced.
TEST(CodePage, DoubleBytePagesReportBrokenBytes) {
  struct Case {
    int codepage;
    std::string bytes;
    std::string named;
  } cases[] = {
      {932, "a\x93", "byte 2 (0x93)"},  // a lead byte without its second byte
      {932, "\x93\xFA\x93\x20x", "byte 3 (0x93 0x20)"},
      {936, "\xD6", "byte 1 (0xD6)"},
      {936, "x\xFF\xFF", "byte 2 (0xFF 0xFF)"},
      {949, "\xC7\xD1\xC9\x20", "byte 3 (0xC9 0x20)"},
      {949, "\xFF\xA1", "byte 1 (0xFF 0xA1)"},
      {950, "\xA4\xA4\xA4", "byte 3 (0xA4)"},
      {950, "ab\xA4\x20", "byte 3 (0xA4 0x20)"},
  };
  for (const Case& c : cases) {
    auto page = CodePage::ForCodePage(c.codepage);
    ASSERT_TRUE(page.ok()) << c.codepage;
    std::string text;
    Status status = page->Decode(c.bytes, &text);
    ASSERT_TRUE(status.IsCorruption()) << c.codepage << " " << c.named;
    EXPECT_EQ(status.message(),
              c.named + " is not a character of code page " + std::to_string(c.codepage));
    EXPECT_EQ(text.find("\xEF\xBF\xBD"), std::string::npos) << "a byte was replaced";
  }
}

}  // namespace
}  // namespace foxpro
