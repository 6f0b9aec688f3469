#include <gtest/gtest.h>

#include "TestNames.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "memory/FastMemBig.h"

namespace quenby {
namespace {

constexpr std::size_t kPage = TPageHeap::kPageSize;

class BigHeap : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Pages.InitPageHeap(16));
    Big.InitBigHeap();
  }
  // Sizes of all listed free blocks, sorted; each must sit in its filing class.
  std::vector<std::size_t> FreeSizes() {
    std::vector<std::size_t> sizes;
    for (int c = 0; c < TFastMemBig::kClassCount; ++c)
      Big.ForEachFreeBlock(c, [&](std::uintptr_t, std::size_t size) {
        EXPECT_EQ(TFastMemBig::FilingClass(size), c) << size;
        sizes.push_back(size);
      });
    std::sort(sizes.begin(), sizes.end());
    return sizes;
  }
  std::size_t BlockSize(const void* p) {
    return TFastMemBig::UsableSize(p) + TFastMemBig::kOverhead;
  }

  TPageHeap Pages;
  TFastMemBig Big{Pages};
};

struct TSizeCase {
  const char* Name;
  std::size_t Request;
  std::size_t Block;
  std::size_t Pages;
  std::vector<std::size_t> Free;  // filed after the request
};

class BigBlockSizes : public BigHeap, public ::testing::WithParamInterface<TSizeCase> {};

TEST_P(BigBlockSizes, RoundToUnitsWithTheHeaderAndFileTheRest) {
  const TSizeCase& c = GetParam();
  void* p = Big.BigGetMem(c.Request);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % 16, 0u);
  EXPECT_EQ(BlockSize(p), c.Block);
  EXPECT_GE(TFastMemBig::UsableSize(p), c.Request);
  EXPECT_EQ(Pages.UsedPageCount(), c.Pages);
  EXPECT_EQ(FreeSizes(), c.Free);
  std::memset(p, 0x5A, c.Request);
  EXPECT_EQ(Big.BigFreeMem(p), 0);
  EXPECT_EQ(FreeSizes(), std::vector<std::size_t>{kPage});  // one whole page is kept
  EXPECT_EQ(Pages.UsedPageCount(), 1u);
}

// The 16-byte header and the closing word cost 20 bytes of a block.
INSTANTIATE_TEST_SUITE_P(
    Big, BigBlockSizes,
    ::testing::Values(TSizeCase{"SmallestRequest", 257, 384, 1, {kPage - 384}},
                      TSizeCase{"LargestOfThreeUnits", 364, 384, 1, {kPage - 384}},
                      TSizeCase{"FirstOfFourUnits", 365, 512, 1, {kPage - 512}},
                      TSizeCase{"WholePageThroughTheLists", 65516, kPage, 1, {}},
                      TSizeCase{"TwoPagesRestFiledBelowAPage", 65517, 65664, 2, {65408}},
                      TSizeCase{"RunOfPagesWithNoRest", 3 * kPage - 20, 3 * kPage, 3, {}}),
    test::ByName());

TEST(BigClasses, FreeBlocksAreFiledUnderTheHighestBoundNotAboveThem) {
  EXPECT_EQ(TFastMemBig::FilingClass(128), -1);
  EXPECT_EQ(TFastMemBig::ClassBound(TFastMemBig::FilingClass(256)), 256u);
  EXPECT_EQ(TFastMemBig::ClassBound(TFastMemBig::FilingClass(10240)), 8192u);  // no class of 10240
  EXPECT_EQ(TFastMemBig::ClassBound(TFastMemBig::FilingClass(12288)), 12288u);
  EXPECT_EQ(TFastMemBig::ClassBound(TFastMemBig::FilingClass(65408)), 63488u);
  EXPECT_EQ(TFastMemBig::FilingClass(kPage), TFastMemBig::kClassCount - 1);
}

TEST_F(BigHeap, OneWholeFreePageIsKeptAndASecondGoesBack) {
  void* a = Big.BigGetMem(65516);
  void* b = Big.BigGetMem(65516);
  EXPECT_EQ(Pages.UsedPageCount(), 2u);
  Big.BigFreeMem(a);
  EXPECT_EQ(FreeSizes(), std::vector<std::size_t>{kPage});
  Big.BigFreeMem(b);
  EXPECT_EQ(FreeSizes(), std::vector<std::size_t>{kPage});
  EXPECT_EQ(Pages.UsedPageCount(), 1u);
  Big.DoneBigHeap();
  EXPECT_EQ(Pages.UsedPageCount(), 0u);
}

struct TMergeCase {
  const char* Name;
  std::vector<int> Order;  // which of blocks 0..2 to free, in order
  std::vector<std::size_t> Free;
};

class BigMerging : public BigHeap, public ::testing::WithParamInterface<TMergeCase> {};

TEST_P(BigMerging, FreedNeighboursBecomeOneBlock) {
  void* blocks[4];
  for (void*& p : blocks)
    p = Big.BigGetMem(1000);  // 1,024-byte blocks side by side; the 4th closes the run
  for (int i : GetParam().Order) EXPECT_EQ(Big.BigFreeMem(blocks[i]), 0);
  EXPECT_EQ(FreeSizes(), GetParam().Free);
}

constexpr std::size_t kRest = kPage - 4 * 1024;
INSTANTIATE_TEST_SUITE_P(Big, BigMerging,
                         ::testing::Values(TMergeCase{"LowerThenUpper", {0, 1}, {2048, kRest}},
                                           TMergeCase{"UpperThenLower", {1, 0}, {2048, kRest}},
                                           TMergeCase{"MiddleJoinsBoth", {0, 2, 1}, {3072, kRest}},
                                           TMergeCase{
                                               "ApartStaySeparate", {0, 2}, {1024, 1024, kRest}},
                                           TMergeCase{"LastJoinsThePageRest", {3}, {kRest + 1024}}),
                         test::ByName());

struct TResizeCase {
  const char* Name;
  std::size_t From;
  std::size_t To;
  bool NeighbourInUse;  // a block right above the resized one
  bool MustMove;
  std::size_t Block;  // the block's size afterwards when it stays
};

class BigResizing : public BigHeap, public ::testing::WithParamInterface<TResizeCase> {};

TEST_P(BigResizing, StayWhenThePageAllowsIt) {
  const TResizeCase& c = GetParam();
  void* p = Big.BigGetMem(c.From);
  void* neighbour = c.NeighbourInUse ? Big.BigGetMem(300) : nullptr;
  void* q = p;
  std::size_t oldUsable = 0;
  const std::size_t before = TFastMemBig::UsableSize(p);
  EXPECT_EQ(Big.BigResize(q, c.To, oldUsable), c.MustMove);
  EXPECT_EQ(q, p);
  EXPECT_EQ(oldUsable, before);
  if (!c.MustMove) {
    EXPECT_EQ(BlockSize(p), c.Block);
  }
  // Nothing is lost: with every block freed the heap holds one whole page.
  Big.BigFreeMem(p);
  if (neighbour) Big.BigFreeMem(neighbour);
  EXPECT_EQ(FreeSizes(), std::vector<std::size_t>{kPage});
  EXPECT_EQ(Pages.UsedPageCount(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Big, BigResizing,
    ::testing::Values(TResizeCase{"ToMediumSizeMustMove", 1000, 256, false, true, 0},
                      TResizeCase{"SameBlockSizeUnchanged", 1000, 1004, false, false, 1024},
                      TResizeCase{"ShrinkGivesTheTailBack", 4000, 1000, true, false, 1024},
                      TResizeCase{"ShrinkLeavingOneUnit", 400, 364, true, false, 384},
                      TResizeCase{"GrowIntoTheFreeBlockAbove", 1000, 3000, false, false, 3072},
                      TResizeCase{"GrowBlockedByABlockInUse", 1000, 3000, true, true, 0},
                      TResizeCase{"GrowToTheEndOfThePage", 60000, 65516, false, false, kPage},
                      TResizeCase{"GrowAcrossThePageEndMoves", 60000, 65517, false, true, 0},
                      TResizeCase{"ShrinkARunOfPages", 200000, 70000, false, false, 70144},
                      TResizeCase{"ShrinkARunToOnePage", 200000, 1000, false, false, 1024}),
    test::ByName());

TEST_F(BigHeap, ShrinkingARunReturnsItsSurplusPages) {
  void* p = Big.BigGetMem(200000);  // four pages
  EXPECT_EQ(Pages.UsedPageCount(), 4u);
  std::size_t oldUsable;
  EXPECT_FALSE(Big.BigResize(p, 70000, oldUsable));
  // The third page is kept whole; the tail of the fourth joins its free rest and goes back.
  EXPECT_EQ(Pages.UsedPageCount(), 3u);
  EXPECT_EQ(FreeSizes(), (std::vector<std::size_t>{2 * kPage - 70144, kPage}));
}

TEST_F(BigHeap, ReleaseRejectsWhatIsNotABlockInUse) {
  auto* p = static_cast<unsigned char*>(Big.BigGetMem(1000));
  void* above = Big.BigGetMem(1000);
  EXPECT_EQ(Big.BigFreeMem(p + 16), 1);  // inside a block
  std::uint32_t size;
  std::memcpy(&size, p - 16, 4);
  const std::uint32_t wrong = size + 1;  // its last word would be the neighbour's caller memory
  std::memcpy(p - 16, &wrong, 4);
  std::memset(above, 0xFF, 1000);
  EXPECT_EQ(Big.BigFreeMem(p), 1);
  const std::uint32_t huge = 0x00FFFFFF;  // past the region
  std::memcpy(p - 16, &huge, 4);
  EXPECT_EQ(Big.BigFreeMem(p), 1);
  std::memcpy(p - 16, &size, 4);
  const auto freeBefore = FreeSizes();
  EXPECT_EQ(Big.BigFreeMem(p), 0);
  EXPECT_EQ(Big.BigFreeMem(p), 1);  // a second release
  EXPECT_EQ(FreeSizes().size(), freeBefore.size() + 1);
}

}  // namespace
}  // namespace quenby
