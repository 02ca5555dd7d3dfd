// A provider cursor over the result of one executed ODBC statement: column
// names and ADO type codes from SQLDescribeCol, and rows read column by
// column with SQLGetData (long values in small pieces).
#ifndef QUILLOMAR_ADO_ODBC_ODBC_CURSOR_H_
#define QUILLOMAR_ADO_ODBC_ODBC_CURSOR_H_

#include <memory>
#include <string>
#include <vector>

#include "ado/odbc/odbc_handles.h"
#include "ado/odbc/odbc_types.h"
#include "ado/provider.h"

namespace ado::odbc {

// Size of one SQLGetData piece. The SQLite driver slows down sharply with
// large buffers, so long values are read in pieces of this size.
inline constexpr std::size_t kPieceSize = 8 * 1024;

class OdbcCursor : public Cursor {
 public:
  // Takes a statement that has been executed (SQLExecDirect, SQLTables) and
  // describes its result columns. A statement without a result set gives a
  // cursor with no columns and no rows. Throws ado::Error.
  explicit OdbcCursor(std::unique_ptr<Statement> statement);

  const std::vector<FieldInfo>& Fields() const override { return fields_; }

  // Reads the next row with SQLFetch and SQLGetData. Throws ado::Error with
  // the driver's diagnostics when the driver fails.
  bool Fetch(std::vector<Value>* row) override;

 private:
  void Describe();
  Value ReadColumn(SQLUSMALLINT column, FetchAs how);
  // Text, binary and decimal values, which arrive in pieces.
  Value ReadVariable(SQLUSMALLINT column, FetchAs how);
  // Reads a character (text) or binary value in pieces; false when null.
  bool ReadPieces(SQLUSMALLINT column, bool binary, std::string* out);
  // Reads a fixed-size value into *buffer; false when null.
  bool ReadFixed(SQLUSMALLINT column, SQLSMALLINT c_type, void* buffer, SQLLEN size);

  std::unique_ptr<Statement> statement_;
  std::vector<FieldInfo> fields_;
  std::vector<FetchAs> fetch_as_;
  std::vector<char> piece_;
  bool done_ = false;
};

}  // namespace ado::odbc

#endif  // QUILLOMAR_ADO_ODBC_ODBC_CURSOR_H_
