// Both connection tests over recording providers: the exact connection text
// each side opens, what counts as success, and the creation failure that
// reaches the caller.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ado/error.h"
#include "ado/provider.h"
#include "db/foxpro.h"
#include "db/new_connection.h"
#include "db/sybase.h"

namespace db {
namespace {

// A provider that records every connection string and refuses those that
// contain "refuse".
struct Recorder {
  std::vector<std::string> opened;
  void Register(const std::string& name) {
    ado::RegisterProvider(name, [this](const std::string& connection_string) {
      opened.push_back(connection_string);
      if (connection_string.find("refuse") != std::string::npos) {
        throw ado::Error("refused: " + connection_string);
      }
      return std::unique_ptr<ado::Session>();  // never used by the tests
    });
  }
};

TEST(ConnectionTests, OpenExactlyWhatTheFieldsSay) {
  Recorder foxpro, odbc;
  foxpro.Register("vfpoledb.1");
  odbc.Register("MSDASQL");
  struct Case {
    const char* name;
    ConnectionFields fields;
    std::string foxpro_string;
    std::string sybase_string;
  };
  auto fields = [](bool option1, std::string t1, std::string t2, std::string t3) {
    ConnectionFields f;
    f.option1 = option1;
    f.text1 = std::move(t1);
    f.text2 = std::move(t2);
    f.text3 = std::move(t3);
    return f;
  };
  const Case cases[] = {
      {"container", fields(true, "/d/n.dbc", "/free", "Dsn"),
       "Provider=vfpoledb.1;Data Source=/d/n.dbc;Collating Sequence=machine;", "Data Source=Dsn"},
      {"folder ignores Text1", fields(false, "/d/n.dbc", "/free", "Dsn"),
       "Provider=vfpoledb.1;Data Source=/free;Collating Sequence=general;", "Data Source=Dsn"},
      {"empty fields", fields(true, "", "", ""),
       "Provider=vfpoledb.1;Data Source=;Collating Sequence=machine;", "Data Source="},
      {"blanks kept", fields(false, "", " /free ", " Dsn "),
       "Provider=vfpoledb.1;Data Source= /free ;Collating Sequence=general;", "Data Source= Dsn "},
  };
  for (const Case& c : cases) {
    foxpro.opened.clear();
    odbc.opened.clear();
    EXPECT_TRUE(TestFoxproConnection(c.fields)) << c.name;
    EXPECT_TRUE(TestSybaseConnection(c.fields)) << c.name;
    EXPECT_EQ(foxpro.opened, std::vector<std::string>{c.foxpro_string}) << c.name;
    EXPECT_EQ(odbc.opened, std::vector<std::string>{c.sybase_string}) << c.name;
  }
  ConnectionFields refused = fields(true, "/refuse.dbc", "", "refuse");
  EXPECT_FALSE(TestFoxproConnection(refused));
  EXPECT_FALSE(TestSybaseConnection(refused));
}

TEST(ConnectionTests, MissingProviderGivesFalse) {
  // "MSDASQL" is set on the connection; with no such provider the open fails.
  ado::RegisterProvider("MSDASQL", [](const std::string&) -> std::unique_ptr<ado::Session> {
    throw ado::Error("Provider cannot be found. It may not be properly installed.");
  });
  ConnectionFields fields;
  fields.text3 = "Dsn";
  EXPECT_FALSE(TestSybaseConnection(fields));
}

TEST(ConnectionTests, CreationFailureReachesTheCaller) {
  ScopedConnectionCreator failing([]() -> std::unique_ptr<ado::Connection> {
    throw ado::Error("ActiveX component can't create object", 429);
  });
  ConnectionFields fields;
  EXPECT_THROW(TestFoxproConnection(fields), ado::Error);
  EXPECT_THROW(TestSybaseConnection(fields), ado::Error);
}

}  // namespace
}  // namespace db
