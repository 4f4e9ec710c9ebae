// TxmzzkForm, line recalculation: every change of a line's price, quantity, size,
// discount or amount is followed at once — the amount from the price, the customer's
// tier price on a new quantity, the price from a typed amount, consumables after the
// quantity — and the line, staff, consumable and product dataset events.
#include <algorithm>

#include "core/abort.h"
#include "host/services/data_services.h"
#include "host/services/sys_services.h"
#include "plugs/coreapp/xmzzk/line_dataset.h"
#include "plugs/coreapp/xmzzk/publicfunc.h"
#include "plugs/coreapp/xmzzk/xmzzk_form.h"

namespace plugs::coreapp::xmzzk {

namespace {

bool isOneOf(const std::string& name, std::initializer_list<const char*> names) {
  return std::any_of(names.begin(), names.end(), [&](const char* n) { return name == n; });
}

}  // namespace

void TxmzzkForm::dsDetailDataChange(dataset::DataSource& sender, const dataset::Field* field) {
  TSampleBillEditRibbonForm::dsDetailDataChange(sender, field);
  if (field == nullptr || !isEditing(cdsDetail)) return;
  const std::string name = field->name();
  if (isOneOf(name, {"zk", "sl", "n", "x", "y"}) || (name == "dj" && !reversePricing))
    amountFromPrice();
  if (isOneOf(name, {"sl", "n"})) repriceByQuantity();
  if (name == "je" && !pricing) priceFromAmount();
  if (name == "xm_code" && !isAutoFill) typedItemCode(*field);
}

void TxmzzkForm::amountFromPrice() {
  ScopedFlag on(pricing);
  storeAmountFromPrice(cdsDetail);
}

void TxmzzkForm::repriceByQuantity() {
  const double quantity =
      cdsDetail.fieldByName("sl").asFloat() * cdsDetail.fieldByName("n").asFloat();
  {
    ScopedFlag on(pricing);
    // Storing the price raises the change of dj, which recomputes the amount.
    cdsDetail.fieldByName("dj").setValue(
        getkhxyj(customerId(), cdsDetail.fieldByName("xm_id").asInteger(), quantity));
  }
  followLineQuantity(cdshc, cdsDetail.fieldByName("sl").asFloat(),
                     cdsDetail.fieldByName("n").asFloat());
}

void TxmzzkForm::priceFromAmount() {
  ScopedFlag on(reversePricing);
  storePriceFromAmount(cdsDetail);
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
  for (const char* f : {"sl", "n", "x", "y", "zk"}) ds.fieldByName(f).setValue(1.0);
}

void TxmzzkForm::cdsDetailBeforePost(dataset::ClientDataSet& ds) {
  TSampleBillEditRibbonForm::cdsDetailBeforePost(ds);
  if (ds.fieldByName("xm_id").asInteger() == 0) {
    host::MessageMyDlg("请选择服务项目", "提示", host::mtInformation, host::mbOK);
    throw core::Abort();
  }
}

void TxmzzkForm::cdsDetailAfterPost(dataset::ClientDataSet& ds) {
  if (!cdszzry.active() || cdszzry.isEmpty()) return;
  const core::Currency je = ds.fieldByName("je").asCurrency();
  const dataset::Bookmark at = cdszzry.bookmark();
  // From the current staff row to the last (the server recomputes all of them at save).
  for (; !cdszzry.eof(); cdszzry.next()) {
    cdszzry.edit();
    cdszzry.fieldByName("jxje").setValue(
        LinePricing::staffAmount(je, cdszzry.fieldByName("perc").asFloat()));
    cdszzry.fieldByName("jxjf").setValue(0);
    cdszzry.post();
  }
  if (cdszzry.bookmarkValid(at)) cdszzry.gotoBookmark(at);
}

void TxmzzkForm::cdsDetailBeforeScroll(dataset::ClientDataSet&) {
  for (dataset::ClientDataSet* child : {&cdszzry, &cdshc})
    if (isEditing(*child)) child->post();
}

void TxmzzkForm::cdsDetailAfterScroll(dataset::ClientDataSet&) { refilterLineChildren(); }

void TxmzzkForm::cdsDetailBeforeDelete(dataset::ClientDataSet&) {
  for (dataset::ClientDataSet* child : {&cdszzry, &cdshc}) {
    if (!child->active()) continue;
    while (!child->isEmpty()) {
      child->first();
      child->deleteRecord();
    }
  }
}

void TxmzzkForm::postChildEdits() {
  for (dataset::ClientDataSet* child : {&cdszzry, &cdshc, &cdscpmx})
    if (isEditing(*child)) child->post();
}

void TxmzzkForm::refilterLineChildren() {
  const std::string uid =
      hasLine() && cdsDetail.findField("uid") ? cdsDetail.fieldByName("uid").asString() : "";
  for (dataset::ClientDataSet* child : {&cdszzry, &cdshc}) {
    if (!child->active()) continue;
    child->setFiltered(false);
    child->setFilter("mx_uid='" + uid + "'");
    child->setFiltered(true);
  }
}

// ---- staff, consumables, products --------------------------------------------------------

void TxmzzkForm::cdszzryBeforePost(dataset::ClientDataSet& ds) {
  ds.fieldByName("orgid").setValue(host::sysAuth().orgid);
  const core::Currency je = hasLine() ? cdsDetail.fieldByName("je").asCurrency() : core::Currency();
  ds.fieldByName("jxje").setValue(LinePricing::staffAmount(je, ds.fieldByName("perc").asFloat()));
}

void TxmzzkForm::cdszzryAfterPost(dataset::ClientDataSet& ds) {
  const double total = ds.sum("perc").asFloat();
  if (!LinePricing::sharesExceedLimit(total)) return;
  host::MessageMyDlg("分配的比例总和已超过100%，请重新分配.", "提示", host::mtInformation,
                     host::mbOK);
  ds.edit();
  for (const char* f : {"perc", "jxje", "jxjf"}) ds.fieldByName(f).setValue(0);
  ds.post();
  throw core::Abort();
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
