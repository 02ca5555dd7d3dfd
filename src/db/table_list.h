// A table name list as the handlers see it (List1, List2 of the table
// window): sorted entries addressed by zero-based position, each with a
// selection flag, and a current entry or none. The window backs it with a
// QListWidget; tests back it with a vector.
#ifndef QUILLOMAR_DB_TABLE_LIST_H_
#define QUILLOMAR_DB_TABLE_LIST_H_

#include <string>

namespace db {

class TableList {
 public:
  virtual ~TableList() = default;

  // Number of entries.
  virtual int ListCount() const = 0;
  // The entry at `index`; throws std::out_of_range for a bad index.
  virtual std::string List(int index) const = 0;
  // Selection flag of an entry; throws std::out_of_range for a bad index.
  virtual bool Selected(int index) const = 0;
  virtual void SetSelected(int index, bool selected) = 0;
  // The current entry's position, or -1 when there is none.
  virtual int ListIndex() const = 0;
  // Makes `index` the current entry (-1: none) without changing selection.
  virtual void SetListIndex(int index) = 0;
  // Adds an entry at its sorted place.
  virtual void AddItem(const std::string& name) = 0;
  // Removes the entry at `index`; throws std::out_of_range for a bad index.
  virtual void RemoveItem(int index) = 0;
  // Removes every entry.
  virtual void Clear() = 0;
};

}  // namespace db

#endif  // QUILLOMAR_DB_TABLE_LIST_H_
