// Tsamplexmzzkform, the lines and the quick list: a new line's defaults, lines from the
// quick list or the item lookup, the amount and price of a line (the order's pricing
// rules without customer prices), and the upkeep of the outlet's quick list.
#include <algorithm>
#include <initializer_list>
#include <stdexcept>

#include "core/abort.h"
#include "core/json.h"
#include "core/strings.h"
#include "host/plug/t_plugs_pool.h"
#include "host/services/data_services.h"
#include "host/services/sys_services.h"
#include "host/services/t_auth.h"
#include "plugs/coreapp/xmzzk/line_dataset.h"
#include "plugs/coreapp/xmzzk/publicfunc.h"
#include "plugs/coreapp/xmzzk/samplexmzzk_form.h"
#include "plugs/coreapp/xmzzk/samplexmzzk_sql.h"

namespace plugs::coreapp::xmzzk {

namespace {

constexpr const char* kUpkeepRight = "1103_02";

}  // namespace

void Tsamplexmzzkform::cdsmxAfterInsert(dataset::ClientDataSet& ds) {
  if (!ds.fieldByName("uid").asString().empty()) return;
  ds.fieldByName("id").setValue(0);
  ds.fieldByName("orgid").setValue(host::sysAuth().orgid);
  ds.fieldByName("uid").setValue(host::newid());
  ds.fieldByName("billno").setValue(tempBillno);
  // The counter's lines have no consumables or staff to filter.
  applyNewLineDefaults(ds, {});
}

void Tsamplexmzzkform::dsmxDataChange(dataset::DataSource&, const dataset::Field* field) {
  if (field == nullptr || !isEditing(cdsmx)) return;
  // No customer price on a new quantity here: the counter sells at the list price.
  followLineFigures(cdsmx, field->name(), {pricing, reversePricing});
}

void Tsamplexmzzkform::actmx_selectExecute(host::Action&) {
  if (!cdslist.active() || cdslist.isEmpty()) return;
  auto item = [this](const char* f) { return cdslist.fieldByName(f).value(); };
  cdsmx.append();
  cdsmx.fieldByName("xm_id").setValue(item("id"));
  cdsmx.fieldByName("xm_code").setValue(item("code"));
  cdsmx.fieldByName("xm_name").setValue(item("name"));
  cdsmx.fieldByName("xm_itemno").setValue(item("itemno"));
  cdsmx.fieldByName("xm_baseunit").setValue(item("baseunit"));
  cdsmx.fieldByName("k").setValue(item("k"));
  cdsmx.fieldByName("minje").setValue(item("minje"));
  cdsmx.fieldByName("old_dj").setValue(item("price_sale"));
  // The price goes in before the pricing way: the amount the price raises is worked
  // out with no way set yet, so it is divided by k whatever the item's way; the next
  // change of a quantity or size gives the amount by the item's own way.
  cdsmx.fieldByName("dj").setValue(item("price_sale"));
  cdsmx.fieldByName("jjfs").setValue(item("jjfs"));
  cdsmx.post();
}

std::string Tsamplexmzzkform::lookupItems() {
  host::TPlugItem* plug = host::plugsPool().plugbyName("服务项目查询");
  if (plug == nullptr) throw std::logic_error("lookup plug 服务项目查询 is not registered");
  return plug->selectData(this, "", "");
}

void Tsamplexmzzkform::actmx_addExecute(host::Action&) {
  bool filling = false;
  // Customer 0: the lookup's lines are priced by tier or list price, as at the counter.
  SelectedxmbmkToDetail(0, lookupItems(), cdsmx, nullptr, filling);
}

void Tsamplexmzzkform::actmx_delExecute(host::Action&) {
  if (!cdsmx.active() || cdsmx.isEmpty()) return;
  cdsmx.deleteRecord();
}

// ---- quick list upkeep ---------------------------------------------------------------

void Tsamplexmzzkform::actlist_addExecute(host::Action&) {
  host::TAuth::requireRight(kUpkeepRight);
  const std::string chosen = lookupItems();
  if (chosen.empty()) return;  // nothing chosen: the list stays as it is
  std::vector<std::string> statements;
  for (const core::JsonRow& row : core::parseSelection(chosen)) {
    // Only the integer id reaches the SQL text; a row without one is skipped.
    const std::int64_t xmId = row.value("id").asInteger();
    if (xmId != 0) statements.push_back(SamplexmzzkSql::quickAdd(host::sysAuth().ck_id, xmId));
  }
  if (statements.empty()) return;
  if (!host::execSQL(host::sqlTemplate(core::join(statements, "\r\n")))) {
    host::MessageMyDlg(host::lastExecSQLError(), "提示", host::mtError);
    throw core::Abort();
  }
  initxmlist_();
}

void Tsamplexmzzkform::actlist_delExecute(host::Action&) {
  host::TAuth::requireRight(kUpkeepRight);
  if (!cdslist.active() || cdslist.isEmpty()) return;
  const int answer = host::MessageMyDlg("是否确定移除选中的项目", "提示", host::mtConfirmation,
                                        host::mbYes | host::mbNo);
  if (answer != host::mrYes && answer != host::mrOK) return;
  cdslist.deleteRecord();
}

void Tsamplexmzzkform::cdslistAfterDelete(dataset::ClientDataSet& ds) {
  std::vector<std::string> list;
  host::GetUpDataSQLList("vt_b_xmbmk_quick", "iid", {}, ds, list, 0);
  // The list names the quick row's key "iid"; in its table the column is "id".
  const std::string sql = core::replaceAll(core::join(list, "\r\n"), "iid", "id");
  const bool done = host::execSQL(sql);
  // Reopen either way so the list shows what the table holds.
  initxmlist_();
  if (!done) {
    host::MessageMyDlg(host::lastExecSQLError(), "提示", host::mtError);
    throw core::Abort();
  }
}

void Tsamplexmzzkform::actlist_refExecute(host::Action&) { initxmlist_(); }

}  // namespace plugs::coreapp::xmzzk
