// Fuzzes the compound index reader: the input is a .cdx/.dcx file whose tag
// directory is read and every tag's keys walked; each 512-byte page is also
// decoded as a leaf on its own.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foxpro/cdx/index_reader.h"
#include "foxpro/util/mem_file_system.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  foxpro::MemFileSystem fs;
  fs.SetFile("/i.cdx", bytes);
  auto file = fs.Open("/i.cdx", foxpro::OpenMode::kRead);
  if (file.ok()) {
    std::unique_ptr<foxpro::cdx::IndexReader> reader;
    if (foxpro::cdx::IndexReader::Open(std::move(*file), "i.cdx", &reader).ok()) {
      std::vector<foxpro::cdx::IndexEntry> keys;
      for (const foxpro::cdx::TagInfo& tag : reader->tags()) {
        keys.clear();
        (void)reader->ReadKeys(tag, ' ', &keys);
      }
    }
  }
  std::vector<foxpro::cdx::IndexEntry> keys;
  for (std::size_t page = 0; page + 512 <= bytes.size() && page < 64 * 512; page += 512) {
    const std::size_t key_length = 1 + static_cast<unsigned char>(bytes[page]) % 240;
    keys.clear();
    (void)foxpro::cdx::DecodeLeaf(std::string_view(bytes).substr(page, 512), key_length, ' ',
                                  "page", &keys);
  }
  return 0;
}
