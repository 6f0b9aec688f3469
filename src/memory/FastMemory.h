#pragma once
// The page heap and the three size-class heaps as one memory manager:
// requests are dispatched by size, releases and resizes by the page that
// holds the block. Blocks this manager did not hand out (allocated before it
// was installed, or while its region was full) belong to the remembered
// manager and go back to it, recognised by their address.

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "memory/FastMemBig.h"
#include "memory/FastMemMedium.h"
#include "memory/FastMemSmall.h"
#include "memory/PageHeap.h"

namespace quenby {

// A manager's three operations; the release answers 0 when done.
struct TMemoryManager {
  void* (*GetMem)(std::size_t size);
  int (*FreeMem)(void* p);
  void* (*ReallocMem)(void* p, std::size_t size);
};

// malloc, free and realloc.
TMemoryManager SystemMemoryManager() noexcept;

class TFastMemory {
 public:
  TFastMemory() = default;
  TFastMemory(const TFastMemory&) = delete;
  TFastMemory& operator=(const TFastMemory&) = delete;
  // Shuts the heaps down and releases the region; the process-wide manager
  // is never destroyed, because blocks of it are freed after every static
  // destructor has run.
  ~TFastMemory();

  // Sets the heaps up and starts serving; false (and the remembered manager
  // serves everything) when the region cannot be reserved.
  bool InstallFastMemory(std::size_t megabytes, int smallArenas, int mediumArenas,
                         const TMemoryManager& remembered);
  // New requests go to the remembered manager from now on; the heaps stay,
  // so that a block of this manager released later still finds its heap.
  void RemoveFastMemory() noexcept { Installed_.store(false, std::memory_order_release); }
  bool Installed() const noexcept { return Installed_.load(std::memory_order_acquire); }

  // nil for a size of 0 or below; a request no heap can serve goes to the
  // remembered manager.
  void* FastGetMem(std::int64_t size) noexcept;
  // 0 done, 1 not a block of this manager (nor of the remembered one).
  int FastFreeMem(void* p) noexcept;
  // The block now holding the data, or nil (and p still valid) when no
  // memory is left or the address is not a block in use.
  void* FastReallocMem(void* p, std::int64_t size) noexcept;

  TPageHeap& PageHeap() noexcept { return Pages_; }
  TFastMemBig& BigHeap() noexcept { return Big_; }
  TFastMemSmall& SmallHeap() noexcept { return Small_; }
  TFastMemMedium& MediumHeap() noexcept { return Medium_; }

 private:
  TPageHeap Pages_;
  TFastMemSmall Small_{Pages_};
  TFastMemMedium Medium_{Pages_};
  TFastMemBig Big_{Pages_};
  TMemoryManager Remembered_ = SystemMemoryManager();
  std::atomic<bool> Installed_{false};
};

}  // namespace quenby
