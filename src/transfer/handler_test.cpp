// The copies' handlers where no data source is reachable: the messages, the
// step numbers of each report with its statement, the pointer, the progress
// bar and the lists. No provider is registered in this program, so every
// connection fails to open as a server that is down would.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/operation_guard.h"
#include "platform/ui/scripted_ui.h"
#include "transfer/testing/stand_ins.h"
#include "transfer/transfer.h"

namespace transfer {
namespace {

using testing::RecordingProgress;
using testing::VectorTableList;

class HandlerTest : public ::testing::Test {
 protected:
  HandlerTest() {
    ui_.SetDefaultYesNoAnswer(ui::kAnswerYes);
    fields_.option1 = false;
    fields_.text2 = "/nonexistent/quillomar/folder";
    fields_.text3 = "NoSuchDataSource";
  }

  TableWindowContext Context() {
    return TableWindowContext{ui_, nullptr, fields_, list1_, list2_, progress_, pointer_, "Quillo"};
  }

  // "at line N" of every report, in order.
  std::vector<int> ReportLines() const { return testing::ReportLines(ui_); }
  // The statement after "sql: " of every report.
  std::vector<std::string> ReportStatements() const {
    std::vector<std::string> statements;
    for (const ui::UiCall& b : ui_.MessagesTitled("Application Error")) {
      auto at = b.text.find("\r\rsql: ");
      statements.push_back(at == std::string::npos ? "<none>" : b.text.substr(at + 7));
    }
    return statements;
  }

  ui::ScriptedUi ui_;
  RecordingProgress progress_;
  UiWindowPointer pointer_{ui_, nullptr};
  db::ConnectionFields fields_;
  VectorTableList list1_;
  VectorTableList list2_;
};

TEST_F(HandlerTest, NoCurrentEntryShowsOnlyTheMessage) {
  struct Case {
    void (*handler)(TableWindowContext&);
    const char* message;
  } cases[] = {{SendFoxproToSybase, "Please select a table"},
               {SendSybaseToFoxpro, "Please select a table to send."}};
  list1_ = VectorTableList({"a", "b"});
  list2_ = VectorTableList({"c"});
  list1_.SetSelected(0, true);
  list2_.SetSelected(0, true);
  for (const Case& c : cases) {
    ui_.Clear();
    TableWindowContext context = Context();
    c.handler(context);
    ASSERT_EQ(ui_.Messages().size(), 1u);
    EXPECT_EQ(ui_.Messages()[0].text, c.message);
    EXPECT_EQ(ui_.Messages()[0].style, ui::kOkOnly);
    EXPECT_EQ(ui_.Messages()[0].title, "Quillo");
  }
  EXPECT_TRUE(ui_.PointerShapes().empty());
  EXPECT_TRUE(progress_.values.empty());
  EXPECT_EQ(list1_.Names(), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(list2_.Names(), (std::vector<std::string>{"c"}));
}

TEST_F(HandlerTest, BothSidesDownReportEveryStatementAndLeaveTheListsAlone) {
  list1_ = VectorTableList({"Orders", "zeta"});
  list2_ = VectorTableList({"orders", "Zeta"});
  list1_.Select("Orders");
  list2_.Select("Zeta");
  ui_.QueueAnswer(ui::kAnswerYes);
  TableWindowContext context = Context();
  SendFoxproToSybase(context);
  // Sybase open, FoxPro open; for Orders the SELECT fails, so after the Yes
  // the old table is kept: no DROP, nothing created.
  EXPECT_EQ(ReportLines(), (std::vector<int>{114, 122, 146}));
  EXPECT_EQ(ReportStatements(), (std::vector<std::string>{"", "", ""}));
  EXPECT_EQ(ui_.Messages()[2].text, "Would you like to overwrite Orders?");
  EXPECT_EQ(ui_.Messages()[2].style, ui::kYesNo);
  EXPECT_EQ(ui_.Messages()[2].title, "Overwrite?");
  EXPECT_EQ(list2_.Names(), (std::vector<std::string>{"orders", "Zeta"}));
  // The skipped table leaves the pointer and the bar as a No would.
  EXPECT_EQ(ui_.PointerShapes(), (std::vector<int>{ui::kBusyPointer, 0}));
  EXPECT_TRUE(progress_.values.empty());

  ui_.Clear();
  ui_.QueueAnswer(ui::kAnswerYes);
  SendSybaseToFoxpro(context);
  EXPECT_EQ(ReportLines(), (std::vector<int>{116, 124, 146}));
  EXPECT_EQ(ui_.Messages()[2].text, "Would you like to overwrite Zeta?");
  EXPECT_EQ(list1_.Names(), (std::vector<std::string>{"Orders", "zeta"}));
  EXPECT_EQ(ui_.PointerShapes(), (std::vector<int>{ui::kBusyPointer, 0}));
}

TEST_F(HandlerTest, ReportsCarryTheContextOfTheirHandler) {
  list1_ = VectorTableList({"a"});
  list2_ = VectorTableList({"b"});
  list1_.Select("a");
  list2_.Select("b");
  TableWindowContext context = Context();
  SendFoxproToSybase(context);
  SendSybaseToFoxpro(context);
  auto reports = ui_.MessagesTitled("Application Error");
  ASSERT_EQ(reports.size(), 8u);
  EXPECT_NE(reports[0].text.find("\r\nin Vantrel2021/08/31.Form2.PushButton3_Click at line 114"),
            std::string::npos);
  EXPECT_NE(reports[4].text.find("\r\nin Vantrel2021/08/31.Form2.PushButton4_Click at line 116"),
            std::string::npos);
  for (const ui::UiCall& b : reports) {
    EXPECT_EQ(b.style, ui::kExclamation);
    EXPECT_NE(b.text.find("\r\rsql: "), std::string::npos);
  }
}

TEST_F(HandlerTest, NoAnswerSkipsTheTableAndUnselectedEntriesAreSkipped) {
  struct Case {
    void (*handler)(TableWindowContext&);
    std::vector<int> lines;
  } cases[] = {{SendFoxproToSybase, {114, 122}}, {SendSybaseToFoxpro, {116, 124}}};
  for (const Case& c : cases) {
    list1_ = VectorTableList({"t", "u"});
    list2_ = VectorTableList({"T", "u"});
    list1_.Select("t");
    list2_.Select("T");
    ui_ = ui::ScriptedUi();
    ui_.SetDefaultYesNoAnswer(ui::kAnswerYes);
    ui_.QueueAnswer(ui::kAnswerNo);
    TableWindowContext context = Context();
    c.handler(context);
    EXPECT_EQ(ReportLines(), c.lines);
    EXPECT_EQ(ui_.Messages().size(), 3u);
    EXPECT_EQ(ui_.PointerShapes(), (std::vector<int>{ui::kBusyPointer, 0}));
    EXPECT_EQ(list1_.Names(), (std::vector<std::string>{"t", "u"}));
    EXPECT_EQ(list2_.Names(), (std::vector<std::string>{"T", "u"}));
  }
  EXPECT_TRUE(progress_.values.empty());
}

TEST_F(HandlerTest, IgnoredWhileAnotherOperationRuns) {
  list1_ = VectorTableList({"a"});
  list2_ = VectorTableList({"b"});
  ui::OperationGuard running;
  ASSERT_TRUE(running.acquired());
  TableWindowContext context = Context();
  SendFoxproToSybase(context);
  SendSybaseToFoxpro(context);
  EXPECT_TRUE(ui_.Messages().empty());
  EXPECT_TRUE(ui_.PointerShapes().empty());
}

TEST_F(HandlerTest, SecondOperationClickDuringACopyIsIgnored) {
  list1_ = VectorTableList({"a", "b"});
  list2_ = VectorTableList({"c"});
  list1_.Select("a");
  list1_.Select("b");
  list2_.Select("c");
  TableWindowContext context = Context();
  int nested = 0;
  ui_.OnDoEvents([&] {
    if (nested++ > 0) return;
    // A click on the other send button and a deselect, delivered mid-copy.
    const std::size_t boxes_before = ui_.Messages().size();
    SendSybaseToFoxpro(context);
    EXPECT_EQ(ui_.Messages().size(), boxes_before);
    list1_.SetSelected(0, false);
  });
  SendFoxproToSybase(context);
  // Only b (deselecting a happened at the first yield) was attempted.
  EXPECT_EQ(ReportLines(), (std::vector<int>{114, 122, 146, 198}));
  EXPECT_EQ(ReportStatements().back(), "CREATE TABLE \"b\")");
}

}  // namespace
}  // namespace transfer
