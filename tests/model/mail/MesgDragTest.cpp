#include <gtest/gtest.h>

#include "TestMesgItems.h"
#include "TestNames.h"
#include "model/mail/MesgDrag.h"
#include "model/mail/MesgItems.h"

namespace quenby {
namespace {

using test::TTextMesgItem;
using Names = std::vector<std::string>;

struct TNamesCase {
  std::string Name;
  Names In, Out;
};

class DragNames : public ::testing::TestWithParam<TNamesCase> {};

TEST_P(DragNames, AreUniqueIgnoringCase) {
  EXPECT_EQ(UniqueDragNames(GetParam().In), GetParam().Out);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DragNames,
    ::testing::Values(
        TNamesCase{"ThreeEqual",
                   {"Hello", "Hello", "Hello"},
                   {"Hello.eml", "Hello002.eml", "Hello003.eml"}},
        TNamesCase{"EqualIgnoringCase", {"hello", "HELLO"}, {"hello.eml", "HELLO002.eml"}},
        TNamesCase{"NumberAlreadyTaken",
                   {"Hello002", "Hello", "Hello"},
                   {"Hello002.eml", "Hello.eml", "Hello003.eml"}},
        TNamesCase{"TakenLaterInTheSet",
                   {"Hello", "Hello", "hello002"},
                   {"Hello.eml", "Hello003.eml", "hello002.eml"}},
        TNamesCase{"CaselessCyrillic", {"Привет", "ПРИВЕТ"}, {"Привет.eml", "ПРИВЕТ002.eml"}},
        TNamesCase{"EmptyNames", {"", ""}, {"no subject.eml", "no subject002.eml"}}),
    test::ByName());

TEST(DragNames, LongNamesAreCutAtACharacterBoundary) {
  std::string cyrillic;
  for (int i = 0; i < 150; ++i) cyrillic += "Ж";  // 300 bytes
  const Names out = UniqueDragNames({cyrillic, cyrillic});
  const std::string base = cyrillic.substr(0, kMaxDragBaseBytes);
  EXPECT_EQ(out[0], base + ".eml");
  EXPECT_EQ(out[1], base + "002.eml");
  EXPECT_LE(out[1].size(), 255u);
  // An odd cut would split a letter: 201 bytes keep 100 letters.
  const Names odd = UniqueDragNames({"x" + cyrillic});
  EXPECT_EQ(odd[0], "x" + cyrillic.substr(0, 198) + ".eml");
}

class TRecordingSink : public IMesgDragSink {
 public:
  void Clear() override { Files.clear(), ++Clears; }
  void AddFile(TDragFile file) override { Files.push_back(std::move(file)); }
  std::vector<TDragFile> Files;
  int Clears = 0;
};

TEST(PrepareDrag, GivesTheSelectedMessagesWithNamesTimesAndSizes) {
  TMesgItems items;
  const char* subjects[] = {"Same", "other", "Same", ""};
  for (const char* s : subjects) {
    auto* item = new TTextMesgItem(&items, std::string("Subject: ") + s + "\r\n\r\nbody\r\n");
    item->Subject = s;
    items.Add(item);
  }
  items.ItemAt(0)->DateSent = 36526.5;       // 2000-01-01 12:00 local
  items.ItemAt(0)->DateReceived = 36527.25;  // 2000-01-02 06:00 local
  items.ItemAt(2)->DateSent = -700000;       // before any file time: now

  TRecordingSink sink;
  items.PrepareDrag({0, 2, 3, 9}, sink);  // row 9 is gone
  ASSERT_EQ(sink.Files.size(), 3u);
  EXPECT_EQ(sink.Clears, 1);
  Names names;
  for (const TDragFile& f : sink.Files) names.push_back(f.Name);
  EXPECT_EQ(names, (Names{"Same.eml", "Same002.eml", "no subject.eml"}));
  const TDragFile& first = sink.Files[0];
  EXPECT_EQ(first.Item, items.ItemAt(0));
  EXPECT_EQ(first.Stream->Position(), 0);
  EXPECT_EQ(first.Stream->ToString(), "Subject: Same\r\n\r\nbody\r\n");
  EXPECT_EQ(first.Size, first.Stream->Size());
  EXPECT_EQ(FileTimeToDateTime(first.Creation), 36526.5);
  EXPECT_EQ(FileTimeToDateTime(first.LastWrite), 36527.25);
  // Unknown and unconvertible dates give the time of the drag.
  const TDateTime now = FileTimeToDateTime(sink.Files[1].Creation);
  EXPECT_GT(now, 45000.0);
  EXPECT_EQ(sink.Files[1].LastWrite, sink.Files[1].Creation);
}

}  // namespace
}  // namespace quenby
