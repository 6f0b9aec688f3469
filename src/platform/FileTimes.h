#pragma once
// File times: FILETIME values (100-ns ticks since 1601-01-01 UTC, 0 =
// unknown), the old DOS date and time (local, two-second steps, 1980 to
// 2107, 0 = unknown) and date-time values (local days since 1899-12-30,
// 0 = unknown). Every conversion goes through the DOS form, so it rounds
// down to two seconds; a time outside the DOS range converts to unknown.
// Local time comes from localtime_r/mktime, safe on any thread.

#include <cstdint>
#include <ctime>
#include <string>

namespace quenby {

using TFileTime = std::uint64_t;
using TDosTime = std::uint32_t;  // date in the high half
using TDateTime = double;

TFileTime FileTimeFromTimespec(const timespec& time);  // 0 before 1601
timespec TimespecFromFileTime(TFileTime time);

TDosTime FileTimeToDosTime(TFileTime time);
TFileTime DosTimeToFileTime(TDosTime value);
TDateTime FileTimeToDateTime(TFileTime time);
// The date-time of b, or of a when b gives none.
TDateTime FirstFileTimeToDateTime(TFileTime a, TFileTime b);
TFileTime DateTimeToFileTime(TDateTime value);

struct TFileTimes {
  TFileTime Creation = 0;  // the birth time where the file system keeps one, else the write time
  TFileTime LastWrite = 0;
  TFileTime LastAccess = 0;
};
// All zero when the file cannot be examined.
TFileTimes ReadFileTimes(const std::string& path);

// Linux cannot set a birth time: the last-write time is copied, the access
// time left alone. False when either descriptor fails.
bool CopyFileTimes(int from, int to);

}  // namespace quenby
