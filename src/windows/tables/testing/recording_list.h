// Test support: a table list that keeps entries in the order they were added
// (no sorting) and counts how often it was cleared, so a test sees exactly
// what a procedure did to it.
#ifndef QUILLOMAR_WINDOWS_TABLES_TESTING_RECORDING_LIST_H_
#define QUILLOMAR_WINDOWS_TABLES_TESTING_RECORDING_LIST_H_

#include <stdexcept>
#include <string>
#include <vector>

#include "db/table_list.h"

namespace windows::testing {

class RecordingList : public db::TableList {
 public:
  RecordingList() = default;
  explicit RecordingList(std::vector<std::string> names) : names_(std::move(names)) {
    selected_.assign(names_.size(), false);
  }

  int ListCount() const override { return static_cast<int>(names_.size()); }
  std::string List(int index) const override { return names_.at(Checked(index)); }
  bool Selected(int index) const override { return selected_.at(Checked(index)); }
  void SetSelected(int index, bool selected) override { selected_.at(Checked(index)) = selected; }
  int ListIndex() const override { return current_; }
  void SetListIndex(int index) override { current_ = index; }
  void AddItem(const std::string& name) override {
    names_.push_back(name);
    selected_.push_back(false);
  }
  void RemoveItem(int index) override {
    const auto at = static_cast<std::ptrdiff_t>(Checked(index));
    names_.erase(names_.begin() + at);
    selected_.erase(selected_.begin() + at);
  }
  void Clear() override {
    names_.clear();
    selected_.clear();
    ++clears_;
  }

  const std::vector<std::string>& names() const { return names_; }
  int clears() const { return clears_; }

 private:
  std::size_t Checked(int index) const {
    if (index < 0 || index >= ListCount()) throw std::out_of_range("list index");
    return static_cast<std::size_t>(index);
  }

  std::vector<std::string> names_;
  std::vector<bool> selected_;
  int current_ = -1;
  int clears_ = 0;
};

}  // namespace windows::testing

#endif  // QUILLOMAR_WINDOWS_TABLES_TESTING_RECORDING_LIST_H_
