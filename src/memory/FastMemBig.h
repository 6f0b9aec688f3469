#pragma once
// The heap for requests above 256 bytes. Pages of the page heap are cut into
// blocks of 128-byte units with boundary tags; free blocks sit in 46 size-class
// lists and merge with free neighbours in the same page; a block larger than a
// page takes a run of whole pages.
//
// A block in use: word 0 its size in units, the caller's memory at byte 16
// (16-byte aligned, as operator new promises), its last word 0. A free block:
// word 0 is 0, word 1 its size in units, words 2 and 3 the next and previous
// block of its list (32-bit region links), its last word its size in units. So
// the word just below a block says whether its lower neighbour is free.

#include <cstddef>
#include <cstdint>
#include <mutex>

#include "memory/PageHeap.h"
#include "memory/SpinLock.h"

namespace quenby {

class TFastMemBig {
 public:
  static constexpr std::size_t kUnit = 128;
  static constexpr std::size_t kHeader = 16;
  static constexpr std::size_t kOverhead = kHeader + 4;  // the header and the closing 0 word
  static constexpr int kClassCount = 46;
  static constexpr std::size_t kLargestSmaller = 256;  // requests up to this go to the slab heaps

  explicit TFastMemBig(TPageHeap& pages) : Pages_(pages) {}
  TFastMemBig(const TFastMemBig&) = delete;
  TFastMemBig& operator=(const TFastMemBig&) = delete;

  void InitBigHeap() noexcept;
  void DoneBigHeap() noexcept;

  // The caller's memory of a block for n bytes (n above 256); nil when the
  // page heap has no page or run of pages left.
  void* BigGetMem(std::size_t n);
  // 0 when released, 1 when p does not look like a block in use.
  int BigFreeMem(void* p) noexcept;
  // Whether the block must move to hold n bytes; when it may stay it has been
  // resized already. oldUsable receives the block's usable size before.
  bool BigResize(void*& p, std::size_t n, std::size_t& oldUsable);

  // Up to count blocks for n bytes each (n within one page), taken under a
  // single lock: the number written to out.
  std::uint32_t BigGetBatch(std::size_t n, void** out, std::uint32_t count);
  // Releases one-page blocks in use, under a single lock; the caller has
  // checked each as BigFreeMem does.
  void BigFreeBatch(void* const* blocks, std::uint32_t count);

  static constexpr std::size_t BlockSizeFor(std::size_t n) {
    return (n + kOverhead + kUnit - 1) & ~(kUnit - 1);
  }
  static std::size_t UsableSize(const void* p) noexcept;
  // The class a free block of this size is filed in; -1 below 256 bytes.
  static int FilingClass(std::size_t size) noexcept;
  static std::size_t ClassBound(int sizeClass) noexcept;

  // Calls f(block start, size in bytes) for every block on a class's list.
  template <class F>
  void ForEachFreeBlock(int sizeClass, F&& f) {
    std::lock_guard guard(Lock_);
    for (std::uint32_t link = Lists_[sizeClass].Head; link != TPageHeap::kNilLink;) {
      const std::uintptr_t block = Pages_.FromLink(link);
      f(block, Load(block + 4) * kUnit);
      link = Load(block + 8);
    }
  }

 private:
  struct TList {
    std::uint32_t Head = TPageHeap::kNilLink;
    std::uint32_t Tail = TPageHeap::kNilLink;
  };

  static std::uint32_t Load(std::uintptr_t address) noexcept;
  static void Store(std::uintptr_t address, std::uint32_t value) noexcept;
  static void SetInUse(std::uintptr_t block, std::size_t size) noexcept;

  std::uintptr_t GetLocked(std::size_t r);
  void File(std::uintptr_t block, std::size_t size);
  void Link(std::uintptr_t block, int sizeClass) noexcept;
  void Unlink(std::uintptr_t block) noexcept;

  TPageHeap& Pages_;
  TList Lists_[kClassCount];
  std::uint64_t NonEmpty_ = 0;  // bit c set while list c holds a block
  TSpinLock Lock_;
};

}  // namespace quenby
