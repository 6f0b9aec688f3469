#pragma once
// One running instance per user. A lock file in $XDG_RUNTIME_DIR (else
// the temp folder) decides which process runs: QLocalServer::listen
// succeeds twice on one name, the lock does not. The first instance then
// listens on a local socket; a later start sends it one request and ends.
//
// Requests: one byte 1 (activate), or byte 2 followed by a UTF-8 path
// (open it and come to the front). Anything else is ignored.

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

namespace quenby {

class TSingleInstance : public QObject {
  Q_OBJECT

 public:
  TSingleInstance();
  ~TSingleInstance() override;

  // True when this process holds the lock: it is the first instance. A
  // lock left by a process that died is taken over.
  bool TryBecomeFirst();
  // First instance: listen for later starts.
  bool Listen();
  // A later start: hands its request to the first instance, retrying for
  // a moment, since the first holds the lock before it listens. False
  // when no first instance answered.
  bool SendToFirst(const QString& path, int waitMs = 3000);

  static QString LockFileName();
  static QString ServerName();

 signals:
  void ActivateRequested();
  void OpenRequested(const QString& path);

 private:
  void Accept();

  std::unique_ptr<QLockFile> Lock_;
  QLocalServer Server_;
};

}  // namespace quenby
