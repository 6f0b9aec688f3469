#pragma once
// The heap for requests of 1 to 32 bytes: 256-byte sub-blocks, 240 a page.
// Every slot is aligned to the largest power of two dividing its class size.

#include "memory/SlabHeap.h"

namespace quenby {

struct TSmallLayout {
  static constexpr std::size_t kMinSize = 1;
  static constexpr std::size_t kMaxSize = 32;
  static constexpr std::array<std::uint32_t, 7> kClassSizes{8, 12, 16, 20, 24, 28, 32};
  static constexpr std::uint32_t kSubBlockSize = 256;
  static constexpr std::uint32_t kSubBlocksPerPage = 240;
  static constexpr std::uint32_t kDescriptorOffset = 0xF000;
  static constexpr std::uint32_t kHeaderOffset = 0xFF00;
  static constexpr TPageClass kPageClass = pcSmall;
};

class TFastMemSmall : public TSlabHeap<TSmallLayout> {
 public:
  using TSlabHeap::TSlabHeap;
  void InitSmallHeap(int arenaCount) noexcept { Init(arenaCount); }
  void DoneSmallHeap() noexcept { Done(); }
  void* SmallGetMem(std::size_t n) noexcept { return GetMem(n); }
  int SmallFreeMem(void* p) noexcept { return FreeMem(p); }
  bool SmallResize(const void* p, std::size_t n, std::size_t& oldUsable) const noexcept {
    return Resize(p, n, oldUsable);
  }
};

extern template class TSlabHeap<TSmallLayout>;

}  // namespace quenby
