#include "platform/ui/qt_ui.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QStringList>

#include "platform/ui/pointer_shape.h"

namespace ui {
namespace {

constexpr qint64 kYieldIntervalMs = 10;

QString Q(const std::string& text) { return QString::fromStdString(text); }

QMessageBox::Icon IconForStyle(int style) {
  switch (style & 0x70) {
    case 16:
      return QMessageBox::Critical;
    case kQuestion:
      return QMessageBox::Question;
    case kExclamation:
      return QMessageBox::Warning;
    case 64:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

// "Name (*.ext)": the name already names the pattern in parentheses when it
// ends with it; otherwise the pattern is appended the way Qt expects.
QString NameFilter(const OpenFileRequest& request) {
  QString name = Q(request.filter_name);
  QString pattern = Q(request.filter_pattern);
  if (pattern.isEmpty() || name.endsWith("(" + pattern + ")")) return name;
  return name + " (" + pattern + ")";
}

}  // namespace

QString DisplayText(const std::string& text) {
  QString shown = Q(text);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return shown;
}

int QtUi::MessageBox(QWidget* owner, const std::string& text, int style, const std::string& title) {
  bool yes_no = (style & 0x0F) == kYesNo;
  QMessageBox box(IconForStyle(style), Q(title), DisplayText(text),
                  yes_no ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok, owner);
  box.setTextFormat(Qt::PlainText);
  int answer = box.exec();
  if (!yes_no) return kAnswerOk;
  return answer == QMessageBox::Yes ? kAnswerYes : kAnswerNo;
}

std::string QtUi::InputBox(QWidget* owner, const std::string& prompt, const std::string& title,
                           const std::string& default_text) {
  bool ok = false;
  QString text =
      QInputDialog::getText(owner, Q(title), Q(prompt), QLineEdit::Normal, Q(default_text), &ok);
  return ok ? text.toStdString() : std::string();
}

std::string QtUi::OpenFile(QWidget* owner, const OpenFileRequest& request) {
  QFileDialog dialog(owner, Q(request.title));
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setOption(QFileDialog::ReadOnly, request.read_only_checked);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setNameFilter(NameFilter(request));
  if (dialog.exec() != QDialog::Accepted) return std::string();
  QStringList files = dialog.selectedFiles();
  return files.isEmpty() ? std::string() : files.front().toStdString();
}

std::string QtUi::BrowseFolder(QWidget* owner, const std::string& prompt,
                               const std::string& start_folder) {
  QString folder = QFileDialog::getExistingDirectory(
      owner, Q(prompt), Q(start_folder),
      QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
  return folder.toStdString();
}

void QtUi::DoEvents() {
  if (since_yield_.isValid() && since_yield_.elapsed() < kYieldIntervalMs) return;
  QCoreApplication::processEvents();
  since_yield_.start();
}

void QtUi::SetPointer(QWidget* window, int shape) { ApplyPointerShape(window, shape); }

}  // namespace ui
