#include "foxpro/dbc/dcx.h"

#include <array>
#include <cstdio>
#include <map>
#include <mutex>

#include "foxpro/cdx/index_builder.h"
#include "foxpro/cdx/index_reader.h"
#include "foxpro/codepage/codepage.h"
#include "foxpro/dbc/dbc_format.h"
#include "text/utf8.h"

namespace foxpro::dbc {
namespace {

std::string Padded(const std::string& text, std::size_t width) {
  std::string s = text.substr(0, width);
  s.resize(width, ' ');
  return s;
}

cdx::TagBuild ContainerTag(const char* name, const char* expression, std::size_t key_length) {
  cdx::TagBuild tag;
  tag.name = name;
  tag.key_expression = expression;
  tag.for_expression = kLiveRowsFilter;
  tag.key_length = static_cast<std::uint16_t>(key_length);
  tag.fill = ' ';
  return tag;
}

std::string DcxName(const std::string& dbc_file) {
  std::size_t dot = dbc_file.rfind('.');
  std::string base = dot == std::string::npos ? dbc_file : dbc_file.substr(0, dot);
  bool upper = dot != std::string::npos && dot + 1 < dbc_file.size() && dbc_file[dot + 1] >= 'A' &&
               dbc_file[dot + 1] <= 'Z';
  return base + (upper ? ".DCX" : ".dcx");
}

// The lower-case form of the letters the single-byte Windows and DOS code
// pages hold: Latin (with Latin-1 and Latin Extended-A), Greek, Cyrillic.
char32_t UnicodeLower(char32_t c) {
  auto in = [c](char32_t first, char32_t last) { return c >= first && c <= last; };
  if (in('A', 'Z') || (in(0xC0, 0xDE) && c != 0xD7)) return c + 32;
  if ((in(0x100, 0x12F) || in(0x132, 0x137) || in(0x14A, 0x177)) && c % 2 == 0) return c + 1;
  if ((in(0x139, 0x148) || in(0x179, 0x17E)) && c % 2 == 1) return c + 1;
  if (c == 0x178) return 0xFF;
  if (c == 0x386) return 0x3AC;
  if (in(0x388, 0x38A)) return c + 37;
  if (c == 0x38C) return 0x3CC;
  if (in(0x38E, 0x38F)) return c + 63;
  if (in(0x391, 0x3A1) || in(0x3A3, 0x3AB)) return c + 32;
  if (in(0x400, 0x40F)) return c + 80;
  if (in(0x410, 0x42F)) return c + 32;
  if (c == 0x490) return 0x491;
  return c;
}

// The one code point of a short UTF-8 string, or 0 when it holds another
// number of characters.
char32_t SingleCodePoint(const std::string& utf8) {
  if (utf8.empty()) return 0;
  auto b0 = static_cast<unsigned char>(utf8[0]);
  std::size_t length = b0 < 0x80 ? 1 : b0 < 0xE0 ? 2 : b0 < 0xF0 ? 3 : 4;
  if (utf8.size() != length) return 0;
  if (length == 1) return b0;
  char32_t c = b0 & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i)
    c = (c << 6) | (static_cast<unsigned char>(utf8[i]) & 0x3F);
  return c;
}

std::string Utf8Of(char32_t c) {
  std::string out;
  utf8::Append(c, &out);
  return out;
}

struct LowerTable {
  int codepage = 1252;
  bool double_byte = false;
  std::array<unsigned char, 256> lower{};
};

bool IsDoubleByte(int codepage) {
  return codepage == 932 || codepage == 936 || codepage == 949 || codepage == 950;
}

bool IsLeadByte(int codepage, unsigned char b) {
  if (codepage == 932) return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
  return b >= 0x81 && b <= 0xFE;
}

LowerTable BuildLowerTable(std::uint8_t mark) {
  LowerTable table;
  int number = CodePageFromMark(mark);
  table.codepage = number == 0 ? 1252 : number;
  table.double_byte = IsDoubleByte(table.codepage);
  for (int b = 0; b < 256; ++b)
    table.lower[static_cast<std::size_t>(b)] = static_cast<unsigned char>(b);
  for (int b = 'A'; b <= 'Z'; ++b)
    table.lower[static_cast<std::size_t>(b)] = static_cast<unsigned char>(b + 32);
  Result<CodePage> page = CodePage::ForCodePage(table.codepage);
  if (table.double_byte || !page.ok()) return table;
  for (int b = 0x80; b < 256; ++b) {
    std::string utf8;
    if (!page->Decode(std::string(1, static_cast<char>(b)), &utf8).ok()) continue;
    char32_t c = SingleCodePoint(utf8);
    char32_t lower = UnicodeLower(c);
    std::string encoded;
    if (c == 0 || lower == c || !page->Encode(Utf8Of(lower), &encoded).ok() ||
        encoded.size() != 1) {
      continue;
    }
    table.lower[static_cast<std::size_t>(b)] = static_cast<unsigned char>(encoded[0]);
  }
  return table;
}

// One table per mark, built on first use.
const LowerTable& LowerTableFor(std::uint8_t mark) {
  static std::mutex mutex;
  static std::map<std::uint8_t, LowerTable> tables;
  std::lock_guard<std::mutex> lock(mutex);
  auto it = tables.find(mark);
  if (it == tables.end()) it = tables.emplace(mark, BuildLowerTable(mark)).first;
  return it->second;
}

}  // namespace

std::string StrOfId(std::int32_t id) {
  char buffer[16];
  int n = std::snprintf(buffer, sizeof buffer, "%10d", id);
  if (n != static_cast<int>(kParentIdKeyWidth)) return std::string(kParentIdKeyWidth, '*');
  return std::string(buffer, kParentIdKeyWidth);
}

std::string LowerInCodePage(std::string text, std::uint8_t codepage_mark) {
  const LowerTable& table = LowerTableFor(codepage_mark);
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto b = static_cast<unsigned char>(text[i]);
    if (table.double_byte && IsLeadByte(table.codepage, b)) {
      ++i;  // the trail byte of a double-byte character is not a letter
      continue;
    }
    text[i] = static_cast<char>(table.lower[b]);
  }
  return text;
}

std::string NameKey(const ObjectRow& row, std::uint8_t codepage_mark) {
  return TypeKey(row) + Padded(LowerInCodePage(row.name, codepage_mark), kObjectNameWidth);
}

std::string TypeKey(const ObjectRow& row) {
  return StrOfId(row.parent_id) + Padded(row.type, kObjectTypeWidth);
}

Status BuildContainerIndex(const std::vector<ObjectRow>& rows, std::uint8_t codepage_mark,
                           std::uint32_t change_counter, std::string* out) {
  cdx::TagBuild names = ContainerTag(kNameTag, kNameTagExpression, kNameKeyLength);
  cdx::TagBuild types = ContainerTag(kTypeTag, kTypeTagExpression, kTypeKeyLength);
  for (const ObjectRow& row : rows) {
    if (row.deleted) continue;
    names.entries.push_back(cdx::IndexEntry{NameKey(row, codepage_mark), row.record});
    types.entries.push_back(cdx::IndexEntry{TypeKey(row), row.record});
  }
  return cdx::BuildIndexFile({std::move(names), std::move(types)}, change_counter, out);
}

Status RewriteContainerIndex(FileSystem* fs, const ContainerFile& container) {
  std::string name = FindInFolder(fs, container.folder(), DcxName(container.file_name()));
  bool exists = !name.empty();
  if (!exists) name = DcxName(container.file_name());
  std::string path = container.folder().empty() ? name : container.folder() + "/" + name;

  std::uint32_t counter = 1;
  if (exists) {
    Result<std::unique_ptr<File>> old = fs->Open(path, OpenMode::kRead);
    std::unique_ptr<cdx::IndexReader> reader;
    if (old.ok() && cdx::IndexReader::Open(std::move(*old), name, &reader).ok()) {
      counter = reader->change_counter() + 1;
    }
  }
  std::string bytes;
  FOXPRO_RETURN_IF_ERROR(
      BuildContainerIndex(container.rows(), container.codepage_mark(), counter, &bytes));
  Result<std::unique_ptr<File>> file =
      fs->Open(path, exists ? OpenMode::kReadWrite : OpenMode::kCreateExclusive);
  if (!file.ok()) return file.status().WithContext(name);
  FOXPRO_RETURN_IF_ERROR((*file)->WriteAt(0, bytes).WithContext(name));
  return (*file)->Truncate(bytes.size()).WithContext(name);
}

}  // namespace foxpro::dbc
