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

#include "db/table_list.h"
#include "platform/ui/ui.h"
#include "transfer/list_helpers.h"
#include "transfer/transfer.h"

namespace transfer::testing {

// A sorted table list (case-insensitive, equal names in insertion order).
class VectorTableList : public db::TableList {
 public:
  VectorTableList() = default;
  explicit VectorTableList(const std::vector<std::string>& names) {
    for (const auto& name : names) AddItem(name);
    added.clear();
  }

  int ListCount() const override { return static_cast<int>(entries_.size()); }
  std::string List(int index) const override { return At(index).name; }
  bool Selected(int index) const override { return At(index).selected; }
  void SetSelected(int index, bool selected) override { At(index).selected = selected; }
  int ListIndex() const override { return current_; }
  void SetListIndex(int index) override { current_ = index; }
  void AddItem(const std::string& name) override {
    const std::string key = LowerCase(name);
    auto place = std::upper_bound(entries_.begin(), entries_.end(), key,
                                  [](const std::string& k, const Entry& e) {
                                    return k < LowerCase(e.name);
                                  });
    entries_.insert(place, Entry{name, false});
    added.push_back(name);
  }
  void RemoveItem(int index) override {
    At(index);
    entries_.erase(entries_.begin() + index);
    if (current_ >= ListCount()) current_ = -1;
  }
  void Clear() override {
    entries_.clear();
    current_ = -1;
  }

  // The entries in order.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& e : entries_) names.push_back(e.name);
    return names;
  }
  // Every name added, in the order of the calls.
  std::vector<std::string> added;

  // Selects the named entry and makes it current.
  void Select(const std::string& name) {
    for (int i = 0; i < ListCount(); ++i) {
      if (List(i) == name) {
        SetSelected(i, true);
        current_ = i;
        return;
      }
    }
    throw std::invalid_argument("no entry " + name);
  }

 private:
  struct Entry {
    std::string name;
    bool selected;
  };
  Entry& At(int index) {
    if (index < 0 || index >= ListCount()) throw std::out_of_range("list index");
    return entries_[static_cast<std::size_t>(index)];
  }
  const Entry& At(int index) const {
    if (index < 0 || index >= ListCount()) throw std::out_of_range("list index");
    return entries_[static_cast<std::size_t>(index)];
  }
  std::vector<Entry> entries_;
  int current_ = -1;
};

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
