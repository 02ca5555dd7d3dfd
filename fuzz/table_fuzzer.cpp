// Fuzzes the table reader: a .dbf and its .fpt (packed as fuzz_input.h
// says) opened directly and through a SELECT, every record read, and the
// first record appended back when the table opens for writing.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "foxpro/dbf/table.h"
#include "foxpro/sql/database.h"
#include "foxpro/util/mem_file_system.h"
#include "fuzz_input.h"

namespace {

constexpr std::uint32_t kMaxRecords = 2000;

void ReadDirectly(foxpro::FileSystem* fs) {
  auto table = foxpro::Table::Open(fs, "/d/t.dbf", {.writable = true});
  if (!table.ok()) return;
  foxpro::Record record;
  foxpro::Record first;
  const std::uint32_t count = std::min((*table)->record_count(), kMaxRecords);
  for (std::uint32_t i = 0; i < count; ++i) {
    if ((*table)->ReadRecord(i, &record).ok() && i == 0) first = record;
  }
  (void)(*table)->CountLiveRecords();
  if (count > 0 && first.values.size() == (*table)->fields().size()) {
    (void)(*table)->Append(first.values);
  }
}

void ReadThroughSelect(foxpro::FileSystem* fs) {
  auto database = foxpro::sql::Database::Open(fs, "/d");
  if (!database.ok()) return;
  auto cursor = (*database)->Query("SELECT * FROM t");
  if (!cursor.ok()) return;
  (void)(*cursor)->CountRows();
  std::vector<foxpro::Value> row;
  bool has_row = true;
  for (std::uint32_t i = 0; i < kMaxRecords && has_row; ++i) {
    if (!(*cursor)->Next(&row, &has_row).ok()) break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::FilePair files = fuzz::SplitInput(data, size);
  foxpro::MemFileSystem fs;
  fs.AddDirectory("/d");
  fs.SetFile("/d/t.dbf", files.first);
  if (files.has_second) fs.SetFile("/d/t.fpt", files.second);
  ReadThroughSelect(&fs);
  ReadDirectly(&fs);
  return 0;
}
