// A mailbox list loading on its worker thread.
#include <gtest/gtest.h>

#include <chrono>
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

TEST(UnixMesgItemsThreads, DestroyBreaksARunningLoad) {
  TTempDir dir;
  std::string box;
  for (int i = 0; i < 20000; ++i)
    box += "From a Tue Mar  5 14:03:07 2002\nSubject: " + std::to_string(i) + "\n\nbody\n\n";
  WriteAll(dir / "big.mbox", box);
  const auto start = std::chrono::steady_clock::now();
  {
    TUnixMesgItems items;
    items.SetMBoxFileName(dir / "big.mbox");
  }
  // Generous: a full load under the sanitizers takes far longer.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(UnixMesgItemsThreads, MissingFileIsIgnored) {
  TUnixMesgItems items;
  items.SetMBoxFileName("/nonexistent/box.mbox");
  EXPECT_FALSE(items.Loading());
  EXPECT_TRUE(items.MBoxFileName().empty());
}

}  // namespace
}  // namespace quenby::test
