// The application's last net: an exception escaping an event handler is
// shown and the program goes on; the user's cancel is shown by no one.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTimer>
#include <cstdlib>
#include <stdexcept>

#include "app/MailerApp.h"
#include "controls/MessageForm.h"
#include "platform/Errors.h"
#include "settings/OptionsDialogs.h"

namespace quenby {
namespace {

class TThrowing : public QObject {
 public:
  bool Cancel = false;
  bool Stream = false;
  bool event(QEvent* event) override {
    if (event->type() != QEvent::User) return QObject::event(event);
    if (Cancel) throw ECancelled();
    if (Stream) throw EStreamError(TStreamErrorKind::CannotOpen, "/mail/Inbox.dbx", "gone");
    throw std::runtime_error("the store went away");
  }
};

TEST(ExceptionNetTest, EscapingFailureIsShownAndTheLoopGoesOn) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  int argc = 1;
  char name[] = "exception_net_test";
  char* argv[] = {name, nullptr};
  TMailerApplication app(argc, argv);
  std::vector<QString> shown;
  SetMessageBoxAnswerer([&](const TTntMessageForm& box) {
    shown.push_back(box.MessageLabel()->text());
    return box.DefaultResult();
  });
  TThrowing failing, cancelling, streamFailing;
  streamFailing.Stream = true;
  cancelling.Cancel = true;
  QCoreApplication::postEvent(&failing, new QEvent(QEvent::User));
  QCoreApplication::postEvent(&cancelling, new QEvent(QEvent::User));
  QCoreApplication::postEvent(&streamFailing, new QEvent(QEvent::User));
  QTimer::singleShot(0, &app, [] { QCoreApplication::exit(7); });
  EXPECT_EQ(app.exec(), 7);
  SetMessageBoxAnswerer({});
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_TRUE(shown[0].contains(QStringLiteral("the store went away")));
  EXPECT_TRUE(shown[1].contains(QStringLiteral("/mail/Inbox.dbx"))) << shown[1].toStdString();
}

}  // namespace
}  // namespace quenby
