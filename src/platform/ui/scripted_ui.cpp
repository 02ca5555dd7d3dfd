#include "platform/ui/scripted_ui.h"

#include <stdexcept>

namespace ui {

std::vector<UiCall> ScriptedUi::CallsOf(UiCall::Kind kind) const {
  std::vector<UiCall> result;
  for (const UiCall& call : calls_) {
    if (call.kind == kind) result.push_back(call);
  }
  return result;
}

std::vector<UiCall> ScriptedUi::MessagesTitled(std::string_view title) const {
  std::vector<UiCall> result;
  for (const UiCall& call : CallsOf(UiCall::Kind::kMessageBox)) {
    if (call.title == title) result.push_back(call);
  }
  return result;
}

std::vector<std::string> ScriptedUi::MessageTexts() const {
  std::vector<std::string> texts;
  for (const UiCall& call : CallsOf(UiCall::Kind::kMessageBox)) texts.push_back(call.text);
  return texts;
}

std::vector<int> ScriptedUi::PointerShapes() const {
  std::vector<int> shapes;
  for (const UiCall& call : CallsOf(UiCall::Kind::kSetPointer)) shapes.push_back(call.style);
  return shapes;
}

void ScriptedUi::Record(const UiCall& call) {
  calls_.push_back(call);
  for (auto it = failures_.begin(); it != failures_.end(); ++it) {
    if (it->kind != call.kind) continue;
    if (it->skip-- > 0) continue;
    failures_.erase(it);
    throw std::runtime_error("Scripted failure");
  }
}

std::string ScriptedUi::NextText() {
  if (texts_.empty()) return std::string();
  std::string text = std::move(texts_.front());
  texts_.pop_front();
  return text;
}

int ScriptedUi::MessageBox(QWidget* owner, const std::string& text, int style,
                           const std::string& title) {
  UiCall call;
  call.kind = UiCall::Kind::kMessageBox;
  call.owner = owner;
  call.text = text;
  call.style = style;
  call.title = title;
  Record(call);
  if ((style & 0x0F) != kYesNo) return kAnswerOk;
  if (answers_.empty()) return default_yes_no_;
  const int answer = answers_.front();
  answers_.pop_front();
  return answer;
}

std::string ScriptedUi::InputBox(QWidget* owner, const std::string& prompt,
                                 const std::string& title, const std::string& default_text) {
  UiCall call;
  call.kind = UiCall::Kind::kInputBox;
  call.owner = owner;
  call.text = prompt;
  call.title = title;
  call.default_text = default_text;
  Record(call);
  return NextText();
}

std::string ScriptedUi::OpenFile(QWidget* owner, const OpenFileRequest& request) {
  UiCall call;
  call.kind = UiCall::Kind::kOpenFile;
  call.owner = owner;
  call.request = request;
  Record(call);
  return NextText();
}

std::string ScriptedUi::BrowseFolder(QWidget* owner, const std::string& prompt,
                                     const std::string& start_folder) {
  UiCall call;
  call.kind = UiCall::Kind::kBrowseFolder;
  call.owner = owner;
  call.text = prompt;
  call.default_text = start_folder;
  Record(call);
  return NextText();
}

void ScriptedUi::SetPointer(QWidget* window, int shape) {
  UiCall call;
  call.kind = UiCall::Kind::kSetPointer;
  call.owner = window;
  call.style = shape;
  Record(call);
}

void ScriptedUi::DoEvents() {
  ++do_events_;
  if (on_do_events_) on_do_events_();
}

}  // namespace ui
