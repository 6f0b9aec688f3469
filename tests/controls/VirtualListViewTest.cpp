// The list view on the offscreen platform, over a collection that a
// loader thread fills.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QFontMetrics>
#include <QHeaderView>
#include <QTest>
#include <atomic>
#include <thread>

#include "QtWait.h"
#include "controls/IndexListModel.h"
#include "controls/ItemsEvents.h"
#include "controls/VirtualListView.h"
#include "model/TestItems.h"

namespace quenby {
namespace {

using test::TIntItem;
using test::TIntItems;
using test::WaitFor;

class TIntView : public TVirtualListView {
 public:
  TIntView() : TVirtualListView(std::make_unique<TIntItems>()) {
    Beep = [this] { ++Beeps; };
    resize(600, 300);
  }
  ~TIntView() override { StopMeasuring(); }
  TIntItems& Ints() { return static_cast<TIntItems&>(Items()); }
  QAbstractItemModel* ItemModel() { return model(); }

  int Beeps = 0;
  std::atomic<int> Published{0};
  std::atomic<int> TextCalls{0};

 protected:
  QString ItemText(const TVirtItem* item, std::int32_t column) const override {
    const_cast<std::atomic<int>&>(TextCalls)++;
    const auto* i = static_cast<const TIntItem*>(item);
    return column == 0 ? QString::fromStdString(i->Key) : QString::number(i->Value);
  }
  void customEvent(QEvent* event) override {
    if (event->type() == EventType(WM_COLUMNS_MEASURED)) ++Published;
    TVirtualListView::customEvent(event);
  }
};

void AddColumns(TIndexListView& view, int n) {
  for (int i = 0; i < n; ++i) view.Columns().Add().SetCaption(QStringLiteral("c%1").arg(i));
}

// Fills the collection from a worker in batches, as a store loader does.
void LoadOnWorker(TIntItems& items, const std::vector<std::string>& keys, int batch) {
  std::thread([&] {
    for (std::size_t i = 0; i < keys.size();) {
      items.BeginUpdate();
      for (int b = 0; b < batch && i < keys.size(); ++b, ++i)
        items.AddValue(static_cast<int>(i))->Key = keys[i];
      items.EndUpdate();  // posts WM_ITEMS_CHANGED
    }
  }).join();
}

std::string MakeKey(const char* prefix, int i) {
  return prefix + std::to_string(i);
}

std::vector<std::string> Keys(int n, const char* prefix = "k") {
  std::vector<std::string> keys;
  for (int i = 0; i < n; ++i) keys.push_back(MakeKey(prefix, i));
  return keys;
}

TEST(VirtualListView, RowsArriveFromALoaderThreadInBatches) {
  TIntView view;
  QAbstractItemModelTester tester(view.ItemModel(),
                                  QAbstractItemModelTester::FailureReportingMode::Fatal);
  AddColumns(view, 2);
  view.show();
  LoadOnWorker(view.Ints(), Keys(1000), 129);
  ASSERT_TRUE(WaitFor([&] { return view.Count() == 1000; }));
  EXPECT_EQ(view.RowText(999, 0), QStringLiteral("k999"));
  EXPECT_EQ(view.RowText(5, 1), QStringLiteral("5"));
}

TEST(VirtualListView, SelectionSurvivesAReloadByKey) {
  TIntView view;
  AddColumns(view, 2);
  view.show();
  LoadOnWorker(view.Ints(), Keys(50), 10);
  ASSERT_TRUE(WaitFor([&] { return view.Count() == 50; }));
  TVirtItem* announced = nullptr;
  view.OnSelectItem = [&](TVirtItem* item) { announced = item; };
  view.SetItemIndex(20);
  ASSERT_NE(announced, nullptr);
  EXPECT_EQ(view.SelectedKey(), "k20");
  // Reload in another order: the remembered item is gone, its key is not.
  view.Ints().Clear();
  std::vector<std::string> reversed = Keys(50);
  std::reverse(reversed.begin(), reversed.end());
  LoadOnWorker(view.Ints(), reversed, 10);
  view.Items().PostToView(WM_ITEMS_RESELECT);
  ASSERT_TRUE(WaitFor([&] { return view.Count() == 50 && view.SelectedKey() == "k20"; }));
  EXPECT_EQ(view.ItemIndex(), 29);
}

TEST(VirtualListView, PendingKeyWinsOverTheRememberedItem) {
  TIntView view;
  AddColumns(view, 1);
  LoadOnWorker(view.Ints(), Keys(10), 10);
  ASSERT_TRUE(WaitFor([&] { return view.Count() == 10; }));
  view.SetItemIndex(2);
  std::thread([&] {
    view.SetPendingKey("K7");  // keys match ignoring case
    view.Items().PostToView(WM_ITEMS_RESELECT);
  }).join();
  ASSERT_TRUE(WaitFor([&] { return view.ItemIndex() == 7; }));
}

TEST(VirtualListView, AStaleRowRequestCorrectsTheCount) {
  TIntView view;
  AddColumns(view, 1);
  LoadOnWorker(view.Ints(), Keys(10), 10);
  ASSERT_TRUE(WaitFor([&] { return view.Count() == 10; }));
  for (int i = 0; i < 5; ++i) view.Ints().Delete(0);  // no notification
  EXPECT_EQ(view.RowText(8, 0), QString());
  ASSERT_TRUE(WaitFor([&] { return view.Count() == 5; }));
}

TEST(VirtualListView, ARangeSelectionChecksItsRows) {
  TIntView view;
  AddColumns(view, 1);
  view.SetMultiSelect(true);
  view.show();
  LoadOnWorker(view.Ints(), Keys(10), 10);
  ASSERT_TRUE(WaitFor([&] { return view.Count() == 10; }));
  view.SetItemIndex(1);
  const QRect row4 = view.visualRect(view.ItemModel()->index(4, 0));
  QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ShiftModifier, row4.center());
  EXPECT_EQ(view.SelCount(), 4);
  // Rows 2 to 4 were newly selected together; row 1 was selected before.
  EXPECT_EQ(view.Items().Recount(), 3);
}

TEST(VirtualListView, KeysBeepAtTheEndsAndOnParentRows) {
  TIntView view;
  AddColumns(view, 1);
  view.show();
  std::vector<std::string> keys{"..", "a", "b"};
  LoadOnWorker(view.Ints(), keys, 3);
  ASSERT_TRUE(WaitFor([&] { return view.Count() == 3; }));
  view.SetItemIndex(0);
  QTest::keyClick(&view, Qt::Key_Space);
  EXPECT_EQ(view.Beeps, 1);
  EXPECT_EQ(view.Items().Recount(), 0);
  QTest::keyClick(&view, Qt::Key_Up);
  EXPECT_EQ(view.Beeps, 2);
  view.SetItemIndex(2);
  QTest::keyClick(&view, Qt::Key_Space);
  EXPECT_EQ(view.Items().Recount(), 1);
  QTest::keyClick(&view, Qt::Key_Down);
  EXPECT_EQ(view.Beeps, 3);
  EXPECT_EQ(view.ItemIndex(), 2);
}

TEST(VirtualListView, StatusAndSentNotificationsReachTheView) {
  TIntView view;
  AddColumns(view, 1);
  LoadOnWorker(view.Ints(), Keys(5), 5);
  ASSERT_TRUE(WaitFor([&] { return view.Count() == 5; }));
  QString status;
  view.OnStatusText = [&](const QString& text) { status = text; };
  int announced = 0;
  view.OnSelectItem = [&](TVirtItem*) { ++announced; };
  view.SetItemIndex(3);
  ASSERT_EQ(announced, 1);
  std::atomic<bool> sent{false};
  std::thread worker([&] {
    view.Items().SetStatusText(u"Read error");
    view.Items().PostToView(WM_ITEMS_STATUS);
    sent = view.Items().SendToView(WM_ITEMS_SELECT_CURRENT);  // blocks until handled
  });
  ASSERT_TRUE(WaitFor([&] { return sent.load(); }));
  worker.join();
  EXPECT_EQ(status, QStringLiteral("Read error"));
  EXPECT_EQ(announced, 2);
}

TEST(VirtualListView, TheViewBracketHoldsRepaintsAndDeletesSelectedRows) {
  TIntView view;
  AddColumns(view, 1);
  view.SetMultiSelect(true);
  LoadOnWorker(view.Ints(), Keys(6), 6);
  ASSERT_TRUE(WaitFor([&] { return view.Count() == 6; }));
  int changed = 0;
  view.OnItemsChanged = [&] { ++changed; };
  view.BeginUpdate();
  EXPECT_TRUE(view.Items().IsUpdating());
  auto* sel = view.selectionModel();
  for (int row : {1, 4})
    sel->select(view.ItemModel()->index(row, 0),
                QItemSelectionModel::Select | QItemSelectionModel::Rows);
  view.DeleteSelected();
  view.EndUpdate();
  EXPECT_FALSE(view.Items().IsUpdating());
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(view.Count(), 4);
  EXPECT_EQ(view.RowText(1, 0), QStringLiteral("k2"));
  EXPECT_EQ(view.RowText(3, 0), QStringLiteral("k5"));
}

TEST(VirtualListView, SelectedIndexIsTheFocusedRow) {
  TIntView view;
  AddColumns(view, 1);
  view.SetMultiSelect(true);
  LoadOnWorker(view.Ints(), Keys(10), 10);
  ASSERT_TRUE(WaitFor([&] { return view.Count() == 10; }));
  view.SetItemIndex(-1);
  EXPECT_EQ(view.SelCount(), 0);
  EXPECT_EQ(view.ItemIndex(), -1);
  auto* sel = view.selectionModel();
  sel->select(view.ItemModel()->index(1, 0),
              QItemSelectionModel::Select | QItemSelectionModel::Rows);
  sel->select(view.ItemModel()->index(2, 0),
              QItemSelectionModel::Select | QItemSelectionModel::Rows);
  EXPECT_EQ(view.ItemIndex(), 1);
  sel->setCurrentIndex(view.ItemModel()->index(6, 0), QItemSelectionModel::NoUpdate);
  EXPECT_EQ(view.ItemIndex(), 6);
}

TEST(VirtualListView, TheMenuKeyOpensTheMenuAtTheFirstSelectedLabel) {
  TIntView view;
  AddColumns(view, 2);
  view.SetMultiSelect(true);
  view.setContextMenuPolicy(Qt::CustomContextMenu);
  std::vector<QModelIndex> menus;
  QObject::connect(&view, &QWidget::customContextMenuRequested,
                   [&](const QPoint& at) { menus.push_back(view.indexAt(at)); });
  LoadOnWorker(view.Ints(), Keys(10), 10);
  ASSERT_TRUE(WaitFor([&] { return view.Count() == 10; }));
  QTest::keyClick(&view, Qt::Key_Menu);
  EXPECT_TRUE(menus.empty());  // nothing selected

  view.selectionModel()->select(
      QItemSelection(view.ItemModel()->index(5, 0), view.ItemModel()->index(6, 1)),
      QItemSelectionModel::Select);
  view.selectionModel()->select(view.ItemModel()->index(3, 1), QItemSelectionModel::Select);
  view.selectionModel()->setCurrentIndex(view.ItemModel()->index(8, 1),
                                         QItemSelectionModel::NoUpdate);
  QTest::keyClick(&view, Qt::Key_Menu);
  ASSERT_EQ(menus.size(), 1u);
  EXPECT_EQ(menus[0].row(), 3);
  EXPECT_EQ(menus[0].column(), 0);
}

TEST(VirtualListView, ColumnsAddedInsideAnUpdateBracketReachTheHeader) {
  TIntView view;
  AddColumns(view, 1);
  view.Columns().BeginUpdate();
  AddColumns(view, 2);
  view.Columns()[0].SetCaption(QStringLiteral("first"));
  EXPECT_EQ(view.ItemModel()->columnCount(), 1);
  view.Columns().EndUpdate();
  ASSERT_EQ(view.ItemModel()->columnCount(), 3);
  EXPECT_EQ(view.ItemModel()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("first"));
  EXPECT_EQ(view.ItemModel()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("c1"));
}

TEST(VirtualListView, TypingAPrefixFindsTheRow) {
  TIntView view;
  AddColumns(view, 1);
  view.show();
  LoadOnWorker(view.Ints(), {"zeta", "Abacus", "other", "ABC"}, 4);
  ASSERT_TRUE(WaitFor([&] { return view.Count() == 4; }));
  view.SetItemIndex(2);
  QTest::keyClicks(&view, QStringLiteral("ab"));
  EXPECT_EQ(view.ItemIndex(), 3);
  QTest::qWait(QApplication::keyboardInputInterval() + 50);
  QTest::keyClicks(&view, QStringLiteral("ab"));  // a new search wraps to the top
  EXPECT_EQ(view.ItemIndex(), 1);
}

TEST(VirtualListView, MeasuredWidthsFollowTheContentAndRefitTheColumns) {
  TIntView view;
  AddColumns(view, 2);
  view.show();
  LoadOnWorker(view.Ints(), {"a", "b", "a much longer subject line"}, 3);
  ASSERT_TRUE(WaitFor([&] { return view.Count() == 3; }));
  const QFontMetrics fm(view.font());
  const int wide = fm.horizontalAdvance(QStringLiteral("a much longer subject line")) + 16;
  ASSERT_TRUE(WaitFor([&] { return view.Columns()[0].ContentWidth == wide; }));
  EXPECT_EQ(view.Columns()[1].ContentWidth, fm.horizontalAdvance(QStringLiteral("2")) + 16);
  // Column 1 got its content width, column 0 the rest of the viewport.
  EXPECT_EQ(view.Columns()[1].Width(), view.Columns()[1].ContentWidth);
  EXPECT_EQ(view.Columns()[0].Width(), view.viewport()->width() - view.Columns()[1].ContentWidth);
}

TEST(VirtualListView, ANewRequestRestartsTheMeasurementAndOnlyWholePassesArePublished) {
  TIntView view;
  AddColumns(view, 2);
  view.show();
  LoadOnWorker(view.Ints(), Keys(20000), 5000);
  ASSERT_TRUE(WaitFor([&] { return view.Count() == 20000 && view.Published >= 1; }));
  const int before = view.Published;
  view.TextCalls = 0;
  view.RequestMeasure();
  ASSERT_TRUE(WaitFor([&] { return view.TextCalls > 100; }));
  view.RequestMeasure();  // aborts the pass under way
  ASSERT_TRUE(WaitFor([&] { return view.Published == before + 1; }));
  QTest::qWait(200);
  EXPECT_EQ(view.Published, before + 1);
}

TEST(VirtualListView, DividerDragsAreBoundByTheColumnLimits) {
  TIntView view;
  AddColumns(view, 2);
  // Before any fitting MaxWidth is 0: a drag must not snap to 0.
  view.horizontalHeader()->resizeSection(1, 300);
  EXPECT_EQ(view.Columns()[1].Width(), 300);
  view.show();
  LoadOnWorker(view.Ints(), Keys(5), 5);
  ASSERT_TRUE(WaitFor([&] { return view.Columns()[1].MinWidth() == 16 && view.Count() == 5; }));
  view.horizontalHeader()->resizeSection(1, 3);
  EXPECT_EQ(view.horizontalHeader()->sectionSize(1), 16);
  EXPECT_EQ(view.Columns()[1].Width(), 16);
  view.horizontalHeader()->resizeSection(1, 5000);
  EXPECT_EQ(view.Columns()[1].Width(), view.Columns()[1].ContentWidth);
}

TEST(VirtualListView, HeaderReorderIsWrittenBackToTheColumns) {
  TIntView view;
  AddColumns(view, 3);
  int dragged = 0;
  view.OnColumnsDragged = [&] { ++dragged; };
  view.horizontalHeader()->moveSection(0, 2);
  EXPECT_EQ(dragged, 1);
  EXPECT_EQ(view.Columns()[0].Caption(), QStringLiteral("c1"));
  EXPECT_EQ(view.Columns()[2].Caption(), QStringLiteral("c0"));
  EXPECT_EQ(view.Columns()[2].OrderTag, 0);  // still addresses its header section
}

// A collection with a loader of its own, which its destructor stops, as a
// store's collection stops its worker.
class TLoadingItems : public TIntItems {
 public:
  TLoadingItems()
      : Loader_([this] {
          for (int i = 0; !Stop_; ++i) {
            BeginUpdate();
            AddValue(i)->Key = MakeKey("k", i);
            EndUpdate();  // posts WM_ITEMS_CHANGED
            SyncViewCount();
            if (i % 64 == 0) PostToView(WM_ITEMS_STATUS);
          }
        }) {}
  ~TLoadingItems() override {
    Stop_ = true;
    Loader_.join();
  }

 private:
  std::atomic<bool> Stop_{false};
  std::thread Loader_;
};

TEST(VirtualListView, ADestroyedViewReceivesNothing) {
  auto view = std::make_unique<TIntView>();
  AddColumns(*view, 2);
  view->show();
  view->SetItems(std::make_unique<TLoadingItems>());
  ASSERT_TRUE(WaitFor([&] { return view->Count() > 100; }));
  // The loader goes on posting while the view is torn down; whatever it
  // posts after the view detached must go nowhere.
  view.reset();
  QTest::qWait(20);
}

TEST(VirtualListView, SetItemsDuringAMeasurement) {
  TIntView view;
  AddColumns(view, 2);
  view.show();
  for (int round = 0; round < 5; ++round) {
    auto items = std::make_unique<TIntItems>();
    for (int i = 0; i < 5000; ++i) items->AddValue(i)->Key = MakeKey("row ", i);
    view.SetItems(std::move(items));
    view.RequestMeasure();
    QTest::qWait(5);
  }
  EXPECT_EQ(view.Count(), 5000);
}

}  // namespace
}  // namespace quenby
