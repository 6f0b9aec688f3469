#include "controls/IndexListModel.h"

#include "controls/IndexListView.h"

namespace quenby {

TIndexListModel::TIndexListModel(TIndexListView* view) : QAbstractTableModel(view), View_(view) {}

int TIndexListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : Rows_;
}

int TIndexListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : Columns_;
}

QVariant TIndexListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= Rows_ || index.column() >= Columns_) return {};
  return View_->CellData(index.row(), index.column(), role);
}

QVariant TIndexListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= Columns_) return {};
  return View_->HeaderData(section, role);
}

Qt::ItemFlags TIndexListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled |
         Qt::ItemNeverHasChildren;
}

void TIndexListModel::SetRowCount(std::int32_t count) {
  if (count < 0) count = 0;
  if (count > Rows_) {
    beginInsertRows({}, Rows_, count - 1);
    Rows_ = count;
    endInsertRows();
  } else if (count < Rows_) {
    beginRemoveRows({}, count, Rows_ - 1);
    Rows_ = count;
    endRemoveRows();
  }
}

void TIndexListModel::SetColumnCount(std::int32_t count) {
  if (count > Columns_) {
    beginInsertColumns({}, Columns_, count - 1);
    Columns_ = count;
    endInsertColumns();
  } else if (count < Columns_) {
    beginRemoveColumns({}, count, Columns_ - 1);
    Columns_ = count;
    endRemoveColumns();
  }
}

void TIndexListModel::HeaderChanged(std::int32_t first, std::int32_t last) {
  if (first <= last) emit headerDataChanged(Qt::Horizontal, first, last);
}

void TIndexListModel::RowsChanged(std::int32_t first, std::int32_t last) {
  if (Rows_ == 0 || Columns_ == 0) return;
  first = std::max(first, 0);
  last = std::min(last, Rows_ - 1);
  if (first <= last) emit dataChanged(index(first, 0), index(last, Columns_ - 1));
}

}  // namespace quenby
