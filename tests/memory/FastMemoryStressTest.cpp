// Random allocations, releases and resizes against a shadow model: every
// block keeps a fill byte, and its whole content is checked before it is
// resized or released, so an overlap or a lost byte shows as a mismatch.
#include <gtest/gtest.h>

#include "TestNames.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "memory/FastMemory.h"
#include "memory/ThreadCache.h"

namespace quenby {
namespace {

struct TBlock {
  unsigned char* Data;
  std::size_t Size;
  unsigned char Fill;
};

class TShadow {
 public:
  // With a stock, blocks it can hold are taken from and released to it, as
  // the installed manager does.
  TShadow(TFastMemory& memory, std::uint32_t seed, TThreadCache* cache = nullptr)
      : Memory_(memory), Cache_(cache), Rng_(seed) {}

  // Mostly slab sizes, some big blocks and now and then a run of pages.
  std::size_t RandomSize() {
    const std::uint32_t kind = Rng_() % 100;
    if (kind < 70) return 1 + Rng_() % 256;
    if (kind < 97) return 257 + Rng_() % 8000;
    return 60000 + Rng_() % 140000;
  }

  void Step() {
    const std::uint32_t op = Rng_() % 100;
    if (Blocks_.empty() || (op < 45 && Blocks_.size() < 3000)) {
      Add(RandomSize());
    } else if (op < 75) {
      Free(Take(Rng_() % Blocks_.size()));
    } else {
      Resize(Rng_() % Blocks_.size());
    }
  }

  void Add(std::size_t size) {
    auto* p =
        static_cast<unsigned char*>(Cache_ && size <= TThreadCache::kMaxSize
                                        ? Cache_->Get(Memory_, size)
                                        : Memory_.FastGetMem(static_cast<std::int64_t>(size)));
    ASSERT_NE(p, nullptr);
    ExpectAligned(p, size);
    const auto fill = static_cast<unsigned char>(Rng_());
    std::memset(p, fill, size);
    Blocks_.push_back({p, size, fill});
  }

  TBlock Take(std::size_t i) {
    const TBlock block = Blocks_[i];
    Blocks_[i] = Blocks_.back();
    Blocks_.pop_back();
    return block;
  }
  void Give(const TBlock& block) { Blocks_.push_back(block); }

  void Free(const TBlock& block) {
    Check(block, block.Size);
    ASSERT_EQ(Cache_ && Memory_.PageHeap().InPageHeap(block.Data)
                  ? Cache_->Free(Memory_, block.Data)
                  : Memory_.FastFreeMem(block.Data),
              0);
  }

  void Resize(std::size_t i) {
    TBlock& block = Blocks_[i];
    Check(block, block.Size);
    const std::size_t size = RandomSize();
    auto* p = static_cast<unsigned char*>(
        Memory_.FastReallocMem(block.Data, static_cast<std::int64_t>(size)));
    ASSERT_NE(p, nullptr);
    ExpectAligned(p, size);
    block.Data = p;
    Check(block, std::min(size, block.Size));
    block.Size = size;
    block.Fill = static_cast<unsigned char>(block.Fill + 1);
    std::memset(p, block.Fill, size);
  }

  void FreeAll() {
    while (!Blocks_.empty()) Free(Take(Blocks_.size() - 1));
  }
  std::uint32_t Next() { return Rng_(); }
  std::size_t Count() const { return Blocks_.size(); }

 private:
  static void ExpectAligned(const void* p, std::size_t size) {
    const std::size_t alignment = std::min<std::size_t>(16, size & (~size + 1));
    ASSERT_EQ(reinterpret_cast<std::uintptr_t>(p) % alignment, 0u) << size;
  }
  static void Check(const TBlock& block, std::size_t count) {
    const unsigned char* wrong = std::find_if(block.Data, block.Data + count,
                                              [&](unsigned char c) { return c != block.Fill; });
    ASSERT_EQ(wrong, block.Data + count)
        << "block of " << block.Size << " changed at byte " << wrong - block.Data;
  }

  TFastMemory& Memory_;
  TThreadCache* Cache_;
  std::mt19937 Rng_;
  std::vector<TBlock> Blocks_;
};

struct TRegionCase {
  const char* Name;
  std::size_t Megabytes;  // a tight region sends part of the work to the remembered manager
};

class FastMemoryStress : public ::testing::TestWithParam<TRegionCase> {};

TEST_P(FastMemoryStress, ContentsSurviveRandomWork) {
  TFastMemory memory;
  ASSERT_TRUE(memory.InstallFastMemory(GetParam().Megabytes, 1, 1, SystemMemoryManager()));
  TShadow shadow(memory, 12345);
  for (int i = 0; i < 200000; ++i) {
    shadow.Step();
    if (HasFatalFailure()) return;
  }
  shadow.FreeAll();
  EXPECT_LE(memory.PageHeap().UsedPageCount(), 1u);  // the big heap keeps one whole page
}

INSTANTIATE_TEST_SUITE_P(Memory, FastMemoryStress,
                         ::testing::Values(TRegionCase{"RoomyRegion", 64},
                                           TRegionCase{"TightRegion", 4}),
                         test::ByName());

struct TStockCase {
  const char* Name;
  bool Stocks;  // each thread works through its own stock of small blocks
};

class FastMemoryStressThreads : public ::testing::TestWithParam<TStockCase> {};

// Four threads on one manager with four arenas per slab heap; blocks change
// hands through a shared pool, so many are released by another thread than
// the one that allocated them (with stocks: into the releasing thread's
// stock, which returns them to their own arena when it drains).
TEST_P(FastMemoryStressThreads, FourThreadsShareOneManager) {
  TFastMemory memory;
  ASSERT_TRUE(memory.InstallFastMemory(64, 4, 4, SystemMemoryManager()));
  std::mutex poolLock;
  std::vector<TBlock> pool;
  std::vector<std::thread> threads;
  for (std::uint32_t t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      TThreadCache cache;
      TShadow shadow(memory, 100 + t, GetParam().Stocks ? &cache : nullptr);
      for (int i = 0; i < 40000 && !::testing::Test::HasFatalFailure(); ++i) {
        shadow.Step();
        if (shadow.Next() % 8 != 0) continue;
        std::lock_guard guard(poolLock);
        if (shadow.Count() > 0 && shadow.Next() % 2) {
          pool.push_back(shadow.Take(shadow.Next() % shadow.Count()));
        } else if (!pool.empty()) {
          shadow.Give(pool.back());
          pool.pop_back();
        }
      }
      shadow.FreeAll();
      cache.Flush(memory);  // as the thread's end does for the installed manager
    });
  for (std::thread& thread : threads) thread.join();
  TShadow rest(memory, 0);
  for (const TBlock& block : pool) rest.Free(block);
  EXPECT_LE(memory.PageHeap().UsedPageCount(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Memory, FastMemoryStressThreads,
                         ::testing::Values(TStockCase{"SharedHeaps", false},
                                           TStockCase{"ThreadStocks", true}),
                         test::ByName());

}  // namespace
}  // namespace quenby
