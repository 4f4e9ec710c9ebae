// The host's own plugs. A lookup plug runs its query over a master table with the
// caller's filter text bound as a parameter (never written into the text), hands the
// rows to the Ui to choose from and returns the chosen rows as a JSON array text.
// "新客户" / "新供应商" open a small entry dialog and add the row it returns.
#include "host/lookup/host_plugs.h"

#include <nlohmann/json.hpp>

#include "host/host.h"
#include "host/lookup/entry_plugs.h"
#include "host/plug/t_plugs_pool.h"
#include "host/services/data_services.h"
#include "host/services/sys_services.h"

namespace host {

namespace {

// One lookup: its caption and query. The query sees :orgid (the store), :key (the
// filter text) and :pat ('%' + key + '%').
struct LookupSpec {
  const char* caption;
  const char* sql;
};

// The columns each caller reads are all columns of the master row (select *):
// items id, code, name, itemno, baseunit, minje, jjfs, k, price_sale, price_in; goods
// id, code, name, itemno, baseunit, pricein, pricesale; employees, customers and
// suppliers id, code, name (customers also khlx, ywy_id, xyjlx).
const LookupSpec kLookups[] = {
    {"服务项目查询",
     "select * from vt_b_xmbmk where orgid = :orgid and isnull(isdel, 0) = 0 and (:key = '' or "
     "code like :pat or name like :pat or itemno like :pat) order by isort, code"},
    {"商品信息查询",
     "select * from vt_b_spbmk where orgid = :orgid and isnull(isdel, 0) = 0 and (:key = '' or "
     "code like :pat or name like :pat or itemno like :pat) order by isort, code"},
    {"员工信息查询",
     "select * from vt_b_ygbmk where orgid = :orgid and isnull(isdel, 0) = 0 and (:key = '' or "
     "code like :pat or name like :pat) order by isort, code"},
    {"客户会员查询",
     "select * from vt_b_khbmk where orgid = :orgid and isnull(isdel, 0) = 0 and (:key = '' or "
     "code like :pat or name like :pat or fullname like :pat or tel like :pat or lxr like :pat) "
     "order by isort, code"},
    {"客户会员快速查询",
     "select * from vt_b_khbmk where orgid = :orgid and isnull(isdel, 0) = 0 and (:key = '' or "
     "code like :pat or name like :pat or tel like :pat) order by isort, code"},
    {"供应商信息查询",
     "select * from vt_b_gysbmk where orgid = :orgid and isnull(isdel, 0) = 0 and (:key = '' or "
     "code like :pat or name like :pat or fullname like :pat or tel like :pat) order by isort, "
     "code"},
    // The filter of the contact lookup is the customer's id.
    {"客户联系人查询",
     "select * from vt_b_khbmk_lxr where orgid = :orgid and kh_id = :kh_id order by isdef desc, "
     "id"},
    {"制作要求查询",
     "select * from vt_b_zzyq where orgid = :orgid and isnull(isdel, 0) = 0 and (:key = '' or "
     "code like :pat or name like :pat) order by isort, code"},
};

constexpr const char* kRequirementsCaption = "制作要求查询";

bool multiChoice(const std::string& options) {
  auto json = nlohmann::json::parse(options, nullptr, /*allow_exceptions=*/false);
  if (json.is_discarded() || !json.is_object()) return false;
  auto it = json.find("model");
  return it != json.end() && it->is_string() && it->get<std::string>() == "multi";
}

std::int64_t idOf(const std::string& text) {
  try {
    return std::stoll(text);
  } catch (const std::exception&) {
    return 0;  // not a number: no customer, so no contacts
  }
}

tsql::ResultSet candidates(const LookupSpec& spec, const std::string& filter) {
  db::Params params = {{"orgid", core::Value(sysAuth().orgid)},
                       {"key", core::Value(filter)},
                       {"pat", core::Value("%" + filter + "%")},
                       {"kh_id", core::Value(idOf(filter))}};
  db::BatchResult result = currentHost().db().execBatch(spec.sql, params);
  if (!result.ok()) throw HostError(std::string(spec.caption) + "：" + result.errorMessage());
  return result.resultSets.empty() ? tsql::ResultSet{} : std::move(result.resultSets.back());
}

// The requirements lookup gives text for the memo: the chosen requirements, one a line.
std::string requirementsText(const std::string& chosen) {
  auto rows = nlohmann::json::parse(chosen, nullptr, false);
  if (rows.is_discarded() || !rows.is_array()) return {};
  std::string text;
  for (const auto& row : rows) {
    auto it = row.find("name");
    if (it == row.end() || !it->is_string()) continue;
    if (!text.empty()) text += "\r\n";
    text += it->get<std::string>();
  }
  return text;
}

std::string runLookup(const LookupSpec& spec, const std::string& filter,
                      const std::string& options) {
  LookupRequest request;
  request.caption = spec.caption;
  request.filter = filter;
  request.options = options;
  request.multi = multiChoice(options) || spec.caption == std::string_view(kRequirementsCaption);
  request.candidates = candidates(spec, filter);
  std::string chosen = currentHost().screen().lookup(request);
  if (chosen.empty()) return chosen;
  return spec.caption == std::string_view(kRequirementsCaption) ? requirementsText(chosen) : chosen;
}

}  // namespace

void registerHostPlugs() {
  if (plugsPool().plugbyName(kLookups[0].caption) != nullptr) return;  // already there
  for (const LookupSpec& spec : kLookups) {
    auto item = std::make_unique<TPlugItem>();
    item->caption = spec.caption;
    item->formClass.name = "TLookupForm";
    item->select = [&spec](Owner, TPlugItem&, const std::string& filter,
                           const std::string& options) { return runLookup(spec, filter, options); };
    plugsPool().registerPlug(std::move(item));
  }
  registerEntryPlugs();
}

std::vector<std::string> hostLookupCaptions() {
  std::vector<std::string> captions;
  for (const LookupSpec& spec : kLookups) captions.emplace_back(spec.caption);
  return captions;
}

bool isHostPlug(std::string_view caption) {
  for (const LookupSpec& spec : kLookups)
    if (caption == spec.caption) return true;
  return caption == "新客户" || caption == "新供应商";
}

}  // namespace host
