// The task window manager: saving and restoring the window set, the
// closing rules, the Window menu, and the save on SIGTERM.
#include <gtest/gtest.h>
#include <signal.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "QtWait.h"
#include "app/ManagerForm.h"
#include "app/SessionSignals.h"
#include "app/TaskForm.h"
#include "controls/MessageForm.h"
#include "settings/IniFile.h"
#include "settings/IniFiler.h"

namespace quenby {
namespace {

// A small task window: a caption, a saved note, a note that makes its
// restore fail, its bars and a control to focus.
class TTestForm : public TTaskForm {
 public:
  explicit TTestForm(TManagerForm& manager, QString caption = {})
      : TTaskForm(manager), Caption(caption) {
    auto* menu = menuBar()->addMenu(QStringLiteral("Window"));
    menu->setObjectName(QStringLiteral("WindowMenu"));
    addToolBar(QStringLiteral("Tools"))->setObjectName(QStringLiteral("ToolBar"));
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    Edit = new QLineEdit(this);
    setCentralWidget(Edit);
    ConnectMenus();
  }
  std::string ClassName() const override { return "TTestForm"; }
  QString GetTaskCaption() const override { return Caption; }
  bool IsSaved() const override { return Saved; }
  bool CanClose() override { return MayClose; }
  void DefineIniProperties(TIniFiler& filer, bool reading) override {
    if (!reading) {
      filer.WriteValue("Caption", Caption.toStdString());
      return;
    }
    Caption = QString::fromStdString(filer.ReadValue("Caption"));
    if (filer.ReadValue("Broken") == "1") throw std::runtime_error("the window's file is gone");
  }

  void ActiveControlChanged(QWidget* control) override { Focused = control; }
  void UpdateStatus() override { ++StatusUpdates; }

  QString Caption;
  bool Saved = true;
  bool MayClose = true;
  QLineEdit* Edit;
  QWidget* Focused = nullptr;
  int StatusUpdates = 0;
};

// Closed windows are deleted later; outside exec() that needs a push.
bool WindowsLeft(const TManagerForm& manager, std::size_t count) {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return manager.TaskWindows().size() == count;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteAll(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

class ManagerFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Dir_.isValid());
    File_ = Dir_.filePath(QStringLiteral("options.ini")).toStdString();
    SetMessageBoxAnswerer([this](const TTntMessageForm& box) {
      Boxes_.push_back(box.MessageLabel()->text());
      return box.DefaultResult();
    });
  }
  void TearDown() override { SetMessageBoxAnswerer({}); }

  std::unique_ptr<TManagerForm> NewManager() {
    auto manager = std::make_unique<TManagerForm>(File_, nullptr);
    manager->RegisterWindowClass("TTestForm", [](TManagerForm& m) { return new TTestForm(m); });
    return manager;
  }

  static std::vector<QString> Titles(const TManagerForm& manager) {
    std::vector<QString> titles;
    for (TTaskForm* window : manager.TaskWindows()) titles.push_back(window->windowTitle());
    return titles;
  }

  QTemporaryDir Dir_;
  std::string File_;
  std::vector<QString> Boxes_;
};

TEST_F(ManagerFormTest, SavedWindowsComeBackWithTheirNumbersAndGeometry) {
  {
    auto manager = NewManager();
    const QRect places[] = {
        {40, 50, 300, 200}, {0, 0, 100, 100}, {120, 90, 410, 250}, {200, 150, 350, 280}};
    const char* captions[] = {"Inbox", "unsaved", "A&B", "Sent"};
    for (int i = 0; i < 4; ++i) {
      auto* window = new TTestForm(*manager, QString::fromUtf8(captions[i]));
      window->Saved = i != 1;
      window->show();
      window->move(places[i].topLeft());
      window->resize(places[i].size());
    }
    ASSERT_TRUE(manager->SaveWindows());
  }
  const std::string text = ReadAll(File_);
  // Numbers count saved windows only; below 10 a blank follows the
  // backslash; FormsCount comes last in the manager's section.
  EXPECT_NE(text.find("[TaskForm\\ 0]"), std::string::npos) << text;
  EXPECT_NE(text.find("[TaskForm\\ 2]"), std::string::npos) << text;
  EXPECT_EQ(text.find("[TaskForm\\ 3]"), std::string::npos) << text;
  TIniFile file(File_);
  EXPECT_EQ(file.ReadSection("TaskForm\\ManagerForm").back(), "FormsCount");
  EXPECT_EQ(file.ReadInteger("TaskForm\\ManagerForm", "FormsCount", -1), 3);
  EXPECT_EQ(file.ReadSection("TaskForm\\ 1").front(), "ClassName");

  auto manager = NewManager();
  manager->RestoreWindows();
  ASSERT_EQ(manager->TaskWindows().size(), 3u);
  EXPECT_EQ(Titles(*manager), (std::vector<QString>{QStringLiteral("Quenby Mailer 1: Inbox"),
                                                    QStringLiteral("Quenby Mailer 2: A&B"),
                                                    QStringLiteral("Quenby Mailer 3: Sent")}));
  EXPECT_EQ(manager->TaskWindows()[1]->pos(), QPoint(120, 90));
  EXPECT_EQ(manager->TaskWindows()[1]->size(), QSize(410, 250));
  EXPECT_TRUE(Boxes_.empty());

  // Every Window menu lists every window; "&" is not a mnemonic there.
  auto* menu = manager->TaskWindows()[2]->findChild<QMenu*>(QStringLiteral("WindowMenu"));
  ASSERT_EQ(menu->actions().size(), 3);
  EXPECT_EQ(menu->actions()[1]->text(), QStringLiteral("2. A&&B"));
  delete manager->TaskWindows()[0];
  EXPECT_EQ(menu->actions().size(), 2);
  EXPECT_EQ(manager->TaskWindows()[1]->windowTitle(), QStringLiteral("Quenby Mailer 2: Sent"));
}

TEST_F(ManagerFormTest, SavedFontReachesEveryWindowAndAFirstRunKeepsTheDesktopSize) {
  const int desktopSize = qRound(QApplication::font().pointSizeF());
  {
    auto manager = NewManager();
    manager->RestoreWindows();  // no file yet
    EXPECT_EQ(manager->FontSize(), desktopSize);
  }
  WriteAll(File_,
           "[TaskForm\\ManagerForm]\nFontName=DejaVu Serif\nFontSize=17\nFormsCount=2\n"
           "[TaskForm\\ 0]\nClassName=TTestForm\n[TaskForm\\ 1]\nClassName=TTestForm\n");
  auto manager = NewManager();
  manager->RestoreWindows();
  ASSERT_EQ(manager->TaskWindows().size(), 2u);
  for (TTaskForm* window : manager->TaskWindows()) {
    EXPECT_EQ(window->font().family(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(window->font().pointSize(), 17);
  }
  manager->SetFontSize(0);  // ignored
  EXPECT_EQ(manager->FontSize(), 17);
}

struct TDamageCase {
  const char* Name;
  const char* Text;
  std::size_t Windows;
  std::size_t Boxes;
};

TEST_F(ManagerFormTest, DamagedFilesRestoreWhatTheyCan) {
  const TDamageCase cases[] = {
      {"unknown class skipped silently",
       "[TaskForm\\ManagerForm]\nFormsCount=2\n[TaskForm\\ 0]\nClassName=TGoneForm\n"
       "[TaskForm\\ 1]\nClassName=TTestForm\n",
       1, 0},
      {"one broken window reported, the others stay",
       "[TaskForm\\ManagerForm]\nFormsCount=3\n[TaskForm\\ 0]\nClassName=TTestForm\n"
       "[TaskForm\\ 1]\nClassName=TTestForm\nBroken=1\n[TaskForm\\ 2]\nClassName=TTestForm\n",
       2, 1},
      {"huge count ends at what is there",
       "[TaskForm\\ManagerForm]\nFormsCount=99999999999\n[TaskForm\\ 0]\nClassName=TTestForm\n", 1,
       0},
      {"negative count", "[TaskForm\\ManagerForm]\nFormsCount=-5\n", 0, 0},
      {"non-numeric geometry keeps the defaults",
       "[TaskForm\\ManagerForm]\r\nFormsCount=x\r\nFontName=MS Sans Serif\r\n", 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    WriteAll(File_, c.Text);
    Boxes_.clear();
    auto manager = NewManager();
    manager->RestoreWindows();
    EXPECT_EQ(manager->TaskWindows().size(), c.Windows);
    EXPECT_EQ(Boxes_.size(), c.Boxes);
  }
}

TEST_F(ManagerFormTest, BrokenWindowIsKeptOutOfTheNextSaveOnlyAsItself) {
  WriteAll(
      File_,
      "[TaskForm\\ManagerForm]\nFormsCount=3\n[TaskForm\\ 0]\nClassName=TTestForm\nCaption=one\n"
      "[TaskForm\\ 1]\nClassName=TTestForm\nBroken=1\n[TaskForm\\ "
      "2]\nClassName=TTestForm\nCaption=three\n");
  auto manager = NewManager();
  manager->RestoreWindows();
  ASSERT_TRUE(manager->SaveWindows());
  TIniFile file(File_);
  EXPECT_EQ(file.ReadInteger("TaskForm\\ManagerForm", "FormsCount", -1), 2);
  EXPECT_EQ(file.ReadString("TaskForm\\ 1", "Caption"), "three");
}

TEST_F(ManagerFormTest, FailedWriteLeavesTheOldFileWhole) {
  const std::string old =
      "[TaskForm\\ManagerForm]\nFormsCount=1\n[TaskForm\\ 0]\nClassName=TTestForm\n";
  WriteAll(File_, old);
  auto manager = NewManager();
  new TTestForm(*manager, QStringLiteral("a"));
  new TTestForm(*manager, QStringLiteral("b"));
  manager->SetWriteFunction([](int fd, const char* data, std::int64_t size) -> std::int64_t {
    if (size > 10) return ::write(fd, data, 10);  // some bytes, then the disk is full
    errno = ENOSPC;
    return -1;
  });
  EXPECT_FALSE(manager->SaveWindows());
  EXPECT_EQ(ReadAll(File_), old);
  EXPECT_EQ(Boxes_.size(), 1u);

  manager->SetWriteFunction({});
  ASSERT_TRUE(manager->SaveWindows());
  EXPECT_EQ(ReadAll(Dir_.filePath(QStringLiteral("options.~ini")).toStdString()), old);
}

TEST_F(ManagerFormTest, OnlyTheLastWindowToCloseSaves) {
  auto manager = NewManager();
  bool ended = false;
  QObject::connect(manager.get(), &TManagerForm::LastWindowClosed, [&] { ended = true; });
  QPointer<TTestForm> windows[3];
  for (int i = 0; i < 3; ++i) windows[i] = new TTestForm(*manager, QString::number(i));
  windows[0]->close();
  windows[1]->close();
  ASSERT_TRUE(test::WaitFor([&] { return WindowsLeft(*manager, 1); }));
  EXPECT_FALSE(QFile::exists(QString::fromStdString(File_)));
  windows[2]->close();
  ASSERT_TRUE(test::WaitFor([&] { return WindowsLeft(*manager, 0) && ended; }));
  TIniFile file(File_);
  EXPECT_EQ(file.ReadInteger("TaskForm\\ManagerForm", "FormsCount", -1), 1);
  EXPECT_EQ(file.ReadString("TaskForm\\ 0", "Caption"), "2");
}

TEST_F(ManagerFormTest, SaveAndExitStopsAtAWindowThatRefuses) {
  auto manager = NewManager();
  auto* keeps = new TTestForm(*manager, QStringLiteral("draft"));
  keeps->MayClose = false;
  new TTestForm(*manager, QStringLiteral("b"));
  new TTestForm(*manager, QStringLiteral("c"));
  manager->SaveWindowsAndExit();
  ASSERT_TRUE(test::WaitFor([&] { return WindowsLeft(*manager, 1); }));
  EXPECT_FALSE(manager->ClosingAll());
  EXPECT_EQ(TIniFile(File_).ReadInteger("TaskForm\\ManagerForm", "FormsCount", -1), 3);
}

TEST_F(ManagerFormTest, TerminationSignalSavesTheWindows) {
  auto manager = NewManager();
  new TTestForm(*manager, QStringLiteral("a"));
  new TTestForm(*manager, QStringLiteral("b"));
  int delivered = 0;
  TSessionSignals signalsSeen([&] {
    ++delivered;
    manager->SessionEnd();
  });
  ASSERT_EQ(::kill(::getpid(), SIGTERM), 0);
  ASSERT_TRUE(test::WaitFor([&] { return delivered == 1; }));
  EXPECT_EQ(TIniFile(File_).ReadInteger("TaskForm\\ManagerForm", "FormsCount", -1), 2);
  // A logout cancelled after the save leaves the ordinary rules: the last
  // window to close saves again.
  EXPECT_FALSE(manager->ClosingAll());
}

TEST(StatusBarHeightTest, FollowsTheFontSize) {
  const std::pair<int, int> cases[] = {{8, 21}, {9, 24}, {10, 26}, {12, 32}, {16, 42}};
  for (const auto& [size, height] : cases) EXPECT_EQ(StatusBarHeight(size), height) << size;
}

TEST_F(ManagerFormTest, BarsFollowTheirFlagsAndTheFont) {
  auto manager = NewManager();
  auto* window = new TTestForm(*manager);
  window->show();
  auto* toolBar = window->findChild<QToolBar*>(QStringLiteral("ToolBar"));
  EXPECT_FALSE(toolBar->isVisible());
  EXPECT_TRUE(window->statusBar()->isVisible());
  window->SetShowToolbar(true);
  window->SetShowStatusBar(false);
  EXPECT_TRUE(toolBar->isVisible());
  EXPECT_FALSE(window->statusBar()->isVisible());
  // The status texts are refreshed once the change has been handled.
  EXPECT_EQ(window->StatusUpdates, 0);
  ASSERT_TRUE(test::WaitFor([&] { return window->StatusUpdates == 1; }));

  manager->SetFontSize(16);
  EXPECT_EQ(window->statusBar()->height(), 42);
  delete window;
}

TEST_F(ManagerFormTest, WindowMenuAndFocusReachTheRightWindow) {
  auto manager = NewManager();
  auto* first = new TTestForm(*manager, QStringLiteral("a"));
  auto* second = new TTestForm(*manager, QStringLiteral("b"));
  first->show();
  second->show();
  first->activateWindow();
  ASSERT_TRUE(test::WaitFor([&] { return QApplication::activeWindow() == first; }));

  // Choosing the second entry of the first window's Window menu.
  first->findChild<QMenu*>(QStringLiteral("WindowMenu"))->actions().at(1)->trigger();
  ASSERT_TRUE(test::WaitFor([&] { return QApplication::activeWindow() == second; }));
  EXPECT_EQ(manager->LastActiveWindow(), second);

  first->Focused = nullptr;
  second->Focused = nullptr;
  second->Edit->clearFocus();
  second->Edit->setFocus();
  ASSERT_TRUE(test::WaitFor([&] { return second->Focused == second->Edit; }));
  EXPECT_EQ(first->Focused, nullptr);
  delete first;
  delete second;
}

}  // namespace
}  // namespace quenby
