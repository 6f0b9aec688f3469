// The explorer window on the offscreen platform, over a store kept in
// memory: kinds, counts, selection, the panes, saving and restoring.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QAction>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTextBlock>
#include <fstream>
#include <sstream>

#include "ExplorerTest.h"
#include "QtWait.h"
#include "TempDir.h"
#include "TestStore.h"
#include "app/KindChooser.h"
#include "app/ManagerForm.h"
#include "app/MesgPane.h"
#include "app/Screenshot.h"
#include "app/StoreDialogs.h"
#include "app/TriForm.h"
#include "controls/MessageForm.h"
#include "model/mail/MesgItems.h"
#include "model/mail/qt/MesgListView.h"
#include "settings/GlobStrings.h"
#include "settings/IniFile.h"
#include "settings/Options.h"

namespace quenby {
namespace {

std::string Message(const std::string& subject) {
  return "From: a@example.org\r\nSubject: " + subject + "\r\n\r\nBody of " + subject + "\r\n";
}

class TFakeDialogs : public IStoreDialogs {
 public:
  QString OpenFile(QWidget*, const QString&, const QString& filter, const QString&) override {
    Filters.push_back(filter);
    return Answer;
  }
  QString SaveFile(QWidget*, const QString&, const QString&, const QString&) override {
    return Answer;
  }
  QString Answer;
  QStringList Filters;
};

class TriFormTest : public test::TExplorerTest {
 protected:
  void SetUp() override {
    TExplorerTest::SetUp();
    Boxes_ = {
        {"/m/box", {{"k1", Message("first")}, {"k2", Message("second")}, {"k3", Message("third")}}},
        {"/m/other", {{"o1", Message("other")}, {"o2", Message("Digest number 5")}}}};
    Stores_[ekUnixBox] = [this] {
      return Track(std::make_unique<test::TTestStore>(Boxes_, false));
    };
    Stores_[ekEmlFiles] = [this] {
      return Track(std::make_unique<test::TTestStore>(Boxes_, true));
    };
    Stores_[ekVirtual] = [this] {
      return Track(std::make_unique<test::TTestStore>(Boxes_, false));
    };
    Context_.Stores = &Stores_;
    Context_.Dialogs = &Dialogs_;
    StartManager();
  }
  std::unique_ptr<TExplorerStore> Track(std::unique_ptr<test::TTestStore> store) {
    LastStore_ = store.get();
    return store;
  }

  TTriForm* OpenBox(const std::string& location = "/m/box") {
    TTriForm* window = NewExplorer(*Manager_, Context_, ekUnixBox);
    window->OpenLocation(location);
    EXPECT_TRUE(test::WaitFor([&] { return window->MesgList()->Count() > 0; }));
    return window;
  }
  static QString Status(TTriForm* window) { return window->StatusPanel(0)->text(); }

  test::TTestMailboxes Boxes_;
  TExplorerStores Stores_;
  TFakeDialogs Dialogs_;
  test::TTestStore* LastStore_ = nullptr;
};

TEST_F(TriFormTest, KindsSwapCollectionAndTree) {
  TTriForm* window = NewExplorer(*Manager_, Context_, ekEmlFiles);
  ASSERT_NE(window->Items(), nullptr);
  EXPECT_NE(window->TreePane(), nullptr);
  window->OpenLocation("/m/box");
  window->SetMesgExplKind(ekUnixBox);
  ASSERT_NE(window->Items(), nullptr);
  EXPECT_EQ(window->Location(), "");
  EXPECT_EQ(window->Items()->Count(), 0);
  EXPECT_EQ(window->TreePane(), nullptr);
  // Kinds without a store in this build, and Office Outlook, show an empty
  // list and count nothing rather than reading a missing collection.
  for (TMesgExplKind kind : {ekOfficeOutlook, ekOutlook}) {
    window->SetMesgExplKind(kind);
    EXPECT_EQ(window->Items(), nullptr) << kind;
    EXPECT_EQ(window->MesgList()->Count(), 0);
    EXPECT_EQ(Status(window), QStringLiteral("Messages: 0   Unread: 0"));
  }
  EXPECT_EQ(StatusCounts(nullptr), std::make_pair(0, 0));
  window->SetMesgExplKind(ekNone);  // a restored unknown kind keeps what is there
  EXPECT_EQ(window->MesgExplKind(), ekNone);
}

TEST_F(TriFormTest, SelectingShowsTheMessageAndMarksItSeen) {
  TTriForm* window = OpenBox();
  QAbstractItemModelTester tester(window->MesgList()->model(),
                                  QAbstractItemModelTester::FailureReportingMode::Fatal);
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Quenby Mailer 1: box"));
  EXPECT_EQ(Status(window), QStringLiteral("Messages: 3   Unread: 3"));
  auto* prev = window->findChild<QAction*>(QStringLiteral("APrevMesg"));
  auto* next = window->findChild<QAction*>(QStringLiteral("aNextMesg"));

  window->MesgList()->SetItemIndex(0);
  ASSERT_TRUE(test::WaitFor([&] { return PaneText(window).contains(QStringLiteral("first")); }));
  EXPECT_TRUE(PaneText(window).contains(QStringLiteral("Subject: first\n")));
  EXPECT_EQ(Status(window), QStringLiteral("Messages: 3   Unread: 2"));
  EXPECT_FALSE(prev->isEnabled());
  EXPECT_TRUE(next->isEnabled());

  window->MesgList()->SetItemIndex(2);
  ASSERT_TRUE(test::WaitFor([&] { return PaneText(window).contains(QStringLiteral("third")); }));
  EXPECT_TRUE(prev->isEnabled());
  EXPECT_FALSE(next->isEnabled());
  prev->trigger();
  ASSERT_TRUE(test::WaitFor([&] { return PaneText(window).contains(QStringLiteral("second")); }));
  EXPECT_EQ(Status(window), QStringLiteral("Messages: 3   Unread: 0"));
  EXPECT_TRUE(Shown_.isEmpty());
}

TEST_F(TriFormTest, AMessageThatCannotBeReadIsReportedAndStaysUnseen) {
  TTriForm* window = OpenBox();
  auto* item = static_cast<test::TKeyedMesgItem*>(window->Items()->ItemAt(1));
  item->Fail = true;
  window->MesgList()->SetItemIndex(1);
  ASSERT_TRUE(test::WaitFor([&] { return !Shown_.isEmpty(); }));
  EXPECT_EQ(Shown_.front(), QStringLiteral("the message is gone"));
  EXPECT_EQ(item->Flags & mfSeen, 0);
  EXPECT_EQ(Status(window), QStringLiteral("Messages: 3   Unread: 3"));
}

TEST_F(TriFormTest, SavedWindowComesBackWithItsStoreAndMessage) {
  TTriForm* window = OpenBox();
  window->SetShowEditor(false);
  window->SetShowStatusBar(false);
  window->MesgList()->SetMessageSort(msFrom);
  window->MesgList()->SetInvertSort(true);
  window->MesgList()->SetItemIndex(1);
  ASSERT_TRUE(test::WaitFor([&] { return window->MesgList()->SelectedKey() == "k2"; }));
  ASSERT_TRUE(Manager_->SaveWindows());

  const TIniFile file(Dir_ / "options.ini");
  const std::vector<std::string> keys = file.ReadSection("TaskForm\\ 0");
  const std::vector<std::string> expected = {
      "ClassName",       "Left",          "Top",          "ClientWidth",
      "ClientHeight",    "ShowEditor",    "MesgExplKind", "ShowToolbar",
      "ShowTree",        "ShowStatusBar", "MessageSort",  "InvertSort",
      "DateTimeDetails", "MesgName",      "ColumnsCount", "Column0",
      "Column1",         "Column2",       "MBoxFileName"};
  EXPECT_EQ(keys, expected);
  EXPECT_EQ(file.ReadString("TaskForm\\ 0", "MesgExplKind"), "ekUnixBox");

  Manager_->SetTerminating();
  delete window;
  Manager_->RestoreWindows();
  ASSERT_EQ(Manager_->TaskWindows().size(), 1u);
  auto* restored = qobject_cast<TTriForm*>(Manager_->TaskWindows().front());
  ASSERT_NE(restored, nullptr);
  EXPECT_EQ(restored->MesgExplKind(), ekUnixBox);
  EXPECT_EQ(restored->Location(), "/m/box");
  EXPECT_FALSE(restored->ShowEditor());
  EXPECT_FALSE(restored->ShowStatusBar());
  EXPECT_EQ(restored->MesgList()->MessageSort(), msFrom);
  EXPECT_TRUE(restored->MesgList()->InvertSort());
  EXPECT_TRUE(test::WaitFor([&] { return restored->MesgList()->SelectedKey() == "k2"; }));
}

TEST_F(TriFormTest, OpenFileGoesThroughTheDialogToTheStore) {
  TTriForm* window = OpenBox();
  Dialogs_.Answer = QStringLiteral("/m/other");
  window->findChild<QAction*>(QStringLiteral("AOpenFile"))->trigger();
  ASSERT_EQ(LastStore_->Chosen, std::vector<std::string>{"/m/other"});
  EXPECT_TRUE(Dialogs_.Filters.front().contains(QStringLiteral("*.mbox")));
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Quenby Mailer 1: other"));
  EXPECT_TRUE(test::WaitFor([&] { return window->MesgList()->Count() == 2; }));
  // Cancelled: nothing changes.
  Dialogs_.Answer.clear();
  window->AskOpenFile();
  EXPECT_EQ(LastStore_->Chosen.size(), 1u);

  // A relative path is kept absolute: it is saved, and read by a later start.
  const QString before = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(QStringLiteral("/")));
  window->OpenLocation("m/box");
  QDir::setCurrent(before);
  EXPECT_EQ(window->Location(), "/m/box");
}

TEST_F(TriFormTest, ExportWritesTheWholeListOrSaysWhyNot) {
  std::vector<std::pair<std::size_t, std::string>> written;
  bool fail = false;
  Context_.WriteMailbox = [&](const TMesgItems& items, const std::string& path) {
    if (fail) throw std::runtime_error("disk full");
    written.emplace_back(static_cast<std::size_t>(items.Count()), path);
  };
  TTriForm* window = OpenBox();
  auto* item = window->findChild<QAction*>(QStringLiteral("MExportToMBox"));
  window->UpdateActions();
  ASSERT_TRUE(item->isEnabled());

  Dialogs_.Answer = QString::fromStdString(Dir_ / "out");
  item->trigger();
  ASSERT_EQ(written.size(), 1u);
  EXPECT_EQ(written[0], std::make_pair(std::size_t{3}, Dir_ / "out.mbox"));
  EXPECT_EQ(window->MailboxFolder().toStdString() + "/", Dir_.Path());

  // A list still loading is refused, never exported in part.
  LastStore_->LoadingNow = true;
  item->trigger();
  EXPECT_EQ(written.size(), 1u);
  ASSERT_EQ(Shown_.size(), 1);
  EXPECT_TRUE(Shown_[0].contains(QStringLiteral("still being read")));
  LastStore_->LoadingNow = false;

  // A failure is shown with the file it concerns.
  fail = true;
  Dialogs_.Answer = QString::fromStdString(Dir_ / "x.MBX");
  item->trigger();
  ASSERT_EQ(Shown_.size(), 2);
  EXPECT_TRUE(Shown_[1].contains(QString::fromStdString(Dir_ / "x.MBX")))
      << Shown_[1].toStdString();
  EXPECT_TRUE(Shown_[1].contains(QStringLiteral("disk full")));

  // Cancelled: nothing.
  Dialogs_.Answer.clear();
  item->trigger();
  EXPECT_EQ(Shown_.size(), 2);
}

TEST_F(TriFormTest, DigestOpensInAWindowOfItsMessages) {
  TTriForm* window = OpenBox("/m/other");
  window->SetShowEditor(false);
  window->OpenItem(window->Items()->ItemAt(0));  // not a digest: no window
  EXPECT_EQ(Manager_->TaskWindows().size(), 1u);
  window->OpenItem(window->Items()->ItemAt(1));
  ASSERT_EQ(Manager_->TaskWindows().size(), 2u);
  auto* parts = qobject_cast<TTriForm*>(Manager_->TaskWindows().back());
  EXPECT_EQ(parts->MesgExplKind(), ekVirtual);
  EXPECT_FALSE(parts->ShowEditor());
  ASSERT_NE(parts->Items(), nullptr);
  EXPECT_EQ(parts->Items()->Count(), 1);
  EXPECT_EQ(parts->windowTitle(), QStringLiteral("Quenby Mailer 2: Messages in memory"));
}

TEST_F(TriFormTest, NewWindowTakesTheKindAndViews) {
  TTriForm* window = NewExplorer(*Manager_, Context_, ekEmlFiles);
  window->OpenLocation("/m/box");
  window->SetShowEditor(false);
  auto* copy = qobject_cast<TTriForm*>(window->NewWindow());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->MesgExplKind(), ekEmlFiles);
  EXPECT_EQ(copy->Location(), "/m/box");
  EXPECT_TRUE(copy->ShowTree());
  EXPECT_FALSE(copy->ShowEditor());
  EXPECT_EQ(copy->windowTitle(), QStringLiteral("Quenby Mailer 2: /m/box"));
}

TEST_F(TriFormTest, CaretPanelFollowsTheMessageText) {
  TTriForm* window = OpenBox();
  window->activateWindow();
  auto* pane = static_cast<QPlainTextEdit*>(window->MesgPane()->Widget());
  QStringList lines;
  for (int i = 1; i <= 14; ++i)
    lines << QStringLiteral("line %1 ").arg(i).repeated(i == 12 ? 40 : 1);
  pane->setPlainText(lines.join(QLatin1Char('\n')));
  pane->setFocus();
  QTextCursor cursor(pane->document()->findBlockByNumber(11));
  cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 4);
  pane->setTextCursor(cursor);
  window->UpdateCaretPanel();
  // A wrapped paragraph is one line.
  EXPECT_EQ(window->StatusPanel(1)->text(), QStringLiteral("    12:  5"));
  window->MesgList()->setFocus();
  window->UpdateCaretPanel();
  EXPECT_TRUE(window->StatusPanel(1)->text().isEmpty());
}

TEST_F(TriFormTest, ChooserEnablesByAvailableKindsAndCancelKeepsThePreset) {
  TKindChooser chooser(nullptr, ekUnixBox, kKindOutlookExpress);
  EXPECT_EQ(chooser.Button(ekOutlook)->text(), QStringLiteral("Outlook Express folders"));
  EXPECT_FALSE(chooser.Button(ekOfficeOutlook)->isEnabled());
  EXPECT_FALSE(chooser.Button(ekEudora)->isEnabled());
  EXPECT_TRUE(chooser.Button(ekVirtual)->isEnabled());
  EXPECT_EQ(chooser.Kind(), ekUnixBox);

  TTriForm* window = OpenBox();
  SetKindChooserAnswerer([](const TKindChooser& shown) {
    shown.Button(ekEmlFiles)->setChecked(true);
    return shown.Kind();
  });
  window->findChild<QAction*>(QStringLiteral("mMesgSource"))->trigger();
  EXPECT_EQ(window->MesgExplKind(), ekEmlFiles);
  SetKindChooserAnswerer({});
}

TEST_F(TriFormTest, LaterMenusArePresentAndDisabled) {
  TTriForm* window = OpenBox();
  for (const char* name : {"ANewMessage", "AEditCopy", "mColumns", "mMesgSort", "mViews",
                           "AStartSpeak", "mMainOptions", "mFilter"}) {
    auto* action = window->findChild<QAction*>(QString::fromLatin1(name));
    ASSERT_NE(action, nullptr) << name;
    EXPECT_FALSE(action->isEnabled()) << name;
  }
  for (const char* name : {"mFileNewExpl", "AOpenFile", "mMesgSource", "mSaveWindowsAndExit",
                           "mExit", "mFont", "mAbout"})
    EXPECT_TRUE(window->findChild<QAction*>(QString::fromLatin1(name))->isEnabled()) << name;
}

TEST_F(TriFormTest, PictureWaitsForTheFirstMessage) {
  TTriForm* window = OpenBox();
  window->resize(640, 480);
  const std::string file = Dir_ / "shot.png";
  ASSERT_EQ(SaveWindowPicture(*window, file), "");
  EXPECT_TRUE(PaneText(window).contains(QStringLiteral("first")));
  QImage image(QString::fromStdString(file));
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.size(), window->size() * window->devicePixelRatio());
  const QRgb corner = image.pixel(0, 0);
  bool varied = false;
  for (int y = 0; y < image.height() && !varied; y += 7)
    for (int x = 0; x < image.width() && !varied; x += 7) varied = image.pixel(x, y) != corner;
  EXPECT_TRUE(varied);

  window->SetMesgExplKind(ekOfficeOutlook);
  EXPECT_EQ(SaveWindowPicture(*window, file), "this build has no store for the given path");
}

}  // namespace
}  // namespace quenby
