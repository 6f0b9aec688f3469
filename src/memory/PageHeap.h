#pragma once
// One address range reserved at start and handed out in 64 KB pages. Every
// page records which heap owns it, so a heap releases a block by looking only
// at the page that holds it, and any address can be tested for belonging to
// the allocator. Memory is committed in groups of 8 pages (512 KB) when the
// first page of a group is taken and decommitted when its last one returns.

#include <cstddef>
#include <cstdint>

#include "memory/SpinLock.h"

namespace quenby {

enum TPageClass : std::uint8_t { pcFree = 0, pcSmall = 1, pcMedium = 2, pcBig = 3 };

class TPageHeap {
 public:
  static constexpr std::size_t kPageSize = 65536;
  static constexpr std::size_t kPagesPerGroup = 8;
  static constexpr std::size_t kGroupSize = kPageSize * kPagesPerGroup;
  // Links between blocks and descriptors are 32-bit offsets from the region's
  // start (the region is at most 4 GB); this value is no link.
  static constexpr std::uint32_t kNilLink = 0xFFFFFFFF;

  TPageHeap() = default;
  TPageHeap(const TPageHeap&) = delete;
  TPageHeap& operator=(const TPageHeap&) = delete;
  ~TPageHeap() { DonePageHeap(); }

  // Reserves the region (whole 2 MB, at most 4 GB); false when the system
  // refuses the address space or fewer than 2 MB are asked for.
  bool InitPageHeap(std::size_t megabytes);
  void DonePageHeap() noexcept;

  // The first of count consecutive free pages, marked with the class; nil when
  // no run is free or its memory cannot be committed.
  void* AllocPages(std::size_t count, TPageClass pageClass);
  void FreePages(void* address, std::size_t count) noexcept;

  // Any address inside the region; no range check.
  TPageClass PageClassOf(const void* address) const noexcept {
    return static_cast<TPageClass>(Classes_[PageIndex(address)]);
  }
  bool InPageHeap(const void* address) const noexcept {
    return reinterpret_cast<std::uintptr_t>(address) - Start_ < Size_;  // wraps below the start
  }
  // Walks the class bytes without the lock: the callback may free pages.
  template <class F>
  void ForEachPage(TPageClass pageClass, F&& callback) const {
    for (std::size_t i = 0; i < PageCount_; ++i)
      if (Classes_[i] == pageClass) callback(PageAddress(i));
  }
  void FreeAllPages(TPageClass pageClass) noexcept;

  std::uint32_t ToLink(const void* address) const noexcept {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(address) - Start_);
  }
  std::uintptr_t FromLink(std::uint32_t link) const noexcept { return Start_ + link; }

  std::uintptr_t RegionStart() const noexcept { return Start_; }
  std::size_t RegionSize() const noexcept { return Size_; }
  std::size_t PageCount() const noexcept { return PageCount_; }
  std::size_t PageIndex(const void* address) const noexcept {
    return (reinterpret_cast<std::uintptr_t>(address) - Start_) / kPageSize;
  }
  void* PageAddress(std::size_t page) const noexcept {
    return reinterpret_cast<void*>(Start_ + page * kPageSize);
  }

  // Observers for tests and measurements.
  std::size_t UsedPageCount() const noexcept;
  std::size_t CommittedGroupCount() const noexcept;
  std::size_t Hint() const noexcept { return Hint_; }

 private:
  static constexpr std::size_t kNone = ~std::size_t{0};

  std::size_t FindOnePage() const noexcept;
  std::size_t FindRun(std::size_t count) const noexcept;
  bool CommitGroups(std::size_t first, std::size_t count) noexcept;
  void DecommitGroup(std::size_t group) noexcept;

  std::uintptr_t Start_ = 0;
  std::size_t Size_ = 0;
  std::size_t PageCount_ = 0;
  void* Reservation_ = nullptr;  // the mapping, larger than the region by one page for alignment
  std::size_t ReservationSize_ = 0;
  std::uint8_t* Side_ = nullptr;  // the three side areas in one mapping
  std::size_t SideSize_ = 0;
  std::uint8_t* Used_ = nullptr;       // one bit per page
  std::uint8_t* Committed_ = nullptr;  // one byte per group of 8 pages
  std::uint8_t* Classes_ = nullptr;    // one byte per page
  std::size_t Hint_ = 0;               // every page below it is in use
  TSpinLock Lock_;
};

}  // namespace quenby
