#pragma once
// One thread's stock of free blocks of up to 512 bytes, in front of the
// shared heaps: a request or a release that the stock can serve takes no
// lock and touches no heap list. To the heaps, a block in the stock is still
// in use; the stock fills and drains in batches, one lock per batch.
//
// A block freed on another thread joins the freeing thread's stock; it goes
// back to its own heap and arena when that stock drains, under the heap's
// lock as any release. A class's stock is bounded (Limit): past it, the most
// recently released half goes back. The owner drains the whole stock when the
// thread ends (Flush).
//
// A stocked block holds the link to the next one (a 32-bit region offset) in
// its first word and a mark in its second, so that a block released twice
// while in the stock is found and refused. A slot released again after it
// went back to its heap is refused by its free bit, a big block by its
// cleared header, as the heaps themselves do.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "memory/FastMemory.h"

namespace quenby {

class TThreadCache {
 public:
  static constexpr std::size_t kMaxSize = 512;
  // 7 small and 10 medium classes, then big blocks of 3, 4 and 5 units.
  static constexpr int kClassCount = 20;
  static constexpr int kFirstMedium = 7;
  static constexpr int kFirstBig = 17;

  constexpr TThreadCache() = default;
  TThreadCache(const TThreadCache&) = delete;
  TThreadCache& operator=(const TThreadCache&) = delete;

  // A block for n bytes, 1 to kMaxSize; nil when the heaps have no memory.
  void* Get(TFastMemory& memory, std::size_t n) noexcept {
    TBin& bin = Bins_[kClassOfSize[n]];
    if (bin.Head == kNil && !Refill(memory, kClassOfSize[n])) return nullptr;
    const std::uintptr_t block = memory.PageHeap().FromLink(bin.Head);
    bin.Head = Load(block);
    --bin.Count;
    Store(block + 4, 0);  // so that the next release of it finds no mark
    return reinterpret_cast<void*>(block);
  }
  // Releases a block of the manager's region, as FastFreeMem does: 0 done,
  // 1 refused (not a block in use).
  int Free(TFastMemory& memory, void* p) noexcept;
  // Gives every stocked block back to its heap.
  void Flush(TFastMemory& memory) noexcept;

  static int ClassOfSize(std::size_t n) noexcept { return kClassOfSize[n]; }
  // The most blocks a class holds: about 32 KB worth, 16 to 128 blocks.
  static std::uint32_t Limit(int cacheClass) noexcept { return kLimit[cacheClass]; }
  std::uint32_t Count(int cacheClass) const noexcept { return Bins_[cacheClass].Count; }
  std::size_t TotalCount() const noexcept;

 private:
  static constexpr std::uint32_t kNil = TPageHeap::kNilLink;
  static constexpr std::uint32_t kMaxBatch = 64;

  struct TBin {
    std::uint32_t Head = kNil;
    std::uint32_t Count = 0;
  };

  // The request size that yields a block of the class, for refills.
  static constexpr std::array<std::uint32_t, kClassCount> kClassSize{
      8, 12, 16, 20, 24, 28, 32, 40, 48, 56, 64, 96, 128, 160, 192, 224, 256, 384, 512, 640};
  static constexpr auto kLimit = [] {
    std::array<std::uint32_t, kClassCount> limits{};
    for (int c = 0; c < kClassCount; ++c) {
      const std::uint32_t n = 32768 / kClassSize[c];
      limits[c] = n < 16 ? 16 : n > 128 ? 128 : n;
    }
    return limits;
  }();
  static constexpr auto kClassOfSize = [] {
    std::array<std::uint8_t, kMaxSize + 1> classes{};
    for (std::size_t n = 0; n <= kMaxSize; ++n) {
      // Big blocks: the request plus the 20-byte overhead, in 128-byte units.
      const std::size_t wanted = n > 256 ? TFastMemBig::BlockSizeFor(n) : n;
      int c = 0;
      while (kClassSize[c] < wanted) ++c;
      classes[n] = static_cast<std::uint8_t>(c);
    }
    return classes;
  }();

  static std::uint32_t Load(std::uintptr_t address) noexcept {
    std::uint32_t value;
    std::memcpy(&value, reinterpret_cast<const void*>(address), sizeof value);
    return value;
  }
  static void Store(std::uintptr_t address, std::uint32_t value) noexcept {
    std::memcpy(reinterpret_cast<void*>(address), &value, sizeof value);
  }
  static std::uint32_t Key(const TPageHeap& pages) noexcept;
  bool Refill(TFastMemory& memory, int cacheClass) noexcept;
  void Drain(TFastMemory& memory, int cacheClass, std::uint32_t count) noexcept;
  bool Holds(const TPageHeap& pages, int cacheClass, std::uintptr_t block) const noexcept;

  std::array<TBin, kClassCount> Bins_{};
};

}  // namespace quenby
