// The customer's price of a service item on the embedded database: quantity tiers
// with inclusive bounds beat every customer price; agreement, member-level and list
// prices by the customer's price type. Prices are those of xmzzk_session.h.
#include <gtest/gtest.h>

#include "plugs/coreapp/xmzzk/publicfunc.h"
#include "xmzzk_session.h"

namespace {

using core::Currency;
using plugs::coreapp::xmzzk::getkhxyj;

class PriceLookup : public xmzzk_test::OrderSession {};

// C004 has an empty price type and an agreement of 17 for XM001; C005 a type of its own.
TEST_F(PriceLookup, TiersBeatCustomerPricesThenAgreementMemberLevelOrListPrice) {
  rows(
      "insert into vt_b_khbmk(orgid, code, name, xyjlx) values ('0001', 'C004', '散客', '')\n"
      "insert into vt_b_khxyj(orgid, kh_id, xm_id, dj) values ('0001', 4, 1, 17)\n"
      "insert into vt_b_khbmk(orgid, code, name, xyjlx) values ('0001', 'C005', '特价客户', "
      "'特价')");
  const struct {
    std::int64_t kh, xm;
    double sl;
    const char* dj;
    const char* why;
  } cases[] = {
      {1, 2, 1, "28", "lower bound of tier 1-4 (agreement 27 loses)"},
      {1, 2, 4, "28", "upper bound of tier 1-4"},
      {1, 2, 5, "25", "lower bound of tier 5-9"},
      {1, 2, 9, "25", "upper bound of tier 5-9"},
      {1, 2, 10, "20", "open-ended tier"},
      {1, 2, 4.5, "27", "between tiers: the agreement price"},
      {1, 2, 0.5, "27", "below every tier: the agreement price"},
      {2, 2, 4.5, "30", "between tiers, member level without a level price: list price"},
      {1, 1, 1, "18", "agreement price of C001"},
      {2, 1, 1, "16", "member level 1 price"},
      {3, 1, 1, "20", "member level 2 has no price: list price"},
      {99, 1, 1, "20", "unknown customer counts as agreement type: list price"},
      {1, 3, 1, "50", "no agreement for the item: list price"},
      {4, 1, 1, "17", "empty price type: its agreement price, not the list 20"},
      {4, 3, 1, "50", "empty price type, no agreement: the list price"},
      {5, 1, 1, "20", "another price type falls back to the list price"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(getkhxyj(c.kh, c.xm, c.sl), *Currency::parse(c.dj)) << c.why;
}

}  // namespace
