// Tkhdzkform: the customer statement's description and its rules. Lines come only from
// the statement selector, each bill once; their figures are read again whenever the
// statement opens, so it never keeps stale copies of amounts.
#include "plugs/coreapp/khsk/khdzk_form.h"

#include <stdexcept>

#include "core/abort.h"
#include "host/plug/t_plugs_pool.h"
#include "core/format.h"
#include "core/json.h"
#include "core/strings.h"
#include "host/services/data_services.h"
#include "host/services/sys_services.h"
#include "plugs/coreapp/khsk/khdzk_audit_form.h"
#include "plugs/coreapp/khsk/khdzk_sql.h"
#include "plugs/coreapp/khsk/khskhx_select_form.h"
#include "plugs/coreapp/simple_bill/write_off_select_form.h"

namespace plugs::coreapp::khsk {

namespace {

const std::vector<LineColumn> kStatementColumns = {
    {"biztype", "业务类型", 80, "", false},      {"bizbillno", "单号", 120, "", false},
    {"bizbilldate", "日期", 90, "", false},      {"ck_name", "门店", 90, "", false},
    {"gcxmmc", "工程名称", 140, "", false},      {"hjje", "合计金额", 100, "money", false, true},
    {"jsje", "已核销金额", 100, "money", false, true}, {"qkje", "未核销金额", 100, "money", false, true},
    {"dzflag", "已对账", 60, "", false},         {"beizhu", "备注", 160}};

bool isEditing(const dataset::ClientDataSet& ds) {
  return ds.state() == dataset::DataSetState::Edit || ds.state() == dataset::DataSetState::Insert;
}

}  // namespace

const SimpleBillSpec& khdzkSpec() {
  static const SimpleBillSpec spec{
      .code = "1117",
      .caption = "客户对账单",
      .className = "Tkhdzkform",
      .guid = "{C5237390-BAEB-47B9-AAC5-BD0C7551E741}",
      .rights = host::standardRightsWith({{"_07", "复核"}}),
      .masterTable = "vt_f_khdzk",
      .header = {kStoreBox, kMakerBox, kSummaryBox, kRemarkBox},
      .masterJoins = {kCustomerJoin, kStoreJoin, kMakerJoin},
      .lineJoins = {},
      .lineDisplayFields = {"id", "bizbillno", "bizbilldate", "ck_id", "hjje", "jsje", "qkje", "ck_code", "ck_name",
                            "gcxmmc"},
      .columns = kStatementColumns,
      .insertTotal = "",
      .lineQuery = kKhdzkLineQuery};
  return spec;
}

Tkhdzkform::Tkhdzkform(host::FormModel* owner, host::TPlugItem* item)
    : TSimpleBillForm(owner, item, khdzkSpec()), counterpartyBox(*this, kCustomer) {}

void Tkhdzkform::addLeadingControls() {
  counterpartyBox.add([this] {
    if (!editMode) return;
    if (!isEditing(cdsMaster)) cdsMaster.edit();
    counterpartyBox.pick();
  });
}

void Tkhdzkform::FormCreate() {
  TSimpleBillForm::FormCreate();
  control(detailGridName).caption = "客户对账明细表";
  control(detailGridName).onDblClick = [this] { cxgDetailDBTableView1DblClick(); };
  addAction("actnewkh", "新客户").onExecute = [this](host::Action& a) { actnewkhExecute(a); };
  host::Action& review = addAction("actdzkaudit", "复核");
  review.onExecute = [this](host::Action& a) { actdzkauditExecute(a); };
  review.onUpdate = [this](host::Action& a) { a.enabled = reviewAllowed(); };
}

// A line's kind is the caption of the plug that edits its bill ("项目订单", "销货单").
void Tkhdzkform::cxgDetailDBTableView1DblClick() {
  if (editMode || !cdsDetail.active() || cdsDetail.isEmpty()) return;
  host::TPlugItem* plug = host::plugsPool().plugbyName(cdsDetail.fieldByName("biztype").asString());
  if (plug == nullptr) return;
  plug->create(this, cdsDetail.fieldByName("bizbillno").asString());
}

void Tkhdzkform::actnewkhExecute(host::Action& sender) {
  host::TPlugItem* plug = host::plugsPool().plugbyName(sender.caption);
  if (plug == nullptr) throw std::logic_error("host plug 新客户 is not registered");
  plug->create(this, "");
}

bool Tkhdzkform::reviewAllowed() const {
  return cdsMaster.active() && !cdsMaster.isEmpty() && !editMode && masterStatus() == 1;
}

void Tkhdzkform::actdzkauditExecute(host::Action&) {
  if (!reviewAllowed()) return;
  requireRight("_07");
  auto dialog = host::makeForm<Tkhdzkauditform>(this, billno);
  if (dialog->ShowModal() == host::mrOK) OpenBillData(billno);
}

void Tkhdzkform::BeforeAppend() {
  TSimpleBillForm::BeforeAppend();
  counterpartyBox.clear();
}

void Tkhdzkform::fillMasterData() {
  TSimpleBillForm::fillMasterData();
  counterpartyBox.show(cdsMaster);
  if (masterStatus() != 2) return;
  host::Control& status = control("cxLabel3");
  status.text = "已复核";
  status.color = "maroon";
}

void Tkhdzkform::ComponentReadOnly(bool readOnly) {
  TSimpleBillForm::ComponentReadOnly(readOnly);
  counterpartyBox.setReadOnly(readOnly);
}

void Tkhdzkform::cdsDetailAfterInsert(dataset::ClientDataSet& ds) {
  ds.fieldByName("hjje").setValue(core::Value(core::Currency()));
}

void Tkhdzkform::actDetail_AddExecute(host::Action&) {
  if (!editMode) return;
  if (counterpartyBox.id() == 0) {
    host::MessageMyDlg("请选择往来单位", "提示", host::mtInformation);
    return;
  }
  addStatementLines(runSourceSelector<Tkhskhxselectform>(this, counterpartyBox.id(), host::sysAuth().ck_id,
                                                         workBillno, true));
}

// A bill already on the statement is skipped; a line its post refuses is taken back.
void Tkhdzkform::addStatementLines(const std::string& selection) {
  if (selection.empty()) return;
  const std::vector<core::JsonRow> chosen = chosenRows(selection, "源单选择结果无法识别，未添加对账明细：");
  for (const core::JsonRow& bill : chosen) {
    const core::Value bizid(bill.value("hxbillid").asInteger());
    if (cdsDetail.locate({{"bizid", bizid}, {"biztype", core::Value(bill.get("biztype"))}})) continue;
    appendStatementLine(bill);
  }
}

void Tkhdzkform::appendStatementLine(const core::JsonRow& bill) {
  cdsDetail.append();
  try {
    const std::vector<std::pair<const char*, core::Value>> values = {
        {"orgid", core::Value(host::sysAuth().orgid)},     {"uid", core::Value(host::newid())},
        {"billno", core::Value(workBillno)},               {"biztype", core::Value(bill.get("biztype"))},
        {"bizbillno", core::Value(bill.get("hxbillno"))},  {"bizbilldate", core::Value(bill.get("hxbilldate"))},
        {"bizid", core::Value(bill.value("hxbillid").asInteger())}, {"ck_id", core::Value(0)},
        {"ck_code", core::Value("000")},                   {"ck_name", core::Value(bill.get("ck_name"))},
        {"hjje", core::Value(bill.get("hjje"))},           {"jsje", core::Value(bill.get("hxje_ok"))},
        {"qkje", core::Value(bill.get("hxje_no"))},        {"dzflag", core::Value(false)}};
    for (const auto& [field, value] : values) cdsDetail.fieldByName(field).setValue(value);
    cdsDetail.post();
  } catch (...) {
    if (isEditing(cdsDetail)) cdsDetail.cancel();
    throw;
  }
}

bool Tkhdzkform::CheckBillError(std::string& message) {
  if (isEditing(cdsMaster)) cdsMaster.post();
  if (TSimpleBillForm::CheckBillError(message)) return true;
  cdsMaster.edit();
  cdsMaster.fieldByName("kh_id").setValue(core::Value(counterpartyBox.id()));
  cdsMaster.post();
  if (cdsMaster.fieldByName("kh_id").asInteger() != 0) return false;
  message = "请选择往来单位.";
  return true;
}

void Tkhdzkform::generateSqlAuditing_1(std::string& sql) { sql.clear(); }

void Tkhdzkform::generateSqlAuditing_0(std::string& sql) {
  const std::string quoted = core::replaceAll(billno, "'", "''");
  sql = core::Format(host::sqlTemplate(kKhdzkUnauditSql), {core::Value(quoted)});
}

void registerKhdzkForm() { registerSimpleBill<Tkhdzkform>(khdzkSpec()); }

host::UnitInitialization& khdzkFormUnit() {
  static host::UnitInitialization unit(&registerKhdzkForm);
  return unit;
}

}  // namespace plugs::coreapp::khsk
