#include "foxpro/codepage/codepage.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <mutex>
#include <unordered_map>

#include "foxpro/codepage/codepage_tables.h"
#include "foxpro/codepage/multibyte.h"
#include "text/utf8.h"

namespace foxpro {
namespace {

struct MarkEntry {
  std::uint8_t mark;
  int codepage;
};

// The marks FoxPro writes, one per code page.
constexpr MarkEntry kFoxProMarks[] = {
    {0x01, 437},   {0x69, 620},   {0x6A, 737},  {0x02, 850},  {0x64, 852},   {0x6B, 857},
    {0x67, 861},   {0x66, 865},   {0x65, 866},  {0x7C, 874},  {0x68, 895},   {0x7B, 932},
    {0x7A, 936},   {0x79, 949},   {0x78, 950},  {0xC8, 1250}, {0xC9, 1251},  {0x03, 1252},
    {0xCB, 1253},  {0xCA, 1254},  {0x7D, 1255}, {0x7E, 1256}, {0x04, 10000}, {0x98, 10006},
    {0x96, 10007}, {0x97, 10029},
};

// Marks other xBase products write; read only.
constexpr MarkEntry kOtherMarks[] = {
    {0x08, 865}, {0x09, 437}, {0x0A, 850}, {0x0B, 437},  {0x0D, 437},  {0x0E, 850},
    {0x0F, 437}, {0x10, 850}, {0x11, 437}, {0x12, 850},  {0x13, 932},  {0x14, 850},
    {0x15, 437}, {0x16, 850}, {0x17, 865}, {0x18, 437},  {0x19, 437},  {0x1A, 850},
    {0x1B, 437}, {0x1C, 863}, {0x1D, 850}, {0x1F, 852},  {0x22, 852},  {0x23, 852},
    {0x24, 860}, {0x25, 850}, {0x26, 866}, {0x37, 850},  {0x40, 852},  {0x4D, 936},
    {0x4E, 949}, {0x4F, 950}, {0x50, 874}, {0x57, 1252}, {0x58, 1252}, {0x59, 1252},
};

const char32_t* FindSingleBytePage(int codepage) {
  for (int i = 0; i < codepage_tables::kSingleBytePageCount; ++i) {
    if (codepage_tables::kSingleBytePages[i].number == codepage) {
      return codepage_tables::kSingleBytePages[i].upper_half;
    }
  }
  return nullptr;
}

bool IsDoubleBytePage(int codepage) {
  return codepage == 932 || codepage == 936 || codepage == 949 || codepage == 950;
}

// Reverse map (code point -> byte) of a single-byte page, built once.
const std::unordered_map<char32_t, unsigned char>& ReverseMap(int codepage, const char32_t* upper) {
  static std::mutex mutex;
  static std::unordered_map<int, std::unordered_map<char32_t, unsigned char>> maps;
  std::lock_guard<std::mutex> lock(mutex);
  auto [it, inserted] = maps.try_emplace(codepage);
  if (inserted) {
    for (int i = 0; i < 128; ++i) {
      // The first byte for a code point wins (no page here maps twice).
      if (upper[i] != 0) it->second.try_emplace(upper[i], static_cast<unsigned char>(0x80 + i));
    }
  }
  return it->second;
}

// Reads one UTF-8 character at text[*pos], advancing *pos. False when the
// bytes are not well-formed UTF-8.
bool NextUtf8(std::string_view text, std::size_t* pos, char32_t* c) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char first = byte(*pos);
  int extra = first < 0x80         ? 0
              : (first >> 5) == 6  ? 1
              : (first >> 4) == 14 ? 2
              : (first >> 3) == 30 ? 3
                                   : -1;
  if (extra < 0 || *pos + static_cast<std::size_t>(extra) >= text.size()) return false;
  char32_t value = extra == 0 ? first : static_cast<char32_t>(first & (0x3F >> extra));
  for (int i = 1; i <= extra; ++i) {
    unsigned char next = byte(*pos + static_cast<std::size_t>(i));
    if ((next & 0xC0) != 0x80) return false;
    value = (value << 6) | (next & 0x3F);
  }
  static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
  if (value < kMin[extra] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    return false;
  }
  *pos += static_cast<std::size_t>(extra) + 1;
  *c = value;
  return true;
}

std::string DescribeCharacter(char32_t c) {
  std::string text;
  utf8::Append(c, &text);
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
  return "'" + text + "' (" + code + ")";
}

// "byte 7 (0x93 0x20)": the position (from 1) of the bytes at `offset` in
// `bytes` and the first two of them, for a message about a bad sequence.
std::string DescribeBadBytes(std::string_view bytes, std::size_t offset) {
  std::string text = "byte " + std::to_string(offset + 1) + " (";
  const std::size_t end = std::min(bytes.size(), offset + 2);
  for (std::size_t i = offset; i < end; ++i) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%s0x%02X", i == offset ? "" : " ",
                  static_cast<unsigned>(static_cast<unsigned char>(bytes[i])));
    text += hex;
  }
  return text + ")";
}

}  // namespace

int CodePageFromMark(std::uint8_t mark) {
  for (const MarkEntry& entry : kFoxProMarks) {
    if (entry.mark == mark) return entry.codepage;
  }
  for (const MarkEntry& entry : kOtherMarks) {
    if (entry.mark == mark) return entry.codepage;
  }
  return 0;
}

std::uint8_t MarkFromCodePage(int codepage) {
  for (const MarkEntry& entry : kFoxProMarks) {
    if (entry.codepage == codepage) return entry.mark;
  }
  return 0;
}

int TableCodePage(std::uint8_t type_byte, std::uint8_t mark) {
  int from_mark = CodePageFromMark(mark);
  if (from_mark != 0) return from_mark;
  bool visual = type_byte == 0x30 || type_byte == 0x31 || type_byte == 0x32;
  return visual ? 1252 : 437;
}

int CodePageForLocale(std::string_view locale_name) {
  std::string_view language = locale_name.substr(0, locale_name.find_first_of("_.@"));
  std::string_view territory;
  std::size_t underscore = locale_name.find('_');
  if (underscore != std::string_view::npos) {
    territory = locale_name.substr(underscore + 1, 2);
  }
  struct LanguagePage {
    const char* language;
    int codepage;
  };
  static constexpr LanguagePage kPages[] = {
      {"ru", 1251}, {"uk", 1251}, {"be", 1251}, {"bg", 1251}, {"sr", 1251}, {"mk", 1251},
      {"pl", 1250}, {"cs", 1250}, {"sk", 1250}, {"hu", 1250}, {"ro", 1250}, {"hr", 1250},
      {"sl", 1250}, {"sq", 1250}, {"el", 1253}, {"tr", 1254}, {"az", 1254}, {"he", 1255},
      {"ar", 1256}, {"fa", 1256}, {"ur", 1256}, {"lt", 1257}, {"lv", 1257}, {"et", 1257},
      {"vi", 1258}, {"th", 874},  {"ja", 932},  {"ko", 949},
  };
  for (const LanguagePage& entry : kPages) {
    if (language == entry.language) return entry.codepage;
  }
  if (language == "zh") return (territory == "TW" || territory == "HK") ? 950 : 936;
  return 1252;
}

Result<CodePage> CodePage::ForCodePage(int codepage) {
  CodePage page(codepage);
  if (IsDoubleBytePage(codepage)) return page;
  page.to_unicode_ = FindSingleBytePage(codepage);
  if (page.to_unicode_ == nullptr) {
    return Status::NotSupported("code page " + std::to_string(codepage) + " is not supported");
  }
  return page;
}

Status CodePage::Decode(std::string_view bytes, std::string* out) const {
  std::size_t ascii = 0;
  while (ascii < bytes.size() && static_cast<unsigned char>(bytes[ascii]) < 0x80) ++ascii;
  out->append(bytes.data(), ascii);
  if (ascii == bytes.size()) return Status::Ok();
  const std::string_view rest = bytes.substr(ascii);
  if (to_unicode_ != nullptr) {
    for (char ch : rest) {
      auto byte = static_cast<unsigned char>(ch);
      if (byte < 0x80) {
        out->push_back(ch);
      } else {
        utf8::Append(to_unicode_[byte - 0x80], out);
      }
    }
    return Status::Ok();
  }
  std::size_t bad = 0;
  const multibyte::Outcome outcome = multibyte::Decode(number_, rest, out, &bad);
  if (outcome == multibyte::Outcome::kOk) return Status::Ok();
  const std::string page = "code page " + std::to_string(number_);
  if (outcome == multibyte::Outcome::kNoConverter) {
    return Status::NotSupported(page + " cannot be read: the system has no converter for it");
  }
  return Status::Corruption(DescribeBadBytes(bytes, ascii + bad) + " is not a character of " +
                            page);
}

Status CodePage::Encode(std::string_view text, std::string* out) const {
  std::size_t pos = 0;
  while (pos < text.size()) {
    // ASCII is the same in every code page: copy each run of it whole.
    std::size_t run = pos;
    while (run < text.size() && static_cast<unsigned char>(text[run]) < 0x80) ++run;
    if (run > pos) {
      out->append(text.substr(pos, run - pos));
      pos = run;
      continue;
    }
    char32_t c = 0;
    std::size_t start = pos;
    if (!NextUtf8(text, &pos, &c)) {
      return Status::InvalidArgument("the text is not valid UTF-8 at byte " +
                                     std::to_string(start + 1));
    }
    if (to_unicode_ != nullptr) {
      const auto& reverse = ReverseMap(number_, to_unicode_);
      auto it = reverse.find(c);
      if (it == reverse.end()) {
        return Status::InvalidArgument(DescribeCharacter(c) + " cannot be stored in code page " +
                                       std::to_string(number_));
      }
      out->push_back(static_cast<char>(it->second));
      continue;
    }
    std::string_view one = text.substr(start, pos - start);
    if (!multibyte::EncodeCharacter(number_, one, out)) {
      return Status::InvalidArgument(DescribeCharacter(c) + " cannot be stored in code page " +
                                     std::to_string(number_));
    }
  }
  return Status::Ok();
}

}  // namespace foxpro
