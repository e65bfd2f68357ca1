#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace vorn {

// Month numbers outside 1-12 count as 31-day months.
int DaysInMonth(int year, int month);
// Seconds on a calendar of 366-day years from 1980 (years up to 2030); only ever compared.
// Years below 1900 are two-digit years (below 80: 20xx).
int32_t DateKey(int year, int month, int day, int hour, int minute, int second);

// Dollar codes ($Y $y $m $d $h $n $s $t $$) and the %_YEAR_%-style placeholders for the
// moment `when` (its year, month, day, hour, minute and second; the weekday is computed from
// the date).
std::string ExpandDatePlaceholders(std::string_view templ, const std::tm& when);
// The current local time, for ExpandDatePlaceholders.
std::tm CurrentLocalTime();

}  // namespace vorn
