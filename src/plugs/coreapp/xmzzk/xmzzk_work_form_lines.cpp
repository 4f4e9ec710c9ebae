// Txmzzkworkform, what production changes: line recalculation on every field change
// (amount from price, customer price by quantity, consumables after the quantity,
// price from a typed amount, a typed item code), the line, staff and consumable
// events, and the line, staff and consumable actions. A line's staff shares may add
// up to 100 and no more.
#include <algorithm>
#include <vector>

#include "core/abort.h"
#include "host/services/data_services.h"
#include "host/services/sys_services.h"
#include "plugs/coreapp/xmzzk/line_dataset.h"
#include "plugs/coreapp/xmzzk/publicfunc.h"
#include "plugs/coreapp/xmzzk/xmzzk_work_form.h"

namespace plugs::coreapp::xmzzk {

namespace {

bool isOneOf(const std::string& name, std::initializer_list<const char*> names) {
  return std::any_of(names.begin(), names.end(), [&](const char* n) { return name == n; });
}

// Shares are floats: an even split of 100 among 3 or 7 adds up a hair above 100 in
// binary, which is still "exactly 100" to the user.
constexpr double kShareSlack = 1e-9;

// One staff member of a line as actzzry_same copies it.
struct StaffShare {
  std::int64_t ygId;
  std::string code;
  std::string name;
  double perc;
};

}  // namespace

// ---- recalculation ------------------------------------------------------------------

void Txmzzkworkform::dsDetailDataChange(dataset::DataSource&, const dataset::Field* field) {
  if (field == nullptr || !isEditing(cdsDetail)) return;
  const std::string name = field->name();
  if (isOneOf(name, {"zk", "sl", "n", "x", "y"}) || (name == "dj" && !reversePricing))
    amountFromPrice();
  if (isOneOf(name, {"sl", "n"})) repriceByQuantity();
  if (name == "je" && !pricing) priceFromAmount();
  if (name == "xm_code" && !isAutoFill) typedItemCode(*field);
}

void Txmzzkworkform::amountFromPrice() {
  ScopedFlag on(pricing);
  storeAmountFromPrice(cdsDetail);
}

void Txmzzkworkform::repriceByQuantity() {
  const double sl = cdsDetail.fieldByName("sl").asFloat();
  const double n = cdsDetail.fieldByName("n").asFloat();
  {
    ScopedFlag on(pricing);
    // Storing the price raises the change of dj, which recomputes the amount.
    cdsDetail.fieldByName("dj").setValue(
        getkhxyj(customerId(), cdsDetail.fieldByName("xm_id").asInteger(), sl * n));
  }
  followLineQuantity(cdshc, sl, n);
}

void Txmzzkworkform::priceFromAmount() {
  ScopedFlag on(reversePricing);
  storePriceFromAmount(cdsDetail);
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
  for (const char* f : {"sl", "n", "x", "y", "zk"}) ds.fieldByName(f).setValue(1.0);
}

void Txmzzkworkform::cdsDetailBeforePost(dataset::ClientDataSet& ds) {
  if (ds.fieldByName("xm_id").asInteger() == 0) refuse("请选择服务项目");
}

void Txmzzkworkform::cdsDetailAfterPost(dataset::ClientDataSet& ds) {
  if (!cdszzry.active() || cdszzry.isEmpty()) return;
  const core::Currency je = ds.fieldByName("je").asCurrency();
  const dataset::Bookmark at = cdszzry.bookmark();
  // From the current staff row on; the save batch recomputes every row on the server.
  for (; !cdszzry.eof(); cdszzry.next()) {
    cdszzry.edit();
    cdszzry.fieldByName("jxje").setValue(
        LinePricing::staffAmount(je, cdszzry.fieldByName("perc").asFloat()));
    cdszzry.fieldByName("jxjf").setValue(0);
    cdszzry.post();
  }
  if (cdszzry.bookmarkValid(at)) cdszzry.gotoBookmark(at);
}

void Txmzzkworkform::cdsDetailBeforeScroll(dataset::ClientDataSet&) {
  for (dataset::ClientDataSet* child : {&cdszzry, &cdshc})
    if (isEditing(*child)) child->post();
}

void Txmzzkworkform::cdsDetailAfterScroll(dataset::ClientDataSet&) { refilterLineChildren(); }

// ---- staff and consumable events -----------------------------------------------------

void Txmzzkworkform::cdszzryBeforePost(dataset::ClientDataSet& ds) {
  ds.fieldByName("orgid").setValue(host::sysAuth().orgid);
  const core::Currency je = hasLine() ? cdsDetail.fieldByName("je").asCurrency() : core::Currency();
  ds.fieldByName("jxje").setValue(LinePricing::staffAmount(je, ds.fieldByName("perc").asFloat()));
}

void Txmzzkworkform::cdszzryAfterPost(dataset::ClientDataSet& ds) {
  // The dataset shows the line's staff only, so its sum is the line's.
  if (ds.sum("perc").asFloat() <= kShareLimit + kShareSlack) return;
  host::MessageMyDlg("分配的比例总和已超过100%，请重新分配.", "提示", host::mtInformation,
                     host::mbOK);
  // Posted at once, so that no cancel can bring the refused share back.
  ds.edit();
  for (const char* f : {"perc", "jxje", "jxjf"}) ds.fieldByName(f).setValue(0);
  ds.post();
  throw core::Abort();
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
  for (dataset::ClientDataSet* child : {&cdszzry, &cdshc}) {
    if (!child->active()) continue;
    if (isEditing(*child)) child->cancel();
    while (!child->isEmpty()) {
      child->first();
      child->deleteRecord();
    }
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

void Txmzzkworkform::actzzry_agvExecute(host::Action&) {
  const int count = cdszzry.recordCount();
  if (count == 0) return;
  // Zero every share first, so that no sum on the way passes the limit.
  for (double share : {0.0, 100.0 / count}) {
    for (cdszzry.first(); !cdszzry.eof(); cdszzry.next()) {
      cdszzry.edit();
      cdszzry.fieldByName("perc").setValue(share);
      cdszzry.post();
    }
  }
  cdszzry.first();
}

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
  std::vector<StaffShare> staff;
  for (cdszzry.first(); !cdszzry.eof(); cdszzry.next())
    staff.push_back(
        {cdszzry.fieldByName("yg_id").asInteger(), cdszzry.fieldByName("yg_code").asString(),
         cdszzry.fieldByName("yg_name").asString(), cdszzry.fieldByName("perc").asFloat()});
  const dataset::Bookmark start = cdsDetail.bookmark();
  // Moving through the lines refilters the staff to each line in turn.
  for (cdsDetail.first(); !cdsDetail.eof(); cdsDetail.next()) {
    if (cdsDetail.bookmark() == start) continue;
    while (!cdszzry.isEmpty()) {
      cdszzry.first();
      cdszzry.deleteRecord();
    }
    const std::string uid = lineUid();
    for (const StaffShare& s : staff)
      zzry_addone(cdszzry, billno, uid, s.ygId, s.code, s.name, s.perc);
  }
  cdsDetail.gotoBookmark(start);
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
