#include "windows/tables/sorted_table_list.h"

#include <QItemSelection>
#include <QListWidget>
#include <stdexcept>

namespace windows {
namespace {

QString DisplayText(const std::string& name) {
  return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

}  // namespace

QCollator TableNameCollator() {
  QCollator collator;
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  collator.setNumericMode(false);
  return collator;
}

namespace {

// In the C locale Qt's collation key is the text's bytes, letter case
// included; keying the case-folded text keeps the order case-insensitive.
QCollatorSortKey KeyOf(const QString& text, const QCollator& collator) {
  if (collator.locale().language() == QLocale::C) return collator.sortKey(text.toCaseFolded());
  return collator.sortKey(text);
}

}  // namespace

TableItem::TableItem(const std::string& name, const QCollator& collator)
    : QListWidgetItem(DisplayText(name), nullptr, kType),
      name_(name),
      key_(KeyOf(text(), collator)) {}

bool TableItem::operator<(const QListWidgetItem& other) const {
  if (other.type() == kType) {
    return key_.compare(static_cast<const TableItem&>(other).key_) < 0;
  }
  return TableNameCollator().compare(text(), other.text()) < 0;
}

SortedTableList::SortedTableList(QListWidget* widget)
    : widget_(widget), collator_(TableNameCollator()) {
  widget_->setSortingEnabled(false);
  widget_->setUniformItemSizes(true);
  widget_->setSelectionMode(QAbstractItemView::ExtendedSelection);
}

const TableItem* SortedTableList::ItemAt(int index) const {
  if (index < 0 || index >= widget_->count()) {
    throw std::out_of_range("Invalid property array index");
  }
  return static_cast<const TableItem*>(widget_->item(index));
}

int SortedTableList::ListCount() const { return widget_->count(); }

std::string SortedTableList::List(int index) const { return ItemAt(index)->name(); }

bool SortedTableList::Selected(int index) const {
  ApplyPendingSelection();
  return ItemAt(index)->isSelected();
}

void SortedTableList::SetSelected(int index, bool selected) {
  ItemAt(index);
  if (!batching_) {
    widget_->item(index)->setSelected(selected);
    return;
  }
  if (!pending_.empty() && pending_.back().selected == selected &&
      pending_.back().last + 1 == index) {
    pending_.back().last = index;
  } else {
    pending_.push_back({index, index, selected});
  }
}

void SortedTableList::ApplyPendingSelection() const {
  if (pending_.empty()) return;
  QAbstractItemModel* model = widget_->model();
  for (const SelectionRun& run : pending_) {
    widget_->selectionModel()->select(
        QItemSelection(model->index(run.first, 0), model->index(run.last, 0)),
        run.selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
  }
  pending_.clear();
}

int SortedTableList::ListIndex() const { return widget_->currentRow(); }

void SortedTableList::SetListIndex(int index) {
  ApplyPendingSelection();
  if (index < -1 || index >= widget_->count()) {
    throw std::out_of_range("Invalid property value");
  }
  widget_->setCurrentRow(index, QItemSelectionModel::NoUpdate);
}

int SortedTableList::UpperBound(const TableItem& item) const {
  int low = 0;
  int high = widget_->count();
  // Every entry of the widget is a TableItem: this list adds all of them.
  while (low < high) {
    const int mid = low + (high - low) / 2;
    if (item.key().compare(static_cast<const TableItem*>(widget_->item(mid))->key()) < 0) {
      high = mid;
    } else {
      low = mid + 1;
    }
  }
  return low;
}

void SortedTableList::AddItem(const std::string& name) {
  ApplyPendingSelection();
  auto item = std::make_unique<TableItem>(name, collator_);
  const int row = UpperBound(*item);
  widget_->insertItem(row, item.release());
}

void SortedTableList::RemoveItem(int index) {
  ApplyPendingSelection();
  ItemAt(index);
  delete widget_->takeItem(index);
}

void SortedTableList::Clear() {
  pending_.clear();
  widget_->clear();
}

}  // namespace windows
