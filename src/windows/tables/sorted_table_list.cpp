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

bool SortedTableList::Selected(int index) const { return ItemAt(index)->isSelected(); }

void SortedTableList::SetSelected(int index, bool selected) {
  ItemAt(index);
  widget_->item(index)->setSelected(selected);
}

int SortedTableList::ListIndex() const { return widget_->currentRow(); }

void SortedTableList::SetListIndex(int index) {
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
  auto item = std::make_unique<TableItem>(name, collator_);
  const int row = UpperBound(*item);
  widget_->insertItem(row, item.release());
}

void SortedTableList::RemoveItem(int index) {
  ItemAt(index);
  delete widget_->takeItem(index);
}

void SortedTableList::Clear() { widget_->clear(); }

void SortedTableList::SetAllSelected(bool selected) {
  const int count = widget_->count();
  if (count == 0) return;
  QAbstractItemModel* model = widget_->model();
  const QItemSelection all(model->index(0, 0), model->index(count - 1, 0));
  widget_->selectionModel()->select(
      all, selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

}  // namespace windows
