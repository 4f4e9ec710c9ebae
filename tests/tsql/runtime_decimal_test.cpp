// Exact decimals: the digit arithmetic at its carries, borrows, signs and rounding
// edges, and the result types of decimal operators (precision capped at 38).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tsql/ast/decimal_type.h"
#include "tsql/ast/expr.h"
#include "tsql/ast/query.h"
#include "tsql/runtime/decimal.h"
#include "tsql/runtime/decimal_sort_key.h"
#include "tsql/runtime/decimal_value.h"
#include "tsql/runtime/value_conversion.h"

namespace {

using tsql::runtime::Decimal;

Decimal dec(const char* text) {
  auto d = Decimal::parse(text, true);
  EXPECT_TRUE(d.has_value()) << text;
  return d.value_or(Decimal());
}

TEST(Decimal, ParsesWhatCastAccepts) {
  EXPECT_EQ(dec(" -012.50 ").toText(), "-12.50");
  EXPECT_EQ(dec(".5").toText(), "0.5");
  EXPECT_EQ(dec("5.").toText(), "5");
  EXPECT_EQ(dec("-0.00").toText(), "0.00");  // no negative zero
  EXPECT_EQ(dec("1.5e3").toText(), "1500");
  EXPECT_EQ(dec("25e-4").toText(), "0.0025");
  for (const char* bad : {"", "-", ".", "1.2.3", "1,5", "12a", "$5"})
    EXPECT_FALSE(Decimal::parse(bad).has_value()) << bad;
  EXPECT_FALSE(Decimal::parse("1e5").has_value());  // no exponent in varchar to numeric
  EXPECT_EQ(Decimal::fromDouble(0.1)->toText(), "0.1");
  EXPECT_EQ(Decimal::fromInt(INT64_MIN).toText(), "-9223372036854775808");
  // Text of more digits than any decimal has is an overflow, not a long computation.
  EXPECT_THROW(tsql::runtime::decimalOfText(std::string(100, '9')), tsql::runtime::RuntimeError);
  EXPECT_EQ(tsql::runtime::decimalOfText("0000000000000000000000000000000000000000000000000000000000000000000000000000000000001.5")
                .toText(),
            "1.5");
}

TEST(Decimal, AddsSubtractsAndMultipliesExactly) {
  struct Case {
    const char *a, *b, *sum, *difference, *product;
  } cases[] = {
      {"999.99", "0.01", "1000.00", "999.98", "9.9999"},
      {"0.01", "999.99", "1000.00", "-999.98", "9.9999"},
      {"-5.5", "2.25", "-3.25", "-7.75", "-12.375"}, {"-5.5", "-2.25", "-7.75", "-3.25", "12.375"},
      {"1", "-1", "0", "2", "-1"},
      {"99999999999999999999999999999999999999", "1", "100000000000000000000000000000000000000",
       "99999999999999999999999999999999999998", "99999999999999999999999999999999999999"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " and " + c.b);
    EXPECT_EQ((dec(c.a) + dec(c.b)).toText(), c.sum);
    EXPECT_EQ((dec(c.a) - dec(c.b)).toText(), c.difference);
    EXPECT_EQ((dec(c.a) * dec(c.b)).toText(), c.product);
  }
}

TEST(Decimal, DividesCutAtTheScaleAndRoundsHalfAwayFromZero) {
  EXPECT_EQ(Decimal::divide(dec("10.0"), dec("3"), 6).toText(), "3.333333");
  EXPECT_EQ(Decimal::divide(dec("-2"), dec("3"), 6).toText(), "-0.666666");
  EXPECT_EQ(Decimal::divide(dec("1"), dec("0.008"), 2).toText(), "125.00");
  EXPECT_EQ(Decimal::remainder(dec("-10.5"), dec("3")).toText(), "-1.5");
  EXPECT_EQ(dec("2.345").rounded(2).toText(), "2.35");
  EXPECT_EQ(dec("-2.345").rounded(2).toText(), "-2.35");
  EXPECT_EQ(dec("9.995").rounded(2).toText(), "10.00");
  EXPECT_EQ(dec("0.0005").rounded(2).toText(), "0.00");
  EXPECT_EQ(dec("2.345").rounded(2, true).toText(), "2.34");  // half to even, as money rounds
  EXPECT_EQ(dec("2.3451").rounded(2, true).toText(), "2.35");
  EXPECT_EQ(dec("-2.355").rounded(2, true).toText(), "-2.36");
  EXPECT_EQ(dec("12.3456").truncated(1).toText(), "12.3");
  EXPECT_EQ(dec("0.05").integerDigits(), 0);
  EXPECT_EQ(dec("120.5").integerDigits(), 3);
}

tsql::ast::DataType typeOf(tsql::ast::TypeKind kind, int precision = 0, int scale = 0) {
  tsql::ast::DataType t;
  t.kind = kind;
  t.precision = precision;
  t.scale = scale;
  return t;
}

// Sort keys order as the numbers do, across signs, exponents, scales and digit runs
// that are prefixes of one another; equal values written differently share a key.
TEST(Decimal, SortKeysOrderAsTheValues) {
  using tsql::runtime::decimalSortKey;
  const char* ascending[] = {"-100000000000000000000", "-12345678901234567890.25", "-9.5", "-5", "-0.5",
                             "-0.123", "-0.12", "-0.0015", "0", "0.001", "0.0015", "0.12", "0.123", "1",
                             "9.99", "10", "9999999999999999999.5", "12345678901234567890.1",
                             "99999999999999999999999999999999999999"};
  for (std::size_t i = 1; i < std::size(ascending); ++i)
    EXPECT_LT(decimalSortKey(dec(ascending[i - 1])), decimalSortKey(dec(ascending[i])))
        << ascending[i - 1] << " < " << ascending[i];
  EXPECT_EQ(decimalSortKey(dec("12.5000")), decimalSortKey(dec("12.5")));
  EXPECT_EQ(decimalSortKey(dec("-0.00")), decimalSortKey(dec("0")));
}

TEST(DecimalType, ResultPrecisionAndScale) {
  using tsql::ast::BinaryOp;
  using tsql::ast::TypeKind;
  auto d = [](int p, int s) { return typeOf(TypeKind::Decimal, p, s); };
  struct Case {
    BinaryOp op;
    tsql::ast::DataType l, r;
    int precision, scale;
  } cases[] = {
      {BinaryOp::Div, d(3, 1), typeOf(TypeKind::Int, 1), 8, 6},  // 10.0 / 3
      {BinaryOp::Div, d(3, 1), typeOf(TypeKind::Int), 14, 12},   // 10.0 / an int variable
      {BinaryOp::Add, d(38, 2), typeOf(TypeKind::Int), 38, 2},   // the whole part keeps 36 digits
      {BinaryOp::Add, d(5, 2), d(7, 4), 8, 4}, {BinaryOp::Mul, d(5, 2), d(7, 4), 13, 6},
      {BinaryOp::Mul, d(30, 20), d(30, 20), 38, 17},  // whole part under 32: keeps its 21 digits
      {BinaryOp::Mul, d(30, 10), d(30, 10), 38, 6},   // whole part of 41: six decimals
      {BinaryOp::Div, d(38, 10), d(38, 10), 38, 6},
      {BinaryOp::Mul, typeOf(TypeKind::Money), d(2, 1), 22, 5},
      {BinaryOp::Mod, d(5, 1), typeOf(TypeKind::Int, 1), 2, 1},
  };
  for (const auto& c : cases) {
    tsql::ast::DataType t = tsql::ast::decimalResult(c.op, c.l, c.r);
    SCOPED_TRACE(std::to_string(static_cast<int>(c.op)) + " on decimal(" + std::to_string(c.l.precision) +
                 "," + std::to_string(c.l.scale) + ")");
    EXPECT_EQ(t.precision, c.precision);
    EXPECT_EQ(t.scale, c.scale);
  }
  EXPECT_EQ(tsql::ast::decimalAggregate(true, d(5, 1)).scale, 6);
  EXPECT_EQ(tsql::ast::decimalAggregate(false, d(5, 1)).precision, 38);
}

}  // namespace
