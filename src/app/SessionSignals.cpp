#include "app/SessionSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace quenby {

namespace {

int gPipe[2] = {-1, -1};

void OnTerminate(int) {
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] ssize_t written = ::write(gPipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

TSessionSignals::TSessionSignals(std::function<void()> onSignal) : OnSignal_(std::move(onSignal)) {
  if (::pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) != 0)
    throw std::system_error(errno, std::generic_category(), "pipe2");
  Notifier_ = std::make_unique<QSocketNotifier>(gPipe[0], QSocketNotifier::Read);
  connect(Notifier_.get(), &QSocketNotifier::activated, this, [this] {
    char bytes[16];
    while (::read(gPipe[0], bytes, sizeof bytes) > 0) {
    }
    if (OnSignal_) OnSignal_();
  });
  struct sigaction action {};
  action.sa_handler = OnTerminate;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGHUP, &action, nullptr);
}

TSessionSignals::~TSessionSignals() {
  signal(SIGTERM, SIG_DFL);
  signal(SIGHUP, SIG_DFL);
  Notifier_.reset();
  ::close(gPipe[0]);
  ::close(gPipe[1]);
  gPipe[0] = gPipe[1] = -1;
}

}  // namespace quenby
