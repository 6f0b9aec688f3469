// The lock's rules as one table of scenarios. Each actor is a thread that
// runs its steps in order and can hold a lock across steps; a step either
// is granted (finishes within a generous limit) or waits (has not finished
// after a short pause).
#include <gtest/gtest.h>

#include "TestNames.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <map>
#include <mutex>
#include <thread>

#include "model/MultiReadSync.h"

namespace quenby {
namespace {

using namespace std::chrono_literals;

class TActor {
 public:
  TActor() : Thread_([this] { Loop(); }) {}
  ~TActor() {
    {
      std::lock_guard g(Mutex_);
      Stop_ = true;
    }
    Cond_.notify_all();
    Thread_.join();
  }
  std::shared_future<void> Run(std::function<void()> f) {
    auto task = std::make_shared<std::packaged_task<void()>>(std::move(f));
    std::shared_future<void> done = task->get_future().share();
    {
      std::lock_guard g(Mutex_);
      Tasks_.push_back([task] { (*task)(); });
    }
    Cond_.notify_all();
    return done;
  }

 private:
  void Loop() {
    for (;;) {
      std::function<void()> task;
      {
        std::unique_lock g(Mutex_);
        Cond_.wait(g, [this] { return Stop_ || !Tasks_.empty(); });
        if (Tasks_.empty()) return;
        task = std::move(Tasks_.front());
        Tasks_.pop_front();
      }
      task();
    }
  }
  std::mutex Mutex_;
  std::condition_variable Cond_;
  std::deque<std::function<void()>> Tasks_;
  bool Stop_ = false;
  std::thread Thread_;
};

enum class Op { Read, Write, EndRead, EndWrite, Resumes, StillWaits };
enum class Expect { Granted, Waits };

struct TStep {
  char Actor;
  Op Action;
  Expect Outcome = Expect::Granted;
};

struct TScenario {
  const char* Name;
  std::vector<TStep> Steps;
};

void PrintTo(const TScenario& s, std::ostream* os) {
  *os << s.Name;
}

class LockRules : public ::testing::TestWithParam<TScenario> {};

TEST_P(LockRules, GrantsOrWaits) {
  TMultiReadExclusiveWriteSynchronizer lock;
  std::map<char, std::unique_ptr<TActor>> actors;
  std::map<char, std::shared_future<void>> pending;
  int index = 0;
  for (const TStep& step : GetParam().Steps) {
    SCOPED_TRACE("step " + std::to_string(index++) + " actor " + step.Actor);
    auto& actor = actors[step.Actor];
    if (!actor) actor = std::make_unique<TActor>();
    if (step.Action == Op::Resumes) {
      ASSERT_EQ(pending[step.Actor].wait_for(10s), std::future_status::ready) << "never granted";
      continue;
    }
    if (step.Action == Op::StillWaits) {
      EXPECT_EQ(pending[step.Actor].wait_for(100ms), std::future_status::timeout);
      continue;
    }
    std::function<void()> f;
    switch (step.Action) {
      case Op::Read: f = [&lock] { lock.BeginRead(); }; break;
      case Op::Write: f = [&lock] { lock.BeginWrite(); }; break;
      case Op::EndRead: f = [&lock] { lock.EndRead(); }; break;
      case Op::EndWrite: f = [&lock] { lock.EndWrite(); }; break;
      default: break;
    }
    auto done = actor->Run(f);
    if (step.Outcome == Expect::Granted) {
      ASSERT_EQ(done.wait_for(10s), std::future_status::ready) << "expected to be granted";
    } else {
      ASSERT_EQ(done.wait_for(150ms), std::future_status::timeout) << "expected to wait";
      pending[step.Actor] = done;
    }
  }
  // Actors are destroyed with every step finished: the last steps of each
  // scenario release what was taken.
}

constexpr Expect W = Expect::Waits;

INSTANTIATE_TEST_SUITE_P(
    Scenarios, LockRules,
    ::testing::Values(
        TScenario{"WriterTakesWriteAgain",
                  {{'A', Op::Write}, {'A', Op::Write}, {'A', Op::EndWrite}, {'A', Op::EndWrite}}},
        TScenario{"WriterTakesRead",
                  {{'A', Op::Write}, {'A', Op::Read}, {'A', Op::EndRead}, {'A', Op::EndWrite}}},
        TScenario{"ReadersShare",
                  {{'A', Op::Read}, {'B', Op::Read}, {'A', Op::EndRead}, {'B', Op::EndRead}}},
        TScenario{"ReaderHoldsOffWriter",
                  {{'A', Op::Read},
                   {'B', Op::Write, W},
                   {'A', Op::EndRead},
                   {'B', Op::Resumes},
                   {'B', Op::EndWrite}}},
        TScenario{"WriterHoldsOffReader",
                  {{'A', Op::Write},
                   {'B', Op::Read, W},
                   {'A', Op::EndWrite},
                   {'B', Op::Resumes},
                   {'B', Op::EndRead}}},
        TScenario{"WaitingWriterHoldsOffNewReaders",
                  {{'A', Op::Read},
                   {'B', Op::Write, W},
                   {'C', Op::Read, W},
                   {'A', Op::EndRead},
                   {'B', Op::Resumes},
                   {'C', Op::StillWaits},
                   {'B', Op::EndWrite},
                   {'C', Op::Resumes},
                   {'C', Op::EndRead}}},
        TScenario{"NestedReadPassesWaitingWriter",
                  {{'A', Op::Read},
                   {'B', Op::Write, W},
                   {'A', Op::Read},
                   {'A', Op::EndRead},
                   {'B', Op::StillWaits},
                   {'A', Op::EndRead},
                   {'B', Op::Resumes},
                   {'B', Op::EndWrite}}},
        TScenario{"PromotionLetsWaitingWriterFirst",
                  {{'A', Op::Read},
                   {'B', Op::Write, W},
                   {'A', Op::Write, W},
                   {'B', Op::Resumes},
                   {'A', Op::StillWaits},
                   {'B', Op::EndWrite},
                   {'A', Op::Resumes},
                   // A's read lock is back after its write: a new writer waits for it.
                   {'A', Op::EndWrite},
                   {'C', Op::Write, W},
                   {'A', Op::EndRead},
                   {'C', Op::Resumes},
                   {'C', Op::EndWrite}}},
        TScenario{"PromotionWaitsForOtherReaders",
                  {{'A', Op::Read},
                   {'B', Op::Read},
                   {'A', Op::Write, W},
                   {'B', Op::EndRead},
                   {'A', Op::Resumes},
                   {'B', Op::Read, W},
                   {'A', Op::EndWrite},
                   {'B', Op::Resumes},
                   {'A', Op::EndRead},
                   {'B', Op::EndRead}}},
        TScenario{"WriterReadsAfterWriteEnds",
                  {{'A', Op::Write},
                   {'A', Op::Read},
                   {'A', Op::EndWrite},
                   {'B', Op::Write, W},
                   {'A', Op::EndRead},
                   {'B', Op::Resumes},
                   {'B', Op::EndWrite}}}),
    test::ByName());

TEST(LockRules, IsWriterOnlyForTheHolder) {
  TMultiReadExclusiveWriteSynchronizer lock;
  EXPECT_FALSE(lock.IsWriter());
  lock.BeginWrite();
  EXPECT_TRUE(lock.IsWriter());
  bool otherSees = true;
  std::thread([&] { otherSees = lock.IsWriter(); }).join();
  EXPECT_FALSE(otherSees);
  lock.EndWrite();
  EXPECT_FALSE(lock.IsWriter());
}

}  // namespace
}  // namespace quenby
