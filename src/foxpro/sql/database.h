// A FoxPro data source opened for statements: a folder of free tables or a
// database container, with the tables it has opened kept open for the
// session so that many INSERTs cost one open.
#ifndef QUILLOMAR_FOXPRO_SQL_DATABASE_H_
#define QUILLOMAR_FOXPRO_SQL_DATABASE_H_

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foxpro/catalog/catalog.h"
#include "foxpro/dbf/table.h"
#include "foxpro/sql/statement.h"
#include "foxpro/util/file.h"
#include "foxpro/util/status.h"
#include "foxpro/util/value.h"

namespace foxpro::sql {

// A column of a query result.
struct ResultColumn {
  std::string name;  // lower case (the long name in a container)
  FieldInfo field;   // the table field it comes from
};

// A value of a row that could not be read (it is null in the row).
struct ColumnError {
  std::size_t column = 0;  // index into RowCursor::columns()
  std::string message;     // names the table file, record (1-based) and field
};

// The rows of a SELECT, read forward. Deleted records are skipped.
class RowCursor {
 public:
  virtual ~RowCursor() = default;
  virtual const std::vector<ResultColumn>& columns() const = 0;
  // Damage the table's open read around (see Table::warnings()), one message
  // each naming the table file; fixed for the cursor's life.
  virtual const std::vector<std::string>& warnings() const = 0;
  // Reads the next row into *row (one value per column, reused); *has_row is
  // false after the last row. A damaged value does not fail the call: it is
  // null in the row and listed by row_errors().
  virtual Status Next(std::vector<Value>* row, bool* has_row) = 0;
  // The damaged values of the row the last Next gave; usually empty.
  virtual const std::vector<ColumnError>& row_errors() const = 0;
  // The number of rows the cursor gives in total (live records); may scan the
  // deletion flags once.
  virtual Result<std::int64_t> CountRows() = 0;
};

struct DatabaseOptions {
  // Code page mark for new tables; 0 = from the user's language.
  std::uint8_t new_table_codepage_mark = 0;
};

class Database {
 public:
  // Opens `source`: a folder (free tables) or a .dbc file (container).
  // NotFound / InvalidArgument with a clear message otherwise.
  static Result<std::unique_ptr<Database>> Open(FileSystem* fs, const std::string& source,
                                                const DatabaseOptions& options = {});
  ~Database();

  // Runs CREATE TABLE, INSERT INTO or DROP TABLE; it has taken effect on
  // return. A SELECT here is checked and its rows discarded.
  Status Execute(std::string_view sql);

  // Runs a SELECT and returns its rows.
  Result<std::unique_ptr<RowCursor>> Query(std::string_view sql);

  // The catalog (tables and views).
  Catalog& catalog() { return *catalog_; }

  bool is_container() const { return is_container_; }

 private:
  Database() = default;
  struct OpenTable;
  Result<OpenTable*> GetTable(const std::string& name, bool writable);
  Status RunCreate(const Statement& statement);
  Status RunInsert(const Statement& statement);
  Status RunDrop(const Statement& statement);

  FileSystem* fs_ = nullptr;
  std::unique_ptr<Catalog> catalog_;
  bool is_container_ = false;
  DatabaseOptions options_;
  std::map<std::string, std::unique_ptr<OpenTable>> open_tables_;  // by lower-case name
  std::map<std::string, OpenTable*> table_aliases_;                // by the name a statement used
};

}  // namespace foxpro::sql

#endif  // QUILLOMAR_FOXPRO_SQL_DATABASE_H_
