#pragma once
// A Linux eventfd as an auto-reset event: Signal sets it, Reset (a read)
// clears it, and poll() sees it readable while it is set.

#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

namespace quenby {

class TEventFd {
 public:
  TEventFd() : Fd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    if (Fd_ < 0) throw std::runtime_error(std::string("eventfd: ") + std::strerror(errno));
  }
  ~TEventFd() { ::close(Fd_); }
  TEventFd(const TEventFd&) = delete;
  TEventFd& operator=(const TEventFd&) = delete;

  int Fd() const { return Fd_; }
  void Signal() const {
    const std::uint64_t one = 1;
    // A full counter (2^64 - 2 signals) still reads as set, so a failed
    // write loses nothing.
    [[maybe_unused]] const ssize_t n = ::write(Fd_, &one, sizeof one);
  }
  void Reset() const {
    std::uint64_t value;
    [[maybe_unused]] const ssize_t n = ::read(Fd_, &value, sizeof value);
  }

 private:
  int Fd_;
};

}  // namespace quenby
