// Two real processes: one keeps the single instance, the other hands it a
// request and ends; a lock left by a killed process is taken over.
#include <gtest/gtest.h>
#include <signal.h>

#include <QProcess>
#include <QTemporaryDir>

namespace {

class SingleInstanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Runtime_.isValid());
    Env_ = QProcessEnvironment::systemEnvironment();
    Env_.insert(QStringLiteral("XDG_RUNTIME_DIR"), Runtime_.path());
  }

  std::unique_ptr<QProcess> Start(const QStringList& args = {}) {
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(Env_);
    process->start(QStringLiteral(QUENBY_INSTANCE_PROBE), args);
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
  QStringList Args;
  const char* Received;
};

TEST_F(SingleInstanceTest, SecondStartHandsItsRequestToTheFirstAndEnds) {
  const TRequestCase cases[] = {
      {"activate", {}, "activate"},
      {"path", {QStringLiteral("/mail/Inbox ü.dbx")}, "open /mail/Inbox ü.dbx"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    auto first = Start();
    ASSERT_EQ(FirstLine(*first), "first");
    auto second = Start(c.Args);
    ASSERT_TRUE(second->waitForFinished(10000));
    EXPECT_EQ(second->readAllStandardOutput().trimmed(), "second");
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

}  // namespace
