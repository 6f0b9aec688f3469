#include <gtest/gtest.h>

#include "TestNames.h"

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "memory/MemoryAssertion.h"
#include "memory/PageHeap.h"

namespace quenby {
namespace {

constexpr std::size_t kPage = TPageHeap::kPageSize;

std::ptrdiff_t PageOf(const TPageHeap& heap, const void* p) {
  return p ? static_cast<std::ptrdiff_t>(heap.PageIndex(p)) : -1;
}

// Takes the pages of a layout ('#' in use, '.' free) from an empty heap.
void Lay(TPageHeap& heap, const std::string& layout) {
  for (std::size_t i = 0; i < layout.size(); ++i) ASSERT_NE(heap.AllocPages(1, pcBig), nullptr);
  for (std::size_t i = 0; i < layout.size(); ++i)
    if (layout[i] == '.') heap.FreePages(heap.PageAddress(i), 1);
}

struct TRunCase {
  std::string Name;
  std::string Layout;
  std::size_t Count;
  std::ptrdiff_t Page;  // -1: nil
  std::size_t Groups;   // committed afterwards
};

class PageRuns : public ::testing::TestWithParam<TRunCase> {};

TEST_P(PageRuns, TakeTheFirstFitAndCommitTheirGroups) {
  const TRunCase& c = GetParam();
  TPageHeap heap;
  ASSERT_TRUE(heap.InitPageHeap(4));  // 64 pages, 8 groups
  Lay(heap, c.Layout);
  void* p = heap.AllocPages(c.Count, pcMedium);
  EXPECT_EQ(PageOf(heap, p), c.Page);
  EXPECT_EQ(heap.CommittedGroupCount(), c.Groups);
  if (p) {
    for (std::size_t i = 0; i < c.Count; ++i)
      EXPECT_EQ(heap.PageClassOf(static_cast<char*>(p) + i * kPage + 1), pcMedium);
    std::memset(p, 0xA5, c.Count * kPage);  // committed read-write
  }
}

std::string Alternating() {
  std::string s;
  for (int i = 0; i < 32; ++i) s += "#.";
  return s;
}

INSTANTIATE_TEST_SUITE_P(
    PageHeap, PageRuns,
    ::testing::Values(TRunCase{"OnePageCommitsTheFirstGroup", "", 1, 0, 1},
                      TRunCase{"RunReachesIntoAGroupWithNothingInUse", "#######", 4, 7, 2},
                      TRunCase{"ShortGapsArePassedOver", "#.#..#...#", 3, 6, 2},
                      TRunCase{"RunInsideOneByte", "#..##...##", 3, 5, 2},
                      TRunCase{"HighFreePagesStartARun", "######..####", 4, 12, 2},
                      TRunCase{"LowFreePagesCompleteARun", "#####.....######", 5, 5, 2},
                      TRunCase{"RunLongerThanTheGapTakesLaterPages", "#####.....######", 6, 16, 3},
                      TRunCase{"RunOverWholeBytes", "#", 20, 1, 3},
                      TRunCase{"EnoughFreePagesButNoRun", Alternating(), 2, -1, 8},
                      TRunCase{"MoreThanTheRegion", "", 65, -1, 0}),
    test::ByName());

TEST(PageHeap, ServesEveryPageOfTheRegionAndThenNil) {
  TPageHeap heap;
  ASSERT_TRUE(heap.InitPageHeap(256));
  ASSERT_EQ(heap.PageCount(), 4096u);
  for (std::size_t i = 0; i < 4096; ++i)
    ASSERT_EQ(PageOf(heap, heap.AllocPages(1, pcSmall)), static_cast<std::ptrdiff_t>(i));
  EXPECT_EQ(heap.AllocPages(1, pcSmall), nullptr);
  EXPECT_EQ(heap.AllocPages(2, pcSmall), nullptr);
  EXPECT_EQ(heap.UsedPageCount(), 4096u);
  heap.FreeAllPages(pcSmall);
  EXPECT_EQ(heap.UsedPageCount(), 0u);
  EXPECT_EQ(heap.CommittedGroupCount(), 0u);
}

TEST(PageHeap, RegionIsWholeTwoMegabytes) {
  TPageHeap heap;
  ASSERT_TRUE(heap.InitPageHeap(5));
  EXPECT_EQ(heap.PageCount(), 64u);
  EXPECT_EQ(heap.RegionStart() % kPage, 0u);
  EXPECT_FALSE(heap.InitPageHeap(1));
}

TEST(PageHeap, ReturningTheLastPageOfAGroupDecommitsIt) {
  TPageHeap heap;
  ASSERT_TRUE(heap.InitPageHeap(2));
  auto* p = static_cast<unsigned char*>(heap.AllocPages(1, pcBig));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(heap.CommittedGroupCount(), 1u);
  std::memset(p, 0xFF, kPage);
  heap.FreePages(p, 1);
  EXPECT_EQ(heap.CommittedGroupCount(), 0u);
  // Decommitted memory comes back zeroed.
  ASSERT_EQ(heap.AllocPages(1, pcBig), p);
  EXPECT_EQ(p[0] | p[kPage - 1], 0);
}

TEST(PageHeap, HintFollowsTakenAndReturnedPages) {
  TPageHeap heap;
  ASSERT_TRUE(heap.InitPageHeap(2));
  for (int i = 0; i < 10; ++i) heap.AllocPages(1, pcSmall);
  EXPECT_EQ(heap.Hint(), 10u);
  heap.FreePages(heap.PageAddress(4), 1);
  EXPECT_EQ(heap.Hint(), 4u);
  EXPECT_EQ(PageOf(heap, heap.AllocPages(1, pcSmall)), 4);
  EXPECT_EQ(heap.Hint(), 5u);
  EXPECT_EQ(PageOf(heap, heap.AllocPages(1, pcSmall)), 10);
  EXPECT_EQ(heap.Hint(), 11u);
  while (heap.AllocPages(1, pcSmall)) {
  }
  EXPECT_EQ(heap.Hint(), heap.PageCount());  // a full region fails without a scan
  heap.FreePages(heap.PageAddress(20), 1);
  EXPECT_EQ(PageOf(heap, heap.AllocPages(1, pcSmall)), 20);
}

TEST(PageHeap, PagesKnowTheirClassAndTheRegionItsBounds) {
  TPageHeap heap;
  EXPECT_FALSE(heap.InPageHeap(&heap));  // before set-up nothing belongs to it
  ASSERT_TRUE(heap.InitPageHeap(2));
  void* small = heap.AllocPages(1, pcSmall);
  void* big = heap.AllocPages(2, pcBig);
  void* medium = heap.AllocPages(1, pcMedium);
  const auto start = reinterpret_cast<char*>(heap.RegionStart());
  EXPECT_FALSE(heap.InPageHeap(start - 1));
  EXPECT_TRUE(heap.InPageHeap(start));
  EXPECT_TRUE(heap.InPageHeap(start + heap.RegionSize() - 1));
  EXPECT_FALSE(heap.InPageHeap(start + heap.RegionSize()));
  EXPECT_EQ(heap.PageClassOf(static_cast<char*>(big) + kPage + 77), pcBig);
  EXPECT_EQ(heap.PageClassOf(static_cast<char*>(medium) + kPage - 1), pcMedium);
  EXPECT_EQ(heap.PageClassOf(static_cast<char*>(medium) + kPage), pcFree);
  std::vector<void*> bigPages;
  heap.ForEachPage(pcBig, [&](void* page) { bigPages.push_back(page); });
  EXPECT_EQ(bigPages, (std::vector<void*>{big, static_cast<char*>(big) + kPage}));
  heap.FreeAllPages(pcBig);
  EXPECT_EQ(heap.PageClassOf(big), pcFree);
  EXPECT_EQ(heap.PageClassOf(small), pcSmall);
  EXPECT_EQ(heap.UsedPageCount(), 2u);
}

TEST(PageHeap, PageClassFreeIsAProgrammingError) {
  TPageHeap heap;
  ASSERT_TRUE(heap.InitPageHeap(2));
  try {
    heap.AllocPages(1, pcFree);
    FAIL() << "no assertion";
  } catch (const EMemoryAssertion& e) {
    EXPECT_STREQ(e.what(), "Invalid PageClass");
  }
  EXPECT_EQ(heap.UsedPageCount(), 0u);
  EXPECT_NE(heap.AllocPages(1, pcSmall), nullptr);  // the lock was released
}

// The table-driven search against a plain first fit over a model bitmap.
TEST(PageHeap, RandomRunsMatchAPlainFirstFit) {
  TPageHeap heap;
  ASSERT_TRUE(heap.InitPageHeap(8));
  const std::size_t pages = heap.PageCount();
  std::vector<bool> used(pages);
  struct TRun {
    std::size_t First, Count;
  };
  std::vector<TRun> runs;
  std::mt19937 rng(7);
  for (int step = 0; step < 20000; ++step) {
    if (!runs.empty() && rng() % 2) {
      const std::size_t i = rng() % runs.size();
      for (std::size_t p = 0; p < runs[i].Count; ++p) {
        heap.FreePages(heap.PageAddress(runs[i].First + p), 1);
        used[runs[i].First + p] = false;
      }
      runs[i] = runs.back();
      runs.pop_back();
      continue;
    }
    const std::size_t count = 1 + rng() % (rng() % 4 ? 3 : 20);
    std::ptrdiff_t expected = -1;
    for (std::size_t first = 0, run = 0; first + run < pages; ++run) {
      if (used[first + run]) {
        first += run + 1;
        run = static_cast<std::size_t>(-1);
      } else if (run + 1 == count) {
        expected = static_cast<std::ptrdiff_t>(first);
        break;
      }
    }
    void* p = heap.AllocPages(count, pcBig);
    ASSERT_EQ(PageOf(heap, p), expected) << "step " << step << " count " << count;
    if (!p) continue;
    for (std::size_t i = 0; i < count; ++i) used[static_cast<std::size_t>(expected) + i] = true;
    runs.push_back({static_cast<std::size_t>(expected), count});
  }
}

}  // namespace
}  // namespace quenby
