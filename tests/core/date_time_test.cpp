// DateTime: civil calendar arithmetic (month ends, leap years, dates before 1970),
// parse/format round trips and the replaceable clock.
#include "core/date_time.h"

#include <gtest/gtest.h>

namespace core {
namespace {

DateTime at(const char* text) {
  const auto d = DateTime::parse(text);
  EXPECT_TRUE(d.has_value()) << text;
  return d.value_or(DateTime());
}

TEST(DateTimeTest, AddMonthsClampsToTheMonthEnd) {
  const std::tuple<const char*, int, const char*> cases[] = {
      {"2024-01-31", 1, "2024-02-29"},  {"2023-01-31", 1, "2023-02-28"},
      {"2024-03-31", -1, "2024-02-29"}, {"2024-02-29", 12, "2025-02-28"},
      {"2024-02-29", 48, "2028-02-29"}, {"2023-12-15", 1, "2024-01-15"},
      {"2024-01-15", -1, "2023-12-15"}, {"2024-05-31", -15, "2023-02-28"},
      {"2024-08-31", 1, "2024-09-30"},  {"1900-01-31", 1, "1900-02-28"},
      {"2000-01-31", 1, "2000-02-29"},  {"2024-01-10", 0, "2024-01-10"},
  };
  for (const auto& [from, months, expected] : cases)
    EXPECT_EQ(at(from).addMonths(months).toDateString(), expected) << from << " + " << months;
  EXPECT_EQ(at("2000-02-29").addYears(1).toDateString(), "2001-02-28");
  EXPECT_EQ(at("2024-01-31 13:45:07.250").addMonths(1).toString(), "2024-02-29 13:45:07.250");
}

TEST(DateTimeTest, DayArithmeticAndParts) {
  // 2000-01-01 00:00 UTC is the well-known Unix time 946684800.
  EXPECT_EQ(DateTime::fromParts(2000, 1, 1).millis(), 946684800000);
  EXPECT_EQ(at("2024-02-28").addDays(1).toDateString(), "2024-02-29");
  EXPECT_EQ(at("2023-02-28").addDays(1).toDateString(), "2023-03-01");
  EXPECT_EQ(at("2024-12-31").addDays(1).toDateString(), "2025-01-01");
  EXPECT_EQ(at("2024-03-01").addDays(-1).toDateString(), "2024-02-29");
  EXPECT_EQ(at("2024-03-01 18:30").date().toString(), "2024-03-01 00:00:00");

  // One millisecond before the epoch: floor division, not truncation.
  const DateTime before = DateTime::fromMillis(-1);
  EXPECT_EQ(before.toSqlString(), "1969-12-31 23:59:59.999");
  EXPECT_EQ(before.date().toDateString(), "1969-12-31");

  const DateTime d = at("2024-02-29 13:05:09.007");  // a Thursday
  EXPECT_EQ((std::vector<int>{d.year(), d.month(), d.day(), d.hour(), d.minute(), d.second(),
                              d.millisecond(), d.dayOfWeek()}),
            (std::vector<int>{2024, 2, 29, 13, 5, 9, 7, 4}));
  EXPECT_EQ((std::vector<int>{at("2000-01-01").dayOfWeek(), at("2024-03-03").dayOfWeek(),
                              at("1969-12-29").dayOfWeek()}),
            (std::vector<int>{6, 7, 1}));
}

TEST(DateTimeTest, ParseAndFormatRoundTripAndRefuseTheImpossible) {
  const std::pair<const char*, const char*> cases[] = {
      {"2024-02-29 13:05:09", "2024-02-29 13:05:09"}, {"2024-02-29", "2024-02-29 00:00:00"},
      {"2024-02-29 13:05:09.007", "2024-02-29 13:05:09.007"},
      {"2024-02-29T13:05", "2024-02-29 13:05:00"}, {"2024-2-9 1:05", "2024-02-09 01:05:00"},
      {" 2024-02-29 13:05:09.5 ", "2024-02-29 13:05:09.500"},
      {"1999-12-31 23:59:59.9999", "1999-12-31 23:59:59.999"}};
  for (const auto& [text, expected] : cases) {
    const DateTime d = at(text);
    EXPECT_EQ(d.toString(), expected) << text;
    EXPECT_EQ(DateTime::parse(d.toString()), d) << text;
    EXPECT_EQ(DateTime::parse(d.toSqlString()), d) << text;
  }
  const DateTime d = at("2024-02-29 08:05:03");
  EXPECT_EQ(d.toSqlString(), "2024-02-29 08:05:03.000");
  EXPECT_EQ(d.toDateString(), "2024-02-29");
  EXPECT_EQ(d.toTimeString(), "08:05:03");
  // impossible dates and times are refused
  for (const char* bad : {"", "2023-02-29", "2024-13-01", "2024-00-10", "2024-01-32", "24-01-01",
                          "2024-01-01 24:00", "2024-01-01 10:60", "2024-01-01 10:00:60",
                          "2024-01-01x", "2024-01-01 10:00:00.", "2024/01/01", "today"})
    EXPECT_FALSE(DateTime::parse(bad).has_value()) << bad;
}

TEST(DateTimeTest, FormatByDatePatterns) {
  const DateTime d = at("2024-02-29 08:05:03.007");  // a Thursday
  const std::pair<const char*, const char*> cases[] = {
      {"日期：yyyy-mm-dd", "日期：2024-02-29"}, {"时间：tt", "时间：08:05:03"}, {"t", "08:05"},
      {"c", "2024-02-29 08:05:03"}, {"yy/m/d h:n:s", "24/2/29 8:5:3"},
      {"hh:mm", "08:05"},  // minutes right after an hour
      {"yyyy-mm-dd hh:nn:ss.zzz", "2024-02-29 08:05:03.007"}, {"YYYY-MM-DD", "2024-02-29"},
      {"ddd dddd", "周四 星期四"}, {"'yyyy' \"dd\" yyyy", "yyyy dd 2024"}};
  for (const auto& [pattern, expected] : cases) EXPECT_EQ(d.format(pattern), expected) << pattern;
}

TEST(DateTimeTest, NowComesFromTheReplaceableClock) {
  const DateTime pinned = DateTime::fromParts(2024, 5, 6, 7, 8, 9);
  DateTime::setClock([pinned] { return pinned; });
  EXPECT_EQ(DateTime::now(), pinned);
  DateTime::setClock({});
  EXPECT_GE(DateTime::now().year(), 2024);
  EXPECT_NE(DateTime::now(), pinned);
}

}  // namespace
}  // namespace core
