#include "controls/IndexListView.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QHeaderView>
#include <QHelpEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QScrollBar>
#include <QToolTip>
#include <algorithm>

#include "controls/ColumnFitting.h"
#include "controls/IndexListModel.h"
#include "controls/ItemsEvents.h"

namespace quenby {

TIndexListView::TIndexListView(QWidget* parent)
    : QTableView(parent),
      Columns_([this](TListColumn* c, bool whole) { ColumnsChanged(c, whole); }),
      Model_(new TIndexListModel(this)) {
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);  // no per-row heights asked
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  setShowGrid(false);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  setTabKeyNavigation(false);
  setEditTriggers(NoEditTriggers);
  setSelectionBehavior(SelectRows);
  setSelectionMode(SingleSelection);
  setModel(Model_);
  horizontalHeader()->setSectionsMovable(true);
  horizontalHeader()->setStretchLastSection(false);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setMinimumSectionSize(1);
  connect(
      horizontalHeader(), &QHeaderView::sectionResized, this,
      [this](int logical, int oldSize, int newSize) { SectionResized(logical, oldSize, newSize); });
  connect(horizontalHeader(), &QHeaderView::sectionMoved, this, [this] { SectionMoved(); });
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this](const QItemSelection& s, const QItemSelection& d) { SelectionChanged(s, d); });
  Measurer_ = std::make_unique<TColumnMeasurer>(
      this, [this](std::int32_t row, std::int32_t column) { return RowText(row, column); });
}

TIndexListView::~TIndexListView() {
  StopMeasuring();
}

void TIndexListView::StopMeasuring() {
  if (Measurer_) Measurer_->Stop();
}

void TIndexListView::PauseMeasuring() {
  Measurer_->AbortAndWait();
}

void TIndexListView::SetMultiSelect(bool on) {
  setSelectionMode(on ? ExtendedSelection : SingleSelection);
}

std::int32_t TIndexListView::Count() const {
  return Model_->rowCount();
}

void TIndexListView::SetItemCount(std::int32_t count) {
  Model_->SetRowCount(count);
}

std::int32_t TIndexListView::ItemIndex() const {
  const QModelIndex current = currentIndex();
  return current.isValid() ? current.row() : FirstSelected();
}

std::int32_t TIndexListView::FirstSelected() const {
  std::int32_t first = -1;
  for (const QItemSelectionRange& range : selectionModel()->selection())
    if (first < 0 || range.top() < first) first = range.top();
  return first;
}

void TIndexListView::SetItemIndex(std::int32_t i) {
  selectionModel()->clearSelection();
  if (i < 0 || i >= Count()) {
    selectionModel()->setCurrentIndex({}, QItemSelectionModel::NoUpdate);
    return;
  }
  const QModelIndex index = Model_->index(i, 0);
  // Selection signals are delivered at once, so FocusedSelected(i) has run
  // when this returns.
  selectionModel()->setCurrentIndex(
      index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  scrollTo(index);
  RedrawRows(i, i);
}

void TIndexListView::keyPressEvent(QKeyEvent* event) {
  // The menu key opens the context menu at the middle of the first selected
  // row's label, the way a mouse click there would.
  const std::int32_t row = FirstSelected();
  if (event->key() == Qt::Key_Menu && row >= 0) {
    const QModelIndex label = Model_->index(row, 0);
    scrollTo(label);
    const QPoint at = visualRect(label).center();
    QContextMenuEvent menu(QContextMenuEvent::Keyboard, at, viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(viewport(), &menu);
    event->accept();
    return;
  }
  QTableView::keyPressEvent(event);
}

std::int32_t TIndexListView::SelCount() const {
  std::int32_t n = 0;
  for (const QItemSelectionRange& range : selectionModel()->selection()) n += range.height();
  return n;
}

bool TIndexListView::IsSelected(std::int32_t row) const {
  return selectionModel()->isRowSelected(row, {});
}

void TIndexListView::ClearSelection() {
  selectionModel()->clearSelection();
}

void TIndexListView::SelectAll() {
  // One range, not a change per row: a hundred thousand rows would be a
  // hundred thousand notifications.
  if (Count() > 0 && selectionMode() == ExtendedSelection) selectAll();
}

void TIndexListView::BeginUpdate() {
  if (UpdateCount_++ == 0) UpdatingChanged(true);
}

void TIndexListView::EndUpdate() {
  if (UpdateCount_ > 0 && --UpdateCount_ == 0) UpdatingChanged(false);
}

void TIndexListView::UpdatingChanged(bool opening) {
  if (opening) {
    for (std::int32_t i = 0; i < Columns_.Count(); ++i) {
      TListColumn& c = Columns_[i];
      if (c.Width() < 0) c.SavedWidth = c.Width();
    }
    setUpdatesEnabled(false);
    horizontalHeader()->setUpdatesEnabled(false);
    return;
  }
  for (std::int32_t i = 0; i < Columns_.Count(); ++i) {
    TListColumn& c = Columns_[i];
    if (c.SavedWidth < 0) {
      c.SetWidth(c.SavedWidth);
      c.SavedWidth = 0;
    }
  }
  setUpdatesEnabled(true);
  viewport()->update();
  horizontalHeader()->setUpdatesEnabled(true);
}

void TIndexListView::RedrawRows(std::int32_t first, std::int32_t last) {
  Model_->RowsChanged(std::min(first, last), std::max(first, last));
}

void TIndexListView::RedrawVisible() {
  viewport()->update();
}

void TIndexListView::RedrawFocused() {
  const std::int32_t row = ItemIndex();
  if (row >= 0) RedrawRows(row, row);
}

void TIndexListView::RequestMeasure() {
  if (Columns_.Count() >= 2 && Count() > 0) Measurer_->Request(Count(), Columns_.Count(), font());
}

std::int32_t TIndexListView::HitTest(const QPoint& viewportPos) const {
  const QModelIndex index = indexAt(viewportPos);
  return index.isValid() ? index.row() : -1;
}

std::pair<std::int32_t, std::int32_t> TIndexListView::VisibleRows() const {
  const std::int32_t top = rowAt(0);
  if (top < 0) return {0, -1};
  const std::int32_t bottom = rowAt(viewport()->height() - 1);
  return {top, bottom < 0 ? Count() - 1 : bottom};
}

QVariant TIndexListView::CellData(std::int32_t row, std::int32_t column, int role) const {
  switch (role) {
    case Qt::DisplayRole: return RowText(row, column);
    case Qt::FontRole: return RowFont(row);
    case Qt::TextAlignmentRole: {
      const auto* c = const_cast<TListColumns&>(Columns_).ByOrderTag(column);
      if (!c || column == 0 || c->Alignment() == TColumnAlignment::Left)
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
      return QVariant::fromValue(
          (c->Alignment() == TColumnAlignment::Right ? Qt::AlignRight : Qt::AlignHCenter) |
          Qt::AlignVCenter);
    }
    default: return {};
  }
}

QVariant TIndexListView::HeaderData(std::int32_t column, int role) const {
  if (role != Qt::DisplayRole) return {};
  const auto* c = const_cast<TListColumns&>(Columns_).ByOrderTag(column);
  return c ? QVariant(c->Caption()) : QVariant();
}

QString TIndexListView::RowText(std::int32_t, std::int32_t) const {
  return {};
}

QVariant TIndexListView::RowFont(std::int32_t) const {
  return {};
}

void TIndexListView::SelectChanged(std::int32_t, bool) {}

void TIndexListView::FocusedSelected(std::int32_t) {}

void TIndexListView::RangeStateChanged(std::int32_t, std::int32_t, bool, bool) {}

std::int32_t TIndexListView::FindRow(const QString& text, bool wrap, std::int32_t start) {
  return FindPrefixRow(Count(), start, wrap, [&](std::int32_t row) {
    return RowText(row, 0).startsWith(text, Qt::CaseInsensitive);
  });
}

void TIndexListView::keyboardSearch(const QString& search) {
  if (search.isEmpty()) return;
  // Keys typed in quick succession extend the prefix and search from the
  // current row; a new prefix starts after it.
  const qint64 now = QDateTime::currentMSecsSinceEpoch();
  const bool extending = now - LastSearchMs_ <= QApplication::keyboardInputInterval();
  LastSearchMs_ = now;
  SearchText_ = extending ? SearchText_ + search : search;
  const std::int32_t current = std::max(ItemIndex(), 0);
  const std::int32_t row = FindRow(SearchText_, true, extending ? current : current + 1);
  if (row >= 0) SetItemIndex(row);
}

void TIndexListView::Refit() {
  const std::int32_t n = Columns_.Count();
  if (n == 0) return;
  const std::int32_t cw = viewport()->width();
  if (n == 1) {
    Columns_[0].ContentWidth = cw;  // one column takes the whole width
    Columns_[0].FitWidth = cw;
  } else {
    std::vector<std::int32_t> m(static_cast<std::size_t>(n)), fit(static_cast<std::size_t>(n));
    for (std::int32_t i = 0; i < n; ++i) {
      m[i] = Columns_[i].ContentWidth;
      fit[i] = Columns_[i].FitWidth;
    }
    ShareOutColumns(cw, m, fit);
    for (std::int32_t i = 0; i < n; ++i) Columns_[i].FitWidth = fit[i];
  }
  Columns_.BeginUpdate();
  for (std::int32_t i = 0; i < n; ++i) {
    TListColumn& c = Columns_[i];
    c.SetMaxWidth(i == 0 ? 10000 : c.ContentWidth);
    c.SetMinWidth(16);
    c.SetWidth(c.FitWidth);
  }
  Columns_.EndUpdate();
  RedrawFocused();
}

void TIndexListView::ColumnsChanged(TListColumn* column, bool wholeHeader) {
  if (!column && wholeHeader) {
    RebuildColumns();
    return;
  }
  if (column && !wholeHeader) {
    ApplyColumn(*column);
    return;
  }
  for (std::int32_t i = 0; i < Columns_.Count(); ++i) ApplyColumn(Columns_[i]);
}

void TIndexListView::RebuildColumns() {
  Model_->SetColumnCount(Columns_.Count());
  for (std::int32_t i = 0; i < Columns_.Count(); ++i) {
    Columns_[i].OrderTag = i;
    const int visual = horizontalHeader()->visualIndex(i);
    if (visual != i) horizontalHeader()->moveSection(visual, i);
  }
  for (std::int32_t i = 0; i < Columns_.Count(); ++i) ApplyColumn(Columns_[i]);
  RequestMeasure();
}

void TIndexListView::ApplyColumn(const TListColumn& column) {
  if (column.OrderTag < 0 || column.OrderTag >= Model_->columnCount()) return;
  ApplyingWidths_ = true;
  if (column.Width() >= 0)
    horizontalHeader()->resizeSection(column.OrderTag, column.Width());
  else
    resizeColumnToContents(column.OrderTag);  // a negative width asks for automatic sizing
  ApplyingWidths_ = false;
  Model_->HeaderChanged(column.OrderTag, column.OrderTag);
}

void TIndexListView::SectionResized(int logical, int, int newSize) {
  if (ApplyingWidths_) return;
  TListColumn* column = Columns_.ByOrderTag(logical);
  if (!column) return;
  const std::int32_t clamped = ClampDraggedWidth(newSize, column->MinWidth(), column->MaxWidth());
  if (clamped != newSize) {
    ApplyingWidths_ = true;
    horizontalHeader()->resizeSection(logical, clamped);
    ApplyingWidths_ = false;
  }
  column->SetWidth(clamped);
}

void TIndexListView::SectionMoved() {
  std::vector<std::int32_t> order;
  for (int visual = 0; visual < horizontalHeader()->count(); ++visual)
    order.push_back(horizontalHeader()->logicalIndex(visual));
  Columns_.Reorder(order);
  if (OnColumnsDragged) OnColumnsDragged();
}

void TIndexListView::SelectionChanged(const QItemSelection& selected,
                                      const QItemSelection& deselected) {
  const std::int32_t focused = currentIndex().isValid() ? currentIndex().row() : -1;
  for (const QItemSelectionRange& range : deselected)
    if (range.height() == 1) SelectChanged(range.top(), false);
  for (const QItemSelectionRange& range : selected) {
    // Rows that changed state together are one range change, not a change
    // per row.
    if (range.height() > 1)
      RangeStateChanged(range.top(), range.bottom(), false, true);
    else
      SelectChanged(range.top(), true);
    if (focused >= range.top() && focused <= range.bottom()) FocusedSelected(focused);
  }
}

void TIndexListView::MeasureVisibleNow() {
  PauseMeasuring();
  const auto [first, last] = VisibleRows();
  if (Columns_.Count() >= 2 && first <= last) {
    std::vector<std::int32_t> widths;
    const std::atomic<bool> never{false};
    MeasureRows(
        first, last, Columns_.Count(), font(),
        [this](std::int32_t r, std::int32_t c) { return RowText(r, c); }, never, widths);
    for (std::int32_t tag = 0; tag < static_cast<std::int32_t>(widths.size()); ++tag)
      if (TListColumn* c = Columns_.ByOrderTag(tag)) c->ContentWidth = widths[tag];
  }
  Refit();
}

bool TIndexListView::event(QEvent* event) {
  AcceptPostedEvent(event);
  return QTableView::event(event);
}

void TIndexListView::customEvent(QEvent* event) {
  if (event->type() == EventType(WM_COLUMNS_MEASURED)) {
    const auto& widths = static_cast<TColumnsMeasuredEvent*>(event)->Widths;
    for (std::int32_t tag = 0; tag < static_cast<std::int32_t>(widths.size()); ++tag)
      if (TListColumn* c = Columns_.ByOrderTag(tag)) c->ContentWidth = widths[tag];
    Refit();
  } else if (event->type() == EventType(WM_ITEMS_FIRST_BATCH)) {
    MeasureVisibleNow();
  } else {
    QTableView::customEvent(event);
  }
}

void TIndexListView::resizeEvent(QResizeEvent* event) {
  QTableView::resizeEvent(event);
  Refit();
}

bool TIndexListView::viewportEvent(QEvent* event) {
  if (event->type() != QEvent::ToolTip || !OnInfoTip) return QTableView::viewportEvent(event);
  const auto* help = static_cast<QHelpEvent*>(event);
  const QModelIndex index = indexAt(help->pos());
  if (!index.isValid()) {
    QToolTip::hideText();
    return true;
  }
  QString tip = RowText(index.row(), 0);
  OnInfoTip(index.row(), tip);
  // Row texts are mail subjects: shown as plain text, never as markup.
  const QRect rowRect =
      visualRect(index).united(visualRect(Model_->index(index.row(), Model_->columnCount() - 1)));
  QToolTip::showText(help->globalPos() + QPoint(16, 16), tip.toHtmlEscaped(), viewport(), rowRect);
  return true;
}

}  // namespace quenby
