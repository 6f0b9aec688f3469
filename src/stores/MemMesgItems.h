#pragma once
// Message lists without a store behind them: each item holds its whole
// message in memory. They back lists filled by drops and pastes, the
// messages split out of a digest, and Unix mailboxes (TUnixMesgItems).

#include <atomic>
#include <cstdint>
#include <string>

#include "model/FastMemoryStream.h"
#include "model/mail/MesgItems.h"

namespace quenby {

class TMemMesgItems;

class TMemMesgItem : public TMesgItem {
 public:
  static constexpr std::int32_t kDefaultBlockSize = 16384;

  // key: a number unique in the list (a separator's offset, a counter).
  TMemMesgItem(TMemMesgItems* owner, std::int64_t key, std::int32_t blockSize = kDefaultBlockSize);

  // The message text exactly as it is saved.
  TFastMemoryStream Stream;

  std::string GetKey() const override { return std::to_string(Key_); }
  void LoadMessage(TMimeMessage& message, bool headersOnly) const override;
  void SaveToStream(TStream& stream) const override { Stream.SaveToStream(stream); }
  void SaveToFile(const std::string& path) const override { Stream.SaveToFile(path); }

 private:
  std::int64_t Key_;  // a number, not its text: items are many and small
};

class TMemMesgItems : public TMesgItems {
 public:
  // Every dropped or pasted message arrives as one stream.
  TDropTarget QueryDropTarget() override;

  // One item from the whole stream (a dropped message); a message that
  // cannot be read is left out (HandleLoadError) or its error passed on.
  void AddFromStream(TStream& stream);
  // The messages of a digest held by an item of any list; nothing for nil.
  void SplitDigest(TMesgItem* item);
  void AddDigestParts(const TMimeMessage& digest);

  // A key no other item of this list has had.
  std::int64_t NewKey() { return NextKey_.fetch_add(1); }

 private:
  std::atomic<std::int64_t> NextKey_{1};
};

}  // namespace quenby
