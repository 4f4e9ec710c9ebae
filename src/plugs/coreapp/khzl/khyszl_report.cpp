// The aging page keeps the names its scripts and prints know (rows cdsZl, box edtrq,
// action actMx); the aging is read from the database each time, so an audit anywhere
// shows at the next refresh.
#include "plugs/coreapp/khzl/khyszl_report.h"

#include "plugs/coreapp/khzl/khwlmx_form.h"
#include "plugs/coreapp/khzl/khzl_day_box.h"
#include "plugs/coreapp/khzl/khzl_print_templates.h"
#include "plugs/coreapp/report/report_page.h"

namespace plugs::coreapp::khzl {

namespace {

// The statement of the focused customer, as a page, over the as-of day's month.
void openStatement(TReportPage& page) {
  // A page made outside the plug pool has no item to open the statement with.
  if (page.PlugItem == nullptr) return;
  const core::DateTime day = dayOf(page.control("edtrq"));
  const core::DateTime first = core::DateTime::fromParts(day.year(), day.month(), 1);
  Tkhwlmxform::open(*page.PlugItem,
                    static_cast<int>(page.cdsReport.fieldByName("kh_id").asInteger()), first, day);
}

}  // namespace

const ReportSpec& receivableAging() {
  using K = ReportColumnKind;
  static const ReportSpec spec{.name = "aging",
                               .code = kAgingPlugCode,
                               .guid = "{5E0B7C3A-2F4D-4B8E-9A61-3C7D1E90A4B2}",
                               .caption = "应收账龄",
                               .procedure = "sp_sys_khyszl",
                               .params = {{"rq", "截止日期：", ReportParamKind::Day}},
                               .columns = {{"kh_code", "客户编号", K::Text, 90},
                                           {"kh_name", "客户名称", K::Text, 160},
                                           {"je30", "0-30天", K::Money, 100, true},
                                           {"je60", "31-60天", K::Money, 100, true},
                                           {"je90", "61-90天", K::Money, 100, true},
                                           {"je91", "90天以上", K::Money, 100, true},
                                           {"qkje", "欠款合计", K::Money, 100, true}},
                               .dataSet = "cdsZl",
                               .rowAction = {"actMx", "对账明细", &openStatement}};
  return spec;
}

void registerKhyszlForm() {
  registerKhzlPrintTemplates();
  registerReportPage(receivableAging());
}

host::UnitInitialization& khyszlFormUnit() {
  static host::UnitInitialization unit(&registerKhyszlForm);
  return unit;
}

}  // namespace plugs::coreapp::khzl
