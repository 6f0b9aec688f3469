#pragma once
// The Qt model of an index list view: it stores nothing but the row count
// the view last set, and asks the view for every cell.

#include <QAbstractTableModel>

#include <cstdint>

namespace quenby {

class TIndexListView;

class TIndexListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit TIndexListModel(TIndexListView* view);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // A count change reaches Qt as rows inserted or removed at the end, never
  // as a reset, so the selection and the scroll position survive a load.
  void SetRowCount(std::int32_t count);
  void SetColumnCount(std::int32_t count);
  void HeaderChanged(std::int32_t first, std::int32_t last);
  void RowsChanged(std::int32_t first, std::int32_t last);

 private:
  TIndexListView* View_;
  std::int32_t Rows_ = 0;
  std::int32_t Columns_ = 0;
};

}  // namespace quenby
