#pragma once
// Message dates: floating-point days since 30 December 1899 in local time,
// the fraction being the time of day; 0 means "no date".

#include <cstdint>
#include <string>

namespace quenby {

using TDateTime = double;

enum TDateTimeDetails { ddDateAndTime, ddOnlyDate, ddOnlyTime };

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second);
// Seconds since 1970 (UTC) as local time.
TDateTime UnixToLocalDateTime(std::int64_t seconds);

// The screen form in the user's locale: long date, short time, or both
// joined by a space; "" for 0.
std::u16string MesgDateToStr(TDateTimeDetails details, TDateTime date);
// The date of a mailbox "From " line, English names whatever the locale:
// "Sun Jan  5 09:03:07 2003".
std::string MboxDateStr(TDateTime date);

}  // namespace quenby
