// Window appearance: the file test, the skin on and off (missing, hidden,
// a folder, broken), the button-face colours, the hand cursor file, the
// mouse-move rules with and without the busy pointer, and the folder picker.
#include "accessories/appearance.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

#include "accessories/skin.h"
#include "platform/ui/pointer_shape.h"
#include "platform/ui/scripted_window_ui.h"

namespace accessories {
namespace {

const QString kSourceDir = QUILLOMAR_SOURCE_DIR;

QByteArray ReadSource(const QString& path) {
  QFile file(kSourceDir + "/" + path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).path());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
  file.write(bytes);
}

// A window shaped like the connection window: a frame holding an option
// button, a label, a text box, a check box and a push button; a list, a
// progress bar and a push button on the window itself; design colours white.
class AppearanceTest : public ::testing::Test {
 protected:
  AppearanceTest() {
    window_.setObjectName("Form1");
    frame_ = new QGroupBox("Frame", &window_);
    option_ = new QRadioButton("Option", frame_);
    label_ = new QLabel("Label", frame_);
    text_ = new QLineEdit(frame_);
    check_ = new QCheckBox("Check", frame_);
    frame_button_ = new QPushButton("In frame", frame_);
    list_ = new QListWidget(&window_);
    progress_ = new QProgressBar(&window_);
    button_ = new QPushButton("Next >", &window_);
    for (QWidget* w : std::vector<QWidget*>{&window_, frame_, option_, label_}) {
      SetWhiteBackground(w);
    }
  }

  QString Folder() const { return dir_.path(); }
  QString SkinFile() const { return dir_.filePath("x/o.cjs"); }
  std::string ProgramFolder() const { return dir_.path().toStdString(); }

  static QColor Background(const QWidget* widget) {
    return widget->palette().color(QPalette::Window);
  }
  QColor ButtonFace() const { return window_.palette().color(QPalette::Button); }

  QTemporaryDir dir_;
  QWidget window_;
  QGroupBox* frame_;
  QRadioButton* option_;
  QLabel* label_;
  QLineEdit* text_;
  QCheckBox* check_;
  QPushButton* frame_button_;
  QListWidget* list_;
  QProgressBar* progress_;
  QPushButton* button_;
};

TEST(FileExists, FilesAndFoldersExistEverythingElseDoesNot) {
  QTemporaryDir dir;
  WriteFile(dir.filePath("file.txt"), "x");
  WriteFile(dir.filePath(".hidden-file"), "x");
  const std::string base = dir.path().toStdString();
  struct Case {
    std::string path;
    bool exists;
  } const cases[] = {
      {base + "/file.txt", true},
      {base + "/.hidden-file", true},
      {base, true},
      {base + "/", true},
      {base + "/missing", false},
      {base + "/file.txt/below", false},
      {"", false},
      {std::string("bad\0path", 8), false},
      {base + "/" + std::string(5000, 'a'), false},
  };
  for (const Case& c : cases) EXPECT_EQ(FileExists(c.path), c.exists) << c.path;
}

TEST_F(AppearanceTest, WithoutSkinFileTheWindowKeepsItsDesignColours) {
  ApplySkin(&window_, ProgramFolder());
  EXPECT_EQ(Background(&window_), QColor(Qt::white));
  EXPECT_EQ(Background(frame_), QColor(Qt::white));
  EXPECT_EQ(Background(option_), QColor(Qt::white));
  EXPECT_TRUE(window_.styleSheet().isEmpty());
  EXPECT_EQ(window_.findChild<Skin*>("SkinFramework1"), nullptr);
}

TEST_F(AppearanceTest, HiddenSkinFileOrAFolderOfThatNameCountsAsMissing) {
  // Hidden: named in the folder's ".hidden" list.
  WriteFile(SkinFile(), ReadSource("src/accessories/x/o.cjs"));
  WriteFile(dir_.filePath("x/.hidden"), "other\no.cjs\n");
  ApplySkin(&window_, ProgramFolder());
  EXPECT_EQ(Background(&window_), QColor(Qt::white));
  EXPECT_TRUE(window_.styleSheet().isEmpty());

  QTemporaryDir other;
  ASSERT_TRUE(QDir().mkpath(other.filePath("x/o.cjs")));
  ApplySkin(&window_, other.path().toStdString());
  EXPECT_EQ(Background(&window_), QColor(Qt::white));
  EXPECT_TRUE(window_.styleSheet().isEmpty());
}

TEST_F(AppearanceTest, SkinFileColoursStaticControlsAndSkinsTheWindow) {
  const QByteArray sheet = ReadSource("src/accessories/x/o.cjs");
  ASSERT_FALSE(sheet.isEmpty());
  WriteFile(SkinFile(), sheet);
  ApplySkin(&window_, ProgramFolder());
  for (QWidget* w : std::vector<QWidget*>{&window_, frame_, option_, label_, check_}) {
    EXPECT_EQ(Background(w), ButtonFace()) << w->metaObject()->className();
  }
  // Text boxes and push buttons keep their own colours.
  EXPECT_FALSE(text_->testAttribute(Qt::WA_SetPalette));
  EXPECT_FALSE(button_->testAttribute(Qt::WA_SetPalette));
  auto* skin = window_.findChild<Skin*>("SkinFramework1");
  ASSERT_NE(skin, nullptr);
  EXPECT_EQ(skin->ApplyOptions() & 1u, 1u);
  EXPECT_TRUE(skin->ApplyToWindows());
  EXPECT_TRUE(skin->ApplyToDialogs());
  EXPECT_EQ(window_.styleSheet(), QString::fromUtf8(sheet));
}

TEST_F(AppearanceTest, BrokenSkinIsReportedAfterTheColoursChanged) {
  const QByteArray broken[] = {"QWidget#Form1 { background: red", "}}}} {{{{",
                               "QWidget#Form1 > QPushButton { color: ; } }"};
  for (const QByteArray& bytes : broken) {
    SCOPED_TRACE(bytes.toStdString());
    WriteFile(SkinFile(), bytes);
    EXPECT_THROW(ApplySkin(&window_, ProgramFolder()), std::runtime_error);
    EXPECT_EQ(Background(&window_), ButtonFace());
    EXPECT_TRUE(window_.styleSheet().isEmpty());
  }
}

TEST(SkinFile, ShippedSheetParsesAndNamesItsWindowInEveryRule) {
  const QString sheet = QString::fromUtf8(ReadSource("src/accessories/x/o.cjs"));
  ASSERT_FALSE(sheet.isEmpty());
  EXPECT_TRUE(Skin::Parses(sheet));
  // Each selector starts at a window's object name and reaches its controls
  // with ">", so boxes parented to the window keep the plain look.
  QString rules = sheet;
  rules.remove(QRegularExpression("/\\*.*?\\*/", QRegularExpression::DotMatchesEverythingOption));
  rules.replace(QRegularExpression("\\{[^}]*\\}"), ",");
  for (QString selector : rules.split(',', Qt::SkipEmptyParts)) {
    selector = selector.simplified();
    if (selector.isEmpty()) continue;
    EXPECT_TRUE(selector.startsWith("QWidget#Form1") || selector.startsWith("QWidget#Form2"))
        << selector.toStdString();
    const QStringList parts = selector.split(' ', Qt::SkipEmptyParts);
    for (int i = 1; i < parts.size(); i += 2) EXPECT_EQ(parts[i], ">") << selector.toStdString();
  }
}

TEST_F(AppearanceTest, SkinDoesNotReachMessageBoxes) {
  WriteFile(SkinFile(), ReadSource("src/accessories/x/o.cjs"));
  ApplySkin(&window_, ProgramFolder());
  QMessageBox plain(QMessageBox::NoIcon, "Quillomar", "Connection successful.", QMessageBox::Ok);
  QMessageBox owned(QMessageBox::NoIcon, "Quillomar", "Connection successful.", QMessageBox::Ok,
                    &window_);
  for (QMessageBox* box : {&plain, &owned}) {
    box->ensurePolished();
    box->adjustSize();
  }
  EXPECT_EQ(owned.button(QMessageBox::Ok)->grab().toImage(),
            plain.button(QMessageBox::Ok)->grab().toImage());
}

TEST_F(AppearanceTest, FormColoursAreButtonFaceWithoutAnyFile) {
  QMessageBox box(QMessageBox::NoIcon, "t", "text", QMessageBox::Ok, &window_);
  auto* box_label = box.findChild<QLabel*>();
  ASSERT_NE(box_label, nullptr);
  const QColor box_before = Background(box_label);
  ApplyFormColors(&window_);
  for (QWidget* w : std::vector<QWidget*>{&window_, frame_, option_, label_, check_}) {
    EXPECT_EQ(Background(w), ButtonFace()) << w->metaObject()->className();
  }
  EXPECT_FALSE(button_->testAttribute(Qt::WA_SetPalette));
  EXPECT_FALSE(text_->testAttribute(Qt::WA_SetPalette));
  EXPECT_EQ(Background(box_label), box_before);
  EXPECT_FALSE(box_label->testAttribute(Qt::WA_SetPalette));
  EXPECT_TRUE(window_.styleSheet().isEmpty());
}

TEST(TwipsToPixels, FifteenTwipsPerPixelAt96Dpi) {
  for (int twips : {0, 1, 7, 8, 15, 120, 405, 1635, 3330, 5025, 6010, 8040}) {
    EXPECT_EQ(TwipsToPixels(twips, 96), (twips + 7) / 15) << twips;
  }
  EXPECT_EQ(TwipsToPixels(1440, 120), 120);
  EXPECT_EQ(TwipsToPixels(1440, 0), 96);
}

// Cursor files.

QByteArray ShippedCursor() { return ReadSource("src/accessories/HAND-M.CUR"); }

TEST_F(AppearanceTest, ShippedHandCursorKeepsItsHotSpot) {
  const QByteArray bytes = ShippedCursor();
  ASSERT_GT(bytes.size(), 22);
  WriteFile(dir_.filePath("HAND-M.CUR"), bytes);
  LoadHandCursor(&window_, dir_.filePath("HAND-M.CUR").toStdString());
  ASSERT_TRUE(ui::HasCustomPointerImage(&window_));
  SetPointerShape(&window_, ui::kCustomPointer);
  EXPECT_EQ(window_.cursor().shape(), Qt::BitmapCursor);
  EXPECT_EQ(window_.cursor().hotSpot(),
            QPoint(static_cast<unsigned char>(bytes[10]), static_cast<unsigned char>(bytes[12])));
  EXPECT_EQ(window_.cursor().pixmap().size(), QSize(32, 32));
}

TEST_F(AppearanceTest, BrokenCursorFilesAreRefusedAndChangeNothing) {
  const QByteArray good = ShippedCursor();
  QByteArray icon_type = good;
  icon_type[2] = 1;  // an icon, not a cursor
  QByteArray no_images = good;
  no_images[4] = 0;
  QByteArray bad_offset = good;
  bad_offset[18] = '\x7f';  // image data far past the end
  bad_offset[19] = '\x7f';
  const QByteArray cases[] = {QByteArray(), good.left(10), good.left(30),           icon_type,
                              no_images,    bad_offset,    QByteArray(4000, '\xff')};
  int index = 0;
  for (const QByteArray& bytes : cases) {
    SCOPED_TRACE(index++);
    const QString path = dir_.filePath("broken.cur");
    WriteFile(path, bytes);
    EXPECT_THROW(LoadHandCursor(&window_, path.toStdString()), std::runtime_error);
    EXPECT_FALSE(ui::HasCustomPointerImage(&window_));
  }
  EXPECT_THROW(LoadHandCursor(&window_, dir_.filePath("missing.cur").toStdString()),
               std::runtime_error);
}

// Mouse-move rules.

void MoveOver(QWidget* widget) {
  QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)),
                   Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(widget, &move);
}

TEST_F(AppearanceTest, PointerFollowsTheMouseButNeverReplacesTheBusyPointer) {
  InstallPointerRules(&window_);
  struct Step {
    QWidget* over;
    int shape;
  } const steps[] = {
      {button_, 99}, {option_, 99},       {label_, 99},    {check_, 99},
      {frame_, 0},   {frame_button_, 99}, {progress_, 99}, {list_->viewport(), 0},
      {button_, 99}, {&window_, 0},       {button_, 99},   {text_, 0},
  };
  int index = 0;
  for (const Step& step : steps) {
    MoveOver(step.over);
    EXPECT_EQ(PointerShape(&window_), step.shape) << "step " << index++;
  }
  // Without a cursor file the hand is Qt's pointing hand.
  MoveOver(button_);
  EXPECT_EQ(window_.cursor().shape(), Qt::PointingHandCursor);

  ui::ApplyPointerShape(&window_, ui::kBusyPointer);
  for (QWidget* w : std::vector<QWidget*>{button_, frame_, text_, &window_, list_->viewport()}) {
    MoveOver(w);
    EXPECT_EQ(PointerShape(&window_), ui::kBusyPointer);
    EXPECT_EQ(window_.cursor().shape(), Qt::WaitCursor);
  }
  ui::ApplyPointerShape(&window_, ui::kDefaultPointer);

  // A wait cursor over the whole application counts as busy too.
  QApplication::setOverrideCursor(Qt::WaitCursor);
  MoveOver(button_);
  QApplication::restoreOverrideCursor();
  EXPECT_EQ(PointerShape(&window_), ui::kDefaultPointer);
}

TEST(FolderPicker, PassesOwnerPromptAndStartFolderAndReturnsThePathAsGiven) {
  ui::ScriptedWindowUi ui;
  QWidget owner;
  ui.QueueText("/data/free tables/");
  EXPECT_EQ(BrowseFolder(ui, &owner, "Please select folder:", "/data"), "/data/free tables/");
  EXPECT_EQ(BrowseFolder(ui, nullptr, "Please select folder:", ""), "");  // cancelled
  const auto calls = ui.CallsOf(ui::UiCall::Kind::kBrowseFolder);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].owner, &owner);
  EXPECT_EQ(calls[0].text, "Please select folder:");
  EXPECT_EQ(calls[0].default_text, "/data");
  EXPECT_EQ(calls[1].default_text, "");
}

}  // namespace
}  // namespace accessories
