// Holds the single instance and reports the first request ("activate" or
// "open PATH"), or, when another process holds it, sends its own request
// ("second"). Prints one line per event and flushes at once.
#include <QCoreApplication>
#include <QTimer>
#include <cstdio>

#include "app/SingleInstance.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
  quenby::TSingleInstance instance;
  if (!instance.TryBecomeFirst()) {
    const bool sent = instance.SendToFirst(path);
    std::printf(sent ? "second\n" : "second unanswered\n");
    return 0;
  }
  if (!instance.Listen()) return 3;
  std::printf("first\n");
  std::fflush(stdout);
  QObject::connect(&instance, &quenby::TSingleInstance::ActivateRequested, [] {
    std::printf("activate\n");
    QCoreApplication::quit();
  });
  QObject::connect(&instance, &quenby::TSingleInstance::OpenRequested, [](const QString& opened) {
    std::printf("open %s\n", opened.toUtf8().constData());
    QCoreApplication::quit();
  });
  QTimer::singleShot(20000, [] { QCoreApplication::exit(4); });
  return app.exec();
}
