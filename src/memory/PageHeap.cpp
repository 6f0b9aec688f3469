#include "memory/PageHeap.h"

#include <array>
#include <mutex>

#include <sys/mman.h>

#include "memory/MemoryAssertion.h"

namespace quenby {
namespace {

// Indexed by a bitmap byte: the lowest clear bit, -1 for a full byte.
constexpr auto kLowestClear = [] {
  std::array<std::int8_t, 256> table{};
  for (int v = 0; v < 256; ++v) {
    table[v] = -1;
    for (int bit = 0; bit < 8; ++bit)
      if (!(v >> bit & 1)) {
        table[v] = static_cast<std::int8_t>(bit);
        break;
      }
  }
  return table;
}();

// Indexed by a bitmap byte: bits 0-7 the clear bits above the highest set bit,
// bits 8-15 the clear bits below the lowest set bit, bits 16-23 the longest
// run of clear bits. A run of pages enters a byte through its low free pages
// and leaves it through its high ones, so one look-up decides most bytes.
constexpr auto kRunCounts = [] {
  std::array<std::uint32_t, 256> table{};
  for (int v = 0; v < 256; ++v) {
    std::uint32_t high = 0, low = 0, longest = 0, run = 0;
    while (high < 8 && !(v >> (7 - high) & 1)) ++high;
    while (low < 8 && !(v >> low & 1)) ++low;
    for (int bit = 0; bit < 8; ++bit) {
      run = (v >> bit & 1) ? 0 : run + 1;
      if (run > longest) longest = run;
    }
    table[v] = high | low << 8 | longest << 16;
  }
  return table;
}();

constexpr std::size_t kMegabyte = 1048576;
constexpr std::size_t kPagesPerRegionStep = 32;  // the region is a whole number of 2 MB

}  // namespace

bool TPageHeap::InitPageHeap(std::size_t megabytes) {
  DonePageHeap();
  if (megabytes > 4096) megabytes = 4096;  // links are 32-bit offsets
  const std::size_t pages =
      megabytes * kMegabyte / kPageSize / kPagesPerRegionStep * kPagesPerRegionStep;
  if (pages == 0) return false;
  const std::size_t size = pages * kPageSize;
  // The heaps find a page by clearing the low 16 bits of an address, so the
  // region must start on a page boundary; mmap only promises 4 KB.
  const std::size_t reservation = size + kPageSize;
  void* mapped =
      mmap(nullptr, reservation, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (mapped == MAP_FAILED) return false;
  const std::size_t sideSize = pages / 8 * 2 + pages;
  void* side = mmap(nullptr, sideSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (side == MAP_FAILED) {
    munmap(mapped, reservation);
    return false;
  }
  Reservation_ = mapped;
  ReservationSize_ = reservation;
  Start_ = (reinterpret_cast<std::uintptr_t>(mapped) + kPageSize - 1) & ~(kPageSize - 1);
  Size_ = size;
  PageCount_ = pages;
  Side_ = static_cast<std::uint8_t*>(side);
  SideSize_ = sideSize;
  Used_ = Side_;
  Committed_ = Used_ + pages / 8;
  Classes_ = Committed_ + pages / 8;
  Hint_ = 0;
  return true;
}

void TPageHeap::DonePageHeap() noexcept {
  if (Reservation_) munmap(Reservation_, ReservationSize_);
  if (Side_) munmap(Side_, SideSize_);
  Reservation_ = nullptr;
  Side_ = nullptr;
  Used_ = Committed_ = Classes_ = nullptr;
  Start_ = 0;
  Size_ = ReservationSize_ = SideSize_ = PageCount_ = Hint_ = 0;
}

void* TPageHeap::AllocPages(std::size_t count, TPageClass pageClass) {
  if (pageClass <= pcFree || pageClass > pcBig) throw EMemoryAssertion("Invalid PageClass");
  if (count == 0) return nullptr;
  std::lock_guard guard(Lock_);
  const std::size_t first = count == 1 ? FindOnePage() : FindRun(count);
  if (first == kNone) {
    // No single page free from the hint on means none at all: later
    // requests of a full region fail at once instead of scanning it again.
    if (count == 1) Hint_ = PageCount_;
    return nullptr;
  }
  if (!CommitGroups(first, count)) return nullptr;
  for (std::size_t page = first; page < first + count; ++page) {
    Used_[page / 8] = static_cast<std::uint8_t>(Used_[page / 8] | 1u << page % 8);
    Classes_[page] = pageClass;
  }
  // A single page is the lowest free one, so every page up to it is in use.
  if (first == Hint_ || count == 1) Hint_ = first + count;
  return PageAddress(first);
}

std::size_t TPageHeap::FindOnePage() const noexcept {
  for (std::size_t i = Hint_ / 8; i < PageCount_ / 8; ++i)
    if (Used_[i] != 0xFF) return i * 8 + static_cast<std::size_t>(kLowestClear[Used_[i]]);
  return kNone;
}

// First fit in page order from the first page of the hint's byte.
std::size_t TPageHeap::FindRun(std::size_t count) const noexcept {
  std::size_t run = 0, start = 0;
  for (std::size_t i = Hint_ / 8; i < PageCount_ / 8; ++i) {
    const std::uint8_t v = Used_[i];
    if (run == 0) start = i * 8;
    if (v == 0) {
      run += 8;
      if (run >= count) return start;
      continue;
    }
    const std::uint32_t counts = kRunCounts[v];
    const std::size_t high = counts & 0xFF, low = counts >> 8 & 0xFF, longest = counts >> 16 & 0xFF;
    if (run + low >= count) return start;
    if (longest >= count) {  // the run lies inside this byte: find where
      std::size_t inner = 0;
      for (std::size_t bit = 0; bit < 8; ++bit) {
        inner = (v >> bit & 1) ? 0 : inner + 1;
        if (inner == count) return i * 8 + bit + 1 - count;
      }
    }
    run = high;
    start = i * 8 + 8 - high;
  }
  return kNone;
}

// Commits every group of the run that has no page in use; on failure the
// groups committed here are given back and nothing else has changed.
bool TPageHeap::CommitGroups(std::size_t first, std::size_t count) noexcept {
  const std::size_t firstGroup = first / kPagesPerGroup,
                    lastGroup = (first + count - 1) / kPagesPerGroup;
  for (std::size_t group = firstGroup; group <= lastGroup; ++group) {
    if (Committed_[group]) continue;
    if (mprotect(PageAddress(group * kPagesPerGroup), kGroupSize, PROT_READ | PROT_WRITE) != 0) {
      for (std::size_t undo = firstGroup; undo < group; ++undo)
        if (Used_[undo] == 0 && Committed_[undo]) DecommitGroup(undo);
      return false;
    }
    Committed_[group] = 1;
  }
  return true;
}

void TPageHeap::DecommitGroup(std::size_t group) noexcept {
  void* address = PageAddress(group * kPagesPerGroup);
  madvise(address, kGroupSize, MADV_DONTNEED);
  mprotect(address, kGroupSize, PROT_NONE);
  Committed_[group] = 0;
}

void TPageHeap::FreePages(void* address, std::size_t count) noexcept {
  std::lock_guard guard(Lock_);
  const std::size_t first = PageIndex(address);
  if (first >= PageCount_ || count > PageCount_ - first) return;
  for (std::size_t page = first; page < first + count; ++page) {
    Classes_[page] = pcFree;
    std::uint8_t& byte = Used_[page / 8];
    if (!byte) continue;
    byte = static_cast<std::uint8_t>(byte & ~(1u << page % 8));
    if (!byte) DecommitGroup(page / 8);
  }
  if (first < Hint_) Hint_ = first;
}

void TPageHeap::FreeAllPages(TPageClass pageClass) noexcept {
  ForEachPage(pageClass, [this](void* page) { FreePages(page, 1); });
}

std::size_t TPageHeap::UsedPageCount() const noexcept {
  std::size_t used = 0;
  for (std::size_t i = 0; i < PageCount_ / 8; ++i)
    used += static_cast<std::size_t>(__builtin_popcount(Used_[i]));
  return used;
}

std::size_t TPageHeap::CommittedGroupCount() const noexcept {
  std::size_t committed = 0;
  for (std::size_t i = 0; i < PageCount_ / 8; ++i) committed += Committed_[i];
  return committed;
}

}  // namespace quenby
