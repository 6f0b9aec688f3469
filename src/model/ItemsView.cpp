#include "model/ItemsView.h"

#include <chrono>

#include "platform/Threads.h"

namespace quenby {

void TSendCompletion::Done() {
  {
    std::lock_guard guard(Mutex_);
    Done_ = true;
  }
  Cond_.notify_all();
}

bool TSendCompletion::Wait(const std::function<bool()>& cancelled) {
  // A break request arrives as a flag, not as a notification of this
  // condition variable, so the wait looks at it every few milliseconds.
  std::unique_lock guard(Mutex_);
  while (!Done_) {
    if (cancelled && cancelled()) return false;
    Cond_.wait_for(guard, std::chrono::milliseconds(10));
  }
  return true;
}

void TViewNotifier::Attach(IItemsView* view) {
  std::lock_guard guard(Mutex_);
  View_ = view;
}

bool TViewNotifier::HasView() const {
  std::lock_guard guard(Mutex_);
  return View_ != nullptr;
}

void TViewNotifier::Post(int code) {
  WithView([code](IItemsView& v) { v.PostNotification(code); });
}

bool TViewNotifier::Send(int code, const std::function<bool()>& cancelled) {
  auto completion = std::make_shared<TSendCompletion>();
  bool sent = false;
  WithView([&](IItemsView& v) {
    v.SendNotification(code, completion);
    sent = true;
  });
  // The wait happens outside the notifier's mutex, so the view can detach.
  return sent && completion->Wait(cancelled);
}

void TViewNotifier::SyncCount(std::int32_t count) {
  const bool main = IsMainThread();
  WithView([&](IItemsView& v) {
    if (main)
      v.SetItemCount(count);
    else
      v.PostItemCount(count);
  });
}

void TViewNotifier::PostItemCount(std::int32_t count) {
  WithView([count](IItemsView& v) { v.PostItemCount(count); });
}

void TViewNotifier::PostFullRefresh() {
  WithView([](IItemsView& v) { v.PostFullRefresh(); });
}

void TViewNotifier::PostRepaintVisible() {
  WithView([](IItemsView& v) { v.PostRepaintVisible(); });
}

void TViewNotifier::ItemRemoved(const TVirtItem* item) {
  WithView([item](IItemsView& v) { v.ItemRemoved(item); });
}

}  // namespace quenby
