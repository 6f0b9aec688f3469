#include <gtest/gtest.h>

#include <atomic>
#include <latch>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "settings/IniWStrings.h"

namespace quenby {
namespace {

TEST(IniStringsThreads, EachThreadHasItsOwnSectionStack) {
  TIniStrings table;
  std::u16string text;
  constexpr int kSections = 4;
  for (int s = 0; s < kSections; ++s) {
    const std::u16string n(1, static_cast<char16_t>(u'0' + s));
    text += u"[S" + n + u"]\n1=value" + n + u"\nname=named" + n + u"\n";
  }
  table.LoadFromText(text);
  table.SortEntries();
  table.Reindex();

  const std::int64_t mainSection = table.CurrentSection();  // the loader's last header
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int s = 0; s < kSections; ++s) {
    threads.emplace_back([&, s] {
      const std::u16string n(1, static_cast<char16_t>(u'0' + s));
      EXPECT_EQ(table.CurrentSection(), 0);  // a new thread starts at section 0
      for (int i = 0; i < 2000; ++i) {
        table.PushSectionByName(u"s" + n);
        if (table.Get(1) != u"value" + n || table.ValueByName(u"NAME") != u"named" + n) ++wrong;
        table.PopSection();
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(table.CurrentSection(), mainSection);
}

// A worker that used a table which is then destroyed must start afresh on
// a new table, even one at the same address.
TEST(IniStringsThreads, StacksOfADestroyedTableAreNotInherited) {
  auto first = std::make_unique<TIniStrings>();
  first->LoadFromText(u"[A]\n1=a\n[B]\n1=b\n");
  std::unique_ptr<TIniStrings> second;
  std::latch pushed(1), replaced(1);
  std::int64_t seen = -2;
  std::thread worker([&] {
    first->PushSection(1);
    pushed.count_down();
    replaced.wait();
    seen = second->CurrentSection();
  });
  pushed.wait();
  first.reset();
  second = std::make_unique<TIniStrings>();
  replaced.count_down();
  worker.join();
  EXPECT_EQ(seen, 0);
}

// The main thread's thread_local objects end before its statics: a static
// table (the language table may be one) must not touch a destroyed stack
// list when it is destroyed at exit. The sanitizer builds catch the fault.
TEST(IniStringsThreads, AStaticTableOutlivesTheMainThreadsStacks) {
  static TIniStrings table;
  table.LoadFromText(u"[A]\n1=a\n");
  table.PushSection(0);
  EXPECT_EQ(table.CurrentSection(), 0);
}

}  // namespace
}  // namespace quenby
