#pragma once
// The design shared by the small and the medium heap. A page is cut into
// fixed sub-blocks; a sub-block serves one size class at a time and holds
// equal slots, free or used by one bit of its descriptor. Blocks carry no
// header: page, sub-block, class and slot follow from the address alone.
// A heap runs up to 16 arenas with a lock each; a block always goes back to
// the arena recorded in its page's header, whichever thread frees it.
//
// A class's list holds only sub-blocks with a free slot: one leaves the list
// when its last slot is taken and returns at the head when a slot is freed.
// So allocation looks only at the head, yet no free slot is left unused
// behind a full head, which kept a third more memory resident under random
// frees (measured with 100,000 live blocks).
//
// Page layout (offsets from the page start): the sub-blocks from 0, a 16-byte
// descriptor per sub-block at TLayout::kDescriptorOffset, and the page header
// (carved, in use, arena) at TLayout::kHeaderOffset. Links in descriptors are
// 32-bit region offsets, so the layout is the same on 64-bit systems.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "memory/PageHeap.h"
#include "memory/SpinLock.h"

namespace quenby {

template <class TLayout>
class TSlabHeap {
 public:
  static constexpr int kMaxArenas = 16;
  static constexpr std::size_t kClassCount = TLayout::kClassSizes.size();

  explicit TSlabHeap(TPageHeap& pages) : Pages_(pages) {}
  TSlabHeap(const TSlabHeap&) = delete;
  TSlabHeap& operator=(const TSlabHeap&) = delete;

  // The count is clamped to 1..16 and rounded down to a power of two.
  void Init(int arenaCount) noexcept;
  // Returns every page of the heap's class to the page heap.
  void Done() noexcept;

  // A slot of the first class at least n (n within the heap's sizes); nil
  // when the page heap has no page left.
  void* GetMem(std::size_t n) noexcept;
  // Releases a slot this heap handed out: 0, or 1 when the slot is free
  // already. Nothing else is validated.
  int FreeMem(void* p) noexcept;
  // Whether the block must move to hold n bytes; oldUsable receives its class size.
  bool Resize(const void* p, std::size_t n, std::size_t& oldUsable) const noexcept;

  // Up to count slots of one class, taken under a single lock: the number
  // written to out (fewer only when the page heap has no page left).
  std::uint32_t GetBatch(std::size_t sizeClass, void** out, std::uint32_t count) noexcept;
  // Releases slots this heap handed out, locking once per run of slots of
  // the same arena: the number refused as free already.
  std::uint32_t FreeBatch(void* const* blocks, std::uint32_t count) noexcept;

  static std::size_t ClassOfSize(std::size_t n) noexcept { return kClassOfSize[n]; }
  // The class of a slot the caller holds, read without the lock (a
  // sub-block's class changes only while all its slots are free); free is
  // set when the slot's bit reads free, that is when it was released already.
  static std::size_t ClassOfSlot(const void* p, bool& free) noexcept {
    const auto address = reinterpret_cast<std::uintptr_t>(p);
    const std::uintptr_t page = PageOf(address);
    const TSubBlock* d = Descriptor(page, (address - page) / kSubBlockSize);
    const std::size_t sizeClass = d->ClassIndex;
    free = (LoadSlots(d) & SlotBit(sizeClass, address - page)) != 0;
    return sizeClass;
  }

  int ArenaCount() const noexcept { return static_cast<int>(ArenaMask_) + 1; }
  // False when a class has more slots than a 32-bit bitmap holds, or a
  // single slot (such a sub-block would go from full to entirely free while
  // off its class list), or the slot multiplier is not exact.
  static constexpr bool SlotsFit() {
    for (std::uint32_t count : kSlotCount)
      if (count > 32 || count < 2) return false;
    for (std::size_t c = 0; c < kClassCount; ++c)
      for (std::uint32_t offset = 0; offset < kSubBlockSize; ++offset)
        if (SlotBit(c, offset) != 1u << (offset / TLayout::kClassSizes[c])) return false;
    return true;
  }

 private:
  struct TSubBlock {
    std::uint32_t ClassIndex;
    std::uint32_t FreeSlots;  // bit k set: slot k is free
    std::uint32_t Next;
    std::uint32_t Prev;
  };
  struct TPageHeader {
    std::uint32_t Carved;
    std::uint32_t InUse;
    std::uint32_t Arena;
  };
  struct alignas(64) TArena {  // one cache line apart, so arenas do not share lines
    std::array<std::uint32_t, kClassCount> Heads;  // sub-blocks with a free slot, per class
    std::uint32_t FreeHead;
    std::uint32_t FreeTail;
    std::uintptr_t Carving;  // the page being carved, 0 for none
    TSpinLock Lock;
  };

  static constexpr std::size_t kSubBlockSize = TLayout::kSubBlockSize;
  static constexpr auto kSlotCount = [] {
    std::array<std::uint32_t, kClassCount> counts{};
    for (std::size_t c = 0; c < kClassCount; ++c)
      counts[c] = kSubBlockSize / TLayout::kClassSizes[c];
    return counts;
  }();
  static constexpr auto kFullMask = [] {
    std::array<std::uint32_t, kClassCount> masks{};
    for (std::size_t c = 0; c < kClassCount; ++c)
      masks[c] = kSlotCount[c] >= 32 ? 0xFFFFFFFFu : (1u << kSlotCount[c]) - 1;
    return masks;
  }();
  // Per class, the slot of an offset within a sub-block is offset * m >> 20
  // (a multiply instead of a division or a table of every offset); exact for
  // every offset below the sub-block size, checked where the heap is built.
  static constexpr auto kSlotMultiplier = [] {
    std::array<std::uint32_t, kClassCount> m{};
    for (std::size_t c = 0; c < kClassCount; ++c)
      m[c] = ((1u << 20) + TLayout::kClassSizes[c] - 1) / TLayout::kClassSizes[c];
    return m;
  }();
  static constexpr std::uint32_t SlotBit(std::size_t sizeClass, std::uintptr_t pageOffset) {
    const auto offset = static_cast<std::uint32_t>(pageOffset % kSubBlockSize);
    return 1u << (offset * kSlotMultiplier[sizeClass] >> 20);
  }
  static constexpr auto kClassOfSize = [] {
    std::array<std::uint8_t, TLayout::kMaxSize + 1> classes{};
    for (std::size_t n = 0; n <= TLayout::kMaxSize; ++n) {
      std::size_t c = 0;
      while (TLayout::kClassSizes[c] < n) ++c;
      classes[n] = static_cast<std::uint8_t>(c);
    }
    return classes;
  }();

  static std::uintptr_t PageOf(std::uintptr_t address) {
    return address & ~(TPageHeap::kPageSize - 1);
  }
  static TPageHeader* Header(std::uintptr_t page) {
    return reinterpret_cast<TPageHeader*>(page + TLayout::kHeaderOffset);
  }
  static TSubBlock* Descriptor(std::uintptr_t page, std::size_t index) {
    return reinterpret_cast<TSubBlock*>(page + TLayout::kDescriptorOffset +
                                        index * sizeof(TSubBlock));
  }
  static std::uintptr_t SlotAddress(const TSubBlock* d, std::uint32_t slot);
  // The free-slot bits are written under the arena's lock but read without
  // it by ClassOfSlot, so every access is atomic (plain moves on x86).
  static std::uint32_t LoadSlots(const TSubBlock* d) noexcept {
    return std::atomic_ref(const_cast<std::uint32_t&>(d->FreeSlots))
        .load(std::memory_order_relaxed);
  }
  static void StoreSlots(TSubBlock* d, std::uint32_t bits) noexcept {
    std::atomic_ref(d->FreeSlots).store(bits, std::memory_order_relaxed);
  }
  void* GetLocked(TArena& arena, std::size_t sizeClass) noexcept;
  int FreeLocked(TArena& arena, std::uintptr_t address) noexcept;

  TSubBlock* At(std::uint32_t link) const {
    return reinterpret_cast<TSubBlock*>(Pages_.FromLink(link));
  }
  std::uint32_t LinkOf(const TSubBlock* d) const { return Pages_.ToLink(d); }
  TArena& PickArena() noexcept;
  TSubBlock* TakeSubBlock(TArena& arena, std::uint32_t arenaIndex) noexcept;
  void PushClass(TArena& arena, std::size_t sizeClass, TSubBlock* d) noexcept;
  void UnlinkClass(TArena& arena, std::size_t sizeClass, TSubBlock* d) noexcept;
  void FileFree(TArena& arena, TSubBlock* d) noexcept;
  void UnlinkFree(TArena& arena, TSubBlock* d) noexcept;

  TPageHeap& Pages_;
  TArena Arenas_[kMaxArenas];
  std::uint32_t ArenaMask_ = 0;
  // Which arena the next request uses. A lost increment between threads only
  // changes that choice, so it is read and written without a locked
  // instruction (relaxed atomics rather than a plain int, which would be a
  // data race in C++).
  std::atomic<std::uint32_t> Counter_{0};
};

}  // namespace quenby
