// A thread's stock of free blocks in front of the shared heaps.
#include <gtest/gtest.h>

#include "UsableSize.h"

#include "TestNames.h"

#include <algorithm>
#include <vector>

#include "memory/ThreadCache.h"

namespace quenby {
namespace {

class ThreadCache : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(Memory.InstallFastMemory(16, 1, 1, SystemMemoryManager())); }

  std::size_t Usable(void* p) { return test::UsableSize(Memory, p); }

  TFastMemory Memory;
  TThreadCache Cache;
};

// Every request size gets the heap and the class a direct request gets,
// with the alignment its size can need.
TEST_F(ThreadCache, EverySizeGetsTheBlockTheHeapsWouldGive) {
  for (std::size_t n = 1; n <= TThreadCache::kMaxSize; ++n) {
    void* direct = Memory.FastGetMem(static_cast<std::int64_t>(n));
    void* cached = Cache.Get(Memory, n);
    ASSERT_NE(cached, nullptr) << n;
    EXPECT_EQ(Memory.PageHeap().PageClassOf(cached), Memory.PageHeap().PageClassOf(direct)) << n;
    // A big block may carry a remainder too small to file, so only the
    // slab classes must match exactly.
    if (n <= 256)
      EXPECT_EQ(Usable(cached), Usable(direct)) << n;
    else
      EXPECT_GE(Usable(cached), n) << n;
    const std::size_t alignment = std::min<std::size_t>(16, n & (~n + 1));
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(cached) % alignment, 0u) << n;
    EXPECT_EQ(Cache.Free(Memory, cached), 0) << n;
    EXPECT_EQ(Memory.FastFreeMem(direct), 0) << n;
  }
  Cache.Flush(Memory);
  EXPECT_EQ(Cache.TotalCount(), 0u);
  EXPECT_LE(Memory.PageHeap().UsedPageCount(), 1u);  // the big heap keeps one whole page
}

struct TSizeCase {
  const char* Name;
  std::size_t Size;
};

class ThreadCacheClasses : public ThreadCache, public ::testing::WithParamInterface<TSizeCase> {};

// A released block serves the next request of its class; the stock never
// holds more than its bound, and a flush gives every page back.
TEST_P(ThreadCacheClasses, StockIsReusedAndBounded) {
  const std::size_t n = GetParam().Size;
  const int c = TThreadCache::ClassOfSize(n);
  void* p = Cache.Get(Memory, n);
  ASSERT_EQ(Cache.Free(Memory, p), 0);
  EXPECT_EQ(Cache.Get(Memory, n), p);

  std::vector<void*> blocks{p};
  for (int i = 0; i < 1000; ++i) blocks.push_back(Cache.Get(Memory, n));
  for (void* block : blocks) {
    ASSERT_EQ(Cache.Free(Memory, block), 0);
    ASSERT_LE(Cache.Count(c), TThreadCache::Limit(c));
  }
  EXPECT_GT(Cache.Count(c), 0u);
  Cache.Flush(Memory);
  EXPECT_EQ(Cache.Count(c), 0u);
  EXPECT_LE(Memory.PageHeap().UsedPageCount(), 1u);
}

// A block released twice is refused, whether it is still in the stock or
// has gone back to its heap.
TEST_P(ThreadCacheClasses, ABlockReleasedTwiceIsRefused) {
  const std::size_t n = GetParam().Size;
  void* p = Cache.Get(Memory, n);
  void* keep = Cache.Get(Memory, n);  // keeps the page, so that p's memory stays readable
  ASSERT_EQ(Cache.Free(Memory, p), 0);
  EXPECT_EQ(Cache.Free(Memory, p), 1);
  Cache.Flush(Memory);
  EXPECT_EQ(Cache.Free(Memory, p), 1);
  EXPECT_EQ(Cache.TotalCount(), 0u);
  EXPECT_EQ(Cache.Free(Memory, keep), 0);
  Cache.Flush(Memory);
}

INSTANTIATE_TEST_SUITE_P(Memory, ThreadCacheClasses,
                         ::testing::Values(TSizeCase{"Small8", 8}, TSizeCase{"Small32", 32},
                                           TSizeCase{"Medium40", 40}, TSizeCase{"Medium256", 256},
                                           TSizeCase{"Big257", 257}, TSizeCase{"Big512", 512}),
                         test::ByName());

// Blocks the stock does not hold pass to the heaps: big blocks beyond five
// units, and addresses that are no block in use.
TEST_F(ThreadCache, OtherBlocksGoToTheHeaps) {
  void* big = Memory.FastGetMem(2000);
  EXPECT_EQ(Cache.Free(Memory, big), 0);
  EXPECT_EQ(Cache.TotalCount(), 0u);
  void* p = Cache.Get(Memory, 300);
  EXPECT_EQ(Cache.Free(Memory, static_cast<char*>(p) + 8), 1);
  EXPECT_EQ(Cache.Free(Memory, p), 0);
  Cache.Flush(Memory);
}

}  // namespace
}  // namespace quenby
