// The checks are T-SQL run through the connection, one query per promise, each
// returning the number of bills that break it.
#include "reliability/bill_integrity.h"

#include <stdexcept>

#include "reliability/demo_database.h"

namespace reliability {

namespace {

std::int64_t scalar(db::Connection& conn, const std::string& sql, std::int64_t mark) {
  db::BatchResult r = conn.execBatch(sql, {{"mark", core::Value(mark)}});
  if (!r.ok()) throw std::runtime_error(sql + ": " + r.errorMessage());
  return r.resultSets.back().rows.front().front().asInteger();
}

// A purchase moves stock through the journal when audited: an audited bill's journal
// quantities sum to its lines', a draft's to nothing, and no journal row is left
// without its bill.
void addStockJournalChecks(db::Connection& conn, std::int64_t above, BillCensus& census) {
  const std::string journal = "(select sum(j.sl) from vt_c_spls j where j.category = '1120' and j.orgid = h.orgid and "
                              "j.billno = h.billno)";
  const std::string lines = "(select sum(m.sl) from vt_c_spjh_mx m where m.orgid = h.orgid and m.billno = h.billno)";
  const std::pair<const char*, std::string> checks[] = {
      {"purchases whose stock journal does not match their audit",
       "select count(*) from vt_c_spjh h where h.id > :mark and isnull(" + journal +
           ", 0) <> case when h.status = 1 then isnull(" + lines + ", 0) else 0 end"},
      {"stock journal rows without their purchase",
       "select count(*) from vt_c_spls j where j.category = '1120' and not exists(select 1 from vt_c_spjh h where "
       "h.orgid = j.orgid and h.billno = j.billno) and :mark = :mark"},
  };
  for (const auto& [what, sql] : checks)
    if (const std::int64_t n = scalar(conn, sql, above); n != 0)
      census.broken.push_back("vt_c_spjh: " + std::to_string(n) + " " + what);
}

}  // namespace

std::map<std::string, std::int64_t> demoDatabaseForClerks(const std::string& file) {
  auto conn = openDemoDatabase(file);  // closed again before any clerk opens the file
  return highestIds(*conn, kClerkBillTables);
}

std::map<std::string, std::int64_t> highestIds(db::Connection& conn, const std::vector<std::string>& tables) {
  std::map<std::string, std::int64_t> mark;
  for (const std::string& t : tables) mark[t] = scalar(conn, "select isnull(max(id), 0) + 0 * :mark from " + t, 0);
  return mark;
}

BillCensus censusAbove(db::Connection& conn, const std::map<std::string, std::int64_t>& mark) {
  BillCensus census;
  for (const auto& [t, above] : mark) {
    const std::string mine = " from " + t + " h where h.id > :mark";
    const std::string lines = "(select 1 from " + t + "_mx m where m.orgid = h.orgid and m.billno = h.billno)";
    census.bills[t] = scalar(conn, "select count(*)" + mine, above);
    const std::pair<const char*, std::string> checks[] = {
        {"headers without lines", "select count(*)" + mine + " and not exists" + lines},
        {"totals that are not the sum of the lines",
         "select count(*)" + mine + " and isnull(h.hjje, 0) <> isnull((select sum(m.je) from " + t +
             "_mx m where m.orgid = h.orgid and m.billno = h.billno), 0)"},
        {"bill numbers used twice", "select count(*) - count(distinct h.billno)" + mine},
        {"lines without a header",
         "select count(*) from " + t + "_mx m where not exists(select 1 from " + t +
             " h where h.orgid = m.orgid and h.billno = m.billno) and :mark = :mark"},
    };
    if (t == "vt_c_spjh") addStockJournalChecks(conn, above, census);
    for (const auto& [what, sql] : checks) {
      if (const std::int64_t n = scalar(conn, sql, above); n != 0)
        census.broken.push_back(t + ": " + std::to_string(n) + " " + what);
    }
  }
  return census;
}

}  // namespace reliability
