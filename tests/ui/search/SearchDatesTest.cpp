#include "ui/search/USearchDates.h"

#include <gtest/gtest.h>

#include "foundation/UBaseUtils.h"

namespace vellomar {
namespace {

using std::chrono::day;
using std::chrono::month;
using std::chrono::year;

SearchDate date(int y, unsigned m, unsigned d) {
  return SearchDate(year(y), month(m), day(d));
}

// Sets the locale's short date format for one test.
class ShortDateFormat {
 public:
  explicit ShortDateFormat(const char* format) : saved_(displayLocale().shortDateFormat) {
    displayLocale().shortDateFormat = format;
  }
  ~ShortDateFormat() { displayLocale().shortDateFormat = saved_; }

 private:
  std::string saved_;
};

TEST(SearchDates, SpinStepsTable) {
  const struct {
    SearchDate from;
    DateStep step;
    SearchDate to;
  } cases[] = {
      {date(2000, 2, 28), DateStep::kDayUp, date(2000, 2, 29)},
      {date(2000, 3, 1), DateStep::kDayDown, date(2000, 2, 29)},
      {date(2001, 3, 31), DateStep::kMonthUp, date(2001, 4, 30)},
      {date(2001, 1, 31), DateStep::kMonthUp, date(2001, 2, 28)},
      {date(2004, 1, 30), DateStep::kMonthUp, date(2004, 2, 29)},
      // 2100 is no leap year.
      {date(2100, 1, 31), DateStep::kMonthUp, date(2100, 2, 28)},
      {date(2003, 12, 15), DateStep::kMonthUp, date(2004, 1, 15)},
      {date(2003, 12, 31), DateStep::kMonthUp, date(2004, 1, 31)},
      {date(2004, 3, 31), DateStep::kMonthDown, date(2004, 2, 29)},
      {date(2004, 1, 31), DateStep::kMonthDown, date(2003, 12, 31)},
      {date(2004, 1, 10), DateStep::kYearUp, date(2005, 1, 10)},
      {date(2003, 3, 10), DateStep::kYearUp, date(2004, 3, 10)},
      {date(2003, 2, 10), DateStep::kYearUp, date(2004, 2, 10)},
      {date(2099, 3, 10), DateStep::kYearUp, date(2100, 3, 10)},
      {date(2005, 2, 10), DateStep::kYearDown, date(2004, 2, 10)},
      {date(2004, 3, 10), DateStep::kYearDown, date(2003, 3, 10)},
      {date(2101, 2, 10), DateStep::kYearDown, date(2100, 2, 10)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(formatSearchDate(c.from));
    EXPECT_EQ(stepSearchDate(c.from, c.step), c.to);
  }
}

TEST(SearchDates, ParsesTheLocaleOrderWithTwoOrFourDigitYears) {
  const struct {
    const char* format;
    const char* text;
    std::optional<SearchDate> date;
  } cases[] = {
      {"%m/%d/%y", "1/31/00", date(2000, 1, 31)},
      {"%m/%d/%y", " 12/1/1999 ", date(1999, 12, 1)},
      // "79" is 2079, which has no 29 February.
      {"%m/%d/%y", "2/29/79", std::nullopt},
      {"%m/%d/%y", "6/15/80", date(1980, 6, 15)},
      {"%d.%m.%Y", "29.2.2000", date(2000, 2, 29)},
      {"%d.%m.%Y", "29.2.1900", std::nullopt},
      {"%d.%m.%Y", "31.4.2001", std::nullopt},
      {"%Y-%m-%d", "2024-02-29", date(2024, 2, 29)},
      {"%Y-%m-%d", "24-2-29", date(2024, 2, 29)},
      {"%d.%m.%Y", "1.1.999", std::nullopt},
      {"%d.%m.%Y", "1.1", std::nullopt},
      {"%d.%m.%Y", "1.1.2000.5", std::nullopt},
      {"%d.%m.%Y", "", std::nullopt},
      {"%d.%m.%Y", "today", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const ShortDateFormat format(c.format);
    EXPECT_EQ(parseSearchDate(c.text), c.date);
  }
}

TEST(SearchDates, FormatRoundTripsThroughParse) {
  for (const char* format : {"%m/%d/%y", "%d.%m.%Y", "%Y-%m-%d"}) {
    const ShortDateFormat locale(format);
    for (const SearchDate d : {date(1980, 1, 1), date(2000, 2, 29), date(2079, 12, 31)}) {
      EXPECT_EQ(parseSearchDate(formatSearchDate(d)), d) << format;
    }
  }
}

TEST(SearchDates, DosLimitsOnlyInsideTheDosYears) {
  EXPECT_EQ(dosDateLimit(date(1979, 12, 31)), 0u);
  EXPECT_EQ(dosDateLimit(date(1980, 1, 1)), 0x00210000u);
  EXPECT_EQ(dosDateLimit(date(2000, 2, 1)), EncodeDosDateTime({2000, 2, 1, 0, 0, 0}));
  EXPECT_EQ(dosDateLimit(date(2099, 12, 31)), EncodeDosDateTime({2099, 12, 31, 0, 0, 0}));
  EXPECT_EQ(dosDateLimit(date(2100, 1, 1)), 0u);
}

}  // namespace
}  // namespace vellomar
