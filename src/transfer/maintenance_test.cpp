// Deleting and renaming without a display or a server: both providers are
// stand-ins that record every connection string and statement and refuse
// what a test names, so each case checks the statements sent, their order,
// the messages, the report lines, the pointer and the lists.
#include "transfer/maintenance.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "ado/error.h"
#include "ado/provider.h"
#include "platform/ui/operation_guard.h"
#include "platform/ui/scripted_ui.h"
#include "transfer/connection_checks.h"
#include "transfer/testing/stand_ins.h"

namespace transfer {
namespace {

using testing::RecordingProgress;
using testing::VectorTableList;
using Strings = std::vector<std::string>;

// What both stand-in providers saw, and what they refuse.
struct Server {
  Strings opened;      // connection strings, in order
  Strings statements;  // executed statements, in order
  std::set<std::string> refused_statements;
  bool refuse_open = false;
  ado::Dialect dialect;
};

class RecordingSession : public ado::Session {
 public:
  explicit RecordingSession(Server& server) : server_(server) {}
  void Execute(std::string_view sql) override {
    if (server_.refused_statements.count(std::string(sql)) != 0) {
      throw ado::Error("refused: " + std::string(sql));
    }
    server_.statements.emplace_back(sql);
  }
  std::unique_ptr<ado::Cursor> Query(std::string_view, ado::CursorPlace) override {
    throw ado::Error("no queries here");
  }
  std::unique_ptr<ado::Cursor> Tables() override { throw ado::Error("no catalog here"); }
  const ado::Dialect& dialect() const override { return server_.dialect; }

 private:
  Server& server_;
};

class MaintenanceTest : public ::testing::Test {
 protected:
  MaintenanceTest() {
    for (const char* provider : {"vfpoledb.1", "MSDASQL"}) {
      ado::RegisterProvider(provider, [this](const std::string& connection_string) {
        server_.opened.push_back(connection_string);
        if (server_.refuse_open) throw ado::Error("cannot open " + connection_string);
        return std::unique_ptr<ado::Session>(std::make_unique<RecordingSession>(server_));
      });
    }
    ui_.SetDefaultYesNoAnswer(ui::kAnswerYes);
    fields_.option1 = false;
    fields_.text1 = "/data/shop.dbc";
    fields_.text2 = "/data/free";
    fields_.text3 = "Shop";
  }
  ~MaintenanceTest() override {
    for (const char* provider : {"vfpoledb.1", "MSDASQL"}) {
      ado::RegisterProvider(provider, [](const std::string&) -> std::unique_ptr<ado::Session> {
        throw ado::Error("no provider in this test");
      });
    }
  }

  void Run(void (*handler)(TableWindowContext&)) {
    TableWindowContext context{ui_,    nullptr,   fields_,  list1_,
                               list2_, progress_, pointer_, "Quillo"};
    handler(context);
  }
  // "at line N" of every report, in order.
  std::vector<int> ReportLines() const { return testing::ReportLines(ui_); }
  // Every input box as "prompt|title|default", in order.
  Strings Prompts() const {
    Strings prompts;
    for (const ui::UiCall& c : ui_.CallsOf(ui::UiCall::Kind::kInputBox)) {
      prompts.push_back(c.text + "|" + c.title + "|" + c.default_text);
    }
    return prompts;
  }
  // The boxes that are not error reports.
  Strings Infos() const {
    Strings texts;
    for (const ui::UiCall& b : ui_.Messages()) {
      if (b.title != "Application Error") texts.push_back(b.text + "|" + b.title);
    }
    return texts;
  }
  static void SelectOnly(VectorTableList& list, const Strings& names, const std::string& current) {
    for (int i = 0; i < list.ListCount(); ++i) {
      bool selected = false;
      for (const auto& name : names) selected = selected || list.List(i) == name;
      list.SetSelected(i, selected);
      if (list.List(i) == current) list.SetListIndex(i);
    }
  }

  Server server_;
  ui::ScriptedUi ui_;
  RecordingProgress progress_;
  UiWindowPointer pointer_{ui_, nullptr};
  db::ConnectionFields fields_;
  VectorTableList list1_;
  VectorTableList list2_;
};

TEST_F(MaintenanceTest, DeleteDropsTheSelectedLastFirstAndKeepsWhatWasRefused) {
  struct Case {
    const char* name;
    void (*handler)(TableWindowContext&);
    bool foxpro;
    bool option1;
    const char* connection_string;
    Strings statements;
    std::vector<int> report_lines;
  } const cases[] = {
      {"FoxPro folder",
       DeleteFoxproTables,
       true,
       false,
       "Provider=vfpoledb.1;Data Source=/data/free;Collating Sequence=general;",
       {"DROP TABLE `zeta`", "DROP TABLE `my table`"},
       {118}},
      {"FoxPro container",
       DeleteFoxproTables,
       true,
       true,
       "Provider=vfpoledb.1;Data Source=/data/shop.dbc;Collating Sequence=machine;",
       {"DROP TABLE `zeta`", "DROP TABLE `my table`"},
       {118}},
      {"SQL side",
       DeleteSybaseTables,
       false,
       true,
       "Data Source=Shop",
       {"DROP TABLE \"zeta\"", "DROP TABLE \"my table\""},
       {114}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    server_ = Server();
    ui_.Clear();
    fields_.option1 = c.option1;
    VectorTableList& list = c.foxpro ? list1_ : list2_;
    list = VectorTableList({"my table", "Orders", "refused", "zeta", "kept"});
    SelectOnly(list, {"my table", "refused", "zeta"}, "kept");
    server_.refused_statements = {c.foxpro ? "DROP TABLE `refused`" : "DROP TABLE \"refused\""};
    Run(c.handler);
    EXPECT_EQ(server_.opened, Strings{c.connection_string});
    EXPECT_EQ(server_.statements, c.statements);
    EXPECT_EQ(ReportLines(), c.report_lines);
    EXPECT_EQ(list.Names(), (Strings{"kept", "Orders", "refused"}));
    EXPECT_EQ(ui_.PointerShapes(), (std::vector<int>{ui::kBusyPointer, ui::kDefaultPointer}));
  }
}

TEST_F(MaintenanceTest, DeleteWithoutCurrentEntryAsksForATableAndDropsNothing) {
  list1_ = VectorTableList({"a"});
  list2_ = VectorTableList({"b"});
  list1_.SetSelected(0, true);
  list2_.SetSelected(0, true);
  Run(DeleteFoxproTables);
  Run(DeleteSybaseTables);
  EXPECT_EQ(Infos(), (Strings{"Please select a table|Quillo", "Please select a table|Quillo"}));
  EXPECT_TRUE(server_.statements.empty());
  EXPECT_EQ(list1_.Names(), Strings{"a"});
  EXPECT_EQ(list2_.Names(), Strings{"b"});
}

TEST_F(MaintenanceTest, DeleteWithTheSideDownReportsTheOpenAndEveryStatement) {
  server_.refuse_open = true;
  struct Case {
    void (*handler)(TableWindowContext&);
    VectorTableList* list;
    std::vector<int> report_lines;
  } const cases[] = {
      {DeleteFoxproTables, &list1_, {110, 118, 118}},
      {DeleteSybaseTables, &list2_, {106, 114, 114}},
  };
  for (const Case& c : cases) {
    ui_.Clear();
    *c.list = VectorTableList({"a", "b", "c"});
    SelectOnly(*c.list, {"a", "c"}, "a");
    Run(c.handler);
    EXPECT_EQ(ReportLines(), c.report_lines);
    EXPECT_EQ(c.list->Names(), (Strings{"a", "b", "c"}));
  }
}

TEST_F(MaintenanceTest, RenameSendsTheStatementOfTheDatabaseAndMovesTheEntry) {
  using Family = ado::Dialect::Family;
  struct Case {
    ado::Dialect dialect;
    const char* statement;
  } const cases[] = {
      {ado::Dialect(), "ALTER TABLE \"say \"\"hi\"\"\" RENAME TO \"Zulu \"\"x\"\"\""},
      {ado::Dialect(Family::kSqlAnywhere, true),
       "ALTER TABLE \"say \"\"hi\"\"\" RENAME \"Zulu \"\"x\"\"\";"},
  };
  for (const Case& c : cases) {
    server_ = Server();
    server_.dialect = c.dialect;
    ui_.Clear();
    ui_.QueueText("Zulu \"x\"");
    list2_ = VectorTableList({"alpha", "say \"hi\"", "yankee"});
    SelectOnly(list2_, {"say \"hi\""}, "yankee");
    Run(RenameSybaseTable);
    EXPECT_EQ(server_.opened, Strings{"Data Source=Shop"});
    EXPECT_EQ(server_.statements, Strings{c.statement});
    EXPECT_EQ(Prompts(), Strings{"Enter new name of say \"hi\":|Quillo|say \"hi\""});
    EXPECT_EQ(list2_.Names(), (Strings{"alpha", "yankee", "Zulu \"x\""}));
    EXPECT_EQ(list2_.ListIndex(), 0);
    for (int i = 0; i < list2_.ListCount(); ++i) EXPECT_FALSE(list2_.Selected(i)) << i;
  }
}

TEST_F(MaintenanceTest, RenameRefusedOrCancelledLeavesTheList) {
  list2_ = VectorTableList({"archive", "orders"});
  SelectOnly(list2_, {"orders"}, "archive");
  server_.refused_statements = {"ALTER TABLE \"orders\" RENAME TO \"archive\""};
  ui_.QueueText("archive");
  Run(RenameSybaseTable);  // refused
  Run(RenameSybaseTable);  // cancelled
  EXPECT_EQ(ReportLines(), std::vector<int>{122});
  EXPECT_EQ(Prompts().size(), 2u);
  EXPECT_TRUE(server_.statements.empty());
  EXPECT_EQ(list2_.Names(), (Strings{"archive", "orders"}));
  EXPECT_TRUE(list2_.Selected(1));
  EXPECT_EQ(list2_.ListIndex(), 0);
}

TEST_F(MaintenanceTest, RenameChecksCurrentEntryThenSelectionCount) {
  list2_ = VectorTableList({"a", "b", "c"});
  SelectOnly(list2_, {"a"}, "");
  Run(RenameSybaseTable);  // no current entry
  SelectOnly(list2_, {"a", "c"}, "b");
  Run(RenameSybaseTable);  // two selected
  SelectOnly(list2_, {}, "b");
  Run(RenameSybaseTable);  // none selected
  list1_ = VectorTableList({"orders"});
  SelectOnly(list1_, {"orders"}, "orders");
  Run(RenameFoxproTable);
  EXPECT_EQ(Infos(), (Strings{"Please select a table to rename.|Quillo",
                              "Please select just one table to rename.|Quillo",
                              "Please select just one table to rename.|Quillo",
                              "This feature is disabled.|Quillo"}));
  EXPECT_TRUE(Prompts().empty());
  EXPECT_TRUE(server_.statements.empty());
  EXPECT_EQ(list1_.Names(), Strings{"orders"});
}

TEST_F(MaintenanceTest, IgnoredWhileAnotherOperationRuns) {
  list1_ = VectorTableList({"a"});
  list2_ = VectorTableList({"b"});
  SelectOnly(list1_, {"a"}, "a");
  SelectOnly(list2_, {"b"}, "b");
  ui_.QueueText("c");
  ui::OperationGuard running;
  for (auto handler : {DeleteFoxproTables, DeleteSybaseTables, RenameSybaseTable}) Run(handler);
  EXPECT_TRUE(ui_.Messages().empty());
  EXPECT_TRUE(ui_.PointerShapes().empty());
  EXPECT_TRUE(server_.opened.empty());
}

// The connection window's "Test Connection" buttons over the same stand-ins.
TEST_F(MaintenanceTest, ConnectionChecksOpenTheirSideAndSayWhetherItOpened) {
  struct Case {
    void (*check)(ConnectionWindowContext&);
    bool refuse_open;
    const char* connection_string;
    const char* message;
  } const cases[] = {
      {CheckFoxproConnection, false,
       "Provider=vfpoledb.1;Data Source=/data/free;Collating Sequence=general;",
       "Connection successful.|Quillo"},
      {CheckFoxproConnection, true,
       "Provider=vfpoledb.1;Data Source=/data/free;Collating Sequence=general;",
       "Could not connect.|Quillo"},
      {CheckSybaseConnection, false, "Data Source=Shop", "Connection successful.|Quillo"},
      {CheckSybaseConnection, true, "Data Source=Shop", "Could not connect.|Quillo"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    server_ = Server();
    server_.refuse_open = c.refuse_open;
    ui_.Clear();
    ConnectionWindowContext context{ui_, nullptr, fields_, pointer_, "Quillo"};
    c.check(context);
    EXPECT_EQ(server_.opened, Strings{c.connection_string});
    EXPECT_EQ(Infos(), Strings{c.message});
    EXPECT_TRUE(ui_.MessagesTitled("Application Error").empty());
    EXPECT_EQ(ui_.PointerShapes(), (std::vector<int>{ui::kBusyPointer, ui::kDefaultPointer}));
  }
}

}  // namespace
}  // namespace transfer
