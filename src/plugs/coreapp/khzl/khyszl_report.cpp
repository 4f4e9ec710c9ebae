// Tkhyszlform: the aging is read from the database each time, so an audit anywhere
// shows at the next refresh. The as-of day is a bound parameter; an unreadable day is
// refused before anything runs.
#include "plugs/coreapp/khzl/khyszl_form.h"

#include "host/forms/page_control.h"
#include "host/plug/standard_rules.h"
#include "host/print/print_service.h"
#include "host/services/data_services.h"
#include "host/services/t_auth.h"
#include "plugs/coreapp/khzl/khwlmx_form.h"
#include "plugs/coreapp/khzl/khzl_day_box.h"
#include "plugs/coreapp/report/report_columns.h"
#include "plugs/coreapp/khzl/khzl_print_templates.h"
#include "plugs/coreapp/khzl/khzl_sql.h"

namespace plugs::coreapp::khzl {

Tkhyszlform::Tkhyszlform(host::FormModel* owner)
    : TBaseRibbonForm(owner, nullptr, "Tkhyszlform", "应收账龄") {
  registerDataSet("cdsZl", cdsZl);
}

void Tkhyszlform::FormCreate() {
  TBaseRibbonForm::FormCreate();
  addControl(host::Control("edtrq", host::ControlKind::DateEdit, "截止日期：")).text =
      core::DateTime::now().toDateString();
  addGrid();
  addAction("actRef", "刷新").onExecute = [this](host::Action& a) { actRefExecute(a); };
  host::Action& details = addAction("actMx", "对账明细");
  details.onExecute = [this](host::Action& a) { actMxExecute(a); };
  details.onUpdate = [this](host::Action& a) { a.enabled = cdsZl.active() && !cdsZl.isEmpty(); };
  addAction("actPrint", "打印").onExecute = [this](host::Action& a) { actPrintExecute(a); };
  actRefExecute(action("actRef"));
}

void Tkhyszlform::addGrid() {
  host::Control grid("cxgZl", host::ControlKind::Grid, "应收账龄");
  grid.dataSet = "cdsZl";
  grid.readOnly = true;
  grid.columns = {reportTextColumn("kh_code", "客户编号", 90), reportTextColumn("kh_name", "客户名称", 160),
                  reportMoneyColumn("je30", "0-30天", true),   reportMoneyColumn("je60", "31-60天", true),
                  reportMoneyColumn("je90", "61-90天", true),  reportMoneyColumn("je91", "90天以上", true),
                  reportMoneyColumn("qkje", "欠款合计", true)};
  grid.onDblClick = [this] { actMxExecute(action("actMx")); };
  addControl(std::move(grid));
}

void Tkhyszlform::actRefExecute(host::Action&) {
  const core::DateTime day = dayOf(control("edtrq"));
  host::openDataToCDS(cdsZl, host::sqlTemplate(kKhyszlQuery), {{"rq", core::Value(day)}});
}

void Tkhyszlform::actMxExecute(host::Action&) {
  // Nothing to open for: no customer row, or a page made outside the plug pool.
  if (PlugItem == nullptr || !cdsZl.active() || cdsZl.isEmpty()) return;
  const core::DateTime day = dayOf(control("edtrq"));
  const core::DateTime first = core::DateTime::fromParts(day.year(), day.month(), 1);
  Tkhwlmxform::open(*PlugItem, static_cast<int>(cdsZl.fieldByName("kh_id").asInteger()), first,
                    day);
}

void Tkhyszlform::actPrintExecute(host::Action&) {
  host::TAuth::requireRight(plugCode() + "_06");
  dataset::ClientDataSet head("cdsHead");
  host::openDataToCDS(head, "select :rq as rq", {{"rq", core::Value(dayOf(control("edtrq")))}});
  host::TDataSetCollection sets;
  sets.add("表头数据", head);
  sets.add("明细数据", cdsZl);
  host::OpenSetPrintReportForm(this, kAgingPrintCode, sets,
                               {{"表单编号", kAgingPrintCode}, {"表单名称", "应收账龄"}});
}

void registerKhyszlForm() {
  registerKhzlPrintTemplates();
  host::TFormClass formClass{
      "Tkhyszlform", [](host::Owner owner) {
        return std::unique_ptr<host::FormModel>(std::make_unique<Tkhyszlform>(owner));
      }};
  const host::TFormClass pageClass = formClass;
  host::registerPackageItem(
      "{5E0B7C3A-2F4D-4B8E-9A61-3C7D1E90A4B2}", "应收账龄", kAgingPlugCode, std::move(formClass),
      [pageClass](host::Owner owner, host::TPlugItem& item, const std::string&, const std::string&,
                  const std::vector<std::string>&) {
        host::TBaseRibbonForm::generateForm(owner, pageClass, host::PageControl(), item);
      },
      {{"_06", "打印"}, {"_061", "模板设置"}});
}

host::UnitInitialization& khyszlFormUnit() {
  static host::UnitInitialization unit(&registerKhyszlForm);
  return unit;
}

}  // namespace plugs::coreapp::khzl
