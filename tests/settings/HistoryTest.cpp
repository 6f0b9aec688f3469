#include <gtest/gtest.h>

#include "TempDir.h"
#include "platform/Errors.h"
#include "platform/Registry.h"
#include "settings/BaseOptions.h"
#include "settings/History.h"
#include "settings/IniRegistry.h"

namespace quenby {
namespace {

const std::string kHistoryKey = std::string(kProgramKey).append("\\History");

class History : public ::testing::Test {
 protected:
  std::vector<std::string> Entries() const {
    std::vector<std::string> all;
    for (std::int32_t i = 0; i <= THistory::kShown; ++i) all.push_back(List.Get(i));
    return all;
  }
  TMemoryRegistry Registry;
  THistory List{Registry, kProgramKey};
};

TEST_F(History, AddingToAFullListPushesTheLastOutOfSight) {
  List.SetListName("Find");
  for (int i = 9; i >= 0; --i) List.Add(std::string("t").append(std::to_string(i)));
  ASSERT_EQ(List.Count(), 10);
  EXPECT_EQ(List.Add("new"), 0);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"new", "t0", "t1", "t2", "t3", "t4", "t5", "t6",
                                                 "t7", "t8", "t9"}));
  EXPECT_EQ(List.Count(), 10);
  EXPECT_EQ(Registry.ReadString(kHistoryKey, "Find10"), "t9");
}

TEST_F(History, AnEntryInAnotherCaseMovesToTheTop) {
  List.SetListName("Find");
  for (const char* t : {"e", "d", "inbox", "b", "a"}) List.Add(t);
  List.MoveToTop("Find", "INBOX");
  EXPECT_EQ(Entries(),
            (std::vector<std::string>{"INBOX", "a", "b", "d", "e", "", "", "", "", "", ""}));
  List.MoveToTop("Find", "inbox");  // already first: unchanged
  EXPECT_EQ(List.Get(0), "INBOX");
}

TEST_F(History, InsertDeleteAndClear) {
  List.SetListName("A");
  List.Add("x");
  List.Insert(1, "y");
  List.Insert(5, "beyond the end");
  List.Insert(-1, "negative");
  EXPECT_EQ(List.Count(), 2);
  EXPECT_EQ(Registry.ReadString(kHistoryKey, "A-1"), std::nullopt);
  List.Delete(0);
  EXPECT_EQ(List.Get(0), "y");
  EXPECT_EQ(List.Count(), 1);
  List.Delete(3);
  EXPECT_EQ(List.Count(), 1);

  List.MoveToTop("B", "other list");
  List.Clear();
  EXPECT_EQ(List.Count(), 0);
  List.SetListName("A");
  EXPECT_EQ(List.Count(), 0) << "Clear empties every list";
  EXPECT_FALSE(Registry.KeyExists(kHistoryKey));
}

// A registry whose every write fails: the history just forgets.
class TBrokenRegistry : public TMemoryRegistry {
 public:
  void WriteString(const std::string&, const std::string&, const std::string&) override {
    throw EStreamError(TStreamErrorKind::IniFile, "registry.ini", "disk full");
  }
  void DeleteKey(const std::string&) override {
    throw EStreamError(TStreamErrorKind::IniFile, "registry.ini");
  }
};

TEST(HistoryFailures, RegistryFailuresAreIgnored) {
  TBrokenRegistry registry;
  THistory list(registry, kProgramKey);
  EXPECT_NO_THROW(list.Add("x"));
  EXPECT_NO_THROW(list.Clear());
  EXPECT_EQ(list.Count(), 0);
}

TEST(HistoryOnDisk, ClearRemovesEveryListFromTheFileAndKeepsTheRest) {
  test::TTempDir dir;
  TIniRegistry registry(dir / "registry.ini");
  registry.WriteString(kProgramKey, "LanguageFile", "/x/english.ini");
  THistory list(registry, kProgramKey);
  list.MoveToTop("Find", "a");
  list.MoveToTop("Path", "b");
  list.Clear();
  const TIniRegistry reread(dir / "registry.ini");
  EXPECT_FALSE(reread.KeyExists(kHistoryKey));
  EXPECT_EQ(reread.ReadString(kProgramKey, "LanguageFile"), "/x/english.ini");
}

}  // namespace
}  // namespace quenby
