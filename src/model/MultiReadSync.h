#pragma once
// The multi-reader/single-writer lock of every synchronised list.
//
// Rules the lists and loaders depend on (neither std::shared_mutex nor
// QReadWriteLock gives all of them):
//  - the writer may take the write lock again and may take read locks;
//  - a reader may take the write lock (promotion): while it waits, its read
//    lock is set aside so that another waiting writer can go first, and it is
//    restored once the write lock is released;
//  - while a writer waits, new readers wait too, but a thread that already
//    holds a read lock is let in again (nested reads never queue behind a
//    waiting writer, or a loader holding a read lock for a whole load would
//    deadlock against itself).

#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "platform/Threads.h"

namespace quenby {

class TMultiReadExclusiveWriteSynchronizer {
 public:
  TMultiReadExclusiveWriteSynchronizer() = default;
  TMultiReadExclusiveWriteSynchronizer(const TMultiReadExclusiveWriteSynchronizer&) = delete;
  TMultiReadExclusiveWriteSynchronizer& operator=(const TMultiReadExclusiveWriteSynchronizer&) =
      delete;

  void BeginRead();
  void EndRead();
  void BeginWrite();
  void EndWrite();

  // True when the calling thread holds the write lock.
  bool IsWriter() const;

 private:
  static constexpr TThreadSerial kNoWriter = 0;

  mutable std::mutex Mutex_;
  std::condition_variable Cond_;
  TThreadSerial Writer_ = kNoWriter;
  std::int32_t WriteDepth_ = 0;
  std::int32_t ActiveReaders_ = 0;  // threads other than the writer that hold read locks
  std::int32_t WaitingWriters_ = 0;
  std::uint64_t WriteGrants_ = 0;  // write locks granted so far
};

// Scoped holders.
class TReadLock {
 public:
  explicit TReadLock(TMultiReadExclusiveWriteSynchronizer& lock) : Lock_(lock) {
    Lock_.BeginRead();
  }
  ~TReadLock() { Lock_.EndRead(); }
  TReadLock(const TReadLock&) = delete;
  TReadLock& operator=(const TReadLock&) = delete;

 private:
  TMultiReadExclusiveWriteSynchronizer& Lock_;
};

class TWriteLock {
 public:
  explicit TWriteLock(TMultiReadExclusiveWriteSynchronizer& lock) : Lock_(lock) {
    Lock_.BeginWrite();
  }
  ~TWriteLock() { Lock_.EndWrite(); }
  TWriteLock(const TWriteLock&) = delete;
  TWriteLock& operator=(const TWriteLock&) = delete;

 private:
  TMultiReadExclusiveWriteSynchronizer& Lock_;
};

}  // namespace quenby
