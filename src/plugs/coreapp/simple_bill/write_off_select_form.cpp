// TWriteOffSelectForm: the list is empty until "查询"; the store picker holds a store
// code (empty = every store of the branch that is not deleted). The counterparty, the
// store and the calling bill's number reach the query as bound parameters.
#include "plugs/coreapp/simple_bill/write_off_select_form.h"

#include "host/forms/money_format.h"
#include "host/services/data_services.h"
#include "host/services/sys_services.h"
#include "host/services/t_json_db.h"
#include "plugs/coreapp/simple_bill/ticked_rows.h"
#include "plugs/coreapp/xmzzk/size_hints.h"

namespace plugs::coreapp {

using host::Control;
using host::ControlKind;

namespace {

const char* const kMoneyFormat = host::moneyFormat(host::MoneyKind::LedgerAmount);

host::GridColumn column(const char* field, const char* caption, const char* format = "", bool sum = false) {
  host::GridColumn c;
  c.field = field;
  c.caption = caption;
  c.format = format;
  c.readOnly = true;
  if (sum) c.footer = "sum";
  if (*format != '\0') c.editor = "money";
  return c;
}

const std::vector<SelectColumn> kWriteOffColumns = {{"biztype", "业务类型"},         {"hxbillno", "源单单号"},
                                                    {"hxbilldate", "单据日期"},      {"hjje", "单据金额", true},
                                                    {"hxje_ok", "已核销金额", true}, {"bchx", "未核销金额", true},
                                                    {"ck_name", "开单门店"}};

const std::vector<SelectColumn>& listColumns(const SelectSourceSpec& spec) {
  return spec.columns.empty() ? kWriteOffColumns : spec.columns;
}

}  // namespace

TWriteOffSelectForm::TWriteOffSelectForm(host::FormModel* owner, const SelectSourceSpec& spec,
                                         std::int64_t counterpartyId, std::int64_t storeId, std::string billno,
                                         bool statement)
    : TBaseForm(owner, spec.className, spec.caption),
      spec(spec),
      counterpartyId_(counterpartyId),
      storeId_(storeId),
      billno_(std::move(billno)),
      statement_(statement && spec.statementQuery != nullptr) {}

void TWriteOffSelectForm::FormCreate() {
  TBaseForm::FormCreate();
  listSql = statement_ ? spec.statementQuery : spec.listQuery;
  registerDataSet("cds_ck", cds_ck);
  registerDataSet("cdsResult", cdsResult);
  if (spec.linesQuery != nullptr) registerDataSet("cdsywmx", cdsywmx);
  createControls();
  createActions();
  host::openDataToCDS(cds_ck,
                      host::sqlTemplate("select id, code, name from vt_b_ckbmk where orgid=:orgid and isDel=0"));
  Control& store = control("cbck");
  for (cds_ck.first(); !cds_ck.eof(); cds_ck.next()) store.items.push_back(cds_ck.fieldByName("code").asString());
  const core::Value code = cds_ck.lookup("id", core::Value(storeId_), "code");
  if (!code.isNull()) store.text = code.asText();
}

void TWriteOffSelectForm::createControls() {
  addControl(Control("edtbt", ControlKind::DateEdit, "日期：")).text = "2015-10-01";
  addControl(Control("edtet", ControlKind::DateEdit)).text = "2015-10-01";
  Control& type = addControl(Control("cbtype", ControlKind::ComboBox, "类型："));
  for (const char* t : spec.types)
    if (*t != '\0') type.items.push_back(t);
  type.text = "全部";
  addControl(Control("cbck", ControlKind::ComboBox, "开单门店："));
  addControl(Control("edtbillno", ControlKind::Edit, "单号："));
  Control grid("cxgResult", ControlKind::Grid);
  grid.dataSet = "cdsResult";
  host::GridColumn tick = column("selected", "选择");
  tick.readOnly = false;
  grid.columns = {tick};
  for (const SelectColumn& c : listColumns(spec))
    grid.columns.push_back(c.money ? column(c.field, c.caption, kMoneyFormat, true) : column(c.field, c.caption));
  // Only listed bills can be ticked: a row typed in would come back as a blank bill.
  keepRowsFixed(cdsResult, addControl(std::move(grid)));
  if (spec.linesQuery == nullptr) return;
  Control lines("cxgywmx", ControlKind::Grid, "业务明细");
  lines.dataSet = "cdsywmx";
  lines.readOnly = true;
  lines.columns = {column("code", "编号"),
                   column("name", "名称"),
                   column("itemno", "规格"),
                   column("baseunit", "单位"),
                   column("sl", "数量"),
                   column("n", "份数"),
                   column("x", "长"),
                   column("y", "宽"),
                   column("dj", "单价", host::moneyFormat(host::MoneyKind::Amount)),
                   column("je", "金额", host::moneyFormat(host::MoneyKind::Amount), true),
                   column("gcxmmc", "工程项目名称"),
                   column("beizhu", "备注")};
  xmzzk::hintSizeColumns(lines.columns);
  keepRowsFixed(cdsywmx, addControl(std::move(lines)));
}

void TWriteOffSelectForm::createActions() {
  addAction("cxButton3", "查询").onExecute = [this](host::Action&) { initData(); };
  addAction("selectedHeaderClick", "全选").onExecute = [this](host::Action&) { selectedHeaderClick(); };
  addAction("actok", "确定").onExecute = [this](host::Action& a) { actokExecute(a); };
  addAction("actcancel", "取消").onExecute = [this](host::Action& a) { actcancelExecute(a); };
}

void TWriteOffSelectForm::attachScroll(bool on) {
  if (on && spec.linesQuery != nullptr)
    cdsResult.afterScroll = [this](dataset::ClientDataSet&) { cdsResultAfterScroll(); };
  else
    cdsResult.afterScroll = nullptr;
}

void TWriteOffSelectForm::initData() {
  cdsywmx.close();
  const std::string code = controlText(control("cbck"));
  if (code.empty()) {
    storeId_ = 0;
  } else {
    const core::Value id = cds_ck.lookup("code", core::Value(code), "id");
    if (!id.isNull()) storeId_ = id.asInteger();  // an unknown code keeps the store it had
  }
  cdsResult.setFiltered(false);
  const std::string sql = host::sqlTemplate(listSql);
  const db::Params params = {{spec.counterparty, core::Value(counterpartyId_)},
                             {"ck_id", core::Value(storeId_)},
                             {"billno", core::Value(billno_)}};
  host::LogMsg(sql + "\r\n" + spec.counterparty + "=" + std::to_string(counterpartyId_) +
               " ck_id=" + std::to_string(storeId_) + " billno=" + billno_);
  attachScroll(true);
  host::openDataToCDS(cdsResult, sql, params);
}

void TWriteOffSelectForm::selectedHeaderClick() {
  if (!cdsResult.active() || cdsResult.isEmpty()) return;
  attachScroll(false);
  const dataset::Bookmark at = cdsResult.bookmark();
  for (cdsResult.first(); !cdsResult.eof(); cdsResult.next()) {
    cdsResult.edit();
    cdsResult.fieldByName("selected").setValue(core::Value(selectedTag_ == 0));
    cdsResult.post();
  }
  selectedTag_ = selectedTag_ == 0 ? 1 : 0;
  cdsResult.gotoBookmark(at);
  attachScroll(true);
}

void TWriteOffSelectForm::cdsResultAfterScroll() {
  if (spec.linesQuery == nullptr || cdsResult.isEmpty()) return;
  const std::string sql = host::sqlTemplate(spec.linesQuery);
  const db::Params params = {{"biztype", core::Value(cdsResult.fieldByName("biztype").asString())},
                             {"billno", core::Value(cdsResult.fieldByName("hxbillno").asString())}};
  host::LogMsg(sql);
  host::openDataToCDS(cdsywmx, sql, params);
}

void TWriteOffSelectForm::actokExecute(host::Action&) {
  if (!cdsResult.active()) return;
  if (cdsResult.state() != dataset::DataSetState::Browse) cdsResult.post();
  attachScroll(false);
  cdsResult.setFilter("selected=true");
  cdsResult.setFiltered(true);
  if (cdsResult.isEmpty()) {  // nothing ticked: the dialog stays open on the whole list
    cdsResult.setFiltered(false);
    attachScroll(true);
    return;
  }
  resultJson = host::TJsonDB::ClientDataSetToJSON(cdsResult, false);
  cdsResult.close();
  ModalResult = host::mrOK;
}

void TWriteOffSelectForm::actcancelExecute(host::Action&) {
  resultJson.clear();
  ModalResult = host::mrCancel;
}

}  // namespace plugs::coreapp
