#include "app/SingleInstance.h"

#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QThread>

namespace quenby {

namespace {

constexpr char kActivate = 1;
constexpr char kOpen = 2;
constexpr qint64 kMaxRequest = 64 * 1024;

QString RuntimeFolder() {
  QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
  return folder.isEmpty() ? QDir::tempPath() : folder;
}

}  // namespace

TSingleInstance::TSingleInstance() {
  connect(&Server_, &QLocalServer::newConnection, this, &TSingleInstance::Accept);
}

TSingleInstance::~TSingleInstance() = default;

// Named by user id: the temp folder is shared by every user.
QString TSingleInstance::LockFileName() {
  return RuntimeFolder() + QStringLiteral("/quenby-mailer-%1.lock").arg(::getuid());
}

QString TSingleInstance::ServerName() {
  return RuntimeFolder() + QStringLiteral("/quenby-mailer-%1.socket").arg(::getuid());
}

bool TSingleInstance::TryBecomeFirst() {
  Lock_ = std::make_unique<QLockFile>(LockFileName());
  // Only a dead owner should make the lock stale. Measured on Qt 6.4: a
  // running owner keeps its lock past the default 30 s age rule anyway;
  // the rule is off so that this never depends on that.
  Lock_->setStaleLockTime(0);
  if (Lock_->tryLock(0)) return true;
  Lock_.reset();
  return false;
}

bool TSingleInstance::Listen() {
  // Holding the lock, a socket file left by a crash is ours to remove.
  QLocalServer::removeServer(ServerName());
  Server_.setSocketOptions(QLocalServer::UserAccessOption);
  return Server_.listen(ServerName());
}

bool TSingleInstance::SendToFirst(const QString& path, int waitMs) {
  QByteArray request;
  if (path.isEmpty()) {
    request.append(kActivate);
  } else {
    request.append(kOpen);
    request.append(path.toUtf8());
  }
  QElapsedTimer timer;
  timer.start();
  do {
    QLocalSocket socket;
    socket.connectToServer(ServerName());
    if (socket.waitForConnected(500)) {
      socket.write(request);
      bool sent = socket.waitForBytesWritten(1000);
      socket.disconnectFromServer();
      if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(1000);
      return sent;
    }
    QThread::msleep(50);
  } while (timer.elapsed() < waitMs);
  return false;
}

void TSingleInstance::Accept() {
  while (QLocalSocket* socket = Server_.nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    // The request is whole once the sender disconnects.
    connect(socket, &QLocalSocket::readChannelFinished, this, [this, socket] {
      QByteArray request = socket->read(kMaxRequest + 1);
      if (request.isEmpty() || request.size() > kMaxRequest) return;
      if (request.size() == 1 && request[0] == kActivate)
        emit ActivateRequested();
      else if (request[0] == kOpen && request.size() > 1)
        emit OpenRequested(QString::fromUtf8(request.mid(1)));
    });
  }
}

}  // namespace quenby
