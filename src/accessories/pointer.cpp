#include "accessories/pointer.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QVariant>
#include <QWidget>
#include <algorithm>
#include <cstdint>
#include <stdexcept>

#include "platform/ui/pointer_shape.h"
#include "platform/ui/ui.h"

namespace accessories {
namespace {

constexpr int kDefaultShape = ui::kDefaultPointer;
constexpr int kBusyShape = ui::kBusyPointer;
constexpr int kHandShape = ui::kCustomPointer;

// Icon-directory header of a .cur file: reserved 0, type 2, image count,
// then 16-byte entries; an entry's bytes 4-7 hold the hot spot (x, y).
constexpr qsizetype kHeaderSize = 6;
constexpr qsizetype kEntrySize = 16;
constexpr qsizetype kHotSpotOffset = kHeaderSize + 4;

int ReadU16(const QByteArray& bytes, qsizetype at) {
  return static_cast<unsigned char>(bytes[at]) | (static_cast<unsigned char>(bytes[at + 1]) << 8);
}

QCursor CursorFromFile(const std::string& path) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) throw std::runtime_error("Cannot read " + path);
  const QByteArray bytes = file.readAll();
  if (bytes.size() < kHeaderSize + kEntrySize || ReadU16(bytes, 0) != 0 || ReadU16(bytes, 2) != 2 ||
      ReadU16(bytes, 4) == 0) {
    throw std::runtime_error("Invalid picture: " + path);
  }
  QImage image;
  if (!image.loadFromData(bytes, "ICO") || image.isNull()) {
    throw std::runtime_error("Invalid picture: " + path);
  }
  // Qt's reader does not report the hot spot; keep it inside the image.
  const int hot_x = std::min(ReadU16(bytes, kHotSpotOffset), image.width() - 1);
  const int hot_y = std::min(ReadU16(bytes, kHotSpotOffset + 2), image.height() - 1);
  return QCursor(QPixmap::fromImage(image), hot_x, hot_y);
}

enum class Rule { kNone, kHand, kDefault };

Rule RuleFor(const QWidget* widget) {
  if (qobject_cast<const QPushButton*>(widget) != nullptr) return Rule::kHand;
  if (widget->isWindow() || qobject_cast<const QGroupBox*>(widget) != nullptr ||
      qobject_cast<const QLineEdit*>(widget) != nullptr ||
      qobject_cast<const QAbstractItemView*>(widget) != nullptr) {
    return Rule::kDefault;
  }
  // A list's viewport and scroll bars belong to the list.
  for (const QWidget* up = widget->parentWidget(); up != nullptr && !up->isWindow();
       up = up->parentWidget()) {
    if (qobject_cast<const QAbstractItemView*>(up) != nullptr) return Rule::kDefault;
    if (qobject_cast<const QLineEdit*>(up) != nullptr) return Rule::kDefault;
  }
  return Rule::kNone;
}

class PointerFilter : public QObject {
 public:
  explicit PointerFilter(QObject* parent) : QObject(parent) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
      if (auto* widget = qobject_cast<QWidget*>(watched)) PointerOnMouseMove(widget);
    }
    return false;
  }
};

}  // namespace

void LoadHandCursor(QWidget* window, const std::string& path) {
  if (window == nullptr) throw std::invalid_argument("LoadHandCursor: no window");
  ui::SetCustomPointerImage(window, CursorFromFile(path));
}


void SetPointerShape(QWidget* window, int shape) {
  if (shape != kBusyShape && shape != kHandShape) shape = kDefaultShape;
  ui::ApplyPointerShape(window, shape);
}

int PointerShape(const QWidget* window) { return ui::PointerShape(window); }

bool IsBusy(const QWidget* window) {
  if (PointerShape(window) == kBusyShape) return true;
  if (window != nullptr && window->testAttribute(Qt::WA_SetCursor) &&
      window->cursor().shape() == Qt::WaitCursor) {
    return true;
  }
  const QCursor* override_cursor = QApplication::overrideCursor();
  return override_cursor != nullptr && override_cursor->shape() == Qt::WaitCursor;
}

void PointerOnMouseMove(QWidget* widget) {
  if (widget == nullptr) return;
  QWidget* window = widget->window();
  if (IsBusy(window)) return;
  switch (RuleFor(widget)) {
    case Rule::kHand:
      SetPointerShape(window, kHandShape);
      break;
    case Rule::kDefault:
      SetPointerShape(window, kDefaultShape);
      break;
    case Rule::kNone:
      break;
  }
}

void InstallPointerRules(QWidget* window) {
  if (window == nullptr) return;
  auto* filter = new PointerFilter(window);
  QList<QWidget*> widgets = window->findChildren<QWidget*>();
  widgets.prepend(window);
  for (QWidget* widget : widgets) {
    if (widget->window() != window) continue;
    // Every widget sees its own moves and none passes them to its parent, so
    // one move is judged once, by the widget under the mouse.
    widget->setMouseTracking(true);
    widget->setAttribute(Qt::WA_NoMousePropagation, true);
    widget->installEventFilter(filter);
  }
}

}  // namespace accessories
