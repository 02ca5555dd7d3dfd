// The data-access layer's connection and record set: the operations the
// program calls, with the design's names, over a registered provider.
#ifndef QUILLOMAR_ADO_CONNECTION_H_
#define QUILLOMAR_ADO_CONNECTION_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ado/error.h"
#include "ado/provider.h"
#include "ado/value.h"

namespace ado {

class Recordset;

// A connection ("ADODB.Connection"). Not copyable; releasing it closes it.
class Connection {
 public:
  Connection() = default;
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  ~Connection();

  // 2 (server-side) or 3 (client-side); set before Open. Default 2.
  void SetCursorLocation(int location) { cursor_location_ = location; }
  int CursorLocation() const { return cursor_location_; }

  // The provider name; set before Open. When empty, Open takes the provider
  // from the connection string's "Provider=" key.
  void SetProvider(std::string provider) { provider_ = std::move(provider); }
  const std::string& Provider() const { return provider_; }

  // Opens the connection. Throws Error when the provider is unknown or the
  // source cannot be opened.
  void Open(const std::string& connection_string);

  // Runs a statement. Throws Error.
  void Execute(std::string_view sql);

  // Transactions (see Session::SetAutoCommit): autocommit off or on, and
  // the commit or rollback of what autocommit-off statements left open.
  // Throw Error when closed or when the provider has no transactions.
  void SetAutoCommit(bool on);
  void CommitTrans();
  void RollbackTrans();

  // Schema query; only code 20 (tables) is supported. The record set is on its
  // first row. Throws Error.
  std::unique_ptr<Recordset> OpenSchema(int schema);

  // Closes; closing a closed connection is a no-op.
  void Close();

  bool IsOpen() const { return session_ != nullptr; }

  // How the open session's database reads statements (see Dialect).
  // Throws Error when closed.
  const Dialect& dialect() { return session().dialect(); }

  // The open session, for Recordset::Open. Throws Error when closed.
  Session& session();

 private:
  int cursor_location_ = 2;
  std::string provider_;
  std::unique_ptr<Session> session_;
};

// One field of a record set's current row.
class Field {
 public:
  // `error`, when not null, is why the current row's value could not be read.
  Field(const FieldInfo* info, const Value* value, const std::string* error = nullptr)
      : info_(info), value_(value), error_(error) {}
  const std::string& name() const { return info_->name; }
  int Type() const { return info_->type; }
  // The current row's value. Throws Error when the record set is at EOF, and
  // when the value is damaged in the source (the message names the table,
  // record and field; the row's other fields and MoveNext still work).
  const ado::Value& Value() const;

 private:
  const FieldInfo* info_;
  const ado::Value* value_;
  const std::string* error_;
};

// A record set ("ADODB.RecordSet").
class Recordset {
 public:
  Recordset() = default;
  Recordset(const Recordset&) = delete;
  Recordset& operator=(const Recordset&) = delete;

  // Opens the rows of `source` on `connection`, client-side when the
  // connection's cursor location is 3 (the cursor and lock types are
  // accepted for the design's call shape; rows are always read forward).
  // Throws Error.
  void Open(std::string_view source, Connection& connection, int cursor_type = -1,
            int lock_type = -1);

  // Wraps a provider cursor; `client_side` buffers every row now.
  void Attach(std::unique_ptr<Cursor> cursor, bool client_side);

  // Called after every row that a client-side open reads, so that reading a
  // large result can let the window repaint and take clicks. Kept across
  // opens until replaced.
  void SetReadYield(std::function<void()> yield) { read_yield_ = std::move(yield); }

  // Fields: count and access by position or name (case-insensitive).
  int FieldCount() const;
  Field Fields(int index) const;
  Field Fields(std::string_view name) const;

  // The number of rows: exact for client-side record sets, -1 when unknown.
  std::int64_t RecordCount() const { return record_count_; }

  // Damage the provider read around when the record set was opened (see
  // Cursor::Warnings); filled at Open, cleared at Close.
  const std::vector<std::string>& Warnings() const { return warnings_; }

  // EOF: true once the current position is past the last row.
  bool IsEOF() const { return eof_; }
  void MoveNext();
  void Close();

 private:
  void LoadCurrent();
  void RequireOpen() const;

  std::unique_ptr<Cursor> cursor_;
  std::vector<FieldInfo> fields_;
  std::vector<ado::Value> current_;
  // Appends one packed row to the client-side blocks.
  void BufferRow(const std::string& packed);
  // Client-side rows, packed by the row codec one after another into blocks
  // of about kBlockSize bytes, each row preceded by its length as a varint:
  // a row costs its values' bytes plus one or two, with no allocation of its
  // own. Rows are read in order; a block is freed once it has been read.
  static constexpr std::size_t kBlockSize = 1 << 20;
  std::vector<std::string> blocks_;
  std::size_t read_block_ = 0;
  std::size_t read_offset_ = 0;
  std::function<void()> read_yield_;
  // Damaged values: of the current row, and of buffered rows by row index
  // (in order; rare, so rows without any cost nothing).
  std::vector<FieldError> current_errors_;
  std::vector<std::pair<std::int64_t, std::vector<FieldError>>> buffered_errors_;
  std::size_t next_buffered_error_ = 0;
  std::int64_t read_row_ = -1;
  std::vector<std::string> warnings_;
  bool client_side_ = false;
  bool eof_ = true;
  std::int64_t record_count_ = -1;
};

}  // namespace ado

#endif  // QUILLOMAR_ADO_CONNECTION_H_
