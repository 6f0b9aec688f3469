#include "text/MesgDates.h"

#include <unicode/udat.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <memory>

namespace quenby {

namespace {

constexpr std::int64_t kUnixEpochDay = 25569;  // 1970-01-01 as a day number
constexpr std::int64_t kMsPerDay = 86400000;
constexpr double kLastDay = 2958465;  // 31 December 9999

struct TSplitDate {
  int Year, Month, Day, DayOfWeek;  // DayOfWeek 0 = Sunday
  int Hour, Minute, Second;
};

// The day is the integer part and the time the absolute fraction, also for
// dates before 1899 (whose values are negative).
// Values beyond the calendar's range read as day 0.
TSplitDate Split(TDateTime date) {
  if (!std::isfinite(date) || std::fabs(date) > kLastDay) date = 0;
  double dayPart = std::trunc(date);
  auto ms = static_cast<std::int64_t>(std::llround(std::fabs(date - dayPart) * kMsPerDay));
  if (ms >= kMsPerDay) {  // rounding reached midnight
    ms -= kMsPerDay;
    dayPart += date < 0 ? -1 : 1;
  }
  using namespace std::chrono;
  const sys_days days{std::chrono::days{static_cast<std::int64_t>(dayPart) - kUnixEpochDay}};
  const year_month_day ymd{days};
  const weekday dow{days};
  const auto seconds = ms / 1000;
  return {static_cast<int>(ymd.year()),
          static_cast<int>(static_cast<unsigned>(ymd.month())),
          static_cast<int>(static_cast<unsigned>(ymd.day())),
          static_cast<int>(dow.c_encoding()),
          static_cast<int>(seconds / 3600),
          static_cast<int>(seconds / 60 % 60),
          static_cast<int>(seconds % 60)};
}

struct TCloseFormat {
  void operator()(UDateFormat* format) const { udat_close(format); }
};
using TFormat = std::unique_ptr<UDateFormat, TCloseFormat>;

// The value is local wall time already, so it is formatted as UTC.
TFormat OpenFormat(UDateFormatStyle time, UDateFormatStyle date) {
  UErrorCode status = U_ZERO_ERROR;
  TFormat format(udat_open(time, date, nullptr, u"UTC", -1, nullptr, 0, &status));
  return U_FAILURE(status) ? nullptr : std::move(format);
}

std::u16string Format(UDateFormat* format, TDateTime date) {
  if (!format) return {};
  const UDate millis = (date - static_cast<double>(kUnixEpochDay)) * static_cast<double>(kMsPerDay);
  std::u16string out(64, u'\0');
  UErrorCode status = U_ZERO_ERROR;
  int32_t length =
      udat_format(format, millis, out.data(), static_cast<int32_t>(out.size()), nullptr, &status);
  if (status == U_BUFFER_OVERFLOW_ERROR) {
    out.resize(static_cast<std::size_t>(length));
    status = U_ZERO_ERROR;
    length = udat_format(format, millis, out.data(), length, nullptr, &status);
  }
  if (U_FAILURE(status)) return {};
  out.resize(static_cast<std::size_t>(length));
  return out;
}

}  // namespace

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second) {
  using namespace std::chrono;
  const sys_days days{year_month_day{std::chrono::year{year},
                                     std::chrono::month{static_cast<unsigned>(month)},
                                     std::chrono::day{static_cast<unsigned>(day)}}};
  const double dayNumber = static_cast<double>(days.time_since_epoch().count() + kUnixEpochDay);
  const double time = (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
  return dayNumber >= 0 ? dayNumber + time : dayNumber - time;
}

TDateTime UnixToLocalDateTime(std::int64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm local{};
  if (!localtime_r(&t, &local)) return 0;
  return EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                        local.tm_min, local.tm_sec);
}

std::u16string MesgDateToStr(TDateTimeDetails details, TDateTime date) {
  if (date == 0) return {};
  // ICU formats are not shareable between threads; one pair per thread.
  thread_local const TFormat longDate = OpenFormat(UDAT_NONE, UDAT_LONG);
  thread_local const TFormat shortTime = OpenFormat(UDAT_SHORT, UDAT_NONE);
  switch (details) {
    case ddOnlyDate: return Format(longDate.get(), date);
    case ddOnlyTime: return Format(shortTime.get(), date);
    case ddDateAndTime: break;
  }
  return Format(longDate.get(), date) + u" " + Format(shortTime.get(), date);
}

std::string MboxDateStr(TDateTime date) {
  static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const TSplitDate d = Split(date);
  char text[64];
  std::snprintf(text, sizeof text, "%s %s %2d %02d:%02d:%02d %4d", kDays[d.DayOfWeek],
                kMonths[d.Month - 1], d.Day, d.Hour, d.Minute, d.Second, d.Year);
  return text;
}

}  // namespace quenby
