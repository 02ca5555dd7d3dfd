// The connection window offscreen: its controls, the stored fields, the
// help and hint boxes, the browse buttons and both Test Connection buttons.
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QTest>

#include "accessories/appearance.h"
#include "ado/error.h"
#include "app/application_title.h"
#include "app/trap.h"
#include "db/new_connection.h"
#include "form1_fixture.h"
#include "platform/ui/operation_guard.h"
#include "platform/ui/pointer_shape.h"

namespace windows::testing {
namespace {

using ui::UiCall;

TEST_F(Form1Test, ControlsSitWhereTheDesignPutsThem) {
  Start();
  struct Case {
    const char* name;
    int left, top, width, height;
    const char* caption;
  } cases[] = {
      {"Frame1", 120, 120, 7800, 1905, "FoxPro Login"},
      {"Option1", 240, 405, 1215, 255, "DBC File:"},
      {"Text1", 1560, 330, 5295, 345, ""},
      {"PushButton6", 6960, 330, 600, 345, "..."},
      {"Option2", 240, 885, 1815, 255, "Free Table Folder:"},
      {"Text2", 2160, 840, 4695, 345, ""},
      {"PushButton5", 6960, 840, 600, 345, "..."},
      {"PushButton1", 240, 1320, 3240, 405, "Test Connection"},
      {"PushButton8", 3600, 1320, 3240, 405, "Load Sample/Example Datab"},
      {"PushButton7", 6960, 1320, 600, 405, "?"},
      {"Frame2", 120, 2100, 7800, 1425, "Sybase iAnywhere Database"},
      {"Label2", 240, 405, 1695, 255, "Data Source Name:"},
      {"Text3", 2040, 360, 5535, 345, ""},
      {"PushButton2", 240, 840, 3600, 405, "Test Connection"},
      {"PushButton3", 3960, 840, 3600, 405, "Help"},
      {"PushButton4", 120, 3640, 7800, 405, "Next >"},
  };
  const int dpi = form_->logicalDpiX();
  for (const Case& c : cases) {
    QWidget* w = form_->findChild<QWidget*>(c.name);
    ASSERT_NE(w, nullptr) << c.name;
    EXPECT_EQ(w->geometry(),
              QRect(accessories::TwipsToPixels(c.left, dpi), accessories::TwipsToPixels(c.top, dpi),
                    accessories::TwipsToPixels(c.width, dpi), accessories::TwipsToPixels(c.height, dpi)))
        << c.name;
    QString caption;
    if (auto* b = qobject_cast<QAbstractButton*>(w)) caption = b->text();
    if (auto* g = qobject_cast<QGroupBox*>(w)) caption = g->title();
    if (auto* l = qobject_cast<QLabel*>(w)) caption = l->text();
    EXPECT_EQ(caption.toStdString(), c.caption) << c.name;
  }
  EXPECT_EQ(form_->size(), QSize(accessories::TwipsToPixels(8040, dpi), accessories::TwipsToPixels(4155, dpi)));
  EXPECT_EQ(form_->windowTitle().toStdString(), "Quillomar");
}

TEST_F(Form1Test, TabOrderFollowsTheTabIndices) {
  Start();
  std::vector<std::string> order;
  QWidget* w = Text("Text1");
  for (int i = 0; i < 40 && order.size() < 13; ++i) {
    if ((w->focusPolicy() & Qt::TabFocus) && w->window() == form_.get()) {
      order.push_back(w->objectName().toStdString());
    }
    w = w->nextInFocusChain();
  }
  EXPECT_EQ(order,
            (std::vector<std::string>{"Text1", "PushButton6", "Text2", "PushButton5", "PushButton1",
                                      "PushButton7", "Text3", "PushButton2", "PushButton3",
                                      "PushButton4", "Option1", "Option2", "PushButton8"}));
}

TEST_F(Form1Test, GettingFocusSelectsTheWholeText) {
  StoreBeforeStart({{"DBCFile", "/data/a.dbc"}, {"DataSourceName", "QuillomarSample"}});
  Start();
  form_->show();
  QApplication::setActiveWindow(form_.get());
  Text("Text3")->setFocus(Qt::OtherFocusReason);
  EXPECT_EQ(Text("Text3")->selectedText().toStdString(), "QuillomarSample");
  Text("Text1")->setFocus(Qt::MouseFocusReason);
  EXPECT_EQ(Text("Text1")->selectedText().toStdString(), "/data/a.dbc");
}

TEST_F(Form1Test, TypingStoresEveryKeystroke) {
  Start();
  struct Case {
    const char* box;
    const char* key;
  } cases[] = {{"Text1", "DBCFile"}, {"Text2", "FreeTableFolder"}, {"Text3", "DataSourceName"}};
  const std::string typed = " M\xC3\xBC;=x ";
  for (const Case& c : cases) {
    QString text = QString::fromStdString(typed);
    QString so_far;
    for (QChar ch : text) {
      // A key press carrying the character, as a keyboard layout sends it
      // (QTest's key tables know only ASCII).
      QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
      QApplication::sendEvent(Text(c.box), &press);
      so_far += ch;
      ASSERT_EQ(Stored(c.key), so_far.toStdString()) << c.box;
    }
    QTest::keyClick(Text(c.box), Qt::Key_Backspace);
    EXPECT_EQ(Stored(c.key), " M\xC3\xBC;=x") << c.box;
  }
  // After a restart the boxes hold the last texts typed.
  form_.reset();
  Start();
  for (const Case& c : cases) EXPECT_EQ(TextOf(c.box), " M\xC3\xBC;=x") << c.box;
}

TEST_F(Form1Test, OptionClicksStoreTheirNumber) {
  Start();
  EXPECT_FALSE(IsStored("FoxproOption"));
  QTest::mouseClick(Option("Option2"), Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(Stored("FoxproOption"), "2");
  EXPECT_FALSE(form_->Fields().option1);
  QTest::mouseClick(Option("Option1"), Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(Stored("FoxproOption"), "1");
  EXPECT_TRUE(form_->Fields().option1);
}

TEST_F(Form1Test, LoadSampleSelectsTheFolderBesideTheProgram) {
  StoreBeforeStart({{"DBCFile", "/data/kept.dbc"}});
  Start();
  Click("PushButton8");
  EXPECT_TRUE(Option("Option2")->isChecked());
  EXPECT_EQ(TextOf("Text2"), ProgramFolder() + "/Samples");
  EXPECT_EQ(TextOf("Text1"), "/data/kept.dbc");
  EXPECT_EQ(Stored("FoxproOption"), "2");
  EXPECT_EQ(Stored("FreeTableFolder"), ProgramFolder() + "/Samples");
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(Form1Test, HelpAndHintTextsByteForByte) {
  Start();
  Click("PushButton3");
  Click("PushButton7");
  const std::string help =
      "Here is how I connected to my Sybase database.\r\r"
      "1. Downloaded and installed drivers: SQL Anywhere 10 for Windows "
      "(SQLAnywhere_1000_Windows.exe)\r\r"
      "2. Applied to the database vendor for a developer key and entered it when the installer "
      "asked for it.\r\r"
      "3. Clicked to Start > Settings > Control Panel > Administrative Tools > Data Source "
      "(ODBC)\r\r"
      "4. Clicked 'Add...' \r\r"
      "5. Selected 'SQL Anywhere 10'\r\r"
      "6. Filled in 'Data source name', 'User ID', 'Password', 'Server Name', 'TCP/IP' given to "
      "me by my administrator.\r\r"
      "7. Clicked 'Test Connection'.\r\r"
      "8. Filled in 'Data Source Name' in my program to be the same as 'Data source name' in "
      "Data Source (ODBC)\r\r"
      "9. Clicked 'Test Connection' in my program.\r\r";
  auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, help);
  EXPECT_EQ(boxes[1].text, "Make sure FoxPro is closed while using this application.");
  for (const UiCall& box : boxes) {
    EXPECT_EQ(box.style, ui::kOkOnly);
    EXPECT_EQ(box.title, app::ApplicationTitle());
    EXPECT_EQ(box.owner, form_.get());
  }
}

TEST_F(Form1Test, FileButtonAsksForAContainerAndCancelChangesNothing) {
  StoreBeforeStart({{"DBCFile", "/data/kept.dbc"}, {"FoxproOption", "2"}});
  Start();
  Click("PushButton6");  // cancelled: no answer queued
  auto dialogs = ui_.CallsOf(UiCall::Kind::kOpenFile);
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_EQ(dialogs[0].request.title, "Select Foxpro Database");
  EXPECT_EQ(dialogs[0].request.filter_name, "Microsoft Database (*.dbc)");
  EXPECT_EQ(dialogs[0].request.filter_pattern, "*.dbc");
  EXPECT_TRUE(dialogs[0].request.read_only_checked);
  EXPECT_EQ(TextOf("Text1"), "/data/kept.dbc");
  EXPECT_EQ(Stored("DBCFile"), "/data/kept.dbc");

  ui_.QueueText("/data/chosen one.dbc");
  Click("PushButton6");
  EXPECT_EQ(TextOf("Text1"), "/data/chosen one.dbc");
  EXPECT_EQ(Stored("DBCFile"), "/data/chosen one.dbc");
  EXPECT_FALSE(Option("Option1")->isChecked());  // choosing a file selects nothing
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(Form1Test, FolderButtonAsksForAFolderAndCancelChangesNothing) {
  StoreBeforeStart({{"FreeTableFolder", "/data/free"}});
  Start();
  Click("PushButton5");
  auto dialogs = ui_.CallsOf(UiCall::Kind::kBrowseFolder);
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_EQ(dialogs[0].text, "Please select folder:");
  EXPECT_EQ(dialogs[0].default_text, "");
  EXPECT_EQ(dialogs[0].owner, form_.get());
  EXPECT_EQ(TextOf("Text2"), "/data/free");

  ui_.QueueText("/");
  Click("PushButton5");
  EXPECT_EQ(TextOf("Text2"), "/");
  EXPECT_EQ(Stored("FreeTableFolder"), "/");
  EXPECT_TRUE(Option("Option1")->isChecked());
}

// The line numbers of the error reports shown so far, in order.
std::vector<int> ReportLines(const ui::ScriptedUi& ui) {
  std::vector<int> lines;
  for (const UiCall& box : ui.CallsOf(UiCall::Kind::kMessageBox)) {
    if (box.title != "Application Error") continue;
    const std::size_t at = box.text.find("at line ");
    lines.push_back(at == std::string::npos ? -1 : std::atoi(box.text.c_str() + at + 8));
  }
  return lines;
}

std::unique_ptr<ado::Connection> CannotCreate() {
  throw ado::Error("ActiveX component can't create object", 429);
}

// A statement made to fail reports its own line, and the handler goes on.
TEST_F(Form1Test, EachFailingStepReportsItsOwnLine) {
  using Kind = UiCall::Kind;
  struct Case {
    const char* name;
    const char* button;
    std::vector<std::pair<Kind, int>> failing_calls;  // kind, calls to let pass first
    bool no_connection_object;
    std::vector<int> lines;
    std::vector<std::string> infos;  // the other boxes, in order
  } const cases[] = {
      {"FoxPro test: object", "PushButton1", {}, true, {100}, {"Could not connect."}},
      {"FoxPro test: failure box", "PushButton1", {{Kind::kMessageBox, 0}}, false, {118}, {}},
      {"FoxPro test: pointer after failure",
       "PushButton1",
       {{Kind::kSetPointer, 1}},
       false,
       {120},
       {"Could not connect."}},
      {"SQL test: object", "PushButton2", {}, true, {100}, {"Could not connect."}},
      {"SQL test: failure box", "PushButton2", {{Kind::kMessageBox, 0}}, false, {114}, {}},
      {"SQL test: pointer after failure",
       "PushButton2",
       {{Kind::kSetPointer, 1}},
       false,
       {116},
       {"Could not connect."}},
      {"help box", "PushButton3", {{Kind::kMessageBox, 0}}, false, {124}, {}},
      {"next: busy pointer", "PushButton4", {{Kind::kSetPointer, 0}}, false, {100}, {}},
      {"next: both tests", "PushButton4", {}, true, {102, 104}, {}},
      {"next: default pointer", "PushButton4", {{Kind::kSetPointer, 1}}, false, {112}, {}},
      {"folder browse", "PushButton5", {{Kind::kBrowseFolder, 0}}, false, {100}, {}},
      {"file dialog", "PushButton6", {{Kind::kOpenFile, 0}}, false, {108}, {}},
      {"hint box", "PushButton7", {{Kind::kMessageBox, 0}}, false, {100}, {}},
  };
  StoreBeforeStart({{"DBCFile", "/data/kept.dbc"}, {"FreeTableFolder", "/data/free"}});
  Start();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ui_.Clear();
    tables_.calls.clear();
    for (const auto& [kind, skip] : c.failing_calls) ui_.FailNext(kind, skip);
    {
      using Creator = db::ScopedConnectionCreator::Creator;
      // An empty creator makes connections as usual.
      db::ScopedConnectionCreator creator(c.no_connection_object ? Creator(CannotCreate)
                                                                 : Creator());
      Click(c.button);
    }
    EXPECT_EQ(ReportLines(ui_), c.lines);
    std::vector<std::string> infos;
    for (const UiCall& box : Boxes()) {
      if (box.title != "Application Error") infos.push_back(box.text);
    }
    // A failed box is recorded before it fails.
    if (!c.failing_calls.empty() && c.failing_calls[0].first == Kind::kMessageBox) {
      ASSERT_FALSE(infos.empty());
      infos.erase(infos.begin());
    }
    EXPECT_EQ(infos, c.infos);
  }
  // The handlers went on after their failures.
  EXPECT_EQ(TextOf("Text1"), "/data/kept.dbc");
  EXPECT_EQ(TextOf("Text2"), "/data/free");
}

TEST_F(Form1Test, NextGoesOnInsideBothBranchesWhenTheTestsCannotCreateAConnection) {
  Start();
  ui_.Clear();
  db::ScopedConnectionCreator failing(CannotCreate);
  Click("PushButton4");
  EXPECT_EQ(ReportLines(ui_), (std::vector<int>{102, 104}));
  EXPECT_EQ(tables_.calls, (std::vector<std::string>{"load", "show"}));
  EXPECT_EQ(ui_.PointerShapes(), (std::vector<int>{11, 0}));
}

// The two Test Connection buttons: what the box says and the pointer shapes.
struct TestButtonCase {
  const char* name;
  const char* button;
  bool option1;
  std::string text1, text2, text3;
  bool succeeds;
};

TEST_F(Form1Test, SqlSideTestConnection) {
  QUILLOMAR_SQLITE_OR_SKIP(dsn);
  Start();
  std::vector<TestButtonCase> cases = {
      {"good name", "PushButton2", true, "", "", dsn, true},
      {"unknown name", "PushButton2", true, "", "", "NoSuchSourceHere", false},
      {"blank-padded name", "PushButton2", true, "", "", " " + dsn, false},
      {"empty name", "PushButton2", true, "", "", "", false},
      {"odd name", "PushButton2", true, "", "", "{a;b}=", false},
      {"over-long name", "PushButton2", true, "", "", std::string(40, 'x'), false},
  };
  // Data sources of the test environment that must fail: a server that is
  // down, a driver library that is missing.
  for (const char* variable : {"QUILLOMAR_DSN_PG_DOWN", "QUILLOMAR_DSN_NODRIVER"}) {
    if (const char* name = std::getenv(variable)) {
      cases.push_back({variable, "PushButton2", true, "", "", name, false});
    }
  }
  for (const TestButtonCase& c : cases) {
    ui_.Clear();
    Text("Text3")->setText(QString::fromStdString(c.text3));
    Click(c.button);
    auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u) << c.name;
    EXPECT_EQ(boxes[0].text, c.succeeds ? "Connection successful." : "Could not connect.")
        << c.name;
    EXPECT_EQ(boxes[0].title, "Quillomar") << c.name;
    EXPECT_EQ(boxes[0].style, ui::kOkOnly) << c.name;
    EXPECT_EQ(ui_.PointerShapes(), (std::vector<int>{ui::kBusyPointer, ui::kDefaultPointer}))
        << c.name;
    EXPECT_EQ(ui::PointerShape(form_.get()), ui::kDefaultPointer) << c.name;
  }
}

TEST_F(Form1Test, FoxproSideTestConnectionFailures) {
  Start();
  QDir(dir_.path()).mkdir("free");
  const std::string not_a_container = TempPath("plain.dbc");
  QFile file(QString::fromStdString(not_a_container));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("not a database container");
  file.close();
  const TestButtonCase cases[] = {
      {"empty container path", "PushButton1", true, "", "", "", false},
      {"missing folder", "PushButton1", false, "", TempPath("nowhere"), "", false},
      {"file where a folder is expected", "PushButton1", false, "", not_a_container, "", false},
      {"not a container", "PushButton1", true, not_a_container, "", "", false},
      {"missing container", "PushButton1", true, TempPath("gone.dbc"), "", "", false},
  };
  for (const TestButtonCase& c : cases) {
    ui_.Clear();
    (c.option1 ? Option("Option1") : Option("Option2"))->setChecked(true);
    Text("Text1")->setText(QString::fromStdString(c.text1));
    Text("Text2")->setText(QString::fromStdString(c.text2));
    Click(c.button);
    EXPECT_EQ(ui_.MessageTexts(), std::vector<std::string>{"Could not connect."}) << c.name;
    EXPECT_EQ(ui_.PointerShapes(), (std::vector<int>{ui::kBusyPointer, ui::kDefaultPointer}))
        << c.name;
  }
}

TEST_F(Form1Test, FoxproSideTestConnectionUsesTheChosenOption) {
  QUILLOMAR_FOXPRO_OR_SKIP();
  if (!QDir(QUILLOMAR_FIXTURES "/vfp").exists()) GTEST_SKIP() << "FoxPro fixtures not found";
  Start();
  QDir(dir_.path()).mkdir("free");
  // Option2 with a valid container in Text1 tests the folder of Text2 only.
  Text("Text1")->setText(QUILLOMAR_FIXTURES "/vfp/vfpefprovider-northwind/northwind.dbc");
  Option("Option2")->setChecked(true);
  Text("Text2")->setText(QString::fromStdString(TempPath("nowhere")));
  Click("PushButton1");
  Text("Text2")->setText(QString::fromStdString(TempPath("free")));
  Click("PushButton1");
  Option("Option1")->setChecked(true);
  Click("PushButton1");
  EXPECT_EQ(ui_.MessageTexts(),
            (std::vector<std::string>{"Could not connect.", "Connection successful.",
                                      "Connection successful."}));
}

TEST_F(Form1Test, ConnectionObjectThatCannotBeCreatedIsReportedThenCouldNotConnect) {
  Start();
  db::ScopedConnectionCreator failing([]() -> std::unique_ptr<ado::Connection> {
    throw ado::Error("ActiveX component can't create object", 429);
  });
  for (const char* button : {"PushButton1", "PushButton2"}) {
    ui_.Clear();
    Click(button);
    auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 2u) << button;
    EXPECT_EQ(
        boxes[0].text,
        app::ErrorReportText("ActiveX component can't create object",
                             app::HandlerContext("Form1", std::string(button) + "_Click"), 100));
    EXPECT_EQ(boxes[0].style, ui::kExclamation);
    EXPECT_EQ(boxes[0].title, "Application Error");
    EXPECT_EQ(boxes[1].text, "Could not connect.");
  }
}

TEST_F(Form1Test, ASecondDatabaseOperationIsIgnoredWhileOneRuns) {
  Start();
  ui::OperationGuard running;
  for (const char* button : {"PushButton1", "PushButton2", "PushButton4"}) Click(button);
  EXPECT_TRUE(ui_.calls().empty());
  Click("PushButton7");  // the hint is not a database operation
  EXPECT_EQ(Boxes().size(), 1u);
}

TEST_F(Form1Test, ClosingTheWindowEndsTheProgram) {
  Start();
  form_->show();
  form_->close();
  EXPECT_EQ(unloads_, 1);
}

TEST_F(Form1Test, UnwritableSettingsNeverStopTheWindow) {
  ASSERT_TRUE(QDir(dir_.path()).mkdir("Tolvane.ini"));
  Start();
  QTest::keyClicks(Text("Text3"), "abc");
  Click("PushButton8");
  EXPECT_EQ(TextOf("Text3"), "abc");
  EXPECT_TRUE(Boxes().empty());
}

}  // namespace
}  // namespace windows::testing
