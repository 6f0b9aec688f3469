#include "controls/ItemsEvents.h"

#if defined(__SANITIZE_THREAD__)
#define QUENBY_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define QUENBY_TSAN 1
#endif
#endif

#ifdef QUENBY_TSAN
#include <sanitizer/tsan_interface.h>
#endif

namespace quenby {

void PostEvent(QObject* receiver, QEvent* event) {
#ifdef QUENBY_TSAN
  __tsan_release(event);
#endif
  QCoreApplication::postEvent(receiver, event);
}

void AcceptPostedEvent([[maybe_unused]] const QEvent* event) {
#ifdef QUENBY_TSAN
  __tsan_acquire(const_cast<QEvent*>(event));
#endif
}

}  // namespace quenby
