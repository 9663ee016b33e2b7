#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vellomar {

// The dates of the search's "File date must be:" limits, as the more-options dialog shows,
// parses and steps them.
using SearchDate = std::chrono::year_month_day;

// Today in local time, date part only.
SearchDate todaysDate();

// The date in the locale's short date format.
std::string formatSearchDate(const SearchDate& date);
// Three numbers in the locale's order (day, month, year as its short date format has them),
// parted by anything but digits; a year of two digits is 1980..2079. None for anything else
// or a day the month does not have.
std::optional<SearchDate> parseSearchDate(std::string_view text);

enum class DateStep : uint8_t { kDayUp, kDayDown, kMonthUp, kMonthDown, kYearUp, kYearDown };

// One press of a day, month or year spin button. A month step lands on the same day of the
// next or previous month, cut to that month's length, except from December up and from January
// down, which move by 31 days; a year step moves by 366 days when the twelve months it crosses
// hold a 29 February, else by 365.
SearchDate stepSearchDate(const SearchDate& date, DateStep step);

// The DOS date-time of 00:00 of the date; 0 (no limit) for years before 1980 or after 2099.
uint32_t dosDateLimit(const SearchDate& date);

}  // namespace vellomar
