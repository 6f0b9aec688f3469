#pragma once
// The numbered notifications as Qt events. Their codes are the program's
// own message numbers (all above QEvent::User), posted to the view.

#include <QCoreApplication>
#include <QEvent>

#include <cstdint>
#include <memory>
#include <vector>

#include "model/ItemsView.h"

namespace quenby {

enum TControlNotification : int {
  WM_COLUMNS_MEASURED = 1382,
};

// Private codes of the view's own queued work.
enum TViewEventCode : int {
  QUENBY_SET_COUNT = 1400,
  QUENBY_REPAINT = 1401,
};

inline QEvent::Type EventType(int code) {
  return static_cast<QEvent::Type>(code);
}

// Qt's event queue hands an event from the posting thread to the receiver's
// behind futex-based locks that ThreadSanitizer cannot see. The handover is
// made visible to it here: released when posted, acquired when delivered
// (TIndexListView::event). Outside ThreadSanitizer builds both are nothing.
void PostEvent(QObject* receiver, QEvent* event);
void AcceptPostedEvent(const QEvent* event);

class TItemsEvent : public QEvent {
 public:
  explicit TItemsEvent(int code) : QEvent(EventType(code)) {}
};

// A "sent" notification: the sender waits on the completion, which is
// signalled once handled, and also when the event is dropped unhandled
// (its receiver died), so no sender ever waits for a dead view.
class TSentItemsEvent : public QEvent {
 public:
  TSentItemsEvent(int code, std::shared_ptr<TSendCompletion> completion)
      : QEvent(EventType(code)), Completion(std::move(completion)) {}
  ~TSentItemsEvent() override { Completion->Done(); }
  std::shared_ptr<TSendCompletion> Completion;
};

class TColumnsMeasuredEvent : public QEvent {
 public:
  explicit TColumnsMeasuredEvent(std::vector<std::int32_t> widths)
      : QEvent(EventType(WM_COLUMNS_MEASURED)), Widths(std::move(widths)) {}
  std::vector<std::int32_t> Widths;
};

}  // namespace quenby
