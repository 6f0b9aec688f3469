#pragma once
// Runs the event loop until a condition holds, with a generous limit: a
// false result means a missing event or a deadlock, never slowness.
#include <functional>

#include "controls/EventWait.h"

namespace quenby::test {

inline bool WaitFor(const std::function<bool()>& condition, int limitMs = 10000) {
  return ProcessEventsUntil(condition, limitMs);
}

}  // namespace quenby::test
