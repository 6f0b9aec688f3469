#include "transfer/MonitorFolders.h"

#include <poll.h>

#include <cerrno>

#include "transfer/InotifyHub.h"

namespace quenby {

namespace {

using Clock = std::chrono::steady_clock;

// During an endless stream of changes (a log file written every 100 ms) a
// job still runs this many settle times after the first unsettled change.
constexpr int kMaxSettleTimes = 20;

}  // namespace

TMonitorFolder::TMonitorFolder(TThreadRef* ref, TJob onReloadJob, TJob onChangeJob,
                               std::chrono::milliseconds settleTime)
    : TExtThread(ref, {}, false),
      OnReloadJob_(std::move(onReloadJob)),
      OnChangeJob_(std::move(onChangeJob)),
      SettleTime_(settleTime) {
  Start();
}

TMonitorFolder::~TMonitorFolder() {
  // FreeThread has ended the worker already; a plain delete ends it here,
  // before the members it uses go.
  if (!Finished()) {
    Break();
    WaitFor();
  }
  if (Watch_ >= 0) TInotifyHub::Instance().Remove(Watch_, &ChangeEvent_);
}

void TMonitorFolder::Break() {
  // The wake-up comes after the stop flag is set (also when Break raises on
  // the monitor's own thread): a worker woken before the flag would find no
  // stop, and wait out the settle time again.
  struct TWake {
    const TEventFd& Event;
    ~TWake() { Event.Signal(); }
  } wake{WakeEvent_};
  TExtThread::Break();
}

bool TMonitorFolder::OnMonitorThread() const {
  std::lock_guard guard(Lock_);
  return Thread_ == std::this_thread::get_id();
}

int TMonitorFolder::LastError() const {
  std::lock_guard guard(Lock_);
  return LastError_;
}

std::string TMonitorFolder::FolderPath() const {
  std::lock_guard guard(Lock_);
  return FolderPath_;
}

void TMonitorFolder::RequestPlan(int plan) {
  std::lock_guard guard(Lock_);
  // The lock and the events live as long as the object, so a request that
  // races with the end of the worker finds them intact.
  if (Stopping() || Finished()) return;
  if (plan >= PendingPlan_) {
    PendingPlan_ = plan;
    if (plan >= CurrentPlan_ && Waiting_)
      WakeEvent_.Signal();
    else if (plan == 2 && CurrentPlan_ != 0 && !Waiting_)
      BreakRequest_ = true;
  }
}

void TMonitorFolder::WatchFolder(const std::string& path) {
  TInotifyHub& hub = TInotifyHub::Instance();
  std::lock_guard guard(Lock_);
  if (Watch_ >= 0) hub.Remove(Watch_, &ChangeEvent_);
  Watch_ = -1;
  FolderPath_ = path;
  LastError_ = 0;
  if (path.empty()) return;
  const int watch = hub.Add(path, NotifyFilter, &ChangeEvent_);
  if (watch < 0)
    LastError_ = -watch;
  else
    Watch_ = watch;
}

void TMonitorFolder::CheckBreakPlan() {
  if (!OnMonitorThread()) return;
  if (Stopping()) Break();  // raises EBreakThread on this thread
  std::lock_guard guard(Lock_);
  if (BreakRequest_) throw EBreakPlan();
}

void TMonitorFolder::TakePlan() {
  std::lock_guard guard(Lock_);
  CurrentPlan_ = PendingPlan_;
  PendingPlan_ = 0;
  Waiting_ = true;
}

void TMonitorFolder::Run() {
  {
    std::lock_guard guard(Lock_);
    Thread_ = std::this_thread::get_id();
  }
  while (!Stopping()) {
    {
      std::lock_guard guard(Lock_);
      BreakRequest_ = false;
    }
    try {
      WaitForPlan();
      if (!Stopping()) RunPlan();
    } catch (const EBreakPlan&) {
      std::lock_guard guard(Lock_);
      BreakRequest_ = false;
    } catch (const EBreakThread&) {
      std::lock_guard guard(Lock_);
      CurrentPlan_ = 0;
      return;
    } catch (const std::exception& e) {
      if (OnJobError) OnJobError(e);
    }
  }
}

void TMonitorFolder::WaitForPlan() {
  TakePlan();
  bool changeSeen = false;
  Clock::time_point firstChange;
  for (;;) {
    {
      std::lock_guard guard(Lock_);
      if (CurrentPlan_ != 0) break;
    }
    if (Stopping()) break;
    pollfd fds[2] = {{WakeEvent_.Fd(), POLLIN, 0}, {ChangeEvent_.Fd(), POLLIN, 0}};
    const int ready = ::poll(fds, 2, static_cast<int>(SettleTime_.count()));
    if (Stopping()) break;
    if (ready < 0) {
      if (errno != EINTR) {
        std::lock_guard guard(Lock_);
        LastError_ = errno;
      }
      continue;
    }
    if (fds[0].revents) {
      WakeEvent_.Reset();
      TakePlan();
      continue;
    }
    if (fds[1].revents) {
      // A change restarts the quiet period: the job runs once the folder
      // has been quiet for the settle time, one job per burst.
      ChangeEvent_.Reset();
      if (!changeSeen) firstChange = Clock::now();
      changeSeen = true;
      if (Clock::now() - firstChange < SettleTime_ * kMaxSettleTimes) continue;
    } else if (!changeSeen) {
      continue;  // a quiet time-out
    }
    std::lock_guard guard(Lock_);
    CurrentPlan_ = 1;
  }
  std::lock_guard guard(Lock_);
  Waiting_ = false;
}

void TMonitorFolder::RunPlan() {
  int plan;
  {
    std::lock_guard guard(Lock_);
    if (BreakRequest_) {
      BreakRequest_ = false;
      return;
    }
    plan = CurrentPlan_;
  }
  if (plan != 1 && plan != 2) return;
  // Events already queued belong to what the job is about to read; events
  // during the job stay queued and start the next change job.
  ChangeEvent_.Reset();
  struct TRearm {
    TMonitorFolder& Self;
    ~TRearm() {
      Self.WakeEvent_.Reset();
      std::lock_guard guard(Self.Lock_);
      Self.CurrentPlan_ = 0;
    }
  } rearm{*this};
  const TJob& job = plan == 1 ? OnChangeJob_ : OnReloadJob_;
  if (job) job(*this);
}

}  // namespace quenby
