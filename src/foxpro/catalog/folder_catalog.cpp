// The catalog of a folder of free tables: every .dbf file (any letter case)
// that holds a table header is a table named after the file.
#include <algorithm>

#include "foxpro/catalog/catalog.h"
#include "foxpro/codepage/codepage.h"
#include "foxpro/dbf/dbf_format.h"
#include "foxpro/dbf/table_internal.h"
#include "text/ascii.h"

namespace foxpro {
namespace {

bool HasExtension(const std::string& name, const char* lower_ext) {
  std::string lower = ascii::LowerCase(name);
  std::size_t n = std::char_traits<char>::length(lower_ext);
  return lower.size() > n && lower.compare(lower.size() - n, n, lower_ext) == 0;
}

// A quick look at the first byte: does this file start like a table? The
// rest of the header is not judged here, so a table whose header is damaged
// is still listed and opening it gives the error.
bool LooksLikeTable(FileSystem* fs, const std::string& path) {
  auto file = fs->Open(path, OpenMode::kRead);
  if (!file.ok()) return false;
  std::string head;
  if (!ReadString(file->get(), 0, 1, &head).ok() || head.empty()) return false;
  auto type = static_cast<unsigned char>(head[0]);
  static constexpr unsigned char kTypes[] = {0x02, 0x03, 0x30, 0x31, 0x32, 0x43, 0x63,
                                             0x83, 0x8B, 0xCB, 0xE5, 0xF5, 0xFB};
  return std::find(std::begin(kTypes), std::end(kTypes), type) != std::end(kTypes);
}

class FolderCatalog : public Catalog {
 public:
  FolderCatalog(FileSystem* fs, std::string folder) : fs_(fs), folder_(std::move(folder)) {}

  const std::string& folder() const override { return folder_; }

  Status List(std::vector<CatalogEntry>* entries) override {
    entries->clear();
    std::vector<DirectoryEntry> files;
    FOXPRO_RETURN_IF_ERROR(fs_->List(folder_, &files));
    for (const DirectoryEntry& file : files) {
      if (file.is_directory || !HasExtension(file.name, ".dbf")) continue;
      if (!LooksLikeTable(fs_, PathOf(file.name))) continue;
      entries->push_back({file.name.substr(0, file.name.size() - 4), CatalogEntry::Kind::kTable});
    }
    return Status::Ok();
  }

  Result<TableLocation> Locate(const std::string& name) override {
    FOXPRO_RETURN_IF_ERROR(CheckTableName(name));
    std::string found = FindFileCaseInsensitive(fs_, folder_, name + ".dbf");
    if (found.empty() && HasExtension(name, ".dbf"))
      found = FindFileCaseInsensitive(fs_, folder_, name);
    if (found.empty()) return Status::NotFound("File '" + name + ".dbf' does not exist.");
    TableLocation location;
    location.name = found.substr(0, found.size() - 4);
    location.path = PathOf(found);
    return location;
  }

  Status CreateTable(const std::string& name, const std::vector<NewField>& fields,
                     std::uint8_t codepage_mark) override {
    FOXPRO_RETURN_IF_ERROR(CheckTableName(name));
    std::string base = HasExtension(name, ".dbf") ? name.substr(0, name.size() - 4) : name;
    std::string existing = FindFileCaseInsensitive(fs_, folder_, base + ".dbf");
    if (!existing.empty()) return Status::AlreadyExists("File '" + existing + "' already exists.");
    std::vector<std::string> long_names;
    for (const NewField& field : fields) long_names.push_back(field.long_name);
    std::vector<std::string> short_names;
    int codepage = CodePageFromMark(codepage_mark);
    FOXPRO_RETURN_IF_ERROR(
        ShortFieldNames(long_names, false, codepage == 0 ? 1252 : codepage, &short_names));
    // A memo or index file left behind by another table of this name would be adopted: refuse.
    for (const char* ext : {".fpt", ".cdx"}) {
      std::string stray = FindFileCaseInsensitive(fs_, folder_, base + ext);
      if (!stray.empty()) return Status::AlreadyExists("File '" + stray + "' already exists.");
    }
    TableLayout layout;
    layout.codepage_mark = codepage_mark;
    for (std::size_t i = 0; i < fields.size(); ++i) {
      layout.fields.push_back(fields[i].layout);
      layout.fields.back().name = short_names[i];
    }
    auto table = Table::Create(fs_, PathOf(base + ".dbf"), layout);
    return table.ok() ? Status::Ok() : table.status();
  }

  Status DropTable(const std::string& name) override {
    auto location = Locate(name);
    if (!location.ok()) return location.status();
    FOXPRO_RETURN_IF_ERROR(fs_->Remove(location->path));
    // Companion files in any letter case: memo, index, and dBase memo.
    std::vector<DirectoryEntry> files;
    FOXPRO_RETURN_IF_ERROR(fs_->List(folder_, &files));
    std::string base = ascii::LowerCase(location->name);
    for (const DirectoryEntry& file : files) {
      std::string lower = ascii::LowerCase(file.name);
      for (const char* ext : {".fpt", ".cdx", ".dbt"}) {
        if (!file.is_directory && lower == base + ext) {
          FOXPRO_RETURN_IF_ERROR(fs_->Remove(PathOf(file.name)));
        }
      }
    }
    return Status::Ok();
  }

 private:
  std::string PathOf(const std::string& file) const {
    return folder_.empty() || folder_.back() == '/' ? folder_ + file : folder_ + "/" + file;
  }

  FileSystem* fs_;
  std::string folder_;
};

}  // namespace

Result<std::unique_ptr<Catalog>> OpenFolderCatalog(FileSystem* fs, const std::string& folder) {
  if (!fs->IsDirectory(folder)) {
    return Status::NotFound("Invalid path or file name: '" + folder + "' is not a folder.");
  }
  std::string trimmed = folder;
  // Trailing separators go, but not the one of a root ("/", "C:\\").
  while (trimmed.size() > 1 && IsPathSeparator(trimmed.back()) &&
         trimmed[trimmed.size() - 2] != ':') {
    trimmed.pop_back();
  }
  return std::unique_ptr<Catalog>(new FolderCatalog(fs, trimmed));
}

}  // namespace foxpro
