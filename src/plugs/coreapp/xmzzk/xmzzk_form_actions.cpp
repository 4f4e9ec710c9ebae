// TxmzzkForm, what the clerk does with the order's parts: the customer and his default
// contact, lines from the item lookup, consumables and staff of a line (with even and
// fixed shares), products, and the host windows opened from the header.
#include <stdexcept>
#include <tuple>
#include <vector>

#include "core/abort.h"
#include "core/json.h"
#include "host/host.h"
#include "host/lookup/entry_plugs.h"
#include "host/plug/t_plugs_pool.h"
#include "host/services/data_services.h"
#include "host/services/host_dialogs.h"
#include "host/services/sys_config_cache.h"
#include "host/services/sys_services.h"
#include "plugs/coreapp/xmzzk/line_dataset.h"
#include "plugs/coreapp/xmzzk/order_sql.h"
#include "plugs/coreapp/xmzzk/publicfunc.h"
#include "plugs/coreapp/xmzzk/xmzzk_form.h"

namespace plugs::coreapp::xmzzk {

namespace {

void setMaster(dataset::ClientDataSet& m, std::string_view field, const core::Value& v) {
  if (!isEditing(m)) m.edit();
  m.fieldByName(field).setValue(v);
}

}  // namespace

std::string TxmzzkForm::lookupPlug(const std::string& caption, const std::string& filter,
                                   const std::string& options) {
  host::TPlugItem* plug = host::plugsPool().plugbyName(caption);
  if (plug == nullptr) throw std::logic_error("lookup plug " + caption + " is not registered");
  return plug->selectData(this, filter, options);
}

void TxmzzkForm::setkhinfo(const std::string& selection) {
  if (selection.empty()) return;
  const std::vector<core::JsonRow> rows = core::parseSelection(selection);
  if (rows.empty()) return;
  const core::JsonRow& kh = rows.front();
  const std::int64_t id = kh.value("id").asInteger();
  if (id != customerId())
    for (const char* f : {"lxr", "tel", "qq", "addr"}) setMaster(cdsMaster, f, core::Value());
  host::Control& box = control("edtwldw");
  box.text = kh.get("code");
  box.tag = id;
  control("edtwldwmc").text = kh.get("name");
  setMaster(cdsMaster, "khlx", kh.get("khlx"));
  if (const std::int64_t ywy = kh.value("ywy_id").asInteger(); ywy != 0) {
    for (const core::JsonRow& yg :
         core::parseSelection(host::getDataById("vt_b_ygbmk", ywy, "id"))) {
      setMaster(cdsMaster, "ywy_id", yg.value("id").asInteger());
      setMaster(cdsMaster, "ywy_code", yg.get("code"));
      setMaster(cdsMaster, "ywy_name", yg.get("name"));
    }
  }
  const std::string contacts = host::openDataJson(host::sqlTemplate(OrderSql::defaultContact(id)));
  for (const core::JsonRow& c : core::parseSelection(contacts)) {
    setMaster(cdsMaster, "lxr", c.get("contact"));
    setMaster(cdsMaster, "tel", c.get("phone"));
    setMaster(cdsMaster, "qq", c.get("qq"));
    setMaster(cdsMaster, "addr", c.get("addr"));
  }
  if (host::SysConfigCache().isTrue("lxrzxuanze")) openlxrform(id, cdsMaster);
}

void TxmzzkForm::edtwldwKeyDown() {
  if (!editMode) return;
  // The quick lookup takes the typed text as its key.
  setkhinfo(lookupPlug("客户会员快速查询", control("edtwldw").text, ""));
}

void TxmzzkForm::actDetail_AddExecute(host::Action&) {
  SelectedxmbmkToDetail(lookupPlug("服务项目查询", "", ""));
}

void TxmzzkForm::actNewCustExecute(host::Action&) {
  host::TPlugItem* plug = host::plugsPool().plugbyName("新客户");
  if (plug == nullptr) throw std::logic_error("host plug 新客户 is not registered");
  plug->create(this, "");
  // The customer just made is the one the clerk is taking the order for.
  if (editMode) setkhinfo(host::takeEntryMadeFor(this));
}

// ---- consumables ------------------------------------------------------------------

void TxmzzkForm::acthc_addExecute(host::Action&) {
  if (isEditing(cdsDetail)) cdsDetail.post();
  const std::string chosen = lookupPlug("商品信息查询", "", "");
  if (chosen.empty()) return;
  hc_add(chosen, cdshc, cdsDetail.fieldByName("uid").asString(), workBillno);
}

void TxmzzkForm::acthc_delExecute(host::Action&) { cdshc.deleteRecord(); }

// ---- staff -------------------------------------------------------------------------------

void TxmzzkForm::actzzry_addExecute(host::Action&) {
  if (!hasLine()) refuse("请先添加明细项目");
  if (isEditing(cdsDetail)) cdsDetail.post();
  const std::string chosen = lookupPlug("员工信息查询", "", R"({"model":"multi"})");
  if (chosen.empty()) return;
  zzry_add(chosen, cdszzry, cdsDetail.fieldByName("uid").asString(), workBillno);
  splitSharesEvenly(cdszzry);
}

void TxmzzkForm::actzzry_addmeExecute(host::Action&) {
  if (isEditing(cdsDetail)) cdsDetail.post();
  const host::SysAuth& me = host::sysAuth();
  if (cdszzry.lookup("yg_id", me.czy_id, "yg_id").isNull())
    zzry_addone(cdszzry, workBillno, cdsDetail.fieldByName("uid").asString(), me.czy_id, me.code,
                me.name, 0);
  splitSharesEvenly(cdszzry);
}

void TxmzzkForm::actzzry_agvExecute(host::Action&) { splitSharesEvenly(cdszzry); }

void TxmzzkForm::actzzry_sameExecute(host::Action&) {
  if (isEditing(cdsDetail)) cdsDetail.post();
  copyStaffToOtherLines(cdsDetail, cdszzry, workBillno);
}

void TxmzzkForm::setSelectedShare(double perc) {
  if (cdszzry.isEmpty()) return;
  cdszzry.edit();
  cdszzry.fieldByName("perc").setValue(perc);
  cdszzry.post();
}

void TxmzzkForm::actzzry_delExecute(host::Action&) { cdszzry.deleteRecord(); }

// ---- products ------------------------------------------------------------------------

void TxmzzkForm::addProductsFromLookup() {
  if (!editMode) return;
  const std::string typed = cdscpmx.isEmpty() ? "" : cdscpmx.fieldByName("cpcode").asString();
  const std::string chosen = lookupPlug("商品信息查询", typed, "");
  if (chosen.empty()) return;
  // The new-item row the code was typed into gives way to the chosen goods.
  if (cdscpmx.state() == dataset::DataSetState::Insert) cdscpmx.cancel();
  for (const core::JsonRow& goods : core::parseSelection(chosen)) {
    cdscpmx.append();
    cdscpmx.fieldByName("cpcode").setValue(goods.get("code"));
    cdscpmx.fieldByName("cpname").setValue(goods.get("name"));
    cdscpmx.fieldByName("itemno").setValue(goods.get("itemno"));
    cdscpmx.fieldByName("dw").setValue(goods.get("baseunit"));
    cdscpmx.fieldByName("sl").setValue(1.0);
    cdscpmx.fieldByName("dj").setValue(goods.value("pricesale").asCurrency());
    cdscpmx.post();
  }
}

void TxmzzkForm::actcpmx_editExecute(host::Action&) { cdscpmx.edit(); }

void TxmzzkForm::actcpmx_delExecute(host::Action&) { cdscpmx.deleteRecord(); }

// ---- host windows -------------------------------------------------------------------------

void TxmzzkForm::acthistoryExecute(host::Action&) {
  host::showPriceHistory(this, customerId(), cdsDetail.fieldByName("xm_id").asInteger());
}

void TxmzzkForm::pickProjectName() {
  if (!editMode) return;
  const host::DialogReply reply = host::currentHost().screen().hostDialog(
      "Tgcxmmcform", {{"kh_id", std::to_string(customerId())}});
  if (reply.result == host::mrOK) setMaster(cdsMaster, "gcxmmc", reply.text);
}

void TxmzzkForm::pickFileDir() {
  // The host's file explorer works on the bill's own folder.
  host::openFileExplorer(this, workBillno);
}

void TxmzzkForm::pickRequirements() {
  if (!editMode) return;
  // The picker gives the memo's text itself (the chosen requirements, one a line), not
  // rows; nothing chosen leaves the memo as it was.
  const std::string chosen = lookupPlug("制作要求查询", "", "");
  if (!chosen.empty()) setMaster(cdsMaster, "zzyq", chosen);
}

}  // namespace plugs::coreapp::xmzzk
