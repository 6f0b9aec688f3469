#include <gtest/gtest.h>

#include <thread>

#include "TestMesgItems.h"
#include "model/mail/MesgItems.h"

namespace quenby {
namespace {

// A loader fills the list while two readers recount it, as the view and a
// status update may at once; the counters end right.
TEST(MesgItemsThreads, RecountWhileLoading) {
  TMesgItems items;
  constexpr int kItems = 600;
  std::thread loader([&] {
    for (int i = 0; i < kItems; ++i) {
      auto* item = new test::TTextMesgItem(&items, "Subject: x\r\n\r\n");
      item->Flags = i % 3 == 0 ? mfSeen : 0;
      items.Add(item);
    }
  });
  auto recount = [&] {
    for (int i = 0; i < 200; ++i) items.Recount();
  };
  std::thread other(recount);
  recount();
  loader.join();
  other.join();
  items.Recount();
  EXPECT_EQ(items.FlagCount(TFlagCounter::Seen), kItems / 3);
  EXPECT_EQ(items.FlagCount(TFlagCounter::Unseen), kItems - kItems / 3);
}

}  // namespace
}  // namespace quenby
