// The owner's reports on the shop-sized database (three years of a busy shop, made once
// in /tmp like the order windows' benchmark and again when the tables change, copied with
// this build's account views and report procedures and four accounts so the settlements land
// in a cash journal): each report's procedure through the embedded engine, for one month and
// for the three years, beside the same rows computed by hand-written SQLite on the same file in
// the same run (its window function for the cash journal's running balance), every value read
// as a program showing them would. Counters show both sides' row counts; the time ratio engine
// / hand is the cost of the report texts.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <strings.h>

#include <map>
#include <stdexcept>
#include <string>

#include "report_shop.h"

namespace {

using namespace reportbench;

// The same rows by hand: :from and :end (the day after the last) bound as text, which
// is how the file stores date-times.
const std::map<std::string, const char*>& handQueries() {
  static const std::map<std::string, const char*> q = {
      {"day", R"(
select '订单', count(*), sum(hjje) from vt_x_xmzzk where orgid = '0001' and zfflag = 0 and billdate >= :from and billdate < :end
union all
select * from (select coalesce(zh.name, fs.name, ''), count(*), sum(js.je) from vt_x_xmzzk_js js
  left join vt_b_zhbmk zh on zh.id = js.zh_id left join vt_b_jsfs fs on fs.id = js.jsfs_id
  where js.orgid = '0001' and js.jssj >= :from and js.jssj < :end group by 1)
union all
select * from (select zh.name, sum(case when m.jssj < :from then m.je end), sum(case when m.jssj >= :from then m.je end)
  from vt_b_zhbmk zh left join vt_x_xmzzk_js m on m.zh_id = zh.id and m.orgid = zh.orgid and m.jssj < :end
  where zh.orgid = '0001' group by zh.id)
union all
select * from (select billno, hjje - hjsk - jmje, 0 from vt_x_xmzzk where orgid = '0001' and zfflag = 0
  and billdate >= :from and billdate < :end and hjsk + jmje < hjje order by billdate, billno))"},
      {"stock", "select k.ck_id, k.sp_id, k.kcsl, k.kcje from vt_c_spkc k where k.orgid = '0001'"},
      {"onhand", "select k.ck_id, k.sp_id, k.kcsl, k.kcje from vt_c_spkc k where k.orgid = '0001'"},
      {"cash", R"(
with m as (select js.zh_id, js.jssj as rq, js.billno, js.je from vt_x_xmzzk_js js where js.orgid = '0001'),
     qc as (select zh.id as zh_id, coalesce(sum(m.je), 0) as qc from vt_b_zhbmk zh
            left join m on m.zh_id = zh.id and m.rq < :from where zh.orgid = '0001' group by zh.id)
select zh_id, rq, billno, je, ye from (
  select qc.zh_id, :from as rq, '' as billno, 0 as je, qc.qc as ye, 0 as k from qc
  union all
  select m.zh_id, m.rq, m.billno, m.je,
    qc.qc + sum(m.je) over (partition by m.zh_id order by m.rq, m.billno rows unbounded preceding), 1
  from m inner join qc on qc.zh_id = m.zh_id where m.rq >= :from and m.rq < :end)
order by zh_id, k, rq, billno)"},
      {"payables", R"(
select t.billno, t.hjje - t.bcfk from vt_x_xmwtk t where t.orgid = '0001' and t.status = 1 and t.zfflag = 0
  and t.billdate < :end and t.hjje - t.bcfk <> 0)"},
      {"wip", R"(
select * from (select '逾期未完工', o.billno, o.billdate, kh.name, o.jhrq,
    cast(julianday(:end) - 1 - julianday(date(o.jhrq)) as int), o.hjje, '1100'
  from vt_x_xmzzk o left join vt_b_khbmk kh on kh.id = o.kh_id
  where o.orgid = '0001' and o.zfflag = 0 and o.status in (0, 1) and o.jhrq < :end and o.billdate < :end
  order by o.jhrq, o.billno)
union all select * from (select '完工未结算', o.billno, o.billdate, kh.name, o.jhrq,
    cast(julianday(:end) - 1 - julianday(date(o.billdate)) as int), o.hjje - o.hjsk - o.jmje, '1100'
  from vt_x_xmzzk o left join vt_b_khbmk kh on kh.id = o.kh_id
  where o.orgid = '0001' and o.zfflag = 0 and o.status = 2 and o.billdate < :end and o.hjsk + o.jmje < o.hjje
  order by o.billdate, o.billno)
union all select * from (select '完工未发货', o.billno, o.billdate, kh.name, o.jhrq,
    cast(julianday(:end) - 1 - julianday(date(o.billdate)) as int), s.je, '1100'
  from vt_x_xmzzk o
  join (select orgid, billno, sum(case when sl = 0 then 0 else je * (sl - fhsl_ok) / sl end) as je
        from vt_x_xmzzk_mx where orgid = '0001' and fhsl_ok < sl group by orgid, billno) s
    on s.orgid = o.orgid and s.billno = o.billno
  left join vt_b_khbmk kh on kh.id = o.kh_id
  where o.orgid = '0001' and o.zfflag = 0 and o.status in (2, 3) and o.billdate < :end
  order by o.billdate, o.billno)
union all select * from (select '逾期应收', o.billno, o.billdate, kh.name, null,
    cast(julianday(:end) - 1 - julianday(date(o.billdate)) as int), o.hjje - o.hjsk - o.jmje, '1100'
  from vt_x_xmzzk o left join vt_b_khbmk kh on kh.id = o.kh_id
  where o.orgid = '0001' and o.zfflag = 0 and o.status in (2, 3)
    and o.hjje - o.hjsk - o.jmje > 0 and julianday(:end) - 1 - julianday(date(o.billdate)) > 30
  order by o.billdate, o.billno))"},
      {"staff", R"(
select z.yg_id, yg.code, yg.name, o.billno, o.billdate, kh.name, sum(z.jxjf), sum(z.jxje), '1100'
  from vt_x_xmzzk_mx_zzry z
  join vt_x_xmzzk o on o.orgid = z.orgid and o.billno = z.billno
  left join vt_b_ygbmk yg on yg.id = z.yg_id left join vt_b_khbmk kh on kh.id = o.kh_id
  where z.orgid = '0001' and o.zfflag = 0 and o.billdate >= :from and o.billdate < :end
  group by z.yg_id, o.id order by yg.code, z.yg_id, o.billdate, o.billno)"},
      {"profit", R"(
select o.billno, o.billdate, substr(o.billdate, 1, 7), o.kh_id, kh.name, o.hjje, o.hccb, o.wxcb,
  o.hjje - o.hccb - o.wxcb, case when o.hjje = 0 then null else (o.hjje - o.hccb - o.wxcb) * 100 / o.hjje end, '1100'
  from vt_x_xmzzk o left join vt_b_khbmk kh on kh.id = o.kh_id where o.orgid = '0001' and o.zfflag = 0
  and o.status in (2, 3) and o.billdate >= :from and o.billdate < :end order by o.billdate, o.billno)"},
      {"sales", R"(
select k, sum(n), sum(je), sum(sq) from (
  select substr(billdate, 1, 10) as k, 1 as n, hjje as je, 0 as sq from vt_x_xmzzk
    where orgid = '0001' and zfflag = 0 and billdate >= :from and billdate < :end
  union all
  select substr(datetime(billdate, '+' || (julianday(:end) - julianday(:from)) || ' days'), 1, 10), 0, 0, hjje
    from vt_x_xmzzk where orgid = '0001' and zfflag = 0
    and billdate >= datetime(:from, '-' || (julianday(:end) - julianday(:from)) || ' days') and billdate < :from)
group by k order by k)"},
  };
  return q;
}

int caseless(void*, int n1, const void* a, int n2, const void* b) {
  const int n = n1 < n2 ? n1 : n2;
  const int c = strncasecmp(static_cast<const char*>(a), static_cast<const char*>(b),
                            static_cast<std::size_t>(n));
  return c != 0 ? c : n1 - n2;
}

std::string endOf(const char* day) {
  db::EmbeddedConnection probe(":memory:");
  auto r = probe.execBatch(std::string("select convert(varchar(10), dateadd(day, 1, '") + day +
                           "'), 120)");
  return r.resultSets.at(0).rows.at(0).at(0).asText();
}


std::size_t handRows(sqlite3_stmt* stmt, const std::string& from, const std::string& end) {
  sqlite3_reset(stmt);
  sqlite3_bind_text(stmt, sqlite3_bind_parameter_index(stmt, ":from"), from.c_str(), -1,
                    SQLITE_TRANSIENT);
  sqlite3_bind_text(stmt, sqlite3_bind_parameter_index(stmt, ":end"), end.c_str(), -1,
                    SQLITE_TRANSIENT);
  // Each value is read as a program showing the rows would: a number as a number, a
  // text copied out.
  std::size_t rows = 0;
  std::string text;
  double sum = 0;
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    ++rows;
    for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
      const int type = sqlite3_column_type(stmt, c);
      if (type == SQLITE_INTEGER || type == SQLITE_FLOAT)
        sum += sqlite3_column_double(stmt, c);
      else if (type == SQLITE_TEXT)
        text.assign(reinterpret_cast<const char*>(sqlite3_column_text(stmt, c)),
                    static_cast<std::size_t>(sqlite3_column_bytes(stmt, c)));
    }
  }
  benchmark::DoNotOptimize(sum);
  benchmark::DoNotOptimize(text);
  return rows;
}

void BM_Report(benchmark::State& state, const char* name, Span span, bool byHand) {
  const plugs::coreapp::ReportSpec& spec = *plugs::coreapp::findReport(name);
  const std::string path = shopCopy();
  db::EmbeddedConnection conn(path);
  sqlite3* raw = nullptr;
  sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_create_collation(raw, "tsql_ci", SQLITE_UTF8, nullptr, caseless);
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(raw, handQueries().at(name), -1, &stmt, nullptr) != SQLITE_OK)
    throw std::runtime_error(std::string(name) + ": " + sqlite3_errmsg(raw));
  const std::string from = std::string(span.from) + " 00:00:00.000",
                    end = endOf(span.to) + " 00:00:00.000";
  std::size_t rows = 0;
  for (auto _ : state) rows = byHand ? handRows(stmt, from, end) : engineRows(conn, spec, span);
  state.counters["rows"] = static_cast<double>(rows);
  state.counters["engine_rows"] = static_cast<double>(byHand ? engineRows(conn, spec, span) : rows);
  sqlite3_finalize(stmt);
  sqlite3_close(raw);
}

const bool registered = [] {
  for (const char* name :
       {"day", "stock", "onhand", "cash", "payables", "wip", "staff", "profit", "sales"})
    for (const auto& [span, label] : {std::pair{kMonth, "month"}, std::pair{kYears, "3years"}})
      for (bool byHand : {false, true})
        benchmark::RegisterBenchmark(
            (std::string(byHand ? "Hand/" : "Engine/") + name + "/" + label).c_str(),
            [name, span, byHand](benchmark::State& s) { BM_Report(s, name, span, byHand); })
            ->Unit(benchmark::kMillisecond)
            ->Iterations(name == std::string("cash") || name == std::string("day") ? 3 : 5);
  return true;
}();

}  // namespace

BENCHMARK_MAIN();
