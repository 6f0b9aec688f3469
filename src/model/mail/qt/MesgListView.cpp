#include "model/mail/qt/MesgListView.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <algorithm>
#include <exception>

#include "controls/FileError.h"
#include "model/MultiReadSync.h"
#include "model/mail/qt/FolderTreeView.h"
#include "model/mail/qt/MesgEvents.h"
#include "settings/IniFiler.h"

namespace quenby {

namespace {

class TBusyCursor {
 public:
  TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
  TBusyCursor(const TBusyCursor&) = delete;
  TBusyCursor& operator=(const TBusyCursor&) = delete;
};

// An item of the selection with the row it was found at: the row is
// tried first, the whole list searched only when the item moved.
struct TResolvedItem {
  TItemRef<TMesgItem> Item;
  std::int32_t Row;
};

std::int32_t CurrentIndexOf(const TMesgItems& items, const TResolvedItem& resolved) {
  if (resolved.Row < items.RawCount() && items.RawItems(resolved.Row) == resolved.Item.get())
    return resolved.Row;
  return items.IndexOf(resolved.Item.get());
}

}  // namespace

TMesgListView::TMesgListView(QWidget* parent)
    : TVirtualListView(std::make_unique<TMesgItems>(), parent) {
  SetMultiSelect(true);
  for (const TMailColumnType type : {mcSubject, mcFromRealName, mcFromEmail})
    MailColumns_.AddColumn(type);
  RebuildHeader();
  ApplySortOrder();
  OnColumnsDragged = [this] { HeaderDragged(); };
}

TMesgListView::~TMesgListView() {
  StopMeasuring();  // it calls ItemText, which reads this class's members
}

const TClassInfo& TMesgListView::StaticInfo() {
  using B = TClassBuilder<TMesgListView>;
  static const TOrdinalType sortType = TOrdinalType::Enumeration(
      {"msColumns", "msSubject", "msFrom", "msTo", "msDateSent", "msDateReceived"});
  static const TOrdinalType detailsType =
      TOrdinalType::Enumeration({"ddDateAndTime", "ddOnlyDate", "ddOnlyTime"});
  static const TClassInfo info =
      B("TMesgListView", nullptr)
          .Enum("MessageSort", sortType,
                B::Access(&TMesgListView::MessageSort, &TMesgListView::SetMessageSort), msSubject)
          .Boolean("InvertSort",
                   B::Access(&TMesgListView::InvertSort, &TMesgListView::SetInvertSort), 0)
          .Enum("DateTimeDetails", detailsType,
                B::Access(&TMesgListView::DateTimeDetails, &TMesgListView::SetDateTimeDetails),
                ddDateAndTime)
          .String("MesgName", B::Access(&TMesgListView::MesgName, &TMesgListView::SetMesgName))
          .Build();
  return info;
}

void TMesgListView::DefineIniProperties(TIniFiler& filer, bool reading) {
  auto* collection = dynamic_cast<TPersistent*>(&MesgItems());
  if (!reading) {
    filer.WriteProperties(&MailColumns_);
    if (collection) filer.WriteProperties(collection);
    return;
  }
  TMailColumnsList columns;
  columns.Assign(MailColumns_);
  filer.ReadProperties(&columns);
  SetColumns(columns);
  if (collection) filer.ReadProperties(collection);
}

void TMesgListView::SetItems(std::unique_ptr<TMesgItems> items) {
  // The drag list holds items of the old collection, which goes now.
  DragList_.clear();
  if (!items) items = std::make_unique<TMesgItems>();
  items->SetSortOrder({MessageSort_, InvertSort_, MailColumns_.Types()});
  TVirtualListView::SetItems(std::move(items));
}

void TMesgListView::ApplySortOrder() {
  MesgItems().SetSortOrder({MessageSort_, InvertSort_, MailColumns_.Types()});
}

void TMesgListView::SetColumns(const TMailColumnsList& columns) {
  if (columns.Types() == MailColumns_.Types()) return;
  MailColumns_.Assign(columns);
  RebuildHeader();
  ApplySortOrder();
  if (MessageSort_ == msColumns) MesgItems().Resort();
  RedrawVisible();
}

void TMesgListView::RebuildHeader() {
  {
    std::lock_guard guard(CellLock_);
    TypeOfTag_ = MailColumns_.Types();
  }
  // Column by column, not in an update bracket: the header is rebuilt on
  // each addition, which the bracket would fold into a plain repaint.
  TListColumns& header = TIndexListView::Columns();
  header.Clear();
  for (const TMailColumnType type : MailColumns_.Types()) {
    TListColumn& column = header.Add();
    if (!IsFlagColumn(type)) column.SetCaption(QString::fromStdU16String(MailColumnCaption(type)));
    if (type == mcSize) column.SetAlignment(TColumnAlignment::Right);
  }
}

// The user dragged a header section: the column list takes the new order.
void TMesgListView::HeaderDragged() {
  const TListColumns& header = TIndexListView::Columns();
  TMailColumnsList reordered;
  {
    std::lock_guard guard(CellLock_);
    for (std::int32_t i = 0; i < header.Count(); ++i) {
      const std::int32_t tag = header[i].OrderTag;
      if (tag >= 0 && tag < static_cast<std::int32_t>(TypeOfTag_.size()))
        reordered.AddColumn(TypeOfTag_[static_cast<std::size_t>(tag)]);
    }
  }
  MailColumns_.Assign(reordered);
  ApplySortOrder();
  if (MessageSort_ == msColumns) {
    MesgItems().Resort();
    RedrawVisible();
  }
}

void TMesgListView::SetMessageSort(TMessageSort value) {
  if (value == MessageSort_) return;
  MessageSort_ = value;
  ApplySortOrder();
  MesgItems().Resort();
  Reselect();
  RedrawVisible();
}

void TMesgListView::SetInvertSort(bool value) {
  if (value == InvertSort_) return;
  InvertSort_ = value;
  ApplySortOrder();
  MesgItems().Resort();
  Reselect();
  RedrawVisible();
}

TDateTimeDetails TMesgListView::DateTimeDetails() const {
  std::lock_guard guard(CellLock_);
  return DateTimeDetails_;
}

void TMesgListView::SetDateTimeDetails(TDateTimeDetails value) {
  {
    std::lock_guard guard(CellLock_);
    if (value == DateTimeDetails_) return;
    DateTimeDetails_ = value;
  }
  RedrawVisible();  // a deferred repaint
  RequestMeasure();
}

void TMesgListView::SetMesgName(const std::string& key) {
  SetPendingKey(key);
  SelectKey(key);
}

void TMesgListView::SetFolderTree(TFolderTreeView* tree) {
  if (tree) tree->SetMesgListView(this);
}

QString TMesgListView::ItemText(const TVirtItem* item, std::int32_t column) const {
  TMailColumnType type;
  TDateTimeDetails details;
  {
    std::lock_guard guard(CellLock_);
    if (column < 0 || column >= static_cast<std::int32_t>(TypeOfTag_.size())) return {};
    type = TypeOfTag_[static_cast<std::size_t>(column)];
    details = DateTimeDetails_;
  }
  return QString::fromStdString(
      MailColumnText(*static_cast<const TMesgItem*>(item), type, details));
}

QVariant TMesgListView::RowFont(std::int32_t row) const {
  const TItemRef<TVirtItem> item = ItemAtRow(row);
  if (!item) return {};
  TMesgFlags flags;
  {
    TReadLock read(Items().Lock());
    flags = static_cast<const TMesgItem*>(item.get())->Flags;
  }
  const bool bold = !(flags & mfSeen);
  const bool italic = (flags & mfDraft) != 0;
  if (!bold && !italic) return {};
  QFont f = font();
  f.setBold(bold);
  f.setItalic(italic);
  return f;
}

void TMesgListView::SelectItem(TVirtItem* item) {
  TVirtualListView::SelectItem(item);
  if (!item || !OnSelectMesg) return;
  TReadLock read(Items().Lock());
  OnSelectMesg(this, static_cast<TMesgItem*>(item));
}

void TMesgListView::ItemActivated(std::int32_t row) {
  TVirtualListView::ItemActivated(row);
  if (!OnOpenMesg) return;
  const TItemRef<TVirtItem> item = ItemAtRow(row);
  if (item) OnOpenMesg(this, static_cast<TMesgItem*>(item.get()));
}

std::vector<std::int32_t> TMesgListView::SelectedRows() const {
  std::vector<std::int32_t> rows;
  for (const QItemSelectionRange& range : selectionModel()->selection())
    for (int row = range.top(); row <= range.bottom(); ++row)
      if (row < Count()) rows.push_back(row);
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  return rows;
}

bool TMesgListView::CanCopy() const {
  const IMesgDragService* service = MesgDragService();
  return service && service->IsIdle() && Count() > 0 && SelCount() > 0;
}

bool TMesgListView::CanCut() const {
  return CanCopy() && Modifiable();
}

bool TMesgListView::CanPaste() {
  IMesgDragService* service = MesgDragService();
  if (!Modifiable() || !service || !service->IsIdle()) return false;
  try {
    return service->CanPaste(*this);
  } catch (const EDropRefused&) {
    return false;  // a collection that takes no drops
  }
}

bool TMesgListView::CanDelete() const {
  return Modifiable() && SelCount() > 0;
}

bool TMesgListView::CanSelectAll() const {
  return MesgItems().Count() > 0;
}

void TMesgListView::PrepareDrag(IMesgDragService& service) {
  const std::vector<std::int32_t> rows = SelectedRows();
  // One read lock over both steps: a loader cannot shift the rows between
  // the items kept and the files made.
  TReadLock read(Items().Lock());
  DragList_.clear();
  for (const std::int32_t row : rows)
    if (TVirtItem* item = Items().AcquireItemAt(row))
      DragList_.emplace_back(static_cast<TMesgItem*>(item));
  MesgItems().PrepareDrag(rows, service.DragSink());
}

void TMesgListView::CopyOrCut(bool move) {
  IMesgDragService* service = MesgDragService();
  if (!service) return;
  const TBusyCursor busy;
  PrepareDrag(*service);
  service->CopyToClipboard(StoreKind == kMessageFiles, move);
}

void TMesgListView::Copy() {
  if (CanCopy()) CopyOrCut(false);
}

void TMesgListView::Cut() {
  if (CanCut()) CopyOrCut(true);
}

void TMesgListView::Paste() {
  if (!CanPaste()) return;
  MesgDragService()->Paste(*this);
  MesgItems().Recount();
  Items().SyncViewCount();
  RedrawVisible();
}

void TMesgListView::AnnounceCurrent() {
  ShowCurrent(ItemIndex());
}

void TMesgListView::DeleteSelection() {
  if (!CanDelete()) return;
  // The selection becomes items first: a loader may insert rows while the
  // deletion runs, and a row number would then name another message.
  std::vector<TResolvedItem> selected;
  {
    TReadLock read(Items().Lock());
    for (const std::int32_t row : SelectedRows())
      if (TVirtItem* item = Items().AcquireItemAt(row))
        selected.push_back({TItemRef<TMesgItem>(static_cast<TMesgItem*>(item)), row});
  }
  std::exception_ptr failure;
  BeginUpdate();
  {
    AnnounceCurrent();
    const TBusyCursor busy;
    try {
      MesgItems().SuspendRefresh();
      for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
        TWriteLock write(Items().Lock());
        const std::int32_t i = CurrentIndexOf(MesgItems(), *it);
        if (i >= 0) MesgItems().DeleteMessage(i);
      }
    } catch (...) {
      failure = std::current_exception();
    }
    try {
      MesgItems().ResumeRefresh();
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
  }
  Reselect();
  EndUpdate();
  if (failure) ShowFileError({}, failure);
}

void TMesgListView::DragDone(std::uint32_t first, std::uint32_t second) {
  if ((first & 0xFF) != 1) return;
  std::vector<TItemRef<TMesgItem>> dragged = std::move(DragList_);
  DragList_.clear();
  {
    TWriteLock write(Items().Lock());
    for (auto it = dragged.rbegin(); it != dragged.rend(); ++it) {
      if ((*it)->Owner() != &MesgItems()) continue;
      const std::int32_t i = (*it)->IndexInOwner();
      if (i >= 0) MesgItems().DeleteMessage(i);
    }
  }
  if ((second & 0xFF) != 0)
    if (IMesgDragService* service = MesgDragService()) service->ClearDragData();
  MesgItems().Recount();
  Items().SyncViewCount();
  RedrawVisible();
}

void TMesgListView::customEvent(QEvent* event) {
  try {
    switch (static_cast<int>(event->type())) {
      case WM_ITEMS_REFRESH: MesgItems().Refresh(); return;
      case WM_DRAG_DONE: {
        const auto* e = static_cast<const TMesgNotifyEvent*>(event);
        DragDone(e->First, e->Second);
        return;
      }
      case WM_DROP_STARTED:
        AnnounceCurrent();
        MesgItems().SuspendRefresh();
        return;
      case WM_DROP_FINISHED: MesgItems().ResumeRefresh(); return;
      default: break;
    }
  } catch (...) {
    ShowFileError({}, std::current_exception());
    return;
  }
  TVirtualListView::customEvent(event);
}

void TMesgListView::mousePressEvent(QMouseEvent* event) {
  PressPos_ = event->pos();
  PressOnRow_ = event->button() == Qt::LeftButton && HitTest(event->pos()) >= 0;
  TVirtualListView::mousePressEvent(event);
}

void TMesgListView::mouseMoveEvent(QMouseEvent* event) {
  IMesgDragService* service = MesgDragService();
  if (PressOnRow_ && (event->buttons() & Qt::LeftButton) &&
      (event->pos() - PressPos_).manhattanLength() >= QApplication::startDragDistance()) {
    PressOnRow_ = false;
    if (service && service->IsIdle() && SelCount() > 0) {
      try {
        PrepareDrag(*service);
        service->StartDrag(*this, StoreKind == kMessageFiles);
      } catch (...) {
        ShowFileError({}, std::current_exception());
      }
      return;
    }
  }
  TVirtualListView::mouseMoveEvent(event);
}

}  // namespace quenby
