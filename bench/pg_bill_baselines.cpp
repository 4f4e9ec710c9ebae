// The hand-written side on the server: every statement prepared once per connection and
// sent with PQexecPrepared, waiting for each answer (no pipelining), as a program written
// straight on libpq would; rows read back as text, every value.
#include "pg_bill_baselines.h"

#include <cmath>
#include <cstdint>
#include <stdexcept>

#include "bill_action_steps.h"
#include "core/strings.h"

namespace bill_bench {

namespace {

// Each prepared statement's name on its connection, unique in the process.
std::string nextName() {
  static int made = 0;
  return "hand" + std::to_string(++made);
}

// `textParams` parameters sent as text (the branch and the bill number); other
// statements' parameter types are the server's to infer.
std::string prepare(PGconn* c, const std::string& text, int params, bool textParams = false) {
  const std::string name = nextName();
  const Oid text2[] = {25, 25};  // text
  PGresult* r = PQprepare(c, name.c_str(), text.c_str(), params, textParams ? text2 : nullptr);
  const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
  PQclear(r);
  if (!ok) throw std::runtime_error(PQerrorMessage(c) + (" in " + text));
  return name;
}

// Every value of every row, as a form would read them.
void readAll(PGresult* r) {
  for (int row = 0; row < PQntuples(r); ++row)
    for (int col = 0; col < PQnfields(r); ++col)
      benchmark::DoNotOptimize(std::string(PQgetvalue(r, row, col), PQgetlength(r, row, col)));
}

void expect(PGconn* c, PGresult* r) {
  const ExecStatusType status = PQresultStatus(r);
  if (status == PGRES_TUPLES_OK) readAll(r);
  const bool ok = status == PGRES_TUPLES_OK || status == PGRES_COMMAND_OK;
  PQclear(r);
  if (!ok) throw std::runtime_error(PQerrorMessage(c));
}

void send(PGconn* c, const std::string& name, const std::vector<std::string>& values) {
  std::vector<const char*> v;
  for (const std::string& value : values) v.push_back(value.c_str());
  expect(c, PQexecPrepared(c, name.c_str(), static_cast<int>(v.size()), v.data(), nullptr,
                           nullptr, 0));
}

}  // namespace

std::string serverSpelling(const std::string& sqlite) {
  std::string s = sqlite;
  for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
           {":orgid", "$1"},
           {":billno", "$2"},
           {"begin immediate", "begin"},
           {"ifnull(", "coalesce("},
           {"getdate()", "localtimestamp(3)"},
           // the server's two-argument round is numeric's; a float quantity times a cost is
           // a double there, as in SQLite
           {"round(", "round(("},
           {", 4)", ")::numeric, 4)"}})
    s = core::replaceAll(s, from, to);
  return s;
}

PgHandStatements::PgHandStatements(PGconn* c, const std::vector<std::string>& texts,
                                   const std::string& orgid, const std::string& billno)
    : c_(c), texts_(texts), orgid_(orgid), billno_(billno) {
  for (const std::string& text : texts) {
    const bool control = text == "begin" || text == "commit";
    names_.push_back(control ? "" : prepare(c, text, parameters(text), true));
  }
}

// A statement takes the parameters up to the last it names: $2 alone still has a $1.
int PgHandStatements::parameters(const std::string& text) {
  return text.find("$2") != std::string::npos ? 2 : text.find("$1") != std::string::npos ? 1 : 0;
}

void PgHandStatements::run() {
  for (std::size_t i = 0; i < texts_.size(); ++i) {
    if (names_[i].empty()) {
      expect(c_, PQexec(c_, texts_[i].c_str()));
      continue;
    }
    const std::vector<std::string> both{orgid_, billno_};
    send(c_, names_[i], {both.begin(), both.begin() + parameters(texts_[i])});
  }
}

// By hand: the lines held in a plain vector (read before the timing, as the form holds
// them already), one prepared book-stock query per line, the difference and its remark.
void serverFillByHand(benchmark::State& state, const PgBillCase& c) {
  PgSession s(c);
  if (!s.bringTo(false)) return state.SkipWithError("cannot bring the bill to draft");
  const std::int64_t store = firstInteger(
      s, "select min(id) from vt_b_ckbmk where id <> (select ck_id from " + c.table +
             " where billno = :b)", c.billno);
  const std::string orgid = serverOrgid(s);
  PGconn* conn = s.server().handle();
  struct Line {
    std::string spId;
    double pdsl, kcsl, yksl;
    std::string beizhu;
  };
  std::vector<Line> lines;
  const char* billno[] = {c.billno.c_str()};
  PGresult* read = PQexecParams(
      conn, "select sp_id, coalesce(pdsl, 0) from vt_c_sppd_mx where billno = $1 order by id", 1,
      nullptr, billno, nullptr, nullptr, 0);
  for (int row = 0; row < PQntuples(read); ++row)
    lines.push_back({PQgetvalue(read, row, 0), std::atof(PQgetvalue(read, row, 1)), 0, 0, ""});
  PQclear(read);
  const std::string query = prepare(
      conn, "select coalesce(sum(kcsl), 0) from vt_c_spkc where orgid = $1 and ck_id = $2 and sp_id = $3",
      3);
  const std::string storeText = std::to_string(store);
  measure(
      state, s, noop,
      [&] {
        for (Line& line : lines) {
          const char* values[] = {orgid.c_str(), storeText.c_str(), line.spId.c_str()};
          PGresult* r = PQexecPrepared(conn, query.c_str(), 3, values, nullptr, nullptr, 0);
          if (PQresultStatus(r) != PGRES_TUPLES_OK) throw std::runtime_error(PQerrorMessage(conn));
          line.kcsl = std::round(std::atof(PQgetvalue(r, 0, 0)) * 10000) / 10000;
          PQclear(r);
          line.yksl = std::round((line.pdsl - line.kcsl) * 10000) / 10000;
          line.beizhu = line.yksl > 0 ? "盘盈" : (line.yksl < 0 ? "盘亏" : "");
        }
        benchmark::DoNotOptimize(lines.data());
      },
      noop, [] { return true; });
}

// By hand: the version read, one prepared UPDATE of the tick per line, the marks on the
// statement and on its bills, and the log row, in one transaction. The database is put
// back after each confirm, on a new connection, so the statements are prepared again
// (untimed) before each.
void serverConfirmByHand(benchmark::State& state, const PgBillCase& c) {
  PgSession s(c);
  if (!s.bringTo(true)) return state.SkipWithError("cannot audit the statement");
  s.keep();
  const std::string orgid = serverOrgid(s);
  std::vector<std::pair<std::string, std::string>> ticks;
  const char* billno[] = {c.billno.c_str()};
  PGresult* read = PQexecParams(
      s.server().handle(),
      "select id, 1 - coalesce(dzflag, 0) from vt_f_khdzk_mx where billno = $1 order by id", 1,
      nullptr, billno, nullptr, nullptr, 0);
  for (int row = 0; row < PQntuples(read); ++row)
    ticks.emplace_back(PQgetvalue(read, row, 0), PQgetvalue(read, row, 1));
  PQclear(read);
  std::unique_ptr<PgHandStatements> begin, marks;
  std::string tick;
  measure(
      state, s,
      [&] {
        PGconn* conn = s.server().handle();
        begin = std::make_unique<PgHandStatements>(
            conn, std::vector<std::string>{"select version from vt_f_khdzk where orgid = $1 and billno = $2", "begin"},
            orgid, c.billno);
        marks = std::make_unique<PgHandStatements>(
            conn,
            std::vector<std::string>{
                "update vt_f_khdzk set status = 2, version = version + 1 where orgid = $1 and billno = $2",
                "update vt_x_xmzzk set dzflag = t1.dzflag, version = version + 1 from vt_f_khdzk_mx t1"
                " where t1.bizid = vt_x_xmzzk.id and t1.orgid = $1 and t1.billno = $2 and t1.biztype = '项目订单'",
                "update vt_c_spch set dzflag = t1.dzflag, version = version + 1 from vt_f_khdzk_mx t1"
                " where t1.bizid = vt_c_spch.id and t1.orgid = $1 and t1.billno = $2 and t1.biztype = '销货单'",
                "insert into vt_sys_billaudit_logs(orgid, modulecode, billtype, billno, ck_id, czy_id, auditmsg, auditstate)"
                " values ($1, '1117', '客户对账单', $2, 1, 1, '复核对账单', '复核')",
                "commit"},
            orgid, c.billno);
        tick = prepare(conn, "update vt_f_khdzk_mx set dzflag = $1 where id = $2", 2);
      },
      [&] {
        PGconn* conn = s.server().handle();
        begin->run();
        for (const auto& [id, flag] : ticks) send(conn, tick, {flag, id});
        marks->run();
      },
      [&] {
        begin.reset();
        marks.reset();
        s.putBack();
      },
      [&] { return s.bills().number(c.table, c.billno, "status") == 2; });
}

}  // namespace bill_bench
