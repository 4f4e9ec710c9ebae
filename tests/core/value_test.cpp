// Value conversions as the forms use them: "as integer, 0 when not a number",
// "as float, 1 when missing or not a number", the text of any value.
#include "core/value.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace core {
namespace {

TEST(ValueTest, AsIntegerIsZeroWhenNotANumber) {
  const std::pair<Value, std::int64_t> cases[] = {
      {Value(), 0}, {Value("12"), 12}, {Value(" 42 "), 42}, {Value("+5"), 5}, {Value("12.7"), 12},
      {Value("-12.7"), -12}, {Value("abc"), 0}, {Value(""), 0}, {Value("12abc"), 0},
      {Value(3.99), 3}, {Value(-3.99), -3}, {Value(true), 1}, {Value(false), 0},
      {Value(Currency::fromRaw(25000)), 2}, {Value(Currency::fromRaw(-25000)), -2},
      {Value(std::numeric_limits<double>::quiet_NaN()), 0}, {Value(1e300), 0}};
  for (const auto& [v, expected] : cases) EXPECT_EQ(v.asInteger(), expected) << v.asText();
}

TEST(ValueTest, AsFloatAndAsCurrencyFallBackWhenMissingOrNotANumber) {
  const std::pair<Value, double> cases[] = {
      {Value(), 1.0}, {Value("x"), 1.0}, {Value(""), 1.0}, {Value("0x10"), 1.0},
      {Value("inf"), 1.0}, {Value("nan"), 1.0}, {Value("2.5"), 2.5}, {Value(" -0.5 "), -0.5},
      {Value("1e3"), 1000.0}, {Value(3), 3.0}, {Value(0.0), 0.0}, {Value("0"), 0.0},
      {Value(Currency::fromRaw(12345)), 1.2345}, {Value(false), 0.0}};
  for (const auto& [v, expected] : cases) EXPECT_DOUBLE_EQ(v.asFloat(1.0), expected) << v.asText();
  EXPECT_DOUBLE_EQ(Value("x").asFloat(), 0.0);  // default fallback
  // as money: half to even at the fourth decimal, 0 when not a number
  const std::pair<Value, std::int64_t> money[] = {
      {Value(0.00015), 2}, {Value(0.00025), 2}, {Value("1,234.5"), 12345000},
      {Value("0.00035"), 4}, {Value("x"), 0}, {Value(7), 70000}, {Value(), 0}};
  for (const auto& [v, raw] : money) EXPECT_EQ(v.asCurrency().raw(), raw) << v.asText();
}

TEST(ValueTest, AsTextOfEveryType) {
  const std::pair<Value, const char*> cases[] = {
      {Value(), ""}, {Value(-3), "-3"}, {Value(12.5), "12.5"}, {Value(0.1), "0.1"},
      {Value(100.0), "100"}, {Value(Currency::fromRaw(125000)), "12.5"}, {Value(true), "True"},
      {Value(false), "False"}, {Value("中文"), "中文"},
      {Value(DateTime::fromParts(2024, 2, 29, 8, 5, 3)), "2024-02-29 08:05:03"}};
  for (const auto& [v, expected] : cases) EXPECT_EQ(v.asText(), expected);
  // Floats print in the shortest form that reads back to the same double.
  const double third = 1.0 / 3.0;
  EXPECT_EQ(std::stod(Value(third).asText()), third);
}

TEST(ValueTest, AsBoolAsDateTimeAndEquality) {
  for (const char* yes : {"true", "TRUE", " True ", "1", "yes"})
    EXPECT_TRUE(Value(yes).asBool()) << yes;
  for (const char* no : {"false", "no", "0", "", "2"}) EXPECT_FALSE(Value(no).asBool()) << no;
  EXPECT_TRUE(Value(2).asBool());
  EXPECT_FALSE(Value(0.0).asBool());
  EXPECT_FALSE(Value().asBool());

  EXPECT_EQ(Value("2024-02-29").asDateTime(), DateTime::fromParts(2024, 2, 29));
  EXPECT_EQ(Value("bad").asDateTime(), DateTime());
  EXPECT_EQ(Value(5).asDateTime(), DateTime());
  // equality compares type and value
  EXPECT_EQ(Value(), Value(nullptr));
  EXPECT_NE(Value(1), Value(1.0));
  EXPECT_NE(Value("1"), Value(1));
  EXPECT_EQ(Value(std::string_view("a")), Value("a"));
  EXPECT_EQ(Value(Currency()).type(), ValueType::Currency);
}

}  // namespace
}  // namespace core
