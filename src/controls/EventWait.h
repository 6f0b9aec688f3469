#pragma once
// Runs the GUI thread's events until a condition holds, for waits that must
// keep the window alive (a picture taken once a store has loaded, tests).

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <functional>

namespace quenby {

// False when limitMs passed first.
inline bool ProcessEventsUntil(const std::function<bool()>& condition, int limitMs) {
  QElapsedTimer timer;
  timer.start();
  while (!condition()) {
    if (timer.elapsed() > limitMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(1);
  }
  return true;
}

}  // namespace quenby
