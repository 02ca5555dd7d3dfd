// Test support: data sources of our own on the test environment's servers,
// so a test sees exactly the tables it made. For each of SQLite, PostgreSQL
// and MariaDB it creates an empty database (a new file, a new PostgreSQL
// database, a new MariaDB schema), writes a private copy of the user data
// source file with one extra entry per database, and points ODBCINI at it.
// Construct it before the process makes its first ODBC call.
#ifndef QUILLOMAR_DB_TESTING_PRIVATE_DATA_SOURCES_H_
#define QUILLOMAR_DB_TESTING_PRIVATE_DATA_SOURCES_H_

#include <string>
#include <vector>

namespace db::testing {

enum class Server { kSqlite, kPostgres, kMaria };

// "Sqlite", "Postgres" or "Maria", for test names.
const char* ServerName(Server server);

class PrivateDataSources {
 public:
  // Registers the MSDASQL provider and creates the databases of every server
  // whose QUILLOMAR_DSN_* variable is set. Failures are recorded in error().
  PrivateDataSources();
  // Drops the server databases again.
  ~PrivateDataSources();
  PrivateDataSources(const PrivateDataSources&) = delete;
  PrivateDataSources& operator=(const PrivateDataSources&) = delete;

  // The private data source name for `server`, or "" when its server is not
  // available (the caller skips).
  const std::string& Name(Server server) const;
  // The private database: the SQLite file's path, or the server database's
  // name.
  const std::string& Database(Server server) const { return databases_[static_cast<int>(server)]; }
  // Why a server is unavailable ("" when all are).
  const std::string& error() const { return error_; }

  // Runs statements on `server`'s private database; throws ado::Error.
  void Run(Server server, const std::vector<std::string>& statements) const;
  // Drops every table and view of the private database.
  void Empty(Server server) const;

 private:
  void Create(Server server, const char* variable, const std::string& suffix);

  std::string names_[3];
  std::string databases_[3];
  std::string base_names_[3];
  std::string error_;
};

// The names of the tables `server`'s private database holds, as its own
// catalog tables list them (information_schema / sqlite_master), sorted.
std::vector<std::string> ServerTables(const PrivateDataSources& sources, Server server);

// Text of the PostgreSQL server log from byte `from` on ("" without a log).
std::string PostgresLogSince(std::size_t from);
// Current size of the PostgreSQL server log.
std::size_t PostgresLogSize();

}  // namespace db::testing

#endif  // QUILLOMAR_DB_TESTING_PRIVATE_DATA_SOURCES_H_
