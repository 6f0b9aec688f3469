#pragma once
// The usable size of a block of the manager, asked of the heap that holds it.
#include <cstddef>

#include "memory/FastMemory.h"

namespace quenby::test {

inline std::size_t UsableSize(TFastMemory& memory, void* p) {
  std::size_t usable = 0;
  switch (memory.PageHeap().PageClassOf(p)) {
    case pcSmall: memory.SmallHeap().SmallResize(p, 1, usable); break;
    case pcMedium: memory.MediumHeap().MediumResize(p, 33, usable); break;
    case pcBig: usable = TFastMemBig::UsableSize(p); break;
    case pcFree: break;
  }
  return usable;
}

}  // namespace quenby::test
