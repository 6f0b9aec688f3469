// Every form of the global operator new and delete, served by the manager.
//
// A few allocations happen before any static constructor of the program runs
// and some frees after every static destructor, so the manager is set up on
// first use and its region is never released. At exit it stops serving new
// requests, while a late free of one of its blocks still finds its heap.
// Memory from malloc (C libraries, Qt and GMime buffers) never reaches it,
// and a block it did not hand out goes to free by its address.

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

#include <pthread.h>

#include "memory/FastMemoryInstall.h"
#include "memory/ThreadCache.h"

namespace quenby {
namespace {

constexpr std::size_t kRegionMegabytes = 256;
std::atomic<TFastMemory*> gManager{nullptr};  // set once, on the first allocation

TFastMemory* SetUp() noexcept {
  if (const char* off = std::getenv("QUENBY_SYSTEM_ALLOCATOR"); off && std::strcmp(off, "1") == 0)
    return nullptr;
  alignas(TFastMemory) static unsigned char storage[sizeof(TFastMemory)];
  auto* manager = new (storage) TFastMemory;  // never destroyed, see above
  if (!manager->InstallFastMemory(kRegionMegabytes, 1, 1, SystemMemoryManager())) return nullptr;
  gManager.store(manager, std::memory_order_release);
  return manager;
}

// Before main there is one thread; the guard of the function-local static
// covers a first allocation from a thread started by a static constructor.
TFastMemory* Manager() noexcept {
  static TFastMemory* const manager = SetUp();
  return manager;
}

// Each thread's stock of small blocks. It is plain data, so reaching it costs
// no guard; the thread's end is caught by a key's destructor, which glibc
// runs after the C++ thread_local destructors (those may still free), and
// from then on the thread goes to the heaps directly. The main thread's
// stock is never drained: its blocks stay in use until the process ends.
enum TCacheState : unsigned char { csFresh, csLive, csDone };
struct TCacheSlot {
  TThreadCache Cache;
  TCacheState State = csFresh;
};
constinit thread_local TCacheSlot tCache __attribute__((tls_model("initial-exec")));
pthread_key_t gCacheKey;

void FlushAtThreadEnd(void*) noexcept {
  if (TFastMemory* manager = gManager.load(std::memory_order_acquire)) tCache.Cache.Flush(*manager);
  tCache.State = csDone;
}

// A thread's first use registers its stock for draining at the thread's end.
__attribute__((noinline)) TThreadCache* StartCache() noexcept {
  if (tCache.State == csDone) return nullptr;
  static const bool keyMade = pthread_key_create(&gCacheKey, FlushAtThreadEnd) == 0;
  // The value only has to be non-nil for the destructor to run.
  if (!keyMade || pthread_setspecific(gCacheKey, &tCache) != 0) {
    tCache.State = csDone;
    return nullptr;
  }
  tCache.State = csLive;
  return &tCache.Cache;
}

// The stock, when this thread may use it.
inline TThreadCache* Cache() noexcept {
  if (tCache.State == csLive) [[likely]]
    return &tCache.Cache;
  return StartCache();
}

void* TryAllocate(std::size_t n) noexcept {
  if (n == 0) n = 1;  // operator new gives a distinct address for 0 bytes
  if (n > static_cast<std::size_t>(INT64_MAX)) return nullptr;
  TFastMemory* manager = Manager();
  if (!manager) return std::malloc(n);
  if (n <= TThreadCache::kMaxSize && manager->Installed()) {
    if (TThreadCache* cache = Cache()) {
      if (void* p = cache->Get(*manager, n)) return p;
    }
  }
  return manager->FastGetMem(static_cast<std::int64_t>(n));
}

void* Allocate(std::size_t n) {
  for (;;) {
    if (void* p = TryAllocate(n)) return p;
    const std::new_handler handler = std::get_new_handler();
    if (!handler) throw std::bad_alloc();
    handler();
  }
}

void* AllocateNoThrow(std::size_t n) noexcept {
  try {
    return Allocate(n);
  } catch (...) {
    return nullptr;
  }
}

// Over-aligned requests are rare; the system allocator serves them.
void* AllocateAligned(std::size_t n, std::align_val_t alignment) {
  const auto align = static_cast<std::size_t>(alignment);
  for (;;) {
    void* p = nullptr;
    if (posix_memalign(&p, align < sizeof(void*) ? sizeof(void*) : align, n ? n : 1) == 0) return p;
    const std::new_handler handler = std::get_new_handler();
    if (!handler) throw std::bad_alloc();
    handler();
  }
}

void* AllocateAlignedNoThrow(std::size_t n, std::align_val_t alignment) noexcept {
  try {
    return AllocateAligned(n, alignment);
  } catch (...) {
    return nullptr;
  }
}

// By address: a block of the manager goes to its heap, any other to free.
// A block that fails the heap's check means a corrupted heap or a bad
// pointer; carrying on would spread the damage.
void Release(void* p) noexcept {
  if (!p) return;
  TFastMemory* manager = gManager.load(std::memory_order_acquire);
  if (!manager) return std::free(p);
  int refused;
  if (!manager->PageHeap().InPageHeap(p)) {
    refused = manager->FastFreeMem(p);
  } else if (TThreadCache* cache = Cache()) {
    refused = cache->Free(*manager, p);
  } else {
    refused = manager->FastFreeMem(p);
  }
  if (refused) std::abort();
}

__attribute__((destructor)) void RemoveAtExit() {
  if (TFastMemory* manager = gManager.load(std::memory_order_acquire)) manager->RemoveFastMemory();
}

}  // namespace

TFastMemory* InstalledFastMemory() noexcept {
  return Manager();
}

}  // namespace quenby

using quenby::Allocate;
using quenby::AllocateAligned;
using quenby::AllocateAlignedNoThrow;
using quenby::AllocateNoThrow;
using quenby::Release;

void* operator new(std::size_t n) {
  return Allocate(n);
}
void* operator new[](std::size_t n) {
  return Allocate(n);
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
  return AllocateNoThrow(n);
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
  return AllocateNoThrow(n);
}
void* operator new(std::size_t n, std::align_val_t a) {
  return AllocateAligned(n, a);
}
void* operator new[](std::size_t n, std::align_val_t a) {
  return AllocateAligned(n, a);
}
void* operator new(std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
  return AllocateAlignedNoThrow(n, a);
}
void* operator new[](std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
  return AllocateAlignedNoThrow(n, a);
}

void operator delete(void* p) noexcept {
  Release(p);
}
void operator delete[](void* p) noexcept {
  Release(p);
}
void operator delete(void* p, std::size_t) noexcept {
  Release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  Release(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
  Release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
  Release(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
  Release(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
  Release(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
  Release(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
  Release(p);
}
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept {
  Release(p);
}
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept {
  Release(p);
}
