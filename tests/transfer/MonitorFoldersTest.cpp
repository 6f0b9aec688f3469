// The folder monitor on real temporary folders and real inotify.
#include <gtest/gtest.h>

#include <sys/inotify.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include "TempDir.h"
#include "TestNames.h"
#include "transfer/InotifyHub.h"
#include "transfer/MonitorFolders.h"

namespace quenby {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// A watched folder.
struct TTempDir {
  test::TTempDir Dir;
  fs::path Path{Dir.Path()};
};

void Touch(const fs::path& p) {
  std::ofstream(p) << "x";
}

// Records the plans a monitor runs, in order.
struct TJournal {
  std::mutex Mutex;
  std::vector<int> Plans;
  void Add(int plan) {
    std::lock_guard g(Mutex);
    Plans.push_back(plan);
  }
  std::vector<int> Get() {
    std::lock_guard g(Mutex);
    return Plans;
  }
  std::size_t Count() {
    std::lock_guard g(Mutex);
    return Plans.size();
  }
};

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = 10s) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    if (condition()) return true;
    std::this_thread::sleep_for(2ms);
  }
  return condition();
}

struct TMonitorRef {
  TThreadRef Ref{nullptr};
  TMonitorFolder* Get() { return static_cast<TMonitorFolder*>(Ref.load()); }
  ~TMonitorRef() { FreeThread(Ref, true); }
};

TEST(MonitorFolder, AHigherRequestRunsNextAndOutranksALowerOne) {
  TJournal journal;
  std::promise<void> release;
  std::shared_future<void> gate = release.get_future().share();
  std::atomic<bool> changeRunning{false};
  TMonitorRef m;
  new TMonitorFolder(
      &m.Ref, [&](TMonitorFolder&) { journal.Add(2); },
      [&](TMonitorFolder&) {
        changeRunning = true;
        gate.wait();  // no CheckBreakPlan: the plan cannot be abandoned
        journal.Add(1);
      },
      50ms);
  m.Get()->RequestPlan(1);
  ASSERT_TRUE(WaitUntil([&] { return changeRunning.load(); }));
  m.Get()->RequestPlan(2);
  m.Get()->RequestPlan(1);  // after 2, before the worker took it: 2 stays pending
  release.set_value();
  ASSERT_TRUE(WaitUntil([&] { return journal.Count() == 2; }));
  std::this_thread::sleep_for(150ms);
  EXPECT_EQ(journal.Get(), (std::vector<int>{1, 2}));
}

TEST(MonitorFolder, AReloadRequestAbandonsTheRunningPlan) {
  TJournal journal;
  std::atomic<bool> running{false};
  TMonitorRef m;
  new TMonitorFolder(
      &m.Ref,
      [&](TMonitorFolder& self) {
        journal.Add(2);
        self.CheckBreakPlan();  // nothing to abandon
        journal.Add(20);
      },
      [&](TMonitorFolder& self) {
        running = true;
        try {
          for (;;) {
            self.CheckBreakPlan();
            std::this_thread::sleep_for(1ms);
          }
        } catch (const EBreakPlan&) {
          journal.Add(-1);
          throw;
        }
      },
      50ms);
  m.Get()->RequestPlan(1);
  ASSERT_TRUE(WaitUntil([&] { return running.load(); }));
  m.Get()->RequestPlan(2);
  ASSERT_TRUE(WaitUntil([&] { return journal.Count() == 3; }));
  EXPECT_EQ(journal.Get(), (std::vector<int>{-1, 2, 20}));
}

TEST(MonitorFolder, ABurstOfChangesGivesOneJobPerQuietPeriod) {
  TTempDir dir;
  TJournal journal;
  TMonitorRef m;
  new TMonitorFolder(
      &m.Ref, {}, [&](TMonitorFolder&) { journal.Add(1); }, 200ms);
  m.Get()->WatchFolder(dir.Path);
  ASSERT_EQ(m.Get()->LastError(), 0);
  for (int i = 0; i < 100; ++i) {  // 100 files over about a second
    Touch(dir.Path / ("a" + std::to_string(i) + ".eml"));
    std::this_thread::sleep_for(10ms);
  }
  ASSERT_TRUE(WaitUntil([&] { return journal.Count() >= 1; }));
  std::this_thread::sleep_for(600ms);
  EXPECT_EQ(journal.Count(), 1u);
  for (int i = 0; i < 10; ++i) Touch(dir.Path / ("b" + std::to_string(i) + ".eml"));
  ASSERT_TRUE(WaitUntil([&] { return journal.Count() >= 2; }));
  std::this_thread::sleep_for(600ms);
  EXPECT_EQ(journal.Count(), 2u);
}

TEST(MonitorFolder, ChangesDuringAJobStartTheNextOne) {
  TTempDir dir;
  TJournal journal;
  TMonitorRef m;
  new TMonitorFolder(
      &m.Ref,
      [&](TMonitorFolder&) {
        journal.Add(2);
        Touch(dir.Path / "arrived-while-loading.eml");
      },
      [&](TMonitorFolder&) { journal.Add(1); }, 50ms);
  m.Get()->WatchFolder(dir.Path);
  m.Get()->RequestPlan(2);
  ASSERT_TRUE(WaitUntil([&] { return journal.Count() == 2; }));
  EXPECT_EQ(journal.Get(), (std::vector<int>{2, 1}));
}

TEST(MonitorFolder, UnwatchableFoldersLeaveNoWatchAndPlansStillRun) {
  TTempDir dir;
  TJournal journal;
  TMonitorRef m;
  new TMonitorFolder(
      &m.Ref, [&](TMonitorFolder&) { journal.Add(2); }, [&](TMonitorFolder&) { journal.Add(1); },
      50ms);
  m.Get()->WatchFolder((dir.Path / "missing").string());
  EXPECT_EQ(m.Get()->LastError(), ENOENT);
  m.Get()->WatchFolder("");
  EXPECT_EQ(m.Get()->LastError(), 0);
  EXPECT_EQ(m.Get()->FolderPath(), "");
  m.Get()->RequestPlan(2);
  ASSERT_TRUE(WaitUntil([&] { return journal.Count() == 1; }));
  Touch(dir.Path / "unwatched.eml");
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(journal.Get(), std::vector<int>{2});
}

TEST(MonitorFolder, DeletingTheWatchedFolderIsAChangeAndANewWatchWorks) {
  TTempDir dir;
  const fs::path watched = dir.Path / "inbox";
  fs::create_directory(watched);
  TJournal journal;
  TMonitorRef m;
  new TMonitorFolder(
      &m.Ref, {}, [&](TMonitorFolder&) { journal.Add(1); }, 50ms);
  m.Get()->WatchFolder(watched);
  fs::remove_all(watched);
  ASSERT_TRUE(WaitUntil([&] { return journal.Count() == 1; }));
  fs::create_directory(dir.Path / "other");
  m.Get()->WatchFolder(dir.Path / "other");
  EXPECT_EQ(m.Get()->LastError(), 0);
  Touch(dir.Path / "other" / "new.eml");
  ASSERT_TRUE(WaitUntil([&] { return journal.Count() == 2; }));
}

TEST(MonitorFolder, TwoMonitorsOnOneFolderBothSeeItsChanges) {
  TTempDir dir;
  TJournal a, b;
  TMonitorRef ma, mb;
  new TMonitorFolder(
      &ma.Ref, {}, [&](TMonitorFolder&) { a.Add(1); }, 50ms);
  new TMonitorFolder(
      &mb.Ref, {}, [&](TMonitorFolder&) { b.Add(1); }, 50ms);
  ma.Get()->WatchFolder(dir.Path);
  mb.Get()->WatchFolder(dir.Path);
  Touch(dir.Path / "shared.eml");
  ASSERT_TRUE(WaitUntil([&] { return a.Count() == 1 && b.Count() == 1; }));
  ma.Get()->WatchFolder("");  // one leaves; the other keeps its watch
  Touch(dir.Path / "second.eml");
  ASSERT_TRUE(WaitUntil([&] { return b.Count() == 2; }));
  EXPECT_EQ(a.Count(), 1u);
}

TEST(MonitorFolder, AFailingJobIsReportedAndTheWorkerGoesOn) {
  TJournal journal;
  std::atomic<int> errors{0};
  TMonitorRef m;
  auto* monitor = new TMonitorFolder(
      &m.Ref, [&](TMonitorFolder&) { journal.Add(2); },
      [&](TMonitorFolder&) { throw std::runtime_error("unreadable folder"); }, 50ms);
  monitor->OnJobError = [&](const std::exception&) { ++errors; };
  monitor->RequestPlan(1);
  ASSERT_TRUE(WaitUntil([&] { return errors.load() == 1; }));
  monitor->RequestPlan(2);
  ASSERT_TRUE(WaitUntil([&] { return journal.Count() == 1; }));
}

TEST(MonitorFolder, StoppingEndsAWaitAndARunningJobAtOnce) {
  // The settle time is far longer than the limit: a stop that waited for
  // the time-out would fail the test.
  {
    TThreadRef ref{nullptr};
    new TMonitorFolder(&ref, {}, {}, 60s);
    auto stopped = std::async(std::launch::async, [&] { FreeThread(ref, true); });
    ASSERT_EQ(stopped.wait_for(10s), std::future_status::ready);
  }
  {
    TThreadRef ref{nullptr};
    std::atomic<bool> running{false};
    std::atomic<bool> ended{false};
    auto* m = new TMonitorFolder(
        &ref,
        [&](TMonitorFolder& self) {
          running = true;
          struct TEnd {
            std::atomic<bool>& Flag;
            ~TEnd() { Flag = true; }
          } end{ended};
          for (;;) {
            self.CheckBreakPlan();
            std::this_thread::sleep_for(1ms);
          }
        },
        {}, 60s);
    m->RequestPlan(2);
    ASSERT_TRUE(WaitUntil([&] { return running.load(); }));
    auto stopped = std::async(std::launch::async, [&] { FreeThread(ref, true); });
    ASSERT_EQ(stopped.wait_for(10s), std::future_status::ready);
    EXPECT_TRUE(ended);
  }
}

TEST(MonitorFolder, RequestsRacingTheWorkersEndAreHarmless) {
  for (int round = 0; round < 50; ++round) {
    TThreadRef ref{nullptr};
    std::atomic<int> runs{0};
    auto* m = new TMonitorFolder(
        &ref, [&](TMonitorFolder&) { ++runs; }, [&](TMonitorFolder&) { ++runs; }, 5ms);
    std::atomic<bool> stop{false};
    std::thread requester([&] {
      for (int i = 0; !stop; ++i) m->RequestPlan(1 + i % 2);
    });
    std::this_thread::sleep_for(1ms);
    m->Break();  // the worker ends while requests keep coming
    ASSERT_TRUE(WaitUntil([&] { return m->Finished(); }));
    std::this_thread::sleep_for(1ms);
    stop = true;
    requester.join();
    FreeThread(ref, true);
  }
}

struct TFilterCase {
  const char* Name;
  std::uint32_t Filter;
  std::uint32_t Event;
  bool Matches;
};

class NotifyFilters : public ::testing::TestWithParam<TFilterCase> {};

TEST_P(NotifyFilters, SelectTheChangeKinds) {
  EXPECT_EQ(InotifyMatches(GetParam().Filter, GetParam().Event), GetParam().Matches);
}

INSTANTIATE_TEST_SUITE_P(
    Events, NotifyFilters,
    ::testing::Values(TFilterCase{"FileCreatedDefault", 27, IN_CREATE, true},
                      TFilterCase{"FolderCreatedTreeFilter", 18, IN_CREATE | IN_ISDIR, true},
                      TFilterCase{"FileCreatedTreeFilter", 18, IN_CREATE, false},
                      TFilterCase{"WriteTreeFilter", 18, IN_MODIFY, true},
                      TFilterCase{"AttributesNotWatched", 27, IN_ATTRIB, false},
                      TFilterCase{"AccessNotWatched", 27, IN_ACCESS, false},
                      TFilterCase{"OverflowAlways", 0, IN_Q_OVERFLOW, true},
                      TFilterCase{"FolderGoneAlways", 18, IN_DELETE_SELF, true},
                      TFilterCase{"WatchDroppedAlways", 18, IN_IGNORED, true}),
    test::ByName());

}  // namespace
}  // namespace quenby
