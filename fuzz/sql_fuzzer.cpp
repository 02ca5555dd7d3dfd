// Fuzzes the statement parser and what runs behind it: the input is parsed,
// then executed against an in-memory folder holding a table with one field
// of every type, and read back when it was a SELECT or an INSERT.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <vector>

#include "foxpro/sql/database.h"
#include "foxpro/sql/statement.h"
#include "foxpro/util/mem_file_system.h"

namespace {

constexpr std::string_view kTable =
    "CREATE TABLE t (c C(8) NULL, v V(6), q Q(4), n N(8,2), f F(6,1), i I, b B(2), y Y, d D,"
    " tt T, l L, m M, g G, w W)";

void ReadBack(foxpro::sql::Database* database) {
  auto cursor = database->Query("SELECT * FROM t");
  if (!cursor.ok()) std::abort();  // the table made above must stay readable
  std::vector<foxpro::Value> row;
  bool has_row = true;
  while (has_row) {
    if (!(*cursor)->Next(&row, &has_row).ok()) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view sql(reinterpret_cast<const char*>(data), size);
  auto statement = foxpro::sql::Parse(sql);
  foxpro::MemFileSystem fs;
  fs.AddDirectory("/d");
  auto database = foxpro::sql::Database::Open(&fs, "/d");
  if (!database.ok() || !(*database)->Execute(kTable).ok()) std::abort();
  if ((*database)->Execute(sql).ok() && statement.ok() &&
      statement->kind == foxpro::sql::Statement::Kind::kInsert) {
    ReadBack(database->get());
  }
  auto cursor = (*database)->Query(sql);
  if (cursor.ok()) {
    std::vector<foxpro::Value> row;
    bool has_row = true;
    for (int i = 0; i < 100 && has_row; ++i) {
      if (!(*cursor)->Next(&row, &has_row).ok()) break;
    }
  }
  return 0;
}
