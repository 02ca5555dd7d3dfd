#include "platform/ui/scripted_window_ui.h"

#include "platform/ui/pointer_shape.h"

namespace ui {

void ScriptedWindowUi::SetPointer(QWidget* window, int shape) {
  ScriptedUi::SetPointer(window, shape);
  ApplyPointerShape(window, shape);
}

}  // namespace ui
