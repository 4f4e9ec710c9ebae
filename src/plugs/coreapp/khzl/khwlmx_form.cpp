// Tkhwlmxform: the lines and the running balance come whole from the database, so the
// page only shows and prints them. Customer and days are bound parameters.
#include "plugs/coreapp/khzl/khwlmx_form.h"

#include "host/forms/page_control.h"
#include "host/print/print_service.h"
#include "host/services/data_services.h"
#include "host/services/t_auth.h"
#include "plugs/coreapp/khzl/khzl_day_box.h"
#include "plugs/coreapp/report/report_columns.h"
#include "plugs/coreapp/khzl/khzl_print_templates.h"
#include "plugs/coreapp/khzl/khzl_sql.h"

namespace plugs::coreapp::khzl {

Tkhwlmxform::Tkhwlmxform(host::FormModel* owner, int kh_id, core::DateTime rq1, core::DateTime rq2)
    : TBaseRibbonForm(owner, nullptr, "Tkhwlmxform", "客户往来明细"),
      kh_id_(kh_id),
      rq1_(rq1),
      rq2_(rq2) {
  registerDataSet("cdsMx", cdsMx);
  registerDataSet("cdsHead", cdsHead);
}

void Tkhwlmxform::FormCreate() {
  TBaseRibbonForm::FormCreate();
  addControl(host::Control("lblkh", host::ControlKind::Label, "客户："));
  addControl(host::Control("edtrq1", host::ControlKind::DateEdit, "日期：")).text =
      rq1_.toDateString();
  addControl(host::Control("edtrq2", host::ControlKind::DateEdit, "至")).text = rq2_.toDateString();
  addGrid();
  addAction("actRef", "刷新").onExecute = [this](host::Action& a) { actRefExecute(a); };
  addAction("actPrint", "打印").onExecute = [this](host::Action& a) { actPrintExecute(a); };
  actRefExecute(action("actRef"));
}

void Tkhwlmxform::addGrid() {
  host::Control grid("cxgMx", host::ControlKind::Grid, "往来明细");
  grid.dataSet = "cdsMx";
  grid.readOnly = true;
  host::GridColumn rq = reportTextColumn("rq", "日期", 150);
  rq.editor = "date";
  grid.columns = {rq,
                  reportTextColumn("lx", "类型", 100),
                  reportTextColumn("billno", "单号", 160),
                  reportMoneyColumn("jf", "应收金额", true),
                  reportMoneyColumn("df", "已收金额", true),
                  reportMoneyColumn("ye", "余额", false)};
  addControl(std::move(grid));
}

void Tkhwlmxform::actRefExecute(host::Action&) {
  const db::Params params = {{"kh_id", core::Value(kh_id_)},
                             {"rq1", core::Value(dayOf(control("edtrq1")))},
                             {"rq2", core::Value(dayOf(control("edtrq2")))}};
  host::openDataToCDS(cdsHead,
                      "select code as kh_code, name as kh_name, :rq1 as rq1, :rq2 as rq2 "
                      "from vt_b_khbmk where id = :kh_id",
                      params);
  host::openDataToCDS(cdsMx, host::sqlTemplate(kKhwlmxQuery), params);
  control("lblkh").text = cdsHead.isEmpty() ? std::string()
                                            : cdsHead.fieldByName("kh_code").asString() + " " +
                                                  cdsHead.fieldByName("kh_name").asString();
}

void Tkhwlmxform::actPrintExecute(host::Action&) {
  host::TAuth::requireRight(plugCode() + "_06");
  host::TDataSetCollection sets;
  sets.add("表头数据", cdsHead);
  sets.add("明细数据", cdsMx);
  host::OpenSetPrintReportForm(this, kStatementPrintCode, sets,
                               {{"表单编号", kStatementPrintCode}, {"表单名称", "客户往来明细"}});
}

Tkhwlmxform& Tkhwlmxform::open(host::TPlugItem& item, int kh_id, core::DateTime rq1,
                               core::DateTime rq2) {
  const host::TFormClass statement{"Tkhwlmxform", [=](host::Owner owner) {
                                     return std::unique_ptr<host::FormModel>(
                                         std::make_unique<Tkhwlmxform>(owner, kh_id, rq1, rq2));
                                   }};
  return static_cast<Tkhwlmxform&>(
      host::TBaseRibbonForm::generateForm(nullptr, statement, host::PageControl(), item));
}

}  // namespace plugs::coreapp::khzl
