#include "memory/FastMemSmall.h"

#include "memory/SlabHeapImpl.h"

namespace quenby {

static_assert(TSlabHeap<TSmallLayout>::SlotsFit(), "Invalid small heap setup");
static_assert(TSmallLayout::kDescriptorOffset ==
              TSmallLayout::kSubBlockSize * TSmallLayout::kSubBlocksPerPage);
static_assert(TSmallLayout::kHeaderOffset ==
              TSmallLayout::kDescriptorOffset + 16 * TSmallLayout::kSubBlocksPerPage);

template class TSlabHeap<TSmallLayout>;

}  // namespace quenby
