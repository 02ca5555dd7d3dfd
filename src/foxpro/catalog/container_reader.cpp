// A read-only catalog over a database container, used until the container
// implementation in foxpro/dbc/ is built in: the container is read as the
// table it is, Table and View rows listed, a Table row's Path property and
// its Field rows give the file and the long field names.
#include "foxpro/catalog/catalog.h"

#if __has_include("foxpro/dbc/container_catalog.h")
#include "foxpro/dbc/container_catalog.h"
#define QUILLOMAR_HAVE_DBC_CATALOG 1
#endif

#include <cstring>

#include "foxpro/dbf/table_internal.h"
#include "text/ascii.h"

namespace foxpro {
#ifndef QUILLOMAR_HAVE_DBC_CATALOG
namespace {

constexpr int kPathProperty = 1;

std::string Trim(const std::string& s) {
  std::size_t end = s.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : s.substr(0, end + 1);
}

std::string ValueText(const Value& v) {
  return v.kind() == Value::Kind::kText || v.kind() == Value::Kind::kBytes ? v.text()
                                                                           : std::string();
}

// The text of character property `id` in a property memo, or "".
std::string FindProperty(const std::string& blob, int id) {
  std::size_t pos = 0;
  while (pos + 7 <= blob.size()) {
    std::uint32_t length;
    std::memcpy(&length, blob.data() + pos, 4);
    if (length < 7 || length > blob.size() - pos) break;
    if (static_cast<unsigned char>(blob[pos + 6]) == id) {
      std::string value = blob.substr(pos + 7, length - 7);
      return value.substr(0, value.find('\0'));
    }
    pos += length;
  }
  return std::string();
}

struct ObjectRow {
  std::int64_t id = 0;
  std::int64_t parent = 0;
  std::string type;
  std::string name;
  std::string properties;
};

class ContainerReader : public Catalog {
 public:
  ContainerReader(FileSystem* fs, std::string folder, std::vector<ObjectRow> rows)
      : fs_(fs), folder_(std::move(folder)), rows_(std::move(rows)) {}

  const std::string& folder() const override { return folder_; }

  Status List(std::vector<CatalogEntry>* entries) override {
    entries->clear();
    for (const ObjectRow& row : rows_) {
      if (row.parent != 1) continue;
      if (row.type == "Table") entries->push_back({row.name, CatalogEntry::Kind::kTable});
      if (row.type == "View") entries->push_back({row.name, CatalogEntry::Kind::kView});
    }
    return Status::Ok();
  }

  Result<TableLocation> Locate(const std::string& name) override {
    FOXPRO_RETURN_IF_ERROR(CheckTableName(name));
    std::string wanted = ascii::LowerCase(name);
    for (const ObjectRow& row : rows_) {
      if (row.type != "Table" || ascii::LowerCase(row.name) != wanted) continue;
      TableLocation location;
      location.name = row.name;
      std::string relative = FindProperty(row.properties, kPathProperty);
      if (relative.empty()) relative = row.name + ".dbf";
      location.path = Resolve(relative);
      for (const ObjectRow& field : rows_) {
        if (field.type == "Field" && field.parent == row.id) {
          location.long_field_names.push_back(ascii::LowerCase(field.name));
        }
      }
      return location;
    }
    return Status::NotFound("File '" + name + ".dbf' does not exist.");
  }

  Status CreateTable(const std::string&, const std::vector<NewField>&, std::uint8_t) override {
    return Status::NotSupported("Creating tables in a database container is not supported yet.");
  }
  Status DropTable(const std::string&) override {
    return Status::NotSupported("Dropping tables from a database container is not supported yet.");
  }

 private:
  // The container's relative path, each part found in any letter case.
  std::string Resolve(const std::string& relative) const {
    std::string path = folder_;
    std::size_t start = 0;
    while (start <= relative.size()) {
      std::size_t end = relative.find_first_of("\\/", start);
      if (end == std::string::npos) end = relative.size();
      std::string part = relative.substr(start, end - start);
      start = end + 1;
      if (part.empty() || part == ".") continue;
      std::string found = part == ".." ? part : FindFileCaseInsensitive(fs_, path, part);
      if (found.empty()) found = part;
      path = path.empty() ? found : path + "/" + found;
    }
    return path;
  }

  FileSystem* fs_;
  std::string folder_;
  std::vector<ObjectRow> rows_;
};

Status ReadRows(Table* table, std::vector<ObjectRow>* rows) {
  int id = table->FindField("OBJECTID"), parent = table->FindField("PARENTID");
  int type = table->FindField("OBJECTTYPE"), name = table->FindField("OBJECTNAME");
  int property = table->FindField("PROPERTY");
  if (id < 0 || parent < 0 || type < 0 || name < 0 || property < 0) {
    return Status::InvalidArgument(table->file_name() + " is not a database container.");
  }
  Record record;
  for (std::uint32_t i = 0; i < table->record_count(); ++i) {
    FOXPRO_RETURN_IF_ERROR(table->ReadRecord(i, &record));
    if (!record.bad_values.empty()) return record.bad_values.front().status;
    if (record.deleted) continue;
    const auto& v = record.values;
    auto at = [&v](int k) { return v[static_cast<std::size_t>(k)]; };
    ObjectRow row;
    row.id = at(id).kind() == Value::Kind::kInteger ? at(id).integer() : 0;
    row.parent = at(parent).kind() == Value::Kind::kInteger ? at(parent).integer() : 0;
    row.type = Trim(ValueText(at(type)));
    row.name = Trim(ValueText(at(name)));
    row.properties = ValueText(at(property));
    rows->push_back(std::move(row));
  }
  return Status::Ok();
}

}  // namespace
#endif

Result<std::unique_ptr<Catalog>> OpenContainerCatalog(FileSystem* fs, const std::string& dbc_path) {
#ifdef QUILLOMAR_HAVE_DBC_CATALOG
  return dbc::OpenContainerCatalog(fs, dbc_path);
#else
  auto table = Table::Open(fs, dbc_path);
  if (!table.ok()) return table.status();
  if (((*table)->header().table_flags & 0x04) == 0) {
    return Status::InvalidArgument("File '" + (*table)->file_name() + "' is not a database.");
  }
  std::vector<ObjectRow> rows;
  FOXPRO_RETURN_IF_ERROR(ReadRows(table->get(), &rows));
  std::string folder, name;
  SplitPath(dbc_path, &folder, &name);
  return std::unique_ptr<Catalog>(new ContainerReader(fs, folder, std::move(rows)));
#endif
}

}  // namespace foxpro
