// Test support: the one fake table list of the handler, catalog and window
// tests. It keeps its entries sorted as the window's lists do and records
// what a procedure did to it (names added, clears).
#ifndef QUILLOMAR_TRANSFER_TESTING_VECTOR_TABLE_LIST_H_
#define QUILLOMAR_TRANSFER_TESTING_VECTOR_TABLE_LIST_H_

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "db/table_list.h"
#include "transfer/list_helpers.h"

namespace transfer::testing {

// A table list over a vector, sorted as TableList::AddItem promises
// (case-insensitive, equal names in insertion order).
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
    ++clears;
  }

  // The entries in order.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& e : entries_) names.push_back(e.name);
    return names;
  }
  // Every name added, in the order of the calls.
  std::vector<std::string> added;
  // How often the list was cleared.
  int clears = 0;

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

}  // namespace transfer::testing

#endif  // QUILLOMAR_TRANSFER_TESTING_VECTOR_TABLE_LIST_H_
