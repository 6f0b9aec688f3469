#include "stores/UnixMesgItems.h"

#include <sys/stat.h>

#include <memory>
#include <vector>

#include "model/MultiReadSync.h"
#include "platform/Errors.h"
#include "stores/MailboxScan.h"
#include "stores/ReadOnlyFile.h"

namespace quenby {
namespace {

bool FileExists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Messages are cut from pieces of the file this large (more for a message
// that does not fit).
constexpr std::size_t kPieceSize = std::size_t{8} << 20;

class TMailboxLoader {
 public:
  TMailboxLoader(TMemMesgItems& items, TExtThread* thread) : Items_(items), Thread_(thread) {}

  void Add(std::string_view bytes, std::int64_t base, const TMailboxSpan& span) {
    const auto text = bytes.substr(static_cast<std::size_t>(span.TextStart),
                                   static_cast<std::size_t>(span.TextEnd - span.TextStart));
    // Nothing to show: a file ending on a separator, or nothing but empty
    // lines (before the first separator, or cut off by a body "From " line).
    if (text.find_first_not_of("\r\n") == std::string_view::npos) return;
    StoredMailboxText(text, Stored_);
    try {
      // One block of the message's own size: memory stays close to the file's.
      const auto size = static_cast<std::int64_t>(Stored_.size());
      auto item = std::make_unique<TMemMesgItem>(
          &Items_, base + span.Offset,
          static_cast<std::int32_t>(std::min<std::int64_t>(size, INT32_MAX)));
      item->Stream.WriteBuffer(Stored_.data(), size);
      item->Stream.ShrinkToFit();
      Message_.Parse(Stored_, true);
      item->Size = size;
      item->FillFromMessage(Message_);
      Items_.AddSorted(item.release());
    } catch (...) {
      if (!Items_.HandleLoadError(std::current_exception())) throw;
    }
    if (Thread_) Thread_->CheckBreak();
  }

 private:
  TMemMesgItems& Items_;
  TExtThread* Thread_;
  TMimeMessage Message_;  // not the list's: the main thread may use that
  std::string Stored_;
};

void ReadMailbox(TMemMesgItems& items, const std::string& path, TExtThread* thread) {
  TReadOnlyFile file;
  file.Open(path);
  TMailboxLoader loader(items, thread);
  std::string buffer(std::min<std::int64_t>(file.Size(), kPieceSize), '\0');
  std::int64_t base = 0;    // file offset of buffer[0]
  std::size_t filled = 0;   // bytes of buffer holding file bytes
  std::int64_t offset = 0;  // next file offset to read
  for (;;) {
    if (filled == buffer.size()) buffer.resize(buffer.size() * 2 + 1);
    const std::int64_t read = file.ReadAt(offset, buffer.data() + filled,
                                          static_cast<std::int64_t>(buffer.size() - filled));
    offset += read;
    filled += static_cast<std::size_t>(read);
    if (base == 0 && IsBinaryMailbox(std::string_view(buffer.data(), filled)))
      throw EStreamError(TStreamErrorKind::Stream, path,
                         "a binary mailbox (JMF6), which is not read");
    const bool atEnd = read == 0 || offset >= file.Size();
    const std::string_view bytes(buffer.data(), filled);
    const std::size_t rest =
        ScanMailbox(bytes, atEnd, [&](const TMailboxSpan& span) { loader.Add(bytes, base, span); });
    if (atEnd) return;
    buffer.erase(0, rest);
    buffer.resize(std::max(buffer.size() + rest, kPieceSize));
    base += static_cast<std::int64_t>(rest);
    filled -= rest;
  }
}

}  // namespace

void LoadMailbox(TMemMesgItems& items, const std::string& path, TExtThread* thread) {
  if (!FileExists(path)) return;
  try {
    ReadMailbox(items, path, thread);
  } catch (...) {
    items.PostToView(WM_ITEMS_CHANGED);
    throw;
  }
  items.PostToView(WM_ITEMS_CHANGED);
}

TUnixMesgItems::~TUnixMesgItems() {
  FreeThread(LoadThread_, true);
}

void TUnixMesgItems::SetMBoxFileName(const std::string& path) {
  if (Loading() || !FileExists(path)) return;
  {
    TWriteLock write(Lock());
    MBoxFileName_ = path;
  }
  Clear();
  TExtThread::Create(&LoadThread_, false, [this, path](TExtThread& thread) {
    try {
      LoadMailbox(*this, path, &thread);
    } catch (const EBreakThread&) {
      throw;
    } catch (...) {
      if (!HandleLoadError(std::current_exception())) throw;
    }
  });
}

}  // namespace quenby
