// The message-file folder over real temporary folders, watched through the
// real inotify hub. The trash is a fake: the user's is never touched.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <thread>

#include "TempDir.h"
#include "model/FastMemoryStream.h"
#include "model/ItemsView.h"
#include "model/MultiReadSync.h"
#include "platform/Errors.h"
#include "platform/Shell.h"
#include "settings/GlobStrings.h"
#include "stores/MesgFiles.h"
#include "text/CharsetConvert.h"

namespace quenby {
namespace {

using namespace std::chrono_literals;

bool Eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit = 20s) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

// Counts finished loads; a sent notification is handled at once.
class TLoadCounter : public IItemsView {
 public:
  explicit TLoadCounter(TViewNotifier& notifier) : Notifier_(notifier) { Notifier_.Attach(this); }
  ~TLoadCounter() override { Notifier_.Detach(); }
  void PostNotification(int code) override {
    if (code == WM_ITEMS_RESELECT) Loads.fetch_add(1);
    if (code == WM_ITEMS_STATUS) Statuses.fetch_add(1);
  }
  void SendNotification(int, std::shared_ptr<TSendCompletion> completion) override {
    completion->Done();
  }
  void SetItemCount(std::int32_t) override {}
  void PostItemCount(std::int32_t) override {}
  void PostFullRefresh() override {}
  void PostRepaintVisible() override {}
  void ItemRemoved(const TVirtItem*) override {}

  std::atomic<int> Loads{0};
  std::atomic<int> Statuses{0};

 private:
  TViewNotifier& Notifier_;
};

// Display in subject order, so that repositioning shows.
class TBySubject : public TMesgFileItems {
 public:
  using TMesgFileItems::TMesgFileItems;
  int CompareItems(const TSyncItem* a, const TSyncItem* b) const override {
    return static_cast<const TMesgItem*>(a)->Subject.compare(
        static_cast<const TMesgItem*>(b)->Subject);
  }
};

std::string Message(const std::string& subject, const std::string& body = "body\r\n") {
  return "From: Ann <ann@example.org>\r\nSubject: " + subject + "\r\n\r\n" + body;
}

void SetWriteTime(const std::string& path, std::time_t seconds) {
  const timespec times[2] = {{seconds, 0}, {seconds, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

class MesgFiles : public ::testing::Test {
 protected:
  void SetUp() override { LoadLanguage(QUENBY_SOURCE_DIR "/lang/english.ini"); }

  // Sets the path and waits for the load (and every load before it).
  void Open(TMesgFileItems& items, TLoadCounter& view, const std::string& path) {
    const int before = view.Loads.load();
    items.SetPath(path);
    ASSERT_TRUE(Eventually([&] { return view.Loads.load() > before; }));
  }

  // Key -> subject, and every shown item's DisplayIndex equal to its row.
  static std::map<std::string, std::string> Shown(TMesgFileItems& items) {
    TReadLock read(items.Lock());
    std::map<std::string, std::string> shown;
    for (std::int32_t i = 0; i < items.Count(); ++i) {
      const auto* item = static_cast<const TMesgFileItem*>(items.ItemAt(i));
      EXPECT_EQ(item->DisplayIndex, i) << item->FileName();
      EXPECT_EQ(items.IndexOf(item), i) << item->FileName();
      shown[item->GetKey()] = item->Subject;
    }
    return shown;
  }

  // The only item's subject, read under the lock: a rescan may free items.
  static std::string OnlySubject(TMesgFileItems& items) {
    TReadLock read(items.Lock());
    return items.Count() == 1 ? items.ItemAt(0)->Subject : std::string();
  }

  static std::string Saved(const TMesgItem& item) {
    TFastMemoryStream stream(4096);
    stream.WriteBuffer("stale", 5);
    item.SaveToStream(stream);
    return stream.ToString();
  }

  test::TTempDir Dir;
};

TEST_F(MesgFiles, ListsMessageFilesOfAnyCaseUnderTheirOwnNames) {
  test::WriteAll(Dir / "a.eml", Message("lower"));
  test::WriteAll(Dir / "A.EML", Message("upper"));
  test::WriteAll(Dir / "B.Eml", Message("mixed"));
  test::WriteAll(Dir / "c.msg", Message("msg"));
  test::WriteAll(Dir / ".hidden.eml", Message("hidden"));
  test::WriteAll(Dir / "empty.eml", "");
  test::WriteAll(Dir / "notes.txt", Message("not a message file"));
  std::filesystem::create_directory(Dir / "folder.eml");
  std::filesystem::create_symlink(Dir / "a.eml", Dir / "link.eml");
  std::filesystem::create_symlink(Dir / "missing", Dir / "broken.eml");
  ::mkfifo((Dir / "pipe.eml").c_str(), 0600);
  test::WriteAll(Dir / "outlook.msg",
                 std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(600, '\0'));

  TMesgFileItems items;
  TLoadCounter view(items.View());
  std::vector<std::string> leftOut;
  items.OnFileError = [&](const EStreamError& e) { leftOut.push_back(e.Path()); };
  Open(items, view, Dir.Path());

  const std::map<std::string, std::string> expected = {
      {".hidden.eml", "hidden"}, {"A.EML", "upper"}, {"B.Eml", "mixed"},
      {"a.eml", "lower"},        {"c.msg", "msg"},   {"link.eml", "lower"}};
  EXPECT_EQ(Shown(items), expected);
  EXPECT_EQ(items.IndexOfKey("A.EML"), items.IndexOf(items.ItemAt(items.IndexOfKey("A.EML"))));
  EXPECT_NE(items.IndexOfKey("a.eml"), items.IndexOfKey("A.EML"));
  EXPECT_EQ(items.Path() + "/", Dir.Path());

  // Each item reads its own file, exactly, replacing what the stream held.
  EXPECT_EQ(Saved(*items.ItemAt(items.IndexOfKey("A.EML"))), Message("upper"));
  EXPECT_EQ(Saved(*items.ItemAt(items.IndexOfKey("a.eml"))), Message("lower"));
  // The compound document is left out with the "damaged or of another kind" text.
  EXPECT_EQ(WideToUtf8(items.StatusText()), WideToUtf8(SectionText(0, TLangSection::Error)));
  EXPECT_GE(view.Statuses.load(), 1);
  EXPECT_EQ(leftOut, std::vector<std::string>{Dir / "outlook.msg"});
  const auto* item = static_cast<const TMesgFileItem*>(items.ItemAt(items.IndexOfKey("a.eml")));
  EXPECT_EQ(item->Size, static_cast<std::int64_t>(Message("lower").size()));
  EXPECT_NE(item->DateReceived, 0);
  EXPECT_EQ(item->GetFileName(), "a");
}

TEST_F(MesgFiles, FollowsFilesCreatedChangedRenamedAndRemoved) {
  for (const char* name : {"one.eml", "two.eml", "three.eml", "four.eml"})
    test::WriteAll(Dir / name, Message(std::string("s-") + name));
  SetWriteTime(Dir / "two.eml", 1'600'000'000);
  TBySubject items(100ms);
  TLoadCounter view(items.View());
  Open(items, view, Dir.Path());
  ASSERT_EQ(items.Count(), 4);

  // Same size and write time: the listing shows no change, so the file is
  // not parsed again and keeps its old subject.
  test::WriteAll(Dir / "two.eml", Message("s-TWO.eml"));
  SetWriteTime(Dir / "two.eml", 1'600'000'000);
  // A new write time: parsed again and moved to its place.
  test::WriteAll(Dir / "one.eml", Message("a-first"));
  std::filesystem::rename(Dir / "three.eml", Dir / "renamed.eml");
  std::filesystem::remove(Dir / "four.eml");
  test::WriteAll(Dir / "five.eml", Message("s-five.eml"));

  const std::map<std::string, std::string> expected = {{"five.eml", "s-five.eml"},
                                                       {"one.eml", "a-first"},
                                                       {"renamed.eml", "s-three.eml"},
                                                       {"two.eml", "s-two.eml"}};
  ASSERT_TRUE(Eventually([&] { return Shown(items) == expected; })) << items.Count();
  EXPECT_EQ(items.ItemAt(0)->Subject, "a-first");
  EXPECT_EQ(items.ItemAt(3)->Subject, "s-two.eml");
}

TEST_F(MesgFiles, ABurstOfFilesGivesOneRescanAndACompleteList) {
  TMesgFileItems items(1000ms);
  TLoadCounter view(items.View());
  Open(items, view, Dir.Path());
  constexpr int kFiles = 1000;
  for (int i = 0; i < kFiles; ++i)
    test::WriteAll(Dir / ("m" + std::to_string(i) + ".eml"), Message(std::to_string(i)));
  ASSERT_TRUE(Eventually([&] { return items.Count() == kFiles; }, 60s)) << items.Count();
  std::this_thread::sleep_for(1500ms);
  EXPECT_EQ(view.Loads.load(), 2);  // the load and one rescan
  EXPECT_EQ(items.Count(), kFiles);
}

TEST_F(MesgFiles, AVanishedFileIsAnErrorAndItsRemovedItemHasNoRow) {
  test::WriteAll(Dir / "gone.eml", Message("gone"));
  test::WriteAll(Dir / "kept.eml", Message("kept"));
  TMesgFileItems items(100ms);
  TLoadCounter view(items.View());
  Open(items, view, Dir.Path());
  TItemRef<TMesgFileItem> gone(
      static_cast<TMesgFileItem*>(items.AcquireItemAt(items.IndexOfKey("gone.eml"))));
  ASSERT_TRUE(gone);

  std::filesystem::remove(Dir / "gone.eml");
  // Never an empty message for an export or a drag.
  try {
    TFastMemoryStream stream;
    gone->SaveToStream(stream);
    ADD_FAILURE() << "no error";
  } catch (const EStreamError& e) {
    EXPECT_EQ(e.Kind(), TStreamErrorKind::CannotOpen);
    EXPECT_EQ(e.Path(), Dir / "gone.eml");
  }

  ASSERT_TRUE(Eventually([&] { return items.Count() == 1; }));
  // A held item that left the display answers no row, never another's.
  EXPECT_EQ(gone->DisplayIndex, -1);
  EXPECT_EQ(items.IndexOf(gone.get()), -1);
  EXPECT_EQ(items.ItemAt(0)->Subject, "kept");
}

TEST_F(MesgFiles, FilesDroppedWhileSuspendedComeWithOneRescan) {
  TMesgFileItems items(100ms);
  TLoadCounter view(items.View());
  Open(items, view, Dir.Path());
  items.SuspendRefresh();
  for (const char* name : {"x.eml", "y.eml", "z.eml"}) test::WriteAll(Dir / name, Message(name));
  std::this_thread::sleep_for(600ms);
  EXPECT_EQ(items.Count(), 0);
  EXPECT_EQ(view.Loads.load(), 1);
  items.ResumeRefresh();
  ASSERT_TRUE(Eventually([&] { return items.Count() == 3; }));
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(view.Loads.load(), 2);
  EXPECT_EQ(items.QueryDropTarget().Folder + "/", Dir.Path());
}

class TFakeTrash : public IShell {
 public:
  bool Trash(const std::string& path) override {
    Trashed.push_back(path);
    return Works && std::filesystem::remove(path);
  }
  int OpenDefault(const std::string&) override { return kShellFailure; }
  std::vector<TProgramChoice> ProgramsFor(const std::string&) override { return {}; }
  int OpenWithProgram(const std::string&, const std::string&) override { return kShellFailure; }
  bool Works = true;
  std::vector<std::string> Trashed;
};

TEST_F(MesgFiles, DeleteMovesTheFileToTheTrashAndReportsAFailedMove) {
  TFakeTrash trash;
  SetShell(&trash);
  struct TRestore {
    ~TRestore() { SetShell(nullptr); }
  } restore;
  test::WriteAll(Dir / "A.EML", Message("upper"));
  test::WriteAll(Dir / "a.eml", Message("lower"));
  TMesgFileItems items(100ms);
  TLoadCounter view(items.View());
  Open(items, view, Dir.Path());

  trash.Works = false;
  items.DeleteMessage(items.IndexOfKey("a.eml"));
  EXPECT_EQ(trash.Trashed, std::vector<std::string>{Dir / "a.eml"});
  const std::string status = WideToUtf8(items.StatusText());
  EXPECT_NE(status.find(Dir / "a.eml"), std::string::npos) << status;
  EXPECT_EQ(view.Statuses.load(), 1);

  trash.Works = true;
  items.DeleteMessage(items.IndexOfKey("a.eml"));
  EXPECT_EQ(trash.Trashed.back(), Dir / "a.eml");
  ASSERT_TRUE(Eventually([&] { return items.Count() == 1; }));
  EXPECT_EQ(items.ItemAt(0)->GetKey(), "A.EML");
  EXPECT_TRUE(std::filesystem::exists(Dir / "A.EML"));
}

TEST_F(MesgFiles, AMissingOrVanishedFolderGivesWayToItsNearestExistingParent) {
  test::WriteAll(Dir / "top.eml", Message("top"));
  std::filesystem::create_directories(Dir / "sub/deeper");
  test::WriteAll(Dir / "sub/deeper/low.eml", Message("low"));
  TMesgFileItems items(100ms);
  TLoadCounter view(items.View());

  Open(items, view, Dir / "sub/missing/further");
  EXPECT_EQ(items.Path(), Dir / "sub");
  EXPECT_EQ(items.Count(), 0);

  Open(items, view, Dir / "sub/deeper");
  ASSERT_EQ(items.Count(), 1);
  std::filesystem::remove_all(Dir / "sub");
  ASSERT_TRUE(Eventually([&] { return items.Path() + "/" == Dir.Path(); }));
  ASSERT_TRUE(Eventually([&] { return OnlySubject(items) == "top"; }));
}

TEST_F(MesgFiles, AFolderReplacedUnderItsNameIsWatchedAgain) {
  std::filesystem::create_directory(Dir / "box");
  test::WriteAll(Dir / "box/old.eml", Message("old"));
  TMesgFileItems items(100ms);
  TLoadCounter view(items.View());
  Open(items, view, Dir / "box");
  // Another folder takes the name at once, as a tool replacing it would.
  std::filesystem::create_directory(Dir / "new-box");
  test::WriteAll(Dir / "new-box/first.eml", Message("first"));
  std::filesystem::remove_all(Dir / "box");
  std::filesystem::rename(Dir / "new-box", Dir / "box");
  ASSERT_TRUE(Eventually([&] { return OnlySubject(items) == "first"; }));
  EXPECT_EQ(items.Path(), Dir / "box");
  test::WriteAll(Dir / "box/second.eml", Message("second"));
  EXPECT_TRUE(Eventually([&] { return items.Count() == 2; }));
}

}  // namespace
}  // namespace quenby
