// Feeds arbitrary bytes to the compound index reader as a whole .cdx file:
// the directory, every tag header and every tag's keys are read. Whatever
// reads back is rebuilt and read again, which must give the same keys.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "foxpro/cdx/index_builder.h"
#include "foxpro/cdx/index_reader.h"
#include "foxpro/util/mem_file_system.h"

namespace {

std::unique_ptr<foxpro::cdx::IndexReader> OpenBytes(foxpro::MemFileSystem* fs,
                                                    const std::string& bytes) {
  fs->SetFile("/x.cdx", bytes);
  foxpro::Result<std::unique_ptr<foxpro::File>> file = fs->Open("/x.cdx", foxpro::OpenMode::kRead);
  std::unique_ptr<foxpro::cdx::IndexReader> reader;
  if (!file.ok() || !foxpro::cdx::IndexReader::Open(std::move(*file), "x.cdx", &reader).ok()) {
    return nullptr;
  }
  return reader;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  foxpro::MemFileSystem fs;
  std::string bytes(reinterpret_cast<const char*>(data), size);
  auto reader = OpenBytes(&fs, bytes);
  if (reader == nullptr) return 0;
  std::vector<foxpro::cdx::TagBuild> builds;
  for (const foxpro::cdx::TagInfo& tag : reader->tags()) {
    std::vector<foxpro::cdx::IndexEntry> keys;
    if (!reader->ReadKeys(tag, ' ', &keys).ok() || keys.size() > 100000) continue;
    foxpro::cdx::TagBuild build;
    build.name = tag.name;
    build.key_expression = tag.key_expression;
    build.for_expression = tag.for_expression;
    build.key_length = tag.key_length;
    build.entries = std::move(keys);
    builds.push_back(std::move(build));
  }
  std::string rebuilt;
  if (!foxpro::cdx::BuildIndexFile(builds, 0, &rebuilt).ok()) return 0;
  auto again = OpenBytes(&fs, rebuilt);
  if (again == nullptr || again->tags().size() != builds.size()) std::abort();
  for (const foxpro::cdx::TagBuild& build : builds) {
    const foxpro::cdx::TagInfo* tag = again->FindTag(build.name);
    std::vector<foxpro::cdx::IndexEntry> keys;
    if (tag == nullptr || !again->ReadKeys(*tag, ' ', &keys).ok()) std::abort();
    if (keys.size() != build.entries.size()) std::abort();
  }
  return 0;
}
