#include "platform/ui/pointer_shape.h"

#include <QVariant>
#include <QWidget>

#include "platform/ui/ui.h"

namespace ui {
namespace {

constexpr char kShapeProperty[] = "quillomarPointerShape";
constexpr char kImageProperty[] = "quillomarPointerImage";

}  // namespace

int PointerShape(const QWidget* window) {
  if (window == nullptr) return kDefaultPointer;
  QVariant shape = window->property(kShapeProperty);
  return shape.isValid() ? shape.toInt() : kDefaultPointer;
}

void ApplyPointerShape(QWidget* window, int shape) {
  if (window == nullptr) return;
  window->setProperty(kShapeProperty, shape);
  switch (shape) {
    case kBusyPointer:
      window->setCursor(Qt::WaitCursor);
      break;
    case kCustomPointer: {
      QVariant image = window->property(kImageProperty);
      window->setCursor(image.isValid() ? image.value<QCursor>() : QCursor(Qt::PointingHandCursor));
      break;
    }
    default:
      window->unsetCursor();
      break;
  }
}

void SetCustomPointerImage(QWidget* window, const QCursor& cursor) {
  if (window == nullptr) return;
  window->setProperty(kImageProperty, QVariant::fromValue(cursor));
  if (PointerShape(window) == kCustomPointer) window->setCursor(cursor);
}

bool HasCustomPointerImage(const QWidget* window) {
  return window != nullptr && window->property(kImageProperty).isValid();
}

}  // namespace ui
