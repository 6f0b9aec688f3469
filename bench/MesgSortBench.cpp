// Ordering message lists: a whole resort of a large folder, and a load
// that inserts each message at its sorted place.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "model/mail/MesgItems.h"
#include "model/mail/TestMesgItems.h"  // tests/
#include "text/CharsetConvert.h"

namespace quenby {
namespace {

using test::TTextMesgItem;

// Subjects as mailing lists give them: a few words from a small
// vocabulary, often a reply, sometimes a list number.
std::string RandomSubject(std::mt19937& rng) {
  static const std::vector<std::string> kWords = [] {
    std::vector<std::string> words;
    const char* stems[] = {"meeting", "report", "Invoice", "release", "build",  "question",
                           "update",  "Urgent", "review",  "draft",   "budget", "travel",
                           "patch",   "server", "Offer",   "summary", "notes",  "schedule"};
    for (const char* stem : stems)
      for (int i = 0; i < 12; ++i) words.push_back(std::string(stem) + std::to_string(i));
    return words;
  }();
  std::string subject;
  if (rng() % 3 == 0) subject += "Re: ";
  if (rng() % 5 == 0) subject += "[" + std::to_string(rng() % 5000 + 1) + "] ";
  const int words = 3 + static_cast<int>(rng() % 6);
  for (int w = 0; w < words; ++w) {
    if (w) subject += ' ';
    subject += kWords[rng() % kWords.size()];
  }
  return subject;
}

TMesgItem* NewItem(TMesgItems& items, std::mt19937& rng) {
  auto* item = new TTextMesgItem(&items, {});
  item->Subject = RandomSubject(rng);
  item->DateSent = 36000 + static_cast<double>(rng() % 100000000) / 10000.0;
  return item;
}

void Fill(TMesgItems& items, int n) {
  std::mt19937 rng(7);
  items.BeginUpdate();
  for (int i = 0; i < n; ++i) items.Add(NewItem(items, rng));
  items.EndUpdate();
}

// A resort of a filled, unordered collection, as a change of sort column.
void Resort(benchmark::State& state, TMessageSort sort) {
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    auto items = std::make_unique<TMesgItems>();
    items->SetSortOrder({msDateSent, false, {}});
    Fill(*items, n);
    state.ResumeTiming();
    items->SetSortOrder({sort, false, {}});
    items->Resort();
    benchmark::DoNotOptimize(items->RawItems(0));
    state.PauseTiming();  // the collection's destruction is not the sort's
    items.reset();
    state.ResumeTiming();
  }
  state.SetLabel(std::to_string(n) + " items");
}

void BM_ResortBySubject(benchmark::State& state) {
  Resort(state, msSubject);
}
BENCHMARK(BM_ResortBySubject)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_ResortByDateSent(benchmark::State& state) {
  Resort(state, msDateSent);
}
BENCHMARK(BM_ResortByDateSent)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(2);

// The same resort comparing with CompareSubjects on every call, as
// without the per-item key.
class TUnkeyedItems : public TMesgItems {
 public:
  int CompareItems(const TSyncItem* a, const TSyncItem* b) const override {
    const auto& x = static_cast<const TMesgItem&>(*a);
    const auto& y = static_cast<const TMesgItem&>(*b);
    const int r = CompareSubjects(Utf8ToWide(x.Subject), Utf8ToWide(y.Subject));
    return r != 0 ? r : CompareByField(x, y, mcDateSent);
  }
};

void BM_ResortBySubjectUnkeyed(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    auto items = std::make_unique<TUnkeyedItems>();
    Fill(*items, n);
    state.ResumeTiming();
    items->Resort();
    state.PauseTiming();
    items.reset();
    state.ResumeTiming();
  }
  state.SetLabel(std::to_string(n) + " items");
}
BENCHMARK(BM_ResortBySubjectUnkeyed)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

// A load: each new message gets its key (the loader does that in
// FillFromMessage, before the lock) and goes to its sorted place.
void LoadSorted(benchmark::State& state, TMessageSort sort) {
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    TMesgItems items;
    items.SetSortOrder({sort, false, {}});
    std::mt19937 rng(11);
    for (int i = 0; i < n; ++i) {
      TMesgItem* item = NewItem(items, rng);
      item->UpdateSubjectKey();
      items.AddSorted(item);
    }
    benchmark::DoNotOptimize(items.RawItems(0));
    state.PauseTiming();
    items.Clear();
    state.ResumeTiming();
  }
  state.SetLabel(std::to_string(n) + " items");
}

void BM_LoadSortedBySubject(benchmark::State& state) {
  LoadSorted(state, msSubject);
}
BENCHMARK(BM_LoadSortedBySubject)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_LoadSortedByDateSent(benchmark::State& state) {
  LoadSorted(state, msDateSent);
}
BENCHMARK(BM_LoadSortedByDateSent)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
}  // namespace quenby
