#include "platform/FileTimes.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <chrono>
#include <cmath>

namespace quenby {

namespace {

constexpr std::int64_t kTicksPerSecond = 10'000'000;
constexpr std::int64_t kUnixEpochSeconds = 11'644'473'600;  // 1601-01-01 to 1970-01-01
constexpr int kDosFirstYear = 1980;
constexpr int kDosLastYear = 2107;
constexpr std::int64_t kSecondsPerDay = 86'400;

struct TFields {
  int Year, Month, Day, Hour, Minute, Second;
};

bool InDosRange(const TFields& f) {
  return f.Year >= kDosFirstYear && f.Year <= kDosLastYear && f.Month >= 1 && f.Month <= 12 &&
         f.Day >= 1 && f.Day <= 31 && f.Hour >= 0 && f.Hour < 24 && f.Minute >= 0 &&
         f.Minute < 60 && f.Second >= 0 && f.Second < 60;
}

TDosTime ToDos(const TFields& f) {
  if (!InDosRange(f)) return 0;
  const auto date =
      static_cast<std::uint32_t>(((f.Year - kDosFirstYear) << 9) | (f.Month << 5) | f.Day);
  const auto time = static_cast<std::uint32_t>((f.Hour << 11) | (f.Minute << 5) | (f.Second / 2));
  return date << 16 | time;
}

TFields FromDos(TDosTime value) {
  const std::uint32_t date = value >> 16, time = value & 0xFFFF;
  return {static_cast<int>(date >> 9) + kDosFirstYear,
          static_cast<int>((date >> 5) & 15),
          static_cast<int>(date & 31),
          static_cast<int>(time >> 11),
          static_cast<int>((time >> 5) & 63),
          static_cast<int>(time & 31) * 2};
}

std::chrono::sys_days EpochOfDateTime() {
  return std::chrono::sys_days(std::chrono::year(1899) / 12 / 30);
}

}  // namespace

TFileTime FileTimeFromTimespec(const timespec& time) {
  const std::int64_t seconds = static_cast<std::int64_t>(time.tv_sec) + kUnixEpochSeconds;
  if (seconds < 0) return 0;
  return static_cast<TFileTime>(seconds) * kTicksPerSecond +
         static_cast<TFileTime>(time.tv_nsec / 100);
}

timespec TimespecFromFileTime(TFileTime time) {
  timespec result{};
  result.tv_sec =
      static_cast<time_t>(static_cast<std::int64_t>(time / kTicksPerSecond) - kUnixEpochSeconds);
  result.tv_nsec = static_cast<long>(time % kTicksPerSecond) * 100;
  return result;
}

TDosTime FileTimeToDosTime(TFileTime time) {
  if (time == 0) return 0;
  const time_t seconds = TimespecFromFileTime(time).tv_sec;
  std::tm local{};
  if (!::localtime_r(&seconds, &local)) return 0;
  return ToDos({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                local.tm_sec});
}

TFileTime DosTimeToFileTime(TDosTime value) {
  if (value == 0) return 0;
  const TFields f = FromDos(value);
  if (!InDosRange(f)) return 0;
  std::tm local{};
  local.tm_year = f.Year - 1900;
  local.tm_mon = f.Month - 1;
  local.tm_mday = f.Day;
  local.tm_hour = f.Hour;
  local.tm_min = f.Minute;
  local.tm_sec = f.Second;
  local.tm_isdst = -1;  // the zone's own rule for that day
  const time_t seconds = std::mktime(&local);
  if (seconds == static_cast<time_t>(-1)) return 0;
  return FileTimeFromTimespec({seconds, 0});
}

TDateTime FileTimeToDateTime(TFileTime time) {
  const TDosTime dos = FileTimeToDosTime(time);
  if (dos == 0) return 0;
  const TFields f = FromDos(dos);
  const std::chrono::sys_days day(std::chrono::year(f.Year) / f.Month / f.Day);
  const auto days = (day - EpochOfDateTime()).count();
  return static_cast<double>(days) +
         static_cast<double>(f.Hour * 3600 + f.Minute * 60 + f.Second) / kSecondsPerDay;
}

TDateTime FirstFileTimeToDateTime(TFileTime a, TFileTime b) {
  const TDateTime second = FileTimeToDateTime(b);
  return second != 0 ? second : FileTimeToDateTime(a);
}

TFileTime DateTimeToFileTime(TDateTime value) {
  if (!std::isfinite(value) || value <= 0) return 0;
  // Whole seconds, rounded, so that a value made from fields comes back to them.
  const auto total = static_cast<std::int64_t>(std::llround(value * kSecondsPerDay));
  const std::int64_t days = total / kSecondsPerDay, seconds = total % kSecondsPerDay;
  const std::chrono::year_month_day date(EpochOfDateTime() + std::chrono::days(days));
  return DosTimeToFileTime(
      ToDos({static_cast<int>(date.year()), static_cast<int>(unsigned(date.month())),
             static_cast<int>(unsigned(date.day())), static_cast<int>(seconds / 3600),
             static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60)}));
}

TFileTimes ReadFileTimes(const std::string& path) {
  struct statx st {};
  if (::statx(AT_FDCWD, path.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &st) != 0) return {};
  const auto of = [](const statx_timestamp& t) {
    return FileTimeFromTimespec({t.tv_sec, t.tv_nsec});
  };
  TFileTimes times;
  times.LastWrite = of(st.stx_mtime);
  times.LastAccess = of(st.stx_atime);
  times.Creation = (st.stx_mask & STATX_BTIME) ? of(st.stx_btime) : times.LastWrite;
  return times;
}

bool CopyFileTimes(int from, int to) {
  struct stat st {};
  if (::fstat(from, &st) != 0) return false;
  const timespec times[2] = {{0, UTIME_OMIT}, st.st_mtim};
  return ::futimens(to, times) == 0;
}

}  // namespace quenby
