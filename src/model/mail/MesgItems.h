#pragma once
// One line of a message list (TMesgItem) and the collection behind a message
// list view (TMesgItems), the base that every store derives from. Items hold
// only the header fields; the message itself stays in the store and is read
// again on demand.

#include <array>
#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "model/VirtItems.h"
#include "model/mail/MailColumns.h"
#include "model/mail/MesgDrag.h"
#include "text/MimeMessage.h"
#include "text/Subjects.h"

namespace quenby {

class TStream;

enum TMesgFlag : std::uint8_t {
  mfAttachment = 1 << 0,
  mfAnswered = 1 << 1,
  mfFlagged = 1 << 2,
  mfDraft = 1 << 3,
  mfSeen = 1 << 4,
};
using TMesgFlags = std::uint8_t;

class TMesgItems;

class TMesgItem : public TVirtItem {
 public:
  explicit TMesgItem(TMesgItems* owner);

  // Guarded by the list's lock. Texts are UTF-8.
  std::string Subject;
  std::string FromRealName;
  std::string ToRealName;
  std::string FromEMail;
  std::string ToEmail;
  std::string MsgId;  // Message-ID, else the "Thread-Id" header
  std::string References;
  std::int64_t Size = 0;       // set by the store
  TDateTime DateSent = 0;      // 0 = unknown
  TDateTime DateReceived = 0;  // set by the store; 0 = unknown
  std::uint8_t Priority = mpNormal;
  TMesgFlags Flags = 0;

  void ClearFields();
  // Takes the item's write lock for the whole fill; Size and DateReceived
  // are left to the store.
  void FillFromMessage(const TMimeMessage& message);

  // The subject's sort key. FillFromMessage makes it; the collection makes
  // it again for an item whose Subject changed since, when the item is
  // inserted, repositioned or resorted. A store that sets Subject itself
  // calls this before AddSorted, so that the key is not made under the
  // list's write lock.
  void UpdateSubjectKey();
  // Nil until a key was made.
  const TSubjectKey* SubjectKey() const { return SubjectKeyMade_ ? &SubjectKey_ : nullptr; }

  // The name, without extension, under which the message is saved or
  // dragged out; empty for a message without subject.
  virtual std::string GetFileName() const;
  // Fills message from the stored message, whole or headers only.
  virtual void LoadMessage(TMimeMessage& message, bool headersOnly) const;
  // Writes the stored message, byte for byte.
  virtual void SaveToStream(TStream& stream) const = 0;
  virtual void SaveToFile(const std::string& path) const;

  TMesgItems* MesgOwner() const;

 private:
  void SetSubjectKey(TSubjectKey key);

  TSubjectKey SubjectKey_;
  std::size_t SubjectKeyHash_ = 0;  // of the Subject the key was made from
  bool SubjectKeyMade_ = false;
};

// How a collection orders its items. Set on the main thread, or before a
// load, and followed by Resort.
struct TMesgSortOrder {
  TMessageSort MessageSort = msSubject;
  bool InvertSort = false;
  std::vector<TMailColumnType> Columns;  // for msColumns, in display order
};

// Six counters: the five flags, then the items without mfSeen.
enum class TFlagCounter : int { Attachment, Answered, Flagged, Draft, Seen, Unseen, Count_ };

// Raised by the default QueryDropTarget; the drop target shows what().
class EDropRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TDropTarget {
  bool Accept = false;  // true: the dropped files are copied into Folder
  std::string Folder;
  std::function<void(TStream&)> StreamHandler;  // else: one call per message
};

class TMesgItems : public TVirtItems {
 public:
  // Inserts between two refreshes of the view's count during a load.
  static constexpr std::int32_t kInsertBatch = 129;

  TMesgItems() = default;

  TMesgItem* ItemAt(std::int32_t i) const;  // nil out of range

  void Clear() override;
  void Insert(std::int32_t i, TObject* p) override;
  std::int32_t Recount() override;

  // Takes the write lock: loaders compare under it.
  void SetSortOrder(TMesgSortOrder order);
  TMesgSortOrder SortOrder() const;
  // By the sort mode; ties by DateSent; InvertSort reverses both.
  int CompareItems(const TSyncItem* a, const TSyncItem* b) const override;
  void Sort() override;
  std::int32_t Reposition(std::int32_t i) override;

  void ResetInsertCounter() { InsertCounter_ = 0; }
  void CountFlags(TMesgFlags flags);
  std::int32_t FlagCount(TFlagCounter counter) const {
    return FlagCounts_[static_cast<std::size_t>(counter)].load(std::memory_order_relaxed);
  }

  virtual TDropTarget QueryDropTarget();
  virtual void DeleteMessage(std::int32_t i);
  // The drag data of the given rows, in order.
  virtual void PrepareDrag(const std::vector<std::int32_t>& rows, IMesgDragSink& sink);
  virtual void Refresh() {}
  virtual void Resort() { Sort(); }
  virtual std::int32_t AddSorted(TMesgItem* item);
  virtual void SuspendRefresh() {}
  virtual void ResumeRefresh();

  // The whole message as the writer produces it; either nil does nothing.
  void EncodeMessage(const TMimeMessage* message, TStream* stream) const;
  // For loaders: true when error is a stream error, which becomes the status
  // text and a status notice; false when the loader must rethrow it.
  bool HandleLoadError(std::exception_ptr error);

  // Reused by a loader for each entry; one loading thread at a time.
  TMimeMessage ScratchMessage;

 private:
  std::int32_t InsertCounter_ = 0;  // under the write lock
  TMesgSortOrder SortOrder_;        // written under the write lock
  // Atomic: Recount rewrites them under the read lock, which two readers
  // may hold at once.
  std::array<std::atomic<std::int32_t>, static_cast<std::size_t>(TFlagCounter::Count_)>
      FlagCounts_{};
};

}  // namespace quenby
