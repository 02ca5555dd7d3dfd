// A sorted table-name list over a vector: what the copies read and edit
// where there is no window with its list boxes (the command-line copy, and
// tests of the copies).
#ifndef QUILLOMAR_TRANSFER_NAME_LIST_H_
#define QUILLOMAR_TRANSFER_NAME_LIST_H_

#include <string>
#include <string_view>
#include <vector>

#include "db/table_list.h"

namespace transfer {

// Entries sorted by their ASCII-case-folded bytes (the window's order in the
// C locale); equal names keep insertion order.
class NameList : public db::TableList {
 public:
  int ListCount() const override { return static_cast<int>(entries_.size()); }
  std::string List(int index) const override { return At(index).name; }
  bool Selected(int index) const override { return At(index).selected; }
  void SetSelected(int index, bool selected) override { At(index).selected = selected; }
  int ListIndex() const override { return current_; }
  void SetListIndex(int index) override { current_ = index; }
  void AddItem(const std::string& name) override;
  void RemoveItem(int index) override;
  void Clear() override;

  // Position of the entry spelled exactly `name`, else of the first one
  // equal to it ignoring ASCII letter case, or -1.
  int Find(std::string_view name) const;

 private:
  struct Entry {
    std::string name;
    bool selected = false;
  };
  Entry& At(int index);
  const Entry& At(int index) const;

  std::vector<Entry> entries_;
  int current_ = -1;
};

}  // namespace transfer

#endif  // QUILLOMAR_TRANSFER_NAME_LIST_H_
