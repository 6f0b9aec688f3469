#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "TempDir.h"
#include "TestNames.h"
#include "controls/FileError.h"
#include "controls/GlobDataModule.h"
#include "controls/MenuTranslation.h"
#include "controls/MessageForm.h"
#include "controls/MessageLayout.h"
#include "controls/ShellOpen.h"
#include "platform/Errors.h"
#include "platform/Shell.h"
#include "settings/GlobStrings.h"
#include "settings/OptionsDialogs.h"

namespace quenby {
namespace {

using test::ByName;

struct TLayoutCase {
  std::string Name;
  TMessageLayoutInput In;
  int Width, Height;
};

class MessageLayoutTest : public ::testing::TestWithParam<TLayoutCase> {};

TEST_P(MessageLayoutTest, PullsTowardsTheGoldenProportionByAtMostAThird) {
  const TMessageLayout l = LayOutMessage(GetParam().In);
  EXPECT_EQ(l.ClientWidth, GetParam().Width);
  EXPECT_EQ(l.ClientHeight, GetParam().Height);
  EXPECT_EQ(l.ButtonsLeft, (l.ClientWidth - l.ButtonRowWidth) / 2);
}

// Character size 8 x 16: margins 16, spacings 20, buttons 100 x 28.
constexpr TCharSize kChar{8, 16};
INSTANTIATE_TEST_SUITE_P(
    MessageBox, MessageLayoutTest,
    ::testing::ValuesIn(std::vector<TLayoutCase>{
        {"FarTooWideStays", {kChar, 600, 16, true, 1, 20, 40}, 684, 112},
        {"WideGainsHeight", {kChar, 200, 64, true, 1, 20, 40}, 284, 175},
        {"FarTooTallStays", {kChar, 100, 300, false, 1, 20, 40}, 132, 380},
        {"TallGainsWidth", {kChar, 200, 100, false, 1, 20, 40}, 291, 180},
        {"TwiceTheCaption", {kChar, 50, 16, true, 1, 20, 400}, 800, 112},
        {"ThreeButtonsSetTheWidth", {kChar, 20, 16, true, 3, 20, 10}, 348, 112},
    }),
    ByName());

class MessageBox : public ::testing::Test {
 protected:
  void SetUp() override { LoadLanguage(QUENBY_SOURCE_DIR "/lang/english.ini"); }
  void TearDown() override {
    SetMessageBoxAnswerer({});
    SetShell(nullptr);
    SetGlobStrings(nullptr);
  }
  // Answers every box with its cancel choice and records its text.
  void Record() {
    SetMessageBoxAnswerer([this](const TTntMessageForm& form) {
      Shown.push_back(form.MessageLabel()->text());
      return form.CancelResult();
    });
  }
  QStringList Shown;
};

TEST_F(MessageBox, ShortMessageIsAtLeastTwiceItsCaptionAndPlainText) {
  const TTntMessageForm form(QStringLiteral("<b>Re: a & b</b>"), TMsgDlgType::Confirmation,
                             {TMsgDlgBtn::Ok});
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Confirm"));
  EXPECT_GE(form.width(), 2 * QFontMetrics(form.font()).horizontalAdvance(form.windowTitle()));
  EXPECT_EQ(form.MessageLabel()->textFormat(), Qt::PlainText);
  EXPECT_NE(form.findChild<QLabel*>(QStringLiteral("Image")), nullptr);
  const QRect label = form.MessageLabel()->geometry();
  EXPECT_TRUE(form.rect().contains(label));
  EXPECT_GE(label.left(), kIconSize);
}

TEST_F(MessageBox, LongMessageWrapsAtTheScreenShare) {
  const QString message = QStringLiteral("word ").repeated(400);
  const TTntMessageForm form(message, TMsgDlgType::Error, {TMsgDlgBtn::Ok});
  const int screen = QApplication::primaryScreen()->geometry().width();
  const QRect label = form.MessageLabel()->geometry();
  EXPECT_LE(label.width(), screen * 100 / 162 + 1);
  EXPECT_GT(label.height(), 3 * QFontMetrics(form.font()).height());
  EXPECT_GE(label.height(), form.MessageLabel()->heightForWidth(label.width()));
}

TEST_F(MessageBox, CustomBoxHasTheApplicationTitleAndNoIcon) {
  QApplication::setApplicationDisplayName(QStringLiteral("Quenby Mailer"));
  const TTntMessageForm form(QStringLiteral("x"), TMsgDlgType::Custom, {TMsgDlgBtn::Ok});
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Quenby Mailer"));
  EXPECT_EQ(form.findChild<QLabel*>(QStringLiteral("Image")), nullptr);
  EXPECT_FALSE(form.HasIcon());
}

struct TAnswerCase {
  std::string Name;
  std::vector<TMsgDlgBtn> Buttons;
  int Key;  // Qt key, or 0 for the close button
  int Expected;
};

class MessageAnswerTest : public MessageBox, public ::testing::WithParamInterface<TAnswerCase> {};

TEST_P(MessageAnswerTest, KeysAndCloseAnswer) {
  TTntMessageForm form(QStringLiteral("?"), TMsgDlgType::Confirmation, GetParam().Buttons);
  form.show();
  if (GetParam().Key == 0)
    form.close();
  else
    QTest::keyClick(&form, static_cast<Qt::Key>(GetParam().Key));
  EXPECT_EQ(form.result(), GetParam().Expected);
}

using enum TMsgDlgBtn;
INSTANTIATE_TEST_SUITE_P(
    MessageBox, MessageAnswerTest,
    ::testing::ValuesIn(std::vector<TAnswerCase>{
        {"YesNoCancelEnter", {Yes, No, Cancel}, Qt::Key_Return, mrYes},
        {"YesNoCancelEscape", {Yes, No, Cancel}, Qt::Key_Escape, mrCancel},
        {"YesNoCancelClose", {Yes, No, Cancel}, 0, mrCancel},
        {"YesNoClose", {Yes, No}, 0, mrNo},
        {"OkClose", {Ok}, 0, mrOk},
        {"OkCancelEnter", {Ok, Cancel}, Qt::Key_Return, mrOk},
        {"RetryIgnoreCancelEnter", {Retry, Ignore, Cancel}, Qt::Key_Return, mrRetry},
    }),
    ByName());

TEST_F(MessageBox, ButtonsCarryTheirResultsAndTexts) {
  TTntMessageForm form(QStringLiteral("?"), TMsgDlgType::Error, {Retry, Ignore, Cancel});
  ASSERT_NE(form.Button(Ignore), nullptr);
  EXPECT_EQ(form.Button(Ignore)->text(), QStringLiteral("&Ignore"));
  EXPECT_EQ(form.Button(Ok), nullptr);
  form.Button(Ignore)->click();
  EXPECT_EQ(form.result(), mrIgnore);
}

TEST_F(MessageBox, CtrlCCopiesTheWholeBox) {
  TTntMessageForm form(QStringLiteral("Disk full"), TMsgDlgType::Error, {Ok});
  form.show();
  QTest::keyClick(&form, Qt::Key_C, Qt::ControlModifier);
  const QString dashes = QStringLiteral("---------------------------\r\n");
  EXPECT_EQ(QApplication::clipboard()->text(), dashes + QStringLiteral("Error\r\n") + dashes +
                                                   QStringLiteral("Disk full\r\n") + dashes +
                                                   QStringLiteral("OK   \r\n") + dashes);
}

TEST_F(MessageBox, EntryPointsGoThroughTheAnswerer) {
  Record();
  EXPECT_EQ(AskYesNoCancel(QStringLiteral("Save?")), mrCancel);
  EXPECT_EQ(AskRetryIgnoreCancel(QStringLiteral("Again?")), mrCancel);
  ShowErrorDetail(1, QStringLiteral("/nfs/new/Inbox.dbx"));
  EXPECT_EQ(Shown.back(), QStringLiteral("The file cannot be opened\r\n/nfs/new/Inbox.dbx"));
}

TEST_F(MessageBox, EveryFileFailureReachesTheUser) {
  Record();
  const auto fail = [](auto failure) { return [failure] { throw failure; }; };
  EXPECT_FALSE(
      GuardedFileCall("/a/b.ini", fail(EStreamError(TStreamErrorKind::Write, "/a/b.ini"))));
  EXPECT_FALSE(GuardedFileCall("/a/b.ini", fail(std::runtime_error("out of words"))));
  EXPECT_FALSE(GuardedFileCall("/a/b.ini", fail(ECancelled())));
  EXPECT_TRUE(GuardedFileCall("/a/b.ini", [] {}));
  EXPECT_EQ(Shown, (QStringList{QStringLiteral("The file cannot be written\r\n/a/b.ini"),
                                QStringLiteral("out of words\r\n/a/b.ini")}));
  EXPECT_EQ(ExceptionKind(std::make_exception_ptr(EStreamError(TStreamErrorKind::IniFile, "x"))),
            5);
  EXPECT_EQ(ExceptionKind(std::make_exception_ptr(std::bad_alloc())), -1);
}

TEST_F(MessageBox, MenuEntriesRenameTheFirstItemDepthFirst) {
  test::TTempDir dir;
  test::WriteAll(dir / "l.ini", "[Menu]\nmFile=&Datei\nmFileNewMesg=&Neue Nachricht\nmMissing=x\n");
  LoadLanguage(dir / "l.ini");
  QMenuBar bar;
  QMenu* file = bar.addMenu(QStringLiteral("File"));
  file->setObjectName(QStringLiteral("mFile"));
  QAction* newItem = file->addAction(QStringLiteral("New"));
  newItem->setObjectName(QStringLiteral("mFileNew"));
  QAction* message = file->addAction(QStringLiteral("Message"));
  message->setProperty("itemName", QStringLiteral("mFileNewMesg"));
  TranslateMenu(&bar);
  EXPECT_EQ(file->menuAction()->text(), QStringLiteral("&Datei"));
  EXPECT_EQ(newItem->text(), QStringLiteral("New"));
  EXPECT_EQ(message->text(), QStringLiteral("&Neue Nachricht"));
}

class TFakeShell : public IShell {
 public:
  int Code = kShellOk;
  std::vector<std::string> Calls;
  bool Trash(const std::string&) override { return false; }
  int OpenDefault(const std::string& path) override {
    Calls.push_back("open " + path);
    return Code;
  }
  std::vector<TProgramChoice> ProgramsFor(const std::string&) override { return {}; }
  int OpenWithProgram(const std::string&, const std::string&) override { return kShellFailure; }
};

TEST_F(MessageBox, ShellFailuresAreShownWithTheirText) {
  Record();
  TFakeShell shell;
  SetShell(&shell);
  EXPECT_EQ(ShellOpen("/m/a.eml"), kShellOk);
  EXPECT_TRUE(Shown.isEmpty());
  shell.Code = kShellNotFound;
  EXPECT_EQ(ShellOpen("/m/a.eml"), kShellNotFound);
  shell.Code = kShellNoAssociation;
  EXPECT_EQ(ShellOpen("/m/a.eml"), kShellNoAssociation)
      << "on to open-with, which finds no program";
  EXPECT_EQ(Shown,
            (QStringList{
                QStringLiteral("The file was not found.\r\n/m/a.eml"),
                QStringLiteral("No program is associated with this type of file.\r\n/m/a.eml")}));
}

class TTargetEdit : public QLineEdit, public IActionTarget {
 public:
  int Executed = 0;
  bool ExecuteAction(QAction*) override { return ++Executed > 0; }
  bool UpdateAction(QAction* action) override {
    action->setEnabled(true);
    return true;
  }
};

TEST_F(MessageBox, SharedActionsGoToTheFocusedControl) {
  QWidget window;
  auto* edit = new TTargetEdit;
  edit->setParent(&window);
  auto* plain = new QLineEdit(&window);
  window.show();
  QApplication::setActiveWindow(&window);
  TGlobDataModule module;
  QAction copy(QStringLiteral("Copy"));
  module.AddRoutedAction(&copy);
  edit->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == edit; }));
  copy.trigger();
  EXPECT_EQ(edit->Executed, 1);
  EXPECT_TRUE(copy.isEnabled());
  plain->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == plain; }));
  EXPECT_FALSE(copy.isEnabled()) << "no control takes it";
  EXPECT_FALSE(module.Execute(&copy));
}

}  // namespace
}  // namespace quenby
