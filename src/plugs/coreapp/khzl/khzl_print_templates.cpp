// The printed aging and statement. Amounts print as money; the statement's balance
// column is not totalled (a sum of balances means nothing).
#include "plugs/coreapp/khzl/khzl_print_templates.h"

#include "host/print/print_template.h"

namespace plugs::coreapp::khzl {

namespace {

using F = host::PrintFormat;

host::PrintTemplate agingTemplate() {
  host::PrintTemplate t;
  t.title = "应收账龄";
  t.header = {{"截止日期", "rq", false, F::Date}};
  t.sections = {{"明细数据",
                 "",
                 {{"客户编号", "kh_code"},
                  {"客户名称", "kh_name"},
                  {"0-30天", "je30", true, F::Money},
                  {"31-60天", "je60", true, F::Money},
                  {"61-90天", "je90", true, F::Money},
                  {"90天以上", "je91", true, F::Money},
                  {"欠款合计", "qkje", true, F::Money}}}};
  t.signatures = {"制表人："};
  return t;
}

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
  host::registerPrintTemplate(kAgingPrintCode, agingTemplate());
  host::registerPrintTemplate(kStatementPrintCode, statementTemplate());
}

}  // namespace plugs::coreapp::khzl
