#pragma once
// The index list view joined to a TVirtItems collection that other threads
// fill. Every row request takes the item afresh, with a reference and the
// collection's read lock; the view keeps no copy of row data. It follows
// the collection's notifications and selects the same item again after a
// reload.

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "controls/IndexListView.h"
#include "model/VirtItems.h"

namespace quenby {

class TVirtualListView : public TIndexListView {
  Q_OBJECT

 public:
  // The view owns its collection; nullptr gives a plain TVirtItems.
  explicit TVirtualListView(std::unique_ptr<TVirtItems> items = nullptr, QWidget* parent = nullptr);
  ~TVirtualListView() override;

  TVirtItems& Items() const { return *Items_; }
  // Replaces the collection; the old one is freed.
  void SetItems(std::unique_ptr<TVirtItems> items);

  TItemRef<TVirtItem> ItemAtRow(std::int32_t row) const;
  bool IsParentRow(std::int32_t row) const;
  bool CanCheck(std::int32_t row) const;
  void ToggleCheck(std::int32_t row);
  std::string SelectedKey() const;
  void SelectKey(const std::string& key);
  // Any thread: the key to select after the next reload. The caller then
  // posts WM_ITEMS_RESELECT.
  void SetPendingKey(const std::string& key);
  void Reselect();
  void DeleteSelected();
  const TVirtItem* CurrentItem() const;

  QString RowText(std::int32_t row, std::int32_t column) const override;

  std::function<void(std::int32_t row)> OnItemActivate;
  std::function<void()> OnItemsChanged;
  std::function<void(TVirtItem* item)> OnSelectItem;
  std::function<void(const QString& text)> OnStatusText;
  std::function<void()> Beep;  // QApplication::beep unless replaced

  // What the collection tells the view, from any thread: everything is
  // posted to the GUI thread. A member rather than a base class, so that a
  // worker calling it never races with the view's destructor rewriting the
  // view's own virtual table pointer.
  class TPoster : public IItemsView {
   public:
    explicit TPoster(TVirtualListView* view) : View_(view) {}
    void PostNotification(int code) override;
    void SendNotification(int code, std::shared_ptr<TSendCompletion> completion) override;
    void SetItemCount(std::int32_t count) override;
    void PostItemCount(std::int32_t count) override;
    void PostFullRefresh() override;
    void PostRepaintVisible() override;
    void ItemRemoved(const TVirtItem* item) override;

    // A change notice or a count already queued is not queued again: the
    // handler reads the collection's state when it runs, so one notice
    // stands for all that came before it, and a loader that notifies
    // faster than the view handles never floods the event queue.
    std::atomic<bool> ChangedQueued{false};
    std::atomic<bool> CountQueued{false};
    std::atomic<std::int32_t> LatestCount{0};

   private:
    TVirtualListView* View_;
  };

 protected:
  virtual void ItemActivated(std::int32_t row);
  virtual void GoUp() {}
  virtual QString ItemText(const TVirtItem* item, std::int32_t column) const;
  virtual void SelectItem(TVirtItem* item);
  virtual void ShowCurrent(std::int32_t row);

  void RangeStateChanged(std::int32_t first, std::int32_t last, bool wasSelected,
                         bool nowSelected) override;
  void FocusedSelected(std::int32_t row) override;
  void UpdatingChanged(bool opening) override;
  void customEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void SyncViewCount();
  void ItemsChanged();

  TPoster Poster_{this};
  std::unique_ptr<TVirtItems> Items_;
  // ViewLock: what other threads hand over or clear.
  mutable std::mutex ViewLock_;
  const TVirtItem* CurrentItem_ = nullptr;
  std::int32_t CurrentIndex_ = -1;
  std::string CurrentKey_;
  std::string PendingKey_;
  bool PendingKeyValid_ = false;
};

}  // namespace quenby
