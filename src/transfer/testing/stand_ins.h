// Test helpers for the copies: a table list over a vector, a ui that
// records every box and answers from a script, and a progress bar and
// pointer that record what they were set to.
#ifndef QUILLOMAR_TRANSFER_TESTING_STAND_INS_H_
#define QUILLOMAR_TRANSFER_TESTING_STAND_INS_H_

#include <algorithm>
#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/ui.h"
#include "transfer/testing/vector_table_list.h"
#include "transfer/transfer.h"

namespace transfer::testing {

// One box the recording ui was asked to show.
struct Box {
  std::string text;
  int style = 0;
  std::string title;
};

// Records boxes and pointer shapes; answers questions from a queue (Yes when
// the queue is empty). `on_do_events` runs inside DoEvents, as a click would.
class RecordingUi : public ui::Ui {
 public:
  int MessageBox(QWidget*, const std::string& text, int style, const std::string& title) override {
    boxes.push_back(Box{text, style, title});
    if ((style & 0x7) != ui::kYesNo) return ui::kAnswerOk;
    if (answers.empty()) return ui::kAnswerYes;
    int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::string InputBox(QWidget*, const std::string&, const std::string&,
                       const std::string&) override {
    return std::string();
  }
  std::string OpenFile(QWidget*, const ui::OpenFileRequest&) override { return std::string(); }
  std::string BrowseFolder(QWidget*, const std::string&, const std::string&) override {
    return std::string();
  }
  void DoEvents() override {
    ++do_events;
    if (on_do_events) on_do_events();
  }
  void SetPointer(QWidget*, int shape) override { pointers.push_back(shape); }

  // Boxes titled "Application Error".
  std::vector<Box> Reports() const {
    std::vector<Box> out;
    for (const auto& b : boxes) {
      if (b.title == "Application Error") out.push_back(b);
    }
    return out;
  }

  std::vector<Box> boxes;
  std::deque<int> answers;
  std::vector<int> pointers;
  long do_events = 0;
  std::function<void()> on_do_events;
};

class RecordingProgress : public ProgressBar {
 public:
  void SetValue(double value) override { values.push_back(value); }
  void SetText(const std::string& value) override { texts.push_back(value); }
  std::vector<double> values;
  std::vector<std::string> texts;
};

}  // namespace transfer::testing

#endif  // QUILLOMAR_TRANSFER_TESTING_STAND_INS_H_
