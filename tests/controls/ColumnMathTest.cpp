// Column sharing-out, the width bounds and the prefix search, as pure
// functions.
#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include "TestNames.h"
#include "controls/ColumnFitting.h"
#include "controls/ListColumns.h"

namespace quenby {
namespace {

struct TShareCase {
  const char* Name;
  std::int32_t ClientWidth;
  std::vector<std::int32_t> Content;
  std::vector<std::int32_t> Previous;
  std::vector<std::int32_t> Expected;
};

class ShareOut : public ::testing::TestWithParam<TShareCase> {};

TEST_P(ShareOut, GivesEachColumnItsShare) {
  const auto& c = GetParam();
  std::vector<std::int32_t> fit = c.Previous;
  ShareOutColumns(c.ClientWidth, c.Content, fit);
  EXPECT_EQ(fit, c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, ShareOut,
    ::testing::Values(
        // Fewer than two columns: nothing is shared out.
        TShareCase{"OneColumnUntouched", 500, {100}, {90}, {90}},
        // Content fits: later columns get their content, column 0 the rest.
        TShareCase{"ContentFits", 500, {100, 120, 80}, {90, 90, 90}, {300, 120, 80}},
        // Narrow: column 0 gets its even share plus 20 (its content is wider
        // than that plus 16); later columns stay within 16..content.
        TShareCase{"NarrowWideFirstColumn", 300, {400, 200, 50}, {90, 90, 90}, {120, 130, 50}},
        // Narrow, but column 0's content is within its share plus 36.
        TShareCase{"NarrowShortFirstColumn", 300, {130, 400, 400}, {90, 90, 90}, {130, 85, 85}},
        // The width runs out: the columns after keep their previous fitting.
        TShareCase{"WidthRunsOut", 40, {500, 500, 500}, {90, 91, 92}, {34, 6, 92}},
        // A share of 16 or less is taken whole.
        TShareCase{"TinyRemainder", 50, {30, 300, 300}, {90, 90, 90}, {30, 16, 4}}),
    test::ByName());

struct TClampCase {
  const char* Name;
  std::int32_t Width, Min, Max, Expected;
};

class DragClamp : public ::testing::TestWithParam<TClampCase> {};

TEST_P(DragClamp, BindsTheDraggedWidth) {
  const auto& c = GetParam();
  EXPECT_EQ(ClampDraggedWidth(c.Width, c.Min, c.Max), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(Widths, DragClamp,
                         ::testing::Values(TClampCase{"BelowMin", 5, 16, 200, 16},
                                           TClampCase{"Inside", 100, 16, 200, 100},
                                           TClampCase{"AtMax", 200, 16, 200, 200},
                                           TClampCase{"AboveMax", 900, 16, 200, 200},
                                           // MaxWidth 0 is "no bound", not "width 0".
                                           TClampCase{"NoMax", 900, 16, 0, 900}),
                         test::ByName());

TEST(ListColumn, WidthSetterClampsAndKeepsAutomaticWidths) {
  TListColumns columns;
  TListColumn& c = columns.Add();
  c.SetMinWidth(16);
  c.SetMaxWidth(200);
  c.SetWidth(5);
  EXPECT_EQ(c.Width(), 16);
  c.SetWidth(500);
  EXPECT_EQ(c.Width(), 200);
  c.SetWidth(-1);  // automatic
  EXPECT_EQ(c.Width(), -1);
  c.SetMaxWidth(0);
  c.SetWidth(500);
  EXPECT_EQ(c.Width(), 500);
}

struct TFindCase {
  const char* Name;
  QStringList Rows;
  std::int32_t Start;
  bool Wrap;
  QString Prefix;
  std::int32_t Expected;
};

class PrefixSearch : public ::testing::TestWithParam<TFindCase> {};

TEST_P(PrefixSearch, FindsTheNextMatchingRow) {
  const auto& c = GetParam();
  const std::int32_t row = FindPrefixRow(
      static_cast<std::int32_t>(c.Rows.size()), c.Start, c.Wrap,
      [&](std::int32_t r) { return c.Rows[r].startsWith(c.Prefix, Qt::CaseInsensitive); });
  EXPECT_EQ(row, c.Expected);
}

const QStringList kRows{QStringLiteral("Abacus"), QStringLiteral("zebra"), QStringLiteral("ABC"),
                        QStringLiteral("other")};

INSTANTIATE_TEST_SUITE_P(
    Rows, PrefixSearch,
    ::testing::Values(TFindCase{"FromStart", kRows, 0, false, QStringLiteral("ab"), 0},
                      TFindCase{"AnyLetterCase", kRows, 1, false, QStringLiteral("ab"), 2},
                      TFindCase{"WrapsToTheTop", kRows, 3, true, QStringLiteral("ab"), 0},
                      TFindCase{"NoWrapNoMatch", kRows, 3, false, QStringLiteral("ab"), -1},
                      TFindCase{"NoRows", QStringList{}, 0, true, QStringLiteral("ab"), -1},
                      TFindCase{"StartOutOfRange", kRows, 99, true, QStringLiteral("z"), 1},
                      TFindCase{"NothingMatches", kRows, 0, true, QStringLiteral("q"), -1}),
    test::ByName());

}  // namespace
}  // namespace quenby
