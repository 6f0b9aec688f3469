#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "RecordingView.h"
#include "TestItems.h"

namespace quenby {
namespace {

using namespace std::chrono_literals;
using test::TIntItem;
using test::TIntItems;
using test::TRecordingView;
using Events = std::vector<std::string>;

TEST(VirtItems, RangeCheckedAccessAndStaleCountRepair) {
  TIntItems items;
  TRecordingView view(items.View());
  items.AddValue(1);
  EXPECT_EQ(items.ItemAt(-1), nullptr);
  EXPECT_EQ(items.ItemAt(1), nullptr);
  EXPECT_EQ(items.AcquireItemAt(3), nullptr);
  EXPECT_EQ(view.Take(), Events{"count 1"});  // main thread: direct
  std::thread([&] { EXPECT_EQ(items.AcquireItemAt(3), nullptr); }).join();
  EXPECT_EQ(view.Take(), Events{"post count 1"});  // worker: posted
  TItemRef<TVirtItem> held(items.AcquireItemAt(0));
  EXPECT_TRUE(held);
}

TEST(VirtItems, ClearAndChangedReachTheView) {
  TIntItems items;
  TRecordingView view(items.View());
  int changes = 0;
  items.OnChange = [&](TSyncObjList*) { ++changes; };
  items.BeginUpdate();
  items.AddValue(1);
  items.AddValue(2);
  items.EndUpdate();
  EXPECT_EQ(view.Take(), Events{"post 1372"});
  EXPECT_EQ(changes, 1);
  items.Clear();
  EXPECT_EQ(view.Take(), (Events{"post count 0", "refresh"}));
  EXPECT_EQ(items.Count(), 0);
}

TEST(VirtItems, CheckedRepaintsOnlyOutsideUpdatesAndIsCounted) {
  TIntItems items;
  TRecordingView view(items.View());
  for (int v = 0; v < 5; ++v) items.AddValue(v);
  view.Take();
  items.ItemAt(0)->SetChecked(true);
  items.ItemAt(0)->SetChecked(true);  // no change, no repaint
  EXPECT_EQ(view.Take(), Events{"repaint"});
  items.CheckRange(2, 4);
  EXPECT_EQ(view.Take(), Events{"post 1372"});  // one change for the range
  items.CheckRange(3, 1);
  EXPECT_EQ(items.Recount(), 4);
  items.ItemAt(2)->ToggleChecked();
  EXPECT_EQ(items.Recount(), 3);
}

TEST(VirtItems, IndexOfKeyIgnoresCase) {
  TIntItems items;
  for (const char* key : {"inbox/1", "Straße", "ÄRGER"}) items.AddValue(0)->Key = key;
  EXPECT_EQ(items.IndexOfKey("INBOX/1"), 0);
  EXPECT_EQ(items.IndexOfKey("STRASSE"), 1);
  EXPECT_EQ(items.IndexOfKey("ärger"), 2);
  EXPECT_EQ(items.IndexOfKey("nothing"), -1);
}

TEST(VirtItems, RemovedCurrentItemIsForgotten) {
  TIntItems items;
  TRecordingView view(items.View());
  TIntItem* first = items.AddValue(1);
  items.AddValue(2);
  view.CurrentItem = items.ItemAt(1);
  items.Delete(0);
  EXPECT_NE(view.CurrentItem, nullptr);
  (void)first;
  items.Delete(0);
  EXPECT_EQ(view.CurrentItem, nullptr);
}

TEST(VirtItems, StatusTextRoundTrips) {
  TIntItems items;
  items.SetStatusText(u"Read error");
  EXPECT_EQ(items.StatusText(), u"Read error");
}

TEST(VirtItems, SendBlocksUntilHandledAndABreakEndsTheWait) {
  TIntItems items;
  TRecordingView view(items.View());
  auto sent =
      std::async(std::launch::async, [&] { return items.SendToView(WM_ITEMS_SELECT_CURRENT); });
  EXPECT_EQ(sent.wait_for(100ms), std::future_status::timeout);
  {
    std::lock_guard g(view.Mutex_);
    ASSERT_EQ(view.Pending.size(), 1u);
    view.Pending[0]->Done();
  }
  EXPECT_TRUE(sent.get());

  std::atomic<bool> breakRequested{false};
  auto broken = std::async(std::launch::async, [&] {
    return items.SendToView(WM_ITEMS_SELECT_CURRENT, [&] { return breakRequested.load(); });
  });
  EXPECT_EQ(broken.wait_for(100ms), std::future_status::timeout);
  breakRequested = true;
  ASSERT_EQ(broken.wait_for(10s), std::future_status::ready);
  EXPECT_FALSE(broken.get());
}

TEST(VirtItems, NothingReachesADetachedView) {
  TIntItems items;
  { TRecordingView view(items.View()); }
  EXPECT_FALSE(items.HasView());
  items.AddValue(1);
  items.Changed();
  EXPECT_FALSE(items.SendToView(WM_ITEMS_SELECT_CURRENT));  // returns at once
}

}  // namespace
}  // namespace quenby
