#pragma once
// The heap for requests of 33 to 256 bytes: 1,024-byte sub-blocks, 63 a page.
// Every slot is aligned to the largest power of two dividing its class size.

#include "memory/SlabHeap.h"

namespace quenby {

struct TMediumLayout {
  static constexpr std::size_t kMinSize = 33;
  static constexpr std::size_t kMaxSize = 256;
  static constexpr std::array<std::uint32_t, 10> kClassSizes{40,  48,  56,  64,  96,
                                                             128, 160, 192, 224, 256};
  static constexpr std::uint32_t kSubBlockSize = 1024;
  static constexpr std::uint32_t kSubBlocksPerPage = 63;
  static constexpr std::uint32_t kDescriptorOffset = 0xFC00;
  static constexpr std::uint32_t kHeaderOffset = 0xFFF0;
  static constexpr TPageClass kPageClass = pcMedium;
};

class TFastMemMedium : public TSlabHeap<TMediumLayout> {
 public:
  using TSlabHeap::TSlabHeap;
  void InitMediumHeap(int arenaCount) noexcept { Init(arenaCount); }
  void DoneMediumHeap() noexcept { Done(); }
  void* MediumGetMem(std::size_t n) noexcept { return GetMem(n); }
  int MediumFreeMem(void* p) noexcept { return FreeMem(p); }
  bool MediumResize(const void* p, std::size_t n, std::size_t& oldUsable) const noexcept {
    return Resize(p, n, oldUsable);
  }
};

extern template class TSlabHeap<TMediumLayout>;

}  // namespace quenby
