#include "archive/ArchiveDate.h"

#include <cstdio>

#include "text/Dates.h"

namespace vorn {
namespace {

constexpr int32_t kSecondsPerDay = 86400;
constexpr int32_t kSecondsPerYear = 366 * kSecondsPerDay;

const char* const kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Days from 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int year, int month, int day) {
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yoe = year - era * 400;
  const int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

}  // namespace

std::optional<ArchiveDate> DateFromKey(int32_t dateKey) {
  if (dateKey < 0) return std::nullopt;
  ArchiveDate date;
  date.Year = 1980 + dateKey / kSecondsPerYear;
  int32_t rest = dateKey % kSecondsPerYear;
  int dayOfYear = rest / kSecondsPerDay;
  rest %= kSecondsPerDay;
  date.Hour = rest / 3600;
  date.Minute = rest / 60 % 60;
  date.Second = rest % 60;
  int month = 1;
  while (month < 12 && dayOfYear >= DaysInMonth(date.Year, month)) {
    dayOfYear -= DaysInMonth(date.Year, month);
    ++month;
  }
  const int lastDay = DaysInMonth(date.Year, month);
  date.Month = month;
  date.Day = dayOfYear + 1 > lastDay ? lastDay : dayOfYear + 1;
  const int64_t days = DaysFromCivil(date.Year, date.Month, date.Day);
  date.Weekday = static_cast<int>(((days % 7) + 7 + 4) % 7);  // 1970-01-01 was a Thursday
  return date;
}

std::string IsoDateText(const ArchiveDate& d) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d+09:00", d.Year, d.Month, d.Day,
                d.Hour, d.Minute, d.Second);
  return buf;
}

std::string MailDateText(const ArchiveDate& d) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%s, %02d %s %04d %02d:%02d:%02d +0900", kWeekdays[d.Weekday],
                d.Day, kMonths[d.Month - 1], d.Year, d.Hour, d.Minute, d.Second);
  return buf;
}

std::string MboxDateText(const ArchiveDate& d) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%s %s %2d %02d:%02d:%02d %04d", kWeekdays[d.Weekday],
                kMonths[d.Month - 1], d.Day, d.Hour, d.Minute, d.Second, d.Year);
  return buf;
}

}  // namespace vorn
