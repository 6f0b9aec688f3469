#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "TempDir.h"
#include "settings/GlobStrings.h"

namespace quenby {
namespace {

// A copier thread keeps reading texts while the user switches languages:
// every text it reads is whole and of one of the two files.
TEST(LanguageThreads, ReadersSurviveALanguageChange) {
  test::TTempDir dir;
  test::WriteAll(dir / "a.ini", "[Error]\n1=alpha\n[Common]\nOk=A\n");
  test::WriteAll(dir / "b.ini", "[Common]\nOk=B\n[Error]\n1=beta\n");
  LoadLanguage(dir / "a.ini");
  std::atomic<bool> stop{false};
  std::atomic<int> bad{0};
  std::thread reader([&] {
    while (!stop.load()) {
      const std::u16string text = SectionText(1, TLangSection::Error);
      if (text != u"alpha" && text != u"beta") bad.fetch_add(1);
      const std::u16string ok = OkText();
      if (ok != u"A" && ok != u"B") bad.fetch_add(1);
    }
  });
  for (int i = 0; i < 200; ++i) LoadLanguage(dir / (i % 2 ? "a.ini" : "b.ini"));
  stop.store(true);
  reader.join();
  EXPECT_EQ(bad.load(), 0);
  SetGlobStrings(nullptr);
}

}  // namespace
}  // namespace quenby
