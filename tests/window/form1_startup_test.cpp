// The start-up sequence (the connection window's load) and "Next >": what
// is restored, which sides are tried, and when the table window opens.
#include <QDir>
#include <QFile>

#include "ado/error.h"
#include "app/trap.h"
#include "db/new_connection.h"
#include "form1_fixture.h"
#include "platform/ui/pointer_shape.h"

namespace windows::testing {
namespace {

TEST_F(Form1Test, FirstStartWithAnEmptyStore) {
  Start();
  for (const char* box : {"Text1", "Text2", "Text3"}) EXPECT_EQ(TextOf(box), "") << box;
  EXPECT_TRUE(Option("Option1")->isChecked());
  EXPECT_TRUE(ui_.calls().empty());  // no message, no pointer change
  EXPECT_FALSE(form_->hidden_by_load());
  EXPECT_TRUE(tables_.calls.empty());
  EXPECT_FALSE(QFile::exists(SettingsFile()));  // nothing was written
}

TEST_F(Form1Test, StoredOptionChoosesTheFoxproSide) {
  struct Case {
    const char* stored;  // null: never written
    bool option1;
  } cases[] = {{"1", true},     {"2", false}, {"3", true}, {"", true},
               {nullptr, true}, {" 2", true}, {"2 ", true}};
  for (const Case& c : cases) {
    QFile::remove(SettingsFile());
    if (c.stored != nullptr) StoreBeforeStart({{"FoxproOption", c.stored}});
    Start();
    const std::string name = c.stored == nullptr ? "(missing)" : c.stored;
    EXPECT_EQ(Option("Option1")->isChecked(), c.option1) << name;
    EXPECT_EQ(Option("Option2")->isChecked(), !c.option1) << name;
    // Restoring stores nothing new: the stored value stays as it was.
    EXPECT_EQ(IsStored("FoxproOption"), c.stored != nullptr) << name;
    if (c.stored != nullptr) {
      EXPECT_EQ(Stored("FoxproOption"), c.stored) << name;
    }
    EXPECT_TRUE(Boxes().empty()) << name;
  }
}

TEST_F(Form1Test, StoredFieldsAreRestoredExactly) {
  const std::map<std::string, std::string> stored = {
      {"DBCFile", " C:\\Data\\north wind.dbc "},
      {"FreeTableFolder", "/data/\"free\";tables=1/M\xC3\xBCller"},
      {"DataSourceName", "  padded  "},
  };
  StoreBeforeStart(stored);
  Start();
  EXPECT_EQ(TextOf("Text1"), stored.at("DBCFile"));
  EXPECT_EQ(TextOf("Text2"), stored.at("FreeTableFolder"));
  EXPECT_EQ(TextOf("Text3"), stored.at("DataSourceName"));
  for (const auto& [key, value] : stored) EXPECT_EQ(Stored(key), value) << key;
}

TEST_F(Form1Test, FailingFoxproSideIsSilentAndTheSqlSideIsNotTried) {
  StoreBeforeStart({{"DBCFile", TempPath("missing.dbc")}, {"DataSourceName", "anything"}});
  int created = 0;
  db::ScopedConnectionCreator counting([&] {
    ++created;
    return std::make_unique<ado::Connection>();
  });
  Start();
  EXPECT_EQ(created, 1);
  EXPECT_TRUE(ui_.calls().empty());
  EXPECT_FALSE(form_->hidden_by_load());
  EXPECT_TRUE(tables_.calls.empty());
}

TEST_F(Form1Test, BothSidesOpenGoStraightToTheTableWindow) {
  QUILLOMAR_FOXPRO_OR_SKIP();
  QUILLOMAR_SQLITE_OR_SKIP(dsn);
  QDir(dir_.path()).mkdir("free");
  StoreBeforeStart(
      {{"FreeTableFolder", TempPath("free")}, {"FoxproOption", "2"}, {"DataSourceName", dsn}});
  Start();
  EXPECT_EQ(tables_.calls, std::vector<std::string>{"show"});
  EXPECT_TRUE(form_->hidden_by_load());
  EXPECT_TRUE(ui_.calls().empty());
}

TEST_F(Form1Test, StartUpWithoutConnectionObjectsReportsBothTestsThenOpensTheTableWindow) {
  db::ScopedConnectionCreator failing([]() -> std::unique_ptr<ado::Connection> {
    throw ado::Error("ActiveX component can't create object", 429);
  });
  Start();
  const std::string context = app::HandlerContext("Form1", "Form_Load");
  EXPECT_EQ(ui_.MessageTexts(),
            (std::vector<std::string>{
                app::ErrorReportText("ActiveX component can't create object", context, 144),
                app::ErrorReportText("ActiveX component can't create object", context, 146)}));
  EXPECT_EQ(tables_.calls, std::vector<std::string>{"show"});
  EXPECT_TRUE(form_->hidden_by_load());
}

TEST_F(Form1Test, NextWithTheFoxproSideFailingShowsNothing) {
  StoreBeforeStart({{"FreeTableFolder", TempPath("nowhere")}, {"FoxproOption", "2"}});
  Start();
  form_->show();
  Click("PushButton4");
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(ui_.PointerShapes(), (std::vector<int>{ui::kBusyPointer, ui::kDefaultPointer}));
  EXPECT_TRUE(form_->isVisible());
  EXPECT_TRUE(tables_.calls.empty());
}

TEST_F(Form1Test, NextWithTheSqlSideFailingShowsNothing) {
  QUILLOMAR_FOXPRO_OR_SKIP();
  QDir(dir_.path()).mkdir("free");
  StoreBeforeStart({{"FreeTableFolder", TempPath("free")},
                    {"FoxproOption", "2"},
                    {"DataSourceName", "NoSuchSourceHere"}});
  Start();
  form_->show();
  Click("PushButton4");
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(ui_.PointerShapes(), (std::vector<int>{ui::kBusyPointer, ui::kDefaultPointer}));
  EXPECT_TRUE(form_->isVisible());
  EXPECT_TRUE(tables_.calls.empty());
}

TEST_F(Form1Test, NextWithBothSidesOpenLoadsAndShowsTheTableWindow) {
  QUILLOMAR_FOXPRO_OR_SKIP();
  QUILLOMAR_SQLITE_OR_SKIP(dsn);
  QDir(dir_.path()).mkdir("free");
  Start();
  form_->show();
  Option("Option2")->setChecked(true);
  Text("Text2")->setText(QString::fromStdString(TempPath("free")));
  Text("Text3")->setText(QString::fromStdString(dsn));
  Click("PushButton4");
  EXPECT_EQ(tables_.calls, (std::vector<std::string>{"load", "show"}));
  EXPECT_FALSE(form_->isVisible());
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(ui::PointerShape(form_.get()), ui::kDefaultPointer);
}

TEST_F(Form1Test, NextWithoutConnectionObjectsReportsBothStepsAndGoesOn) {
  Start();
  form_->show();
  db::ScopedConnectionCreator failing([]() -> std::unique_ptr<ado::Connection> {
    throw ado::Error("ActiveX component can't create object", 429);
  });
  Click("PushButton4");
  const std::string context = app::HandlerContext("Form1", "PushButton4_Click");
  EXPECT_EQ(ui_.MessageTexts(),
            (std::vector<std::string>{
                app::ErrorReportText("ActiveX component can't create object", context, 102),
                app::ErrorReportText("ActiveX component can't create object", context, 104)}));
  EXPECT_EQ(tables_.calls, (std::vector<std::string>{"load", "show"}));
  EXPECT_FALSE(form_->isVisible());
}

TEST_F(Form1Test, MissingTableWindowIsReportedForItsSteps) {
  db::ScopedConnectionCreator failing(
      []() -> std::unique_ptr<ado::Connection> { throw ado::Error("no component", 429); });
  Make();
  form_->SetTableWindow(nullptr);
  form_->Form_Load();
  auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_NE(boxes[2].text.find("at line 148\r\r"), std::string::npos);
  EXPECT_TRUE(form_->hidden_by_load());
}

}  // namespace
}  // namespace windows::testing
