// The explorer window over the bundled sample stores, through the stores
// this build registers.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QImage>
#include <QPlainTextEdit>
#include <filesystem>
#include <fstream>

#include "ExplorerTest.h"
#include "QtWait.h"
#include "TempDir.h"
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
#include "stores/qt/DirTree.h"
#include "text/MimeMessage.h"

namespace quenby {
namespace {

class TNoDialogs : public IStoreDialogs {
 public:
  QString OpenFile(QWidget*, const QString&, const QString&, const QString&) override {
    ++Asked;
    return {};
  }
  QString SaveFile(QWidget*, const QString&, const QString&, const QString&) override {
    return Save;
  }
  QString Save;
  int Asked = 0;
};

class TriFormStoresTest : public test::TExplorerTest {
 protected:
  void SetUp() override {
    TExplorerTest::SetUp();
    Context_ = BuiltInExplorerContext(nullptr, &Dialogs_);
    StartManager();
  }

  TTriForm* Open(const std::string& path) {
    TTriForm* window = NewExplorer(*Manager_, Context_, ExplKindOfPath(path));
    window->OpenLocation(path);
    EXPECT_TRUE(
        test::WaitFor([&] { return window->MesgList()->Count() > 0 && !window->Loading(); }, 20000))
        << path;
    return window;
  }
  // The subject the pane shows for row, decoded as the pane decodes it.
  static QString SubjectOfRow(TTriForm* window, int row) {
    TMimeMessage message;
    window->Items()->ItemAt(row)->LoadMessage(message, true);
    const std::u16string subject = message.DecodeText(message.RawSubject());
    return QString::fromUtf16(subject.data(), static_cast<qsizetype>(subject.size()));
  }
  void ShowsFirstAndLast(TTriForm* window) {
    const int last = window->MesgList()->Count() - 1;
    for (int row : {0, last}) {
      window->MesgList()->SetItemIndex(row);
      const QString subject = SubjectOfRow(window, row);
      EXPECT_TRUE(test::WaitFor([&] {
        return PaneText(window).contains(QStringLiteral("Subject: ") + subject + u'\n');
      })) << row
          << " " << subject.toStdString() << "\n"
          << PaneText(window).toStdString();
    }
  }

  TNoDialogs Dialogs_;
};

TEST_F(TriFormStoresTest, OutlookExpressStoreOpensItsInboxWithTheTree) {
  TTriForm* window = Open(QUENBY_SOURCE_DIR "/samples/oe");
  QAbstractItemModelTester tester(window->MesgList()->model(),
                                  QAbstractItemModelTester::FailureReportingMode::Fatal);
  EXPECT_EQ(window->MesgExplKind(), ekOutlook);
  ASSERT_NE(window->TreePane(), nullptr);
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Quenby Mailer 1: Inbox"));
  ShowsFirstAndLast(window);
  EXPECT_EQ(Dialogs_.Asked, 0);
  EXPECT_TRUE(Shown_.isEmpty()) << Shown_.join(u'\n').toStdString();
}

TEST_F(TriFormStoresTest, OneFolderFileIsShownWithoutTree) {
  TTriForm* window = Open(QUENBY_SOURCE_DIR "/samples/oe/Inbox.dbx");
  EXPECT_EQ(window->TreePane(), nullptr);
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Quenby Mailer 1: Inbox.dbx"));
  ShowsFirstAndLast(window);
}

TEST_F(TriFormStoresTest, OutlookExpressWindowComesBackWithItsFolderAndMessage) {
  TTriForm* window = Open(QUENBY_SOURCE_DIR "/samples/oe");
  const int last = window->MesgList()->Count() - 1;
  window->MesgList()->SetItemIndex(last);
  ASSERT_TRUE(test::WaitFor([&] { return !window->MesgList()->MesgName().empty(); }));
  const std::string key = window->MesgList()->MesgName();
  ASSERT_TRUE(Manager_->SaveWindows());
  EXPECT_EQ(TIniFile(Dir_ / "options.ini").ReadString("TaskForm\\ 0", "FolderId"), "4");
  Manager_->SetTerminating();
  delete window;

  Manager_->RestoreWindows();
  ASSERT_EQ(Manager_->TaskWindows().size(), 1u);
  auto* restored = qobject_cast<TTriForm*>(Manager_->TaskWindows().front());
  ASSERT_NE(restored, nullptr);
  EXPECT_TRUE(test::WaitFor([&] { return restored->MesgList()->MesgName() == key; }, 20000));
  EXPECT_EQ(restored->windowTitle(), QStringLiteral("Quenby Mailer 1: Inbox"));
  EXPECT_EQ(Dialogs_.Asked, 0);
}

TEST_F(TriFormStoresTest, MessageFilesFolderFollowsTheTree) {
  const std::string samples = QUENBY_SOURCE_DIR "/samples/eml";
  TTriForm* window = Open(samples);
  EXPECT_EQ(window->MesgExplKind(), ekEmlFiles);
  EXPECT_EQ(window->Items()->Count(), 5);
  ASSERT_NE(window->TreePane(), nullptr);
  EXPECT_EQ(window->windowTitle(),
            QStringLiteral("Quenby Mailer 1: ") + QString::fromStdString(samples));
  ShowsFirstAndLast(window);
  auto* tree = static_cast<TDirTree*>(window->TreePane());
  EXPECT_TRUE(test::WaitFor([&] { return tree->SelectedPath() == samples + "/"; }))
      << tree->SelectedPath();

  // Another folder chosen in the tree loads in the list.
  std::filesystem::copy_file(samples + "/basic-plain.eml", Dir_ / "a.eml");
  std::filesystem::copy_file(samples + "/qp-body.eml", Dir_ / "B.EML");
  std::ofstream(Dir_ / "c.txt") << "not a message";
  tree->SelectPath(Dir_.Path());
  EXPECT_TRUE(test::WaitFor([&] { return window->MesgList()->Count() == 2; }));
  EXPECT_EQ(window->Location() + "/", Dir_.Path());
  EXPECT_EQ(window->windowTitle(),
            QStringLiteral("Quenby Mailer 1: ") + QString::fromStdString(window->Location()));

  // A window of the same kind takes the folder.
  auto* copy = qobject_cast<TTriForm*>(window->NewWindow());
  EXPECT_EQ(copy->Location(), window->Location());
  EXPECT_TRUE(test::WaitFor([&] { return copy->MesgList()->Count() == 2; }));
}

TEST_F(TriFormStoresTest, MailboxExportsAndReadsBackTheSameMessages) {
  TTriForm* window = Open(QUENBY_SOURCE_DIR "/samples/mbox/rlug.mbox");
  EXPECT_EQ(window->MesgExplKind(), ekUnixBox);
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Quenby Mailer 1: rlug.mbox"));
  ASSERT_EQ(window->Items()->Count(), 5);
  ShowsFirstAndLast(window);

  Dialogs_.Save = QString::fromStdString(Dir_ / "copy");
  window->ExportToMailbox();
  EXPECT_TRUE(Shown_.isEmpty()) << Shown_.join(u'\n').toStdString();
  TTriForm* copy = Open(Dir_ / "copy.mbox");
  ASSERT_EQ(copy->Items()->Count(), window->Items()->Count());
  for (int row = 0; row < copy->Items()->Count(); ++row)
    EXPECT_EQ(SubjectOfRow(copy, row), SubjectOfRow(window, row)) << row;

  // A failure names the file and leaves nothing claimed as written.
  Dialogs_.Save = QString::fromStdString(Dir_ / "missing/x.mbx");
  window->ExportToMailbox();
  ASSERT_EQ(Shown_.size(), 1);
  EXPECT_TRUE(Shown_[0].contains(QString::fromStdString(Dir_ / "missing/x.mbx")))
      << Shown_[0].toStdString();
}

TEST_F(TriFormStoresTest, DigestOpensInAVirtualWindowOfItsMessages) {
  TTriForm* window = Open(QUENBY_SOURCE_DIR "/samples/digest");
  ASSERT_EQ(window->Items()->Count(), 1);
  window->OpenItem(window->Items()->ItemAt(0));
  ASSERT_EQ(Manager_->TaskWindows().size(), 2u);
  auto* parts = qobject_cast<TTriForm*>(Manager_->TaskWindows().back());
  ASSERT_NE(parts, nullptr);
  EXPECT_EQ(parts->MesgExplKind(), ekVirtual);
  ASSERT_TRUE(test::WaitFor([&] { return parts->MesgList()->Count() > 1; }));
  EXPECT_EQ(parts->windowTitle(), QStringLiteral("Quenby Mailer 2: Messages in memory"));
  ShowsFirstAndLast(parts);
}

TEST_F(TriFormStoresTest, PictureOfTheStoreIsWrittenAndNotBlank) {
  TTriForm* window = Open(QUENBY_SOURCE_DIR "/samples/oe");
  window->resize(900, 600);
  const std::string file = Dir_ / "shot.png";
  ASSERT_EQ(SaveWindowPicture(*window, file), "");
  QImage image(QString::fromStdString(file));
  ASSERT_FALSE(image.isNull());
  EXPECT_FALSE(PaneText(window).isEmpty());
  const QRgb corner = image.pixel(0, 0);
  int differing = 0;
  for (int y = 0; y < image.height(); y += 5)
    for (int x = 0; x < image.width(); x += 5) differing += image.pixel(x, y) != corner;
  EXPECT_GT(differing, 100);
}

}  // namespace
}  // namespace quenby
