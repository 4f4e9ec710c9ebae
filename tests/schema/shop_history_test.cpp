// The shop history: the same scale and seed give the same rows, another seed others;
// the volumes follow the scale; the rows are ones the engine reads as its own (money,
// dates, the order view) beside the demo data. Its orders' uids start with "O".
#include "schema/shop_history.h"

#include "schema/book_checks.h"
#include "schema_db_test.h"

namespace {

using schematest::scalar;

// A small shop: two years of 730 orders and 20 new customers a year.
std::string smallShop(std::uint32_t seed, bool demo) {
  auto path = schematest::freshPath("shop");
  db::EmbeddedConnection c(path);
  schema::createDatabase(c, demo);
  schema::addShopHistory(c, {2, 730, 20, seed});
  return path;
}

// Counts and money totals of the order tables, as one line.
std::string fingerprint(const std::string& path) {
  db::EmbeddedConnection c(path);
  return scalar(c, "select cast(count(*) as varchar(20)) + '/' + cast(sum(hjje) as varchar(30)) + '/' + "
                   "cast(max(billdate) as varchar(30)) from vt_x_xmzzk")
             .asText() +
         "|" + scalar(c, "select cast(count(*) as varchar(20)) + '/' + cast(sum(je) as varchar(30)) from vt_x_xmzzk_mx")
                   .asText() +
         "|" + scalar(c, "select count(*) from vt_x_xmzzk_mx_hc").asText();
}

TEST(ShopHistory, SameSeedSameRowsOtherSeedOthers) {
  std::string a = smallShop(7, false), b = smallShop(7, false), c = smallShop(8, false);
  EXPECT_EQ(fingerprint(a), fingerprint(b));
  EXPECT_NE(fingerprint(a), fingerprint(c));
  for (const auto& p : {a, b, c}) schematest::removeFile(p);
}

TEST(ShopHistory, VolumesFollowTheScaleBesideTheDemoData) {
  std::string path = smallShop(7, true);
  db::EmbeddedConnection c(path);
  std::int64_t orders = scalar(c, "select count(*) from vt_x_xmzzk where uid like 'O%'").asInteger();
  EXPECT_GE(orders, 2 * 730 * 3 / 4);
  EXPECT_LE(orders, 2 * 730 * 5 / 4);
  std::int64_t lines = scalar(c, "select count(*) from vt_x_xmzzk_mx where uid like 'O%'").asInteger();
  EXPECT_GE(lines, orders * 3);  // 1 to 7 lines an order
  EXPECT_LE(lines, orders * 5);
  EXPECT_EQ(scalar(c, "select count(*) from vt_x_xmzzk_mx_zzry where uid like 'ZO%'").asInteger(), lines);
  EXPECT_EQ(scalar(c, "select count(*) from vt_b_khbmk where code like 'K%'").asInteger(), 40);
  // every order's total is the sum of its lines, its customer and store are real rows
  EXPECT_EQ(scalar(c, "select count(*) from vt_x_xmzzk h where uid like 'O%' and hjje <> (select sum(je) from "
                      "vt_x_xmzzk_mx l where l.orgid = h.orgid and l.billno = h.billno)")
                .asInteger(),
            0);
  EXPECT_EQ(scalar(c, "select count(*) from vt_v_xmzzk where kh_name is null or ck_name is null").asInteger(), 0);
  EXPECT_GT(scalar(c, "select count(*) from vt_x_xmzzk where billdate >= '2026-11-01' and billdate < '2026-12-01'")
                .asInteger(),
            0);
  EXPECT_EQ(scalar(c, "select name from vt_b_ygbmk where id = 1").asText(), "王敏");  // the demo data stays
  schematest::removeFile(path);
}

// The books hold on a history with and without the demo data beside it: every card
// settlement has its card ledger row, topped up before it so no card goes below zero.
TEST(ShopHistory, PassesTheBookChecks) {
  for (bool demo : {true, false}) {
    std::string path = smallShop(7, demo);
    {
      db::EmbeddedConnection c(path);
      for (const schema::BookViolation& v : schema::checkBooks(c))
        ADD_FAILURE() << (demo ? "demo: " : "") << v.check << " " << v.bill << " " << v.detail;
      EXPECT_GT(
          scalar(c, "select count(*) from vt_b_khbmk_vip_pay where biztype = '消费' and bizid > 0")
              .asInteger(),
          100);
      // the running balance of every card, ledger row by row, never drops below zero
      EXPECT_EQ(scalar(c,
                       "select count(*) from vt_b_khbmk_vip_pay p where (select sum(q.incje) - "
                       "sum(q.decje) from "
                       "vt_b_khbmk_vip_pay q where q.card_id = p.card_id and q.id <= p.id) < 0")
                    .asInteger(),
                0);
    }
    schematest::removeFile(path);
  }
}

}  // namespace
