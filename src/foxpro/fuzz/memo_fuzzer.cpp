// libFuzzer target: a memo file from fuzz input, every block number that
// the first bytes name read (FoxPro and dBase flavours).
#include <cstdint>
#include <string>

#include "foxpro/fpt/memo_file.h"
#include "foxpro/util/mem_file_system.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  foxpro::MemFileSystem fs;
  fs.SetFile("/m.fpt", input);
  for (auto flavor : {foxpro::MemoFile::Flavor::kFpt, foxpro::MemoFile::Flavor::kDbase3,
                      foxpro::MemoFile::Flavor::kDbase4}) {
    auto file = fs.Open("/m.fpt", foxpro::OpenMode::kRead);
    if (!file.ok()) return 0;
    auto memo = foxpro::MemoFile::Open(std::move(*file), "m.fpt", flavor);
    if (!memo.ok()) continue;
    std::string value;
    for (std::uint32_t block = 0; block < 64; ++block) (void)(*memo)->Read(block * 7, &value);
  }
  return 0;
}
