#pragma once
// SIGTERM and SIGHUP (a logout without session management, a kill) reach
// the GUI thread through a self-pipe: the handler only writes one byte,
// which is async-signal-safe, and a socket notifier runs the save. One
// instance per process: the pipe is the handler's, hence process-wide.

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace quenby {

class TSessionSignals : public QObject {
  Q_OBJECT

 public:
  // onSignal runs on the GUI thread, once per delivered signal.
  explicit TSessionSignals(std::function<void()> onSignal);
  ~TSessionSignals() override;

 private:
  std::function<void()> OnSignal_;
  std::unique_ptr<QSocketNotifier> Notifier_;
};

}  // namespace quenby
