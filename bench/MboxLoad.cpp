// Loads a mailbox the way a mailbox list does and reports the memory it
// holds, for bench/mbox-timings.sh:
//   bench_mbox_load FILE.mbox
// Prints: messages, file bytes, resident bytes gained by the load, the
// bytes of the stored texts, and the overhead per message beyond its text.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "stores/UnixMesgItems.h"

namespace {

long long ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  long long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * sysconf(_SC_PAGESIZE);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_mbox_load FILE.mbox\n");
    return 2;
  }
  struct stat info {};
  if (stat(argv[1], &info) != 0) {
    std::perror(argv[1]);
    return 1;
  }
  const long long before = ResidentBytes();
  quenby::TMemMesgItems items;
  quenby::LoadMailbox(items, argv[1]);
  const long long gained = ResidentBytes() - before;
  long long stored = 0;
  for (std::int32_t i = 0; i < items.Count(); ++i) stored += items.ItemAt(i)->Size;
  const long long count = items.Count();
  std::printf("%lld %lld %lld %lld %lld\n", count, static_cast<long long>(info.st_size), gained,
              stored, count ? (gained - stored) / count : 0);
  return 0;
}
