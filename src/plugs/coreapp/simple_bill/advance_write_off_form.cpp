// TAdvanceWriteOffForm: what an advance write-off does differently from a receipt.
// Its detail lines hold no account: the account rules of the receipt are left out on
// purpose, and the balance check replaces the receipt's amount check.
#include "plugs/coreapp/simple_bill/advance_write_off_form.h"

#include "host/services/sys_services.h"
#include "plugs/coreapp/simple_bill/source_lines.h"

namespace plugs::coreapp {

namespace {

bool isEditing(const dataset::ClientDataSet& ds) {
  return ds.state() == dataset::DataSetState::Edit || ds.state() == dataset::DataSetState::Insert;
}

core::Currency sumOf(const dataset::ClientDataSet& ds, const char* field) {
  if (!ds.active() || ds.isEmpty()) return core::Currency();
  return ds.sum(field).asCurrency();
}

}  // namespace

TAdvanceWriteOffForm::TAdvanceWriteOffForm(host::FormModel* owner, host::TPlugItem* item,
                                           const WriteOffBillSpec& writeOff, const char* moneyAction)
    : TWriteOffBillForm(owner, item, writeOff), moneyAction_(moneyAction) {}

void TAdvanceWriteOffForm::FormCreate() {
  TWriteOffBillForm::FormCreate();
  // The money-side lines come only from their selector too.
  linesOnlyFromSelector(control(detailGridName), cdsDetail, addingWriteOffs, true);
  action("actDetail_Add").caption = moneyAction_;
}

void TAdvanceWriteOffForm::ComponentReadOnly(bool readOnly) {
  TSimpleBillForm::ComponentReadOnly(readOnly);
  counterpartyBox.setReadOnly(readOnly);
}

void TAdvanceWriteOffForm::cdsDetailAfterInsert(dataset::ClientDataSet& ds) {
  ds.fieldByName("hxje").setValue(core::Value(core::Currency()));
}

void TAdvanceWriteOffForm::cdsDetailBeforePost(dataset::ClientDataSet& ds) { cdshxmxBeforePost(ds); }

void TAdvanceWriteOffForm::dsDetailDataChange(dataset::DataSource& sender, const dataset::Field* field) {
  TSimpleBillForm::dsDetailDataChange(sender, field);
}

bool TAdvanceWriteOffForm::CheckBillError(std::string& message) {
  if (isEditing(cdsMaster)) cdsMaster.post();
  if (isEditing(cdshxmx)) cdshxmx.post();
  if (TSimpleBillForm::CheckBillError(message)) return true;
  cdsMaster.edit();
  cdsMaster.fieldByName(writeOff.counterparty.idField).setValue(core::Value(counterpartyBox.id()));
  cdsMaster.post();
  if (cdsMaster.fieldByName(writeOff.counterparty.idField).asInteger() == 0) {
    message = "请选择往来单位.";
    return true;
  }
  if (sumOf(cdsDetail, "hxje") != sumOf(cdshxmx, "hxje")) {
    message = "核销金额必须相等.";
    return true;
  }
  return false;
}

int TAdvanceWriteOffForm::AuditingData_1() { return TSimpleBillForm::AuditingData_1(); }

bool TAdvanceWriteOffForm::hasCounterparty() {
  if (counterpartyBox.id() != 0) return true;
  host::MessageMyDlg("请选择往来单位", "提示", host::mtInformation);
  return false;
}

void TAdvanceWriteOffForm::actDetail_AddExecute(host::Action&) {
  if (editMode && hasCounterparty()) addChosenLines(cdsDetail, selectMoneySources());
}

void TAdvanceWriteOffForm::acthxmx_AddExecute(host::Action& sender) {
  if (editMode && hasCounterparty()) TWriteOffBillForm::acthxmx_AddExecute(sender);
}

}  // namespace plugs::coreapp
