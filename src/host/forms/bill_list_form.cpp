// TBillListForm: the filter boxes, the list query built from them (values bound, the
// sort and the columns taken only from the form's own table of names), paging with
// OFFSET/FETCH and choosing a bill.
#include "host/forms/bill_list_form.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "core/abort.h"
#include "core/date_time.h"
#include "core/format.h"
#include "core/json.h"
#include "core/strings.h"
#include "host/export/grid_export.h"
#include "host/forms/box_date.h"
#include "host/host.h"
#include "host/services/data_services.h"
#include "host/services/sys_services.h"

namespace host {

namespace {

constexpr std::string_view kVoided = "已作废";

// The sortable columns and the SQL each sorts by: the only texts a click puts into the
// ORDER BY. The counterparty's two only exist when the bill has one.
struct SortKey {
  const char* field;
  const char* expression;
};
constexpr SortKey kSortKeys[] = {{"billno", "t.billno"},   {"billdate", "t.billdate"},
                                 {"ck_name", "ck.name"},   {"wldw_code", "cp.code"},
                                 {"wldw_name", "cp.name"}, {"zy", "t.zy"},
                                 {"kdr_name", "yg.name"},  {"statusinfo", "t.zfflag, t.status"}};

const char* sortExpression(std::string_view field) {
  for (const SortKey& k : kSortKeys)
    if (field == k.field) return k.expression;
  return nullptr;
}

// The master table of a counterparty id field.
std::string counterpartyTable(const std::string& field) {
  return field == "gys_id" ? "vt_b_gysbmk" : "vt_b_khbmk";
}

GridColumn column(std::string field, std::string caption, int width, std::string format = {}) {
  GridColumn c;
  c.field = std::move(field);
  c.caption = std::move(caption);
  c.width = width;
  c.format = std::move(format);
  c.readOnly = true;
  return c;
}

}  // namespace

TBillListForm::TBillListForm(FormModel* owner, BillListSpec spec)
    : TBaseForm(owner, "TBillListForm", spec.caption + " - 单据列表"), spec_(std::move(spec)) {}

void TBillListForm::FormCreate() {
  TBaseForm::FormCreate();
  registerDataSet("cdsMain", cdsMain);
  createControls();
  createActions();
  const core::DateTime today = core::DateTime::now().date();
  control("edtbt").text = today.addMonths(-1).toDateString();
  control("edtet").text = today.toDateString();
  loadPage();
}

void TBillListForm::createControls() {
  addControl(Control("edtbt", ControlKind::DateEdit, "开始日期："));
  addControl(Control("edtet", ControlKind::DateEdit, "结束日期："));
  addControl(Control("edtbillno", ControlKind::Edit, "单据编号："));
  if (!spec_.counterpartyField.empty())
    addControl(Control("edtwldw", ControlKind::Edit, "往来单位："));
  Control status("cbstatus", ControlKind::ComboBox, "状态：");
  status.items.push_back("");  // every status
  for (const std::string& s : spec_.statusCaptions) status.items.push_back(s);
  status.items.emplace_back(kVoided);
  addControl(std::move(status));
  BindLookupComboboxProperties(addControl(Control("cbck", ControlKind::LookupCombo, "门店：")),
                               "ck");
  addControl(Control("lblpage", ControlKind::Label));
  Control grid("cxgMain", ControlKind::Grid);
  grid.dataSet = "cdsMain";
  grid.readOnly = true;
  grid.columns = {column("billno", "单据编号", 150),
                  column("billdate", "单据日期", 12, "yyyy-mm-dd"), column("ck_name", "门店", 12)};
  if (!spec_.counterpartyField.empty())
    grid.columns.insert(grid.columns.end(), {column("wldw_code", "往来单位编号", 10),
                                             column("wldw_name", "往来单位", 16)});
  grid.columns.insert(
      grid.columns.end(),
      {column("zy", "摘要", 20), column("kdr_name", "开单人", 8), column("statusinfo", "状态", 8)});
  grid.onDblClick = [this] { choose(); };
  grid.onColumnClick = [this](const std::string& field) { sortBy(field); };
  addControl(std::move(grid));
}

void TBillListForm::createActions() {
  addAction("actfilter", "查询").onExecute = [this](Action&) {
    page_ = 0;
    loadPage();
  };
  addAction("actpageprev", "上一页").onExecute = [this](Action&) { turnPage(-1); };
  addAction("actpagenext", "下一页").onExecute = [this](Action&) { turnPage(1); };
  addAction("actselect", "打开").onExecute = [this](Action&) { choose(); };
  addAction("actcancel", "取消").onExecute = [this](Action&) { Close(); };
  addAction("actexport", "导出").onExecute = [this](Action&) { exportList(); };
  action("actpageprev").onUpdate = [this](Action& a) { a.enabled = page_ > 0; };
  action("actpagenext").onUpdate = [this](Action& a) {
    a.enabled = (page_ + 1) * std::int64_t{kPageSize} < total_;
  };
  action("actselect").onUpdate = [this](Action& a) {
    a.enabled = cdsMain.active() && !cdsMain.isEmpty();
  };
}

std::string TBillListForm::fromClause(bool names) const {
  std::string from = " from " + spec_.table + " t";
  if (!spec_.counterpartyField.empty())
    from += " left join " + counterpartyTable(spec_.counterpartyField) + " cp on cp.id = t." +
            spec_.counterpartyField;
  if (names)
    from +=
        " left join vt_b_ckbmk ck on ck.id = t.ck_id left join vt_b_ygbmk yg on yg.id = t.kdr_id";
  return from;
}

std::string TBillListForm::whereClause(db::Params& params) {
  std::string where = " where t.orgid = :orgid";
  params = {{"orgid", sysAuth().orgid}};
  if (std::optional<core::DateTime> bt = boxDate(control("edtbt"))) {
    where += " and t.billdate >= :bt";
    params.emplace_back("bt", *bt);
  }
  if (std::optional<core::DateTime> et = boxDate(control("edtet"))) {
    where += " and t.billdate < :et";  // the day after: a bill late on the to-date is listed
    params.emplace_back("et", et->addDays(1));
  }
  if (const std::string no = core::trim(control("edtbillno").text); !no.empty()) {
    where += " and t.billno like :billno";
    params.emplace_back("billno", "%" + no + "%");
  }
  if (Control* wldw = findControl("edtwldw"); wldw != nullptr && !core::trim(wldw->text).empty()) {
    where += " and (cp.code like :wldw or cp.name like :wldw)";
    params.emplace_back("wldw", "%" + core::trim(wldw->text) + "%");
  }
  const std::string status = control("cbstatus").text;
  if (status == kVoided) {
    where += " and t.zfflag = 1";
  } else if (!status.empty()) {
    for (std::size_t i = 0; i < spec_.statusCaptions.size(); ++i)
      if (spec_.statusCaptions[i] == status) {
        where += " and t.status = :status and t.zfflag = 0";
        params.emplace_back("status", static_cast<std::int64_t>(i));
      }
  }
  if (const Control& ck = control("cbck"); ck.tag != 0) {
    where += " and t.ck_id = :ck_id";
    params.emplace_back("ck_id", ck.tag);
  }
  return where;
}

std::string TBillListForm::listSql(db::Params& params, bool count) {
  const std::string where = whereClause(params);
  if (count) return "select count(*) n" + fromClause(false) + where;
  std::string status = "case when t.zfflag = 1 then " + core::QuotedStr(kVoided);
  for (std::size_t i = 0; i < spec_.statusCaptions.size(); ++i)
    status += " when t.status = " + std::to_string(i) + " then " +
              core::QuotedStr(spec_.statusCaptions[i]);
  std::string select = "select t.id, t.billno, t.billdate, ck.name ck_name";
  if (!spec_.counterpartyField.empty()) select += ", cp.code wldw_code, cp.name wldw_name";
  select += ", t.zy, yg.name kdr_name, " + status + " else '' end statusinfo";
  const char* dir = descending_ ? " desc" : "";
  std::string order = " order by ";
  for (const std::string& part : core::split(sortExpression(sortField_), ","))
    order += core::trim(part) + dir + ", ";
  params.emplace_back("skip", static_cast<std::int64_t>(page_) * kPageSize);
  params.emplace_back("take", std::int64_t{kPageSize});
  return select + fromClause(true) + where + order + "t.id" + dir +
         " offset :skip rows fetch next :take rows only";
}

void TBillListForm::loadPage() {
  db::Params params;
  dataset::ClientDataSet counted("counted");
  openDataToCDS(counted, listSql(params, true), params);
  total_ = counted.isEmpty() ? 0 : counted.fieldByName("n").asInteger();
  if (page_ > 0 && std::int64_t{page_} * kPageSize >= total_) page_ = 0;
  openDataToCDS(cdsMain, listSql(params, false), params);
  const std::int64_t pages = (total_ + kPageSize - 1) / kPageSize;
  control("lblpage").text = core::Format(
      "共 %d 张，第 %d/%d 页",
      {core::Value(total_), core::Value(page_ + 1), core::Value(pages < 1 ? 1 : pages)});
}

void TBillListForm::sortBy(const std::string& field) {
  const Control& grid = control("cxgMain");
  const bool shown = std::any_of(grid.columns.begin(), grid.columns.end(),
                                 [&](const GridColumn& c) { return c.field == field; });
  if (!shown || sortExpression(field) == nullptr) return;  // a column that does not sort
  descending_ = field == sortField_ ? !descending_ : false;
  sortField_ = field;
  page_ = 0;
  loadPage();
}

void TBillListForm::turnPage(int by) {
  const int next = page_ + by;
  if (next < 0 || std::int64_t{next} * kPageSize >= total_) return;
  page_ = next;
  loadPage();
}

std::string TBillListForm::exportList() {
  db::Params params;
  const int shown = page_;
  page_ = 0;
  const std::string sql = listSql(params, false);
  page_ = shown;
  for (auto& [name, value] : params)  // every bill under the filters, not one page
    if (name == "take") value = core::Value(std::int64_t{std::numeric_limits<std::int32_t>::max()});
  dataset::ClientDataSet all("cdsExport");
  openDataToCDS(all, sql, params);
  return exportGridAsked(all, control("cxgMain").columns,
                         spec_.plugCode + "-" + sysAuth().orgid + "-list", spec_.caption);
}

void TBillListForm::choose() {
  if (!cdsMain.active() || cdsMain.isEmpty()) return;
  chosenBillno = cdsMain.fieldByName("billno").asString();
  ModalResult = mrOK;
}

bool billExists(const std::string& table, const std::string& billno) {
  const std::string rows =
      openDataJson("select billno from " + table + " where orgid = :orgid and billno = :billno",
                   {{"orgid", sysAuth().orgid}, {"billno", billno}});
  return !core::parseSelection(rows).empty();
}

}  // namespace host
