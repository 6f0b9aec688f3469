// Two real processes: one keeps the single instance, the other hands it a
// request and ends; a lock left by a killed process is taken over.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/time.h>

#include <ctime>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "QtWait.h"
#include "settings/IniFile.h"

namespace {

class SingleInstanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Runtime_.isValid());
    Env_ = QProcessEnvironment::systemEnvironment();
    Env_.insert(QStringLiteral("XDG_RUNTIME_DIR"), Runtime_.path());
    Env_.insert(QStringLiteral("XDG_CONFIG_HOME"), Runtime_.filePath(QStringLiteral("config")));
    Env_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    Env_.insert(QStringLiteral("QUENBY_MESSAGE_BOX_ANSWER"), QStringLiteral("default"));
  }

  std::unique_ptr<QProcess> Start(const QStringList& args = {},
                                  const char* program = QUENBY_INSTANCE_PROBE) {
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(Env_);
    process->start(QString::fromUtf8(program), args);
    EXPECT_TRUE(process->waitForStarted());
    return process;
  }

  static QByteArray FirstLine(QProcess& process) {
    if (!process.canReadLine()) process.waitForReadyRead(10000);
    return process.readLine().trimmed();
  }

  QTemporaryDir Runtime_;
  QProcessEnvironment Env_;
};

struct TRequestCase {
  const char* Name;
  const char* Second;  // the program started second
  QStringList Args;
  const char* Received;
  const char* SecondSays;
};

TEST_F(SingleInstanceTest, SecondStartHandsItsRequestToTheFirstAndEnds) {
  const TRequestCase cases[] = {
      {"activate", QUENBY_INSTANCE_PROBE, {}, "activate", "second"},
      {"path",
       QUENBY_INSTANCE_PROBE,
       {QStringLiteral("/mail/Inbox ü.dbx")},
       "open /mail/Inbox ü.dbx",
       "second"},
      {"the program activates", QUENBY_MAILER, {}, "activate", ""},
      {"the program hands its path",
       QUENBY_MAILER,
       {QStringLiteral("/mail/Sent")},
       "open /mail/Sent",
       ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    auto first = Start();
    ASSERT_EQ(FirstLine(*first), "first");
    auto second = Start(c.Args, c.Second);
    ASSERT_TRUE(second->waitForFinished(10000));
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_EQ(second->readAllStandardOutput().trimmed(), QByteArray(c.SecondSays));
    ASSERT_TRUE(first->waitForFinished(10000));
    EXPECT_EQ(first->exitCode(), 0);
    EXPECT_EQ(first->readAllStandardOutput().trimmed(), QByteArray(c.Received));
  }
}

TEST_F(SingleInstanceTest, LockOfAKilledInstanceIsTakenOver) {
  auto crashed = Start();
  ASSERT_EQ(FirstLine(*crashed), "first");
  ::kill(static_cast<pid_t>(crashed->processId()), SIGKILL);
  ASSERT_TRUE(crashed->waitForFinished(10000));

  // The lock file and the socket file are still there; the next start
  // still becomes the first and serves a third.
  auto next = Start();
  ASSERT_EQ(FirstLine(*next), "first");
  auto third = Start();
  ASSERT_TRUE(third->waitForFinished(10000));
  EXPECT_EQ(third->readAllStandardOutput().trimmed(), "second");
  ASSERT_TRUE(next->waitForFinished(10000));
  EXPECT_EQ(next->readAllStandardOutput().trimmed(), "activate");
}

// A first instance running for hours keeps its lock, whatever its age.
TEST_F(SingleInstanceTest, OldLockOfARunningInstanceIsNotTakenOver) {
  auto first = Start();
  ASSERT_EQ(FirstLine(*first), "first");
  const QStringList locks =
      QDir(Runtime_.path()).entryList({QStringLiteral("*.lock")}, QDir::Files);
  ASSERT_EQ(locks.size(), 1);
  const QByteArray lock = QFile::encodeName(Runtime_.filePath(locks.front()));
  const timeval hourAgo[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
  ASSERT_EQ(::utimes(lock.constData(), hourAgo), 0);

  auto second = Start();
  ASSERT_TRUE(second->waitForFinished(10000));
  EXPECT_EQ(second->readAllStandardOutput().trimmed(), "second");
  ASSERT_TRUE(first->waitForFinished(10000));
  EXPECT_EQ(first->readAllStandardOutput().trimmed(), "activate");
}

// The program opens the path it was given in an explorer window of the
// fitting kind; SIGTERM saves that window, ends the program and releases
// its lock.
TEST_F(SingleInstanceTest, ProgramOpensItsPathAndEndsOnSigtermReleasingTheLock) {
  QTemporaryDir options;
  const QString mailbox = options.filePath(QStringLiteral("box.mbox"));
  auto mailer = Start({QStringLiteral("--options"), options.path(), mailbox}, QUENBY_MAILER);
  const QString saved = options.filePath(QStringLiteral("options.ini"));
  // The program catches the signal from before its socket listens.
  ASSERT_TRUE(quenby::test::WaitFor([&] {
    return !QDir(Runtime_.path()).entryList({QStringLiteral("*.socket")}, QDir::System).isEmpty();
  }));
  ::kill(static_cast<pid_t>(mailer->processId()), SIGTERM);
  ASSERT_TRUE(mailer->waitForFinished(20000)) << mailer->readAllStandardError().constData();
  EXPECT_EQ(mailer->exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(mailer->exitCode(), 0) << mailer->readAllStandardError().constData();
  const quenby::TIniFile file(saved.toStdString());
  EXPECT_EQ(file.ReadString("TaskForm\\ 0", "ClassName"), "TTriForm");
  EXPECT_EQ(file.ReadString("TaskForm\\ 0", "MesgExplKind"), "ekUnixBox");
  EXPECT_TRUE(QDir(Runtime_.path()).entryList(QDir::Files | QDir::System).isEmpty());
  auto next = Start();
  EXPECT_EQ(FirstLine(*next), "first");
  next->kill();
  next->waitForFinished();
}

}  // namespace
