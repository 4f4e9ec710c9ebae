// Currency: half-even rounding at the fourth decimal from doubles, long doubles and
// texts; products and quotients rounded once; display patterns.
#include "core/currency.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "core/number_format.h"

namespace core {
namespace {

// Ties are decided on the decimal the double was written as, not its binary
// neighbour: 0.00005 is stored slightly above the tie and must still go to even.
TEST(CurrencyTest, FromDoubleRoundsHalfToEvenAtTheFourthDecimal) {
  // input and the expected ten-thousandths
  const std::pair<double, std::int64_t> cases[] = {
      {0.00005, 0}, {0.00015, 2}, {0.00025, 2}, {0.00035, 4}, {-0.00005, 0}, {-0.00015, -2},
      {-0.00025, -2}, {-0.00035, -4}, {1.23455, 12346}, {1.23465, 12346}, {0.00006, 1},
      {0.000149, 1}, {-0.000051, -1}, {2.675, 26750}, {123456789.12345, 1234567891234},
      {123456789.12355, 1234567891236}, {0.0, 0}, {-7.0, -70000}};
  for (const auto& [input, raw] : cases) {
    EXPECT_EQ(Currency::fromDouble(input).raw(), raw) << input;
    EXPECT_EQ(Currency::fromLongDouble(static_cast<long double>(input)).raw(), raw) << input;
  }
  EXPECT_EQ(Currency::fromLongDouble(0.00015L).raw(), 2);
  EXPECT_EQ(Currency::fromLongDouble(-0.00025L).raw(), -2);
}

TEST(CurrencyTest, ParseReadsPlainAndGroupedTexts) {
  const std::pair<const char*, std::int64_t> good[] = {
      {"12", 120000}, {" 7 ", 70000}, {"-3.14159", -31416}, {"1,234.5", 12345000}, {"0.00005", 0},
      {"0.00015", 2}, {"-0.00025", -2}, {"0.000250001", 3}, {"1.5e-4", 2}, {".5", 5000},
      {"+2", 20000}, {"1234.56785", 12345678}, {"1234.56795", 12345680}, {"-0", 0},
      {"007.10", 71000}, {"1,234,567.0001", 12345670001}};
  for (const auto& [text, raw] : good) {
    const auto c = Currency::parse(text);
    ASSERT_TRUE(c.has_value()) << text;
    EXPECT_EQ(c->raw(), raw) << text;
  }
  for (const char* bad : {"", "  ", "abc", "1.2.3", "12a", "1,,2", ",5", "-", "1e", "1e999", "¥5"})
    EXPECT_FALSE(Currency::parse(bad).has_value()) << bad;
}

// The price is not rounded before it is multiplied: 3 x 0.33335 = 1.00005, a tie
// that goes to 1.0000; rounding the price first (0.3334) would give 1.0002.
TEST(CurrencyTest, ProductsAndQuotientsAreRoundedOnce) {
  EXPECT_EQ((Currency::fromInt(3) * 0.33335L).raw(), 10000);
  EXPECT_EQ((Currency::fromInt(3) * static_cast<long double>(0.33335)).raw(), 10000);
  // 1.2345 x 0.9 = 1.11105 exactly; 0.9 as a double is a little above 0.9.
  EXPECT_EQ((Currency::fromRaw(12345) * static_cast<long double>(0.9)).raw(), 11110);
  EXPECT_EQ((Currency::fromRaw(12355) * 0.9L).raw(), 11120);  // 11119.5 -> even
  EXPECT_EQ((Currency::fromRaw(1) * 0.5L).raw(), 0);
  EXPECT_EQ((Currency::fromRaw(3) * 0.5L).raw(), 2);
  EXPECT_EQ((Currency::fromRaw(-3) * 0.5L).raw(), -2);
  // Quantity x sets x length x width as one factor: 12.5 x (2 x 1.5 x 0.3) = 11.25.
  EXPECT_EQ((Currency::fromRaw(125000) * (2.0L * 1.5L * 0.3L)).raw(), 112500);
  EXPECT_EQ((Currency::fromInt(1) / 3).raw(), 3333);
  EXPECT_EQ((Currency::fromInt(2) / 3).raw(), 6667);
  EXPECT_EQ((Currency::fromRaw(5) / 2).raw(), 2);
  EXPECT_EQ((Currency::fromRaw(7) / 2).raw(), 4);
  EXPECT_EQ((Currency::fromRaw(-7) / 2).raw(), -4);
  // no money value for NaN or amounts past the type's range
  EXPECT_THROW(Currency::fromDouble(std::nan("")), std::overflow_error);
  EXPECT_THROW(Currency::fromDouble(1e20), std::overflow_error);
  EXPECT_THROW(Currency::fromInt(1) * HUGE_VALL, std::overflow_error);
  EXPECT_EQ(Currency::fromDouble(900000000000.0).raw(), 9000000000000000);
}

TEST(CurrencyTest, RoundHalfEvenAtAnyPlaceAndShortestText) {
  EXPECT_DOUBLE_EQ(static_cast<double>(roundHalfEven(2.345L, 2)), 2.34);
  EXPECT_DOUBLE_EQ(static_cast<double>(roundHalfEven(2.355L, 2)), 2.36);
  EXPECT_DOUBLE_EQ(static_cast<double>(roundHalfEven(-2.345L, 2)), -2.34);
  EXPECT_DOUBLE_EQ(static_cast<double>(roundHalfEven(2.5L, 0)), 2.0);
  EXPECT_DOUBLE_EQ(static_cast<double>(roundHalfEven(3.5L, 0)), 4.0);
  EXPECT_DOUBLE_EQ(static_cast<double>(roundHalfEven(2.3449L, 2)), 2.34);
  // toString is the shortest plain text
  EXPECT_EQ(Currency::fromRaw(125000).toString(), "12.5");
  EXPECT_EQ(Currency::fromRaw(-1).toString(), "-0.0001");
  EXPECT_EQ(Currency::fromInt(3).toString(), "3");
  EXPECT_EQ(Currency().toString(), "0");
  EXPECT_EQ(Currency::fromRaw(-12345678901).toString(), "-1234567.8901");
}

TEST(CurrencyTest, FormatMoneyAndFloatsByDisplayPatterns) {
  const std::tuple<const char*, std::int64_t, const char*> cases[] = {
      {"0.0000", 12345678910, "1234567.8910"}, {"0.0000", -12345678910, "-1234567.8910"},
      {"0.0000", 0, "0.0000"}, {"0.00", 12345678910, "1234567.89"}, {"0.00", 50, "0.00"},
      {"0.00", 150, "0.02"}, {"0.00", 250, "0.02"}, {"0.00", -250, "-0.02"}, {"0.00", -40, "0.00"},
      {"0", 25000, "2"}, {"0", 35000, "4"}, {"0", 12345678910, "1234568"},
      {"#,0.00", 12345678910, "1,234,567.89"}, {"#,0.00", -12345678910, "-1,234,567.89"},
      {"#,0.00", 9999950, "1,000.00"}, {"#,0.00", 0, "0.00"}, {"#,0.00", 1230000, "123.00"},
      {"#,##0", 10000000, "1,000"}, {"¥,0.0000;¥-,0.0000", 12345678910, "¥1,234,567.8910"},
      {"¥,0.0000;¥-,0.0000", -12345678910, "¥-1,234,567.8910"}, {"¥,0.0000;¥-,0.0000", 0, "¥0.0000"},
      {"0.##", 15000, "1.5"}, {"0.##", 20000, "2"}, {"0.##", 12345, "1.23"},
      {"0.00;(0.00);零", -50000, "(5.00)"}, {"0.00;(0.00);零", 0, "零"},
      {"'合计：'0.00", 10000, "合计：1.00"}, {"0.00元", 10000, "1.00元"}};
  for (const auto& [pattern, raw, expected] : cases)
    EXPECT_EQ(Currency::fromRaw(raw).format(pattern), expected) << pattern << " " << raw;
  // floats go through the same patterns
  EXPECT_EQ(formatFloat(50.0, "0.00%"), "50.00%");
  EXPECT_EQ(formatFloat(0.125, "0.00"), "0.12");
  EXPECT_EQ(formatFloat(-1234.5, "#,0.00"), "-1,234.50");
  EXPECT_EQ(formatFloat(33.333333, "0.####"), "33.3333");
  EXPECT_EQ(formatFloat(-2.5, ""), "-2.5");
  EXPECT_EQ(Currency::fromRaw(10001).format(""), "1.0001");
}

}  // namespace
}  // namespace core
