#include "memory/FastMemory.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace quenby {
namespace {

void* SystemGetMem(std::size_t size) {
  return std::malloc(size);
}
int SystemFreeMem(void* p) {
  std::free(p);
  return 0;
}
void* SystemReallocMem(void* p, std::size_t size) {
  return std::realloc(p, size);
}

constexpr std::int64_t kSmallMax = 32;
constexpr std::int64_t kMediumMax = 256;

}  // namespace

TMemoryManager SystemMemoryManager() noexcept {
  return {SystemGetMem, SystemFreeMem, SystemReallocMem};
}

TFastMemory::~TFastMemory() {
  if (!Pages_.RegionSize()) return;
  Big_.DoneBigHeap();
  Small_.DoneSmallHeap();
  Medium_.DoneMediumHeap();
  Pages_.DonePageHeap();
}

bool TFastMemory::InstallFastMemory(std::size_t megabytes, int smallArenas, int mediumArenas,
                                    const TMemoryManager& remembered) {
  Remembered_ = remembered;
  if (!Pages_.InitPageHeap(megabytes)) return false;
  Small_.InitSmallHeap(smallArenas);
  Medium_.InitMediumHeap(mediumArenas);
  Big_.InitBigHeap();
  Installed_.store(true, std::memory_order_release);
  return true;
}

void* TFastMemory::FastGetMem(std::int64_t size) noexcept {
  if (size <= 0) return nullptr;
  const auto n = static_cast<std::size_t>(size);
  if (!Installed_.load(std::memory_order_relaxed)) return Remembered_.GetMem(n);
  void* p = size <= kSmallMax    ? Small_.SmallGetMem(n)
            : size <= kMediumMax ? Medium_.MediumGetMem(n)
                                 : Big_.BigGetMem(n);
  // A full region must not fail the program: a reader of a huge mailbox
  // needs more than the region holds.
  return p ? p : Remembered_.GetMem(n);
}

int TFastMemory::FastFreeMem(void* p) noexcept {
  if (!Pages_.InPageHeap(p)) return Remembered_.FreeMem(p);
  switch (Pages_.PageClassOf(p)) {
    case pcSmall: return Small_.SmallFreeMem(p);
    case pcMedium: return Medium_.MediumFreeMem(p);
    case pcBig: return Big_.BigFreeMem(p);
    case pcFree: break;
  }
  return 1;
}

void* TFastMemory::FastReallocMem(void* p, std::int64_t size) noexcept {
  if (size <= 0) return nullptr;
  const auto n = static_cast<std::size_t>(size);
  if (!Pages_.InPageHeap(p)) return Remembered_.ReallocMem(p, n);
  bool mustMove;
  std::size_t oldUsable;
  switch (Pages_.PageClassOf(p)) {
    case pcSmall: mustMove = Small_.SmallResize(p, n, oldUsable); break;
    case pcMedium: mustMove = Medium_.MediumResize(p, n, oldUsable); break;
    case pcBig: mustMove = Big_.BigResize(p, n, oldUsable); break;
    default: return nullptr;
  }
  if (!mustMove) return p;
  void* q = FastGetMem(size);
  if (!q) return nullptr;  // the old block stays valid, as realloc promises
  std::memcpy(q, p, std::min(oldUsable, n));
  FastFreeMem(p);
  return q;
}

}  // namespace quenby
