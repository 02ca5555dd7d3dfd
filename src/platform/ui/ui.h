// The boxes, dialogs, event-loop yield and pointer shapes that windows use.
// Windows never call Qt dialogs directly: they go through this interface, which
// the program backs with Qt (QtUi) and tests back with a script (ScriptedUi).
#ifndef QUILLOMAR_PLATFORM_UI_UI_H_
#define QUILLOMAR_PLATFORM_UI_UI_H_

#include <string>

class QWidget;

namespace ui {

// Message-box styles (the design's numeric codes) and answers.
inline constexpr int kOkOnly = 0;
inline constexpr int kYesNo = 4;
inline constexpr int kQuestion = 32;
inline constexpr int kExclamation = 48;
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

// Pointer shapes of a window.
inline constexpr int kDefaultPointer = 0;
inline constexpr int kBusyPointer = 11;
inline constexpr int kCustomPointer = 99;

// What the open-file dialog is asked to show.
struct OpenFileRequest {
  std::string title;
  std::string filter_name;     // "Microsoft Database (*.dbc)"
  std::string filter_pattern;  // "*.dbc"
  bool read_only_checked = false;
};

class Ui {
 public:
  virtual ~Ui() = default;

  // Shows a modal message box with `text`, the style bits and `title`;
  // returns the answer (kAnswerOk, kAnswerYes, kAnswerNo).
  virtual int MessageBox(QWidget* owner, const std::string& text, int style,
                         const std::string& title) = 0;

  // Shows a modal input box; returns the typed text, or the empty text when
  // the user cancels.
  virtual std::string InputBox(QWidget* owner, const std::string& prompt, const std::string& title,
                               const std::string& default_text) = 0;

  // Shows the open-file dialog; returns the chosen full path, or the empty
  // text when cancelled.
  virtual std::string OpenFile(QWidget* owner, const OpenFileRequest& request) = 0;

  // Shows a modal folder chooser with a prompt, preselecting `start_folder`
  // when it is not empty; returns the full path, or the empty text.
  virtual std::string BrowseFolder(QWidget* owner, const std::string& prompt,
                                   const std::string& start_folder) = 0;

  // Lets waiting window events run; throttled so that calling it per value is
  // cheap.
  virtual void DoEvents() = 0;

  // Sets the pointer shape of a window (kDefaultPointer, kBusyPointer,
  // kCustomPointer).
  virtual void SetPointer(QWidget* window, int shape) = 0;
};

}  // namespace ui

#endif  // QUILLOMAR_PLATFORM_UI_UI_H_
