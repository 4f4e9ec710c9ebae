// Txmzzkselectform: the filter controls, the list query built from them (values bound,
// never formatted in), choosing a row and the entry other bills call.
#include "plugs/coreapp/xmzzk/xmzzk_select_form.h"

#include <optional>

#include "core/abort.h"
#include "core/date_time.h"
#include "core/json.h"
#include "core/strings.h"
#include "host/forms/box_date.h"
#include "host/forms/money_format.h"
#include "host/forms/my_cx_grid.h"
#include "host/host.h"
#include "host/services/data_services.h"
#include "host/services/sys_services.h"
#include "host/services/t_json_db.h"
#include "plugs/coreapp/simple_bill/ticked_rows.h"

namespace plugs::coreapp::xmzzk {

using host::Control;
using host::ControlKind;

namespace {

// The picker is no plug item; its grid layout is kept under the class name.
constexpr const char* kLayoutKey = "Txmzzkselectform";

host::GridColumn column(std::string field, std::string caption, std::string format = {}) {
  host::GridColumn c;
  c.field = std::move(field);
  c.caption = std::move(caption);
  c.format = std::move(format);
  c.readOnly = true;
  return c;
}

}  // namespace

Txmzzkselectform::Txmzzkselectform(host::FormModel* owner, bool allStatus)
    : TBaseForm(owner, "Txmzzkselectform", "订单选择|订单引用|订单选择器"), allStatus_(allStatus) {}

void Txmzzkselectform::FormCreate() {
  TBaseForm::FormCreate();
  registerDataSet("cdsMain", cdsMain);
  createControls();
  createActions();
  const core::DateTime today = core::DateTime::now().date();
  control("edtbt").text = today.addMonths(-1).toDateString();
  control("edtet").text = today.toDateString();
  host::TMyCxGrid::restoreGridColumnStyle(control("cxgMain"), kLayoutKey);
  initData_();
}

void Txmzzkselectform::FormClose() {
  host::TMyCxGrid::storeGridColumnStyle(control("cxgMain"), kLayoutKey);
  TBaseForm::FormClose();
}

void Txmzzkselectform::createControls() {
  addControl(Control("edtbt", ControlKind::DateEdit, "开始日期："));
  addControl(Control("edtet", ControlKind::DateEdit, "结束日期："));
  addControl(Control("edtbillno", ControlKind::Edit, "单据编号："));
  // The outlet box offers the store's outlets; choosing one keeps its id in the tag.
  BindLookupComboboxProperties(addControl(Control("cbck", ControlKind::LookupCombo, "开单门店：")),
                               "ck");
  Control grid("cxgMain", ControlKind::Grid);
  grid.dataSet = "cdsMain";
  grid.readOnly = true;
  grid.columns = {column("billno", "源单单号"),
                  column("billdate", "单据日期", "yyyy-mm-dd"),
                  column("ck_name", "开单门店"),
                  column("gcxmmc", "工程项目名称"),
                  column("kh_name", "客户名称"),
                  column("lxr", "联系人"),
                  column("tel", "电话"),
                  column("addr", "地址"),
                  column("hjje", "合计金额", host::moneyFormat(host::MoneyKind::Amount)),
                  column("statusinfo", "状态")};
  grid.onDblClick = [this] { action("actselect").execute(); };
  keepRowsFixed(cdsMain, addControl(std::move(grid)));
}

void Txmzzkselectform::createActions() {
  addAction("actfilter", "查询").onExecute = [this](host::Action& a) { actfilterExecute(a); };
  addAction("actselect", "选择").onExecute = [this](host::Action& a) { actselectExecute(a); };
  addAction("actcancel", "取消").onExecute = [this](host::Action& a) { actcancelExecute(a); };
}

std::string Txmzzkselectform::listSql(db::Params& params) {
  std::string sql = "select * from vt_v_xmzzk where zfflag = 0 and orgid=:orgid";
  params = {{"orgid", host::sysAuth().orgid}};
  if (std::optional<core::DateTime> bt = boxDate(control("edtbt"))) {
    sql += " and billdate >= :bt";
    params.emplace_back("bt", *bt);
  }
  if (std::optional<core::DateTime> et = boxDate(control("edtet"))) {
    sql += " and billdate < :et";  // the day after: an order late on the to-date is listed
    params.emplace_back("et", et->addDays(1));
  }
  if (const Control& ck = control("cbck"); ck.tag != 0) {
    sql += " and ck_id = :ck_id";
    params.emplace_back("ck_id", ck.tag);
  }
  if (const std::string no = core::trim(control("edtbillno").text); !no.empty()) {
    sql += " and billno like :billno";
    params.emplace_back("billno", "%" + no + "%");
  }
  if (!allStatus_) sql += " and status < 2";
  return sql;
}

void Txmzzkselectform::initData_() {
  db::Params params;
  const std::string sql = listSql(params);
  host::openDataToCDS(cdsMain, sql, params);
}

void Txmzzkselectform::actfilterExecute(host::Action&) { initData_(); }

void Txmzzkselectform::actselectExecute(host::Action&) {
  if (!cdsMain.active() || cdsMain.isEmpty()) return;
  resultJson = host::TJsonDB::ClientDataSetToJSON(cdsMain, true);
  ModalResult = host::mrOK;
}

void Txmzzkselectform::actcancelExecute(host::Action&) {
  resultJson.clear();
  Close();
}

std::string selectOrder(host::FormModel* owner, bool allStatus) {
  auto form = host::makeForm<Txmzzkselectform>(owner, allStatus);
  if (form->ShowModal() != host::mrOK) return {};
  return form->resultJson;
}

std::string selectOrderBillno(host::FormModel* owner, bool allStatus) {
  const std::string chosen = selectOrder(owner, allStatus);
  if (chosen.empty()) return {};  // cancelled
  const std::vector<core::JsonRow> rows = core::parseSelection(chosen);
  return rows.empty() ? std::string() : rows.front().get("billno");
}

}  // namespace plugs::coreapp::xmzzk
