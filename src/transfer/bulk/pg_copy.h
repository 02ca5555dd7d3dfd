// The bulk path to PostgreSQL: a libpq connection opened with the details an
// ODBC data source holds, a check that it reaches the same database, user and
// table as the ODBC connection, COPY's text format, and rows sent with
// COPY ... FROM STDIN inside transactions of that connection.
#ifndef QUILLOMAR_TRANSFER_BULK_PG_COPY_H_
#define QUILLOMAR_TRANSFER_BULK_PG_COPY_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace ado {
class Connection;
}

namespace transfer::bulk {

// What a PostgreSQL data source holds, read from the ODBC files. An empty
// field was not given (libpq then uses its own default).
struct PgDataSource {
  std::string driver;          // "Driver": the driver's name (or library path)
  std::string driver_library;  // the driver's library, from odbcinst.ini
  std::string host;            // "Servername" (or "Server"): host or socket folder
  std::string port;            // "Port"
  std::string database;        // "Database"
  std::string user;            // "Username", else "UID"
  std::string password;        // "Password", else "PWD"
  std::string sslmode;         // "SSLmode"
  std::string conn_settings;   // "ConnSettings": statements run after connecting
};

// Reads the keys of data source `dsn` with the ODBC installer API (the
// user's file, then the system's). Returns nullopt when no such data source
// exists.
std::optional<PgDataSource> ReadPgDataSource(const std::string& dsn);

// True when the data source's driver is the PostgreSQL ODBC driver (its
// library's file name holds "psqlodbc", letter case ignored).
bool IsPostgresDriver(const PgDataSource& source);

// ConnSettings as the driver runs them: "{...}" loses its braces, otherwise
// %XX sequences are decoded.
std::string DecodeConnSettings(std::string_view stored);

// What a connection sees of a target table.
struct TargetIdentity {
  std::string database;
  std::string user;
  std::string table_oid;
  friend bool operator==(const TargetIdentity&, const TargetIdentity&) = default;
};

// The query both connections answer: current_database(), current_user and
// the OID of table `table` written as our statements write it (double-quoted,
// '"' doubled), inside a string literal.
std::string IdentityQuery(std::string_view table);

// Asks the ODBC connection (open, on PostgreSQL). Throws ado::Error.
TargetIdentity QueryIdentity(ado::Connection& odbc, std::string_view table);

// Appends one value in COPY's text format: backslash, tab, line feed and
// carriage return escaped (\\ \t \n \r), every other byte as it is; a null
// (`value` is nullptr) as \N. An empty text stays empty, which COPY stores
// as the empty text: callers pass nullptr where an INSERT would write NULL.
void AppendCopyValue(std::string* out, const std::string_view* value);
// Ends a value with a tab (`last` false) or a row with a line feed.
inline void EndCopyValue(std::string* out, bool last) { *out += last ? '\n' : '\t'; }

// The statement that starts a bulk load: COPY "table" FROM STDIN.
std::string CopyStatement(std::string_view table);

// A libpq connection for COPY. Every failure throws ado::Error with the
// server's message and what was being done. Not copyable.
class PgBulkConnection {
 public:
  // Connects with `source`'s details, client_encoding UTF8, and replays its
  // ConnSettings. Throws ado::Error when it cannot.
  static std::unique_ptr<PgBulkConnection> Open(const PgDataSource& source);
  ~PgBulkConnection();
  PgBulkConnection(const PgBulkConnection&) = delete;
  PgBulkConnection& operator=(const PgBulkConnection&) = delete;

  // Runs a statement that returns no rows (BEGIN, COMMIT, ROLLBACK, SET ...).
  void Execute(std::string_view sql);
  void Begin() { Execute("BEGIN"); }
  void Commit() { Execute("COMMIT"); }
  void Rollback() { Execute("ROLLBACK"); }

  // This connection's view of `table` (see IdentityQuery).
  TargetIdentity QueryIdentity(std::string_view table);

  // Sends `rows` (whole rows in COPY text format, each ending in a line
  // feed) with COPY "table" FROM STDIN, in chunks. Returns the rows the
  // server stored. A failure throws and leaves a transaction aborted: the
  // caller rolls it back.
  std::int64_t CopyRows(std::string_view table, std::string_view rows);

  // The same COPY in steps, so that rows can be sent while later ones are
  // still being built: StartCopy sends COPY "table" FROM STDIN (throws when
  // the server refuses it); PutCopyData sends any part of the rows, in
  // order, and never throws (a failure to send is kept and reported by
  // EndCopy); EndCopy ends the data and returns the rows stored, or throws
  // with the server's message. AbortCopy ends a started COPY as failed and
  // never throws. A failure leaves the transaction aborted: the caller rolls
  // it back.
  void StartCopy(std::string_view table);
  void PutCopyData(std::string_view data);
  std::int64_t EndCopy();
  void AbortCopy() noexcept;

 private:
  struct Impl;
  explicit PgBulkConnection(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

// Opens the bulk connection for data source `dsn` and checks that it sees
// the same database, user and table `table` as `odbc`. Returns nullptr with
// `*why` set (one line, for the "multi-row INSERTs instead" notice) when the
// data source is not PostgreSQL, cannot be reached with libpq, or reaches
// something else; never throws.
std::unique_ptr<PgBulkConnection> OpenMatchingBulkConnection(const std::string& dsn,
                                                             ado::Connection& odbc,
                                                             std::string_view table,
                                                             std::string* why);

}  // namespace transfer::bulk

#endif  // QUILLOMAR_TRANSFER_BULK_PG_COPY_H_
