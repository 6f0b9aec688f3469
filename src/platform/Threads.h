#pragma once
// Thread identity. glibc hands a new thread the std::thread::id of one that
// has ended, so per-thread state is keyed by a serial number that is never
// reused within the process.

#include <cstdint>

namespace quenby {

using TThreadSerial = std::uint64_t;

// The calling thread's serial number (the first call on a thread assigns it).
TThreadSerial CurrentThreadSerial() noexcept;

// The thread that ran static initialisation, i.e. main(): recorded at load
// time so that core code knows the main thread without a QApplication.
TThreadSerial MainThreadSerial() noexcept;
bool IsMainThread() noexcept;

}  // namespace quenby
