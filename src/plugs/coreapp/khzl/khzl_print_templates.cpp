// The printed statement (the aging's comes from its report description). Amounts print
// as money; the balance column is not totalled (a sum of balances means nothing).
#include "plugs/coreapp/khzl/khzl_print_templates.h"

#include "host/print/print_template.h"

namespace plugs::coreapp::khzl {

namespace {

using F = host::PrintFormat;

host::PrintTemplate statementTemplate() {
  host::PrintTemplate t;
  t.title = "客户往来明细";
  t.header = {{"客户编号", "kh_code"},
              {"客户名称", "kh_name"},
              {"开始日期", "rq1", false, F::Date},
              {"截止日期", "rq2", false, F::Date}};
  t.sections = {{"明细数据",
                 "",
                 {{"日期", "rq", false, F::Date},
                  {"类型", "lx"},
                  {"单号", "billno"},
                  {"应收金额", "jf", true, F::Money},
                  {"已收金额", "df", true, F::Money},
                  {"余额", "ye", false, F::Money}}}};
  t.signatures = {"经办人：", "客户签字："};
  return t;
}

}  // namespace

void registerKhzlPrintTemplates() {
  host::registerPrintTemplate(kStatementPrintCode, statementTemplate());
}

}  // namespace plugs::coreapp::khzl
