#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vorn {

// The time an article was posted, read back from its date key. The hosts' clocks ran on
// Japan time, so every form carries the +09:00 offset.
struct ArchiveDate {
  int Year = 1980;
  int Month = 1;
  int Day = 1;
  int Hour = 0;
  int Minute = 0;
  int Second = 0;
  // 0 Sunday .. 6 Saturday.
  int Weekday = 0;
};

// The date of a DateKey (seconds on the calendar of 366-day years from 1980); nullopt for a
// negative key (no time). A day past the end of a short year reads as its last day.
std::optional<ArchiveDate> DateFromKey(int32_t dateKey);

// 1999-07-30T12:34:00+09:00
std::string IsoDateText(const ArchiveDate& date);
// Fri, 30 Jul 1999 12:34:00 +0900 (the Date header of a message)
std::string MailDateText(const ArchiveDate& date);
// Fri Jul 30 12:34:00 1999 (the separator line of an mbox file)
std::string MboxDateText(const ArchiveDate& date);

}  // namespace vorn
