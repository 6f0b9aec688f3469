#pragma once
// A list view stand-in that records what a collection tells it.
#include <mutex>
#include <string>
#include <vector>

#include "model/ItemsView.h"

namespace quenby::test {

class TRecordingView : public IItemsView {
 public:
  explicit TRecordingView(TViewNotifier& notifier) : Notifier_(notifier) { Notifier_.Attach(this); }
  ~TRecordingView() override { Notifier_.Detach(); }

  void PostNotification(int code) override { Record("post " + std::to_string(code)); }
  void SendNotification(int code, std::shared_ptr<TSendCompletion> completion) override {
    Record("send " + std::to_string(code));
    std::lock_guard g(Mutex_);
    Pending.push_back(std::move(completion));
  }
  void SetItemCount(std::int32_t count) override { Record("count " + std::to_string(count)); }
  void PostItemCount(std::int32_t count) override { Record("post count " + std::to_string(count)); }
  void PostFullRefresh() override { Record("refresh"); }
  void PostRepaintVisible() override { Record("repaint"); }
  void ItemRemoved(const TVirtItem* item) override {
    std::lock_guard g(Mutex_);
    if (item == CurrentItem) CurrentItem = nullptr;
  }

  std::vector<std::string> Take() {
    std::lock_guard g(Mutex_);
    return std::exchange(Events_, {});
  }

  const TVirtItem* CurrentItem = nullptr;
  std::vector<std::shared_ptr<TSendCompletion>> Pending;
  std::mutex Mutex_;

 private:
  void Record(std::string e) {
    std::lock_guard g(Mutex_);
    Events_.push_back(std::move(e));
  }
  TViewNotifier& Notifier_;
  std::vector<std::string> Events_;
};

}  // namespace quenby::test
