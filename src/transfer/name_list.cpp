#include "transfer/name_list.h"

#include <algorithm>
#include <stdexcept>

#include "text/ascii.h"

namespace transfer {

void NameList::AddItem(const std::string& name) {
  const std::string key = ascii::LowerCase(name);
  auto place = std::upper_bound(
      entries_.begin(), entries_.end(), key,
      [](const std::string& k, const Entry& e) { return k < ascii::LowerCase(e.name); });
  const auto position = place - entries_.begin();
  entries_.insert(place, Entry{name, false});
  if (current_ >= position) ++current_;
}

void NameList::RemoveItem(int index) {
  At(index);
  entries_.erase(entries_.begin() + index);
  if (current_ == index) {
    current_ = -1;
  } else if (current_ > index) {
    --current_;
  }
}

void NameList::Clear() {
  entries_.clear();
  current_ = -1;
}

int NameList::Find(std::string_view name) const {
  for (int i = 0; i < ListCount(); ++i) {
    if (entries_[static_cast<std::size_t>(i)].name == name) return i;
  }
  const std::string key = ascii::LowerCase(name);
  for (int i = 0; i < ListCount(); ++i) {
    if (ascii::LowerCase(entries_[static_cast<std::size_t>(i)].name) == key) return i;
  }
  return -1;
}

NameList::Entry& NameList::At(int index) {
  if (index < 0 || index >= ListCount()) throw std::out_of_range("Invalid property array index");
  return entries_[static_cast<std::size_t>(index)];
}

const NameList::Entry& NameList::At(int index) const {
  if (index < 0 || index >= ListCount()) throw std::out_of_range("Invalid property array index");
  return entries_[static_cast<std::size_t>(index)];
}

}  // namespace transfer
