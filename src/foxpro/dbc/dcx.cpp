#include "foxpro/dbc/dcx.h"

#include <cstdio>

#include "foxpro/cdx/index_builder.h"
#include "foxpro/cdx/index_reader.h"
#include "foxpro/dbc/dbc_format.h"

namespace foxpro::dbc {
namespace {

constexpr std::uint8_t kMark1252 = 0x03;

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

}  // namespace

std::string StrOfId(std::int32_t id) {
  char buffer[16];
  int n = std::snprintf(buffer, sizeof buffer, "%10d", id);
  if (n != static_cast<int>(kParentIdKeyWidth)) return std::string(kParentIdKeyWidth, '*');
  return std::string(buffer, kParentIdKeyWidth);
}

std::string LowerInCodePage(std::string text, std::uint8_t codepage_mark) {
  bool cp1252 = codepage_mark == kMark1252 || codepage_mark == 0;
  for (char& c : text) {
    auto b = static_cast<unsigned char>(c);
    if (b >= 'A' && b <= 'Z') {
      b = static_cast<unsigned char>(b + 32);
    } else if (cp1252) {
      if (b >= 0xC0 && b <= 0xDE && b != 0xD7) {
        b = static_cast<unsigned char>(b + 32);
      } else if (b == 0x8A || b == 0x8C || b == 0x8E) {
        b = static_cast<unsigned char>(b + 16);
      } else if (b == 0x9F) {
        b = 0xFF;
      }
    }
    c = static_cast<char>(b);
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
