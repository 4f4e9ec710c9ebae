// The bill tables and their totals are those the save batches write (each bill
// editor refuses a bill without lines and recomputes its total in the save). A total
// still NULL is a bill no editor has saved yet (a loss and gain bill made by stocktake
// processing), so it is not compared, nor is a voided order's (voiding sets it to 0).
// Stock is compared per store and goods item, in quantity and value; a member card's
// balance is kept nowhere but its ledger, so the ledger is checked against what it must
// agree with: the orders' card settlements.
#include "schema/book_checks.h"

#include <stdexcept>

namespace schema {
namespace {

struct BillTable {
  const char* table;
  const char* total;        //!< total column, nullptr when the bill keeps none
  const char* lineSum;      //!< the sum the save writes into it, over lines `m`
  const char* fromHead;     //!< what the save adds from the header `h`
  const char* exempt = "";  //!< headers whose total is not compared
};

// clang-format off
const BillTable kBillTables[] = {
    {"vt_x_xmzzk", "hjje", "sum(m.je)", "", " and isnull(h.zfflag, 0) = 0"},  // voiding sets hjje 0
    {"vt_x_xmwtk", "hjje", "sum(m.je)", ""},
    {"vt_x_cpfhk", nullptr, nullptr, nullptr},
    {"vt_c_spjh", "hjje", "sum(m.je)", ""},
    {"vt_c_spch", "hjje", "sum(m.je)", ""},
    {"vt_c_qtrk", "hjje", "sum(m.je)", ""},
    {"vt_c_qtck", "hjje", "sum(m.je)", ""},
    {"vt_c_spyk", "hjsl", "sum(m.sl)", ""},
    {"vt_c_sptj", "hjje", "sum(m.je)", ""},
    {"vt_c_spsy", "hjje", "sum(m.je)", ""},
    {"vt_c_sppd", nullptr, nullptr, nullptr},
    {"vt_f_khsk", "hjje", "sum(m.je)", " + isnull(h.jmje, 0)"},
    {"vt_f_gysfk", "hjje", "sum(m.je)", " + isnull(h.jmje, 0)"},
    {"vt_f_yshx", nullptr, nullptr, nullptr},
    {"vt_f_yfhx", nullptr, nullptr, nullptr},
    {"vt_f_khdzk", nullptr, nullptr, nullptr},
    {"vt_f_khkpk", "hjje", "sum(m.je)", ""},
    {"vt_f_zjzz", "hjje", "sum(m.je)", ""},
    {"vt_f_srdj", "hjje", "sum(m.je)", ""},
    {"vt_f_fydj", "hjje", "sum(m.je)", ""},
};
// clang-format on

const char* const kBill = "h.orgid + ' ' + h.billno";
std::string text(const std::string& expr) { return "cast(" + expr + " as varchar(40))"; }

void addWholeBillChecks(const BillTable& t, std::vector<BookCheck>& out) {
  const std::string head = t.table, lines = head + "_mx";
  out.push_back({"bill-without-lines " + head,
                 "select " + std::string(kBill) + " bill, '' detail from " + head +
                     " h where not exists(select 1 from " + lines +
                     " m where m.orgid = h.orgid and m.billno = h.billno) order by h.id",
                 "单据有表头没有明细"});
  out.push_back({"lines-without-bill " + head,
                 "select m.orgid + ' ' + m.billno bill, " + text("count(*)") +
                     " + ' lines' detail from " + lines + " m where not exists(select 1 from " +
                     head +
                     " h where h.orgid = m.orgid and h.billno = m.billno) group by m.orgid, "
                     "m.billno order by m.billno",
                 "明细没有所属单据"});
  if (!t.total) return;
  const std::string total = std::string("h.") + t.total;
  const std::string expected = "isnull(s.total, 0)" + std::string(t.fromHead);
  out.push_back(
      {"total-not-sum " + head,
       "select " + std::string(kBill) + " bill, '" + t.total + " ' + " + text(total) +
           " + ', lines ' + " + text(expected) + " detail from " + head +
           " h inner join (select m.orgid, m.billno, " + t.lineSum + " total from " + lines +
           " m group by m.orgid, m.billno) s on s.orgid = h.orgid and s.billno = h.billno where " +
           total + " is not null and abs(" + total + " - (" + expected + ")) > 0.00005" + t.exempt +
           " order by h.id",
       "表头合计与明细之和不符"});
}

// side: ledger table, the write-off bills that write it, the paid bills it may name.
void addLedgerChecks(const char* ledger, const char* writerA, const char* writerB,
                     const std::vector<std::pair<const char*, const char*>>& paid,
                     std::vector<BookCheck>& out) {
  const std::string l = ledger;
  const std::string row =
      "select l.orgid + ' ' + isnull(l.billno, '') bill, isnull(l.biztype, '') + ' ' + "
      "isnull(l.hxbillno, '') detail from " +
      l + " l where ";
  auto writer = [](const char* table) {
    return "not exists(select 1 from " + std::string(table) +
           " b where b.orgid = l.orgid and b.billno = l.billno and b.status = 1)";
  };
  out.push_back({"write-off-without-bill " + l,
                 row + writer(writerA) + " and " + writer(writerB) + " order by l.id",
                 "核销记录没有已审核的核销单据"});
  std::string missing;
  for (const auto& [biztype, table] : paid)
    missing += std::string(missing.empty() ? "" : " and ") + "not exists(select 1 from " + table +
               " b where l.biztype = '" + biztype + "' and b.id = l.hxbillid)";
  out.push_back({"write-off-of-missing-bill " + l, row + missing + " order by l.id",
                 "核销记录所核销的单据不存在"});
}

void addStockCheck(std::vector<BookCheck>& out) {
  const std::string journal =
      "(select orgid, ck_id, sp_id, sum(sl) sl, sum(je) je from vt_c_spls group by orgid, ck_id, "
      "sp_id)";
  const std::string item = "k.orgid + ' ck ' + " + text("k.ck_id") + " + ' sp ' + isnull(g.code, " +
                           text("k.sp_id") + ")";
  out.push_back({"stock-not-journal",
                 "select " + item + " bill, 'kcsl ' + " + text("isnull(k.kcsl, 0)") +
                     " + ', journal ' + " + text("isnull(j.sl, 0)") + " + '; kcje ' + " +
                     text("isnull(k.kcje, 0)") + " + ', journal ' + " + text("isnull(j.je, 0)") +
                     " detail from vt_c_spkc k left join " + journal +
                     " j on j.orgid = k.orgid and j.ck_id = k.ck_id and j.sp_id = k.sp_id left "
                     "join vt_b_spbmk g on g.id = "
                     "k.sp_id where abs(isnull(k.kcsl, 0) - isnull(j.sl, 0)) > 0.00005 or "
                     "abs(isnull(k.kcje, 0) - "
                     "isnull(j.je, 0)) > 0.00005 "
                     "union all select j.orgid + ' ck ' + " +
                     text("j.ck_id") + " + ' sp ' + isnull(g.code, " + text("j.sp_id") +
                     ") bill, 'no stock row, journal ' + " + text("j.sl") + " + '; ' + " +
                     text("j.je") + " detail from " + journal +
                     " j left join vt_b_spbmk g on g.id = j.sp_id where not exists(select 1 from "
                     "vt_c_spkc k where "
                     "k.orgid = j.orgid and k.ck_id = j.ck_id and k.sp_id = j.sp_id) and "
                     "(abs(j.sl) > 0.00005 or abs(j.je) > "
                     "0.00005)",
                 "库存与库存流水之和不符"});
}

void addCardChecks(std::vector<BookCheck>& out) {
  const std::string card = "p.orgid + ' card ' + isnull(v.code, " + text("p.card_id") + ")";
  out.push_back({"card-without-card",
                 "select " + card + " bill, isnull(p.biztype, '') + ' ' + " + text("p.id") +
                     " detail from vt_b_khbmk_vip_pay p left join vt_b_khbmk_vip v on v.id = "
                     "p.card_id where v.id is "
                     "null order by p.id",
                 "会员卡流水的会员卡不存在"});
  out.push_back({"card-balance-negative",
                 "select " + card + " bill, 'balance ' + " +
                     text("sum(isnull(p.incje, 0)) - sum(isnull(p.decje, 0))") +
                     " detail from vt_b_khbmk_vip_pay p left join vt_b_khbmk_vip v on v.id = "
                     "p.card_id group by "
                     "p.orgid, p.kh_id, p.card_id, v.code having sum(isnull(p.incje, 0)) - "
                     "sum(isnull(p.decje, 0)) < 0",
                 "会员卡余额为负"});
  out.push_back({"card-use-without-order",
                 "select " + card + " bill, 'order id ' + " + text("p.bizid") +
                     " detail from vt_b_khbmk_vip_pay p left join vt_b_khbmk_vip v on v.id = "
                     "p.card_id where p.biztype "
                     "= '消费' and not exists(select 1 from vt_x_xmzzk o where o.orgid = p.orgid "
                     "and o.id = p.bizid) "
                     "order by p.id",
                 "会员卡消费没有所属订单"});
  out.push_back({"card-use-not-settlement",
                 "select o.orgid + ' ' + o.billno bill, 'card ' + " + text("isnull(c.je, 0)") +
                     " + ', settlement ' + " + text("isnull(s.je, 0)") +
                     " detail from vt_x_xmzzk o left join (select orgid, bizid, sum(isnull(decje, "
                     "0)) - sum(isnull(incje, 0)) "
                     "je from vt_b_khbmk_vip_pay where biztype = '消费' group by orgid, bizid) c "
                     "on c.orgid = o.orgid and c.bizid "
                     "= o.id left join (select js.orgid, js.billno, sum(js.je) je from "
                     "vt_x_xmzzk_js js inner join vt_b_jsfs f "
                     "on f.id = js.jsfs_id where f.code = '03' group by js.orgid, js.billno) s on "
                     "s.orgid = o.orgid and "
                     "s.billno = o.billno where isnull(c.je, 0) <> isnull(s.je, 0) order by o.id",
                 "会员卡消费与订单的会员卡结算不符"});
}

std::vector<BookCheck> makeChecks() {
  std::vector<BookCheck> checks;
  for (const BillTable& t : kBillTables) addWholeBillChecks(t, checks);
  addLedgerChecks("vt_sys_hx_kh", "vt_f_khsk", "vt_f_yshx",
                  {{"项目订单", "vt_x_xmzzk"}, {"销货单", "vt_c_spch"}}, checks);
  addLedgerChecks("vt_sys_hx_gys", "vt_f_gysfk", "vt_f_yfhx",
                  {{"外协加工单", "vt_x_xmwtk"}, {"购货单", "vt_c_spjh"}}, checks);
  addStockCheck(checks);
  addCardChecks(checks);
  return checks;
}

}  // namespace

const std::vector<BookCheck>& bookChecks() {
  static const std::vector<BookCheck> checks = makeChecks();
  return checks;
}

std::vector<BookViolation> checkBooks(db::Connection& connection) {
  std::vector<BookViolation> found;
  for (const BookCheck& check : bookChecks()) {
    db::BatchResult result = connection.execBatch(check.query);
    if (!result.ok()) throw std::runtime_error(check.name + ": " + result.errorMessage());
    if (result.resultSets.empty()) continue;
    for (const auto& row : result.resultSets.back().rows)
      found.push_back({check.name, row.at(0).asText(), check.message, row.at(1).asText()});
  }
  return found;
}

}  // namespace schema
