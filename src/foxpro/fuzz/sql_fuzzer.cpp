// libFuzzer target: statement text parsed, and run against an in-memory
// folder holding one small table.
#include <cstdint>
#include <string>
#include <string_view>

#include "foxpro/sql/database.h"
#include "foxpro/util/mem_file_system.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view sql(reinterpret_cast<const char*>(data), size);
  (void)foxpro::sql::Parse(sql);
  foxpro::MemFileSystem fs;
  fs.AddDirectory("/d");
  auto db = foxpro::sql::Database::Open(&fs, "/d");
  if (!db.ok()) return 0;
  (void)(*db)->Execute("CREATE TABLE t (c C(5), n N(6,2) NULL, m M, v V(4), d D, l L)");
  (void)(*db)->Execute(sql);
  auto rows = (*db)->Query(sql);
  if (rows.ok()) {
    std::vector<foxpro::Value> row;
    bool has_row = true;
    for (int i = 0; i < 100 && has_row; ++i) {
      if (!(*rows)->Next(&row, &has_row).ok()) break;
    }
  }
  return 0;
}
