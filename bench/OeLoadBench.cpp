// Loads an Outlook Express folder file as the message list does (on the
// collection's folder monitor) and reports the time to the first batch and
// to the end, messages per second and resident memory per message:
//   bench_oe_load FILE.dbx
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <mutex>

#include "model/ItemsView.h"
#include "stores/MesgOeItems.h"

namespace {

using Clock = std::chrono::steady_clock;

std::int64_t ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  std::int64_t size = 0, resident = 0;
  statm >> size >> resident;
  return resident * sysconf(_SC_PAGESIZE);
}

// Notes when the first batch and the end of the load arrive.
class TTimingView : public quenby::IItemsView {
 public:
  void PostNotification(int code) override {
    std::lock_guard guard(Lock);
    if (code == quenby::WM_ITEMS_FIRST_BATCH && FirstBatch == Clock::time_point())
      FirstBatch = Clock::now();
    if (code == quenby::WM_ITEMS_RESELECT) {
      End = Clock::now();
      Ended.notify_all();
    }
  }
  void SendNotification(int, std::shared_ptr<quenby::TSendCompletion> completion) override {
    completion->Done();
  }
  void SetItemCount(std::int32_t) override {}
  void PostItemCount(std::int32_t) override {}
  void PostFullRefresh() override {}
  void PostRepaintVisible() override {}
  void ItemRemoved(const quenby::TVirtItem*) override {}

  std::mutex Lock;
  std::condition_variable Ended;
  Clock::time_point FirstBatch, End;
};

double Seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_oe_load FILE.dbx\n");
    return 2;
  }
  quenby::TMesgOeItems items;
  TTimingView view;
  items.View().Attach(&view);
  const std::int64_t before = ResidentBytes();
  const Clock::time_point start = Clock::now();
  items.SetFile(argv[1]);
  {
    std::unique_lock lock(view.Lock);
    view.Ended.wait(lock, [&] { return view.End != Clock::time_point(); });
  }
  const std::int64_t after = ResidentBytes();
  const std::int32_t count = items.Count();
  const double total = Seconds(view.End - start);
  std::printf("messages:        %d\n", count);
  std::printf("first batch:     %.3f s\n", Seconds(view.FirstBatch - start));
  std::printf("whole load:      %.3f s, %.0f messages/s\n", total, count / total);
  std::printf("resident memory: %.0f bytes per message (%.1f MB in all)\n",
              count ? double(after - before) / count : 0.0, double(after - before) / 1e6);
  if (!items.StatusText().empty()) std::printf("status: (set)\n");
  items.View().Detach();
  return 0;
}
