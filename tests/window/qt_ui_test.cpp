// The Qt ui: message box buttons, icons and answers, plain-text display,
// the open-file dialog's settings, and the pointer shapes on a window.
#include "platform/ui/qt_ui.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "platform/ui/pointer_shape.h"

namespace ui {
namespace {

// Runs `inspect` on the modal dialog once it is open.
void WhenModalOpens(std::function<void(QWidget*)> inspect) {
  QTimer::singleShot(
      0, [inspect = std::move(inspect)] { inspect(QApplication::activeModalWidget()); });
}

TEST(QtUi, DisplayTextTurnsCarriageReturnsIntoLineBreaks) {
  EXPECT_EQ(DisplayText("a\r\nb\r\rc").toStdString(), "a\nb\n\nc");
  EXPECT_EQ(DisplayText("\r\n").toStdString(), "\n");
  EXPECT_EQ(DisplayText("M\xC3\xBCller").toStdString(), "M\xC3\xBCller");
}

TEST(QtUi, MessageBoxStylesAndAnswers) {
  struct Case {
    const char* name;
    int style;
    QMessageBox::Icon icon;
    QMessageBox::StandardButton press;
    int answer;
  } cases[] = {
      {"OK alone, no icon", kOkOnly, QMessageBox::NoIcon, QMessageBox::Ok, kAnswerOk},
      {"warning", kExclamation, QMessageBox::Warning, QMessageBox::Ok, kAnswerOk},
      {"question, yes", kYesNo + kQuestion, QMessageBox::Question, QMessageBox::Yes, kAnswerYes},
      {"question, no", kYesNo + kQuestion, QMessageBox::Question, QMessageBox::No, kAnswerNo},
  };
  QtUi qt_ui;
  for (const Case& c : cases) {
    bool inspected = false;
    WhenModalOpens([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      ASSERT_NE(box, nullptr) << c.name;
      inspected = true;
      EXPECT_EQ(box->icon(), c.icon) << c.name;
      EXPECT_EQ(box->windowTitle().toStdString(), "Title") << c.name;
      EXPECT_EQ(box->textFormat(), Qt::PlainText) << c.name;
      EXPECT_EQ(box->text().toStdString(), "<b>not bold</b>\n\nline") << c.name;
      bool yes_no = (c.style & 0x0F) == kYesNo;
      EXPECT_EQ(box->button(QMessageBox::Yes) != nullptr, yes_no) << c.name;
      EXPECT_EQ(box->button(QMessageBox::Ok) != nullptr, !yes_no) << c.name;
      box->button(c.press)->click();
    });
    EXPECT_EQ(qt_ui.MessageBox(nullptr, "<b>not bold</b>\r\rline", c.style, "Title"), c.answer)
        << c.name;
    EXPECT_TRUE(inspected) << c.name;
  }
}

TEST(QtUi, OpenFileDialogIsNonNativeWithOneFilterAndReadOnly) {
  QtUi qt_ui;
  OpenFileRequest request;
  request.title = "Select Foxpro Database";
  request.filter_name = "Microsoft Database (*.dbc)";
  request.filter_pattern = "*.dbc";
  request.read_only_checked = true;
  bool inspected = false;
  WhenModalOpens([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    inspected = true;
    EXPECT_EQ(dialog->windowTitle().toStdString(), "Select Foxpro Database");
    EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_TRUE(dialog->testOption(QFileDialog::ReadOnly));
    EXPECT_EQ(dialog->nameFilters(), QStringList{"Microsoft Database (*.dbc)"});
    dialog->reject();
  });
  EXPECT_EQ(qt_ui.OpenFile(nullptr, request), "");
  EXPECT_TRUE(inspected);
}

TEST(QtUi, PointerShapesOnTheWindow) {
  QtUi qt_ui;
  QWidget window;
  qt_ui.SetPointer(&window, kBusyPointer);
  EXPECT_EQ(window.cursor().shape(), Qt::WaitCursor);
  EXPECT_EQ(PointerShape(&window), kBusyPointer);
  qt_ui.SetPointer(&window, kCustomPointer);
  EXPECT_EQ(window.cursor().shape(), Qt::PointingHandCursor);  // no image loaded
  SetCustomPointerImage(&window, QCursor(Qt::CrossCursor));
  EXPECT_EQ(window.cursor().shape(), Qt::CrossCursor);
  qt_ui.SetPointer(&window, kDefaultPointer);
  EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
  EXPECT_EQ(PointerShape(&window), kDefaultPointer);
}

}  // namespace
}  // namespace ui
