#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "model/ExtThread.h"

namespace quenby {
namespace {

using namespace std::chrono_literals;

bool WaitUntil(const std::function<bool()>& condition) {
  for (auto end = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < end;) {
    if (condition()) return true;
    std::this_thread::sleep_for(1ms);
  }
  return condition();
}

TEST(ExtThread, BreakOnItselfStopsTheBodyAtOnce) {
  TThreadRef ref{nullptr};
  std::atomic<bool> after{false};
  TExtThread::Create(&ref, false, [&](TExtThread& t) {
    t.Break();
    after = true;
  });
  ASSERT_TRUE(WaitUntil([&] { return ref.load() == nullptr; }));  // freed itself
  EXPECT_FALSE(after);
}

TEST(ExtThread, BreakFromOutsideStopsAtTheNextCheck) {
  TThreadRef ref{nullptr};
  std::atomic<int> loops{0};
  std::promise<void> running;
  TExtThread* t = TExtThread::Create(&ref, false, [&](TExtThread& self) {
    running.set_value();
    for (;;) {
      ++loops;
      std::this_thread::sleep_for(1ms);
      self.CheckBreak();
    }
  });
  running.get_future().wait();
  EXPECT_EQ(ref.load(), t);
  FreeThread(ref, true);  // returns only once the loop has seen the request
  EXPECT_EQ(ref.load(), nullptr);
  EXPECT_GE(loops.load(), 1);
}

TEST(ExtThread, SuspendedThreadRunsOnlyWhenStarted) {
  TThreadRef ref{nullptr};
  std::atomic<bool> ran{false};
  TExtThread* t = TExtThread::Create(&ref, true, [&](TExtThread&) { ran = true; });
  std::this_thread::sleep_for(50ms);
  EXPECT_FALSE(ran);
  t->Start();
  ASSERT_TRUE(WaitUntil([&] { return ref.load() == nullptr; }));
  EXPECT_TRUE(ran);
}

TEST(ExtThread, EscapingExceptionIsReportedAndTheThreadEnds) {
  std::mutex m;
  std::string reported;
  TExtThread::SetErrorHandler([&](const std::string& text) {
    std::lock_guard g(m);
    reported = text;
  });
  TThreadRef ref{nullptr};
  TExtThread::Create(&ref, false, [](TExtThread&) { throw std::runtime_error("disk on fire"); });
  ASSERT_TRUE(WaitUntil([&] { return ref.load() == nullptr; }));
  TExtThread::SetErrorHandler({});
  std::lock_guard g(m);
  EXPECT_EQ(reported, "disk on fire");
}

TEST(ExtThread, FreeThreadOnNilDoesNothing) {
  TThreadRef ref{nullptr};
  FreeThread(ref, true);
  EXPECT_EQ(ref.load(), nullptr);
}

// A thread whose destructor takes its time: FreeThread, called after the
// thread has decided to free itself, must wait until the variable is clear.
class TSlowExit : public TExtThread {
 public:
  TSlowExit(TThreadRef* ref, std::promise<void>& exiting, std::shared_future<void> gate)
      : TExtThread(ref, {}), Exiting_(exiting), Gate_(std::move(gate)) {}
  ~TSlowExit() override {
    Exiting_.set_value();
    Gate_.wait();
  }

 private:
  std::promise<void>& Exiting_;
  std::shared_future<void> Gate_;
};

TEST(ExtThread, FreeThreadWaitsForAFinishedSelfFreeingThread) {
  TThreadRef ref{nullptr};
  std::promise<void> exiting, open;
  auto* t = new TSlowExit(&ref, exiting, open.get_future().share());
  t->Start();
  exiting.get_future().wait();  // the thread is in its destructor, ref still set
  ASSERT_NE(ref.load(), nullptr);
  auto freed = std::async(std::launch::async, [&] { FreeThread(ref, true); });
  EXPECT_EQ(freed.wait_for(100ms), std::future_status::timeout);
  open.set_value();
  ASSERT_EQ(freed.wait_for(10s), std::future_status::ready);
  EXPECT_EQ(ref.load(), nullptr);
}

// FreeThread against a thread that is ending and freeing itself at the same
// moment: exactly one side frees it (ASan and TSan see a double free or a
// race otherwise).
TEST(ExtThread, FreeThreadRacingSelfFreeFreesOnce) {
  for (int i = 0; i < 2000; ++i) {
    TThreadRef ref{nullptr};
    TExtThread::Create(&ref, false, [](TExtThread&) {});
    if (i % 2) std::this_thread::yield();
    FreeThread(ref, i % 3 == 0);
    ASSERT_EQ(ref.load(), nullptr);
  }
}

TEST(ExtThread, DestroyingAnUnstartedThreadSkipsTheBody) {
  TThreadRef ref{nullptr};
  std::atomic<bool> ran{false};
  TExtThread* t = TExtThread::Create(&ref, true, [&](TExtThread&) { ran = true; });
  delete t;
  EXPECT_FALSE(ran);
  EXPECT_EQ(ref.load(), nullptr);
}

}  // namespace
}  // namespace quenby
