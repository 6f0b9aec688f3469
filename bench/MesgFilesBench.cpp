// A folder of message files: time to a complete sorted list (cold and warm
// page cache) and time until a newly written file appears in the list.
//   bench_mesg_files [COUNT] [MESSAGE-FILE...]   default 20000 files of the corpus
// "Cold" evicts the files' pages (posix_fadvise); the directory and inode
// caches stay warm, so a cold disk is slower still.
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "TempDir.h"
#include "model/ItemsView.h"
#include "settings/GlobStrings.h"
#include "stores/MesgFiles.h"

namespace {

using namespace quenby;
using Clock = std::chrono::steady_clock;

class TLoads : public IItemsView {
 public:
  explicit TLoads(TViewNotifier& n) : N_(n) { N_.Attach(this); }
  ~TLoads() override { N_.Detach(); }
  void PostNotification(int code) override {
    if (code == WM_ITEMS_RESELECT) Count.fetch_add(1);
  }
  void SendNotification(int, std::shared_ptr<TSendCompletion> c) override { c->Done(); }
  void SetItemCount(std::int32_t) override {}
  void PostItemCount(std::int32_t) override {}
  void PostFullRefresh() override {}
  void PostRepaintVisible() override {}
  void ItemRemoved(const TVirtItem*) override {}
  std::atomic<int> Count{0};

 private:
  TViewNotifier& N_;
};

// The common order of a message list: by date sent.
class TByDate : public TMesgFileItems {
 public:
  int CompareItems(const TSyncItem* a, const TSyncItem* b) const override {
    const double x = static_cast<const TMesgItem*>(a)->DateSent;
    const double y = static_cast<const TMesgItem*>(b)->DateSent;
    return x < y ? -1 : x > y ? 1 : 0;
  }
};

double Seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

void Evict(const std::string& folder) {
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const int fd = ::open(entry.path().c_str(), O_RDONLY);
    if (fd < 0) continue;
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
  }
}

double TimeLoad(TByDate& items, TLoads& loads, const std::string& folder, int count) {
  const int before = loads.Count.load();
  const auto start = Clock::now();
  items.SetPath(folder);
  while (loads.Count.load() == before || items.Count() < count)
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  return Seconds(Clock::now() - start);
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 20000;
  std::vector<std::string> sources;
  for (int i = 2; i < argc; ++i) sources.emplace_back(argv[i]);
  if (sources.empty())
    for (const auto& e : std::filesystem::directory_iterator(QUENBY_CORPUS "/eml/mime4j"))
      sources.push_back(e.path().string());
  std::vector<std::string> texts;
  for (const std::string& s : sources) texts.push_back(test::ReadAll(s));
  LoadLanguage(QUENBY_SOURCE_DIR "/lang/english.ini");

  test::TTempDir dir;
  const std::string folder = dir / "mail";
  const std::string other = dir / "other";
  std::filesystem::create_directory(folder);
  std::filesystem::create_directory(other);
  for (int i = 0; i < count; ++i)
    test::WriteAll(folder + "/m" + std::to_string(i) + ".eml", texts[i % texts.size()]);

  TByDate items;
  TLoads loads(items.View());
  Evict(folder);
  const double cold = TimeLoad(items, loads, folder, count);
  TimeLoad(items, loads, other, 0);
  const double warm = TimeLoad(items, loads, folder, count);

  const auto start = Clock::now();
  test::WriteAll(folder + "/new.eml", texts[0]);
  while (items.Count() < count + 1) std::this_thread::sleep_for(std::chrono::microseconds(200));
  const double appear = Seconds(Clock::now() - start);

  std::printf("%d files: sorted list cold %.3f s, warm %.3f s; new file shown after %.3f s\n",
              count, cold, warm, appear);
  return 0;
}
