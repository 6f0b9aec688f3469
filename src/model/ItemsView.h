#pragma once
// How a collection reaches the list view that shows it, without Qt in the
// core. The view implements IItemsView; the collection talks to it only
// through a TViewNotifier, which the view detaches (under the notifier's
// mutex) first thing in its destructor, so nothing reaches a dead view.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

namespace quenby {

class TVirtItem;

// Codes of the numbered notifications between a collection and its view.
enum TItemsNotification : int {
  WM_ITEMS_LOADING = 1371,
  WM_ITEMS_CHANGED = 1372,
  WM_ITEMS_RESELECT = 1373,
  WM_ITEMS_SELECT_CURRENT = 1377,
  WM_ITEMS_FIRST_BATCH = 1383,
  WM_ITEMS_STATUS = 1388,
  WM_UPDATE_STATUS = 1391,
};

// Completion of a "sent" notification: the sender blocks until the view has
// handled it, or until the sender's own break request ends the wait.
class TSendCompletion {
 public:
  void Done();
  // Returns true when handled, false when cancelled() turned true first.
  bool Wait(const std::function<bool()>& cancelled);

 private:
  std::mutex Mutex_;
  std::condition_variable Cond_;
  bool Done_ = false;
};

class IItemsView {
 public:
  virtual ~IItemsView() = default;
  // All of these may be called from any thread, unless noted; an
  // implementation queues them to its own thread, in order.
  virtual void PostNotification(int code) = 0;
  // Must call completion->Done() once handled, or when it is dropped unhandled.
  virtual void SendNotification(int code, std::shared_ptr<TSendCompletion> completion) = 0;
  // Main thread only: sets the row count at once, without invalidating all rows.
  virtual void SetItemCount(std::int32_t count) = 0;
  // Queued form of SetItemCount for worker threads.
  virtual void PostItemCount(std::int32_t count) = 0;
  virtual void PostFullRefresh() = 0;
  virtual void PostRepaintVisible() = 0;
  // An item left the collection: if it is the view's current item, the view
  // forgets it. Called under the collection's write lock; must not block.
  virtual void ItemRemoved(const TVirtItem* item) = 0;
};

class TViewNotifier {
 public:
  void Attach(IItemsView* view);
  void Detach() { Attach(nullptr); }
  bool HasView() const;

  // Each does nothing when no view is attached.
  void Post(int code);
  // Blocks until handled. Never call it while holding a lock of the list:
  // the view's handler may need that lock. Returns false when there was no
  // view or the wait was cancelled.
  bool Send(int code, const std::function<bool()>& cancelled);
  void SyncCount(std::int32_t count);  // direct on the main thread, posted elsewhere
  void PostItemCount(std::int32_t count);
  void PostFullRefresh();
  void PostRepaintVisible();
  void ItemRemoved(const TVirtItem* item);

 private:
  template <class F>
  void WithView(F&& f) const {
    std::lock_guard guard(Mutex_);
    if (View_) f(*View_);
  }

  mutable std::mutex Mutex_;
  IItemsView* View_ = nullptr;
};

}  // namespace quenby
