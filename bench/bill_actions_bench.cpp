// Every bill action of every bill editor the plug pool registers, on a bill of N lines
// (BILL_ACTIONS_LINES, 1,000 by default): new, open, save, audit, un-audit and delete,
// each timed in CPU time over BILL_ACTIONS_RUNS iterations (5 by default), with the
// statements the engine ran. Bills are found the way the reliability suite finds them,
// so a bill registered later is covered with no new code here. An action written by hand
// as well (handWritten below: the same rows changed and read back through prepared SQLite
// statements, no engine and no form) shows that time and the ratio beside its own. One
// table at the end.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "reliability/bill_windows.h"
#include "reliability/demo_database.h"
#include "tsql/statement_fault.h"

namespace {

int fromEnvironment(const char* name, int fallback) {
  const char* text = std::getenv(name);
  return text != nullptr && std::atoi(text) > 0 ? std::atoi(text) : fallback;
}

const int kLines = fromEnvironment("BILL_ACTIONS_LINES", 1000);
const int kRuns = fromEnvironment("BILL_ACTIONS_RUNS", 5);

// Copies the whole database of `from` over `to` (SQLite's backup).
void copyDatabase(db::EmbeddedConnection& from, db::EmbeddedConnection& to) {
  sqlite3_backup* copy = sqlite3_backup_init(to.handle(), "main", from.handle(), "main");
  if (copy == nullptr) throw std::runtime_error(sqlite3_errmsg(to.handle()));
  sqlite3_backup_step(copy, -1);
  if (sqlite3_backup_finish(copy) != SQLITE_OK)
    throw std::runtime_error(sqlite3_errmsg(to.handle()));
}

void exec(sqlite3* db, const std::string& sql) {
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
    throw std::runtime_error(std::string(sqlite3_errmsg(db)) + " in " + sql);
}

// Grows the bill to `lines` lines by copying its own lines (each copy a new uid), so
// that every line stays one the bill's type could hold.
void growLines(sqlite3* db, const std::string& detail, const std::string& billno, int lines) {
  std::string columns, values;
  sqlite3_stmt* info = nullptr;
  sqlite3_prepare_v2(db, ("pragma table_info(" + detail + ")").c_str(), -1, &info, nullptr);
  while (sqlite3_step(info) == SQLITE_ROW) {
    const std::string name = reinterpret_cast<const char*>(sqlite3_column_text(info, 1));
    if (sqlite3_column_int(info, 5) != 0) continue;  // the identity
    columns += (columns.empty() ? "" : ", ") + name;
    values += (values.empty() ? "" : ", ") + (name == "uid" ? "m.uid || '#' || k.i" : "m." + name);
  }
  sqlite3_finalize(info);
  const std::string quoted = "'" + billno + "'";  // a number the database made itself
  exec(db, "with recursive k(i) as (select 1 union all select i + 1 from k where i < " +
               std::to_string(lines) + ") insert into " + detail + "(" + columns + ") select " +
               values + " from " + detail + " m, k where m.billno = " + quoted + " limit max(0, " +
               std::to_string(lines) + " - (select count(*) from " + detail +
               " where billno = " + quoted + "))");
}

//! A bill of one type on a database that holds it with its lines grown.
struct BillCase {
  std::string code, table, billno;
  std::shared_ptr<db::EmbeddedConnection> database;
};

// The first scenario or recipe that leaves a bill of a type gives that type's bill.
std::vector<BillCase> findBills() {
  std::vector<std::string> codes = reliability::billEditorCodes();
  std::vector<BillCase> found;
  for (const std::string& file : reliability::scenarioFiles()) {
    if (codes.empty()) break;
    std::shared_ptr<db::EmbeddedConnection> conn = reliability::openDemoDatabase(":memory:");
    reliability::playScenario(file, *conn);
    reliability::BillWindows windows(*conn);
    for (auto code = codes.begin(); code != codes.end();) {
      BillCase c{*code, "", "", conn};
      c.billno = windows.newestBill(c.code, c.table);
      if (c.billno.empty()) {
        ++code;
        continue;
      }
      growLines(conn->handle(), c.table + "_mx", c.billno, kLines);
      found.push_back(std::move(c));
      code = codes.erase(code);
    }
  }
  for (const std::string& code : codes)
    std::fprintf(stderr, "bill %s: no scenario leaves one\n", code.c_str());
  return found;
}

// Counts the statements the engine runs while it lives (a fault that never fires).
class StatementCount {
 public:
  StatementCount() {
    fault_.failAt = INT_MAX;
    tsql::armStatementFault(&fault_);
  }
  ~StatementCount() { tsql::armStatementFault(nullptr); }
  StatementCount(const StatementCount&) = delete;
  StatementCount& operator=(const StatementCount&) = delete;
  int seen() const { return fault_.seen; }

 private:
  tsql::StatementFault fault_;
};

//! One benchmark's session: a private copy of the case's database and its windows.
class Session {
 public:
  explicit Session(const BillCase& c) : case_(c), windows(*conn) {
    copyDatabase(*c.database, *conn);
  }

  bool audited() { return windows.number(case_.table, case_.billno, "status") > 0; }

  //! Brings the bill to draft (false) or past it (true); false when refused.
  bool bringTo(bool audit) {
    if (audited() == audit) return true;
    auto form = windows.open(case_.code, case_.billno);
    form->clickAction(audit ? "actAudit" : reliability::BillWindows::unauditAction(*form));
    return audited() == audit;
  }

  std::unique_ptr<host::TBaseBillEditRibbonForm> open(bool bill = true) {
    return windows.open(case_.code, bill ? case_.billno : "");
  }

  const BillCase& case_;
  std::unique_ptr<db::EmbeddedConnection> conn =
      std::make_unique<db::EmbeddedConnection>(":memory:");
  reliability::BillWindows windows;
};

// ---- hand-written baselines ------------------------------------------------------------

//! What an action writes and reads back, written by hand on the session's own database:
//! `timed` is the action, `undo` (not timed) puts the bill back. :orgid and :billno are
//! the bill's.
struct HandWritten {
  std::vector<const char*> timed, undo;
};

// The shipment's reload: its lines with their order lines, less what the bill itself
// has shipped once audited (the header's status says whether it has).
constexpr const char* kShipmentLines =
    "select main.*, mx.billno as orderno, xm.code as xm_code, xm.name as xm_name, xm.itemno as "
    "xm_itemno,"
    " xm.baseunit as xm_baseunit, mx.sl * mx.n as hjsl,"
    " mx.fhsl_ok - case when h.status = 1 then main.fhsl else 0 end as fhsl_ok,"
    " mx.sl * mx.n - ifnull(mx.fhsl_ok, 0) + case when h.status = 1 then main.fhsl else 0 end as "
    "fhsl_no"
    " from vt_x_cpfhk_mx main join vt_x_cpfhk h on h.orgid = main.orgid and h.billno = main.billno"
    " left join vt_x_xmzzk_mx mx on main.mx_id = mx.id left join vt_b_xmbmk xm on main.xm_id = "
    "xm.id"
    " where main.orgid = :orgid and main.billno = :billno order by main.id";
constexpr const char* kShipmentHeader =
    "select * from vt_x_cpfhk where orgid = :orgid and billno = :billno";
constexpr const char* kTransferHeader =
    "select t1.*, ock.name, ick.name, kdr.name from vt_c_spyk t1 left join vt_b_ckbmk ock on "
    "t1.ock_id = ock.id"
    " left join vt_b_ckbmk ick on t1.ick_id = ick.id left join vt_b_ygbmk kdr on t1.kdr_id = kdr.id"
    " where t1.orgid = :orgid and t1.billno = :billno";
constexpr const char* kTransferLines =
    "select t1.*, sp.code, sp.name, sp.itemno, sp.baseunit from vt_c_spyk_mx t1 left join "
    "vt_b_spbmk sp"
    " on t1.sp_id = sp.id where t1.orgid = :orgid and t1.billno = :billno order by t1.id";
// A transfer's stock: out of the sending store at its average cost, into the receiving
// one at the same value, each movement kept so that un-auditing takes it back.
constexpr const char* kTransferLedgerRows =
    "insert into vt_c_spkc(orgid, ck_id, sp_id, kcsl, kcje) select distinct :orgid, s.ck, l.sp_id, "
    "0, 0"
    " from vt_c_spyk_mx l, (select ock_id as ck from vt_c_spyk where orgid = :orgid and billno = "
    ":billno"
    " union select ick_id from vt_c_spyk where orgid = :orgid and billno = :billno) s"
    " where l.orgid = :orgid and l.billno = :billno and not exists(select 1 from vt_c_spkc k"
    " where k.orgid = :orgid and k.ck_id = s.ck and k.sp_id = l.sp_id)";
constexpr const char* kTransferOut =
    "insert into vt_c_spls(orgid, category, billno, ck_id, sp_id, sl, je)"
    " select :orgid, '1124', :billno, h.ock_id, l.sp_id, -l.sl,"
    " -round(l.sl * case when k.kcsl > 0 then k.kcje / k.kcsl else 0 end, 4)"
    " from vt_c_spyk h join vt_c_spyk_mx l on l.orgid = h.orgid and l.billno = h.billno"
    " left join vt_c_spkc k on k.orgid = h.orgid and k.ck_id = h.ock_id and k.sp_id = l.sp_id"
    " where h.orgid = :orgid and h.billno = :billno";
constexpr const char* kTransferIn =
    "insert into vt_c_spls(orgid, category, billno, ck_id, sp_id, sl, je)"
    " select orgid, category, billno, (select ick_id from vt_c_spyk where orgid = :orgid and "
    "billno = :billno),"
    " sp_id, -sl, -je from vt_c_spls where orgid = :orgid and category = '1124' and billno = "
    ":billno";
constexpr const char* kTransferBook =
    "update vt_c_spkc set kcsl = ifnull(kcsl, 0) + m.sl, kcje = ifnull(kcje, 0) + m.je, updatetime "
    "= getdate()"
    " from (select ck_id, sp_id, sum(sl) as sl, sum(je) as je from vt_c_spls where orgid = :orgid"
    " and category = '1124' and billno = :billno group by ck_id, sp_id) m"
    " where vt_c_spkc.orgid = :orgid and vt_c_spkc.ck_id = m.ck_id and vt_c_spkc.sp_id = m.sp_id";
constexpr const char* kTransferUnbook =
    "update vt_c_spkc set kcsl = ifnull(kcsl, 0) - m.sl, kcje = ifnull(kcje, 0) - m.je, updatetime "
    "= getdate()"
    " from (select ck_id, sp_id, sum(sl) as sl, sum(je) as je from vt_c_spls where orgid = :orgid"
    " and category = '1124' and billno = :billno group by ck_id, sp_id) m"
    " where vt_c_spkc.orgid = :orgid and vt_c_spkc.ck_id = m.ck_id and vt_c_spkc.sp_id = m.sp_id";

// A sale's stock: out of its store at the average cost, each movement kept.
constexpr const char* kSaleLedgerRows =
    "insert into vt_c_spkc(orgid, ck_id, sp_id, kcsl, kcje) select distinct :orgid, h.ck_id, "
    "l.sp_id, 0, 0"
    " from vt_c_spch h join vt_c_spch_mx l on l.orgid = h.orgid and l.billno = h.billno"
    " where h.orgid = :orgid and h.billno = :billno and not exists(select 1 from vt_c_spkc k"
    " where k.orgid = :orgid and k.ck_id = h.ck_id and k.sp_id = l.sp_id)";
constexpr const char* kSaleOut =
    "insert into vt_c_spls(orgid, category, billno, ck_id, sp_id, sl, je)"
    " select :orgid, '1121', :billno, h.ck_id, l.sp_id, -ifnull(l.sl, 0),"
    " -round(ifnull(l.sl, 0) * case when k.kcsl > 0 then k.kcje / k.kcsl else 0 end, 4)"
    " from vt_c_spch h join vt_c_spch_mx l on l.orgid = h.orgid and l.billno = h.billno"
    " left join vt_c_spkc k on k.orgid = h.orgid and k.ck_id = h.ck_id and k.sp_id = l.sp_id"
    " where h.orgid = :orgid and h.billno = :billno";
constexpr const char* kSaleBook =
    "update vt_c_spkc set kcsl = ifnull(kcsl, 0) + m.sl, kcje = ifnull(kcje, 0) + m.je, updatetime "
    "= getdate()"
    " from (select ck_id, sp_id, sum(sl) as sl, sum(je) as je from vt_c_spls where orgid = :orgid"
    " and category = '1121' and billno = :billno group by ck_id, sp_id) m"
    " where vt_c_spkc.orgid = :orgid and vt_c_spkc.ck_id = m.ck_id and vt_c_spkc.sp_id = m.sp_id";
constexpr const char* kSaleUnbook =
    "update vt_c_spkc set kcsl = ifnull(kcsl, 0) - m.sl, kcje = ifnull(kcje, 0) - m.je, updatetime "
    "= getdate()"
    " from (select ck_id, sp_id, sum(sl) as sl, sum(je) as je from vt_c_spls where orgid = :orgid"
    " and category = '1121' and billno = :billno group by ck_id, sp_id) m"
    " where vt_c_spkc.orgid = :orgid and vt_c_spkc.ck_id = m.ck_id and vt_c_spkc.sp_id = m.sp_id";
constexpr const char* kSaleHeader =
    "select t1.*, ck.name, kh.name from vt_c_spch t1 left join vt_b_ckbmk ck on t1.ck_id = ck.id"
    " left join vt_b_khbmk kh on t1.kh_id = kh.id where t1.orgid = :orgid and t1.billno = :billno";
constexpr const char* kSaleLines =
    "select t1.*, sp.code, sp.name, sp.itemno, sp.baseunit from vt_c_spch_mx t1 left join "
    "vt_b_spbmk sp"
    " on t1.sp_id = sp.id where t1.orgid = :orgid and t1.billno = :billno order by t1.id";

// A customer statement's lines with what each project order or sale on it is worth and
// has received, in one query.
constexpr const char* kStatementHeader =
    "select * from vt_f_khdzk where orgid = :orgid and billno = :billno";
constexpr const char* kStatementLines =
    "select l.id, l.orgid, l.uid, l.billno, l.bizid, coalesce(x.billno, s.billno) as bizbillno,"
    " coalesce(x.billdate, s.billdate) as bizbilldate, l.biztype, coalesce(x.ck_id, s.ck_id) as "
    "ck_id, x.gcxmmc,"
    " ifnull(coalesce(x.hjje, s.hjje), 0) as hjje, ifnull(x.hjsk, 0) as jsje,"
    " ifnull(coalesce(x.hjje, s.hjje), 0) - ifnull(x.hjsk, 0) as qkje, l.dzflag, l.beizhu, "
    "ck.code, ck.name"
    " from vt_f_khdzk_mx l left join vt_x_xmzzk x on l.biztype = '项目订单' and x.orgid = l.orgid "
    "and x.id = l.bizid"
    " left join vt_c_spch s on l.biztype = '销货单' and s.orgid = l.orgid and s.id = l.bizid"
    " left join vt_b_ckbmk ck on ck.id = coalesce(x.ck_id, s.ck_id)"
    " where l.orgid = :orgid and l.billno = :billno order by bizbilldate";

const std::map<std::string, HandWritten>& handWritten() {
  static const std::map<std::string, HandWritten> actions{
      {"1105/open", {{kShipmentHeader, kShipmentLines}, {}}},
      {"1105/audit",
       {{"begin immediate",
         "update vt_x_cpfhk set status = 1, shy_id = 1, auditdate = getdate(), version = version + "
         "1"
         " where orgid = :orgid and billno = :billno",
         "update vt_x_xmzzk_mx set fhsl_ok = ifnull(fhsl_ok, 0) + t.fhsl from (select mx_id, fhsl "
         "from"
         " vt_x_cpfhk_mx where orgid = :orgid and billno = :billno) t where vt_x_xmzzk_mx.id = "
         "t.mx_id",
         "commit", kShipmentHeader, kShipmentLines},
        {"begin immediate",
         "update vt_x_cpfhk set status = 0, shy_id = 0, auditdate = null, version = version + 1"
         " where orgid = :orgid and billno = :billno",
         "update vt_x_xmzzk_mx set fhsl_ok = ifnull(fhsl_ok, 0) - t.fhsl from (select mx_id, fhsl "
         "from"
         " vt_x_cpfhk_mx where orgid = :orgid and billno = :billno) t where vt_x_xmzzk_mx.id = "
         "t.mx_id",
         "commit"}}},
      {"1124/open", {{kTransferHeader, kTransferLines}, {}}},
      {"1121/audit",
       {{"begin immediate",
         "update vt_c_spch set status = 1, shy_id = 1, auditdate = getdate(), version = version + 1"
         " where orgid = :orgid and billno = :billno",
         kSaleLedgerRows, kSaleOut, kSaleBook, "commit", kSaleHeader, kSaleLines},
        {"begin immediate",
         "update vt_c_spch set status = 0, shy_id = 0, auditdate = null, version = version + 1"
         " where orgid = :orgid and billno = :billno",
         kSaleUnbook,
         "delete from vt_c_spls where orgid = :orgid and category = '1121' and billno = :billno",
         "commit"}}},
      {"1117/open", {{kStatementHeader, kStatementLines}, {}}},
      {"1124/audit",
       {{"begin immediate",
         "update vt_c_spyk set status = 1, shy_id = 1, auditdate = getdate(), version = version + 1"
         " where orgid = :orgid and billno = :billno",
         kTransferLedgerRows, kTransferOut, kTransferIn, kTransferBook, "commit", kTransferHeader,
         kTransferLines},
        {"begin immediate",
         "update vt_c_spyk set status = 0, shy_id = 0, auditdate = null, version = version + 1"
         " where orgid = :orgid and billno = :billno",
         kTransferUnbook,
         "delete from vt_c_spls where orgid = :orgid and category = '1124' and billno = :billno",
         "commit"}}},
  };
  return actions;
}

// Runs `timed` once per iteration between `before` and `after` (neither timed); an
// action whose outcome `worked` denies ends the benchmark with what the user was told.
template <typename Before, typename Timed, typename After, typename Worked>
void measure(benchmark::State& state, Session& s, Before before, Timed timed, After after,
             Worked worked) {
  int statements = 0;
  for (auto _ : state) {
    state.PauseTiming();
    before();
    const std::size_t mark = s.windows.mark();
    state.ResumeTiming();
    {
      StatementCount count;
      timed();
      statements = count.seen();
    }
    state.PauseTiming();
    if (!worked()) {
      state.SkipWithError(("refused:" + s.windows.toldSince(mark)).c_str());
      break;  // a skipped benchmark's timing stays stopped
    }
    after();
    state.ResumeTiming();
  }
  state.counters["statements"] = statements;
}

void noop() {}

void benchNew(benchmark::State& state, const BillCase& c) {
  Session s(c);
  std::unique_ptr<host::TBaseBillEditRibbonForm> form;
  measure(
      state, s, [&] { form = s.open(false); }, [&] { form->clickAction("actAdd"); }, noop,
      [&] { return form->cdsMaster.recordCount() == 1; });
}

void benchOpen(benchmark::State& state, const BillCase& c) {
  Session s(c);
  auto form = s.open();
  measure(
      state, s, noop, [&] { form->OpenBillData(c.billno); }, noop,
      [&] { return form->cdsDetail.recordCount() > 0; });
  state.counters["lines"] = form->cdsDetail.recordCount();
}

// A save writes a real edit of the header.
void benchSave(benchmark::State& state, const BillCase& c) {
  Session s(c);
  if (!s.bringTo(false)) return state.SkipWithError("cannot bring the bill to draft");
  auto form = s.open();
  int edits = 0;
  auto edit = [&] {
    reliability::BillWindows::editHeader(*form, "edit " + std::to_string(++edits));
  };
  measure(
      state, s, edit, [&] { form->clickAction("actSave"); }, noop,
      [&] { return !form->hasUnsavedChanges(); });
}

void benchAudit(benchmark::State& state, const BillCase& c, bool audit) {
  Session s(c);
  if (!s.bringTo(!audit))
    return state.SkipWithError("cannot bring the bill to the state the action needs");
  auto form = s.open();
  const std::string action = audit ? "actAudit" : reliability::BillWindows::unauditAction(*form);
  measure(
      state, s, noop, [&] { form->clickAction(action); },
      [&] {
        if (!s.bringTo(!audit)) throw std::runtime_error("cannot put bill " + c.billno + " back");
        form->OpenBillData(c.billno);
      },
      [&] { return s.audited() == audit; });
}

void benchDelete(benchmark::State& state, const BillCase& c) {
  Session s(c);
  if (!s.bringTo(false)) return state.SkipWithError("cannot bring the bill to draft");
  db::EmbeddedConnection draft(":memory:");
  copyDatabase(*s.conn, draft);
  std::unique_ptr<host::TBaseBillEditRibbonForm> form;
  measure(
      state, s, [&] { form = s.open(); }, [&] { form->clickAction("actDel"); },
      [&] {
        form.reset();
        copyDatabase(draft, *s.conn);
      },
      [&] { return s.windows.number(c.table, c.billno, "id") < 0; });
}

// The statements of one side of a hand-written action, prepared once on the session's
// database with the bill's :orgid and :billno bound.
class HandStatements {
 public:
  HandStatements(sqlite3* db, const std::vector<const char*>& texts, const std::string& orgid,
                 const std::string& billno) {
    for (const char* text : texts) {
      sqlite3_stmt* st = nullptr;
      if (sqlite3_prepare_v2(db, text, -1, &st, nullptr) != SQLITE_OK)
        throw std::runtime_error(std::string(sqlite3_errmsg(db)) + " in " + text);
      for (int i = 1; i <= sqlite3_bind_parameter_count(st); ++i) {
        const std::string name = sqlite3_bind_parameter_name(st, i);
        const std::string& value = name == ":orgid" ? orgid : billno;
        sqlite3_bind_text(st, i, value.c_str(), -1, SQLITE_TRANSIENT);
      }
      statements_.push_back(st);
    }
  }
  ~HandStatements() {
    for (sqlite3_stmt* st : statements_) sqlite3_finalize(st);
  }
  HandStatements(const HandStatements&) = delete;
  HandStatements& operator=(const HandStatements&) = delete;

  //! Runs each statement through, reading every value of every row as a form would.
  void run() {
    for (sqlite3_stmt* st : statements_) {
      int rc;
      while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        for (int i = 0; i < sqlite3_column_count(st); ++i) read(st, i);
      sqlite3_reset(st);
      if (rc != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(sqlite3_db_handle(st)));
    }
  }

 private:
  static void read(sqlite3_stmt* st, int i) {
    switch (sqlite3_column_type(st, i)) {
      case SQLITE_INTEGER:
        benchmark::DoNotOptimize(sqlite3_column_int64(st, i));
        break;
      case SQLITE_FLOAT:
        benchmark::DoNotOptimize(sqlite3_column_double(st, i));
        break;
      case SQLITE_TEXT:
        benchmark::DoNotOptimize(
            std::string(reinterpret_cast<const char*>(sqlite3_column_text(st, i))));
        break;
      default:
        break;
    }
  }
  std::vector<sqlite3_stmt*> statements_;
};

// An audit starts from a draft, an un-audit from an audited bill, anything else as found.
void benchHandWritten(benchmark::State& state, const BillCase& c, const std::string& action,
                      const HandWritten& hand) {
  Session s(c);
  if ((action == "audit" && !s.bringTo(false)) || (action == "unaudit" && !s.bringTo(true)))
    return state.SkipWithError("cannot bring the bill to the state the action needs");
  std::string orgid;
  {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(s.conn->handle(),
                       ("select orgid from " + c.table + " where billno = ?1").c_str(), -1, &st,
                       nullptr);
    sqlite3_bind_text(st, 1, c.billno.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(st) == SQLITE_ROW)
      orgid = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    sqlite3_finalize(st);
  }
  HandStatements timed(s.conn->handle(), hand.timed, orgid, c.billno);
  HandStatements undo(s.conn->handle(), hand.undo, orgid, c.billno);
  const bool audited = s.audited();
  measure(
      state, s, noop, [&] { timed.run(); }, [&] { undo.run(); },
      [&] { return action == "open" || s.audited() != audited; });
}

// Collects every run and prints the table once all have run.
class TableReporter : public benchmark::ConsoleReporter {
 public:
  static constexpr std::string_view kByHand = "/by-hand";

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      std::string name = run.benchmark_name();
      name = name.substr(std::string("BillActions/").size(), name.find("/iterations") - 12);
      Row row{name, "", 0, 0};
      if (run.error_occurred) {
        row.note = run.error_message.substr(0, run.error_message.find('\n', 10));
      } else {
        row.ms = run.GetAdjustedCPUTime();
        auto counter = run.counters.find("statements");
        row.statements =
            counter == run.counters.end() ? 0 : static_cast<int>(counter->second.value);
      }
      rows_.push_back(std::move(row));
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::map<std::string, double> byHand;
    for (const Row& r : rows_)
      if (r.note.empty() && r.name.ends_with(kByHand))
        byHand[r.name.substr(0, r.name.size() - kByHand.size())] = r.ms;
    std::printf("\n%-14s %10s %10s %10s %7s  (bills of %d lines; CPU ms per action, mean of %d)\n",
                "bill/action", "ms CPU", "statements", "by hand", "ratio", kLines, kRuns);
    for (const Row& r : rows_) {
      if (r.name.ends_with(kByHand)) continue;
      if (!r.note.empty()) {
        std::printf("%-14s %10s %10s  %s\n", r.name.c_str(), "-", "-",
                    r.note.substr(0, 100).c_str());
        continue;
      }
      auto hand = byHand.find(r.name);
      if (hand == byHand.end())
        std::printf("%-14s %10.2f %10d\n", r.name.c_str(), r.ms, r.statements);
      else
        std::printf("%-14s %10.2f %10d %10.2f %7.1f\n", r.name.c_str(), r.ms, r.statements,
                    hand->second, r.ms / hand->second);
    }
  }

 private:
  struct Row {
    std::string name, note;
    double ms;
    int statements;
  };
  std::vector<Row> rows_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  static const std::vector<BillCase> cases = findBills();
  for (const BillCase& c : cases) {
    const std::string bill = "BillActions/" + c.code + "/";
    std::map<std::string, std::function<void(benchmark::State&)>> actions{
        {"new", [&c](benchmark::State& s) { benchNew(s, c); }},
        {"open", [&c](benchmark::State& s) { benchOpen(s, c); }},
        {"save", [&c](benchmark::State& s) { benchSave(s, c); }},
        {"audit", [&c](benchmark::State& s) { benchAudit(s, c, true); }},
        {"unaudit", [&c](benchmark::State& s) { benchAudit(s, c, false); }},
        {"delete", [&c](benchmark::State& s) { benchDelete(s, c); }}};
    for (auto& [name, run] : actions) {
      benchmark::RegisterBenchmark((bill + name).c_str(), run)
          ->Unit(benchmark::kMillisecond)
          ->Iterations(kRuns);
      auto hand = handWritten().find(c.code + "/" + name);
      if (hand == handWritten().end()) continue;
      benchmark::RegisterBenchmark(
          (bill + name + std::string(TableReporter::kByHand)).c_str(),
          [&c, name, &hw = hand->second](benchmark::State& s) { benchHandWritten(s, c, name, hw); })
          ->Unit(benchmark::kMillisecond)
          ->Iterations(kRuns);
    }
  }
  TableReporter table;
  benchmark::RunSpecifiedBenchmarks(&table);
  benchmark::Shutdown();
  return 0;
}
