#include "foxpro/dbc/database.h"

#include <algorithm>
#include <set>

#include "foxpro/codepage/codepage.h"
#include "foxpro/dbc/container_catalog.h"
#include "foxpro/dbc/dbc_format.h"
#include "foxpro/dbc/dcx.h"
#include "foxpro/dbc/property_blob.h"
#include "foxpro/dbf/table.h"
#include "text/ascii.h"

namespace foxpro::dbc {
namespace {

std::string JoinPath(const std::string& folder, const std::string& file) {
  if (folder.empty()) return file;
  return folder.back() == '/' ? folder + file : folder + "/" + file;
}

std::string BaseName(const std::string& file) {
  std::size_t dot = file.rfind('.');
  return dot == std::string::npos ? file : file.substr(0, dot);
}

// Names of tables and fields: what a file name and a container row can hold.
Status CheckName(const std::string& name, const char* what) {
  std::string quoted = std::string(what) + " name '" + name + "'";
  if (name.empty()) return Status::InvalidArgument(std::string("A ") + what + " name is empty.");
  if (name.size() > kMaxObjectName) {
    return Status::InvalidArgument(quoted + " is longer than 128 characters.");
  }
  if (name == "." || name.find("..") != std::string::npos) {
    return Status::InvalidArgument(quoted + " contains '..'.");
  }
  for (char c : name) {
    auto b = static_cast<unsigned char>(c);
    if (c == '/' || c == '\\')
      return Status::InvalidArgument(quoted + " contains a path separator.");
    if (b < 0x20 || b == 0x7F) {
      return Status::InvalidArgument(quoted + " contains a control character.");
    }
  }
  return Status::Ok();
}

bool IsTableOrView(const ObjectRow& row) {
  return !row.deleted && row.parent_id == kDatabaseObjectId &&
         (row.type == kTypeTable || row.type == kTypeView);
}

}  // namespace

std::vector<std::string> ShortNamesForContainer(const std::vector<std::string>& long_names) {
  std::vector<std::string> short_names;
  std::set<std::string> used;
  for (const std::string& long_name : long_names) {
    std::string base;
    for (char c : long_name.substr(0, 10)) {
      bool word = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
      base.push_back(word ? static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c) : '_');
    }
    if (base.empty() || (base[0] >= '0' && base[0] <= '9')) base = ("_" + base).substr(0, 10);
    std::string name = base;
    for (int n = 2; used.count(name) != 0; ++n) {
      std::string suffix = std::to_string(n);
      name = base.substr(0, std::min(base.size(), 10 - suffix.size())) + suffix;
    }
    used.insert(name);
    short_names.push_back(name);
  }
  return short_names;
}

Result<std::unique_ptr<Database>> Database::Open(FileSystem* fs, const std::string& dbc_path) {
  std::unique_ptr<Database> db(new Database(fs, dbc_path));
  std::string file;
  SplitPath(dbc_path, &db->folder_, &file);
  FOXPRO_RETURN_IF_ERROR(db->Reload(false));
  return db;
}

Status Database::Reload(bool writable) {
  std::unique_ptr<ContainerFile> fresh;
  FOXPRO_RETURN_IF_ERROR(ContainerFile::Open(fs_, path_, writable, &fresh));
  container_ = std::move(fresh);
  return Status::Ok();
}

Status Database::ToContainerText(const std::string& utf8, std::string* out) const {
  int number = CodePageFromMark(container_->codepage_mark());
  Result<CodePage> page = CodePage::ForCodePage(number == 0 ? 1252 : number);
  if (!page.ok()) return page.status();
  out->clear();
  return page->Encode(utf8, out);
}

std::string Database::ToUtf8(const std::string& bytes) const {
  int number = CodePageFromMark(container_->codepage_mark());
  Result<CodePage> page = CodePage::ForCodePage(number == 0 ? 1252 : number);
  if (!page.ok()) return bytes;
  std::string out;
  if (!page->Decode(bytes, &out).ok()) return bytes;
  return out;
}

const ObjectRow* Database::FindObject(const std::string& name) const {
  std::uint8_t mark = container_->codepage_mark();
  std::string wanted = LowerInCodePage(name, mark);
  for (const ObjectRow& row : container_->rows()) {
    if (IsTableOrView(row) && LowerInCodePage(row.name, mark) == wanted) return &row;
  }
  return nullptr;
}

Status Database::List(std::vector<CatalogEntry>* entries) {
  FOXPRO_RETURN_IF_ERROR(Reload(false));
  entries->clear();
  for (const ObjectRow& row : container_->rows()) {
    if (!IsTableOrView(row)) continue;
    CatalogEntry entry;
    entry.name = ToUtf8(row.name);
    entry.kind = row.type == kTypeView ? CatalogEntry::Kind::kView : CatalogEntry::Kind::kTable;
    entries->push_back(std::move(entry));
  }
  return Status::Ok();
}

Status Database::TablePath(const ObjectRow& table, std::string* file_path) {
  PropertyList properties;
  FOXPRO_RETURN_IF_ERROR(container_->ReadProperties(table, &properties));
  std::string relative = ToUtf8(std::string(properties.Text(PropertyId::kPath)));
  std::replace(relative.begin(), relative.end(), '\\', '/');
  std::string where = container_->file_name() + ": table '" + ToUtf8(table.name) + "'";
  if (relative.empty()) return Status::Corruption(where + " has no file path");
  bool absolute = relative[0] == '/' || (relative.size() > 1 && relative[1] == ':');
  bool climbs = ("/" + relative + "/").find("/../") != std::string::npos;
  if (absolute || climbs) {
    return Status::Corruption(where + " lies outside the container's folder (" + relative + ")");
  }
  std::string sub, file;
  SplitPath(relative, &sub, &file);
  std::string folder = sub.empty() ? folder_ : JoinPath(folder_, sub);
  std::string on_disk = FindInFolder(fs_, folder, file);
  *file_path = JoinPath(folder, on_disk.empty() ? file : on_disk);
  return Status::Ok();
}

Result<TableLocation> Database::Locate(const std::string& name) {
  std::string not_found = "File '" + name + ".dbf' does not exist.";
  std::string encoded;
  if (!ToContainerText(name, &encoded).ok()) return Status::NotFound(not_found);
  const ObjectRow* row = FindObject(encoded);
  if (row == nullptr) {
    // Another program may have added it since the container was read.
    FOXPRO_RETURN_IF_ERROR(Reload(false));
    row = FindObject(encoded);
  }
  if (row == nullptr) return Status::NotFound(not_found);
  if (row->type == kTypeView) {
    return Status::NotSupported("'" + name + "' is a view; only tables can be read.");
  }
  TableLocation location;
  location.name = ToUtf8(row->name);
  FOXPRO_RETURN_IF_ERROR(TablePath(*row, &location.path));
  for (const ObjectRow& field : container_->rows()) {
    if (!field.deleted && field.parent_id == row->object_id && field.type == kTypeField) {
      location.long_field_names.push_back(
          ToUtf8(LowerInCodePage(field.name, container_->codepage_mark())));
    }
  }
  return location;
}

Status Database::EncodeNames(const std::string& name, const std::vector<NewField>& fields,
                             std::string* table_name, std::vector<std::string>* long_names) const {
  FOXPRO_RETURN_IF_ERROR(CheckName(name, "table"));
  if (fields.empty()) return Status::InvalidArgument("A table needs at least one field.");
  FOXPRO_RETURN_IF_ERROR(ToContainerText(name, table_name));
  if (table_name->size() > kMaxObjectName) {
    return Status::InvalidArgument("table name '" + name + "' is longer than 128 characters.");
  }
  long_names->clear();
  for (const NewField& field : fields) {
    FOXPRO_RETURN_IF_ERROR(CheckName(field.long_name, "field"));
    std::string encoded;
    FOXPRO_RETURN_IF_ERROR(ToContainerText(field.long_name, &encoded));
    encoded = LowerInCodePage(encoded, container_->codepage_mark());
    if (std::find(long_names->begin(), long_names->end(), encoded) != long_names->end()) {
      return Status::InvalidArgument("Field name '" + field.long_name + "' is duplicated.");
    }
    long_names->push_back(std::move(encoded));
  }
  return Status::Ok();
}

Status Database::AddObjects(const std::string& table_name, const std::string& file,
                            const std::vector<std::string>& long_names,
                            const std::string& dbf_path) {
  TableProperties properties;
  if (!ToContainerText(file, &properties.path).ok()) properties.path = file;
  std::int32_t table_id = container_->next_object_id();
  std::vector<NewObject> objects;
  objects.push_back(NewObject{kDatabaseObjectId, kTypeTable, table_name,
                              EncodeProperties(MakeTableProperties(properties))});
  for (const std::string& long_name : long_names) {
    objects.push_back(NewObject{table_id, kTypeField, long_name, ""});
  }
  std::vector<std::int32_t> ids;
  Status appended = container_->Append(objects, &ids);
  if (!appended.ok()) {
    RemoveTableFiles(dbf_path);
    return appended;
  }
  Status indexed = RebuildIndex();
  if (!indexed.ok()) {
    // Take the table back out: with its rows deleted the old index is
    // right again even if it cannot be rewritten now.
    std::vector<std::uint32_t> records(ids.begin(), ids.end());
    if (container_->MarkDeleted(records).ok()) {
      RemoveTableFiles(dbf_path);
      (void)RebuildIndex();
    }
  }
  return indexed;
}

Status Database::CreateTable(const std::string& name, const std::vector<NewField>& fields,
                             std::uint8_t codepage_mark) {
  // 1. Check the names, then read the container afresh for writing.
  std::string table_name;
  std::vector<std::string> long_names;
  FOXPRO_RETURN_IF_ERROR(EncodeNames(name, fields, &table_name, &long_names));
  FOXPRO_RETURN_IF_ERROR(Reload(true));
  // 2. The name must be free in the container and beside it.
  if (FindObject(table_name) != nullptr) {
    return Status::AlreadyExists("Table '" + name + "' already exists in the database.");
  }
  std::string file = ascii::LowerCase(name) + ".dbf";
  if (!FindInFolder(fs_, folder_, file).empty()) {
    return Status::AlreadyExists("File '" + file + "' already exists.");
  }
  // 3. The table file, linked back to the container.
  TableLayout layout;
  std::vector<std::string> short_names = ShortNamesForContainer(long_names);
  for (std::size_t i = 0; i < fields.size(); ++i) {
    layout.fields.push_back(fields[i].layout);
    layout.fields.back().name = short_names[i];
  }
  layout.codepage_mark = codepage_mark;
  layout.backlink = ascii::LowerCase(container_->file_name());
  std::string dbf_path = JoinPath(folder_, file);
  {
    Result<std::unique_ptr<Table>> table = Table::Create(fs_, dbf_path, layout);
    if (!table.ok()) return table.status();
  }
  // 4. The Table and Field objects, then the index that finds them.
  return AddObjects(table_name, file, long_names, dbf_path);
}

std::vector<std::uint32_t> Database::RowsToDrop(const ObjectRow& table) {
  std::uint8_t mark = container_->codepage_mark();
  std::string name = LowerInCodePage(table.name, mark);
  std::vector<std::uint32_t> records{table.record};
  for (const ObjectRow& row : container_->rows()) {
    if (row.deleted || row.record == table.record) continue;
    bool child = row.parent_id == table.object_id;
    bool relation_to_it = false;
    if (!child && row.type == kTypeRelation) {
      PropertyList properties;
      relation_to_it =
          container_->ReadProperties(row, &properties).ok() &&
          LowerInCodePage(std::string(properties.Text(PropertyId::kRelatedTable)), mark) == name;
    }
    if (child || relation_to_it) records.push_back(row.record);
  }
  return records;
}

void Database::RemoveTableFiles(const std::string& dbf_path) {
  std::string folder, file;
  SplitPath(dbf_path, &folder, &file);
  (void)fs_->Remove(dbf_path);
  for (const char* extension : {".fpt", ".cdx"}) {
    std::string companion = FindInFolder(fs_, folder, BaseName(file) + extension);
    if (!companion.empty()) (void)fs_->Remove(JoinPath(folder, companion));
  }
}

Status Database::DropTable(const std::string& name) {
  FOXPRO_RETURN_IF_ERROR(CheckName(name, "table"));
  FOXPRO_RETURN_IF_ERROR(Reload(true));
  std::string not_found = "File '" + name + ".dbf' does not exist.";
  std::string encoded;
  if (!ToContainerText(name, &encoded).ok()) return Status::NotFound(not_found);
  const ObjectRow* table = FindObject(encoded);
  if (table == nullptr || table->type != kTypeTable) return Status::NotFound(not_found);
  std::string dbf_path;
  FOXPRO_RETURN_IF_ERROR(TablePath(*table, &dbf_path));
  // The Table row goes first: from then on nobody finds the table, and any
  // rows left behind by an interruption are orphans FoxPro ignores.
  std::vector<std::uint32_t> records = RowsToDrop(*table);
  Status dropped = container_->MarkDeleted(records);
  if (dropped.ok()) dropped = RebuildIndex();
  if (!dropped.ok()) {
    // Bring the rows back so that they agree with the index as it is.
    std::reverse(records.begin(), records.end());
    if (container_->MarkDeleted(records, false).ok()) (void)RebuildIndex();
    return dropped;
  }
  RemoveTableFiles(dbf_path);
  return Status::Ok();
}

Status Database::RebuildIndex() { return RewriteContainerIndex(fs_, *container_); }

Result<std::unique_ptr<Catalog>> OpenContainerCatalog(FileSystem* fs, const std::string& dbc_path) {
  Result<std::unique_ptr<Database>> db = Database::Open(fs, dbc_path);
  if (!db.ok()) return db.status();
  return std::unique_ptr<Catalog>(std::move(*db));
}

}  // namespace foxpro::dbc
