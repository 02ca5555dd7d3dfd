// A Ui for tests: records every call with its arguments and answers from
// queues the test fills beforehand. Plain C++: pointer shapes are only
// recorded here (ScriptedWindowUi also shows them on the window).
#ifndef QUILLOMAR_PLATFORM_UI_SCRIPTED_UI_H_
#define QUILLOMAR_PLATFORM_UI_SCRIPTED_UI_H_

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/ui.h"

namespace ui {

// One recorded call. Only the members that belong to the call's kind are set.
struct UiCall {
  enum class Kind { kMessageBox, kInputBox, kOpenFile, kBrowseFolder, kSetPointer };
  Kind kind = Kind::kMessageBox;
  QWidget* owner = nullptr;
  std::string text;          // message text, input prompt or folder prompt
  int style = 0;             // message box style; pointer shape for kSetPointer
  std::string title;         // message / input box title
  std::string default_text;  // input box default, folder start
  OpenFileRequest request;   // open-file dialog
};

class ScriptedUi : public Ui {
 public:
  // Queued answers, taken by Yes/No boxes in order; a Yes/No box without a
  // queued answer gets the default (kAnswerNo unless changed). OK-only boxes
  // answer kAnswerOk and leave the queue alone. Text dialogs take queued
  // texts; without one they are cancelled (empty text).
  void QueueAnswer(int answer) { answers_.push_back(answer); }
  void SetDefaultYesNoAnswer(int answer) { default_yes_no_ = answer; }
  void QueueText(std::string text) { texts_.push_back(std::move(text)); }
  // Makes a later call of `kind` fail: after `skip` further calls of that
  // kind, the next one is recorded and then throws std::runtime_error
  // ("Scripted failure"), as a box or pointer the platform refuses would.
  // A failing SetPointer leaves the pointer as it was.
  void FailNext(UiCall::Kind kind, int skip = 0) { failures_.push_back({kind, skip}); }

  const std::vector<UiCall>& calls() const { return calls_; }
  // The recorded calls of one kind, in order.
  std::vector<UiCall> CallsOf(UiCall::Kind kind) const;
  // The message boxes, in order; those with `title`, in order.
  std::vector<UiCall> Messages() const { return CallsOf(UiCall::Kind::kMessageBox); }
  std::vector<UiCall> MessagesTitled(std::string_view title) const;
  // The texts of all message boxes, in order.
  std::vector<std::string> MessageTexts() const;
  // The pointer shapes set, in order.
  std::vector<int> PointerShapes() const;
  int do_events() const { return do_events_; }
  // Runs `action` inside every later DoEvents, as a click arriving while a
  // handler yields would; an empty action stops that.
  void OnDoEvents(std::function<void()> action) { on_do_events_ = std::move(action); }
  // Forgets the recorded calls (queued answers and failures stay).
  void Clear() { calls_.clear(); }

  int MessageBox(QWidget* owner, const std::string& text, int style,
                 const std::string& title) override;
  std::string InputBox(QWidget* owner, const std::string& prompt, const std::string& title,
                       const std::string& default_text) override;
  std::string OpenFile(QWidget* owner, const OpenFileRequest& request) override;
  std::string BrowseFolder(QWidget* owner, const std::string& prompt,
                           const std::string& start_folder) override;
  void DoEvents() override;
  void SetPointer(QWidget* window, int shape) override;

 private:
  std::string NextText();
  // Records `call`, then throws when a queued failure is due for its kind.
  void Record(const UiCall& call);

  struct Failure {
    UiCall::Kind kind;
    int skip;
  };

  std::vector<UiCall> calls_;
  std::deque<int> answers_;
  std::deque<std::string> texts_;
  std::vector<Failure> failures_;
  int default_yes_no_ = kAnswerNo;
  int do_events_ = 0;
  std::function<void()> on_do_events_;
};

}  // namespace ui

#endif  // QUILLOMAR_PLATFORM_UI_SCRIPTED_UI_H_
