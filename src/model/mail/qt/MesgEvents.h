#pragma once
// The numbered notifications a message list view takes from its window and
// from the drag-and-drop machinery, with their two arguments.

#include <QEvent>

#include <cstdint>

#include "controls/ItemsEvents.h"

namespace quenby {

enum TMesgNotification : int {
  WM_ITEMS_REFRESH = 1375,
  // First argument's low byte 1: the messages were moved; second argument's
  // low byte nonzero: the drag data is cleared.
  WM_DRAG_DONE = 1385,
  WM_DROP_STARTED = 1389,
  WM_DROP_FINISHED = 1390,
};

class TMesgNotifyEvent : public QEvent {
 public:
  explicit TMesgNotifyEvent(int code, std::uint32_t first = 0, std::uint32_t second = 0)
      : QEvent(EventType(code)), First(first), Second(second) {}
  std::uint32_t First;
  std::uint32_t Second;
};

}  // namespace quenby
