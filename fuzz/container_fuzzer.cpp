// Fuzzes the container reader: a .dbc and its .dct (packed as fuzz_input.h
// says) read row by row with every property memo decoded, listed as a
// catalog with each table located, and finally given a new table, which
// rewrites the container's index from the fuzzed rows.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "foxpro/catalog/catalog.h"
#include "foxpro/dbc/container_file.h"
#include "foxpro/dbc/property_blob.h"
#include "foxpro/util/mem_file_system.h"
#include "fuzz_input.h"

namespace {

void ReadRows(foxpro::FileSystem* fs) {
  std::unique_ptr<foxpro::dbc::ContainerFile> container;
  if (!foxpro::dbc::ContainerFile::Open(fs, "/d/x.dbc", false, &container).ok()) return;
  foxpro::dbc::PropertyList properties;
  for (const foxpro::dbc::ObjectRow& row : container->rows()) {
    if (container->ReadProperties(row, &properties).ok()) {
      (void)foxpro::dbc::ReadTableProperties(properties);
      (void)foxpro::dbc::ReadFieldProperties(properties);
    }
  }
}

void UseAsCatalog(foxpro::FileSystem* fs) {
  auto catalog = foxpro::OpenContainerCatalog(fs, "/d/x.dbc");
  if (!catalog.ok()) return;
  std::vector<foxpro::CatalogEntry> entries;
  if (!(*catalog)->List(&entries).ok()) return;
  for (const foxpro::CatalogEntry& entry : entries) (void)(*catalog)->Locate(entry.name);
  foxpro::NewField field;
  field.long_name = "a_long_field_name";
  field.layout.type = 'C';
  field.layout.width = 10;
  if ((*catalog)->CreateTable("fuzz_new", {field}, 0x03).ok()) {
    (void)(*catalog)->DropTable("fuzz_new");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::FilePair files = fuzz::SplitInput(data, size);
  foxpro::MemFileSystem fs;
  fs.AddDirectory("/d");
  fs.SetFile("/d/x.dbc", files.first);
  if (files.has_second) fs.SetFile("/d/x.dct", files.second);
  ReadRows(&fs);
  UseAsCatalog(&fs);
  return 0;
}
