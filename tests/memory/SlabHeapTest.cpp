// The small and the medium heap: one slab design with two layouts.
#include <gtest/gtest.h>

#include "TestNames.h"

#include <cstring>
#include <vector>

#include "memory/FastMemMedium.h"
#include "memory/FastMemSmall.h"

namespace quenby {
namespace {

enum class Heap { Small, Medium };

class SlabHeaps : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Pages.InitPageHeap(16));
    Small.InitSmallHeap(1);
    Medium.InitMediumHeap(1);
  }
  void* Get(Heap heap, std::size_t n) {
    return heap == Heap::Small ? Small.SmallGetMem(n) : Medium.MediumGetMem(n);
  }
  int Free(Heap heap, void* p) {
    return heap == Heap::Small ? Small.SmallFreeMem(p) : Medium.MediumFreeMem(p);
  }
  static std::uintptr_t SubBlockSize(Heap heap) { return heap == Heap::Small ? 256 : 1024; }
  static std::uintptr_t Address(const void* p) { return reinterpret_cast<std::uintptr_t>(p); }

  TPageHeap Pages;
  TFastMemSmall Small{Pages};
  TFastMemMedium Medium{Pages};
};

struct TClassCase {
  const char* Name;
  Heap Kind;
  std::size_t Request;  // the smallest request of the class
  std::size_t ClassSize;
  std::size_t Slots;
};

class SlabClasses : public SlabHeaps, public ::testing::WithParamInterface<TClassCase> {};

// Slots follow each other at the class size, each aligned as an object of
// that size can need; the request after the last slot starts a new sub-block.
TEST_P(SlabClasses, FillOneSubBlockThenStartTheNext) {
  const TClassCase& c = GetParam();
  const std::uintptr_t alignment = std::min<std::uintptr_t>(16, c.ClassSize & (~c.ClassSize + 1));
  std::vector<void*> blocks;
  for (std::size_t i = 0; i <= c.Slots; ++i) blocks.push_back(Get(c.Kind, c.Request));
  const std::uintptr_t base = Address(blocks[0]);
  EXPECT_EQ(base % SubBlockSize(c.Kind), 0u);
  for (std::size_t i = 0; i < c.Slots; ++i) {
    EXPECT_EQ(Address(blocks[i]), base + i * c.ClassSize) << "slot " << i;
    EXPECT_EQ(Address(blocks[i]) % alignment, 0u) << "slot " << i;
    std::memset(blocks[i], static_cast<int>(i), c.ClassSize);
  }
  EXPECT_EQ(Address(blocks[c.Slots]), base + SubBlockSize(c.Kind));
  for (std::size_t i = 0; i < c.Slots; ++i) EXPECT_EQ(*static_cast<unsigned char*>(blocks[i]), i);
  std::size_t usable = 0;
  const bool moves = c.Kind == Heap::Small ? Small.SmallResize(blocks[0], c.ClassSize, usable)
                                           : Medium.MediumResize(blocks[0], c.ClassSize, usable);
  EXPECT_FALSE(moves);
  EXPECT_EQ(usable, c.ClassSize);
  for (void* p : blocks) EXPECT_EQ(Free(c.Kind, p), 0);
  EXPECT_EQ(Pages.UsedPageCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Slab, SlabClasses,
                         ::testing::Values(TClassCase{"Small8", Heap::Small, 1, 8, 32},
                                           TClassCase{"Small12", Heap::Small, 9, 12, 21},
                                           TClassCase{"Small16", Heap::Small, 13, 16, 16},
                                           TClassCase{"Small20", Heap::Small, 17, 20, 12},
                                           TClassCase{"Small24", Heap::Small, 21, 24, 10},
                                           TClassCase{"Small28", Heap::Small, 25, 28, 9},
                                           TClassCase{"Small32", Heap::Small, 29, 32, 8},
                                           TClassCase{"Medium40", Heap::Medium, 33, 40, 25},
                                           TClassCase{"Medium48", Heap::Medium, 41, 48, 21},
                                           TClassCase{"Medium56", Heap::Medium, 49, 56, 18},
                                           TClassCase{"Medium64", Heap::Medium, 57, 64, 16},
                                           TClassCase{"Medium96", Heap::Medium, 65, 96, 10},
                                           TClassCase{"Medium128", Heap::Medium, 97, 128, 8},
                                           TClassCase{"Medium160", Heap::Medium, 129, 160, 6},
                                           TClassCase{"Medium192", Heap::Medium, 161, 192, 5},
                                           TClassCase{"Medium224", Heap::Medium, 193, 224, 4},
                                           TClassCase{"Medium256", Heap::Medium, 225, 256, 4}),
                         test::ByName());

struct TPageCase {
  const char* Name;
  Heap Kind;
  std::size_t Request;
  std::size_t PerPage;  // sub-blocks per page times slots per sub-block
};

class SlabPages : public SlabHeaps, public ::testing::WithParamInterface<TPageCase> {};

TEST_P(SlabPages, APageServesItsSubBlocksAndGoesBackWhenEmpty) {
  const TPageCase& c = GetParam();
  std::vector<void*> blocks;
  for (std::size_t i = 0; i < c.PerPage; ++i) blocks.push_back(Get(c.Kind, c.Request));
  EXPECT_EQ(Pages.UsedPageCount(), 1u);
  blocks.push_back(Get(c.Kind, c.Request));
  EXPECT_EQ(Pages.UsedPageCount(), 2u);
  EXPECT_EQ(Address(blocks.back()) % TPageHeap::kPageSize, 0u);
  Free(c.Kind, blocks.back());
  EXPECT_EQ(Pages.UsedPageCount(), 1u);
  blocks.pop_back();
  for (void* p : blocks) Free(c.Kind, p);
  EXPECT_EQ(Pages.UsedPageCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Slab, SlabPages,
                         ::testing::Values(TPageCase{"Small", Heap::Small, 32, 240 * 8},
                                           TPageCase{"Medium", Heap::Medium, 256, 63 * 4}),
                         test::ByName());

TEST_F(SlabHeaps, AnEntirelyFreeSubBlockServesAnotherClass) {
  void* keeper = Medium.MediumGetMem(48);  // keeps the page
  std::vector<void*> forty;
  for (int i = 0; i < 25; ++i) forty.push_back(Medium.MediumGetMem(40));
  const std::uintptr_t subBlock = Address(forty[0]);
  for (void* p : forty) Medium.MediumFreeMem(p);
  EXPECT_EQ(Address(Medium.MediumGetMem(256)), subBlock);
  EXPECT_EQ(Address(Medium.MediumGetMem(256)), subBlock + 256);
  EXPECT_EQ(Address(Medium.MediumGetMem(40)), subBlock + 1024);  // the next one carved
  EXPECT_EQ(Pages.UsedPageCount(), 1u);
  Medium.MediumFreeMem(keeper);
}

TEST_F(SlabHeaps, TheLowestFreeSlotIsTakenAndAFullHeadMakesWay) {
  std::vector<void*> blocks;
  for (int i = 0; i < 64; ++i) blocks.push_back(Small.SmallGetMem(8));  // two full sub-blocks
  Small.SmallFreeMem(blocks[5]);  // the older sub-block, behind the full head
  Small.SmallFreeMem(blocks[9]);
  EXPECT_EQ(Small.SmallGetMem(8), blocks[5]);
  EXPECT_EQ(Small.SmallGetMem(8), blocks[9]);
  EXPECT_EQ(Pages.UsedPageCount(), 1u);
}

struct TResizeCase {
  const char* Name;
  Heap Kind;
  std::size_t From;
  std::size_t To;
  bool MustMove;
};

class SlabResize : public SlabHeaps, public ::testing::WithParamInterface<TResizeCase> {};

TEST_P(SlabResize, StaysWhileTheClassFits) {
  const TResizeCase& c = GetParam();
  void* p = Get(c.Kind, c.From);
  std::size_t usable = 0;
  const bool moves = c.Kind == Heap::Small ? Small.SmallResize(p, c.To, usable)
                                           : Medium.MediumResize(p, c.To, usable);
  EXPECT_EQ(moves, c.MustMove);
  EXPECT_GE(usable, c.From);
}

INSTANTIATE_TEST_SUITE_P(
    Slab, SlabResize,
    ::testing::Values(TResizeCase{"MediumShrinkWithinClass", Heap::Medium, 40, 33, false},
                      TResizeCase{"MediumSameSize", Heap::Medium, 40, 40, false},
                      TResizeCase{"MediumNextClass", Heap::Medium, 40, 41, true},
                      TResizeCase{"MediumDownToSmall", Heap::Medium, 40, 32, true},
                      TResizeCase{"MediumUpToBig", Heap::Medium, 256, 257, true},
                      TResizeCase{"SmallWithinClass", Heap::Small, 8, 1, false},
                      TResizeCase{"SmallUpToMedium", Heap::Small, 8, 33, true},
                      TResizeCase{"SmallShrinkToLowerClass", Heap::Small, 32, 8, true}),
    test::ByName());

struct TArenaCase {
  const char* Name;
  int Asked;
  int Arenas;
};

class SlabArenas : public SlabHeaps, public ::testing::WithParamInterface<TArenaCase> {};

TEST_P(SlabArenas, CountIsAPowerOfTwoUpToSixteen) {
  Small.InitSmallHeap(GetParam().Asked);
  EXPECT_EQ(Small.ArenaCount(), GetParam().Arenas);
}

INSTANTIATE_TEST_SUITE_P(Slab, SlabArenas,
                         ::testing::Values(TArenaCase{"Three", 3, 2}, TArenaCase{"Zero", 0, 1},
                                           TArenaCase{"Negative", -4, 1},
                                           TArenaCase{"Hundred", 100, 16},
                                           TArenaCase{"Sixteen", 16, 16},
                                           TArenaCase{"Seven", 7, 4}),
                         test::ByName());

TEST_F(SlabHeaps, ArenasTakeTurnsAndBlocksGoBackToTheirOwnArena) {
  Medium.InitMediumHeap(2);
  void* a = Medium.MediumGetMem(64);
  void* b = Medium.MediumGetMem(64);
  void* c = Medium.MediumGetMem(64);
  EXPECT_NE(Address(a) / TPageHeap::kPageSize, Address(b) / TPageHeap::kPageSize);
  EXPECT_EQ(Address(c), Address(a) + 64);
  EXPECT_EQ(Pages.UsedPageCount(), 2u);
  for (void* p : {b, a, c}) Medium.MediumFreeMem(p);
  EXPECT_EQ(Pages.UsedPageCount(), 0u);
}

TEST_F(SlabHeaps, ASlotReleasedTwiceIsRefused) {
  void* keeper = Small.SmallGetMem(8);
  void* p = Small.SmallGetMem(8);
  EXPECT_EQ(Small.SmallFreeMem(p), 0);
  EXPECT_EQ(Small.SmallFreeMem(p), 1);
  EXPECT_EQ(Small.SmallFreeMem(keeper), 0);  // the sub-block is entirely free now
  EXPECT_EQ(Pages.UsedPageCount(), 0u);
  void* again = Medium.MediumGetMem(40);
  Medium.MediumGetMem(40);
  Medium.MediumFreeMem(again);
  EXPECT_EQ(Medium.MediumFreeMem(again), 1);
  EXPECT_EQ(Medium.MediumGetMem(40), again);
  EXPECT_NE(Medium.MediumGetMem(40), again);
}

TEST_F(SlabHeaps, NilWhenThePageHeapIsFull) {
  while (Pages.AllocPages(1, pcBig)) {
  }
  EXPECT_EQ(Small.SmallGetMem(8), nullptr);
  EXPECT_EQ(Medium.MediumGetMem(100), nullptr);
}

}  // namespace
}  // namespace quenby
