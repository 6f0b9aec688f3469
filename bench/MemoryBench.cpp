// Allocator work through the global operator new and delete. The same source
// is linked four times: with the program's manager, with glibc's malloc
// behind the run-time's operator new, and with mimalloc or jemalloc in place
// of malloc; so every variant runs the very same calls.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <new>
#include <random>
#include <thread>
#include <vector>

#ifdef QUENBY_BENCH_FAST_MEMORY
#include "memory/FastMemoryInstall.h"
#endif

namespace {

// Random sizes of 8 to 512 bytes and random slots, drawn before timing.
struct TScript {
  explicit TScript(std::size_t slots) {
    std::mt19937 rng(42);
    for (std::size_t i = 0; i < kSteps; ++i) {
      Sizes.push_back(8 + rng() % 505);
      Slots.push_back(rng() % slots);
    }
  }
  static constexpr std::size_t kSteps = 1 << 20;
  std::vector<std::size_t> Sizes;
  std::vector<std::size_t> Slots;
};

double ResidentMegabytes() {
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return static_cast<double>(resident) * 4096 / 1048576;
}

// Small-object churn: among n live blocks, one is released and another
// allocated per step.
void BM_Churn(benchmark::State& state) {
  const auto live = static_cast<std::size_t>(state.range(0));
  const TScript script(live);
  std::vector<void*> blocks(live);
  for (std::size_t i = 0; i < live; ++i) {
    blocks[i] = ::operator new(script.Sizes[i % TScript::kSteps]);
    static_cast<char*>(blocks[i])[0] = 1;
  }
  std::size_t step = 0;
  for (auto _ : state) {
    const std::size_t slot = script.Slots[step];
    ::operator delete(blocks[slot]);
    void* p = ::operator new(script.Sizes[step]);
    static_cast<char*>(p)[0] = 1;
    blocks[slot] = p;
    step = (step + 1) % TScript::kSteps;
  }
  state.counters["rss_mb"] = ResidentMegabytes();
#ifdef QUENBY_BENCH_FAST_MEMORY
  // The share of the live blocks the manager holds: the rest overflowed its region.
  std::size_t served = 0;
  for (void* p : blocks) served += quenby::InstalledFastMemory()->PageHeap().InPageHeap(p);
  state.counters["served_pct"] = 100.0 * static_cast<double>(served) / static_cast<double>(live);
#endif
  for (void* p : blocks) ::operator delete(p);
}
BENCHMARK(BM_Churn)->Arg(1000)->Arg(100000)->Arg(1000000);

// A producer allocates, a consumer on another thread releases, through a
// single-producer single-consumer ring.
void BM_ProducerConsumer(benchmark::State& state) {
  constexpr std::size_t kBlocks = 200000;
  constexpr std::size_t kRing = 4096;
  const TScript script(1);
  for (auto _ : state) {
    std::vector<std::atomic<void*>> ring(kRing);
    std::atomic<std::size_t> head{0}, tail{0};
    std::thread consumer([&] {
      for (std::size_t i = 0; i < kBlocks; ++i) {
        while (tail.load(std::memory_order_relaxed) == head.load(std::memory_order_acquire))
          std::this_thread::yield();
        const std::size_t at = tail.load(std::memory_order_relaxed);
        ::operator delete(ring[at % kRing].load(std::memory_order_relaxed));
        tail.store(at + 1, std::memory_order_release);
      }
    });
    for (std::size_t i = 0; i < kBlocks; ++i) {
      void* p = ::operator new(script.Sizes[i % TScript::kSteps]);
      static_cast<char*>(p)[0] = 1;
      while (head.load(std::memory_order_relaxed) - tail.load(std::memory_order_acquire) == kRing)
        std::this_thread::yield();
      const std::size_t at = head.load(std::memory_order_relaxed);
      ring[at % kRing].store(p, std::memory_order_relaxed);
      head.store(at + 1, std::memory_order_release);
    }
    consumer.join();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kBlocks));
}
BENCHMARK(BM_ProducerConsumer)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
