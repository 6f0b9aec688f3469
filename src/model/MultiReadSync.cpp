#include "model/MultiReadSync.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace quenby {

namespace {

// Read depth of the calling thread for each lock it currently reads.
// A thread holds read locks on very few lists at once, so a short vector
// searched linearly is the cheapest map.
struct TReadDepths {
  std::vector<std::pair<const void*, std::int32_t>> Entries;

  std::int32_t& DepthOf(const void* lock) {
    for (auto& e : Entries)
      if (e.first == lock) return e.second;
    Entries.emplace_back(lock, 0);
    return Entries.back().second;
  }
  void Forget(const void* lock) {
    std::erase_if(Entries, [lock](const auto& e) { return e.first == lock; });
  }
};

thread_local TReadDepths ReadDepths;

}  // namespace

void TMultiReadExclusiveWriteSynchronizer::BeginRead() {
  const TThreadSerial me = CurrentThreadSerial();
  std::int32_t& depth = ReadDepths.DepthOf(this);
  std::unique_lock guard(Mutex_);
  if (Writer_ == me || depth > 0) {
    ++depth;  // the writer reading, or a nested read: never waits
    return;
  }
  Cond_.wait(guard, [this] { return Writer_ == kNoWriter && WaitingWriters_ == 0; });
  ++ActiveReaders_;
  depth = 1;
}

void TMultiReadExclusiveWriteSynchronizer::EndRead() {
  const TThreadSerial me = CurrentThreadSerial();
  std::int32_t& depth = ReadDepths.DepthOf(this);
  std::unique_lock guard(Mutex_);
  if (depth <= 0) {  // unbalanced EndRead: ignore rather than corrupt the counts
    ReadDepths.Forget(this);
    return;
  }
  if (--depth > 0) return;
  ReadDepths.Forget(this);
  if (Writer_ != me && --ActiveReaders_ == 0) {
    guard.unlock();
    Cond_.notify_all();
  }
}

void TMultiReadExclusiveWriteSynchronizer::BeginWrite() {
  const TThreadSerial me = CurrentThreadSerial();
  const bool promoting = ReadDepths.DepthOf(this) > 0;
  std::unique_lock guard(Mutex_);
  if (Writer_ == me) {
    ++WriteDepth_;
    return;
  }
  // A promoting reader sets its read lock aside and lets a writer that was
  // already waiting go first.
  const bool yield = promoting && WaitingWriters_ > 0;
  const std::uint64_t grants = WriteGrants_;
  ++WaitingWriters_;
  if (promoting && --ActiveReaders_ == 0) Cond_.notify_all();
  Cond_.wait(guard, [&] {
    return Writer_ == kNoWriter && ActiveReaders_ == 0 && (!yield || WriteGrants_ != grants);
  });
  --WaitingWriters_;
  ++WriteGrants_;
  Writer_ = me;
  WriteDepth_ = 1;
}

void TMultiReadExclusiveWriteSynchronizer::EndWrite() {
  const TThreadSerial me = CurrentThreadSerial();
  const bool reading = ReadDepths.DepthOf(this) > 0;
  if (!reading) ReadDepths.Forget(this);
  std::unique_lock guard(Mutex_);
  if (Writer_ != me) return;
  if (--WriteDepth_ > 0) return;
  Writer_ = kNoWriter;
  if (reading) ++ActiveReaders_;  // restore the read lock set aside by promotion
  guard.unlock();
  Cond_.notify_all();
}

bool TMultiReadExclusiveWriteSynchronizer::IsWriter() const {
  std::lock_guard guard(Mutex_);
  return Writer_ == CurrentThreadSerial();
}

}  // namespace quenby
