#pragma once
// The process-wide manager behind the global operator new and delete, in the
// executables that link quenby_memory_install.

#include "memory/FastMemory.h"

namespace quenby {

// The installed manager, set up on the first allocation; nil when the
// variable QUENBY_SYSTEM_ALLOCATOR is 1 or the region could not be reserved.
TFastMemory* InstalledFastMemory() noexcept;

}  // namespace quenby
