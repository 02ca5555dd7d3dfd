// The catalog of a FoxPro data source: the tables (and views) it holds, where
// each table's file is, and creating and dropping tables. A folder of free
// tables and a database container are the two implementations; statements
// and the provider only see this interface.
#ifndef QUILLOMAR_FOXPRO_CATALOG_CATALOG_H_
#define QUILLOMAR_FOXPRO_CATALOG_CATALOG_H_

#include <memory>
#include <string>
#include <vector>

#include "foxpro/dbf/table.h"
#include "foxpro/util/file.h"
#include "foxpro/util/status.h"

namespace foxpro {

// One catalog object as the tables schema lists it.
struct CatalogEntry {
  enum class Kind { kTable, kView };
  std::string name;  // as the catalog names it (file name without extension, or container name)
  Kind kind = Kind::kTable;
};

// Where a table's file is and how its fields are named to users.
struct TableLocation {
  std::string name;  // the catalog's spelling of the table name
  std::string path;  // full path of the .dbf
  // Long field names from a container, in field order; empty for free tables
  // (then the file's names are used). Lower case.
  std::vector<std::string> long_field_names;
};

// A field of CREATE TABLE: a long name (the statement's) and its definition.
struct NewField {
  std::string long_name;  // as given in the statement
  FieldLayout layout;         // layout.name is ignored: the catalog derives the short name
};

class Catalog {
 public:
  virtual ~Catalog() = default;

  // The folder the tables live in (a container's folder for a container).
  virtual const std::string& folder() const = 0;

  // Every live table and view, in no particular order.
  virtual Status List(std::vector<CatalogEntry>* entries) = 0;

  // Finds a table by name, case-insensitively. NotFound with FoxPro's
  // message "File 'name.dbf' does not exist." when there is none.
  virtual Result<TableLocation> Locate(const std::string& name) = 0;

  // Creates a table; nothing is created on failure (AlreadyExists when a
  // table of that name exists, InvalidArgument for a bad name or fields).
  // `codepage_mark` goes into the new table's header.
  virtual Status CreateTable(const std::string& name, const std::vector<NewField>& fields,
                             std::uint8_t codepage_mark) = 0;

  // Removes a table with its memo and index files (NotFound when absent).
  virtual Status DropTable(const std::string& name) = 0;
};

// A folder of free tables. `folder` must exist (NotFound otherwise).
Result<std::unique_ptr<Catalog>> OpenFolderCatalog(FileSystem* fs, const std::string& folder);

// A database container (.dbc). When src/foxpro/dbc/ provides
// "foxpro/dbc/container_catalog.h" (foxpro::dbc::OpenContainerCatalog, in the
// foxpro_dbc library) this forwards to it: tables created and dropped with
// the container's objects and .dcx kept current. Without it, a read-only
// reader of the container table: List and Locate work (long field names
// included), CreateTable and DropTable fail with NotSupported.
Result<std::unique_ptr<Catalog>> OpenContainerCatalog(FileSystem* fs, const std::string& dbc_path);

// Checks a table name from a statement: not empty, no path separator, no
// "..", no NUL or control character, at most 128 bytes. InvalidArgument
// naming the problem otherwise.
Status CheckTableName(const std::string& name);

// The field names FoxPro derives from long names (UTF-8): the characters
// that fit in 10 bytes of code page `codepage`, ASCII letters upper-cased; in
// a container a collision replaces the tail with a sequence number
// (CONTACT_T2), in a free table (`allow_suffix` false) a collision is
// InvalidArgument naming both fields. A character the code page lacks is
// InvalidArgument too.
Status ShortFieldNames(const std::vector<std::string>& long_names, bool allow_suffix,
                       int codepage, std::vector<std::string>* short_names);

}  // namespace foxpro

#endif  // QUILLOMAR_FOXPRO_CATALOG_CATALOG_H_
