#pragma once
// A worker thread that runs its owner's long jobs ("plans") on request and
// watches one folder, running the owner's change job once a burst of
// changes has settled. Plan 2 is the reload job, plan 1 the change job; a
// higher number outranks a lower one.
//
// A request for plan 2 also abandons a running plan at its next
// CheckBreakPlan: a reload makes whatever ran before it worthless (a new
// folder was chosen). A request for plan 1 is only recorded.

#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <string>

#include "model/ExtThread.h"
#include "transfer/EventFd.h"

namespace quenby {

// Abandons the running plan; the worker goes on waiting.
class EBreakPlan : public std::exception {
 public:
  const char* what() const noexcept override { return ""; }
};

class TMonitorFolder : public TExtThread {
 public:
  using TJob = std::function<void(TMonitorFolder&)>;

  // Starts the worker at once; stop and free it with FreeThread(ref, true).
  // Set the jobs before requesting plans.
  explicit TMonitorFolder(TThreadRef* ref, TJob onReloadJob = {}, TJob onChangeJob = {},
                          std::chrono::milliseconds settleTime = std::chrono::milliseconds(300));
  ~TMonitorFolder() override;

  void RequestPlan(int plan);
  // Watches path (empty: nothing). A folder that cannot be watched leaves
  // no watch and its errno in LastError(); plans still run.
  void WatchFolder(const std::string& path);
  // On the monitor's own thread, at a job's safe points: ends the thread
  // quietly when it is being stopped, raises EBreakPlan when the running
  // plan is to be abandoned. Elsewhere it does nothing.
  void CheckBreakPlan();
  void Break() override;

  int LastError() const;
  std::string FolderPath() const;
  bool OnMonitorThread() const;

  // Set before watching: the change kinds (TNotifyFilterBit); 27 watches
  // file names, folder names, size and last write.
  std::uint32_t NotifyFilter = 27;
  // Receives an exception that escaped a job (the worker goes on waiting).
  std::function<void(const std::exception&)> OnJobError;

 protected:
  void Run() override;

 private:
  void WaitForPlan();
  void RunPlan();
  void TakePlan();
  bool Stopping() const { return Terminated(); }

  const TJob OnReloadJob_;
  const TJob OnChangeJob_;
  const std::chrono::milliseconds SettleTime_;

  TEventFd WakeEvent_;
  TEventFd ChangeEvent_;  // signalled by the process's inotify reader

  mutable std::mutex Lock_;
  int CurrentPlan_ = 0;
  int PendingPlan_ = 0;
  bool BreakRequest_ = false;
  bool Waiting_ = false;
  int Watch_ = -1;
  int LastError_ = 0;
  std::string FolderPath_;
  std::thread::id Thread_;
};

}  // namespace quenby
