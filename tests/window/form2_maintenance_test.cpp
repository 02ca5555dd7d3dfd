// Deleting and renaming tables through the table window's handlers, against
// private databases on the test servers; the PostgreSQL statement log shows
// exactly what the server received.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "ado/provider.h"
#include "db/catalog.h"
#include "platform/ui/operation_guard.h"
#include "form2_fixture.h"

namespace windows::testing {
namespace {

using Strings = std::vector<std::string>;

class DeleteTest : public Form2Test, public ::testing::WithParamInterface<Server> {
 protected:
  void SetUp() override {
    if (!UseServer(GetParam())) GTEST_SKIP() << Sources().error();
  }
  void Create(const Strings& names) {
    Strings sql;
    for (const auto& name : names) sql.push_back("CREATE TABLE " + Quote(name) + " (id INTEGER)");
    Sources().Run(GetParam(), sql);
    Fill(List2(), names);
  }
  static std::string Quote(const std::string& name) {
    std::string quoted = "\"";
    for (char c : name) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
  }
  Strings OnServer() { return ServerTables(Sources(), GetParam()); }
};

TEST_P(DeleteTest, NoCurrentEntryAsksForASelectionAndDropsNothing) {
  Create({"alpha", "beta"});
  Select(List2(), {"alpha", "beta"});
  ASSERT_EQ(List2().ListIndex(), -1);
  Click(5);
  EXPECT_EQ(Infos(), (Strings{"Please select a table"}));
  EXPECT_TRUE(Reports().empty());
  EXPECT_EQ(Names(List2()), (Strings{"alpha", "beta"}));
  EXPECT_EQ(OnServer().size(), 2u);
  EXPECT_EQ(ui_.PointerShapes(), (std::vector<int>{11, 0}));
}

TEST_P(DeleteTest, CurrentEntryWithoutSelectionDoesNothingVisible) {
  Create({"alpha", "beta"});
  MakeCurrent(List2(), "beta");
  Click(5);
  EXPECT_TRUE(ui_.MessageTexts().empty());
  EXPECT_EQ(Names(List2()), (Strings{"alpha", "beta"}));
  EXPECT_EQ(OnServer().size(), 2u);
}

TEST_P(DeleteTest, AllSelectedAreDroppedAndTheListEmpties) {
  Create({"t1", "t2", "t3", "t4", "t5"});
  Click(8);  // Select All
  MakeCurrent(List2(), "t3");
  const std::size_t log_start = PostgresLogSize();
  Click(5);
  EXPECT_TRUE(ui_.MessageTexts().empty());
  EXPECT_TRUE(Names(List2()).empty());
  EXPECT_TRUE(OnServer().empty());
  if (GetParam() == Server::kPostgres) {
    // Last list position first.
    const std::string log = PostgresLogSince(log_start);
    std::size_t at = 0;
    for (const char* name : {"t5", "t4", "t3", "t2", "t1"}) {
      at = log.find(std::string("statement: DROP TABLE \"") + name + "\"", at);
      EXPECT_NE(at, std::string::npos) << name << " out of order in:\n" << log;
    }
  }
}

TEST_P(DeleteTest, RefusedDropKeepsItsEntryAndGoesOn) {
  Create({"real_one", "zz_real"});
  Fill(List2(), {"ghost"});  // listed, but no such table
  Select(List2(), {"real_one", "ghost", "zz_real"});
  MakeCurrent(List2(), "ghost");
  Click(5);
  ASSERT_EQ(ReportLines(), (std::vector<int>{114}));
  EXPECT_FALSE(Reports()[0].description.empty());
  EXPECT_EQ(Names(List2()), (Strings{"ghost"}));
  EXPECT_TRUE(OnServer().empty());
}

INSTANTIATE_TEST_SUITE_P(Servers, DeleteTest,
                         ::testing::Values(Server::kSqlite, Server::kPostgres, Server::kMaria),
                         [](const auto& param_info) { return ServerName(param_info.param); });

TEST_F(Form2Test, DeleteWithTheSqlSideDownReportsAndKeepsEveryEntry) {
  const char* down = std::getenv("QUILLOMAR_DSN_PG_DOWN");
  if (down == nullptr) GTEST_SKIP() << "QUILLOMAR_DSN_PG_DOWN is not set";
  fields_.text3 = down;
  Fill(List2(), {"a", "b", "c"});
  Select(List2(), {"a", "c"});
  MakeCurrent(List2(), "a");
  Click(5);
  // The open fails once; each selected table's statement then fails too.
  EXPECT_EQ(ReportLines(), (std::vector<int>{106, 114, 114}));
  EXPECT_EQ(Names(List2()), (Strings{"a", "b", "c"}));
  EXPECT_EQ(ui_.PointerShapes(), (std::vector<int>{11, 0}));
}

TEST_F(Form2Test, DeleteWithTheFoxproSideDownReportsAndKeepsEveryEntry) {
  for (bool container : {true, false}) {
    SCOPED_TRACE(container ? "container" : "free tables");
    ui_.Clear();
    fields_.option1 = container;
    fields_.text1 = program_dir_.filePath("none.dbc").toStdString();
    List1().Clear();
    Fill(List1(), {"customers", "orders"});
    Select(List1(), {"customers", "orders"});
    MakeCurrent(List1(), "orders");
    Click(1);
    EXPECT_EQ(ReportLines(), (std::vector<int>{container ? 108 : 110, 118, 118}));
    EXPECT_EQ(Names(List1()), (Strings{"customers", "orders"}));
  }
}

TEST_F(Form2Test, FoxproDeleteWithoutCurrentEntryAsksForASelection) {
  Fill(List1(), {"orders"});
  Select(List1(), {"orders"});
  Click(1);
  ASSERT_FALSE(Infos().empty());
  EXPECT_EQ(Infos().back(), "Please select a table");
  EXPECT_EQ(Names(List1()), (Strings{"orders"}));
}

TEST_F(Form2Test, NamesWithBlanksAndQuotesReachPostgresQuoted) {
  if (!UseServer(Server::kPostgres)) GTEST_SKIP() << Sources().error();
  const Strings names = {"my table", "say \"hi\"", "x\"; DROP TABLE keep; --"};
  Sources().Run(Server::kPostgres, {"CREATE TABLE \"my table\" (id INTEGER)",
                                    "CREATE TABLE \"say \"\"hi\"\"\" (id INTEGER)",
                                    "CREATE TABLE \"x\"\"; DROP TABLE keep; --\" (id INTEGER)",
                                    "CREATE TABLE keep (id INTEGER)"});
  Fill(List2(), names);
  Select(List2(), names);
  MakeCurrent(List2(), "my table");
  const std::size_t log_start = PostgresLogSize();
  Click(5);
  EXPECT_TRUE(Reports().empty());
  const std::string log = PostgresLogSince(log_start);
  EXPECT_NE(log.find("statement: DROP TABLE \"my table\"\n"), std::string::npos) << log;
  EXPECT_NE(log.find("statement: DROP TABLE \"say \"\"hi\"\"\"\n"), std::string::npos) << log;
  EXPECT_NE(log.find("statement: DROP TABLE \"x\"\"; DROP TABLE keep; --\"\n"), std::string::npos)
      << log;
  EXPECT_EQ(ServerTables(Sources(), Server::kPostgres), (Strings{"public.keep"}));
}

TEST_F(Form2Test, DeleteIsIgnoredWhileAnotherOperationRuns) {
  Fill(List2(), {"a"});
  Select(List2(), {"a"});
  MakeCurrent(List2(), "a");
  ui::OperationGuard running;
  Click(5);
  Click(7);
  Click(1);
  EXPECT_TRUE(ui_.calls().empty());
  Click(8);  // select still works
  EXPECT_TRUE(List2().Selected(0));
}

// Renaming.

TEST_F(Form2Test, FoxproRenameIsDisabledWhateverIsSelected) {
  Click(6);
  Fill(List1(), {"orders"});
  Select(List1(), {"orders"});
  MakeCurrent(List1(), "orders");
  Click(6);
  EXPECT_EQ(Infos(), (Strings{"This feature is disabled.", "This feature is disabled."}));
  EXPECT_EQ(Names(List1()), (Strings{"orders"}));
  EXPECT_TRUE(List1().Selected(0));
}

TEST_F(Form2Test, RenameChecksCurrentEntryThenSelectionCount) {
  if (!UseServer(Server::kSqlite)) GTEST_SKIP() << Sources().error();
  Fill(List2(), {"a", "b", "c"});
  Select(List2(), {"a"});
  Click(7);  // no current entry
  MakeCurrent(List2(), "b");
  Select(List2(), {"a", "c"});
  Click(7);  // two selected
  Select(List2(), {});
  Click(7);  // none selected
  EXPECT_EQ(Infos(),
            (Strings{"Please select a table to rename.", "Please select just one table to rename.",
                     "Please select just one table to rename."}));
  EXPECT_TRUE(InputBoxes().empty());
  EXPECT_TRUE(Reports().empty());
}

TEST_F(Form2Test, RenameCancelChangesNothing) {
  if (!UseServer(Server::kMaria)) GTEST_SKIP() << Sources().error();
  Sources().Run(Server::kMaria, {"CREATE TABLE orders (id INTEGER)"});
  Fill(List2(), {"a_first", "orders", "zed"});
  Select(List2(), {"orders"});
  MakeCurrent(List2(), "zed");
  Click(7);  // the scripted input box answers with Cancel
  ASSERT_EQ(InputBoxes().size(), 1u);
  EXPECT_EQ(Names(List2()), (Strings{"a_first", "orders", "zed"}));
  EXPECT_EQ(List2().ListIndex(), 2);
  EXPECT_EQ(ServerTables(Sources(), Server::kMaria), (Strings{"orders"}));
}

// Renaming on each real database: the statement takes the form the
// connected database reads.
class RenameTest : public DeleteTest {
 protected:
  // The server's tables without PostgreSQL's schema prefix.
  Strings Tables() {
    Strings names = OnServer();
    for (auto& name : names) {
      if (name.starts_with("public.")) name.erase(0, 7);
    }
    return names;
  }
};

TEST_P(RenameTest, RenamesTheSelectedTableAndItsEntry) {
  struct Case {
    const char* name;
    std::string old_name;
    std::string new_name;
    Strings listed_after;  // besides "Alpha" and "zed"
  } const cases[] = {
      {"plain", "orders", "archive", {"archive"}},
      {"blanks", "my orders", "old orders 2021", {"old orders 2021"}},
      {"double quotes", "say \"hi\"", "x\"; DROP TABLE zed; --", {"x\"; DROP TABLE zed; --"}},
      {"blank and quotes into plain", "a \"b\" c", "quiet", {"quiet"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Sources().Empty(GetParam());
    ui_.Clear();
    List2().Clear();
    Create({"Alpha", c.old_name, "zed"});
    Select(List2(), {c.old_name});
    MakeCurrent(List2(), "zed");
    ui_.QueueText(c.new_name);
    Click(7);
    EXPECT_TRUE(Reports().empty()) << (Reports().empty() ? "" : Reports()[0].description);
    ASSERT_EQ(InputBoxes().size(), 1u);
    EXPECT_EQ(InputBoxes()[0].text, "Enter new name of " + c.old_name + ":");
    EXPECT_EQ(InputBoxes()[0].default_text, c.old_name);
    EXPECT_EQ(InputBoxes()[0].title, "Quillomar");
    EXPECT_TRUE(ui_.MessageTexts().empty());
    Strings expected = {"Alpha", "zed"};
    expected.insert(expected.begin() + 1, c.listed_after.begin(), c.listed_after.end());
    EXPECT_EQ(Names(List2()), expected);
    EXPECT_EQ(List2().ListIndex(), 0);
    for (int i = 0; i < List2().ListCount(); ++i) EXPECT_FALSE(List2().Selected(i)) << i;
    Strings on_server = {"Alpha", c.new_name, "zed"};
    std::sort(on_server.begin(), on_server.end());
    EXPECT_EQ(Tables(), on_server);
    EXPECT_EQ(ui_.PointerShapes(), (std::vector<int>{11, 0}));
  }
}

TEST_P(RenameTest, RefusedRenameLeavesTheList) {
  Create({"archive", "orders"});
  Select(List2(), {"orders"});
  MakeCurrent(List2(), "archive");
  ui_.QueueText("archive");  // taken
  Click(7);
  ASSERT_EQ(ReportLines(), (std::vector<int>{122}));
  EXPECT_FALSE(Reports()[0].description.empty());
  EXPECT_EQ(Names(List2()), (Strings{"archive", "orders"}));
  EXPECT_TRUE(List2().Selected(1));
  EXPECT_EQ(List2().ListIndex(), 0);
  EXPECT_EQ(Tables(), (Strings{"archive", "orders"}));
}

INSTANTIATE_TEST_SUITE_P(Servers, RenameTest,
                         ::testing::Values(Server::kSqlite, Server::kPostgres, Server::kMaria),
                         [](const auto& param_info) { return ServerName(param_info.param); });

TEST_F(Form2Test, RenameReachesPostgresInItsOwnForm) {
  if (!UseServer(Server::kPostgres)) GTEST_SKIP() << Sources().error();
  Sources().Run(Server::kPostgres, {"CREATE TABLE \"old \"\"one\"\"\" (id INTEGER)"});
  Fill(List2(), {"old \"one\""});
  Select(List2(), {"old \"one\""});
  MakeCurrent(List2(), "old \"one\"");
  ui_.QueueText("new \"x\" y");
  const std::size_t log_start = PostgresLogSize();
  Click(7);
  const std::string log = PostgresLogSince(log_start);
  EXPECT_NE(log.find("statement: ALTER TABLE \"old \"\"one\"\"\" RENAME TO \"new \"\"x\"\" y\"\n"),
            std::string::npos)
      << log;
  EXPECT_TRUE(ReportLines().empty());
  EXPECT_EQ(Names(List2()), (Strings{"new \"x\" y"}));
}

TEST_F(Form2Test, RenameWithTheSqlSideDownReportsOpenAndStatement) {
  const char* down = std::getenv("QUILLOMAR_DSN_PG_DOWN");
  if (down == nullptr) GTEST_SKIP() << "QUILLOMAR_DSN_PG_DOWN is not set";
  fields_.text3 = down;
  Fill(List2(), {"orders"});
  Select(List2(), {"orders"});
  MakeCurrent(List2(), "orders");
  ui_.QueueText("archive");
  Click(7);
  EXPECT_EQ(ReportLines(), (std::vector<int>{106, 122}));
  EXPECT_EQ(Names(List2()), (Strings{"orders"}));
}

}  // namespace
}  // namespace windows::testing

namespace windows::testing {
namespace {

namespace fs = std::filesystem;

class FoxproDeleteTest : public Form2Test {
 protected:
  void SetUp() override {
    if (ado::FindProvider("vfpoledb.1") == nullptr) {
      GTEST_SKIP() << "the FoxPro provider (vfpoledb.1) is not built in yet";
    }
    if (!fs::is_directory(vfp_)) GTEST_SKIP() << "FoxPro fixtures not found at " << vfp_;
  }
  const std::string vfp_ = std::string(QUILLOMAR_FIXTURES) + "/vfp";
};

TEST_F(FoxproDeleteTest, DropsSelectedFreeTablesIncludingNamesWithBlanks) {
  const fs::path folder = program_dir_.filePath("free").toStdString();
  fs::create_directories(folder);
  for (const char* name : {"orders.dbf", "my table.dbf", "keep.dbf"}) {
    fs::copy_file(vfp_ + "/foxbin2prg/encuestas.dbf", folder / name);
  }
  fields_.option1 = false;
  fields_.text2 = folder.string();
  Fill(List1(), {"orders", "my table", "keep"});
  Select(List1(), {"orders", "my table"});
  MakeCurrent(List1(), "orders");
  Click(1);
  EXPECT_TRUE(Reports().empty()) << (Reports().empty() ? "" : Reports()[0].description);
  EXPECT_EQ(Names(List1()), (std::vector<std::string>{"keep"}));
  EXPECT_FALSE(fs::exists(folder / "orders.dbf"));
  EXPECT_FALSE(fs::exists(folder / "my table.dbf"));
  EXPECT_TRUE(fs::exists(folder / "keep.dbf"));
}

TEST_F(FoxproDeleteTest, DropsTablesOfTheContainerNamedAtTheClick) {
  const fs::path folder = program_dir_.filePath("northwind").toStdString();
  fs::copy(vfp_ + "/vfpefprovider-northwind", folder);
  fields_.option1 = true;
  fields_.text1 = (folder / "northwind.dbc").string();
  Fill(List1(), {"Region", "Shippers", "Orders"});
  Select(List1(), {"Region", "Shippers"});
  MakeCurrent(List1(), "Orders");
  Click(1);
  EXPECT_TRUE(Reports().empty()) << (Reports().empty() ? "" : Reports()[0].description);
  EXPECT_EQ(Names(List1()), (std::vector<std::string>{"Orders"}));
  // The container no longer lists them.
  VectorTableList after;
  db::ListFoxproTables(after, fields_, nullptr);
  for (const auto& name : after.Names()) {
    EXPECT_NE(name == "Region" || name == "region" || name == "Shippers" || name == "shippers",
              true)
        << name;
  }
}

}  // namespace
}  // namespace windows::testing
