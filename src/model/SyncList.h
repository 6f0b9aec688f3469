#pragma once
// Owning lists of objects under one multi-reader/single-writer lock, and
// reference-counted items whose destruction is deferred while another
// thread still holds them.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "model/MultiReadSync.h"

namespace quenby {

// Root of everything a TSyncList can own.
class TObject {
 public:
  virtual ~TObject() = default;
};

enum class TListNotification { Added, Extracted, Deleted };

// The lock and the critical section of a list. Items share them with their
// list, so that an item removed while another thread holds it can still be
// read and released after the list itself is gone.
struct TSyncLocks {
  TMultiReadExclusiveWriteSynchronizer Lock;
  std::mutex Guard;  // the free-or-mark-deleted decision, reads of UpdateCount
};

class TSyncList {
 public:
  TSyncList();
  virtual ~TSyncList();
  TSyncList(const TSyncList&) = delete;
  TSyncList& operator=(const TSyncList&) = delete;

  std::int32_t Count() const;
  TObject* Items(std::int32_t i) const;  // raises EListError outside 0..Count-1
  TObject* RawItems(std::int32_t i) const { return List_[static_cast<std::size_t>(i)]; }
  std::int32_t RawCount() const { return static_cast<std::int32_t>(List_.size()); }

  std::int32_t Add(TObject* p);  // through the virtual Insert, inside the write lock
  virtual void Insert(std::int32_t i, TObject* p);
  virtual void Delete(std::int32_t i);
  void Move(std::int32_t from, std::int32_t to);
  std::int32_t Remove(TObject* p);
  virtual void Clear();
  virtual std::int32_t IndexOf(const TObject* p) const;

  void BeginRead() const { Locks_->Lock.BeginRead(); }
  void EndRead() const { Locks_->Lock.EndRead(); }
  void BeginWrite() const { Locks_->Lock.BeginWrite(); }
  void EndWrite() const { Locks_->Lock.EndWrite(); }
  TMultiReadExclusiveWriteSynchronizer& Lock() const { return Locks_->Lock; }

 protected:
  // Called for every element that enters or leaves the list, under the write
  // lock. The default frees a deleted element.
  virtual void Notify(TObject* p, TListNotification action);
  void CheckIndex(std::int32_t i) const;
  // Stable, under the write lock; less must not touch the list.
  void StableSortRaw(const std::function<bool(const TObject*, const TObject*)>& less);

  std::shared_ptr<TSyncLocks> Locks_;

 private:
  std::vector<TObject*> List_;
};

class TSyncObjList;

class TSyncItem : public TObject {
 public:
  explicit TSyncItem(TSyncObjList* owner);  // raises on a nil owner
  ~TSyncItem() override;

  TSyncObjList* Owner() const { return Owner_; }
  std::int32_t RefCount() const { return RefCount_.load(); }
  bool Deleted() const { return Deleted_; }

  // An item has no lock of its own: its fields are guarded by its list's.
  void BeginRead() const { Locks_->Lock.BeginRead(); }
  void EndRead() const { Locks_->Lock.EndRead(); }
  void BeginWrite() const { Locks_->Lock.BeginWrite(); }
  void EndWrite() const { Locks_->Lock.EndWrite(); }

  void AddRef() { RefCount_.fetch_add(1); }
  // Drops a reference; frees the item when it was the last one of an item
  // already removed from its list. The item may be gone on return.
  void Release();
  std::int32_t IndexInOwner() const;

 private:
  friend class TSyncObjList;
  TSyncObjList* Owner_;
  std::shared_ptr<TSyncLocks> Locks_;
  std::atomic<std::int32_t> RefCount_{0};
  bool Deleted_ = false;  // guarded by Locks_->Guard
};

// Binary search for the place of element n among the sorted elements 0..n-1.
// Equal elements go after the equal element the search meets first.
std::int32_t InsertPosition(std::int32_t n,
                            const std::function<int(std::int32_t, std::int32_t)>& compare);

class TSyncObjList : public TSyncList {
 public:
  TSyncObjList() = default;
  ~TSyncObjList() override;

  TSyncItem* ItemAt(std::int32_t i) const;       // Items(i) as an item; no reference
  TSyncItem* AcquireItem(std::int32_t i) const;  // nil for a Deleted item; caller Releases
  TSyncItem* RawItemAt(std::int32_t i) const { return static_cast<TSyncItem*>(RawItems(i)); }

  void BeginUpdate();
  void EndUpdate();
  // A view's own update bracket: the list counts as updating (no repaints
  // are asked for) without the view holding the write lock. Kept apart from
  // UpdateCount, so that a writer's outermost EndUpdate still fires Changed.
  void BeginViewUpdate() { ViewUpdateCount_.fetch_add(1); }
  void EndViewUpdate() { ViewUpdateCount_.fetch_sub(1); }
  bool IsUpdating() const;

  virtual void Changed();
  // Stable, by CompareItems, in n log n comparisons.
  virtual void Sort();
  virtual int CompareIndexes(std::int32_t i, std::int32_t j) const;
  virtual int CompareItems(const TSyncItem* a, const TSyncItem* b) const;
  virtual std::int32_t Reposition(std::int32_t i);
  // Compares the item at i with the key the subclass keeps for Find:
  // negative when the item sorts before the key.
  virtual int CompareKey(std::int32_t i) const;
  bool Find(std::int32_t& position) const;

  std::int32_t ExcludedIndex() const { return ExcludedIndex_; }

  std::function<void(TSyncObjList*)> OnChange;

 protected:
  void Notify(TObject* p, TListNotification action) override;

 private:
  friend class TSyncItem;
  static void ReleaseDeleted(TSyncItem* item);

  std::atomic<std::int32_t> UpdateCount_{0};
  std::atomic<std::int32_t> ViewUpdateCount_{0};
  std::int32_t ExcludedIndex_ = -1;
};

// Scoped AcquireItem/Release.
template <class T>
class TItemRef {
 public:
  TItemRef() = default;
  explicit TItemRef(T* item) : Item_(item) {}
  ~TItemRef() { Reset(); }
  TItemRef(TItemRef&& other) noexcept : Item_(std::exchange(other.Item_, nullptr)) {}
  TItemRef& operator=(TItemRef&& other) noexcept {
    if (this != &other) {
      Reset();
      Item_ = std::exchange(other.Item_, nullptr);
    }
    return *this;
  }
  T* get() const { return Item_; }
  T* operator->() const { return Item_; }
  explicit operator bool() const { return Item_ != nullptr; }
  void Reset() {
    if (Item_) std::exchange(Item_, nullptr)->Release();
  }

 private:
  T* Item_ = nullptr;
};

}  // namespace quenby
