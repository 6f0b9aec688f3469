// The message list view on the offscreen platform.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCoreApplication>
#include <QFont>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QTest>
#include <atomic>
#include <set>
#include <thread>

#include "QtWait.h"
#include "TempDir.h"
#include "TestMesgItems.h"
#include "controls/MessageForm.h"
#include "model/mail/qt/MesgEvents.h"
#include "model/mail/qt/MesgListView.h"
#include "settings/GlobStrings.h"
#include "settings/IniFiler.h"

namespace quenby {
namespace {

using test::TTextMesgItem;
using test::WaitFor;

class TKeyedItem : public TTextMesgItem {
 public:
  using TTextMesgItem::TTextMesgItem;
  std::string GetKey() const override { return Subject; }
};

// A collection that counts the view's refresh brackets and publishes a
// folder path, as the stores' collections do.
class TRecordingItems : public TMesgItems, public TPersistent {
 public:
  static const TClassInfo& StaticInfo() {
    static const TClassInfo info = TClassBuilder<TRecordingItems>("TRecordingItems", nullptr)
                                       .String("Path", &TRecordingItems::Path)
                                       .Build();
    return info;
  }
  const TClassInfo* ClassInfo() const override { return &StaticInfo(); }
  TDropTarget QueryDropTarget() override {
    if (!AcceptDrops) return TMesgItems::QueryDropTarget();
    TDropTarget target;
    target.Accept = true;
    return target;
  }
  void Refresh() override { ++Refreshed; }
  void SuspendRefresh() override {
    ++Suspended;
    if (OnSuspend) OnSuspend();
  }
  void ResumeRefresh() override {
    ++Resumed;
    TMesgItems::ResumeRefresh();
  }
  // Keyed by subject, so the view can reselect by it.
  TMesgItem* AddMessage(const std::string& subject, TMesgFlags flags = mfSeen, TDateTime sent = 0) {
    auto* item = new TKeyedItem(this, subject);
    item->Subject = subject;
    item->Flags = flags;
    item->DateSent = sent;
    AddSorted(item);
    return item;
  }

  std::function<void()> OnSuspend;
  bool AcceptDrops = false;
  int Refreshed = 0;
  std::string Path;
  int Suspended = 0;
  int Resumed = 0;
};

// The drag-and-drop service stand-in: records what the view asks of it.
class TRecordingService : public IMesgDragService, public IMesgDragSink {
 public:
  bool IsIdle() const override { return Idle; }
  IMesgDragSink& DragSink() override { return *this; }
  void Clear() override { Files.clear(); }
  void AddFile(TDragFile file) override { Files.push_back(file.Name); }
  void CopyToClipboard(bool realFiles, bool move) override {
    Clipboard = std::string(realFiles ? "files" : "virtual") + (move ? " cut" : " copy");
  }
  void StartDrag(TMesgListView&, bool realFiles) override {
    Clipboard = realFiles ? "drag files" : "drag virtual";
  }
  bool CanPaste(TMesgListView& target) override {
    return HasClip && target.DropTargetQuerry().Accept;
  }
  void Paste(TMesgListView&) override { ++Pastes; }
  void ClearDragData() override { ++Cleared; }

  bool Idle = true;
  bool HasClip = false;
  std::vector<std::string> Files;
  std::string Clipboard;
  int Pastes = 0;
  int Cleared = 0;
};

class MesgListViewTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { LoadLanguage(QUENBY_SOURCE_DIR "/lang/english.ini"); }
  static void TearDownTestSuite() { SetGlobStrings(nullptr); }
  void SetUp() override {
    auto items = std::make_unique<TRecordingItems>();
    Items = items.get();
    View.SetItems(std::move(items));
    View.resize(700, 400);
  }
  void TearDown() override { SetMesgDragService(nullptr); }

  void Sync() {
    Items->SyncViewCount();
    QCoreApplication::processEvents();
  }
  QString Cell(int row, int column, int role = Qt::DisplayRole) {
    return View.model()->data(View.model()->index(row, column), role).toString();
  }
  QString Header(int column) {
    return View.model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
  }
  std::string Column0() {
    std::string out;
    for (int row = 0; row < View.Count(); ++row) out += Cell(row, 0).toStdString() + ",";
    return out;
  }
  void Select(const std::vector<int>& rows) {
    QItemSelection selection;
    for (const int row : rows)
      selection.select(View.model()->index(row, 0), View.model()->index(row, 0));
    View.selectionModel()->select(selection,
                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }

  TMesgListView View;
  TRecordingItems* Items = nullptr;
};

TEST_F(MesgListViewTest, HeaderCaptionsCellsAndFonts) {
  QAbstractItemModelTester tester(View.model(),
                                  QAbstractItemModelTester::FailureReportingMode::Fatal);
  EXPECT_EQ(Header(0), QStringLiteral("Subject"));
  EXPECT_EQ(Header(1), QStringLiteral("From"));
  EXPECT_EQ(Header(2), QStringLiteral("From address"));
  TMailColumnsList columns;
  for (const TMailColumnType type : {mcSubject, mcSeen, mcSize, mcDraft}) columns.AddColumn(type);
  View.SetColumns(columns);
  ASSERT_EQ(View.model()->columnCount(), 4);
  EXPECT_EQ(Header(1), QString());  // flag columns have no caption
  EXPECT_EQ(Header(2), QStringLiteral("Size"));
  EXPECT_EQ(Header(3), QString());

  Items->AddMessage("read", mfSeen)->Size = 1200;
  Items->AddMessage("unread", 0);
  Items->AddMessage("draft", mfSeen | mfDraft);
  Items->AddMessage("unread draft", mfDraft);
  Sync();
  ASSERT_EQ(Column0(), "draft,read,unread,unread draft,");
  EXPECT_EQ(Cell(1, 2), QStringLiteral("1200"));
  EXPECT_EQ(Cell(1, 1), QString());
  struct TFontRow {
    int Row;
    bool Bold, Italic;
  };
  for (const TFontRow& r : {TFontRow{0, false, true}, TFontRow{1, false, false},
                            TFontRow{2, true, false}, TFontRow{3, true, true}}) {
    const QVariant font = View.model()->data(View.model()->index(r.Row, 0), Qt::FontRole);
    const QFont f = font.isValid() ? font.value<QFont>() : View.font();
    EXPECT_EQ(f.bold(), r.Bold) << r.Row;
    EXPECT_EQ(f.italic(), r.Italic) << r.Row;
  }
}

TEST_F(MesgListViewTest, SortSettingsReorderTheRowsAndKeepTheSelection) {
  Items->AddMessage("b", mfSeen, 3);
  Items->AddMessage("c", mfSeen, 1);
  Items->AddMessage("a", mfSeen, 2);
  Sync();
  EXPECT_EQ(Column0(), "a,b,c,");
  View.SetItemIndex(0);  // "a"
  View.SetMessageSort(msDateSent);
  EXPECT_EQ(Column0(), "c,a,b,");
  EXPECT_EQ(View.MesgName(), "a");
  View.SetInvertSort(true);
  EXPECT_EQ(Column0(), "b,a,c,");
  // msColumns follows the column list, the user's header order included.
  View.SetMessageSort(msColumns);
  EXPECT_EQ(Column0(), "c,b,a,");  // inverted subject
  TMailColumnsList columns;
  columns.AddColumn(mcDateSent);
  columns.AddColumn(mcSubject);
  View.SetColumns(columns);
  const auto subjects = [&] {
    std::string out;
    for (int i = 0; i < Items->Count(); ++i) out += Items->ItemAt(i)->Subject;
    return out;
  };
  EXPECT_EQ(subjects(), "bac");  // by DateSent first, inverted
  View.SetInvertSort(false);
  EXPECT_EQ(subjects(), "cab");
  View.SetDateTimeDetails(ddOnlyDate);
  EXPECT_EQ(Cell(0, 0), QString::fromStdU16String(MesgDateToStr(ddOnlyDate, 1)));
}

TEST_F(MesgListViewTest, AHeaderDraggedByTheUserReordersTheColumnsAndTheirSort) {
  Items->AddMessage("b")->FromEMail = "x@a";
  Items->AddMessage("a")->FromEMail = "y@a";
  Sync();
  View.SetMessageSort(msColumns);
  EXPECT_EQ(Column0(), "a,b,");
  View.horizontalHeader()->moveSection(2, 0);  // the address first
  EXPECT_EQ(View.Columns().Types(), (std::vector{mcFromEmail, mcSubject, mcFromRealName}));
  EXPECT_EQ(Column0(), "b,a,");  // logical column 0 is still the subject
  EXPECT_EQ(Header(2), QStringLiteral("From address"));
}

TEST_F(MesgListViewTest, EditOperationsNeedTheServiceAndAWritableStore) {
  Items->AddMessage("a");
  Items->AddMessage("b");
  Sync();
  View.SetItemIndex(1);
  EXPECT_TRUE(View.CanDelete());
  EXPECT_TRUE(View.CanSelectAll());
  // No service: nothing that needs one is offered.
  EXPECT_FALSE(View.CanCopy());
  EXPECT_FALSE(View.CanCut());
  EXPECT_FALSE(View.CanPaste());

  TRecordingService service;
  SetMesgDragService(&service);
  EXPECT_TRUE(View.CanCopy());
  EXPECT_TRUE(View.CanCut());
  EXPECT_FALSE(View.CanPaste());  // nothing on the clipboard
  service.HasClip = true;
  EXPECT_FALSE(View.CanPaste());  // the collection refuses drops
  View.StoreKind = TMesgListView::kMessageFiles;
  View.Cut();
  EXPECT_EQ(service.Clipboard, "files cut");
  EXPECT_EQ(service.Files, std::vector<std::string>{"b.eml"});
  ASSERT_EQ(View.DragList().size(), 1u);
  EXPECT_EQ(View.DragList()[0]->Subject, "b");

  service.Idle = false;  // a drag under way
  EXPECT_FALSE(View.CanCopy());
  service.Idle = true;
  View.StoreKind = TMesgListView::kOutlookExpress;
  EXPECT_TRUE(View.CanCopy());
  EXPECT_FALSE(View.CanCut());
  EXPECT_FALSE(View.CanDelete());
  View.Copy();
  EXPECT_EQ(service.Clipboard, "virtual copy");
  View.DeleteSelection();
  EXPECT_EQ(Items->Count(), 2);

  View.StoreKind = TMesgListView::kMemoryStore;
  Items->AcceptDrops = true;
  EXPECT_TRUE(View.CanPaste());
  View.Paste();
  EXPECT_EQ(service.Pastes, 1);
}

TEST_F(MesgListViewTest, ADragStartsThroughTheServiceOnceTheMouseMovesFarEnough) {
  TRecordingService service;
  SetMesgDragService(&service);
  Items->AddMessage("a");
  Items->AddMessage("b");
  Sync();
  View.show();
  const QPoint row1 = View.visualRect(View.model()->index(1, 0)).center();
  QTest::mousePress(View.viewport(), Qt::LeftButton, Qt::NoModifier, row1);
  QTest::mouseMove(View.viewport(), row1 + QPoint(1, 0));
  EXPECT_EQ(service.Clipboard, "");  // not yet a drag
  QTest::mouseMove(View.viewport(), row1 + QPoint(QApplication::startDragDistance() + 2, 0));
  EXPECT_EQ(service.Clipboard, "drag virtual");
  ASSERT_EQ(View.DragList().size(), 1u);
  EXPECT_EQ(View.DragList()[0]->Subject, "b");
  QTest::mouseRelease(View.viewport(), Qt::LeftButton, Qt::NoModifier, row1);
}

// A loader inserts rows before the selected ones while they are deleted:
// exactly the selected messages must go, although their rows shift.
TEST_F(MesgListViewTest, DeleteWhileALoaderInsertsRemovesExactlyTheSelection) {
  constexpr int kItems = 2000;
  char name[16];
  for (int i = 0; i < kItems; ++i) {
    std::snprintf(name, sizeof name, "m%04d", i);
    Items->AddMessage(name);
  }
  Sync();
  std::vector<int> rows;
  std::set<std::string> selected;
  for (int row = 5; row < kItems; row += 10) {
    rows.push_back(row);
    selected.insert(Items->ItemAt(row)->Subject);
  }
  Select(rows);
  ASSERT_EQ(View.SelCount(), static_cast<int>(rows.size()));

  // The deletion suspends refreshes once the selection is resolved; from
  // there on the loader inserts, a hundred rows before the first deletion.
  std::atomic<bool> go{false}, stop{false};
  std::atomic<int> inserted{0};
  Items->OnSuspend = [&] {
    go = true;
    while (inserted < 100) std::this_thread::yield();
  };
  std::thread loader([&] {
    while (!go) std::this_thread::yield();
    char early[16];
    for (int i = 0; !stop; ++i) {
      std::snprintf(early, sizeof early, "a%06d", i);
      Items->AddMessage(early);  // sorts before every "m" row
      ++inserted;
    }
  });
  View.DeleteSelection();
  stop = true;
  loader.join();

  EXPECT_EQ(Items->Count(), kItems - static_cast<int>(rows.size()) + inserted);
  int left = 0;
  for (int i = 0; i < Items->Count(); ++i) {
    const std::string& subject = Items->ItemAt(i)->Subject;
    EXPECT_EQ(selected.count(subject), 0u) << subject;
    if (subject[0] == 'm') ++left;
  }
  EXPECT_EQ(left, kItems - static_cast<int>(rows.size()));
  EXPECT_EQ(Items->Suspended, 1);
  EXPECT_EQ(Items->Resumed, 1);
}

TEST_F(MesgListViewTest, DropBracketsAndAMovedDragDeleteTheDraggedMessages) {
  TRecordingService service;
  SetMesgDragService(&service);
  Items->AddMessage("b");
  Items->AddMessage("c");
  Items->AddMessage("d");
  Sync();
  View.SetItemIndex(1);  // "c"
  View.Copy();
  ASSERT_EQ(View.DragList().size(), 1u);

  QCoreApplication::postEvent(&View, new TMesgNotifyEvent(WM_DROP_STARTED));
  QCoreApplication::processEvents();
  EXPECT_EQ(Items->Suspended, 1);
  EXPECT_EQ(Items->Resumed, 0);
  QCoreApplication::postEvent(&View, new TMesgNotifyEvent(WM_DROP_FINISHED));
  QCoreApplication::postEvent(&View, new TMesgNotifyEvent(WM_ITEMS_REFRESH));
  QCoreApplication::processEvents();
  EXPECT_EQ(Items->Resumed, 1);
  EXPECT_EQ(Items->Refreshed, 1);

  // A copy: nothing happens, not even the clearing.
  QCoreApplication::postEvent(&View, new TMesgNotifyEvent(WM_DRAG_DONE, 0, 1));
  QCoreApplication::processEvents();
  EXPECT_EQ(Items->Count(), 3);
  EXPECT_EQ(service.Cleared, 0);
  // Rows arrive before the dragged one; the move still deletes "c" only.
  Items->AddMessage("a");
  QCoreApplication::postEvent(&View, new TMesgNotifyEvent(WM_DRAG_DONE, 0x101, 1));
  ASSERT_TRUE(WaitFor([&] { return Items->Count() == 3; }));
  EXPECT_EQ(Column0(), "a,b,d,");
  EXPECT_EQ(service.Cleared, 1);
  EXPECT_TRUE(View.DragList().empty());
}

TEST_F(MesgListViewTest, SettingsRoundTripThroughTheWindowsSection) {
  test::TTempDir dir;
  Items->AddMessage("x");
  Items->AddMessage("y");
  Items->Path = "/mail/inbox";
  Sync();
  View.SetItemIndex(1);
  View.SetMessageSort(msFrom);
  View.SetInvertSort(true);
  View.SetDateTimeDetails(ddOnlyTime);
  TMailColumnsList columns;
  columns.AddColumn(mcSize);
  columns.AddColumn(mcSubject);
  View.SetColumns(columns);
  {
    TIniFiler filer(dir / "o.ini");
    filer.SetSection("TaskForm 0");
    filer.WriteProperties(&View);
    filer.UpdateFile();
  }
  TMesgListView back;
  auto items = std::make_unique<TRecordingItems>();
  TRecordingItems* backItems = items.get();
  back.SetItems(std::move(items));
  TIniFiler filer(dir / "o.ini");
  filer.SetSection("TaskForm 0");
  filer.ReadProperties(&back);
  EXPECT_EQ(back.MessageSort(), msFrom);
  EXPECT_TRUE(back.InvertSort());
  EXPECT_EQ(back.DateTimeDetails(), ddOnlyTime);
  EXPECT_EQ(back.Columns().Types(), (std::vector{mcSize, mcSubject}));
  EXPECT_EQ(backItems->Path, "/mail/inbox");
  EXPECT_EQ(backItems->SortOrder().MessageSort, msFrom);
  // The key waits for the reload.
  backItems->AddMessage("x");
  backItems->AddMessage(View.MesgName());
  backItems->SyncViewCount();
  QCoreApplication::processEvents();
  backItems->PostToView(WM_ITEMS_RESELECT);
  ASSERT_TRUE(WaitFor([&] { return back.MesgName() == View.MesgName(); }));
}

TEST_F(MesgListViewTest, SelectingAndOpeningAnnounceTheMessage) {
  Items->AddMessage("one");
  Items->AddMessage("two");
  Sync();
  std::string selected, opened;
  View.OnSelectMesg = [&](TMesgListView* sender, TMesgItem* item) {
    EXPECT_EQ(sender, &View);
    selected = item->Subject;
  };
  View.OnOpenMesg = [&](TMesgListView*, TMesgItem* item) { opened = item->Subject; };
  View.SetItemIndex(1);
  EXPECT_EQ(selected, "two");
  View.setFocus();
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QCoreApplication::sendEvent(&View, &enter);
  EXPECT_EQ(opened, "two");
}

}  // namespace
}  // namespace quenby
