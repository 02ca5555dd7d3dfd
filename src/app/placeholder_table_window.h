// A stand-in for the table window until the real one is wired in: a window
// with a note and "< Back", and an empty load procedure.
#ifndef QUILLOMAR_APP_PLACEHOLDER_TABLE_WINDOW_H_
#define QUILLOMAR_APP_PLACEHOLDER_TABLE_WINDOW_H_

#include <QWidget>
#include <functional>

#include "windows/connection/table_window_host.h"

namespace app {

class PlaceholderTableWindow : public QWidget, public windows::TableWindowHost {
 public:
  // `connection_window` is shown again by "< Back"; it must outlive this.
  explicit PlaceholderTableWindow(QWidget* connection_window);

  // Closing this window ends the program through `action`.
  void SetUnloadAction(std::function<void()> action) { unload_ = std::move(action); }

  void LoadTableWindow() override {}
  void ShowTableWindow() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QWidget* connection_window_;
  std::function<void()> unload_;
};

}  // namespace app

#endif  // QUILLOMAR_APP_PLACEHOLDER_TABLE_WINDOW_H_
