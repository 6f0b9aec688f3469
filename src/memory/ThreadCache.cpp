#include "memory/ThreadCache.h"

namespace quenby {
namespace {

constexpr std::size_t kBigHeader = TFastMemBig::kHeader;
constexpr std::size_t kUnit = TFastMemBig::kUnit;

}  // namespace

static_assert(TThreadCache::kFirstMedium == static_cast<int>(TFastMemSmall::kClassCount));
static_assert(TThreadCache::kFirstBig ==
              TThreadCache::kFirstMedium + static_cast<int>(TFastMemMedium::kClassCount));

// Differs from region to region, so that a stale mark of another manager's
// stock does not read as ours.
std::uint32_t TThreadCache::Key(const TPageHeap& pages) noexcept {
  return static_cast<std::uint32_t>(pages.RegionStart() >> 16) ^ 0x9E3779B9u;
}

std::size_t TThreadCache::TotalCount() const noexcept {
  std::size_t total = 0;
  for (const TBin& bin : Bins_) total += bin.Count;
  return total;
}

int TThreadCache::Free(TFastMemory& memory, void* p) noexcept {
  TPageHeap& pages = memory.PageHeap();
  const auto address = reinterpret_cast<std::uintptr_t>(p);
  int c;
  bool free = false;
  switch (pages.PageClassOf(p)) {
    case pcSmall: c = static_cast<int>(TFastMemSmall::ClassOfSlot(p, free)); break;
    case pcMedium: c = kFirstMedium + static_cast<int>(TFastMemMedium::ClassOfSlot(p, free)); break;
    case pcBig: {
      // Only one-page blocks of 3 to 5 units are stocked; the heap checks
      // any other address. The header is checked, not the closing word: that
      // one lies on another cache line, and reading it cost a third of the
      // release with many live blocks.
      const std::uintptr_t block = address - kBigHeader;
      if (block % kUnit != 0) return 1;
      const std::uint32_t units = Load(block);
      if (units < 3 || units > 5) return memory.FastFreeMem(p);
      if (block % TPageHeap::kPageSize + units * kUnit > TPageHeap::kPageSize) return 1;
      c = kFirstBig + static_cast<int>(units) - 3;
      break;
    }
    default: return 1;
  }
  if (free) return 1;
  const std::uint32_t key = Key(pages);
  if (Load(address + 4) == key && Holds(pages, c, address)) return 1;
  TBin& bin = Bins_[c];
  Store(address, bin.Head);
  Store(address + 4, key);
  bin.Head = pages.ToLink(p);
  if (++bin.Count > kLimit[c]) Drain(memory, c, kLimit[c] / 2);
  return 0;
}

bool TThreadCache::Holds(const TPageHeap& pages, int cacheClass,
                         std::uintptr_t block) const noexcept {
  const std::uint32_t link = pages.ToLink(reinterpret_cast<void*>(block));
  for (std::uint32_t at = Bins_[cacheClass].Head; at != kNil; at = Load(pages.FromLink(at)))
    if (at == link) return true;
  return false;
}

bool TThreadCache::Refill(TFastMemory& memory, int cacheClass) noexcept {
  void* blocks[kMaxBatch];
  const std::uint32_t wanted = kLimit[cacheClass] / 2;
  std::uint32_t got;
  if (cacheClass < kFirstMedium)
    got = memory.SmallHeap().GetBatch(static_cast<std::size_t>(cacheClass), blocks, wanted);
  else if (cacheClass < kFirstBig)
    got = memory.MediumHeap().GetBatch(static_cast<std::size_t>(cacheClass - kFirstMedium), blocks,
                                       wanted);
  else
    got = memory.BigHeap().BigGetBatch(kClassSize[cacheClass] - TFastMemBig::kOverhead, blocks,
                                       wanted);
  // A big block may come out larger than the class (a remainder too small
  // to file stays with it); it still holds the class's requests.
  TPageHeap& pages = memory.PageHeap();
  const std::uint32_t key = Key(pages);
  TBin& bin = Bins_[cacheClass];
  for (std::uint32_t i = 0; i < got; ++i) {
    const auto block = reinterpret_cast<std::uintptr_t>(blocks[i]);
    Store(block, bin.Head);
    Store(block + 4, key);
    bin.Head = pages.ToLink(blocks[i]);
  }
  bin.Count += got;
  return got != 0;
}

void TThreadCache::Drain(TFastMemory& memory, int cacheClass, std::uint32_t count) noexcept {
  TPageHeap& pages = memory.PageHeap();
  TBin& bin = Bins_[cacheClass];
  while (count && bin.Head != kNil) {
    void* blocks[kMaxBatch];
    std::uint32_t taken = 0;
    for (; taken < kMaxBatch && taken < count && bin.Head != kNil; ++taken) {
      const std::uintptr_t block = pages.FromLink(bin.Head);
      bin.Head = Load(block);
      Store(block + 4, 0);
      blocks[taken] = reinterpret_cast<void*>(block);
    }
    bin.Count -= taken;
    count -= taken;
    // Every block was checked when it entered the stock, so none is refused.
    if (cacheClass < kFirstMedium)
      memory.SmallHeap().FreeBatch(blocks, taken);
    else if (cacheClass < kFirstBig)
      memory.MediumHeap().FreeBatch(blocks, taken);
    else
      memory.BigHeap().BigFreeBatch(blocks, taken);
  }
}

void TThreadCache::Flush(TFastMemory& memory) noexcept {
  for (int c = 0; c < kClassCount; ++c) Drain(memory, c, Bins_[c].Count);
}

}  // namespace quenby
