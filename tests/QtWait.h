#pragma once
// Runs the event loop until a condition holds, with a generous limit: a
// false result means a missing event or a deadlock, never slowness.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <functional>

namespace quenby::test {

inline bool WaitFor(const std::function<bool()>& condition, int limitMs = 10000) {
  QElapsedTimer timer;
  timer.start();
  while (!condition()) {
    if (timer.elapsed() > limitMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(1);
  }
  return true;
}

}  // namespace quenby::test
