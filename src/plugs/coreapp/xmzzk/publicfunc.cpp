// publicfunc: price lookup, child lists, selections to rows and the save batches of
// project orders. Every value a lookup hands over is text; the conversions here follow
// what the lookup windows deliver (numbers as their text, "" for null).
#include "plugs/coreapp/xmzzk/publicfunc.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <stdexcept>

#include "core/json.h"
#include "dataset/client_data_set.h"
#include "dataset/up_data_sql_list.h"
#include "host/plug/plug_item.h"
#include "host/plug/t_plugs_pool.h"
#include "host/services/data_services.h"
#include "host/services/sys_config_cache.h"
#include "host/services/sys_services.h"
#include "plugs/coreapp/xmzzk/order_save_batch.h"
#include "plugs/coreapp/xmzzk/order_sql.h"

namespace plugs::coreapp::xmzzk {

namespace {

// Text to float; `fallback` when it is not a number.
double floatOr(const std::string& text, double fallback) {
  core::Value v(text);
  return v.asFloat(fallback);
}

// Text to integer, strictly: nullopt unless the whole text is an integer.
std::optional<std::int64_t> strictInteger(const std::string& text) {
  std::int64_t out = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, out);
  if (ec != std::errc() || ptr != end || text.empty()) return std::nullopt;
  return out;
}

std::string listText(const std::vector<std::string>& list) {
  std::string text;
  for (const std::string& s : list) text += s + "\r\n";
  return text;
}

// The statements of one dataset's pending changes ("" when it has none).
std::string changesOf(const ClientDataSet& ds, std::string_view table, std::string_view key,
                      const std::vector<std::string>& skip) {
  if (!ds.active() || ds.changeCount() == 0) return {};
  std::vector<std::string> list;
  dataset::GetUpDataSQLList(table, key, skip, ds, list);
  return listText(list);
}

OrderSaveTexts collectTexts(ClientDataSet& master, ClientDataSet& detail, ClientDataSet& cpmx,
                            ClientDataSet& zzry, ClientDataSet& hc,
                            const std::vector<std::string>& ignoreFields) {
  OrderSaveTexts t;
  t.header = changesOf(master, "vt_x_xmzzk", "id", ignoreFields);
  t.lines = changesOf(detail, "vt_x_xmzzk_mx", "uid",
                      {"id", "xm_code", "xm_name", "xm_itemno", "xm_baseunit", "sb_code", "sb_name",
                       "jjfs", "minje"});
  t.products = changesOf(cpmx, "vt_x_xmzzk_cp", "uid", {"id"});
  t.staff = changesOf(zzry, "vt_x_xmzzk_mx_zzry", "uid", {"id", "yg_code", "yg_name"});
  t.consumables =
      changesOf(hc, "vt_x_xmzzk_mx_hc", "uid", {"id", "sp_code", "sp_name", "itemno", "baseunit"});
  return t;
}

void setField(ClientDataSet& ds, std::string_view name, const core::Value& v) {
  ds.fieldByName(name).setValue(v);
}

// Fills and posts one new line from an item of the service-item lookup.
void appendItemLine(std::int64_t khId, const core::JsonRow& item, ClientDataSet& detail) {
  detail.append();
  const std::int64_t xmId = item.value("id").asInteger();
  setField(detail, "xm_id", xmId);
  setField(detail, "xm_code", item.get("code"));
  setField(detail, "xm_name", item.get("name"));
  setField(detail, "xm_itemno", item.get("itemno"));
  setField(detail, "xm_baseunit", item.get("baseunit"));
  setField(detail, "minje", isTrueFlag(item.value("minje")));
  setField(detail, "jjfs", item.get("jjfs"));
  setField(detail, "k", floatOr(item.get("k"), 1.0));
  setField(detail, "old_dj", item.value("price_sale").asCurrency());
  setField(detail, "dj", getkhxyj(khId, xmId, 1));
  detail.post();
}

}  // namespace

bool isTrueFlag(const core::Value& v) {
  if (v.type() != core::ValueType::Text) return v.asBool();
  std::string t = v.asText();
  std::transform(t.begin(), t.end(), t.begin(), [](unsigned char c) { return std::tolower(c); });
  return t == "1" || t == "true" || t == "yes" || t == "y" || t == "是";
}

bool isVoidedOrder(std::int64_t id) {
  const std::string found = host::openDataJson(
      "select id from vt_x_xmzzk where id = " + std::to_string(id) + " and zfflag = 1");
  return !core::parseSelection(found).empty();
}

core::Currency getkhxyj(std::int64_t khId, std::int64_t xmId, double sl) {
  const std::string sql = OrderSql::customerPrice();
  host::LogMsg(sql);
  ClientDataSet prices("khxyj");
  host::openDataToCDS(prices, sql, {{"xm_id", xmId}, {"kh_id", khId}, {"sl", sl}});
  if (prices.active() && !prices.isEmpty()) return prices.fieldByName("dj").asCurrency();
  // A price type other than agreement or member level selects nothing: such a
  // customer pays the list price.
  const std::string rows =
      host::openDataJson("select price_sale from vt_b_xmbmk where id = :id", {{"id", xmId}});
  const std::vector<core::JsonRow> found = core::parseSelection(rows);
  return found.empty() ? core::Currency() : found.front().value("price_sale").asCurrency();
}

void openhcdata(ClientDataSet& cdshc, const std::string& billno) {
  host::openDataToCDS(cdshc, OrderSql::consumablesOfBill(billno, host::sysAuth().orgid));
}

void opencpdata(ClientDataSet& cdscpmx, const std::string& billno) {
  host::openDataToCDS(cdscpmx, host::sqlTemplate(OrderSql::productsOfBill()), {{"billno", billno}});
}

void openzzrydata(ClientDataSet& cdszzry, const std::string& billno) {
  host::openDataToCDS(cdszzry, OrderSql::staffOfBill(billno, host::sysAuth().orgid));
}

void openlxrform(std::int64_t khId, ClientDataSet& master) {
  host::TPlugItem* plug = host::plugsPool().plugbyName("客户联系人查询");
  if (plug == nullptr) throw std::logic_error("lookup plug 客户联系人查询 is not registered");
  const std::string chosen = plug->selectData(nullptr, std::to_string(khId), "");
  if (chosen.empty()) return;
  for (const core::JsonRow& row : core::parseSelection(chosen)) {
    if (master.state() == dataset::DataSetState::Browse) master.edit();
    setField(master, "lxr", row.get("contact"));
    setField(master, "tel", row.get("phone"));
    setField(master, "qq", row.get("qq"));
    setField(master, "addr", row.get("addr"));
  }
}

void SelectedxmbmkToDetail(std::int64_t khId, const std::string& selection, ClientDataSet& detail,
                           ClientDataSet* hc, bool& adding) {
  if (selection.empty()) return;
  const bool withConsumables = host::SysConfigCache().isTrue("zidongchuku") && hc != nullptr;
  for (const core::JsonRow& item : core::parseSelection(selection)) {
    host::LogMsg(core::buildJsonArray(std::vector<core::JsonRow>{item}));
    adding = true;
    appendItemLine(khId, item, detail);
    if (withConsumables) {
      const std::string sql =
          host::sqlTemplate(OrderSql::consumablesOfItem(item.value("id").asInteger()));
      hc_add(host::openDataJson(sql), *hc, detail.fieldByName("uid").asString(),
             detail.fieldByName("billno").asString());
    }
    adding = false;
  }
}

void SelectedxmbmkToDetail_xmwtk(const std::string& selection, ClientDataSet& detail,
                                 bool& adding) {
  if (selection.empty()) return;
  for (const core::JsonRow& item : core::parseSelection(selection)) {
    adding = true;
    detail.append();
    setField(detail, "xm_id", item.value("id").asInteger());
    setField(detail, "xm_code", item.get("code"));
    setField(detail, "xm_name", item.get("name"));
    setField(detail, "xm_itemno", item.get("itemno"));
    setField(detail, "xm_baseunit", item.get("baseunit"));
    setField(detail, "dj", item.value("price_in").asCurrency());
    detail.post();
    adding = false;
  }
}

void hc_add(const std::string& selection, ClientDataSet& hc, const std::string& mxUid,
            const std::string& billno) {
  for (const core::JsonRow& goods : core::parseSelection(selection)) {
    const std::optional<std::int64_t> spId = strictInteger(goods.get("id"));
    if (!spId) throw std::invalid_argument("商品编号不是整数：" + goods.get("id"));
    hc.append();
    setField(hc, "billno", billno);
    setField(hc, "uid", host::newid());
    setField(hc, "mx_uid", mxUid);
    setField(hc, "sp_id", *spId);
    setField(hc, "sp_code", goods.get("code"));
    setField(hc, "sp_name", goods.get("name"));
    setField(hc, "itemno", goods.get("itemno"));
    setField(hc, "baseunit", goods.get("baseunit"));
    const double sl = goods.has("sl") ? floatOr(goods.get("sl"), 1.0) : 1.0;
    setField(hc, "nsl", sl);
    setField(hc, "sl", sl);
    setField(hc, "shsl", 0.0);
    hc.post();
  }
}

void zzry_add(const std::string& selection, ClientDataSet& zzry, const std::string& mxUid,
              const std::string& billno) {
  for (const core::JsonRow& emp : core::parseSelection(selection)) {
    const std::int64_t ygId = emp.value("id").asInteger();
    if (!zzry.lookup("yg_id", ygId, "yg_id").isNull()) continue;
    zzry_addone(zzry, billno, mxUid, ygId, emp.get("code"), emp.get("name"), 0);
  }
}

void zzry_addone(ClientDataSet& zzry, const std::string& billno, const std::string& mxUid,
                 std::int64_t ygId, const std::string& ygCode, const std::string& ygName,
                 double perc) {
  zzry.append();
  setField(zzry, "billno", billno);
  setField(zzry, "uid", host::newid());
  setField(zzry, "mx_uid", mxUid);
  setField(zzry, "yg_id", ygId);
  setField(zzry, "yg_code", ygCode);
  setField(zzry, "yg_name", ygName);
  setField(zzry, "perc", perc);
  zzry.post();
}

int doInsert(ClientDataSet& master, ClientDataSet& detail, ClientDataSet& cpmx, ClientDataSet& zzry,
             ClientDataSet& hc, const std::string& workBillno, const host::TPlugItem& item,
             const std::vector<std::string>& ignoreFields) {
  const host::SysAuth& login = host::sysAuth();
  const OrderNumbering numbering{login.orgid, item.code, login.tag, static_cast<int>(login.ck_id)};
  const std::string batch = OrderSaveBatch::insertBatch(
      collectTexts(master, detail, cpmx, zzry, hc, ignoreFields), workBillno, numbering);
  host::LogMsgWithTag(batch, "添加单据");
  return host::execSQL(batch) ? 0 : 1;
}

int doUpdate(ClientDataSet& master, ClientDataSet& detail, ClientDataSet& cpmx, ClientDataSet& zzry,
             ClientDataSet& hc, const std::string& workBillno,
             const std::vector<std::string>& ignoreFields) {
  // For an existing order the working number is the header's own number.
  const std::string batch =
      OrderSaveBatch::updateBatch(collectTexts(master, detail, cpmx, zzry, hc, ignoreFields),
                                  workBillno, host::sysAuth().orgid);
  host::LogMsgWithTag(batch, "保存单据");
  return host::execSQL(batch) ? 0 : 1;
}

}  // namespace plugs::coreapp::xmzzk
