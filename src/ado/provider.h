// What a provider implements behind the data-access layer: a session that
// executes statements and opens cursors, and a registry that finds the
// provider by its name ("vfpoledb.1", "MSDASQL").
#ifndef QUILLOMAR_ADO_PROVIDER_H_
#define QUILLOMAR_ADO_PROVIDER_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ado/dialect.h"
#include "ado/value.h"

namespace ado {

// Column description of a cursor: its name as the provider reports it and its
// ADO type code (adChar 129, adInteger 3, ...).
struct FieldInfo {
  std::string name;
  int type = 0;
};

// A value of the row last fetched that could not be read (damaged data); the
// row delivered it as null.
struct FieldError {
  int field = 0;        // column index
  std::string message;  // names the table, the record (1-based) and the field, and the damage
};

// A forward-only stream of rows. Every method may throw ado::Error.
class Cursor {
 public:
  virtual ~Cursor() = default;

  // The columns; fixed for the cursor's life.
  virtual const std::vector<FieldInfo>& Fields() const = 0;

  // Reads the next row into *row (resized to the column count). Returns false
  // after the last row.
  virtual bool Fetch(std::vector<Value>* row) = 0;

  // The exact number of rows when the provider knows it without reading them,
  // otherwise -1.
  virtual std::int64_t KnownRowCount() const { return -1; }

  // Damage the provider read around when it opened the rows, one message
  // each naming the table file and what is wrong. Default none.
  virtual std::vector<std::string> Warnings() const { return {}; }

  // The values of the row the last Fetch returned that could not be read
  // (null in that row); usually empty. Default none.
  virtual const std::vector<FieldError>& FetchErrors() const {
    static const std::vector<FieldError> kNone;
    return kNone;
  }
};

// How a record set wants its rows: 2 server-side (streamed), 3 client-side
// (the whole result read at open, RecordCount exact).
enum class CursorPlace { kServer = 2, kClient = 3 };

// An open provider connection. Every method may throw ado::Error.
class Session {
 public:
  virtual ~Session() = default;

  // Runs one statement; it has taken effect when the call returns.
  virtual void Execute(std::string_view sql) = 0;

  // Opens a cursor over the rows of a query.
  virtual std::unique_ptr<Cursor> Query(std::string_view sql, CursorPlace place) = 0;

  // The tables schema (code 20): at least the columns TABLE_TYPE and
  // TABLE_NAME, one row per catalog object.
  virtual std::unique_ptr<Cursor> Tables() = 0;

  // How the database behind the session reads the statements we build,
  // found out when the session opened. The default: the statements as
  // written, no backslash escapes.
  virtual const Dialect& dialect() const;

  // Transactions. With autocommit off, the statements Execute runs stay
  // uncommitted until EndTransaction(true) commits or EndTransaction(false)
  // rolls them back; turning autocommit back on commits what is open. The
  // default throws ado::Error: the provider has no transactions.
  virtual void SetAutoCommit(bool on);
  virtual void EndTransaction(bool commit);
};

// Opens a session from the full connection string. Throws ado::Error.
using ProviderFactory = std::function<std::unique_ptr<Session>(const std::string& connection_string)>;

// Registers a provider under a name; names match case-insensitively. A later
// registration of the same name replaces the earlier one.
void RegisterProvider(const std::string& name, ProviderFactory factory);

// Finds a registered provider, or returns nullptr.
const ProviderFactory* FindProvider(std::string_view name);

}  // namespace ado

#endif  // QUILLOMAR_ADO_PROVIDER_H_
