#include "controls/ListColumns.h"

#include <algorithm>

namespace quenby {

TListColumn::TListColumn(TListColumns* owner, std::int32_t orderTag)
    : OrderTag(orderTag), Owner_(owner) {}

void TListColumn::Changed(bool wholeHeader) {
  if (Owner_) Owner_->Notify(this, wholeHeader);
}

void TListColumn::SetAlignment(TColumnAlignment value) {
  Update(Alignment_, value);
}

void TListColumn::SetAutoSize(bool value) {
  Update(AutoSize_, value);
}

void TListColumn::SetCaption(const QString& value) {
  Update(Caption_, value);
}

void TListColumn::SetMaxWidth(std::int32_t value) {
  Update(MaxWidth_, value);
}

void TListColumn::SetMinWidth(std::int32_t value) {
  Update(MinWidth_, value);
}

void TListColumn::SetImageIndex(std::int32_t value) {
  Update(ImageIndex_, value);
}

void TListColumn::SetWidth(std::int32_t value) {
  if (Width_ == value) return;
  if (value >= 0 && value < MinWidth_)
    value = MinWidth_;
  else if (MaxWidth_ > 0 && value > MaxWidth_)
    value = MaxWidth_;
  Width_ = value;
  Changed(value < 0);
}

void TListColumn::Assign(const TListColumn& other) {
  SetAlignment(other.Alignment_);
  SetAutoSize(other.AutoSize_);
  SetCaption(other.Caption_);
  SetImageIndex(other.ImageIndex_);
  SetMaxWidth(other.MaxWidth_);
  SetMinWidth(other.MinWidth_);
  SetWidth(other.Width_);
}

std::int32_t ClampDraggedWidth(std::int32_t width, std::int32_t minWidth, std::int32_t maxWidth) {
  if (width < minWidth) return minWidth;
  if (maxWidth > 0 && width >= maxWidth) return maxWidth;
  return width;
}

TListColumn& TListColumns::Add() {
  Columns_.push_back(std::make_unique<TListColumn>(this, Count()));
  Notify(nullptr, true);
  return *Columns_.back();
}

void TListColumns::Delete(std::int32_t i) {
  Columns_.erase(Columns_.begin() + i);
  Notify(nullptr, true);
}

void TListColumns::Clear() {
  if (Columns_.empty()) return;
  Columns_.clear();
  Notify(nullptr, true);
}

TListColumn* TListColumns::ByOrderTag(std::int32_t tag) {
  for (auto& c : Columns_)
    if (c->OrderTag == tag) return c.get();
  return nullptr;
}

void TListColumns::Reorder(const std::vector<std::int32_t>& order) {
  std::vector<std::unique_ptr<TListColumn>> sorted;
  for (std::int32_t tag : order) {
    auto it = std::find_if(Columns_.begin(), Columns_.end(),
                           [tag](const auto& c) { return c && c->OrderTag == tag; });
    if (it != Columns_.end()) sorted.push_back(std::move(*it));
  }
  for (auto& c : Columns_)
    if (c)
      sorted.push_back(std::move(c));  // columns the order did not name keep their place at the end
  Columns_ = std::move(sorted);
}

void TListColumns::EndUpdate() {
  if (--Updating_ > 0 || !PendingChange_) return;
  const bool whole = PendingWhole_;
  PendingChange_ = PendingWhole_ = false;
  if (OnChange_) OnChange_(nullptr, whole);
}

void TListColumns::Notify(TListColumn* column, bool wholeHeader) {
  if (Updating_ > 0) {
    PendingChange_ = true;
    // A column added or removed inside the bracket asks for a new header.
    PendingWhole_ = PendingWhole_ || wholeHeader;
    return;
  }
  if (OnChange_) OnChange_(column, wholeHeader);
}

}  // namespace quenby
