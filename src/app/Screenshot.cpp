#include "app/Screenshot.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <algorithm>

#include "app/TriForm.h"
#include "controls/EventWait.h"
#include "model/mail/qt/MesgListView.h"

namespace quenby {

namespace {

constexpr int kEmptyStoreMs = 2000;

}  // namespace

std::string SaveWindowPicture(TTriForm& window, const std::string& file, int limitMs) {
  if (!window.Store()) return "this build has no store for the given path";
  // A store may start loading only later (a folder tree reads its folders
  // first): a list that stays empty and idle for a while is an empty store.
  QElapsedTimer idleEmpty;
  idleEmpty.start();
  const bool loaded = ProcessEventsUntil(
      [&] {
        if (window.Loading() || window.MesgList()->Count() == 0) {
          if (window.Loading()) idleEmpty.restart();
          return !window.Loading() && idleEmpty.elapsed() > kEmptyStoreMs;
        }
        return true;
      },
      limitMs);
  if (!loaded) return "the store did not load in time";
  if (window.MesgList()->Count() > 0) {
    if (!window.MesgList()->CurrentItem())
      window.MesgList()->SetItemIndex(std::max(0, window.MesgList()->ItemIndex()));
    if (!ProcessEventsUntil([&] { return window.MesgList()->CurrentItem() != nullptr; }, limitMs))
      return "the first message was not shown in time";
  }
  QCoreApplication::processEvents();
  if (!window.grab().save(QString::fromStdString(file), "PNG")) return "cannot write " + file;
  return {};
}

}  // namespace quenby
