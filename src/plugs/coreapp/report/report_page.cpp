// TReportPage: a page is only its report description plus the login's branch; the
// boxes' values are bound, a list's "全部" is 0. Drill-down goes through the bill's own plug item,
// as the stocktake opens the loss and gain bill it made.
#include "plugs/coreapp/report/report_page.h"

#include "host/export/grid_export.h"
#include "host/forms/page_control.h"
#include "host/host.h"
#include "host/plug/standard_rules.h"
#include "host/plug/t_plugs_pool.h"
#include "host/print/print_service.h"
#include "host/print/print_template.h"
#include "host/services/data_services.h"
#include "host/services/sys_services.h"
#include "host/services/t_auth.h"
#include "plugs/coreapp/khzl/khzl_day_box.h"
#include "plugs/coreapp/report/report_catalog.h"

namespace plugs::coreapp {

namespace {

constexpr const char* kAll = "全部";

std::string boxName(const ReportParam& p) { return "edt" + p.name; }

}  // namespace

TReportPage::TReportPage(host::FormModel* owner, const ReportSpec& spec)
    : TBaseRibbonForm(owner, nullptr, "TReportPage", spec.caption),
      cdsReport(spec.dataSet),
      spec_(spec) {
  registerDataSet(spec.dataSet, cdsReport);
}

void TReportPage::FormCreate() {
  TBaseRibbonForm::FormCreate();
  for (const ReportParam& p : spec_.params) addParamControl(p);
  addGrid();
  addAction("actRef", "刷新").onExecute = [this](host::Action& a) { actRefExecute(a); };
  if (!spec_.drillField.empty()) {
    host::Action& open = addAction("actOpen", "打开单据");
    open.onExecute = [this](host::Action& a) { actOpenExecute(a); };
    open.onUpdate = [this](host::Action& a) { a.enabled = !rowBill().empty(); };
  }
  if (!spec_.rowAction.name.empty()) {
    host::Action& row = addAction(spec_.rowAction.name, spec_.rowAction.caption);
    row.onExecute = [this](host::Action&) { runRowAction(); };
    row.onUpdate = [this](host::Action& a) {
      a.enabled = cdsReport.active() && !cdsReport.isEmpty();
    };
  }
  addAction("actPrint", "打印").onExecute = [this](host::Action& a) { actPrintExecute(a); };
  addAction("actExport", "导出").onExecute = [this](host::Action& a) { actExportExecute(a); };
  actRefExecute(action("actRef"));
}

void TReportPage::addParamControl(const ReportParam& p) {
  const core::DateTime today = core::DateTime::now();
  switch (p.kind) {
    case ReportParamKind::DateFrom:
      addControl(host::Control(boxName(p), host::ControlKind::DateEdit, p.caption)).text =
          core::DateTime::fromParts(today.year(), today.month(), 1).toDateString();
      return;
    case ReportParamKind::DateTo:
    case ReportParamKind::Day:
      addControl(host::Control(boxName(p), host::ControlKind::DateEdit, p.caption)).text =
          today.toDateString();
      return;
    case ReportParamKind::Store:
    case ReportParamKind::Pick:
      break;
  }
  const std::string sql =
      p.kind == ReportParamKind::Store
          ? "select id, name from vt_b_ckbmk where orgid = :orgid order by code, id"
          : p.pickSql;
  dataset::ClientDataSet list("cdsList");
  host::openDataToCDS(list, host::sqlTemplate(sql));
  host::Control& box =
      addControl(host::Control(boxName(p), host::ControlKind::ComboBox, p.caption));
  box.items = {kAll};
  std::vector<std::int64_t>& ids = pickIds_[p.name];
  ids = {0};
  for (list.first(); !list.eof(); list.next()) {
    box.items.push_back(list.fieldByName("name").asString());
    ids.push_back(list.fieldByName("id").asInteger());
  }
  box.text = kAll;
}

void TReportPage::addGrid() {
  host::Control grid("cxgReport", host::ControlKind::Grid, spec_.caption);
  grid.dataSet = spec_.dataSet;
  grid.readOnly = true;
  grid.columns = spec_.gridColumns();
  grid.charts = spec_.charts;
  if (!spec_.drillField.empty()) grid.onDblClick = [this] { actOpenExecute(action("actOpen")); };
  if (!spec_.rowAction.name.empty()) grid.onDblClick = [this] { runRowAction(); };
  addControl(std::move(grid));
}

std::map<std::string, core::Value> TReportPage::values() {
  std::map<std::string, core::Value> values;
  for (const ReportParam& p : spec_.params) {
    host::Control& box = control(boxName(p));
    if (p.kind != ReportParamKind::Store && p.kind != ReportParamKind::Pick) {
      values[p.name] = core::Value(khzl::dayOf(box));
      continue;
    }
    const std::vector<std::int64_t>& ids = pickIds_.at(p.name);
    std::int64_t id = 0;
    for (std::size_t i = 0; i < box.items.size() && i < ids.size(); ++i)
      if (box.items[i] == box.text) id = ids[i];
    values[p.name] = core::Value(id);
  }
  return values;
}

void TReportPage::actRefExecute(host::Action&) {
  host::openDataToCDSWithProgress(cdsReport, spec_.caption, spec_.batch(),
                                  spec_.bind(host::sysAuth().orgid, values()));
}

std::string TReportPage::rowBill() const {
  if (spec_.drillField.empty() || !cdsReport.active() || cdsReport.isEmpty()) return {};
  const dataset::Field* billno = cdsReport.findField(spec_.drillField);
  return billno == nullptr ? std::string() : billno->asString();
}

void TReportPage::actOpenExecute(host::Action&) {
  const std::string billno = rowBill();
  if (billno.empty()) return;
  const dataset::Field* kind = cdsReport.findField(spec_.kindField);
  host::TPlugItem* item =
      kind == nullptr ? nullptr : host::plugsPool().plugbyName(kind->asString());
  if (item == nullptr || !item->creator) return;
  item->create(nullptr, billno, "", {"-1"});
}

void TReportPage::runRowAction() {
  // Nothing to act on: no row yet.
  if (!cdsReport.active() || cdsReport.isEmpty()) return;
  spec_.rowAction.run(*this);
}

void TReportPage::actPrintExecute(host::Action&) {
  host::TAuth::requireRight(plugCode() + "_06");
  std::string head = "select ";
  tsql::Params params;
  const std::map<std::string, core::Value> typed = values();
  for (const ReportParam& p : spec_.params) {
    const bool named = p.kind == ReportParamKind::Store || p.kind == ReportParamKind::Pick;
    const std::string field = named ? p.name + "_mc" : p.name;
    head += (params.empty() ? ":" : ", :") + field + " as " + field;
    params.emplace_back(field, named ? core::Value(control(boxName(p)).text) : typed.at(p.name));
  }
  dataset::ClientDataSet cdsHead("cdsHead");
  host::openDataToCDS(cdsHead, params.empty() ? "select 1 as n" : head, params);
  host::TDataSetCollection sets;
  sets.add("表头数据", cdsHead);
  sets.add("明细数据", cdsReport);
  host::OpenSetPrintReportForm(this, plugCode(), sets,
                               {{"表单编号", plugCode()}, {"表单名称", spec_.caption}});
}

std::string TReportPage::actExportExecute(host::Action&) {
  return host::exportGridAsked(cdsReport, spec_.gridColumns(),
                               plugCode() + "-" + host::sysAuth().orgid, spec_.caption);
}

void registerReportPage(const ReportSpec& spec) {
  host::registerPrintTemplate(spec.code, spec.printTemplate());
  const ReportSpec* page = &spec;
  host::TFormClass formClass{
      "TReportPage", [page](host::Owner owner) {
        return std::unique_ptr<host::FormModel>(std::make_unique<TReportPage>(owner, *page));
      }};
  const host::TFormClass pageClass = formClass;
  host::registerPackageItem(
      spec.guid, spec.caption, spec.code, std::move(formClass),
      [pageClass](host::Owner owner, host::TPlugItem& item, const std::string&, const std::string&,
                  const std::vector<std::string>&) {
        host::TBaseRibbonForm::generateForm(owner, pageClass, host::PageControl(), item);
      },
      {{"_06", "打印"}, {"_061", "模板设置"}});
}

void registerReportPages() {
  for (const ReportSpec& spec : reportSpecs()) registerReportPage(spec);
}

host::UnitInitialization& reportPagesUnit() {
  static host::UnitInitialization unit(&registerReportPages);
  return unit;
}

}  // namespace plugs::coreapp
