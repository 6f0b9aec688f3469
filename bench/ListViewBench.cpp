// The virtual list view over 1,000,000 items on the offscreen platform:
// time to the first painted screen, time per scrolled page, and the memory
// the view adds per item.
#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <cstdio>
#include <fstream>
#include <string>

#include "controls/ItemsEvents.h"
#include "controls/VirtualListView.h"
#include "model/TestItems.h"

namespace {

using quenby::test::TIntItem;
using quenby::test::TIntItems;

long RssKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return 0;
}

class TBenchView : public quenby::TVirtualListView {
 public:
  using TVirtualListView::TVirtualListView;
  ~TBenchView() override { StopMeasuring(); }

 protected:
  QString ItemText(const quenby::TVirtItem* item, std::int32_t column) const override {
    const auto* i = static_cast<const TIntItem*>(item);
    return column == 0 ? QStringLiteral("Subject of message number %1").arg(i->Value)
                       : QString::number(i->Value);
  }
};

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  constexpr int kItems = 1'000'000;
  auto items = std::make_unique<TIntItems>();
  for (int i = 0; i < kItems; ++i) items->AddValue(i);
  TIntItems* raw = items.get();

  TBenchView view;
  view.resize(900, 700);
  for (int c = 0; c < 3; ++c) view.Columns().Add().SetCaption(QStringLiteral("Column %1").arg(c));
  view.show();
  QApplication::processEvents();

  const long rssBefore = RssKb();
  QElapsedTimer timer;
  timer.start();
  view.SetItems(std::move(items));
  raw->PostToView(quenby::WM_ITEMS_FIRST_BATCH);
  QApplication::processEvents();
  view.viewport()->grab();  // paints the first screen
  const double firstScreenMs = timer.nsecsElapsed() / 1e6;
  const long rssAfter = RssKb();

  QScrollBar* bar = view.verticalScrollBar();
  const int pages = 200;
  const int rowsPerPage = view.VisibleRows().second - view.VisibleRows().first + 1;
  timer.restart();
  for (int p = 0; p < pages; ++p) {
    bar->setValue(bar->value() + bar->pageStep());
    view.viewport()->grab();
  }
  const double perPageMs = timer.nsecsElapsed() / 1e6 / pages;

  std::printf("items                       %d\n", kItems);
  std::printf("first screen after batch    %.1f ms\n", firstScreenMs);
  std::printf("per scrolled page           %.2f ms (%d rows, %.0f rows/s)\n", perPageMs,
              rowsPerPage, rowsPerPage / (perPageMs / 1000.0));
  std::printf("view memory per item        %.2f bytes\n", (rssAfter - rssBefore) * 1024.0 / kItems);
  return 0;
}
