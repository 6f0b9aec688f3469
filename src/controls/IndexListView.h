#pragma once
// A report-style list whose rows exist only as indices: every text, image
// and font comes from virtual operations. Column widths are fitted to the
// content, measured by a lower-priority thread and shared out over the
// visible width; each column's minimum and maximum bind the user's
// dragging; the user's column order is written back to the columns.
//
// A QTableView without a row header: QTreeView keeps about 40 bytes of
// layout per row, the row header about 12 bytes, and the view must add
// nothing per item.

#include <QTableView>

#include <cstdint>
#include <functional>
#include <memory>

#include "controls/ColumnMeasurer.h"
#include "controls/ListColumns.h"

namespace quenby {

class TIndexListModel;

class TIndexListView : public QTableView {
  Q_OBJECT

 public:
  explicit TIndexListView(QWidget* parent = nullptr);
  ~TIndexListView() override;

  TListColumns& Columns() { return Columns_; }
  void SetMultiSelect(bool on);

  std::int32_t Count() const;  // the row count the view shows
  void SetItemCount(std::int32_t count);
  // The focused row, else the first selected row, else -1.
  std::int32_t ItemIndex() const;
  // Clears the selection; selects, focuses and shows row i when i >= 0.
  void SetItemIndex(std::int32_t i);
  std::int32_t SelCount() const;
  std::int32_t FirstSelected() const;  // -1 when nothing is selected
  bool IsSelected(std::int32_t row) const;
  void ClearSelection();
  void SelectAll();
  void BeginUpdate();
  void EndUpdate();
  void RedrawRows(std::int32_t first, std::int32_t last);
  void RedrawVisible();
  void RedrawFocused();
  void RequestMeasure();
  std::int32_t HitTest(const QPoint& viewportPos) const;
  // The rows a page shows, from the top row.
  std::pair<std::int32_t, std::int32_t> VisibleRows() const;

  // Hooks; each is optional.
  std::function<void()> OnColumnsDragged;
  std::function<void(std::int32_t row, QString& tip)> OnInfoTip;

  // For the model: one cell, one header section.
  QVariant CellData(std::int32_t row, std::int32_t column, int role) const;
  QVariant HeaderData(std::int32_t column, int role) const;

  // Called on the measuring thread as well as on the GUI thread.
  virtual QString RowText(std::int32_t row, std::int32_t column) const;

 protected:
  virtual void Refit();
  virtual std::int32_t FindRow(const QString& text, bool wrap, std::int32_t start);
  virtual void RangeStateChanged(std::int32_t first, std::int32_t last, bool wasSelected,
                                 bool nowSelected);
  virtual QVariant RowFont(std::int32_t row) const;
  virtual void SelectChanged(std::int32_t row, bool selected);
  virtual void FocusedSelected(std::int32_t row);
  virtual void UpdatingChanged(bool opening);

  // The most derived class calls this first in its destructor: the
  // measuring thread calls RowText, which must not outlive the subclass.
  void StopMeasuring();
  void PauseMeasuring();

  bool event(QEvent* event) override;
  void customEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool viewportEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyboardSearch(const QString& search) override;

  TIndexListModel* Model() const { return Model_; }

 private:
  void ColumnsChanged(TListColumn* column, bool wholeHeader);
  void RebuildColumns();
  void ApplyColumn(const TListColumn& column);
  void SectionResized(int logical, int oldSize, int newSize);
  void SectionMoved();
  void SelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
  void MeasureVisibleNow();

  TListColumns Columns_;
  TIndexListModel* Model_;
  std::unique_ptr<TColumnMeasurer> Measurer_;
  int UpdateCount_ = 0;
  bool ApplyingWidths_ = false;
  QString SearchText_;
  qint64 LastSearchMs_ = 0;
};

}  // namespace quenby
