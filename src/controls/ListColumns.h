#pragma once
// The columns of an index list view. The view mirrors them onto its
// header; a column is addressed in the header by OrderTag, which survives
// the user's reordering, while its place in the collection follows it.

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace quenby {

enum class TColumnAlignment { Left, Right, Center };

class TListColumns;

class TListColumn {
 public:
  explicit TListColumn(TListColumns* owner, std::int32_t orderTag);

  TColumnAlignment Alignment() const { return Alignment_; }
  void SetAlignment(TColumnAlignment value);
  bool AutoSize() const { return AutoSize_; }
  void SetAutoSize(bool value);
  const QString& Caption() const { return Caption_; }
  void SetCaption(const QString& value);
  std::int32_t MaxWidth() const { return MaxWidth_; }
  void SetMaxWidth(std::int32_t value);
  std::int32_t MinWidth() const { return MinWidth_; }
  void SetMinWidth(std::int32_t value);
  std::int32_t ImageIndex() const { return ImageIndex_; }
  void SetImageIndex(std::int32_t value);
  std::int32_t Width() const { return Width_; }
  // Bound by MinWidth and, when it is positive, by MaxWidth. Negative
  // (automatic) widths are kept as they are.
  void SetWidth(std::int32_t value);

  std::int32_t SavedWidth = 0;
  std::int32_t FitWidth = 90;
  std::int32_t ContentWidth = 260;
  std::int32_t OrderTag;

  void Assign(const TListColumn& other);

 private:
  void Changed(bool wholeHeader);
  template <class T>
  void Update(T& field, const T& value) {
    if (field == value) return;
    field = value;
    Changed(false);
  }

  TListColumns* Owner_;
  TColumnAlignment Alignment_ = TColumnAlignment::Left;
  bool AutoSize_ = false;
  QString Caption_;
  std::int32_t MaxWidth_ = 0;
  std::int32_t MinWidth_ = 0;
  std::int32_t ImageIndex_ = -1;
  std::int32_t Width_ = 90;
};

// The width a dragged divider may leave: at least MinWidth, and at most
// MaxWidth when MaxWidth is positive (0 means no bound).
std::int32_t ClampDraggedWidth(std::int32_t width, std::int32_t minWidth, std::int32_t maxWidth);

class TListColumns {
 public:
  // Called when a column changed: the column, and whether the whole header
  // must be rebuilt (nullptr column: the set of columns changed).
  using TChangeHook = std::function<void(TListColumn*, bool wholeHeader)>;

  explicit TListColumns(TChangeHook onChange = {}) : OnChange_(std::move(onChange)) {}

  std::int32_t Count() const { return static_cast<std::int32_t>(Columns_.size()); }
  TListColumn& operator[](std::int32_t i) { return *Columns_[static_cast<std::size_t>(i)]; }
  const TListColumn& operator[](std::int32_t i) const {
    return *Columns_[static_cast<std::size_t>(i)];
  }
  TListColumn& Add();
  void Delete(std::int32_t i);
  void Clear();
  TListColumn* ByOrderTag(std::int32_t tag);
  // Gives the columns a new collection order; order lists OrderTags.
  void Reorder(const std::vector<std::int32_t>& order);
  // Bracket for many changes at once: one notification at the end.
  void BeginUpdate() { ++Updating_; }
  void EndUpdate();

 private:
  friend class TListColumn;
  void Notify(TListColumn* column, bool wholeHeader);

  TChangeHook OnChange_;
  std::vector<std::unique_ptr<TListColumn>> Columns_;
  int Updating_ = 0;
  bool PendingChange_ = false;
  bool PendingWhole_ = false;
};

}  // namespace quenby
