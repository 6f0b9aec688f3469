#pragma once
// A worker thread that runs a method and can be broken off cleanly.
//
// A thread is created suspended and runs once Start() is called, so that a
// subclass is fully constructed before its Run() can be called. By default
// it frees itself when its body ends and then clears the creator's variable
// (ThreadRef); FreeThread() ends and frees it from another thread instead.
// Which of the two frees the thread is decided under one mutex, atomically
// with the thread's own end.

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace quenby {

// Raised by Break() on the thread itself; ends the body quietly.
class EBreakThread : public std::exception {
 public:
  const char* what() const noexcept override { return ""; }
};

class TExtThread;
using TThreadRef = std::atomic<TExtThread*>;

class TExtThread {
 public:
  using TExecuteEvent = std::function<void(TExtThread&)>;

  // Creates a thread running onExecute, started unless createSuspended. A
  // started thread that frees itself may be gone by the time this returns:
  // hold threadRef, not the result.
  static TExtThread* Create(TThreadRef* threadRef, bool createSuspended, TExecuteEvent onExecute);

  TExtThread(TThreadRef* threadRef, TExecuteEvent onExecute, bool freeOnTerminate = true);
  virtual ~TExtThread();
  TExtThread(const TExtThread&) = delete;
  TExtThread& operator=(const TExtThread&) = delete;

  void Start();  // resumes a suspended thread; no effect once started

  // Requests termination. On the thread itself (body still running) it also
  // raises EBreakThread, which unwinds the body.
  virtual void Break();
  void CheckBreak();  // Break() if termination was requested
  bool Terminated() const { return Terminated_.load(); }
  bool Finished() const;

  // Blocks the calling thread until the body has ended.
  void WaitFor();

  // Receives the text of every exception other than EBreakThread that
  // escapes a thread body. Process-wide; the default drops it.
  static void SetErrorHandler(std::function<void(const std::string&)> handler);

 protected:
  // The body. The default calls OnExecute.
  virtual void Run();

 private:
  friend void FreeThread(TThreadRef& ref, bool breakIt);
  void ThreadMain();
  bool OnOwnThread() const { return std::this_thread::get_id() == Thread_.get_id(); }

  TThreadRef* ThreadRef_;
  TExecuteEvent OnExecute_;
  std::thread Thread_;
  std::atomic<bool> Terminated_{false};

  mutable std::mutex Mutex_;
  std::condition_variable Cond_;
  bool Started_ = false;
  bool Abandoned_ = false;  // destroyed before it was started
  bool Finished_ = false;
  bool FreeOnTerminate_;      // guarded by the process-wide lifetime mutex
  bool SelfFreeing_ = false;  // decided at the body's end, under that mutex
};

// Ends and frees the thread held in ref (breaking it first when breakIt),
// or waits until a thread that is already freeing itself has cleared ref.
// Sets ref to nil. Nothing happens when ref is nil.
void FreeThread(TThreadRef& ref, bool breakIt);

}  // namespace quenby
