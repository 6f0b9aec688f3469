#include "transfer/InotifyHub.h"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

namespace quenby {

namespace {

constexpr std::uint32_t kNames = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
constexpr std::uint32_t kWrites = IN_MODIFY | IN_CLOSE_WRITE;
constexpr std::uint32_t kAlways = IN_Q_OVERFLOW | IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED;

}  // namespace

std::uint32_t InotifyMaskFor(std::uint32_t f) {
  std::uint32_t mask = IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
  if (f & (nfFileName | nfDirName)) mask |= kNames;
  if (f & (nfAttributes | nfSecurity)) mask |= IN_ATTRIB;
  if (f & (nfSize | nfLastWrite)) mask |= kWrites;
  if (f & nfLastAccess) mask |= IN_ACCESS;
  if (f & nfCreation) mask |= IN_CREATE;
  return mask;
}

bool InotifyMatches(std::uint32_t f, std::uint32_t m) {
  if (m & kAlways) return true;
  // inotify does not tell file and folder events apart until they are read.
  const bool dir = m & IN_ISDIR;
  if ((m & kNames) && (f & (dir ? nfDirName : nfFileName))) return true;
  if ((m & IN_ATTRIB) && (f & (nfAttributes | nfSecurity))) return true;
  if ((m & kWrites) && (f & (nfSize | nfLastWrite))) return true;
  if ((m & IN_ACCESS) && (f & nfLastAccess)) return true;
  if ((m & IN_CREATE) && (f & nfCreation)) return true;
  return false;
}

TInotifyHub& TInotifyHub::Instance() {
  static TInotifyHub hub;
  return hub;
}

TInotifyHub::TInotifyHub() : Fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
  if (Fd_ >= 0) Reader_ = std::thread([this] { Run(); });
}

TInotifyHub::~TInotifyHub() {
  Stop_.Signal();
  if (Reader_.joinable()) Reader_.join();
  if (Fd_ >= 0) ::close(Fd_);
}

int TInotifyHub::Add(const std::string& path, std::uint32_t notifyFilter, const TEventFd* signal) {
  if (Fd_ < 0) return -EMFILE;
  std::lock_guard guard(Mutex_);
  // Watching a folder that is watched already returns the same id; the
  // kernel mask must then cover every listener's filter.
  const int watch =
      ::inotify_add_watch(Fd_, path.c_str(), InotifyMaskFor(notifyFilter) | IN_MASK_ADD);
  if (watch < 0) return -errno;
  Listeners_[watch].push_back({notifyFilter, signal});
  return watch;
}

void TInotifyHub::Remove(int watch, const TEventFd* signal) {
  std::lock_guard guard(Mutex_);
  const auto it = Listeners_.find(watch);
  if (it == Listeners_.end()) return;  // the kernel dropped the watch already
  std::erase_if(it->second, [signal](const TListener& l) { return l.Signal == signal; });
  if (it->second.empty()) {
    Listeners_.erase(it);
    ::inotify_rm_watch(Fd_, watch);
  }
}

void TInotifyHub::Dispatch(int watch, std::uint32_t mask) {
  if (mask & IN_Q_OVERFLOW) {
    // Events were lost: every watch may have missed a change.
    for (const auto& [w, listeners] : Listeners_)
      for (const TListener& l : listeners) l.Signal->Signal();
    return;
  }
  const auto it = Listeners_.find(watch);
  if (it == Listeners_.end()) return;
  for (const TListener& l : it->second)
    if (InotifyMatches(l.Filter, mask)) l.Signal->Signal();
  if (mask & IN_IGNORED) Listeners_.erase(it);  // the watch is gone (folder deleted)
}

void TInotifyHub::Run() {
  alignas(inotify_event) char buffer[64 * (sizeof(inotify_event) + NAME_MAX + 1)];
  pollfd fds[2] = {{Fd_, POLLIN, 0}, {Stop_.Fd(), POLLIN, 0}};
  for (;;) {
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents) return;
    for (;;) {
      const ssize_t n = ::read(Fd_, buffer, sizeof buffer);
      if (n <= 0) break;
      std::lock_guard guard(Mutex_);
      for (ssize_t at = 0; at < n;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        Dispatch(event->wd, event->mask);
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
  }
}

}  // namespace quenby
