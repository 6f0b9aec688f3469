#include "controls/ColumnMeasurer.h"

#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFontMetrics>
#include <algorithm>
#include <chrono>

#include "controls/ItemsEvents.h"

namespace quenby {

bool MeasureRows(std::int32_t first, std::int32_t last, std::int32_t columns, const QFont& font,
                 const TRowTextFn& rowText, const std::atomic<bool>& abort,
                 std::vector<std::int32_t>& widths) {
  widths.assign(static_cast<std::size_t>(std::max(columns, 0)), 16);
  const QFontMetrics metrics(font);
  for (std::int32_t row = first; row <= last; ++row)
    for (std::int32_t column = 0; column < columns; ++column) {
      if (abort.load(std::memory_order_relaxed)) return false;
      const std::int32_t w = metrics.horizontalAdvance(rowText(row, column)) + 16;
      auto& m = widths[static_cast<std::size_t>(column)];
      m = std::max(m, w);
    }
  return true;
}

TColumnMeasurer::TColumnMeasurer(QObject* target, TRowTextFn rowText)
    : Target_(target), RowText_(std::move(rowText)), Thread_([this] { Run(); }) {}

TColumnMeasurer::~TColumnMeasurer() {
  Stop();
}

void TColumnMeasurer::Request(std::int32_t count, std::int32_t columns, const QFont& font) {
  std::lock_guard guard(Mutex_);
  Abort_ = true;
  Pending_ = true;
  Count_ = count;
  Columns_ = columns;
  Font_ = font;
  Cond_.notify_all();
}

void TColumnMeasurer::AbortAndWait() {
  std::unique_lock guard(Mutex_);
  Abort_ = true;
  Pending_ = false;
  Cond_.wait(guard, [this] { return !Busy_; });
}

void TColumnMeasurer::Stop() {
  {
    std::lock_guard guard(Mutex_);
    if (Stop_ && !Thread_.joinable()) return;
    Stop_ = true;
    Abort_ = true;
    Cond_.notify_all();
  }
  if (Thread_.joinable()) Thread_.join();
}

void TColumnMeasurer::Run() {
  // Qt's thread priorities leave SCHED_OTHER threads at nice 0 on Linux;
  // the nice value of this thread alone is what lowers it.
  setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 5);
  std::unique_lock guard(Mutex_);
  for (;;) {
    Cond_.wait_for(guard, std::chrono::milliseconds(300), [this] { return Stop_ || Pending_; });
    if (Stop_) return;
    if (!Pending_) continue;
    Pending_ = false;
    Abort_ = false;
    Busy_ = true;
    const std::int32_t count = Count_;
    const std::int32_t columns = Columns_;
    const QFont font = Font_;
    guard.unlock();
    std::vector<std::int32_t> widths;
    const bool complete = MeasureRows(0, count - 1, columns, font, RowText_, Abort_, widths);
    if (complete) PostEvent(Target_, new TColumnsMeasuredEvent(std::move(widths)));
    guard.lock();
    Busy_ = false;
    Cond_.notify_all();
  }
}

}  // namespace quenby
