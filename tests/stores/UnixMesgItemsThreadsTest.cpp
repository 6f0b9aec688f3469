// A mailbox list loading on its worker thread.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "TempDir.h"
#include "model/MultiReadSync.h"
#include "stores/UnixMesgItems.h"

namespace quenby::test {
namespace {

const std::string kSample = std::string(QUENBY_SOURCE_DIR) + "/samples/mbox/rlug.mbox";

bool WaitLoaded(const TUnixMesgItems& items) {
  for (int i = 0; i < 10000 && items.Loading(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return !items.Loading();
}

TEST(UnixMesgItemsThreads, LoadsOnItsThreadAndRefusesExportMeanwhile) {
  TTempDir dir;
  TUnixMesgItems items;
  {
    // The loader waits for the lock at its first message: still loading.
    TWriteLock hold(items.Lock());
    items.SetMBoxFileName(kSample);
    ASSERT_TRUE(items.Loading());
    items.SetMBoxFileName(kSample);  // ignored while the load runs
    EXPECT_THROW(WriteMailbox(items, dir / "out.mbox"), EExportRefused);
  }
  ASSERT_TRUE(WaitLoaded(items));
  EXPECT_EQ(items.Count(), 5);
  EXPECT_EQ(items.MBoxFileName(), kSample);
  EXPECT_GE(items.IndexOfKey("0"), 0);
  WriteMailbox(items, dir / "out.mbox");
  TMemMesgItems back;
  LoadMailbox(back, dir / "out.mbox");
  EXPECT_EQ(back.Count(), 5);

  // After the load the same name loads again, from a clear list.
  items.SetMBoxFileName(kSample);
  ASSERT_TRUE(WaitLoaded(items));
  EXPECT_EQ(items.Count(), 5);
}

// Destroying the list mid-load breaks the load off: no hang, no race.
TEST(UnixMesgItemsThreads, DestroyDuringALoadEndsItCleanly) {
  TTempDir dir;
  std::string box;
  constexpr int kMessages = 20000;
  for (int i = 0; i < kMessages; ++i)
    box += "From a Tue Mar  5 14:03:07 2002\nSubject: " + std::to_string(i) + "\n\nbody\n\n";
  WriteAll(dir / "big.mbox", box);
  auto items = std::make_unique<TUnixMesgItems>();
  {
    TWriteLock hold(items->Lock());  // the loader waits at its first message
    items->SetMBoxFileName(dir / "big.mbox");
    ASSERT_TRUE(items->Loading());
  }
  EXPECT_LT(items->Count(), kMessages);
  items.reset();
}

TEST(UnixMesgItemsThreads, MissingFileIsIgnored) {
  TUnixMesgItems items;
  items.SetMBoxFileName("/nonexistent/box.mbox");
  EXPECT_FALSE(items.Loading());
  EXPECT_TRUE(items.MBoxFileName().empty());
}

}  // namespace
}  // namespace quenby::test
