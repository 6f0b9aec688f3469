// The explorer window opening a store, as the user sees it: the time to
// the first rows, to the end of the load, and the longest gap between two
// runs of the event loop while the store loads.
//   bench_explorer_load STORE   (offscreen platform)
#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/ManagerForm.h"
#include "app/StoreDialogs.h"
#include "app/TriForm.h"
#include "model/mail/qt/MesgListView.h"
#include "settings/GlobStrings.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_explorer_load STORE\n");
    return 2;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  using namespace quenby;
  LoadLanguage(QUENBY_LANGUAGE_FILE);
  TQtStoreDialogs dialogs;
  const TExplorerContext context = BuiltInExplorerContext(nullptr, &dialogs);
  auto manager = std::make_unique<TManagerForm>(std::string(), nullptr);
  manager->SetTerminating();

  QElapsedTimer clock;
  clock.start();
  QPointer<TTriForm> window = NewExplorer(*manager, context, ExplKindOfPath(argv[1]));
  window->OpenLocation(argv[1]);
  qint64 firstRows = -1, loaded = -1, last = clock.elapsed(), longestGap = 0;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] {
    const qint64 now = clock.elapsed();
    longestGap = std::max(longestGap, now - last);
    last = now;
    if (firstRows < 0 && window->MesgList()->Count() > 0) firstRows = now;
    if (firstRows >= 0 && !window->Loading()) {
      loaded = now;
      QCoreApplication::exit(0);  // quit() would close the window
    }
  });
  tick.start(1);
  QTimer::singleShot(600000, &app, &QCoreApplication::quit);
  app.exec();
  if (!window) {
    std::fprintf(stderr, "the window closed\n");
    return 1;
  }
  std::printf("rows %d  first rows %lld ms  load end %lld ms  longest event gap %lld ms\n",
              window->MesgList()->Count(), static_cast<long long>(firstRows),
              static_cast<long long>(loaded), static_cast<long long>(longestGap));
  manager.reset();
  return loaded < 0 ? 1 : 0;
}
