#include "platform/Threads.h"

#include <atomic>

namespace quenby {

namespace {
std::atomic<TThreadSerial> NextSerial{1};
const TThreadSerial MainSerial = CurrentThreadSerial();
}  // namespace

TThreadSerial CurrentThreadSerial() noexcept {
  thread_local const TThreadSerial serial = NextSerial.fetch_add(1, std::memory_order_relaxed);
  return serial;
}

TThreadSerial MainThreadSerial() noexcept {
  return MainSerial;
}

bool IsMainThread() noexcept {
  return CurrentThreadSerial() == MainSerial;
}

}  // namespace quenby
