#pragma once
// Measures the text width of every row in every column of an index list
// view, on a thread of its own at a lower priority. A new request aborts
// the running pass, which then starts again from row 0; widths are
// published (posted to the view) only when a pass completes, so an aborted
// pass never shrinks the columns.

#include <QFont>
#include <QObject>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace quenby {

using TRowTextFn = std::function<QString(std::int32_t row, std::int32_t column)>;

// Widest text + 16 per column over rows first..last (at least 16); stops
// early, returning false, when abort turns true.
bool MeasureRows(std::int32_t first, std::int32_t last, std::int32_t columns, const QFont& font,
                 const TRowTextFn& rowText, const std::atomic<bool>& abort,
                 std::vector<std::int32_t>& widths);

class TColumnMeasurer {
 public:
  // target receives a TColumnsMeasuredEvent after every completed pass.
  TColumnMeasurer(QObject* target, TRowTextFn rowText);
  ~TColumnMeasurer();  // stops and joins the thread
  TColumnMeasurer(const TColumnMeasurer&) = delete;
  TColumnMeasurer& operator=(const TColumnMeasurer&) = delete;

  // Aborts a running pass and asks for one over rows 0..count-1.
  void Request(std::int32_t count, std::int32_t columns, const QFont& font);
  // Aborts a running pass and drops a pending request; returns once the
  // thread no longer reads rows.
  void AbortAndWait();
  void Stop();

 private:
  void Run();

  QObject* Target_;
  TRowTextFn RowText_;
  std::mutex Mutex_;
  std::condition_variable Cond_;
  std::atomic<bool> Abort_{false};
  bool Stop_ = false;
  bool Pending_ = false;
  bool Busy_ = false;
  std::int32_t Count_ = 0;
  std::int32_t Columns_ = 0;
  QFont Font_;
  std::thread Thread_;
};

}  // namespace quenby
