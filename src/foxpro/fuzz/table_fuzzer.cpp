// libFuzzer target: a table file and its memo file from fuzz input, opened
// and read in full. Input: 4-byte little-endian length of the table part,
// the table bytes, then the memo bytes. A plain .dbf file as input (no
// length prefix that fits) is taken as the table alone.
#include <cstdint>
#include <cstring>
#include <string>

#include "foxpro/dbf/table.h"
#include "foxpro/util/mem_file_system.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  std::string table = input, memo;
  if (input.size() >= 4) {
    std::uint32_t length;
    std::memcpy(&length, input.data(), 4);
    if (length <= input.size() - 4) {
      table = input.substr(4, length);
      memo = input.substr(4 + length);
    }
  }
  foxpro::MemFileSystem fs;
  fs.AddDirectory("/f");
  fs.SetFile("/f/t.dbf", table);
  if (!memo.empty()) fs.SetFile("/f/t.fpt", memo);
  auto opened = foxpro::Table::Open(&fs, "/f/t.dbf");
  if (!opened.ok()) return 0;
  foxpro::Record record;
  for (std::uint32_t i = 0; i < (*opened)->record_count() && i < 10000; ++i) {
    (void)(*opened)->ReadRecord(i, &record);
  }
  (void)(*opened)->CountLiveRecords();
  return 0;
}
