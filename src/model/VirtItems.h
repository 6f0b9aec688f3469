#pragma once
// The item and collection behind a virtual (owner-data) list view.

#include <cstdint>
#include <string>

#include "model/ItemsView.h"
#include "model/SyncList.h"

namespace quenby {

class TVirtItems;

class TVirtItem : public TSyncItem {
 public:
  explicit TVirtItem(TVirtItems* owner);

  std::int32_t Indent = 0;
  std::int32_t ImageIndex = -1;
  std::int32_t StateIndex = -1;

  bool Checked() const { return Checked_; }
  void SetChecked(bool value);
  void ToggleChecked() { SetChecked(!Checked()); }

  // Identifies the item across reloads of the same folder; empty by default.
  virtual std::string GetKey() const;

  TVirtItems* VirtOwner() const;

 private:
  bool Checked_ = false;  // guarded by the owner's lock
};

class TVirtItems : public TSyncObjList {
 public:
  TVirtItems() = default;
  ~TVirtItems() override;

  // The view attaches itself here and detaches in its destructor.
  TViewNotifier& View() { return View_; }
  bool HasView() const { return View_.HasView(); }

  TVirtItem* ItemAt(std::int32_t i) const;  // nil outside 0..Count-1, no error
  // In range: AcquireItem (the caller must Release). Out of range: the view
  // shows a stale count; it is repaired and nil returned.
  TVirtItem* AcquireItemAt(std::int32_t i);

  void PostToView(int code) { View_.Post(code); }
  bool SendToView(int code, const std::function<bool()>& cancelled = {}) {
    return View_.Send(code, cancelled);
  }
  void SyncViewCount();

  void Clear() override;
  void Changed() override;
  // Called by the view after updates; the default counts Checked items.
  virtual std::int32_t Recount();
  void CheckRange(std::int32_t first, std::int32_t last);
  // First position whose key equals key, else the first equal ignoring
  // case; -1 if none.
  std::int32_t IndexOfKey(const std::string& key) const;

  std::u16string StatusText() const;
  void SetStatusText(std::u16string text);

 protected:
  void Notify(TObject* p, TListNotification action) override;

 private:
  TViewNotifier View_;
  std::u16string StatusText_;
};

}  // namespace quenby
