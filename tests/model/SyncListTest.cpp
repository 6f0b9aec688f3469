#include <gtest/gtest.h>

#include "TestNames.h"

#include <algorithm>
#include <random>
#include <thread>

#include "TestItems.h"
#include "platform/Errors.h"

namespace quenby {
namespace {

using test::TIntItem;
using test::TIntItems;

TEST(SyncList, IndexErrorNamesTheIndex) {
  TIntItems list;
  list.AddValue(1);
  try {
    list.Items(5);
    FAIL() << "no error";
  } catch (const EListError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (5)");
  }
  EXPECT_THROW(list.Items(-1), EListError);
  EXPECT_EQ(list.IndexOf(nullptr), -1);
}

TEST(SyncList, ItemWithoutOwnerIsRefused) {
  try {
    TVirtItem item(nullptr);
    FAIL() << "no error";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "invalid create TSyncItem: Owner = nil");
  }
}

TEST(SyncList, AddRunsAnOverriddenInsert) {
  struct TCounting : TSyncList {
    int Inserts = 0;
    void Insert(std::int32_t i, TObject* p) override {
      ++Inserts;
      TSyncList::Insert(i, p);
    }
  } list;
  EXPECT_EQ(list.Add(new TObject), 0);
  EXPECT_EQ(list.Add(new TObject), 1);
  EXPECT_EQ(list.Inserts, 2);
}

TEST(SyncList, DeletedWhileHeldStaysReadableAndIsFreedOnce) {
  std::atomic<int> destroyed{0};
  TIntItems list;
  for (int v : {10, 20, 30}) list.AddValue(v, &destroyed);
  auto* held = static_cast<TIntItem*>(list.AcquireItem(1));
  ASSERT_NE(held, nullptr);
  list.Delete(1);
  EXPECT_EQ(destroyed, 0);
  EXPECT_TRUE(held->Deleted());
  held->BeginRead();
  EXPECT_EQ(held->Value, 20);
  held->EndRead();
  TItemRef<TIntItem> other(static_cast<TIntItem*>(list.AcquireItem(1)));
  EXPECT_EQ(other->Value, 30);
  held->Release();
  EXPECT_EQ(destroyed, 1);
}

TEST(SyncList, HeldItemOutlivesItsList) {
  std::atomic<int> destroyed{0};
  TSyncItem* held;
  {
    TIntItems list;
    list.AddValue(1, &destroyed);
    list.AddValue(2, &destroyed);
    held = list.AcquireItem(0);
  }
  EXPECT_EQ(destroyed, 1);
  held->BeginRead();  // the list's lock lives on with the item
  held->EndRead();
  held->Release();
  EXPECT_EQ(destroyed, 2);
}

TEST(SyncList, AcquireRacesDeleteAndEveryItemIsFreedOnce) {
  std::atomic<int> destroyed{0};
  constexpr int kItems = 2000;
  TIntItems list;
  for (int i = 0; i < kItems; ++i) list.AddValue(i, &destroyed);
  std::atomic<bool> stop{false};
  std::vector<std::thread> readers;
  for (int t = 0; t < 3; ++t)
    readers.emplace_back([&, t] {
      std::mt19937 rng(t);
      while (!stop) {
        list.BeginRead();
        const std::int32_t n = list.RawCount();
        list.EndRead();
        if (n == 0) continue;
        TItemRef<TIntItem> item(static_cast<TIntItem*>(list.AcquireItemAt(rng() % n)));
        if (!item) continue;
        item->BeginRead();
        volatile int v = item->Value;
        (void)v;
        item->EndRead();
      }
    });
  while (list.Count() > 0) list.Delete(0);
  stop = true;
  for (auto& r : readers) r.join();
  EXPECT_EQ(destroyed, kItems);
}

TEST(SyncList, UpdatesNestAndChangeFiresOnce) {
  TIntItems list;
  int changes = 0;
  list.OnChange = [&](TSyncObjList*) { ++changes; };
  list.BeginUpdate();
  list.BeginUpdate();
  EXPECT_TRUE(list.IsUpdating());
  list.AddValue(1);
  list.EndUpdate();
  EXPECT_EQ(changes, 0);
  list.EndUpdate();
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(list.IsUpdating());
}

TEST(SyncList, AViewBracketDoesNotSwallowTheWritersChange) {
  TIntItems list;
  int changes = 0;
  list.OnChange = [&](TSyncObjList*) { ++changes; };
  list.BeginViewUpdate();
  EXPECT_TRUE(list.IsUpdating());
  list.BeginUpdate();
  list.AddValue(1);
  list.EndUpdate();
  EXPECT_EQ(changes, 1);
  list.EndViewUpdate();
  EXPECT_FALSE(list.IsUpdating());
}

struct TSortCase {
  const char* Name;
  std::vector<int> Values;
};

class SortCases : public ::testing::TestWithParam<TSortCase> {};

TEST_P(SortCases, SortsToAPermutation) {
  TIntItems list;
  for (int v : GetParam().Values) list.AddValue(v);
  list.Sort();
  std::vector<int> expected = GetParam().Values;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(list.Values(), expected);
}

INSTANTIATE_TEST_SUITE_P(Lists, SortCases,
                         ::testing::Values(TSortCase{"Empty", {}}, TSortCase{"One", {4}},
                                           TSortCase{"AllEqual", {2, 2, 2, 2, 2}},
                                           TSortCase{"Reversed", {5, 4, 3, 2, 1}},
                                           TSortCase{"Mixed", {3, 9, 1, 3, 7, 0, 9, 2}}),
                         test::ByName());

struct TRepositionCase {
  const char* Name;
  std::vector<int> Values;  // sorted
  int Index;
  int NewValue;
  int ExpectedPosition;
};

class RepositionCases : public ::testing::TestWithParam<TRepositionCase> {};

TEST_P(RepositionCases, LandsAtTheSortedPlace) {
  const auto& c = GetParam();
  TIntItems list;
  for (int v : c.Values) list.AddValue(v);
  auto* item = static_cast<TIntItem*>(list.ItemAt(c.Index));
  item->Value = c.NewValue;
  EXPECT_EQ(list.Reposition(c.Index), c.ExpectedPosition);
  EXPECT_EQ(list.ItemAt(c.ExpectedPosition), item);
  const std::vector<int> values = list.Values();
  EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
  EXPECT_EQ(list.ExcludedIndex(), -1);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, RepositionCases,
    ::testing::Values(TRepositionCase{"OnlyItem", {5}, 0, 9, 0},
                      TRepositionCase{"FirstToEnd", {1, 3, 5, 7}, 0, 10, 3},
                      TRepositionCase{"LastToFront", {1, 3, 5, 7}, 3, 0, 0},
                      TRepositionCase{"MiddleForward", {1, 3, 5, 7, 9}, 1, 6, 2},
                      TRepositionCase{"MiddleBackward", {1, 3, 5, 7, 9}, 3, 2, 1},
                      TRepositionCase{"StaysPut", {1, 3, 5, 7}, 2, 5, 2},
                      TRepositionCase{"AllEqual", {4, 4, 4, 4}, 1, 4, 2}),
    test::ByName());

struct TFindCase {
  const char* Name;
  std::vector<int> Values;
  int Key;
  bool Found;
  int Position;
};

class FindCases : public ::testing::TestWithParam<TFindCase> {};

TEST_P(FindCases, FindsOrGivesTheInsertPlace) {
  const auto& c = GetParam();
  TIntItems list;
  for (int v : c.Values) list.AddValue(v);
  list.Key = c.Key;
  std::int32_t position = -7;
  EXPECT_EQ(list.Find(position), c.Found);
  EXPECT_EQ(position, c.Position);
}

INSTANTIATE_TEST_SUITE_P(Lists, FindCases,
                         ::testing::Values(TFindCase{"Empty", {}, 3, false, 0},
                                           TFindCase{"OneEqual", {3}, 3, true, 0},
                                           TFindCase{"OneSmaller", {3}, 1, false, 0},
                                           TFindCase{"LargerThanAll", {1, 3, 5}, 9, false, 3},
                                           TFindCase{"Between", {1, 3, 5, 7}, 4, false, 2},
                                           TFindCase{"First", {1, 3, 5, 7}, 1, true, 0},
                                           TFindCase{"Last", {1, 3, 5, 7}, 7, true, 3}),
                         test::ByName());

TEST(SyncList, InsertPositionPlacesAfterTheEqualElementMet) {
  const std::vector<int> v{1, 2, 2, 2, 3, 2};
  const auto compare = [&](std::int32_t a, std::int32_t b) { return v[a] - v[b]; };
  EXPECT_EQ(InsertPosition(0, compare), 0);
  EXPECT_EQ(InsertPosition(5, compare), 3);  // the search meets the 2 at position 2 first
}

}  // namespace
}  // namespace quenby
