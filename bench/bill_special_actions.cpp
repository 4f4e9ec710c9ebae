// The stocktake's book-stock fill (1127: choosing another store while editing reads
// every line's book quantity again, one stored procedure call per line) and the
// customer statement's review confirm (1117: every line's tick written, the statement
// and its bills marked, the review logged), through the form (bill_action_steps.h) and
// by hand.
#include "bill_special_actions.h"

#include <cmath>
#include <cstdint>

#include "bill_action_steps.h"

namespace bill_bench {

namespace {

sqlite3_stmt* prepare(sqlite3* db, const char* sql) {
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK)
    throw std::runtime_error(std::string(sqlite3_errmsg(db)) + " in " + sql);
  return st;
}

// A store the stocktake is not made in, so that choosing it changes the store (the
// one benchFill chooses).
std::int64_t otherStore(Session& s) {
  return firstInteger(s, "select min(id) from vt_b_ckbmk where id <> (select ck_id from " +
                             s.case_.table + " where billno = :b)", s.case_.billno);
}

// By hand: the lines held in a plain vector (read before the timing, as the form holds
// them already), one prepared book-stock query per line, the difference and its remark.
void fillByHand(benchmark::State& state, const BillCase& c) {
  Session s(c);
  if (!s.bringTo(false)) return state.SkipWithError("cannot bring the bill to draft");
  const std::int64_t store = otherStore(s);
  const std::string orgid = billOrgid(s);
  struct Line {
    std::int64_t spId;
    double pdsl, kcsl, yksl;
    std::string beizhu;
  };
  std::vector<Line> lines;
  sqlite3_stmt* read = prepare(s.conn->handle(),
                               "select sp_id, ifnull(pdsl, 0) from vt_c_sppd_mx where billno = ?1 order by id");
  sqlite3_bind_text(read, 1, c.billno.c_str(), -1, SQLITE_TRANSIENT);
  while (sqlite3_step(read) == SQLITE_ROW)
    lines.push_back({sqlite3_column_int64(read, 0), sqlite3_column_double(read, 1), 0, 0, ""});
  sqlite3_finalize(read);
  sqlite3_stmt* q = prepare(s.conn->handle(),
                            "select ifnull(sum(kcsl), 0) from vt_c_spkc where orgid = ?1 and ck_id = ?2 and sp_id = ?3");
  measure(
      state, s, noop,
      [&] {
        for (Line& line : lines) {
          sqlite3_bind_text(q, 1, orgid.c_str(), -1, SQLITE_STATIC);
          sqlite3_bind_int64(q, 2, store);
          sqlite3_bind_int64(q, 3, line.spId);
          sqlite3_step(q);
          line.kcsl = std::round(sqlite3_column_double(q, 0) * 10000) / 10000;
          sqlite3_reset(q);
          line.yksl = std::round((line.pdsl - line.kcsl) * 10000) / 10000;
          line.beizhu = line.yksl > 0 ? "盘盈" : (line.yksl < 0 ? "盘亏" : "");
        }
        benchmark::DoNotOptimize(lines.data());
      },
      noop, [] { return true; });
  sqlite3_finalize(q);
}

// By hand: the version read, one prepared UPDATE of the tick per line, the marks on
// the statement and on its bills, and the log row, in one transaction.
void confirmByHand(benchmark::State& state, const BillCase& c) {
  Session s(c);
  if (!s.bringTo(true)) return state.SkipWithError("cannot audit the statement");
  s.keep();
  const std::string orgid = billOrgid(s);
  std::vector<std::pair<std::int64_t, int>> ticks;
  sqlite3_stmt* read = prepare(s.conn->handle(),
                               "select id, 1 - ifnull(dzflag, 0) from vt_f_khdzk_mx where billno = ?1 order by id");
  sqlite3_bind_text(read, 1, c.billno.c_str(), -1, SQLITE_TRANSIENT);
  while (sqlite3_step(read) == SQLITE_ROW)
    ticks.emplace_back(sqlite3_column_int64(read, 0), sqlite3_column_int(read, 1));
  sqlite3_finalize(read);
  HandStatements begin(s.conn->handle(),
                       {"select version from vt_f_khdzk where orgid = :orgid and billno = :billno",
                        "begin immediate"},
                       orgid, c.billno);
  HandStatements marks(
      s.conn->handle(),
      {"update vt_f_khdzk set status = 2, version = version + 1 where orgid = :orgid and billno = :billno",
       "update vt_x_xmzzk set dzflag = t1.dzflag, version = version + 1 from vt_f_khdzk_mx t1"
       " where t1.bizid = vt_x_xmzzk.id and t1.orgid = :orgid and t1.billno = :billno and t1.biztype = '项目订单'",
       "update vt_c_spch set dzflag = t1.dzflag, version = version + 1 from vt_f_khdzk_mx t1"
       " where t1.bizid = vt_c_spch.id and t1.orgid = :orgid and t1.billno = :billno and t1.biztype = '销货单'",
       "insert into vt_sys_billaudit_logs(orgid, modulecode, billtype, billno, ck_id, czy_id, auditmsg, auditstate)"
       " values (:orgid, '1117', '客户对账单', :billno, 1, 1, '复核对账单', '复核')",
       "commit"},
      orgid, c.billno);
  sqlite3_stmt* tick = prepare(s.conn->handle(), "update vt_f_khdzk_mx set dzflag = ?1 where id = ?2");
  measure(
      state, s, noop,
      [&] {
        begin.run();
        for (const auto& [id, flag] : ticks) {
          sqlite3_bind_int(tick, 1, flag);
          sqlite3_bind_int64(tick, 2, id);
          if (sqlite3_step(tick) != SQLITE_DONE) throw std::runtime_error("tick not written");
          sqlite3_reset(tick);
        }
        marks.run();
      },
      [&] { s.putBack(); },
      [&] { return s.windows.number(c.table, c.billno, "status") == 2; });
  sqlite3_finalize(tick);
}

}  // namespace

const std::vector<SpecialAction>& specialActions() {
  static const std::vector<SpecialAction> actions{
      {"1127", "fill", &benchFill<Session, BillCase>, &fillByHand},
      {"1117", "confirm", &benchConfirm<Session, BillCase>, &confirmByHand},
  };
  return actions;
}

}  // namespace bill_bench
