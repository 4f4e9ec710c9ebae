// Line arithmetic of project orders: amount from price in its area, size-free and
// minimum-charge variants, price back from a typed amount, zero divisors and staff
// shares. Expected figures are worked out by hand. (Consumables and product amounts
// are checked through the order editor, OrderLines.)
#include <gtest/gtest.h>

#include "plugs/coreapp/xmzzk/line_pricing.h"

namespace {

using core::Currency;
using plugs::coreapp::xmzzk::LineFigures;
using plugs::coreapp::xmzzk::LinePricing;

Currency money(const char* text) { return *Currency::parse(text); }

struct AmountCase {
  const char* name;
  LineFigures in;
  const char* je;           // expected amount
  std::optional<double> k;  // expected k afterwards
};

class AmountFromPrice : public testing::TestWithParam<AmountCase> {};

TEST_P(AmountFromPrice, FollowsPriceQuantitySizeAndDivisor) {
  LineFigures f = GetParam().in;
  LinePricing::amountFromPrice(f);
  EXPECT_EQ(f.je, money(GetParam().je)) << f.je.toString();
  EXPECT_EQ(f.k, GetParam().k);
}

LineFigures line(const char* dj, double sl, double n, double x, double y, double zk,
                 std::optional<double> k, const char* jjfs, bool minje = false) {
  LineFigures f;
  f.dj = money(dj);
  f.sl = sl;
  f.n = n;
  f.x = x;
  f.y = y;
  f.zk = zk;
  f.k = k;
  f.jjfs = jjfs;
  f.minje = minje;
  return f;
}

INSTANTIATE_TEST_SUITE_P(
    Variants, AmountFromPrice,
    testing::Values(
        // 500 × 2 × 1.5 × 2 = 3000, over k 1000.
        AmountCase{"area_k1000", line("500", 2, 1, 1.5, 2, 1, 1000.0, "是"), "3", 1000.0},
        // null k becomes 1: 10 × 2 × 3 = 60.
        AmountCase{"area_null_k", line("10", 2, 3, 1, 1, 1, std::nullopt, "是"), "60", 1.0},
        // k = 0 divides by nothing: 10 × 2 × 3 = 60, k stays 0.
        AmountCase{"area_k0", line("10", 1, 1, 2, 3, 1, 0.0, "是"), "60", 0.0},
        // an empty jjfs counts as area pricing for the amount: 10 × 2 × 1 / 1.
        AmountCase{"empty_jjfs_is_area", line("10", 1, 1, 2, 1, 1, std::nullopt, ""), "20", 1.0},
        // "否": size ignored, 10 × 2 × 0.5 = 10 whatever x, y; k untouched.
        AmountCase{"size_ignored", line("10", 2, 1, 3, 4, 0.5, std::nullopt, "否"), "10",
                   std::nullopt},
        // "否" divides the rounded product: 0.0001 × 0.4 rounds to 0, stays 0.
        AmountCase{"size_ignored_rounds_first", line("0.0001", 1, 1, 0.4, 1, 1, 5.0, "否"), "0",
                   5.0},
        // "否" with zero size: the product is 0, the division is skipped.
        AmountCase{"size_ignored_zero_size", line("10", 2, 1, 0, 4, 1, std::nullopt, "否"), "0",
                   std::nullopt},
        // discount: 12.5 × 3 × 2 × 0.85 = 63.75.
        AmountCase{"discount", line("12.5", 3, 2, 1, 1, 0.85, 1.0, "否"), "63.75", 1.0},
        // k divides to four places: 1 × 1 / 3 = 0.33333 -> 0.3333.
        AmountCase{"k_rounds", line("1", 1, 1, 1, 1, 1, 3.0, "是"), "0.3333", 3.0},
        // minimum charge: 50 × 0.4 = 20 raised to 50; without the flag it stays 20.
        AmountCase{"minimum_charge", line("50", 0.4, 1, 1, 1, 1, 1.0, "否", true), "50", 1.0},
        AmountCase{"no_minimum_charge", line("50", 0.4, 1, 1, 1, 1, 1.0, "否"), "20", 1.0},
        // minimum charge leaves a larger amount alone: 50 × 3 = 150.
        AmountCase{"minimum_below_amount", line("50", 3, 1, 1, 1, 1, 1.0, "否", true), "150", 1.0}),
    [](const testing::TestParamInfo<AmountCase>& info) { return info.param.name; });

struct PriceCase {
  const char* name;
  LineFigures in;
  const char* je;  // typed amount
  const char* dj;  // expected price
};

class PriceFromAmount : public testing::TestWithParam<PriceCase> {};

TEST_P(PriceFromAmount, GivesPriceWithoutTouchingAmount) {
  LineFigures f = GetParam().in;
  f.je = money(GetParam().je);
  LinePricing::priceFromAmount(f);
  EXPECT_EQ(f.dj, money(GetParam().dj)) << f.dj.toString();
  EXPECT_EQ(f.je, money(GetParam().je));
}

INSTANTIATE_TEST_SUITE_P(
    Variants, PriceFromAmount,
    testing::Values(
        // 3 × 1000 / (2 × 1 × 1.5 × 2 × 1) = 500.
        PriceCase{"area_k1000", line("0", 2, 1, 1.5, 2, 1, 1000.0, "是"), "3", "500"},
        // null k counts as 1: 60 / 6 = 10.
        PriceCase{"area_null_k", line("0", 2, 3, 1, 1, 1, std::nullopt, "是"), "60", "10"},
        // not "是": size ignored, 100 / (4 × 1 × 0.5) = 50.
        PriceCase{"size_ignored", line("0", 4, 1, 3, 7, 0.5, 1.0, "否"), "100", "50"},
        // an empty jjfs is not "是" here: 20 / 1 = 20, x = 2 ignored.
        PriceCase{"empty_jjfs_not_area", line("0", 1, 1, 2, 1, 1, 1.0, ""), "20", "20"},
        // 10 / 3 rounds to 3.3333.
        PriceCase{"rounds", line("0", 3, 1, 1, 1, 1, 1.0, "否"), "10", "3.3333"},
        // zero quantity or discount: the price stays as it was.
        PriceCase{"zero_quantity", line("7.5", 0, 1, 1, 1, 1, 1.0, "否"), "10", "7.5"},
        PriceCase{"zero_discount_area", line("7.5", 1, 1, 1, 1, 0, 1.0, "是"), "10", "7.5"},
        PriceCase{"zero_size_area", line("7.5", 1, 1, 0, 1, 1, 1.0, "是"), "10", "7.5"}),
    [](const testing::TestParamInfo<PriceCase>& info) { return info.param.name; });

TEST(LinePricingRoundTrip, TypedAmountThenQuantityChangeRecomputesFromNewPrice) {
  // A typed amount gives the price; a later quantity change recomputes the amount
  // from that price, not from the typed amount.
  LineFigures f = line("0", 2, 1, 1, 1, 1, 1.0, "否");
  f.je = money("25");
  LinePricing::priceFromAmount(f);
  EXPECT_EQ(f.dj, money("12.5"));
  f.sl = 3;
  LinePricing::amountFromPrice(f);
  EXPECT_EQ(f.je, money("37.5"));
}

TEST(StaffShares, LimitAllowsThirdsRefusesOverHundredAndAmountIsTheShare) {
  EXPECT_FALSE(LinePricing::sharesExceedLimit(33.3333 + 33.3333 + 33.3333));
  EXPECT_FALSE(LinePricing::sharesExceedLimit(100.0));
  EXPECT_FALSE(LinePricing::sharesExceedLimit(100.001));
  EXPECT_TRUE(LinePricing::sharesExceedLimit(100.0011));
  EXPECT_TRUE(LinePricing::sharesExceedLimit(60.0 + 50.0));
  // A staff amount is the share of the line amount, rounded like the money type.
  EXPECT_EQ(LinePricing::staffAmount(money("100"), 33.3333), money("33.3333"));
  // 99.99 × 33.3333 / 100 = 33.32996667 -> 33.33.
  EXPECT_EQ(LinePricing::staffAmount(money("99.99"), 33.3333), money("33.33"));
  EXPECT_EQ(LinePricing::staffAmount(money("80"), 0), money("0"));
}

}  // namespace
