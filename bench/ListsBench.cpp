// The row read path of a list view and sorted insertion.
#include <benchmark/benchmark.h>

#include <random>

#include "model/TestItems.h"  // tests/model

namespace quenby {
namespace {

using test::TIntItem;
using test::TIntItems;

// One row as the view reads it: acquire, read lock, read a field, unlock, release.
void BM_RowRead(benchmark::State& state) {
  TIntItems items;
  for (int i = 0; i < 1000; ++i) items.AddValue(i);
  std::int32_t row = 0;
  for (auto _ : state) {
    TVirtItem* item = items.AcquireItemAt(row);
    item->BeginRead();
    benchmark::DoNotOptimize(static_cast<TIntItem*>(item)->Value);
    item->EndRead();
    item->Release();
    row = (row + 1) % 1000;
  }
}
BENCHMARK(BM_RowRead);

// Inserting n items at their sorted places with Reposition.
void BM_RepositionInsert(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    TIntItems items;
    std::mt19937 rng(1);
    for (int i = 0; i < n; ++i) {
      items.AddValue(static_cast<int>(rng()));
      items.Reposition(i);
    }
    benchmark::DoNotOptimize(items.Count());
  }
  state.SetLabel(std::to_string(n) + " items");
}
BENCHMARK(BM_RepositionInsert)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace quenby
