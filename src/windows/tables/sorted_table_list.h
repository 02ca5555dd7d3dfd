// A table name list backed by a QListWidget: entries kept in alphabetical
// order (case-insensitive and locale-aware; equal names keep the order they
// were added in), addressed by position, each with a selection flag, and a
// current entry or none.
#ifndef QUILLOMAR_WINDOWS_TABLES_SORTED_TABLE_LIST_H_
#define QUILLOMAR_WINDOWS_TABLES_SORTED_TABLE_LIST_H_

#include <QCollator>
#include <QListWidgetItem>
#include <memory>
#include <string>
#include <vector>

#include "db/table_list.h"

class QListWidget;

namespace windows {

// The collator every table list orders by: the user's locale, letter case
// ignored, digits compared as characters.
QCollator TableNameCollator();

// One entry: the table name exactly as it was added (bytes kept, whatever
// their encoding) and the collation key it sorts by.
class TableItem : public QListWidgetItem {
 public:
  TableItem(const std::string& name, const QCollator& collator);

  // Alphabetical order by collation key; compares with a plain item by text.
  bool operator<(const QListWidgetItem& other) const override;

  // The name as added.
  const std::string& name() const { return name_; }
  // The collation key the order follows.
  const QCollatorSortKey& key() const { return key_; }

  // The item type of every table entry (QListWidgetItem::type()).
  static constexpr int kType = QListWidgetItem::UserType + 1;

 private:
  std::string name_;
  QCollatorSortKey key_;
};

class SortedTableList : public db::TableList {
 public:
  // `widget` is owned by its window and must outlive this object. Switches
  // Qt's own sorting off (this class places every entry) and asks for
  // uniform item sizes so long lists fill quickly.
  explicit SortedTableList(QListWidget* widget);

  int ListCount() const override;
  std::string List(int index) const override;
  bool Selected(int index) const override;
  void SetSelected(int index, bool selected) override;
  int ListIndex() const override;
  void SetListIndex(int index) override;
  void AddItem(const std::string& name) override;
  void RemoveItem(int index) override;
  void Clear() override;

  // While alive, SetSelected only notes the flags, and they reach the
  // widget as one change per run of neighbouring entries when the batch ends
  // or the list is read or changed otherwise: setting flags entry by entry
  // through the widget costs time quadratic in the entries. Batches do not
  // nest.
  class SelectionBatch {
   public:
    explicit SelectionBatch(SortedTableList& list) : list_(list) { list_.batching_ = true; }
    ~SelectionBatch() {
      list_.ApplyPendingSelection();
      list_.batching_ = false;
    }
    SelectionBatch(const SelectionBatch&) = delete;
    SelectionBatch& operator=(const SelectionBatch&) = delete;

   private:
    SortedTableList& list_;
  };

  QListWidget* widget() const { return widget_; }

 private:
  // Neighbouring entries first..last that get the same flag.
  struct SelectionRun {
    int first;
    int last;
    bool selected;
  };
  // Hands the noted flags to the widget.
  void ApplyPendingSelection() const;

  const TableItem* ItemAt(int index) const;
  // The position after every entry that does not sort after `item`.
  int UpperBound(const TableItem& item) const;

  QListWidget* widget_;
  QCollator collator_;
  bool batching_ = false;
  mutable std::vector<SelectionRun> pending_;
};

}  // namespace windows

#endif  // QUILLOMAR_WINDOWS_TABLES_SORTED_TABLE_LIST_H_
