// The Ui the program runs with: Qt message boxes, input box, non-native file
// and folder dialogs, a throttled event-loop yield and window pointer shapes.
#ifndef QUILLOMAR_PLATFORM_UI_QT_UI_H_
#define QUILLOMAR_PLATFORM_UI_QT_UI_H_

#include <QElapsedTimer>
#include <QString>

#include "platform/ui/ui.h"

namespace ui {

// Message-box text as Qt should show it: the report's bare carriage returns
// and CR LF pairs become line feeds, which a plain-text label breaks on.
QString DisplayText(const std::string& text);

class QtUi : public Ui {
 public:
  QtUi() = default;

  // Style bits: 4 gives Yes/No buttons (otherwise OK alone); 16, 32, 48, 64
  // choose the critical, question, warning or information icon; 0 no icon.
  // Text is always shown as plain text, never as rich text.
  int MessageBox(QWidget* owner, const std::string& text, int style,
                 const std::string& title) override;
  std::string InputBox(QWidget* owner, const std::string& prompt, const std::string& title,
                       const std::string& default_text) override;
  std::string OpenFile(QWidget* owner, const OpenFileRequest& request) override;
  std::string BrowseFolder(QWidget* owner, const std::string& prompt,
                           const std::string& start_folder) override;
  // Runs QCoreApplication::processEvents() at most once per 10 ms.
  void DoEvents() override;
  void SetPointer(QWidget* window, int shape) override;

 private:
  QElapsedTimer since_yield_;
};

}  // namespace ui

#endif  // QUILLOMAR_PLATFORM_UI_QT_UI_H_
