#include "model/SyncList.h"

#include <algorithm>
#include <stdexcept>

#include "platform/Errors.h"

namespace quenby {

// ---- TSyncList ----

TSyncList::TSyncList() : Locks_(std::make_shared<TSyncLocks>()) {}

TSyncList::~TSyncList() {
  TSyncList::Clear();
}

std::int32_t TSyncList::Count() const {
  TReadLock read(Lock());
  return RawCount();
}

void TSyncList::CheckIndex(std::int32_t i) const {
  if (i < 0 || i >= RawCount()) throw EListError(i);
}

TObject* TSyncList::Items(std::int32_t i) const {
  TReadLock read(Lock());
  CheckIndex(i);
  return RawItems(i);
}

std::int32_t TSyncList::Add(TObject* p) {
  TWriteLock write(Lock());
  const std::int32_t position = RawCount();
  Insert(position, p);
  return position;
}

void TSyncList::Insert(std::int32_t i, TObject* p) {
  TWriteLock write(Lock());
  if (i < 0 || i > RawCount()) throw EListError(i);
  List_.insert(List_.begin() + i, p);
  if (p) Notify(p, TListNotification::Added);
}

void TSyncList::Delete(std::int32_t i) {
  TWriteLock write(Lock());
  CheckIndex(i);
  TObject* p = List_[static_cast<std::size_t>(i)];
  List_.erase(List_.begin() + i);
  if (p) Notify(p, TListNotification::Deleted);
}

void TSyncList::Move(std::int32_t from, std::int32_t to) {
  TWriteLock write(Lock());
  if (from == to) return;
  CheckIndex(from);
  CheckIndex(to);
  auto first = List_.begin();
  if (from < to)
    std::rotate(first + from, first + from + 1, first + to + 1);
  else
    std::rotate(first + to, first + from, first + from + 1);
}

void TSyncList::StableSortRaw(const std::function<bool(const TObject*, const TObject*)>& less) {
  TWriteLock write(Lock());
  std::stable_sort(List_.begin(), List_.end(), less);
}

std::int32_t TSyncList::Remove(TObject* p) {
  TWriteLock write(Lock());
  const std::int32_t i = IndexOf(p);
  if (i >= 0) Delete(i);
  return i;
}

void TSyncList::Clear() {
  TWriteLock write(Lock());
  // Elements leave one at a time, last first, so that a Notify override
  // always sees a consistent list.
  while (!List_.empty()) {
    TObject* p = List_.back();
    List_.pop_back();
    if (p) Notify(p, TListNotification::Deleted);
  }
}

std::int32_t TSyncList::IndexOf(const TObject* p) const {
  if (!p) return -1;
  TReadLock read(Lock());
  const auto it = std::find(List_.begin(), List_.end(), p);
  return it == List_.end() ? -1 : static_cast<std::int32_t>(it - List_.begin());
}

void TSyncList::Notify(TObject* p, TListNotification action) {
  if (action == TListNotification::Deleted) delete p;
}

// ---- TSyncItem ----

TSyncItem::TSyncItem(TSyncObjList* owner) : Owner_(owner) {
  if (!owner) throw std::invalid_argument("invalid create TSyncItem: Owner = nil");
  Locks_ = owner->Locks_;
}

TSyncItem::~TSyncItem() {
  Owner_ = nullptr;
}

void TSyncItem::Release() {
  bool free;
  {
    // The decrement and the Deleted test are one step under the guard that
    // ReleaseDeleted takes, so exactly one side frees the item.
    std::lock_guard guard(Locks_->Guard);
    free = RefCount_.fetch_sub(1) == 1 && Deleted_;
  }
  if (free) delete this;
}

std::int32_t TSyncItem::IndexInOwner() const {
  return Owner_ ? Owner_->IndexOf(this) : -1;
}

// ---- InsertPosition ----

std::int32_t InsertPosition(std::int32_t n,
                            const std::function<int(std::int32_t, std::int32_t)>& compare) {
  if (n <= 0) return n;
  std::int32_t lo = 0;
  std::int32_t hi = n - 1;
  while (lo <= hi) {
    const std::int32_t mid = static_cast<std::int32_t>(
        (static_cast<std::uint32_t>(lo) + static_cast<std::uint32_t>(hi)) / 2);
    const int r = compare(mid, n);
    if (r == 0) return mid + 1;
    if (r > 0)
      hi = mid - 1;
    else
      lo = mid + 1;
  }
  return lo;  // after a last r > 0, lo equals mid
}

// ---- TSyncObjList ----

TSyncObjList::~TSyncObjList() {
  TSyncObjList::Clear();
}

TSyncItem* TSyncObjList::ItemAt(std::int32_t i) const {
  return static_cast<TSyncItem*>(Items(i));
}

TSyncItem* TSyncObjList::AcquireItem(std::int32_t i) const {
  // The read lock spans look-up and AddRef: a writer cannot remove and free
  // the item in between.
  TReadLock read(Lock());
  TSyncItem* item = ItemAt(i);
  if (!item) return nullptr;
  std::lock_guard guard(Locks_->Guard);
  if (item->Deleted_) return nullptr;
  item->AddRef();
  return item;
}

void TSyncObjList::BeginUpdate() {
  UpdateCount_.fetch_add(1);
  BeginWrite();
}

void TSyncObjList::EndUpdate() {
  EndWrite();
  if (UpdateCount_.fetch_sub(1) == 1) Changed();
}

bool TSyncObjList::IsUpdating() const {
  std::lock_guard guard(Locks_->Guard);
  return UpdateCount_.load() > 0 || ViewUpdateCount_.load() > 0;
}

void TSyncObjList::Changed() {
  if (OnChange) OnChange(this);
}

void TSyncObjList::Sort() {
  // A merge sort: insertion by moves costs a quadratic number of element
  // moves, minutes for a million items.
  StableSortRaw([this](const TObject* a, const TObject* b) {
    return CompareItems(static_cast<const TSyncItem*>(a), static_cast<const TSyncItem*>(b)) < 0;
  });
}

int TSyncObjList::CompareIndexes(std::int32_t i, std::int32_t j) const {
  TReadLock read(Lock());
  return CompareItems(ItemAt(i), ItemAt(j));
}

int TSyncObjList::CompareItems(const TSyncItem*, const TSyncItem*) const {
  return 0;
}

std::int32_t TSyncObjList::Reposition(std::int32_t i) {
  TWriteLock write(Lock());
  CheckIndex(i);
  const std::int32_t last = RawCount() - 1;
  std::int32_t position;
  if (i == last) {
    position =
        InsertPosition(i, [this](std::int32_t a, std::int32_t b) { return CompareIndexes(a, b); });
  } else {
    // Search the list as if item i were removed and appended: position `last`
    // stands for item i, positions from i on for their successors.
    struct TExclude {
      std::int32_t& Index;
      ~TExclude() { Index = -1; }
    } exclude{ExcludedIndex_};
    ExcludedIndex_ = i;
    const auto map = [i, last](std::int32_t p) { return p == last ? i : (p >= i ? p + 1 : p); };
    position = InsertPosition(
        last, [&](std::int32_t a, std::int32_t b) { return CompareIndexes(map(a), map(b)); });
  }
  Move(i, position);
  return position;
}

int TSyncObjList::CompareKey(std::int32_t) const {
  return 0;
}

bool TSyncObjList::Find(std::int32_t& position) const {
  TReadLock read(Lock());
  std::int32_t lo = 0;
  std::int32_t hi = RawCount() - 1;
  while (lo <= hi) {
    const std::int32_t mid = lo + (hi - lo) / 2;
    const int r = CompareKey(mid);
    if (r == 0) {
      position = mid;
      return true;
    }
    if (r < 0)
      lo = mid + 1;
    else
      hi = mid - 1;
  }
  position = lo;
  return false;
}

void TSyncObjList::Notify(TObject* p, TListNotification action) {
  if (action == TListNotification::Deleted) ReleaseDeleted(static_cast<TSyncItem*>(p));
}

void TSyncObjList::ReleaseDeleted(TSyncItem* item) {
  bool free;
  {
    std::lock_guard guard(item->Locks_->Guard);
    free = item->RefCount_.load() <= 0;
    if (!free) item->Deleted_ = true;
  }
  if (free) delete item;
}

}  // namespace quenby
