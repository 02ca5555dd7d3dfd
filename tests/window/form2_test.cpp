// The table window itself: its controls as designed, the load sequence with
// both catalogs, the sorted lists, Select All / Deselect All, "< Back",
// "Help", closing, and the hand pointer read at load.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QListWidget>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "accessories/appearance.h"
#include "ado/error.h"
#include "ado/provider.h"
#include "app/trap.h"
#include "db/new_connection.h"
#include "form2_fixture.h"
#include "platform/ui/pointer_shape.h"

namespace windows::testing {
namespace {

using Strings = std::vector<std::string>;

struct ControlCase {
  const char* name;
  const char* parent;
  const char* caption;
  int left, top, width, height;
};

const ControlCase kControls[] = {
    {"Frame1", "Form2", "FoxPro Tables", 120, 120, 3840, 4215},
    {"List1", "Frame1", "", 240, 360, 3330, 1635},
    {"PushButton10", "Frame1", "Select All", 240, 2100, 1600, 400},
    {"PushButton11", "Frame1", "Deselect All", 1960, 2100, 1600, 400},
    {"PushButton3", "Frame1", "Send Table/s To Sybase iAny", 240, 2600, 3330, 400},
    {"PushButton1", "Frame1", "Delete Table/s", 240, 3090, 3330, 405},
    {"PushButton6", "Frame1", "Rename Table", 240, 3600, 3330, 400},
    {"Frame2", "Form2", "Sybase iAnywhere Tables", 4080, 120, 3840, 4215},
    {"List2", "Frame2", "", 240, 360, 3330, 1635},
    {"PushButton8", "Frame2", "Select All", 240, 2100, 1600, 405},
    {"PushButton9", "Frame2", "Deselect All", 1960, 2100, 1600, 405},
    {"PushButton4", "Frame2", "Send Table/s To FoxPro", 240, 2600, 3330, 405},
    {"PushButton5", "Frame2", "Delete Table/s", 240, 3100, 3330, 405},
    {"PushButton7", "Frame2", "Rename Table", 240, 3600, 3330, 405},
    {"ProgressBar1", "Form2", "Progress Bar", 120, 4485, 7800, 405},
    {"PushButton2", "Form2", "< Back", 120, 5025, 3840, 405},
    {"PushButton12", "Form2", "Help", 4080, 5025, 3840, 405},
};

QString CaptionOf(QWidget* widget) {
  if (auto* button = qobject_cast<QPushButton*>(widget)) return button->text();
  if (auto* frame = qobject_cast<QGroupBox*>(widget)) return frame->title();
  if (auto* bar = qobject_cast<QProgressBar*>(widget)) return bar->text();
  return QString();
}

TEST_F(Form2Test, ControlsSitWhereDesignedWithTheirCaptions) {
  const int dpi = form().logicalDpiY();
  auto px = [dpi](int twips) { return accessories::TwipsToPixels(twips, dpi); };
  for (const ControlCase& c : kControls) {
    SCOPED_TRACE(c.name);
    auto* widget = form().findChild<QWidget*>(c.name);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->parentWidget()->objectName().toStdString(), c.parent);
    EXPECT_EQ(CaptionOf(widget).toStdString(), c.caption);
    EXPECT_EQ(widget->geometry(), QRect(px(c.left), px(c.top), px(c.width), px(c.height)));
  }
  EXPECT_EQ(form().width(), px(8040));
  EXPECT_EQ(form().objectName(), "Form2");
}

TEST_F(Form2Test, FontsListsAndProgressBarAsDesigned) {
  EXPECT_EQ(form().font().family(), "Arial");
  EXPECT_TRUE(form().font().bold());
  EXPECT_DOUBLE_EQ(form().font().pointSizeF(), 9);
  for (int number = 1; number <= 12; ++number) {
    const QFont font = form().PushButton(number)->font();
    EXPECT_TRUE(font.bold()) << number;
    EXPECT_DOUBLE_EQ(font.pointSizeF(), 11.25) << number;
  }
  EXPECT_DOUBLE_EQ(form().List1()->font().pointSizeF(), 9);
  EXPECT_TRUE(form().List2()->font().bold());
  for (QListWidget* list : {form().List1(), form().List2()}) {
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_TRUE(list->uniformItemSizes());
  }
  EXPECT_EQ(form().ProgressBar1()->value(), 0);
  EXPECT_EQ(form().ProgressBar1()->maximum(), 100);
}

TEST_F(Form2Test, TabOrderFollowsTheDesign) {
  const Strings expected = {"List2",       "List1",       "PushButton10", "PushButton11",
                            "PushButton3", "PushButton1", "PushButton6",  "PushButton2",
                            "PushButton8", "PushButton9", "PushButton4",  "PushButton5",
                            "PushButton7", "PushButton12"};
  Strings order;
  QWidget* widget = form().List2();
  for (std::size_t i = 0; i < expected.size(); ++i) {
    order.push_back(widget->objectName().toStdString());
    do {
      widget = widget->nextInFocusChain();
    } while (widget->focusPolicy() == Qt::NoFocus || widget->objectName().isEmpty());
  }
  EXPECT_EQ(order, expected);
}

TEST_F(Form2Test, ListsSortCaseInsensitivelyAndKeepEqualNamesInOrder) {
  // The tests run in the C locale: letter case is ignored, the rest is
  // compared by code point.
  Fill(List1(),
       {"beta", "Alpha", "alpha2", "ORDERS", "orders", "Orders", "c10", "c9", "zeta", "Émile"});
  EXPECT_EQ(Names(List1()), (Strings{"Alpha", "alpha2", "beta", "c10", "c9", "ORDERS", "orders",
                                     "Orders", "zeta", "Émile"}));
  // In a user's language accented letters sort with their base letter.
  QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
  QListWidget french_widget;
  SortedTableList french(&french_widget);
  QLocale::setDefault(QLocale::c());
  Fill(french, {"zeta", "Émile", "eagle", "Ecole", "f"});
  EXPECT_EQ(Names(french), (Strings{"eagle", "Ecole", "Émile", "f", "zeta"}));
  // A name that is not valid UTF-8 comes back byte for byte.
  List2().AddItem("caf\xE9");
  EXPECT_EQ(List2().List(0), "caf\xE9");
  EXPECT_THROW(List2().List(1), std::out_of_range);
  EXPECT_THROW(List2().RemoveItem(-1), std::out_of_range);
}

TEST_F(Form2Test, SelectAllAndDeselectAllTouchOnlyTheirOwnList) {
  Click(10);  // empty list: nothing happens
  Fill(List1(), {"only"});
  Click(10);
  EXPECT_TRUE(List1().Selected(0));
  Fill(List2(), {"a", "b", "c"});
  Click(8);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(List2().Selected(i));
  Click(11);
  EXPECT_FALSE(List1().Selected(0));
  EXPECT_TRUE(List2().Selected(1));
  Click(9);
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(List2().Selected(i));
  EXPECT_TRUE(ui_.calls().empty());
}

// A list that refuses to set the flag of one entry.
class RefusingList : public VectorTableList {
 public:
  RefusingList(std::vector<std::string> names, int refused)
      : VectorTableList(std::move(names)), refused_(refused) {}
  void SetSelected(int index, bool selected) override {
    if (index == refused_) throw std::runtime_error("Invalid property value");
    VectorTableList::SetSelected(index, selected);
  }

 private:
  int refused_;
};

TEST_F(Form2Test, SelectAllReportsAFailingEntryAndGoesOnWithTheNext) {
  for (bool selected : {true, false}) {
    SCOPED_TRACE(selected ? "select" : "deselect");
    ui_.Clear();
    RefusingList list({"a", "b", "c"}, 1);
    for (int i = 0; i < 3; ++i) list.SetSelected(i == 1 ? 0 : i, !selected);
    {
      app::Trap trap(ui_, &form(), "Form2", "PushButton10_Click");
      SetEverySelection(trap, list, selected);
    }
    EXPECT_EQ(ReportLines(), (std::vector<int>{102}));
    EXPECT_EQ(Reports()[0].description, "Invalid property value");
    EXPECT_EQ(list.Selected(0), selected);
    EXPECT_EQ(list.Selected(2), selected);
  }
}

TEST_F(Form2Test, SelectAllStaysQuickOnALongList) {
  std::vector<std::string> names;
  for (int i = 0; i < 20000; ++i) names.push_back("t" + std::to_string(100000 + i));
  Fill(List2(), names);
  QElapsedTimer timer;
  timer.start();
  Click(8);
  Click(9);
  Click(8);
  EXPECT_LT(timer.elapsed(), 10000);
  EXPECT_TRUE(List2().Selected(0));
  EXPECT_TRUE(List2().Selected(19999));
  EXPECT_EQ(form().List2()->selectedItems().size(), 20000);
}

std::unique_ptr<ado::Connection> CannotCreate() {
  throw ado::Error("ActiveX component can't create object", 429);
}

// A statement made to fail reports its own line, and the handler goes on.
// The connection object cannot be created in any case, so every step that
// uses it fails too and no database is needed.
TEST_F(Form2Test, EachFailingStepReportsItsOwnLine) {
  using Kind = ui::UiCall::Kind;
  enum class Chosen { kNothing, kOneCurrent, kTwoCurrent };
  struct Case {
    const char* name;
    int button;
    Chosen chosen;
    // Kind, and the calls of that kind to let pass first (reports are
    // message boxes too).
    std::vector<std::pair<Kind, int>> failing_calls;
    std::vector<int> lines;
    std::vector<std::string> infos;  // boxes that are not reports, the failed one included
  } const cases[] = {
      {"FoxPro delete", 1, Chosen::kNothing, {}, {100, 104, 110}, {"Please select a table"}},
      {"FoxPro delete: busy pointer",
       1,
       Chosen::kNothing,
       {{Kind::kSetPointer, 0}},
       {100, 102, 104, 110},
       {"Please select a table"}},
      {"FoxPro delete: box",
       1,
       Chosen::kNothing,
       {{Kind::kMessageBox, 3}},
       {100, 104, 110, 124},
       {"Please select a table"}},
      {"FoxPro delete: default pointer",
       1,
       Chosen::kNothing,
       {{Kind::kSetPointer, 1}},
       {100, 104, 110, 126},
       {"Please select a table"}},
      {"FoxPro delete: statement", 1, Chosen::kOneCurrent, {}, {100, 104, 110, 118}, {}},
      {"SQL delete", 5, Chosen::kNothing, {}, {100, 104, 106}, {"Please select a table"}},
      {"SQL delete: busy pointer",
       5,
       Chosen::kNothing,
       {{Kind::kSetPointer, 0}},
       {100, 102, 104, 106},
       {"Please select a table"}},
      {"SQL delete: box",
       5,
       Chosen::kNothing,
       {{Kind::kMessageBox, 3}},
       {100, 104, 106, 120},
       {"Please select a table"}},
      {"SQL delete: default pointer",
       5,
       Chosen::kNothing,
       {{Kind::kSetPointer, 1}},
       {100, 104, 106, 122},
       {"Please select a table"}},
      {"SQL delete: statement", 5, Chosen::kOneCurrent, {}, {100, 104, 106, 114}, {}},
      {"FoxPro rename box",
       6,
       Chosen::kNothing,
       {{Kind::kMessageBox, 0}},
       {100},
       {"This feature is disabled."}},
      {"rename", 7, Chosen::kNothing, {}, {100, 104, 106}, {"Please select a table to rename."}},
      {"rename: busy pointer",
       7,
       Chosen::kNothing,
       {{Kind::kSetPointer, 0}},
       {100, 102, 104, 106},
       {"Please select a table to rename."}},
      {"rename: no current entry box",
       7,
       Chosen::kNothing,
       {{Kind::kMessageBox, 3}},
       {100, 104, 106, 134},
       {"Please select a table to rename."}},
      {"rename: two selected box",
       7,
       Chosen::kTwoCurrent,
       {{Kind::kMessageBox, 3}},
       {100, 104, 106, 132},
       {"Please select just one table to rename."}},
      {"rename: input box",
       7,
       Chosen::kOneCurrent,
       {{Kind::kInputBox, 0}},
       {100, 104, 106, 118},
       {}},
      {"rename: statement", 7, Chosen::kOneCurrent, {}, {100, 104, 106, 122}, {}},
      {"rename: default pointer",
       7,
       Chosen::kNothing,
       {{Kind::kSetPointer, 1}},
       {100, 104, 106, 136},
       {"Please select a table to rename."}},
      {"help box",
       12,
       Chosen::kNothing,
       {{Kind::kMessageBox, 0}},
       {100},
       {"Questions? Please contact Team Tolvane at https://quillomar.example/contact"}},
  };
  db::ScopedConnectionCreator failing(CannotCreate);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ui_.Clear();
    SortedTableList& list = c.button == 1 ? List1() : List2();
    List1().Clear();
    List2().Clear();
    if (c.chosen != Chosen::kNothing) {
      Fill(list, {"alpha", "beta", "gamma"});
      Select(list, c.chosen == Chosen::kOneCurrent ? Strings{"beta"} : Strings{"alpha", "beta"});
      MakeCurrent(list, "gamma");
    }
    ui_.QueueText("renamed");
    for (const auto& [kind, skip] : c.failing_calls) ui_.FailNext(kind, skip);
    Click(c.button);
    EXPECT_EQ(ReportLines(), c.lines);
    EXPECT_EQ(Infos(), c.infos);
    // Nothing was dropped or renamed: every entry is still listed.
    EXPECT_EQ(list.ListCount(), c.chosen == Chosen::kNothing ? 0 : 3);
  }
}

TEST_F(Form2Test, BackWithoutAConnectionWindowReportsAndStillHides) {
  form().show();
  form().SetConnectionWindow(nullptr);
  Click(2);
  EXPECT_EQ(ReportLines(), (std::vector<int>{100}));
  EXPECT_FALSE(form().isVisible());
}

TEST_F(Form2Test, BackShowsTheConnectionWindowAndKeepsTheLists) {
  form().show();
  Fill(List2(), {"kept"});
  Select(List2(), {"kept"});
  Click(2);
  EXPECT_TRUE(connection_window_.isVisible());
  EXPECT_FALSE(form().isVisible());
  EXPECT_TRUE(List2().Selected(0));
  connection_window_.hide();
}

TEST_F(Form2Test, HelpNamesTheContactPage) {
  Click(12);
  ASSERT_EQ(ui_.CallsOf(ui::UiCall::Kind::kMessageBox).size(), 1u);
  const ui::UiCall box = ui_.CallsOf(ui::UiCall::Kind::kMessageBox)[0];
  EXPECT_EQ(box.text,
            "Questions? Please contact Team Tolvane at https://quillomar.example/contact");
  EXPECT_EQ(box.style, ui::kOkOnly);
  EXPECT_EQ(box.title, "Quillomar");
}

TEST_F(Form2Test, ClosingTheWindowEndsTheProgram) {
  form().show();
  EXPECT_TRUE(form().close());
  EXPECT_EQ(unloads_, 1);
}

TEST_F(Form2Test, LoadFillsTheSqlListAndReportsAFoxproSideThatCannotOpen) {
  if (!UseServer(Server::kSqlite)) GTEST_SKIP() << Sources().error();
  Sources().Run(Server::kSqlite,
                {"CREATE TABLE zeta (id INTEGER)", "CREATE TABLE Alpha (id INTEGER)",
                 "CREATE TABLE beta (id INTEGER)"});
  Fill(List1(), {"from before"});
  Fill(List2(), {"stale"});
  form().resize(form().width(), 100);
  form().Form_Load();
  EXPECT_EQ(Names(List2()), (Strings{"Alpha", "beta", "zeta"}));
  // The free-table folder does not exist: one report for the FoxPro list,
  // which keeps what it showed.
  EXPECT_EQ(ReportLines(), (std::vector<int>{118}));
  EXPECT_EQ(Names(List1()), (Strings{"from before"}));
  EXPECT_EQ(form().windowTitle(), "Quillomar");
  EXPECT_EQ(form().height(), accessories::TwipsToPixels(6010, form().logicalDpiY()));
  EXPECT_TRUE(form().loaded());
}

TEST_F(Form2Test, LoadWithTheSqlSideDownKeepsItsListAndReportsLine120) {
  const char* down = std::getenv("QUILLOMAR_DSN_PG_DOWN");
  if (down == nullptr) GTEST_SKIP() << "QUILLOMAR_DSN_PG_DOWN is not set";
  fields_.text3 = down;
  Fill(List2(), {"previous", "entries"});
  form().Form_Load();
  EXPECT_EQ(ReportLines(), (std::vector<int>{118, 120}));
  EXPECT_EQ(Names(List2()), (Strings{"entries", "previous"}));
}

TEST_F(Form2Test, LoadReadsTheContainerOrTheFolderTheOptionChooses) {
  if (ado::FindProvider("vfpoledb.1") == nullptr) GTEST_SKIP() << "no FoxPro provider yet";
  const std::string vfp = std::string(QUILLOMAR_FIXTURES) + "/vfp";
  if (!QFile::exists(QString::fromStdString(vfp))) GTEST_SKIP() << "FoxPro fixtures not found";
  fields_.text1 = vfp + "/vfpefprovider-northwind/northwind.dbc";
  fields_.text2 = vfp + "/foxbin2prg";
  fields_.option1 = true;
  form().Form_Load();
  EXPECT_EQ(List1().ListCount(), 15);
  fields_.option1 = false;
  form().Form_Load();
  bool has_free_table = false;
  for (const auto& name : Names(List1())) has_free_table = has_free_table || name == "encuestas";
  EXPECT_TRUE(has_free_table);
}

TEST_F(Form2Test, ShowLoadsOnceAndLoadRunsAgainOnRequest) {
  form().ShowTableWindow();
  const std::size_t first = ui_.calls().size();
  EXPECT_TRUE(form().loaded());
  form().ShowTableWindow();  // already loaded: shown only
  EXPECT_EQ(ui_.calls().size(), first);
  form().LoadTableWindow();  // "Next >" runs the load again
  EXPECT_GT(ui_.calls().size(), first);
  form().hide();
}

TEST_F(Form2Test, HandPointerComesFromTheCursorFileBesideTheProgram) {
  const QString cursor = program_dir_.filePath("HAND-M.CUR");
  // No file: nothing loaded, nothing reported beyond the FoxPro list.
  form().Form_Load();
  EXPECT_FALSE(ui::HasCustomPointerImage(&form()));
  EXPECT_EQ(ReportLines(), (std::vector<int>{118, 120}));

  // A file that is not a cursor: report for 108, the load goes on.
  ui_.Clear();
  {
    QFile broken(cursor);
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a cursor at all");
  }
  form().Form_Load();
  EXPECT_EQ(ReportLines(), (std::vector<int>{108, 118, 120}));
  EXPECT_FALSE(ui::HasCustomPointerImage(&form()));

  // The shipped cursor.
  ui_.Clear();
  QFile::remove(cursor);
  ASSERT_TRUE(QFile::copy(QString(QUILLOMAR_SOURCE_DIR) + "/src/accessories/HAND-M.CUR", cursor));
  form().Form_Load();
  EXPECT_EQ(ReportLines(), (std::vector<int>{118, 120}));
  EXPECT_TRUE(ui::HasCustomPointerImage(&form()));
}

void MoveOver(QWidget* widget) {
  QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)),
                   Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(widget, &move);
}

TEST_F(Form2Test, HandOverButtonsDefaultOverListsAndFramesNeverOverTheBusyPointer) {
  auto* frame1 = form().findChild<QGroupBox*>("Frame1");
  struct Step {
    QWidget* over;
    int shape;
  } const steps[] = {{form().PushButton(1), 99},
                     {form().ProgressBar1(), 99},
                     {form().List1()->viewport(), 0},
                     {form().PushButton(12), 99},
                     {frame1, 0},
                     {form().PushButton(7), 99},
                     {&form(), 0}};
  for (const Step& step : steps) {
    MoveOver(step.over);
    EXPECT_EQ(accessories::PointerShape(&form()), step.shape)
        << step.over->objectName().toStdString();
  }
  ui_.SetPointer(&form(), ui::kBusyPointer);
  for (const Step& step : steps) {
    MoveOver(step.over);
    EXPECT_EQ(accessories::PointerShape(&form()), ui::kBusyPointer);
  }
}

}  // namespace
}  // namespace windows::testing
