#pragma once
// The heaps' lock. It must never allocate (it guards the allocator itself),
// and an uncontended acquire is one exchange and a release one store, which
// is cheaper than a pthread mutex on the allocation path. Under contention it
// spins briefly and then yields, because the machines it runs on may have
// fewer cores than busy threads.

#include <atomic>

#include <sched.h>

namespace quenby {

class TSpinLock {
 public:
  void lock() noexcept {
    for (int spins = 0; Locked_.exchange(true, std::memory_order_acquire); ++spins) {
      while (Locked_.load(std::memory_order_relaxed)) {
        if (++spins > 64) {
          sched_yield();
          spins = 0;
        } else {
#if defined(__x86_64__) || defined(__i386__)
          __builtin_ia32_pause();
#endif
        }
      }
    }
  }
  void unlock() noexcept {
    Locked_.store(false, std::memory_order_release);
  }

 private:
  std::atomic<bool> Locked_{false};
};

}  // namespace quenby
