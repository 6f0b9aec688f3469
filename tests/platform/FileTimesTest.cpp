#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <ctime>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "TempDir.h"
#include "TestNames.h"
#include "platform/FileTimes.h"

namespace quenby {
namespace {

using test::ByName;

// Local times below are read in a zone with summer time.
class FileTimes : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ::setenv("TZ", "Europe/Berlin", 1);
    ::tzset();
  }
};

TFileTime Local(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_isdst = -1;
  return FileTimeFromTimespec({std::mktime(&t), 0});
}

TDosTime Dos(int year, int month, int day, int hour, int minute, int second) {
  return static_cast<TDosTime>(((year - 1980) << 25) | (month << 21) | (day << 16) | (hour << 11) |
                               (minute << 5) | (second / 2));
}

struct TDosCase {
  std::string Name;
  std::array<int, 6> Fields;  // local time; all 0: the unknown time 0
  TDosTime Expected;
};

class DosTimeTest : public FileTimes, public ::testing::WithParamInterface<TDosCase> {};

// The file times are made here, not in the table: the table is built
// before the suite pins the zone.
TEST_P(DosTimeTest, ConvertsAtTheEdges) {
  const auto& f = GetParam().Fields;
  const TFileTime time = f[0] == 0 ? 0 : Local(f[0], f[1], f[2], f[3], f[4], f[5]);
  EXPECT_EQ(FileTimeToDosTime(time), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    FileTimes, DosTimeTest,
    ::testing::ValuesIn(std::vector<TDosCase>{
        {"Unknown", {0, 0, 0, 0, 0, 0}, 0},
        {"BeforeTheRange", {1979, 12, 31, 23, 59, 59}, 0},
        {"UnixEpoch", {1970, 1, 1, 1, 0, 0}, 0},
        {"FirstSecond", {1980, 1, 1, 0, 0, 0}, Dos(1980, 1, 1, 0, 0, 0)},
        {"OddSecondRoundsDown", {2021, 6, 15, 12, 34, 57}, Dos(2021, 6, 15, 12, 34, 56)},
        {"LastDay", {2107, 12, 31, 23, 59, 58}, Dos(2107, 12, 31, 23, 59, 58)},
        {"AfterTheRange", {2108, 1, 1, 0, 0, 0}, 0},
    }),
    ByName());

TEST_F(FileTimes, DosRoundTripsInSummerAndWinter) {
  for (const TFileTime t :
       {Local(2021, 7, 1, 10, 0, 4), Local(2021, 12, 1, 10, 0, 4), Local(1980, 1, 1, 0, 0, 0)})
    EXPECT_EQ(DosTimeToFileTime(FileTimeToDosTime(t)), t);
  EXPECT_EQ(DosTimeToFileTime(0), 0u);
  EXPECT_EQ(DosTimeToFileTime(Dos(2021, 13, 1, 0, 0, 0)), 0u) << "month 13";
}

TEST_F(FileTimes, DateTimeValues) {
  // 1980-01-01 is day 29221 after 1899-12-30.
  EXPECT_DOUBLE_EQ(FileTimeToDateTime(Local(1980, 1, 1, 12, 0, 0)), 29221.5);
  EXPECT_EQ(DateTimeToFileTime(29221.5), Local(1980, 1, 1, 12, 0, 0));
  EXPECT_EQ(FileTimeToDateTime(0), 0);
  EXPECT_EQ(DateTimeToFileTime(0), 0u);
  EXPECT_EQ(DateTimeToFileTime(100.0), 0u) << "1900 is outside the DOS range";
  EXPECT_DOUBLE_EQ(FirstFileTimeToDateTime(Local(1980, 1, 1, 12, 0, 0), 0), 29221.5);
  EXPECT_DOUBLE_EQ(FirstFileTimeToDateTime(0, Local(1980, 1, 1, 12, 0, 0)), 29221.5);
}

TEST_F(FileTimes, TimespecRoundTripKeepsTicks) {
  const timespec t{1'600'000'000, 123'456'700};
  const timespec back = TimespecFromFileTime(FileTimeFromTimespec(t));
  EXPECT_EQ(back.tv_sec, t.tv_sec);
  EXPECT_EQ(back.tv_nsec, t.tv_nsec);
}

TEST_F(FileTimes, CopyFileTimesCarriesTheWriteTime) {
  test::TTempDir dir;
  test::WriteAll(dir / "from", "a");
  test::WriteAll(dir / "to", "b");
  const int from = ::open((dir / "from").c_str(), O_RDONLY);
  const int to = ::open((dir / "to").c_str(), O_RDWR);
  const timespec old[2] = {{0, UTIME_OMIT}, {946'684'800, 500}};  // 2000-01-01
  ASSERT_EQ(::futimens(from, old), 0);
  EXPECT_TRUE(CopyFileTimes(from, to));
  ::close(from);
  ::close(to);
  EXPECT_EQ(ReadFileTimes(dir / "to").LastWrite, FileTimeFromTimespec(old[1]));
  EXPECT_NE(ReadFileTimes(dir / "to").Creation, 0u);
  EXPECT_EQ(ReadFileTimes(dir / "missing").LastWrite, 0u);
  EXPECT_FALSE(CopyFileTimes(-1, -1));
}

}  // namespace
}  // namespace quenby
