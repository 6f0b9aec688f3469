#include <gtest/gtest.h>

#include "UsableSize.h"

#include "TestNames.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "memory/FastMemory.h"

namespace quenby {
namespace {

// A remembered manager that counts what reaches it.
struct TCounts {
  int Gets = 0, Frees = 0, Reallocs = 0;
} gCounts;

void* CountingGet(std::size_t n) {
  ++gCounts.Gets;
  return std::malloc(n);
}
int CountingFree(void* p) {
  ++gCounts.Frees;
  std::free(p);
  return 0;
}
void* CountingRealloc(void* p, std::size_t n) {
  ++gCounts.Reallocs;
  return std::realloc(p, n);
}

class Dispatch : public ::testing::Test {
 protected:
  void SetUp() override {
    gCounts = {};
    ASSERT_TRUE(Memory.InstallFastMemory(16, 1, 1, {CountingGet, CountingFree, CountingRealloc}));
  }
  std::size_t Usable(void* p) { return test::UsableSize(Memory, p); }
  TFastMemory Memory;
};

struct TRouteCase {
  const char* Name;
  std::int64_t Size;
  TPageClass Heap;  // pcFree: nil
  std::size_t Usable;
};

class DispatchRoutes : public Dispatch, public ::testing::WithParamInterface<TRouteCase> {};

TEST_P(DispatchRoutes, SizesGoToTheirHeap) {
  const TRouteCase& c = GetParam();
  void* p = Memory.FastGetMem(c.Size);
  if (c.Heap == pcFree) {
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(Memory.PageHeap().UsedPageCount(), 0u);
    EXPECT_EQ(gCounts.Gets, 0);
    return;
  }
  ASSERT_TRUE(Memory.PageHeap().InPageHeap(p));
  EXPECT_EQ(Memory.PageHeap().PageClassOf(p), c.Heap);
  EXPECT_EQ(Usable(p), c.Usable);
  EXPECT_EQ(Memory.FastFreeMem(p), 0);
}

INSTANTIATE_TEST_SUITE_P(Fast, DispatchRoutes,
                         ::testing::Values(TRouteCase{"Zero", 0, pcFree, 0},
                                           TRouteCase{"MinusOne", -1, pcFree, 0},
                                           TRouteCase{"One", 1, pcSmall, 8},
                                           TRouteCase{"ThirtyTwo", 32, pcSmall, 32},
                                           TRouteCase{"ThirtyThree", 33, pcMedium, 40},
                                           TRouteCase{"TwoFiftySix", 256, pcMedium, 256},
                                           TRouteCase{"TwoFiftySeven", 257, pcBig, 364},
                                           TRouteCase{"SeveralPages", 300000, pcBig, 300012}),
                         test::ByName());

struct TMoveCase {
  const char* Name;
  std::int64_t From;
  std::int64_t To;
  bool SameAddress;
};

class DispatchResize : public Dispatch, public ::testing::WithParamInterface<TMoveCase> {};

TEST_P(DispatchResize, KeepsTheDataWhetherTheBlockMovesOrNot) {
  const TMoveCase& c = GetParam();
  auto* p = static_cast<unsigned char*>(Memory.FastGetMem(c.From));
  for (std::int64_t i = 0; i < c.From; ++i) p[i] = static_cast<unsigned char>(i * 7 + 1);
  auto* q = static_cast<unsigned char*>(Memory.FastReallocMem(p, c.To));
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(q == p, c.SameAddress);
  EXPECT_GE(Usable(q), static_cast<std::size_t>(c.To));
  for (std::int64_t i = 0; i < std::min(c.From, c.To); ++i)
    ASSERT_EQ(q[i], static_cast<unsigned char>(i * 7 + 1)) << "byte " << i;
  std::memset(q, 0, static_cast<std::size_t>(c.To));
  EXPECT_EQ(Memory.FastFreeMem(q), 0);
}

INSTANTIATE_TEST_SUITE_P(Fast, DispatchResize,
                         ::testing::Values(TMoveCase{"SmallToMedium", 20, 100, false},
                                           TMoveCase{"BigToMedium", 1000, 40, false},
                                           TMoveCase{"MediumToBig", 40, 1000, false},
                                           TMoveCase{"WithinSmallClass", 5, 8, true},
                                           TMoveCase{"MediumToPageRun", 200, 200000, false},
                                           TMoveCase{"BigGrowsInPlace", 1000, 3000, true},
                                           TMoveCase{"PageRunShrinksInPlace", 200000, 300, true}),
                         test::ByName());

TEST_F(Dispatch, BlocksOfTheRememberedManagerGoBackToIt) {
  void* foreign = std::malloc(100);
  void* grown = Memory.FastReallocMem(foreign, 5000);
  ASSERT_NE(grown, nullptr);
  EXPECT_EQ(gCounts.Reallocs, 1);
  EXPECT_EQ(Memory.FastFreeMem(grown), 0);
  EXPECT_EQ(gCounts.Frees, 1);
  EXPECT_EQ(Memory.PageHeap().UsedPageCount(), 0u);
}

TEST_F(Dispatch, AFullRegionFallsBackToTheRememberedManager) {
  std::vector<void*> blocks;
  for (int i = 0; i < 300; ++i) blocks.push_back(Memory.FastGetMem(65000));  // a page each
  EXPECT_EQ(Memory.PageHeap().UsedPageCount(), Memory.PageHeap().PageCount());
  EXPECT_EQ(gCounts.Gets, 300 - static_cast<int>(Memory.PageHeap().PageCount()));
  void* small = Memory.FastGetMem(8);
  ASSERT_NE(small, nullptr);
  EXPECT_FALSE(Memory.PageHeap().InPageHeap(small));
  // Moving a block out of the full region lands with the remembered manager too.
  void* moved = Memory.FastReallocMem(blocks[0], 200000);
  ASSERT_NE(moved, nullptr);
  EXPECT_FALSE(Memory.PageHeap().InPageHeap(moved));
  blocks[0] = moved;
  for (void* p : blocks) EXPECT_EQ(Memory.FastFreeMem(p), 0);
  EXPECT_EQ(Memory.FastFreeMem(small), 0);
  EXPECT_EQ(gCounts.Frees, gCounts.Gets);
}

void* RefusingGet(std::size_t) {
  return nullptr;
}

TEST(DispatchOutOfMemory, AMoveThatFindsNoMemoryKeepsTheOldBlock) {
  TFastMemory memory;
  TMemoryManager refusing = SystemMemoryManager();
  refusing.GetMem = RefusingGet;
  ASSERT_TRUE(memory.InstallFastMemory(2, 1, 1, refusing));
  auto* p = static_cast<char*>(memory.FastGetMem(20));
  std::memcpy(p, "nineteen characters", 20);
  while (memory.FastGetMem(65000)) {
  }
  EXPECT_EQ(memory.FastReallocMem(p, 100000), nullptr);
  EXPECT_STREQ(p, "nineteen characters");
  EXPECT_EQ(memory.FastReallocMem(p, -5), nullptr);
  EXPECT_EQ(memory.FastFreeMem(p), 0);
}

TEST_F(Dispatch, AddressesInFreePagesAreRefused) {
  void* p = Memory.FastGetMem(100);
  Memory.FastFreeMem(p);  // the page goes back
  EXPECT_EQ(Memory.FastFreeMem(p), 1);
  EXPECT_EQ(Memory.FastReallocMem(p, 10), nullptr);
  EXPECT_EQ(gCounts.Frees + gCounts.Reallocs, 0);
}

TEST_F(Dispatch, AfterRemovalNewRequestsGoToTheRememberedManagerAndOldBlocksStillComeBack) {
  void* before = Memory.FastGetMem(1000);
  Memory.RemoveFastMemory();
  EXPECT_FALSE(Memory.Installed());
  void* after = Memory.FastGetMem(1000);
  EXPECT_EQ(gCounts.Gets, 1);
  EXPECT_FALSE(Memory.PageHeap().InPageHeap(after));
  EXPECT_EQ(Memory.FastFreeMem(before), 0);
  EXPECT_EQ(Memory.FastFreeMem(after), 0);
  EXPECT_EQ(gCounts.Frees, 1);
}

}  // namespace
}  // namespace quenby
