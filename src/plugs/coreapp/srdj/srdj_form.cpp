// Tsrdjform: the income bill, described by what it differs in from the expense bill.
#include "plugs/coreapp/srdj/srdj_form.h"

#include "plugs/coreapp/simple_bill/ledger_bill_spec.h"

namespace plugs::coreapp::srdj {

const SimpleBillSpec& srdjSpec() {
  static const SimpleBillSpec spec = ledgerBillSpec(
      {.code = "1111",
       .caption = "收入单据",
       .className = "Tsrdjform",
       .guid = "{B77DDA3E-AC9C-40D5-82B5-F66012B5E16C}",
       .masterTable = "vt_f_srdj",
       .category = {"sr_name", "sr_id", "sr_code", "srlb"},
       .categoryJoin = {"sr.code sr_code, sr.name sr_name", "left join vt_b_srlb sr on t1.sr_id = sr.id"},
       .categoryCaption = "收入类别",
       .categoryMessage = "请选择收入类别",
       .totalStatement = "update dbo.vt_f_srdj set hjje = (select sum(je) from dbo.vt_f_srdj_mx where billno = "
                         "@billno) where billno = @billno"});
  return spec;
}

Tsrdjform::Tsrdjform(host::FormModel* owner, host::TPlugItem* item) : TSimpleBillForm(owner, item, srdjSpec()) {}

void registerSrdjForm() { registerSimpleBill<Tsrdjform>(srdjSpec()); }

host::UnitInitialization& srdjFormUnit() {
  static host::UnitInitialization unit(&registerSrdjForm);
  return unit;
}

}  // namespace plugs::coreapp::srdj
