// Fuzzes the memo reader: the input is a memo file read as each flavor
// (.fpt, dBase III and IV .dbt), its first blocks read, then a memo appended
// and read back, which must give the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "foxpro/fpt/memo_file.h"
#include "foxpro/util/mem_file_system.h"

namespace {

void ReadAs(const std::string& bytes, foxpro::MemoFile::Flavor flavor) {
  foxpro::MemFileSystem fs;
  fs.SetFile("/m", bytes);
  auto file = fs.Open("/m", foxpro::OpenMode::kReadWrite);
  if (!file.ok()) return;
  auto memo = foxpro::MemoFile::Open(std::move(*file), "m.fpt", flavor);
  if (!memo.ok()) return;
  std::string data;
  for (std::uint32_t block = 0; block < 64; ++block) (void)(*memo)->Read(block, &data);
  (void)(*memo)->Read(0xFFFFFFFFu, &data);
  if (flavor != foxpro::MemoFile::Flavor::kFpt) return;
  const std::string written = "appended memo\r\n" + bytes.substr(0, 100);
  std::uint32_t block = 0;
  if (!(*memo)->Append(written, 1, &block).ok()) return;
  std::uint32_t type = 0;
  if ((*memo)->Read(block, &data, &type).ok() && (data != written || type != 1)) {
    std::abort();  // a memo that reads back different from what was written
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  ReadAs(bytes, foxpro::MemoFile::Flavor::kFpt);
  ReadAs(bytes, foxpro::MemoFile::Flavor::kDbase3);
  ReadAs(bytes, foxpro::MemoFile::Flavor::kDbase4);
  return 0;
}
