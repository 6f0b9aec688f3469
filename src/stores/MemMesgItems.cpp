#include "stores/MemMesgItems.h"

#include <algorithm>
#include <memory>

#include "stores/DigestParser.h"

namespace quenby {

TMemMesgItem::TMemMesgItem(TMemMesgItems* owner, std::int64_t key, std::int32_t blockSize)
    : TMesgItem(owner), Stream(blockSize), Key_(key) {}

void TMemMesgItem::LoadMessage(TMimeMessage& message, bool headersOnly) const {
  message.Parse(Stream.ToString(), headersOnly);
}

TDropTarget TMemMesgItems::QueryDropTarget() {
  TDropTarget target;
  target.StreamHandler = [this](TStream& stream) { AddFromStream(stream); };
  return target;
}

void TMemMesgItems::AddFromStream(TStream& stream) {
  try {
    const auto blockSize = static_cast<std::int32_t>(
        std::min<std::int64_t>(stream.Size(), TMemMesgItem::kDefaultBlockSize));
    auto item = std::make_unique<TMemMesgItem>(this, NewKey(), blockSize);
    item->Stream.LoadFromStream(stream);
    item->LoadMessage(ScratchMessage, true);
    item->Size = item->Stream.Size();
    item->FillFromMessage(ScratchMessage);
    AddSorted(item.release());
  } catch (...) {
    if (!HandleLoadError(std::current_exception())) throw;
  }
}

void TMemMesgItems::SplitDigest(TMesgItem* item) {
  if (!item) return;
  // The item may belong to another list, whose loader could delete it.
  item->AddRef();
  const TItemRef<TMesgItem> hold(item);
  TMimeMessage digest;
  item->LoadMessage(digest, false);
  AddDigestParts(digest);
}

void TMemMesgItems::AddDigestParts(const TMimeMessage& digest) {
  TDigestParser parser(&digest);
  for (;;) {
    try {
      if (!parser.NextMessage(ScratchMessage)) break;
      auto item = std::make_unique<TMemMesgItem>(this, NewKey());
      // The text is in place before the item can be seen.
      EncodeMessage(&ScratchMessage, &item->Stream);
      item->Stream.ShrinkToFit();
      item->Size = item->Stream.Size();
      item->FillFromMessage(ScratchMessage);
      AddSorted(item.release());
    } catch (...) {
      if (!HandleLoadError(std::current_exception())) {
        PostToView(WM_ITEMS_CHANGED);
        throw;
      }
    }
  }
  PostToView(WM_ITEMS_CHANGED);
}

}  // namespace quenby
