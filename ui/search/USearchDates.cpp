#include "ui/search/USearchDates.h"

#include <array>
#include <ctime>
#include <vector>

#include "foundation/UBaseUtils.h"

namespace vellomar {

namespace {

using namespace std::chrono;

bool isLeap(int year) {
  return std::chrono::year(year).is_leap();
}

int yearOf(const SearchDate& date) {
  return static_cast<int>(date.year());
}

unsigned monthOf(const SearchDate& date) {
  return static_cast<unsigned>(date.month());
}

SearchDate addDays(const SearchDate& date, int days) {
  return SearchDate(sys_days(date) + std::chrono::days(days));
}

// The same day in another month, cut to that month's length.
SearchDate sameDayIn(int year, unsigned month, unsigned day) {
  const unsigned last = static_cast<unsigned>(
      year_month_day_last(std::chrono::year(year), month_day_last(std::chrono::month(month)))
          .day());
  return SearchDate(std::chrono::year(year), std::chrono::month(month),
                    std::chrono::day(day < last ? day : last));
}

// Whether the twelve months after the date hold a 29 February.
bool leapDayAhead(const SearchDate& date) {
  const int y = yearOf(date);
  return monthOf(date) <= 2 ? isLeap(y) : isLeap(y + 1);
}

// Whether the twelve months before the date hold a 29 February.
bool leapDayBehind(const SearchDate& date) {
  const int y = yearOf(date);
  return monthOf(date) <= 2 ? isLeap(y - 1) : isLeap(y);
}

// Runs of digits in text; none when there are more than three.
std::vector<std::string_view> digitRuns(std::string_view text) {
  std::vector<std::string_view> runs;
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] < '0' || text[i] > '9') {
      ++i;
      continue;
    }
    const size_t start = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    runs.push_back(text.substr(start, i - start));
  }
  return runs;
}

int numberOf(std::string_view digits) {
  int value = 0;
  for (const char c : digits) value = value * 10 + (c - '0');
  return value;
}

}  // namespace

SearchDate todaysDate() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return SearchDate(std::chrono::year(local.tm_year + 1900),
                    std::chrono::month(static_cast<unsigned>(local.tm_mon + 1)),
                    std::chrono::day(static_cast<unsigned>(local.tm_mday)));
}

std::string formatSearchDate(const SearchDate& date) {
  std::tm tm{};
  tm.tm_year = yearOf(date) - 1900;
  tm.tm_mon = static_cast<int>(monthOf(date)) - 1;
  tm.tm_mday = static_cast<int>(static_cast<unsigned>(date.day()));
  tm.tm_wday = weekday(sys_days(date)).c_encoding();
  std::array<char, 128> text{};
  const size_t length =
      std::strftime(text.data(), text.size(), displayLocale().shortDateFormat.c_str(), &tm);
  return std::string(text.data(), length);
}

std::optional<SearchDate> parseSearchDate(std::string_view text) {
  const std::vector<std::string_view> runs = digitRuns(text);
  if (runs.size() != 3) return std::nullopt;
  std::string_view day, month, year;
  switch (dateOrderOf(displayLocale().shortDateFormat)) {
    case 0:
      month = runs[0], day = runs[1], year = runs[2];
      break;
    case 1:
      year = runs[0], month = runs[1], day = runs[2];
      break;
    default:
      day = runs[0], month = runs[1], year = runs[2];
      break;
  }
  if (day.size() > 2 || month.size() > 2 || (year.size() != 2 && year.size() != 4)) {
    return std::nullopt;
  }
  int y = numberOf(year);
  if (year.size() == 2) y += y < 80 ? 2000 : 1900;
  const SearchDate date(std::chrono::year(y), std::chrono::month(numberOf(month)),
                        std::chrono::day(numberOf(day)));
  if (!date.ok()) return std::nullopt;
  return date;
}

SearchDate stepSearchDate(const SearchDate& date, DateStep step) {
  const int y = yearOf(date);
  const unsigned m = monthOf(date);
  const unsigned d = static_cast<unsigned>(date.day());
  switch (step) {
    case DateStep::kDayUp:
      return addDays(date, 1);
    case DateStep::kDayDown:
      return addDays(date, -1);
    case DateStep::kMonthUp:
      return m == 12 ? addDays(date, 31) : sameDayIn(y, m + 1, d);
    case DateStep::kMonthDown:
      return m == 1 ? addDays(date, -31) : sameDayIn(y, m - 1, d);
    case DateStep::kYearUp:
      return addDays(date, leapDayAhead(date) ? 366 : 365);
    case DateStep::kYearDown:
      return addDays(date, leapDayBehind(date) ? -366 : -365);
  }
  return date;
}

uint32_t dosDateLimit(const SearchDate& date) {
  const int y = yearOf(date);
  if (y < 1980 || y > 2099) return 0;
  return EncodeDosDateTime({static_cast<uint16_t>(y), static_cast<uint16_t>(monthOf(date)),
                            static_cast<uint16_t>(static_cast<unsigned>(date.day())), 0, 0, 0});
}

}  // namespace vellomar
