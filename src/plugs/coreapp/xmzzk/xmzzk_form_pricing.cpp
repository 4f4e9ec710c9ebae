// TxmzzkForm, line recalculation: every change of a line's price, quantity, size,
// discount or amount is followed at once — the amount from the price, the customer's
// tier price on a new quantity, the price from a typed amount, consumables after the
// quantity — and the line, staff, consumable and product dataset events.
#include "core/abort.h"
#include "host/services/data_services.h"
#include "host/services/sys_services.h"
#include "plugs/coreapp/xmzzk/line_dataset.h"
#include "plugs/coreapp/xmzzk/publicfunc.h"
#include "plugs/coreapp/xmzzk/xmzzk_form.h"

namespace plugs::coreapp::xmzzk {

void TxmzzkForm::dsDetailDataChange(dataset::DataSource& sender, const dataset::Field* field) {
  TSampleBillEditRibbonForm::dsDetailDataChange(sender, field);
  if (field == nullptr || !isEditing(cdsDetail)) return;
  const std::string name = field->name();
  followOrderLineChange(cdsDetail, cdshc, name, {pricing, reversePricing},
                        [this] { return customerId(); });
  if (name == "xm_code" && !isAutoFill) typedItemCode(*field);
}

void TxmzzkForm::typedItemCode(const dataset::Field& field) {
  const std::string typed = field.asString();
  cdsDetail.cancel();
  const std::string chosen = lookupPlug("服务项目查询", typed, "");
  if (!chosen.empty() && chosen != "[]") SelectedxmbmkToDetail(chosen);
}

void TxmzzkForm::SelectedxmbmkToDetail(const std::string& selection) {
  xmzzk::SelectedxmbmkToDetail(customerId(), selection, cdsDetail, &cdshc, isAutoFill);
}

// ---- line events -------------------------------------------------------------------

void TxmzzkForm::cdsDetailAfterInsert(dataset::ClientDataSet& ds) {
  TSampleBillEditRibbonForm::cdsDetailAfterInsert(ds);
  applyNewLineDefaults(ds, {&cdszzry, &cdshc});
}

void TxmzzkForm::cdsDetailBeforePost(dataset::ClientDataSet& ds) {
  TSampleBillEditRibbonForm::cdsDetailBeforePost(ds);
  if (ds.fieldByName("xm_id").asInteger() == 0) {
    host::MessageMyDlg("请选择服务项目", "提示", host::mtInformation, host::mbOK);
    throw core::Abort();
  }
}

void TxmzzkForm::cdsDetailAfterPost(dataset::ClientDataSet& ds) {
  followLineAmount(cdszzry, ds.fieldByName("je").asCurrency());
}

void TxmzzkForm::cdsDetailBeforeScroll(dataset::ClientDataSet&) { postEdits({&cdszzry, &cdshc}); }

void TxmzzkForm::cdsDetailAfterScroll(dataset::ClientDataSet&) { refilterLineChildren(); }

void TxmzzkForm::cdsDetailBeforeDelete(dataset::ClientDataSet&) {
  for (dataset::ClientDataSet* child : {&cdszzry, &cdshc})
    if (child->active()) deleteShownRows(*child);
}

void TxmzzkForm::postChildEdits() { postEdits({&cdszzry, &cdshc, &cdscpmx}); }

void TxmzzkForm::refilterLineChildren() {
  const std::string uid =
      hasLine() && cdsDetail.findField("uid") ? cdsDetail.fieldByName("uid").asString() : "";
  for (dataset::ClientDataSet* child : {&cdszzry, &cdshc}) filterToLine(*child, uid);
}

// ---- staff, consumables, products --------------------------------------------------------

void TxmzzkForm::cdszzryBeforePost(dataset::ClientDataSet& ds) {
  stampStaffRow(ds, hasLine() ? cdsDetail.fieldByName("je").asCurrency() : core::Currency());
}

void TxmzzkForm::cdszzryAfterPost(dataset::ClientDataSet& ds) {
  // The editor's limit has a little slack (LinePricing::kShareLimit).
  if (!LinePricing::sharesExceedLimit(ds.sum("perc").asFloat())) return;
  refuseStaffShare(ds);
}

void TxmzzkForm::cdshcBeforePost(dataset::ClientDataSet& ds) {
  ds.fieldByName("orgid").setValue(host::sysAuth().orgid);
}

void TxmzzkForm::cdscpmxAfterInsert(dataset::ClientDataSet& ds) {
  if (ds.fieldByName("uid").asString().empty()) {
    ds.fieldByName("orgid").setValue(host::sysAuth().orgid);
    ds.fieldByName("uid").setValue(host::newid());
    ds.fieldByName("billno").setValue(workBillno);
  }
  ds.fieldByName("sl").setValue(1.0);
}

void TxmzzkForm::dscpmxDataChange(dataset::DataSource&, const dataset::Field* field) {
  if (field == nullptr || !isEditing(cdscpmx)) return;
  const std::string name = field->name();
  if (name == "sl" || (name == "dj" && !reversePricing)) {
    ScopedFlag on(pricing);
    cdscpmx.fieldByName("je").setValue(LinePricing::productAmount(
        cdscpmx.fieldByName("sl").asFloat(), cdscpmx.fieldByName("dj").asCurrency()));
  } else if (name == "je" && !pricing) {
    ScopedFlag on(reversePricing);
    if (auto dj = LinePricing::productPrice(cdscpmx.fieldByName("sl").asFloat(),
                                            cdscpmx.fieldByName("je").asCurrency()))
      cdscpmx.fieldByName("dj").setValue(*dj);
  }
}

}  // namespace plugs::coreapp::xmzzk
