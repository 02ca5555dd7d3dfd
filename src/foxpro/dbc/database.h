// A database container (.dbc with its .dct and .dcx) as a catalog: the live
// tables and views it lists, where each table's file is and its long field
// names, and creating and dropping tables so that FoxPro finds the
// container's objects and index exactly as it would have written them.
#ifndef QUILLOMAR_FOXPRO_DBC_DATABASE_H_
#define QUILLOMAR_FOXPRO_DBC_DATABASE_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foxpro/catalog/catalog.h"
#include "foxpro/dbc/container_file.h"
#include "foxpro/util/file.h"
#include "foxpro/util/status.h"

namespace foxpro::dbc {

class Database : public Catalog {
 public:
  // Opens the container at `dbc_path` (read-only until a table is created
  // or dropped). NotFound when the file does not exist, InvalidArgument
  // ("File 'x.dbc' is not a database container.") when it is some other
  // file, Corruption when it is damaged. `fs` must outlive the result.
  static Result<std::unique_ptr<Database>> Open(FileSystem* fs, const std::string& dbc_path);

  // The folder holding the container; table paths are resolved from here.
  const std::string& folder() const override { return folder_; }

  // Every live Table ("TABLE") and View ("VIEW") object, in container order,
  // names converted from the container's code page to UTF-8.
  Status List(std::vector<CatalogEntry>* entries) override;

  // The live table named `name` (case-insensitive): its .dbf path beside the
  // container (found in any letter case) and its long field names, lower
  // case, in field order. NotFound ("File 'name.dbf' does not exist.") when
  // there is none, NotSupported for a view, Corruption when the table's
  // path leaves the container's folder.
  Result<TableLocation> Locate(const std::string& name) override;

  // Creates the table file `name`.dbf (lower case) beside the container with
  // the container as its backlink, appends the Table object and one Field
  // object per field (long names, FoxPro's 10-character names in the file),
  // and rebuilds the .dcx. AlreadyExists when a table or file of that name
  // exists, InvalidArgument for a bad name or field list; on failure the
  // table files are removed and no object is added.
  Status CreateTable(const std::string& name, const std::vector<NewField>& fields,
                     std::uint8_t codepage_mark) override;

  // Marks deleted the table's Table object, its Field, Index and Relation
  // objects and the Relation objects of other tables that name it as their
  // parent, rebuilds the .dcx, then removes the table's .dbf, memo and
  // index files (any letter case). NotFound when there is no such table.
  Status DropTable(const std::string& name) override;

  // Rewrites the .dcx from the container's live rows.
  Status RebuildIndex();

 private:
  Database(FileSystem* fs, std::string path) : fs_(fs), path_(std::move(path)) {}

  Status Reload(bool writable);
  // Checks a new table's name and long field names and converts them to
  // the container's code page (field names lower case).
  Status EncodeNames(const std::string& name, const std::vector<NewField>& fields,
                     std::string* table_name, std::vector<std::string>* long_names) const;
  // Appends the Table and Field objects of a created table file and
  // rebuilds the index; takes the table back out when that fails.
  Status AddObjects(const std::string& table_name, const std::string& file,
                    const std::vector<std::string>& long_names, const std::string& dbf_path);
  Status ToContainerText(const std::string& utf8, std::string* out) const;
  std::string ToUtf8(const std::string& bytes) const;
  // The live Table or View row named `name` (container bytes), or null.
  const ObjectRow* FindObject(const std::string& name) const;
  Status TablePath(const ObjectRow& table, std::string* file_path);
  std::vector<std::uint32_t> RowsToDrop(const ObjectRow& table);
  void RemoveTableFiles(const std::string& dbf_path);

  FileSystem* fs_;
  std::string path_;
  std::string folder_;
  std::unique_ptr<ContainerFile> container_;
};

// Writes a new, empty container at `dbc_path` with its .dct and .dcx (same
// base name, extensions in the letter case of the .dbc's), as FoxPro 9
// creates one: the five standard rows and the Database object's properties.
// `codepage_mark` is the code page of object names (1252 by default).
// AlreadyExists when any of the three files exists; on failure none is left.
Status CreateContainer(FileSystem* fs, const std::string& dbc_path,
                       std::uint8_t codepage_mark = 0x03);

// FoxPro's 10-character field names for a container table's long names:
// the first 10 characters upper-cased (characters other than letters,
// digits and '_' become '_'); a name that collides with an earlier one ends
// in a sequence number instead (CONTACT_TY, then CONTACT_T2).
std::vector<std::string> ShortNamesForContainer(const std::vector<std::string>& long_names);

}  // namespace foxpro::dbc

#endif  // QUILLOMAR_FOXPRO_DBC_DATABASE_H_
