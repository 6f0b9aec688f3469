#include "controls/VirtualListView.h"

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <algorithm>
#include <vector>

#include "controls/ItemsEvents.h"
#include "controls/Reselect.h"

namespace quenby {

TVirtualListView::TVirtualListView(std::unique_ptr<TVirtItems> items, QWidget* parent)
    : TIndexListView(parent), Items_(items ? std::move(items) : std::make_unique<TVirtItems>()) {
  Beep = [] { QApplication::beep(); };
  Items_->View().Attach(&Poster_);
  SyncViewCount();
}

TVirtualListView::~TVirtualListView() {
  // Nothing reaches the view once it is detached, and the measuring thread
  // must stop before the collection it reads goes.
  Items_->View().Detach();
  StopMeasuring();
}

void TVirtualListView::SetItems(std::unique_ptr<TVirtItems> items) {
  TIndexListView::SetItemCount(0);
  PauseMeasuring();  // the measuring thread may be reading the old collection
  Items_->View().Detach();
  {
    std::lock_guard guard(ViewLock_);
    CurrentItem_ = nullptr;
  }
  Items_ = items ? std::move(items) : std::make_unique<TVirtItems>();
  Items_->View().Attach(&Poster_);
  SyncViewCount();
}

void TVirtualListView::SyncViewCount() {
  TIndexListView::SetItemCount(Items_->Count());
}

TItemRef<TVirtItem> TVirtualListView::ItemAtRow(std::int32_t row) const {
  return TItemRef<TVirtItem>(Items_->AcquireItemAt(row));
}

QString TVirtualListView::RowText(std::int32_t row, std::int32_t column) const {
  const TItemRef<TVirtItem> item = ItemAtRow(row);
  if (!item) return {};
  TReadLock read(Items_->Lock());
  return ItemText(item.get(), column);
}

QString TVirtualListView::ItemText(const TVirtItem*, std::int32_t) const {
  return {};
}

bool TVirtualListView::IsParentRow(std::int32_t row) const {
  return RowText(row, 0) == QStringLiteral("..");
}

bool TVirtualListView::CanCheck(std::int32_t row) const {
  return row >= 0 && row < Count() && !IsParentRow(row);
}

void TVirtualListView::ToggleCheck(std::int32_t row) {
  if (const TItemRef<TVirtItem> item = ItemAtRow(row)) item->ToggleChecked();
}

std::string TVirtualListView::SelectedKey() const {
  const TItemRef<TVirtItem> item = ItemAtRow(ItemIndex());
  if (!item) return {};
  TReadLock read(Items_->Lock());
  return item->GetKey();
}

void TVirtualListView::SelectKey(const std::string& key) {
  if (!key.empty()) {
    std::lock_guard guard(ViewLock_);
    CurrentKey_ = key;
  }
  const std::int32_t row = Items_->IndexOfKey(key);
  if (row >= 0) SetItemIndex(row);
}

void TVirtualListView::SetPendingKey(const std::string& key) {
  if (key.empty()) return;
  std::lock_guard guard(ViewLock_);
  PendingKey_ = key;
  PendingKeyValid_ = true;
}

void TVirtualListView::Reselect() {
  TReselectState state;
  state.Count = Count();
  std::string pending, currentKey;
  bool pendingValid;
  const TVirtItem* current;
  {
    std::lock_guard guard(ViewLock_);
    pendingValid = std::exchange(PendingKeyValid_, false);
    pending = PendingKey_;
    current = CurrentItem_;
    currentKey = CurrentKey_;
    state.CurrentIndex = CurrentIndex_;
  }
  if (pendingValid) state.PendingKeyRow = Items_->IndexOfKey(pending);
  if (state.PendingKeyRow < 0 && state.Count > 1) {
    state.CurrentItemRow = current ? Items_->IndexOf(current) : -1;
    if (state.CurrentItemRow < 0) state.CurrentKeyRow = Items_->IndexOfKey(currentKey);
  }
  const std::int32_t row = ReselectRow(state);
  if (row >= 0) SetItemIndex(row);
}

void TVirtualListView::DeleteSelected() {
  std::vector<std::int32_t> rows;
  for (const QItemSelectionRange& range : selectionModel()->selection())
    for (int row = range.top(); row <= range.bottom(); ++row) rows.push_back(row);
  std::sort(rows.rbegin(), rows.rend());
  Items_->BeginUpdate();
  try {
    for (std::int32_t row : rows)
      if (row < Items_->RawCount()) Items_->Delete(row);
  } catch (...) {
    Items_->EndUpdate();
    throw;
  }
  Items_->EndUpdate();
}

const TVirtItem* TVirtualListView::CurrentItem() const {
  std::lock_guard guard(ViewLock_);
  return CurrentItem_;
}

void TVirtualListView::ItemActivated(std::int32_t row) {
  if (OnItemActivate) OnItemActivate(row);
}

void TVirtualListView::SelectItem(TVirtItem* item) {
  TReadLock read(Items_->Lock());
  if (OnSelectItem) OnSelectItem(item);
}

void TVirtualListView::ShowCurrent(std::int32_t row) {
  if (row < 0) return;
  const TItemRef<TVirtItem> item = ItemAtRow(row);
  if (!item) return;
  TReadLock read(Items_->Lock());
  {
    std::lock_guard guard(ViewLock_);
    CurrentItem_ = item.get();
    CurrentIndex_ = row;
    CurrentKey_ = item->GetKey();
  }
  SelectItem(item.get());
  RedrawRows(row, row);
}

void TVirtualListView::FocusedSelected(std::int32_t row) {
  ShowCurrent(row);
}

void TVirtualListView::RangeStateChanged(std::int32_t first, std::int32_t last, bool wasSelected,
                                         bool nowSelected) {
  if (!wasSelected && nowSelected) Items_->CheckRange(std::min(first, last), std::max(first, last));
}

void TVirtualListView::UpdatingChanged(bool opening) {
  if (opening) {
    Items_->BeginViewUpdate();
    TIndexListView::UpdatingChanged(true);
    return;
  }
  Items_->EndViewUpdate();
  SyncViewCount();
  RequestMeasure();
  Items_->Recount();
  TIndexListView::UpdatingChanged(false);
  if (OnItemsChanged) OnItemsChanged();
}

void TVirtualListView::ItemsChanged() {
  Poster_.ChangedQueued = false;  // a change after this point posts again
  SyncViewCount();
  RequestMeasure();
  Items_->Recount();
  RedrawVisible();
  if (OnItemsChanged) OnItemsChanged();
}

void TVirtualListView::customEvent(QEvent* event) {
  switch (static_cast<int>(event->type())) {
    case WM_ITEMS_LOADING: break;
    case WM_ITEMS_CHANGED: ItemsChanged(); break;
    case WM_ITEMS_RESELECT: Reselect(); break;
    case WM_ITEMS_SELECT_CURRENT:
      ShowCurrent(ItemIndex());
      break;  // the event's end completes the send
    case WM_ITEMS_STATUS:
      if (OnStatusText) OnStatusText(QString::fromStdU16String(Items_->StatusText()));
      break;
    case QUENBY_SET_COUNT:
      Poster_.CountQueued = false;
      TIndexListView::SetItemCount(Poster_.LatestCount);
      break;
    case QUENBY_REPAINT: RedrawVisible(); break;
    default: TIndexListView::customEvent(event);
  }
}

void TVirtualListView::keyPressEvent(QKeyEvent* event) {
  const auto mods = event->modifiers() & ~Qt::KeypadModifier;
  const std::int32_t index = ItemIndex();
  if (mods == Qt::NoModifier) {
    switch (event->key()) {
      case Qt::Key_Backspace: GoUp(); return;
      case Qt::Key_Return:
      case Qt::Key_Enter:
        if (index >= 0) ItemActivated(index);
        return;
      case Qt::Key_Space:
        // Qt's own Space would toggle the selection; here it toggles Checked.
        if (index >= 0) {
          if (CanCheck(index))
            ToggleCheck(index);
          else if (Beep)
            Beep();
        }
        return;
      default: break;
    }
  }
  if ((mods == Qt::NoModifier || mods == Qt::ShiftModifier) && Beep) {
    const int key = event->key();
    const bool up = key == Qt::Key_PageUp || key == Qt::Key_Home || key == Qt::Key_Up;
    const bool down = key == Qt::Key_PageDown || key == Qt::Key_End || key == Qt::Key_Down;
    if ((up && index <= 0) || (down && index + 1 == Count())) Beep();
  }
  TIndexListView::keyPressEvent(event);
}

void TVirtualListView::mouseDoubleClickEvent(QMouseEvent* event) {
  // Opened explicitly: desktops that activate items on a single click would
  // otherwise open a message on every click.
  TIndexListView::mouseDoubleClickEvent(event);
  const std::int32_t index = ItemIndex();
  if (index >= 0) ItemActivated(index);
}

// ---- TPoster: runs on any thread, so it only posts ----

void TVirtualListView::TPoster::PostNotification(int code) {
  if (code == WM_ITEMS_CHANGED && ChangedQueued.exchange(true)) return;
  PostEvent(View_, new TItemsEvent(code));
}

void TVirtualListView::TPoster::SendNotification(int code,
                                                 std::shared_ptr<TSendCompletion> completion) {
  PostEvent(View_, new TSentItemsEvent(code, std::move(completion)));
}

void TVirtualListView::TPoster::SetItemCount(std::int32_t count) {
  // Deferred even on the GUI thread: a stale-count repair comes from inside
  // a row request, where Qt must not see rows removed.
  PostItemCount(count);
}

void TVirtualListView::TPoster::PostItemCount(std::int32_t count) {
  LatestCount = count;
  if (!CountQueued.exchange(true)) PostEvent(View_, new TItemsEvent(QUENBY_SET_COUNT));
}

void TVirtualListView::TPoster::PostFullRefresh() {
  PostEvent(View_, new TItemsEvent(QUENBY_REPAINT));
}

void TVirtualListView::TPoster::PostRepaintVisible() {
  PostEvent(View_, new TItemsEvent(QUENBY_REPAINT));
}

void TVirtualListView::TPoster::ItemRemoved(const TVirtItem* item) {
  std::lock_guard guard(View_->ViewLock_);
  if (item == View_->CurrentItem_) View_->CurrentItem_ = nullptr;
}

}  // namespace quenby
