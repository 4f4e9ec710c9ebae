// coreapp's book checks on both backends: the demo database breaks none, and one
// violation of each kind, seeded into a fresh demo database, is the only one reported,
// with the bill (or stock item, or card) it concerns.
#include "schema/book_checks.h"

#include "schema_db_test.h"

namespace {

class BookChecks : public schematest::SchemaDb {};

SCHEMA_ON_BOTH_BACKENDS(BookChecks);

// "check | bill" per violation; with `detail`, the disagreeing figures too.
std::string listed(const std::vector<schema::BookViolation>& found, bool detail = false) {
  std::string text;
  for (const auto& v : found)
    text += v.check + " | " + v.bill + (detail ? " | " + v.detail : "") + "\n";
  return text;
}

TEST_P(BookChecks, TheDemoDatabasePassesAndEachSeededViolationIsFoundAlone) {
  open(true);
  EXPECT_EQ(listed(schema::checkBooks(*db), true), "");
  const std::string card = "select '0001', kh_id, id, ";
  const std::string vip = " from vt_b_khbmk_vip where code = 'VIP0001'";
  const std::string pay =
      "insert into vt_b_khbmk_vip_pay(orgid, kh_id, card_id, biztype, bizid, incje, decje) ";
  struct Seeded {
    const char* check;
    const char* bill;
    std::string seed;
  };
  const Seeded cases[] = {
      {"bill-without-lines vt_c_spjh", "0001 A1120202610060001",
       "delete from vt_c_spjh_mx where billno = 'A1120202610060001'"},
      {"lines-without-bill vt_f_zjzz", "0001 A1114209901010001",
       "insert into vt_f_zjzz_mx(uid, orgid, billno, je) values ('orphan', '0001', "
       "'A1114209901010001', 5)"},
      {"total-not-sum vt_x_xmzzk", "0001 A1100202610200001",
       "update vt_x_xmzzk set hjje = hjje + 0.01 where billno = 'A1100202610200001'"},
      {"total-not-sum vt_f_khsk",
       "0001 A1112202610150001",  // the reduction counts in a receipt's total
       "update vt_f_khsk set jmje = 5 where billno = 'A1112202610150001'"},
      {"write-off-without-bill vt_sys_hx_kh", "0001 A1112202611200001",
       "update vt_f_khsk set status = 0 where billno = 'A1112202611200001'"},
      {"write-off-of-missing-bill vt_sys_hx_kh", "0001 A1112202611200001",
       "update vt_sys_hx_kh set hxbillid = 999999 where billno = 'A1112202611200001'"},
      {"write-off-without-bill vt_sys_hx_gys", "0001 A1113209901010001",
       "insert into vt_sys_hx_gys(orgid, billno, biztype, hxbillid, hxbillno, bchx) select orgid, "
       "'A1113209901010001', '购货单', id, billno, 100 from vt_c_spjh where billno = "
       "'A1120202610060001'"},
      {"stock-not-journal", "0001 ck 1 sp SP001",
       "update vt_c_spkc set kcsl = kcsl - 1 where ck_id = 1 and sp_id = (select id from "
       "vt_b_spbmk where code = "
       "'SP001')"},
      {"stock-not-journal", "0001 ck 2 sp SP001",  // a journal movement with no stock row
       "insert into vt_c_spls(orgid, category, billno, ck_id, sp_id, sl, je) select '0001', "
       "'1120', "
       "'A1120209901010001', 2, id, 3, 30 from vt_b_spbmk where code = 'SP001'"},
      {"card-without-card", "0001 card 999999",
       pay + "select '0001', kh_id, 999999, '充值', 0, 10, 0" + vip},
      {"card-balance-negative", "0001 card VIP0001", pay + card + "'退卡', 0, 0, 1500" + vip},
      {"card-use-without-order", "0001 card VIP0001", pay + card + "'消费', 999999, 0, 10" + vip},
      {"card-use-not-settlement", "0001 A1100202610200001",
       pay + card +
           "'消费', (select id from vt_x_xmzzk where billno = 'A1100202610200001'), 0, 100" + vip},
  };
  for (const Seeded& c : cases) {
    open(true);
    schematest::run(*db, c.seed);
    const auto found = schema::checkBooks(*db);
    EXPECT_EQ(listed(found), std::string(c.check) + " | " + c.bill + "\n") << c.seed << "\n"
                                                                           << listed(found, true);
  }
}

}  // namespace
