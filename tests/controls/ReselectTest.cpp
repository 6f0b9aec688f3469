#include <gtest/gtest.h>

#include "TestNames.h"
#include "controls/Reselect.h"

namespace quenby {
namespace {

struct TReselectCase {
  const char* Name;
  TReselectState State;
  std::int32_t Expected;
};

class ReselectCases : public ::testing::TestWithParam<TReselectCase> {};

TEST_P(ReselectCases, PicksTheRow) {
  EXPECT_EQ(ReselectRow(GetParam().State), GetParam().Expected);
}

// State fields: count, pending key row, current item row, current key row, old index.
INSTANTIATE_TEST_SUITE_P(Reloads, ReselectCases,
                         ::testing::Values(TReselectCase{"PendingKeyFound", {10, 7, 2, 3, 4}, 7},
                                           TReselectCase{
                                               "PendingKeyMissingFallsBack", {10, -1, 2, 3, 4}, 2},
                                           TReselectCase{"ItemKept", {10, -1, 5, -1, 1}, 5},
                                           TReselectCase{"KeyKept", {10, -1, -1, 6, 1}, 6},
                                           TReselectCase{"OldRowNumber", {10, -1, -1, -1, 4}, 4},
                                           TReselectCase{"ShorterList", {3, -1, -1, -1, 8}, 2},
                                           TReselectCase{"OneRow", {1, -1, -1, -1, 8}, 0},
                                           TReselectCase{"EmptyList", {0, -1, -1, -1, 8}, -1}),
                         test::ByName());

}  // namespace
}  // namespace quenby
