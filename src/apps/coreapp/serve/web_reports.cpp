// WebReports: the report SQL is the report layer's own (ReportSpec::batch and bind, the
// aging page's procedures); this file only turns request values into bound, typed
// parameters and refuses what a report does not take.
#include "apps/coreapp/serve/web_reports.h"

#include <set>

#include "db/result_json.h"
#include "plugs/coreapp/khzl/khyszl_report.h"
#include "plugs/coreapp/khzl/khzl_sql.h"
#include "plugs/coreapp/report/report_catalog.h"

namespace serve {

namespace {

using plugs::coreapp::ReportParamKind;

//! Longer values than this are no date or id of ours.
constexpr std::size_t kMaxValueLength = 32;
const std::string kAgingRight = plugs::coreapp::khzl::kAgingPlugCode;

// Every name must be one the report takes, once, with a value of a sane length.
void requireOnly(const Query& query, const std::set<std::string>& allowed) {
  for (const auto& [name, value] : query) {
    if (!allowed.count(name)) throw WebError(400, "未知参数：" + name.substr(0, 40));
    if (query.count(name) > 1) throw WebError(400, "参数重复：" + name);
    if (value.size() > kMaxValueLength) throw WebError(400, "参数过长：" + name);
  }
}

std::string textOf(const Query& query, const std::string& name) {
  auto it = query.find(name);
  return it == query.end() ? std::string() : it->second;
}

bool digitsOnly(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// Exactly YYYY-MM-DD of a day that exists; none given is NULL (the report's default).
core::Value dayOf(const Query& query, const std::string& name) {
  const std::string text = textOf(query, name);
  if (text.empty()) return {};
  const auto day = text.size() == 10 && digitsOnly(text.substr(0, 4)) && text[4] == '-' &&
                           digitsOnly(text.substr(5, 2)) && text[7] == '-' &&
                           digitsOnly(text.substr(8, 2))
                       ? core::DateTime::parse(text)
                       : std::nullopt;
  if (!day || day->toDateString() != text) throw WebError(400, "日期格式应为YYYY-MM-DD：" + name);
  return core::Value(*day);
}

std::int64_t idOf(const Query& query, const std::string& name) {
  const std::string text = textOf(query, name);
  if (text.empty()) return 0;
  if (!digitsOnly(text) || text.size() > 9) throw WebError(400, "参数应为编号：" + name);
  return std::stoll(text);
}

// An operator bound to a store reads that store only; "every store" means his.
std::int64_t storeFor(const WebUser& user, const Query& query) {
  const std::int64_t store = idOf(query, "store");
  if (user.everyStore()) return store;
  if (store != 0 && store != user.ownStore) throw WebError(403, "没有该门店的权限");
  return user.ownStore;
}

void requireRight(const WebUser& user, std::string_view code) {
  if (!user.has(std::string(code))) throw WebError(403, "没有该报表的权限");
}

core::DateTime todayOf(const core::DateTime::Clock& clock) { return clock().date(); }

// The captions the page shows, which columns are money and which it sums.
std::string columnsJson(const std::vector<plugs::coreapp::ReportColumn>& columns) {
  std::string json = "[";
  for (const auto& c : columns)
    json += std::string(json.size() > 1 ? "," : "") +
            "{\"field\":" + db::ResultJson::quote(c.field) +
            ",\"caption\":" + db::ResultJson::quote(c.caption) +
            ",\"money\":" + (c.kind == plugs::coreapp::ReportColumnKind::Money ? "true" : "false") +
            ",\"total\":" + (c.total ? "true" : "false") + "}";
  return json + "]";
}

// The aging's columns as its page shows them.
const std::vector<plugs::coreapp::ReportColumn>& agingColumns() {
  using K = plugs::coreapp::ReportColumnKind;
  static const std::vector<plugs::coreapp::ReportColumn> kColumns = {
      {"kh_name", "客户", K::Text},
      {"je30", "0-30天", K::Money, 100, true},
      {"je60", "31-60天", K::Money, 100, true},
      {"je90", "61-90天", K::Money, 100, true},
      {"je91", "90天以上", K::Money, 100, true},
      {"qkje", "欠款合计", K::Money, 100, true}};
  return kColumns;
}

}  // namespace

WebReports::WebReports(ReadOnlyDatabase& db, std::string orgid, core::DateTime::Clock clock)
    : db_(db), orgid_(std::move(orgid)), clock_(std::move(clock)) {}

// Each tab needs the right of the report (or the aging page) it shows.
const std::vector<WebPage>& WebReports::pages() {
  static const std::vector<WebPage> kPages = [] {
    const auto code = [](const char* name) { return plugs::coreapp::findReport(name)->code; };
    return std::vector<WebPage>{{"/today", "今日", code("day"), "today"},
                                {"/wip", "待办", code("wip"), "wip"},
                                {"/receivables", "应收", kAgingRight, "receivables"},
                                {"/staff", "员工业绩", code("staff"), "staff"},
                                {"/profit", "毛利", code("profit"), "profit"},
                                {"/stock", "库存", code("onhand"), "onhand"}};
  }();
  return kPages;
}

std::string WebReports::api(const WebUser& user, const std::string& name, const Query& query) {
  if (name == "today") return today(user, query);
  if (name == "receivables") return receivables(user, query);
  if (name == "balance") return balance(user, query);
  return report(user, name, query);
}

std::string WebReports::sets(std::string_view sql, const db::Params& params) {
  const db::BatchResult result = db_.run(sql, params);
  if (!result.ok()) throw std::runtime_error(result.errorMessage());
  std::string json = "[";
  for (const auto& rs : result.resultSets)
    json += (json.size() > 1 ? "," : "") + db::ResultJson::line(rs);
  return json + "]";
}

std::string WebReports::report(const WebUser& user, const std::string& name, const Query& query) {
  const plugs::coreapp::ReportSpec* spec = plugs::coreapp::findReport(name);
  if (spec == nullptr || spec->name != name) throw WebError(404, "没有这个报表");
  requireRight(user, spec->code);
  std::set<std::string> allowed = {"store", "from", "to"};
  for (const auto& p : spec->params)
    if (p.kind == ReportParamKind::Pick) allowed.insert(p.name);
  requireOnly(query, allowed);
  std::map<std::string, core::Value> values;
  for (const auto& p : spec->params) {
    if (p.kind == ReportParamKind::Store) values[p.name] = core::Value(storeFor(user, query));
    if (p.kind == ReportParamKind::DateFrom) values[p.name] = dayOf(query, "from");
    if (p.kind == ReportParamKind::DateTo || p.kind == ReportParamKind::Day)
      values[p.name] = dayOf(query, "to");
    if (p.kind == ReportParamKind::Pick) values[p.name] = core::Value(idOf(query, p.name));
  }
  return "{\"name\":" + db::ResultJson::quote(spec->name) +
         ",\"caption\":" + db::ResultJson::quote(spec->caption) +
         ",\"columns\":" + columnsJson(spec->columns) +
         ",\"sets\":" + sets(spec->batch(), spec->bind(orgid_, values)) + "}";
}

// The day sheet of one day and, beside it, the takings of the 30 days up to it (the sales
// analysis by day), so the page draws its chart from the same request.
std::string WebReports::today(const WebUser& user, const Query& query) {
  const auto* sheet = plugs::coreapp::findReport("day");
  const auto* sales = plugs::coreapp::findReport("sales");
  requireRight(user, sheet->code);
  requireOnly(query, {"store", "day"});
  const core::Value given = dayOf(query, "day");
  const core::DateTime day = given.isNull() ? todayOf(clock_) : given.asDateTime();
  const core::Value store(storeFor(user, query));
  std::string json =
      "{\"day\":\"" + day.toDateString() + "\",\"columns\":" + columnsJson(sheet->columns) +
      ",\"sheet\":" +
      sets(sheet->batch(),
           sheet->bind(orgid_,
                       {{"ck_id", store}, {"rq1", core::Value(day)}, {"rq2", core::Value(day)}}));
  json += ",\"trend\":";
  if (!user.has(sales->code)) return json + "null}";
  return json +
         sets(sales->batch(), sales->bind(orgid_, {{"ck_id", store},
                                                   {"rq1", core::Value(day.addDays(-29))},
                                                   {"rq2", core::Value(day)},
                                                   {"lx", core::Value(std::int64_t{1})}})) +
         "}";
}

std::string WebReports::receivables(const WebUser& user, const Query& query) {
  requireRight(user, kAgingRight);
  requireOnly(query, {"to"});
  const core::Value to = dayOf(query, "to");
  return "{\"columns\":" + columnsJson(agingColumns()) + ",\"sets\":" +
         sets(plugs::coreapp::khzl::kKhyszlQuery,
              {{"orgid", core::Value(orgid_)},
               {"rq", to.isNull() ? core::Value(todayOf(clock_)) : to}}) +
         "}";
}

// One customer's statement with its running balance; 90 days up to `to` unless given.
std::string WebReports::balance(const WebUser& user, const Query& query) {
  requireRight(user, kAgingRight);
  requireOnly(query, {"kh_id", "from", "to"});
  const std::int64_t customer = idOf(query, "kh_id");
  if (customer == 0) throw WebError(400, "参数应为编号：kh_id");
  const core::Value givenTo = dayOf(query, "to"), givenFrom = dayOf(query, "from");
  const core::DateTime to = givenTo.isNull() ? todayOf(clock_) : givenTo.asDateTime();
  const core::DateTime from = givenFrom.isNull() ? to.addDays(-90) : givenFrom.asDateTime();
  return "{\"sets\":" +
         sets(plugs::coreapp::khzl::kKhwlmxQuery, {{"orgid", core::Value(orgid_)},
                                                   {"kh_id", core::Value(customer)},
                                                   {"rq1", core::Value(from)},
                                                   {"rq2", core::Value(to)}}) +
         "}";
}

std::vector<std::pair<std::int64_t, std::string>> WebReports::stores(const WebUser& user) {
  std::vector<std::pair<std::int64_t, std::string>> list;
  if (user.everyStore()) list.emplace_back(0, "全部门店");
  for (const auto& row : db_.query("select id, name from vt_b_ckbmk where orgid = :orgid and "
                                   "isnull(isdel, 0) = 0 order by code, id",
                                   {{"orgid", core::Value(orgid_)}})
                             .rows)
    if (user.everyStore() || row[0].asInteger() == user.ownStore)
      list.emplace_back(row[0].asInteger(), row[1].asText());
  return list;
}

}  // namespace serve
