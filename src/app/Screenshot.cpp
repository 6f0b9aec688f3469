#include "app/Screenshot.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QThread>
#include <algorithm>

#include "app/TriForm.h"
#include "model/mail/qt/MesgListView.h"

namespace quenby {

namespace {

bool WaitUntil(const std::function<bool()>& condition, int limitMs) {
  QElapsedTimer timer;
  timer.start();
  while (!condition()) {
    if (timer.elapsed() > limitMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(1);
  }
  return true;
}

}  // namespace

std::string SaveWindowPicture(TTriForm& window, const std::string& file, int limitMs) {
  if (!window.Store()) return "this build has no store for the given path";
  // The store may post its first rows only after it started loading.
  WaitUntil([&] { return window.MesgList()->Count() > 0; }, 500);
  if (!WaitUntil([&] { return !window.Loading(); }, limitMs))
    return "the store did not load in time";
  if (window.MesgList()->Count() > 0) {
    if (!window.MesgList()->CurrentItem())
      window.MesgList()->SetItemIndex(std::max(0, window.MesgList()->ItemIndex()));
    if (!WaitUntil([&] { return window.MesgList()->CurrentItem() != nullptr; }, limitMs))
      return "the first message was not shown in time";
  }
  QCoreApplication::processEvents();
  if (!window.grab().save(QString::fromStdString(file), "PNG")) return "cannot write " + file;
  return {};
}

}  // namespace quenby
