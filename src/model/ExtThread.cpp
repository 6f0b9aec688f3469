#include "model/ExtThread.h"

#include <utility>

namespace quenby {

namespace {

std::mutex ErrorHandlerMutex;
// Guards FreeOnTerminate_, SelfFreeing_ and the clearing of ThreadRef, for
// all threads. FreeThread must decide without touching a thread that may be
// freeing itself: while it holds this mutex and the variable still names the
// thread, the thread's memory is alive, because the destructor clears the
// variable under this mutex before the memory goes.
std::mutex LifetimeMutex;
std::function<void(const std::string&)> ErrorHandler;

void ReportThreadError(const std::string& text) {
  std::function<void(const std::string&)> handler;
  {
    std::lock_guard guard(ErrorHandlerMutex);
    handler = ErrorHandler;
  }
  if (handler) handler(text);
}

}  // namespace

void TExtThread::SetErrorHandler(std::function<void(const std::string&)> handler) {
  std::lock_guard guard(ErrorHandlerMutex);
  ErrorHandler = std::move(handler);
}

TExtThread* TExtThread::Create(TThreadRef* threadRef, bool createSuspended,
                               TExecuteEvent onExecute) {
  auto* thread = new TExtThread(threadRef, std::move(onExecute));
  if (!createSuspended) thread->Start();
  return thread;
}

TExtThread::TExtThread(TThreadRef* threadRef, TExecuteEvent onExecute, bool freeOnTerminate)
    : ThreadRef_(threadRef), OnExecute_(std::move(onExecute)), FreeOnTerminate_(freeOnTerminate) {
  if (ThreadRef_) ThreadRef_->store(this);
  Thread_ = std::thread([this] { ThreadMain(); });
}

TExtThread::~TExtThread() {
  // A thread that freed itself has detached, FreeThread has joined; only a
  // thread that never started is still joinable here.
  if (Thread_.joinable()) {
    {
      std::lock_guard lifetime(LifetimeMutex);
      FreeOnTerminate_ = false;
    }
    {
      std::lock_guard guard(Mutex_);
      if (!Started_) Started_ = Abandoned_ = true;  // never started: do not run the body
      Cond_.notify_all();
    }
    Thread_.join();
  }
  std::lock_guard lifetime(LifetimeMutex);
  if (ThreadRef_) ThreadRef_->store(nullptr);
}

void TExtThread::Start() {
  // Notified under the lock: once started, the thread may end and free
  // itself before an unlocked notify would run.
  std::lock_guard guard(Mutex_);
  if (Started_) return;
  Started_ = true;
  Cond_.notify_all();
}

void TExtThread::ThreadMain() {
  {
    std::unique_lock guard(Mutex_);
    Cond_.wait(guard, [this] { return Started_; });
  }
  try {
    if (!Abandoned_) Run();
  } catch (const EBreakThread&) {
  } catch (const std::exception& e) {
    ReportThreadError(e.what());
  } catch (...) {
    ReportThreadError("unknown exception in a worker thread");
  }
  {
    // Notified under the lock: a waiter may free the object once it sees
    // Finished_, and must not find the condition variable gone.
    std::lock_guard guard(Mutex_);
    Finished_ = true;
    Cond_.notify_all();
  }
  bool selfFree;
  {
    std::lock_guard lifetime(LifetimeMutex);
    selfFree = SelfFreeing_ = FreeOnTerminate_;
  }
  if (selfFree) {
    Thread_.detach();
    delete this;
  }
}

void TExtThread::Run() {
  if (OnExecute_) OnExecute_(*this);
}

void TExtThread::Break() {
  Terminated_.store(true);
  if (OnOwnThread() && !Finished()) throw EBreakThread();
}

void TExtThread::CheckBreak() {
  if (Terminated()) Break();
}

bool TExtThread::Finished() const {
  std::lock_guard guard(Mutex_);
  return Finished_;
}

void TExtThread::WaitFor() {
  std::unique_lock guard(Mutex_);
  Cond_.wait(guard, [this] { return Finished_; });
}

void FreeThread(TThreadRef& ref, bool breakIt) {
  TExtThread* thread;
  bool selfFreeing;
  {
    std::lock_guard lifetime(LifetimeMutex);
    thread = ref.load();
    if (!thread) return;
    selfFreeing = thread->SelfFreeing_;
    if (!selfFreeing) thread->FreeOnTerminate_ = false;  // from now on we free it
  }
  if (selfFreeing) {
    // Only the variable is looked at: the thread is being freed.
    while (ref.load() == thread) std::this_thread::yield();
  } else {
    if (breakIt) thread->Break();
    thread->Start();
    // Joined before the delete, so that a subclass's destructor never runs
    // while its body still does.
    thread->Thread_.join();
    delete thread;
  }
  ref.store(nullptr);
}

}  // namespace quenby
