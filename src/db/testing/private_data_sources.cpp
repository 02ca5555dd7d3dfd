#include "db/testing/private_data_sources.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <map>
#include <sstream>

#include "ado/connection.h"
#include "ado/odbc/odbc_provider.h"
#include "db/connect.h"

namespace db::testing {
namespace {

const char* const kVariables[] = {"QUILLOMAR_DSN_SQLITE", "QUILLOMAR_DSN_PG",
                                  "QUILLOMAR_DSN_MARIA"};

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

// The lines of one [section] of an INI file (without the header).
std::vector<std::string> SectionLines(const std::string& ini, const std::string& section) {
  std::istringstream in(ini);
  std::vector<std::string> lines;
  std::string line;
  bool inside = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.front() == '[') {
      inside = line == "[" + section + "]";
      continue;
    }
    if (inside && !line.empty()) lines.push_back(line);
  }
  return lines;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// Opens `connection` on the ODBC data source `name` as the program does.
void OpenDataSource(ado::Connection& connection, const std::string& name) {
  db::ConnectionFields fields;
  fields.text3 = name;
  db::SetSybaseProvider(connection);
  db::OpenSybase(connection, fields);
}

void RunOn(const std::string& data_source, const std::vector<std::string>& statements) {
  ado::Connection connection;
  OpenDataSource(connection, data_source);
  for (const auto& sql : statements) connection.Execute(sql);
}

int Index(Server server) { return static_cast<int>(server); }

}  // namespace

const char* ServerName(Server server) {
  switch (server) {
    case Server::kSqlite:
      return "Sqlite";
    case Server::kPostgres:
      return "Postgres";
    case Server::kMaria:
      return "Maria";
  }
  return "?";
}

PrivateDataSources::PrivateDataSources() {
  ado::odbc::RegisterOdbcProvider();
  const std::string suffix = std::to_string(getpid());
  for (Server server : {Server::kSqlite, Server::kPostgres, Server::kMaria}) {
    Create(server, kVariables[Index(server)], suffix);
  }
  const std::string original = Env("ODBCINI");
  if (original.empty()) return;
  // The private file: the original entries plus one per private database.
  std::string ini = ReadFile(original);
  for (Server server : {Server::kSqlite, Server::kPostgres, Server::kMaria}) {
    const int i = Index(server);
    if (databases_[i].empty()) continue;
    ini += "\n[" + names_[i] + "]\n";
    for (const std::string& line : SectionLines(ini, base_names_[i])) {
      const bool is_database = line.rfind("Database=", 0) == 0 || line.rfind("Database =", 0) == 0;
      ini += (is_database ? "Database=" + databases_[i] : line) + "\n";
    }
  }
  const std::string path = Env("QUILLOMAR_TEST_DIR") + "/odbc-" + suffix + ".ini";
  std::ofstream(path, std::ios::binary) << ini;
  setenv("ODBCINI", path.c_str(), 1);
}

void PrivateDataSources::Create(Server server, const char* variable, const std::string& suffix) {
  const int i = Index(server);
  base_names_[i] = Env(variable);
  if (base_names_[i].empty() || Env("QUILLOMAR_TEST_DIR").empty()) {
    error_ += std::string(variable) + " is not set (run ./test.sh or source scripts/test-env.sh). ";
    return;
  }
  try {
    switch (server) {
      case Server::kSqlite:
        databases_[i] = Env("QUILLOMAR_TEST_DIR") + "/sqlite/tables-" + suffix + ".db";
        break;
      case Server::kPostgres:
        databases_[i] = "qtables_" + suffix;
        RunOn(base_names_[i], {"CREATE DATABASE " + databases_[i]});
        break;
      case Server::kMaria:
        databases_[i] = "qtables_" + suffix;
        RunOn(base_names_[i], {"CREATE DATABASE " + databases_[i] + " CHARACTER SET utf8mb4"});
        break;
    }
    names_[i] = std::string("QTables") + ServerName(server) + suffix;
  } catch (const std::exception& e) {
    error_ += std::string(ServerName(server)) + ": " + e.what() + " ";
    databases_[i].clear();
  }
}

PrivateDataSources::~PrivateDataSources() {
  for (Server server : {Server::kPostgres, Server::kMaria}) {
    const int i = Index(server);
    if (databases_[i].empty()) continue;
    try {
      RunOn(base_names_[i], {"DROP DATABASE IF EXISTS " + databases_[i]});
    } catch (const std::exception&) {
      // A destructor must not throw, and the throwaway servers are removed
      // with the test folder anyway.
    }
  }
}

const std::string& PrivateDataSources::Name(Server server) const { return names_[Index(server)]; }

void PrivateDataSources::Run(Server server, const std::vector<std::string>& statements) const {
  RunOn(Name(server), statements);
}

std::vector<std::string> ServerTables(const PrivateDataSources& sources, Server server) {
  ado::Connection connection;
  connection.SetCursorLocation(3);
  OpenDataSource(connection, sources.Name(server));
  const char* query =
      server == Server::kSqlite ? "SELECT name FROM sqlite_master WHERE type = 'table'"
      : server == Server::kPostgres
          ? "SELECT table_schema || '.' || table_name FROM information_schema.tables "
            "WHERE table_type = 'BASE TABLE' AND table_schema NOT IN "
            "('pg_catalog', 'information_schema')"
          : "SELECT table_name FROM information_schema.tables WHERE table_schema = "
            "DATABASE() AND table_type = 'BASE TABLE'";
  ado::Recordset rows;
  rows.Open(query, connection);
  std::vector<std::string> names;
  for (; !rows.IsEOF(); rows.MoveNext()) names.push_back(rows.Fields(0).Value().ToText());
  std::sort(names.begin(), names.end());
  return names;
}

void PrivateDataSources::Empty(Server server) const {
  std::vector<std::string> drops;
  if (server == Server::kPostgres) {
    drops = {"DROP SCHEMA IF EXISTS public CASCADE", "CREATE SCHEMA public",
             "DROP SCHEMA IF EXISTS owner_a CASCADE", "DROP SCHEMA IF EXISTS owner_b CASCADE"};
    Run(server, drops);
    return;
  }
  ado::Connection connection;
  connection.SetCursorLocation(3);
  OpenDataSource(connection, Name(server));
  const char* query = server == Server::kSqlite
                          ? "SELECT type, name FROM sqlite_master WHERE type IN ('table', 'view') "
                            "AND name NOT LIKE 'sqlite_%'"
                          : "SELECT table_type, table_name FROM information_schema.tables WHERE "
                            "table_schema = DATABASE()";
  ado::Recordset rows;
  rows.Open(query, connection);
  for (; !rows.IsEOF(); rows.MoveNext()) {
    const std::string type = rows.Fields(0).Value().ToText();
    std::string name = rows.Fields(1).Value().ToText();
    std::string quoted = "\"";
    for (char c : name) quoted += (c == '"') ? std::string("\"\"") : std::string(1, c);
    quoted += "\"";
    const bool view = type == "view" || type == "VIEW";
    drops.push_back(std::string(view ? "DROP VIEW " : "DROP TABLE ") + quoted);
  }
  rows.Close();
  for (const auto& sql : drops) connection.Execute(sql);
}

std::size_t PostgresLogSize() { return ReadFile(Env("QUILLOMAR_PG_LOG")).size(); }

std::string PostgresLogSince(std::size_t from) {
  const std::string log = ReadFile(Env("QUILLOMAR_PG_LOG"));
  return from < log.size() ? log.substr(from) : std::string();
}

}  // namespace db::testing
