#include "model/VirtItems.h"

#include "platform/CaseFold.h"

namespace quenby {

TVirtItem::TVirtItem(TVirtItems* owner) : TSyncItem(owner) {}

TVirtItems* TVirtItem::VirtOwner() const {
  return static_cast<TVirtItems*>(Owner());
}

void TVirtItem::SetChecked(bool value) {
  BeginWrite();
  const bool changed = Checked_ != value;
  Checked_ = value;
  EndWrite();
  TVirtItems* owner = VirtOwner();
  if (changed && owner && !owner->IsUpdating()) owner->View().PostRepaintVisible();
}

std::string TVirtItem::GetKey() const {
  return {};
}

TVirtItems::~TVirtItems() {
  // Items leave through this class's Notify while the object is still whole.
  TVirtItems::Clear();
}

TVirtItem* TVirtItems::ItemAt(std::int32_t i) const {
  TReadLock read(Lock());
  if (i < 0 || i >= RawCount()) return nullptr;
  return static_cast<TVirtItem*>(RawItems(i));
}

TVirtItem* TVirtItems::AcquireItemAt(std::int32_t i) {
  {
    // Range check and acquire under one read lock: a shrinking list cannot
    // turn a checked index into an index error.
    TReadLock read(Lock());
    if (i >= 0 && i < RawCount()) return static_cast<TVirtItem*>(AcquireItem(i));
  }
  SyncViewCount();
  return nullptr;
}

void TVirtItems::SyncViewCount() {
  View_.SyncCount(Count());
}

void TVirtItems::Clear() {
  View_.PostItemCount(0);
  View_.PostFullRefresh();
  TSyncObjList::Clear();
}

void TVirtItems::Changed() {
  View_.Post(WM_ITEMS_CHANGED);
  TSyncObjList::Changed();
}

std::int32_t TVirtItems::Recount() {
  TReadLock read(Lock());
  std::int32_t checked = 0;
  for (std::int32_t i = 0; i < RawCount(); ++i)
    if (static_cast<TVirtItem*>(RawItems(i))->Checked()) ++checked;
  return checked;
}

void TVirtItems::CheckRange(std::int32_t first, std::int32_t last) {
  if (last < first) return;
  BeginUpdate();
  try {
    for (std::int32_t i = first; i <= last; ++i)
      if (TVirtItem* item = ItemAt(i)) item->SetChecked(true);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

std::int32_t TVirtItems::IndexOfKey(const std::string& key) const {
  TReadLock read(Lock());
  // An exact match first: on Linux "A.EML" and "a.eml" are two files.
  for (std::int32_t i = 0; i < RawCount(); ++i)
    if (static_cast<TVirtItem*>(RawItems(i))->GetKey() == key) return i;
  for (std::int32_t i = 0; i < RawCount(); ++i)
    if (SameTextUtf8(static_cast<TVirtItem*>(RawItems(i))->GetKey(), key)) return i;
  return -1;
}

std::u16string TVirtItems::StatusText() const {
  TReadLock read(Lock());
  return StatusText_;
}

void TVirtItems::SetStatusText(std::u16string text) {
  TWriteLock write(Lock());
  StatusText_ = std::move(text);
}

void TVirtItems::Notify(TObject* p, TListNotification action) {
  if (action == TListNotification::Deleted) View_.ItemRemoved(static_cast<TVirtItem*>(p));
  TSyncObjList::Notify(p, action);
}

}  // namespace quenby
