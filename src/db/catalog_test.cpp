// The catalogs of both sides against real data sources: a private SQLite
// database, PostgreSQL database and MariaDB schema per test run, and the
// FoxPro fixture containers and folders when the FoxPro provider is built in.
#include "db/catalog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ado/connection.h"
#include "ado/error.h"
#include "db/testing/private_data_sources.h"
#include "transfer/testing/vector_table_list.h"

namespace db {
namespace {

using testing::PrivateDataSources;
using transfer::testing::VectorTableList;
using testing::Server;

PrivateDataSources& Sources() {
  static PrivateDataSources sources;
  return sources;
}

std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

class SybaseCatalog : public ::testing::TestWithParam<Server> {
 protected:
  void SetUp() override {
    name_ = Sources().Name(GetParam());
    if (name_.empty()) GTEST_SKIP() << Sources().error();
    Sources().Empty(GetParam());
    fields_.text3 = name_;
  }

  // Reads the catalog into `list`; returns the number of yields. Only the
  // data source's own database is listed, also on a server with several.
  int Read(VectorTableList& list) {
    int yields = 0;
    db::ListSybaseTables(list, fields_, [&] { ++yields; });
    clears_ = list.clears;
    return yields;
  }

  std::string name_;
  db::ConnectionFields fields_;
  int clears_ = 0;
};

TEST_P(SybaseCatalog, ListsUserTablesWithoutViewsOrSysNames) {
  Sources().Run(GetParam(), {
                                "CREATE TABLE orders (id INTEGER)",
                                "CREATE TABLE \"Customers\" (id INTEGER)",
                                "CREATE TABLE \"Zeta Table\" (id INTEGER)",
                                "CREATE TABLE sys_log (id INTEGER)",
                                "CREATE TABLE \"MySystem\" (id INTEGER)",
                                "CREATE TABLE \"ANALYSYS\" (id INTEGER)",
                                "CREATE TABLE \"Systems\" (id INTEGER)",
                                "CREATE TABLE log_sys (id INTEGER)",
                                "CREATE VIEW recent_orders AS SELECT id FROM orders",
                            });
  VectorTableList list({"stale entry"});
  const int yields = Read(list);
  EXPECT_EQ(Sorted(list.Names()), (std::vector<std::string>{"Customers", "Zeta Table", "orders"}));
  EXPECT_EQ(clears_, 1);
  // One yield per table row, the hidden SYS names included, none per view.
  EXPECT_EQ(yields, 8);
}

TEST_P(SybaseCatalog, EmptyDatabaseEmptiesTheList) {
  VectorTableList list({"left over", "from before"});
  EXPECT_EQ(Read(list), 0);
  EXPECT_TRUE(list.Names().empty());
}

TEST_P(SybaseCatalog, NamesKeepTheirSpellingBlanksAndQuotes) {
  Sources().Run(GetParam(), {"CREATE TABLE \"Mixed Case\" (id INTEGER)",
                             "CREATE TABLE \"it's \"\"quoted\"\"\" (id INTEGER)",
                             "CREATE TABLE \"Müller_ünits\" (id INTEGER)"});
  VectorTableList list;
  Read(list);
  EXPECT_EQ(Sorted(list.Names()),
            (std::vector<std::string>{"Mixed Case", "Müller_ünits", "it's \"quoted\""}));
}

INSTANTIATE_TEST_SUITE_P(Servers, SybaseCatalog,
                         ::testing::Values(Server::kSqlite, Server::kPostgres, Server::kMaria),
                         [](const auto& param_info) {
                           return testing::ServerName(param_info.param);
                         });

TEST(SybaseCatalogOwners, TwoOwnersTablesOfOneNameGiveTwoEntries) {
  const std::string name = Sources().Name(Server::kPostgres);
  if (name.empty()) GTEST_SKIP() << Sources().error();
  Sources().Empty(Server::kPostgres);
  Sources().Run(Server::kPostgres, {"CREATE SCHEMA owner_a", "CREATE SCHEMA owner_b",
                                    "CREATE TABLE owner_a.ledger (id INTEGER)",
                                    "CREATE TABLE owner_b.ledger (id INTEGER)"});
  db::ConnectionFields fields;
  fields.text3 = name;
  VectorTableList list;
  db::ListSybaseTables(list, fields, nullptr);
  EXPECT_EQ(list.Names(), (std::vector<std::string>{"ledger", "ledger"}));
}

TEST(SybaseCatalogFailure, UnreachableSourceLeavesTheListAsItWas) {
  Sources();  // the private data source file must be in place first
  const char* down = std::getenv("QUILLOMAR_DSN_PG_DOWN");
  for (const std::string& name :
       {std::string(down == nullptr ? "" : down), std::string("NoSuchSourceHere"), std::string()}) {
    SCOPED_TRACE("data source '" + name + "'");
    db::ConnectionFields fields;
    fields.text3 = name;
    VectorTableList list({"kept", "as it was"});
    EXPECT_THROW(db::ListSybaseTables(list, fields, nullptr), ado::Error);
    EXPECT_EQ(list.Names(), (std::vector<std::string>{"as it was", "kept"}));
    EXPECT_EQ(list.clears, 0);
  }
}

TEST(SysFilter, AnyCaseAnyPlace) {
  struct Case {
    const char* name;
    bool hidden;
  } const cases[] = {{"SYSTABLE", true}, {"sys_log", true}, {"MySystem", true}, {"ANALYSYS", true},
                     {"log_sYs", true},  {"Systems", true}, {"sy s", false},    {"syntax", false},
                     {"orders", false},  {"", false},       {"SY", false},      {"ßys", false}};
  for (const Case& c : cases) EXPECT_EQ(db::HasSysInName(c.name), c.hidden) << c.name;
}

}  // namespace
}  // namespace db
