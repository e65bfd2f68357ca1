#include "text/Dates.h"

#include <cstddef>
#include <cstdio>

#include "platform/Cp932.h"
#include "text/ShiftJisText.h"

namespace vorn {

namespace {

void AppendTwoDigits(std::string& out, int value) {
  char buf[16];
  int len = std::snprintf(buf, sizeof buf, "%.2d", value);
  out.append(buf, static_cast<size_t>(len));
}

// 0 = Sunday.
int Weekday(int year, int month, int day) {
  static constexpr int kMonthOffset[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (month < 3) --year;
  return (year + year / 4 - year / 100 + year / 400 + kMonthOffset[month - 1] + day) % 7;
}

}  // namespace

int DaysInMonth(int year, int month) {
  switch (month) {
    case 4:
    case 6:
    case 9:
    case 11:
      return 30;
    case 2:
      return ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0) ? 29 : 28;
    default:
      return 31;
  }
}

int32_t DateKey(int year, int month, int day, int hour, int minute, int second) {
  if (year < 1900) year += (year < 80) ? 2000 : 1900;
  int y = year - 1980;
  y = y < 0 ? 0 : (y > 50 ? 50 : y);
  month = month < 1 ? 1 : (month > 12 ? 12 : month);
  day = day < 1 ? 1 : (day > 31 ? 31 : day);
  hour = hour < 0 ? 0 : (hour > 23 ? 23 : hour);
  minute = minute < 0 ? 0 : (minute > 59 ? 59 : minute);
  second = second < 0 ? 0 : (second > 59 ? 59 : second);
  int d = day - 1;
  for (int m = 1; m < month; ++m)
    d += DaysInMonth(year, m);
  d = d < 0 ? 0 : (d > 365 ? 365 : d);
  return second + minute * 60 + hour * 3600 + d * 86400 + y * 31622400;
}

std::tm CurrentLocalTime() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}

std::string ExpandDatePlaceholders(std::string_view templ, const std::tm& when) {
  const int year = when.tm_year + 1900;
  const int month = when.tm_mon + 1;
  const int day = when.tm_mday;
  const int hour = when.tm_hour;
  const int minute = when.tm_min;
  const int second = when.tm_sec;
  // Computed from the date rather than trusted from tm_wday, which hand-built values leave 0.
  const int weekday = (year > 0 && month >= 1 && month <= 12 && day >= 1)
                          ? Weekday(year, month, day)
                          : ((when.tm_wday % 7) + 7) % 7;
  const int year2 = ((year % 100) + 100) % 100;

  std::string first;
  first.reserve(templ.size() + 16);
  const size_t n = templ.size();
  for (size_t i = 0; i < n;) {
    unsigned char c = static_cast<unsigned char>(templ[i]);
    if (IsLeadByte(c)) {
      size_t len = CharLengthAt(templ, i);
      first.append(templ.data() + i, len);
      i += len;
      continue;
    }
    if (c != '$') {
      first += static_cast<char>(c);
      ++i;
      continue;
    }
    if (i + 1 >= n) break;  // a closing '$' is dropped
    char code = templ[i + 1];
    size_t used = 2;
    char buf[48];
    switch (code) {
      case '$':
        first += '$';
        break;
      case 'Y':
        AppendTwoDigits(first, year2);
        break;
      case 'y': {
        int len = std::snprintf(buf, sizeof buf, "%.4d", year);
        first.append(buf, static_cast<size_t>(len));
        break;
      }
      case 'm':
        AppendTwoDigits(first, month);
        break;
      case 'd':
        AppendTwoDigits(first, day);
        break;
      case 'h':
        AppendTwoDigits(first, hour);
        break;
      case 'n':
        AppendTwoDigits(first, minute);
        break;
      case 's':
        AppendTwoDigits(first, second);
        break;
      case 't': {
        // The Japanese locale's short date and long time: 1999/07/30 9:05:03.
        int len = std::snprintf(buf, sizeof buf, "%.4d/%.2d/%.2d %d:%.2d:%.2d", year, month, day,
                                hour, minute, second);
        first.append(buf, static_cast<size_t>(len));
        break;
      }
      default:
        // An unknown code is dropped with the character after the '$', both bytes of it when
        // it is a double-byte one, so that no half character is left behind.
        if (IsLeadByte(code) && i + 2 < n) used = 3;
        break;
    }
    i += used;
  }

  static constexpr std::string_view kMonthNames[12] = {
      "january", "february", "march",     "april",   "may",      "june",
      "july",    "august",   "september", "october", "november", "december"};
  static constexpr std::string_view kWeekNames[7] = {"sunday",   "monday", "tuesday", "wednesday",
                                                     "thursday", "friday", "saturday"};
  static const std::string kWeekJapanese[7] = {Cp932("日"), Cp932("月"), Cp932("火"), Cp932("水"),
                                               Cp932("木"), Cp932("金"), Cp932("土")};

  auto twoDigits = [](int v) {
    std::string s;
    AppendTwoDigits(s, v);
    return s;
  };
  const std::string values[9] = {
      twoDigits(year2),
      twoDigits(month),
      (month >= 1 && month <= 12) ? std::string(kMonthNames[month - 1]) : std::string(),
      twoDigits(day),
      kWeekJapanese[weekday],
      std::string(kWeekNames[weekday]),
      twoDigits(hour),
      twoDigits(minute),
      twoDigits(second)};
  static constexpr std::string_view kPlaceholders[9] = {"%_YEAR_%", "%_MONTH_%", "%_month_%",
                                                        "%_DAY_%",  "%_WEEK_%",  "%_week_%",
                                                        "%_HOUR_%", "%_MIN_%",   "%_SEC_%"};
  for (int k = 0; k < 9; ++k) {
    // Each search starts again from the beginning; no value holds a placeholder, so it ends.
    for (size_t at = first.find(kPlaceholders[k]); at != std::string::npos;
         at = first.find(kPlaceholders[k]))
      first.replace(at, kPlaceholders[k].size(), values[k]);
  }
  return first;
}

}  // namespace vorn
