// Feeds arbitrary bytes to the container reader and writer: the input is
// split into a .dbc and its .dct (the first two bytes give the .dbc's
// length), the container is listed, every table located, every property
// memo decoded, and a table created and dropped in memory.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "foxpro/dbc/database.h"
#include "foxpro/util/mem_file_system.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  std::size_t split = std::min<std::size_t>(size - 2, std::size_t{data[0]} << 8 | data[1]);
  std::string bytes(reinterpret_cast<const char*>(data) + 2, size - 2);
  foxpro::MemFileSystem fs;
  fs.AddDirectory("/d");
  fs.SetFile("/d/x.dbc", bytes.substr(0, split));
  fs.SetFile("/d/x.dct", bytes.substr(split));
  foxpro::Result<std::unique_ptr<foxpro::dbc::Database>> db =
      foxpro::dbc::Database::Open(&fs, "/d/x.dbc");
  if (!db.ok()) return 0;
  std::vector<foxpro::CatalogEntry> entries;
  if ((*db)->List(&entries).ok()) {
    for (const foxpro::CatalogEntry& e : entries) (void)(*db)->Locate(e.name);
  }
  foxpro::NewField field;
  field.long_name = "fuzzed_field_name";
  field.layout.type = 'M';
  if ((*db)->CreateTable("fuzzed", {field}, 0x03).ok()) (void)(*db)->DropTable("fuzzed");
  return 0;
}
