// TCustomerSourceBillForm: lines come only from the selector (the grid and the dataset
// take no other), each source once; their
// figures are read again whenever the bill opens, so it never keeps stale amounts.
#include "plugs/coreapp/simple_bill/customer_source_bill_form.h"

#include <stdexcept>

#include "core/scoped_flag.h"
#include "host/plug/t_plugs_pool.h"
#include "host/services/data_services.h"
#include "host/services/sys_services.h"
#include "plugs/coreapp/simple_bill/source_lines.h"

namespace plugs::coreapp {

namespace {

bool isEditing(const dataset::ClientDataSet& ds) {
  return ds.state() == dataset::DataSetState::Edit || ds.state() == dataset::DataSetState::Insert;
}

}  // namespace

TCustomerSourceBillForm::TCustomerSourceBillForm(host::FormModel* owner, host::TPlugItem* item,
                                                 const SimpleBillSpec& spec, const SourceLines& sources)
    : TSimpleBillForm(owner, item, spec), sources(sources), counterpartyBox(*this, kCustomer) {
  statusCaptions.emplace_back("已复核");  // status 2: the statement was reviewed
}

void TCustomerSourceBillForm::addLeadingControls() {
  counterpartyBox.add([this] {
    if (!editMode) return;
    if (!isEditing(cdsMaster)) cdsMaster.edit();
    counterpartyBox.pick();
  });
}

void TCustomerSourceBillForm::FormCreate() {
  TSimpleBillForm::FormCreate();
  control(detailGridName).caption = sources.panel;
  control(detailGridName).onDblClick = [this] { cxgDetailDBTableView1DblClick(); };
  linesOnlyFromSelector(control(detailGridName), cdsDetail, addingSources, true);
  addAction("actnewkh", "新客户").onExecute = [this](host::Action& a) { actnewkhExecute(a); };
}

void TCustomerSourceBillForm::cxgDetailDBTableView1DblClick() {
  if (editMode || !cdsDetail.active() || cdsDetail.isEmpty()) return;
  host::TPlugItem* plug = host::plugsPool().plugbyName(cdsDetail.fieldByName("biztype").asString());
  if (plug == nullptr) return;
  plug->create(this, cdsDetail.fieldByName("bizbillno").asString());
}

void TCustomerSourceBillForm::actnewkhExecute(host::Action& sender) {
  host::TPlugItem* plug = host::plugsPool().plugbyName(sender.caption);
  if (plug == nullptr) throw std::logic_error("host plug 新客户 is not registered");
  plug->create(this, "");
}

void TCustomerSourceBillForm::BeforeAppend() {
  TSimpleBillForm::BeforeAppend();
  counterpartyBox.clear();
}

void TCustomerSourceBillForm::fillMasterData() {
  TSimpleBillForm::fillMasterData();
  counterpartyBox.show(cdsMaster);
  if (masterStatus() != 2) return;
  host::Control& status = control("cxLabel3");
  status.text = "已复核";
  status.color = "maroon";
}

void TCustomerSourceBillForm::ComponentReadOnly(bool readOnly) {
  TSimpleBillForm::ComponentReadOnly(readOnly);
  counterpartyBox.setReadOnly(readOnly);
}

void TCustomerSourceBillForm::actDetail_AddExecute(host::Action&) {
  if (!editMode) return;
  if (counterpartyBox.id() == 0) {
    host::MessageMyDlg("请选择往来单位", "提示", host::mtInformation);
    return;
  }
  addSourceLines(selectSources());
}

void TCustomerSourceBillForm::addSourceLines(const std::string& selection) {
  if (selection.empty()) return;
  const std::vector<core::JsonRow> chosen = chosenRows(selection, sources.unreadable);
  core::ScopedFlag adding(addingSources);
  for (const core::JsonRow& source : chosen) {
    LineValues values = {{"orgid", core::Value(host::sysAuth().orgid)},
                         {"uid", core::Value(host::newid())},
                         {"billno", core::Value(workBillno)},
                         {"biztype", core::Value(source.get("biztype"))},
                         {"bizid", core::Value(source.value(sources.idField).asInteger())}};
    for (auto& value : sourceLineValues(source)) values.push_back(std::move(value));
    appendSourceLineOnce(cdsDetail, values);
  }
}

bool TCustomerSourceBillForm::CheckBillError(std::string& message) {
  if (isEditing(cdsMaster)) cdsMaster.post();
  if (TSimpleBillForm::CheckBillError(message)) return true;
  cdsMaster.edit();
  cdsMaster.fieldByName("kh_id").setValue(core::Value(counterpartyBox.id()));
  cdsMaster.post();
  if (cdsMaster.fieldByName("kh_id").asInteger() != 0) return false;
  message = "请选择往来单位.";
  return true;
}

}  // namespace plugs::coreapp
