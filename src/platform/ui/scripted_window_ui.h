// The scripted Ui for window tests: records and answers like ScriptedUi, and
// shows each pointer shape on its window as the real Ui does, so hover rules
// and busy states stay observable on the widgets.
#ifndef QUILLOMAR_PLATFORM_UI_SCRIPTED_WINDOW_UI_H_
#define QUILLOMAR_PLATFORM_UI_SCRIPTED_WINDOW_UI_H_

#include "platform/ui/scripted_ui.h"

namespace ui {

class ScriptedWindowUi : public ScriptedUi {
 public:
  // Records the call (a scripted failure throws before anything changes),
  // then applies `shape` to `window` (see ApplyPointerShape).
  void SetPointer(QWidget* window, int shape) override;
};

}  // namespace ui

#endif  // QUILLOMAR_PLATFORM_UI_SCRIPTED_WINDOW_UI_H_
