// Txmzzkworkform, what production changes: line recalculation on every field change
// (amount from price, customer price by quantity, consumables after the quantity,
// price from a typed amount, a typed item code), the line, staff and consumable
// events, and the line, staff and consumable actions. A line's staff shares may add
// up to 100 and no more.
#include "core/abort.h"
#include "host/services/data_services.h"
#include "host/services/sys_services.h"
#include "plugs/coreapp/xmzzk/line_dataset.h"
#include "plugs/coreapp/xmzzk/publicfunc.h"
#include "plugs/coreapp/xmzzk/xmzzk_work_form.h"

namespace plugs::coreapp::xmzzk {

namespace {

// Shares are floats: an even split of 100 among 3 or 7 adds up a hair above 100 in
// binary, which is still "exactly 100" to the user.
constexpr double kShareSlack = 1e-9;

}  // namespace

// ---- recalculation ------------------------------------------------------------------

void Txmzzkworkform::dsDetailDataChange(dataset::DataSource&, const dataset::Field* field) {
  if (field == nullptr || !isEditing(cdsDetail)) return;
  const std::string name = field->name();
  followOrderLineChange(cdsDetail, cdshc, name, {pricing, reversePricing},
                        [this] { return customerId(); });
  if (name == "xm_code" && !isAutoFill) typedItemCode(*field);
}

void Txmzzkworkform::typedItemCode(const dataset::Field& field) {
  const std::string typed = field.asString();
  cdsDetail.cancel();
  addSelectedItems(runPlug("服务项目查询", typed, ""));
}

void Txmzzkworkform::postLineEdit() {
  if (isEditing(cdsDetail)) cdsDetail.post();
}

// ---- line events ---------------------------------------------------------------------

void Txmzzkworkform::cdsDetailAfterInsert(dataset::ClientDataSet& ds) {
  if (ds.fieldByName("uid").asString().empty()) {
    ds.fieldByName("orgid").setValue(host::sysAuth().orgid);
    ds.fieldByName("uid").setValue(host::newid());
    ds.fieldByName("billno").setValue(billno);
  }
  ds.fieldByName("id").setValue(0);
  applyNewLineDefaults(ds, {&cdszzry, &cdshc});
}

void Txmzzkworkform::cdsDetailBeforePost(dataset::ClientDataSet& ds) {
  if (ds.fieldByName("xm_id").asInteger() == 0) refuse("请选择服务项目");
}

void Txmzzkworkform::cdsDetailAfterPost(dataset::ClientDataSet& ds) {
  followLineAmount(cdszzry, ds.fieldByName("je").asCurrency());
}

void Txmzzkworkform::cdsDetailBeforeScroll(dataset::ClientDataSet&) {
  postEdits({&cdszzry, &cdshc});
}

void Txmzzkworkform::cdsDetailAfterScroll(dataset::ClientDataSet&) { refilterLineChildren(); }

// ---- staff and consumable events -----------------------------------------------------

void Txmzzkworkform::cdszzryBeforePost(dataset::ClientDataSet& ds) {
  stampStaffRow(ds, hasLine() ? cdsDetail.fieldByName("je").asCurrency() : core::Currency());
}

void Txmzzkworkform::cdszzryAfterPost(dataset::ClientDataSet& ds) {
  // The dataset shows the line's staff only, so its sum is the line's. This window
  // allows exactly 100 (the order editor a little more).
  if (ds.sum("perc").asFloat() <= kShareLimit + kShareSlack) return;
  refuseStaffShare(ds);
}

void Txmzzkworkform::cdshcBeforePost(dataset::ClientDataSet& ds) {
  ds.fieldByName("orgid").setValue(host::sysAuth().orgid);
}

// ---- line actions ---------------------------------------------------------------------

void Txmzzkworkform::actDetail_addExecute(host::Action&) {
  addSelectedItems(runPlug("服务项目查询", "", ""));
}

void Txmzzkworkform::actDetail_editExecute(host::Action&) { cdsDetail.edit(); }

void Txmzzkworkform::actDetail_delExecute(host::Action&) {
  // The line's staff and consumables go with it (both are filtered to the line).
  // A share or quantity still being typed goes with them unposted.
  for (dataset::ClientDataSet* child : {&cdszzry, &cdshc}) {
    if (!child->active()) continue;
    if (isEditing(*child)) child->cancel();
    deleteShownRows(*child);
  }
  cdsDetail.deleteRecord();
}

// ---- staff actions --------------------------------------------------------------------

void Txmzzkworkform::actzzry_addExecute(host::Action&) {
  if (!hasLine()) refuse("请先添加明细项目");
  postLineEdit();
  const std::string chosen = runPlug("员工信息查询", "", R"({"model":"multi"})");
  if (chosen.empty()) return;
  zzry_add(chosen, cdszzry, lineUid(), billno);
  action("actzzry_agv").execute();
}

void Txmzzkworkform::actzzry_agvExecute(host::Action&) { splitSharesEvenly(cdszzry); }

void Txmzzkworkform::actzzry_addmeExecute(host::Action&) {
  if (!hasLine()) return;
  postLineEdit();
  const host::SysAuth& me = host::sysAuth();
  if (!cdszzry.lookup("yg_id", me.czy_id, "yg_id").isNull()) return;
  zzry_addone(cdszzry, billno, lineUid(), me.czy_id, me.code, me.name, 0);
}

void Txmzzkworkform::setSelectedShare(double perc) {
  if (!cdszzry.active() || cdszzry.isEmpty()) return;
  cdszzry.edit();
  cdszzry.fieldByName("perc").setValue(perc);
  cdszzry.post();
}

void Txmzzkworkform::actzzry_sameExecute(host::Action&) {
  if (!hasLine() || !cdszzry.active() || cdszzry.isEmpty()) return;
  postLineEdit();
  copyStaffToOtherLines(cdsDetail, cdszzry, billno);
}

void Txmzzkworkform::actzzry_delExecute(host::Action&) {
  if (cdszzry.active() && !cdszzry.isEmpty()) cdszzry.deleteRecord();
}

// ---- consumable actions ---------------------------------------------------------------

void Txmzzkworkform::acthc_addExecute(host::Action&) {
  if (!hasLine()) return;
  postLineEdit();
  const std::string chosen = runPlug("商品信息查询", "", "");
  if (chosen.empty()) return;
  hc_add(chosen, cdshc, lineUid(), billno);
}

void Txmzzkworkform::acthc_delExecute(host::Action&) {
  if (cdshc.active() && !cdshc.isEmpty()) cdshc.deleteRecord();
}

}  // namespace plugs::coreapp::xmzzk
