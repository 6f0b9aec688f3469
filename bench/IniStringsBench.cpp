// The language table: loading a file of 5,000 entries (read, decode, sort,
// index) and 100,000 look-ups by number and by name.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "settings/IniWStrings.h"
#include "settings/WideText.h"

namespace quenby {
namespace {

constexpr int kSections = 50, kNumbered = 70, kNamed = 30;  // 5,000 entries

// Entries are written in a shuffled order so that the sort has work to do.
const std::string& LanguageFile() {
  static const std::string path = [] {
    std::mt19937 random(7);
    std::string text = "\xEF\xBB\xBF";
    for (int s = 0; s < kSections; ++s) {
      std::vector<std::string> lines;
      for (int n = 0; n < kNumbered; ++n)
        lines.push_back(std::to_string(n) + "=Текст номер " + std::to_string(n));
      for (int n = 0; n < kNamed; ++n)
        lines.push_back("mItem" + std::to_string(n) + "=&Пункт " + std::to_string(n));
      std::shuffle(lines.begin(), lines.end(), random);
      text += "[Section" + std::to_string(s) + "]\r\n";
      for (const std::string& line : lines) text += line + "\r\n";
    }
    const std::string name = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") +
                             "/quenby-bench-lang.ini";
    std::ofstream(name, std::ios::binary) << text;
    return name;
  }();
  return path;
}

void LoadLanguageFile(benchmark::State& state) {
  for (auto _ : state) {
    TIniStrings table;
    table.LoadFromFile(LanguageFile());
    table.SortEntries();
    table.Reindex();
    benchmark::DoNotOptimize(table.Count());
  }
}
BENCHMARK(LoadLanguageFile)->Unit(benchmark::kMillisecond);

const TIniStrings& Table() {
  static const TIniStrings& table = []() -> const TIniStrings& {
    auto* t = new TIniStrings;
    t->LoadFromFile(LanguageFile());
    t->SortEntries();
    t->Reindex();
    return *t;
  }();
  return table;
}

void LookUpByNumber(benchmark::State& state) {
  const TIniStrings& table = Table();
  std::mt19937 random(1);
  for (auto _ : state) {
    for (int i = 0; i < 100000; ++i) {
      table.PushSection(static_cast<std::int64_t>(random() % kSections));
      benchmark::DoNotOptimize(table.Get(static_cast<std::int32_t>(random() % kNumbered)));
      table.PopSection();
    }
  }
}
BENCHMARK(LookUpByNumber)->Unit(benchmark::kMillisecond);

void LookUpByName(benchmark::State& state) {
  const TIniStrings& table = Table();
  std::vector<std::u16string> names;
  for (int n = 0; n < kNamed; ++n) names.push_back(Utf8ToUtf16("MITEM" + std::to_string(n)));
  std::mt19937 random(2);
  for (auto _ : state) {
    for (int i = 0; i < 100000; ++i) {
      table.PushSection(static_cast<std::int64_t>(random() % kSections));
      benchmark::DoNotOptimize(table.ValueByName(names[random() % kNamed]));
      table.PopSection();
    }
  }
}
BENCHMARK(LookUpByName)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quenby
