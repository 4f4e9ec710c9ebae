// Tfydjform: the expense bill, described by what it differs in from the income bill.
#include "plugs/coreapp/fydj/fydj_form.h"

#include "plugs/coreapp/simple_bill/ledger_bill_spec.h"

namespace plugs::coreapp::fydj {

const SimpleBillSpec& fydjSpec() {
  static const SimpleBillSpec spec = ledgerBillSpec(
      {.code = "1110",
       .caption = "费用单据",
       .className = "Tfydjform",
       .guid = "{B4418D23-5212-469D-9425-92C429E975FF}",
       .masterTable = "vt_f_fydj",
       .category = {"fy_name", "fy_id", "fy_code", "fylb"},
       .categoryJoin = {"fy.code fy_code, fy.name fy_name", "left join vt_b_fylb fy on t1.fy_id = fy.id"},
       .categoryCaption = "费用类别",
       .categoryMessage = "请选择费用类别",
       .totalStatement = "update dbo.vt_f_fydj set hjje = (select sum(je) from dbo.vt_f_fydj_mx where billno = "
                         "@billno) where billno = @billno"});
  return spec;
}

Tfydjform::Tfydjform(host::FormModel* owner, host::TPlugItem* item) : TSimpleBillForm(owner, item, fydjSpec()) {}

void registerFydjForm() { registerSimpleBill<Tfydjform>(fydjSpec()); }

host::UnitInitialization& fydjFormUnit() {
  static host::UnitInitialization unit(&registerFydjForm);
  return unit;
}

}  // namespace plugs::coreapp::fydj
