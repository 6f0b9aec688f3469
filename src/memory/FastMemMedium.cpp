#include "memory/FastMemMedium.h"

#include "memory/SlabHeapImpl.h"

namespace quenby {

static_assert(TSlabHeap<TMediumLayout>::SlotsFit(), "Invalid Medium heap setup");
static_assert(TMediumLayout::kDescriptorOffset ==
              TMediumLayout::kSubBlockSize * TMediumLayout::kSubBlocksPerPage);
static_assert(TMediumLayout::kHeaderOffset ==
              TMediumLayout::kDescriptorOffset + 16 * TMediumLayout::kSubBlocksPerPage);

template class TSlabHeap<TMediumLayout>;

}  // namespace quenby
