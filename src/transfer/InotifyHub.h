#pragma once
// One inotify instance for the whole process. Every folder monitor adds its
// watch here; a reader thread reads the events and signals the monitors
// whose filter an event passes. The kernel allows few inotify instances per
// user (128 here, shared with the desktop's own watchers), and a program
// with several windows runs several monitors each.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "transfer/EventFd.h"

namespace quenby {

// The change kinds of a monitor's filter, by bit.
enum TNotifyFilterBit : std::uint32_t {
  nfFileName = 1u << 0,
  nfDirName = 1u << 1,
  nfAttributes = 1u << 2,
  nfSize = 1u << 3,
  nfLastWrite = 1u << 4,
  nfLastAccess = 1u << 5,
  nfCreation = 1u << 6,
  nfSecurity = 1u << 7,
};

// The inotify events to ask the kernel for, for a filter.
std::uint32_t InotifyMaskFor(std::uint32_t notifyFilter);
// Whether an event (its inotify mask) is a change the filter selects. A
// queue overflow, and the watched folder itself deleted or moved, always
// are: the owner must look at everything again.
bool InotifyMatches(std::uint32_t notifyFilter, std::uint32_t eventMask);

class TInotifyHub {
 public:
  static TInotifyHub& Instance();
  ~TInotifyHub();

  // Watches path for filter; signal is set whenever a matching event
  // arrives, until Remove. Returns the watch id, or -errno when the folder
  // cannot be watched.
  int Add(const std::string& path, std::uint32_t notifyFilter, const TEventFd* signal);
  // After Remove returns, signal is never touched again.
  void Remove(int watch, const TEventFd* signal);

 private:
  TInotifyHub();
  void Run();
  void Dispatch(int watch, std::uint32_t mask);

  struct TListener {
    std::uint32_t Filter;
    const TEventFd* Signal;
  };

  int Fd_;
  TEventFd Stop_;
  mutable std::mutex Mutex_;
  std::unordered_map<int, std::vector<TListener>> Listeners_;
  std::thread Reader_;
};

}  // namespace quenby
