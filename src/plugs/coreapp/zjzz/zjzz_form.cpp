// Tzjzzform: the fund transfer bill. Accounts and the settlement method are picked in
// the line's cells by name; the saved total is the sum of the lines and is not shown.
// Negative amounts pass: they move money the other way.
#include "plugs/coreapp/zjzz/zjzz_form.h"

#include "plugs/coreapp/simple_bill/goods_columns.h"
#include "plugs/coreapp/simple_bill/stock_bill_spec.h"
#include "plugs/coreapp/zjzz/zhye_form.h"

namespace plugs::coreapp::zjzz {

const SimpleBillSpec& zjzzSpec() {
  static const SimpleBillSpec spec{
      .code = "1114",
      .caption = "资金转账单",
      .className = "Tzjzzform",
      .guid = "{AC69EF09-5952-419B-9DDC-2977022B89DA}",
      .rights = host::standardNineRights(),
      .masterTable = "vt_f_zjzz",
      .header = {kStoreBox, kMakerBox, kSummaryBox, kRemarkBox},
      .masterJoins = {kStoreJoin, kMakerJoin},
      .lineJoins = {{"oz.code ozh_code, oz.name ozh_name", "left join vt_b_zhbmk oz on t1.ozh_id = oz.id"},
                    {"iz.code izh_code, iz.name izh_name", "left join vt_b_zhbmk iz on t1.izh_id = iz.id"},
                    {"js.code jsfs_code, js.name jsfs_name", "left join vt_b_jsfs js on t1.jsfs_id = js.id"}},
      .lineDisplayFields = {"id", "ozh_code", "ozh_name", "izh_code", "izh_name", "jsfs_code", "jsfs_name"},
      .columns = {{"ozh_name", "转出账户", 120}, {"izh_name", "转入账户", 120}, {"jsfs_name", "结算方式", 100},
                  {"je", "转账金额", 100, "money", true, true}, kLineRemarkColumn},
      .insertTotal = "update dbo.vt_f_zjzz set hjje = (select sum(je) from dbo.vt_f_zjzz_mx where billno = "
                     "@billno) where billno = @billno",
      .lineLists = {{"ozh_name", "ozh_id", "ozh_code", "zh"},
                    {"izh_name", "izh_id", "izh_code", "zh"},
                    {"jsfs_name", "jsfs_id", "jsfs_code", "jsfs"}},
      .lineRequired = {{"ozh_id", "请选择转出账户。"}, {"izh_id", "请选择转入账户。"}},
      .gridEntry = true,
      .opensDrawer = true};
  return spec;
}

Tzjzzform::Tzjzzform(host::FormModel* owner, host::TPlugItem* item) : TSimpleBillForm(owner, item, zjzzSpec()) {}

void Tzjzzform::FormCreate() {
  TSimpleBillForm::FormCreate();
  addBalancesAction(*this);
}

void Tzjzzform::cdsDetailBeforePost(dataset::ClientDataSet& ds) {
  TSimpleBillForm::cdsDetailBeforePost(ds);
  if (ds.fieldByName("ozh_id").asInteger() == ds.fieldByName("izh_id").asInteger())
    refuse("转出账户不能与转入账户相同。");
  dataset::Field& je = ds.fieldByName("je");
  if (je.isNull()) je.setValue(core::Value(core::Currency()));
  if (je.asCurrency() == core::Currency()) refuse("请输入转账金额。");
}

void registerZjzzForm() { registerSimpleBill<Tzjzzform>(zjzzSpec()); }

host::UnitInitialization& zjzzFormUnit() {
  static host::UnitInitialization unit(&registerZjzzForm);
  return unit;
}

}  // namespace plugs::coreapp::zjzz
