// Tzhyeform: balances are read from the view, so an audit or un-audit anywhere shows
// at the next refresh; accounts without any movement show zeros.
#include "plugs/coreapp/zjzz/zhye_form.h"

#include "host/forms/page_control.h"
#include "host/services/data_services.h"
#include "plugs/coreapp/report/report_columns.h"

namespace plugs::coreapp::zjzz {

Tzhyeform::Tzhyeform(host::FormModel* owner) : TBaseRibbonForm(owner, nullptr, "Tzhyeform", "账户余额") {
  registerDataSet("cdsZhye", cdsZhye);
}

void Tzhyeform::FormCreate() {
  TBaseRibbonForm::FormCreate();
  host::Control grid("cxgZhye", host::ControlKind::Grid, "账户余额");
  grid.dataSet = "cdsZhye";
  grid.readOnly = true;
  grid.columns = {reportTextColumn("zh_name", "结算账户", 140), reportMoneyColumn("srje", "收入金额"),
                  reportMoneyColumn("zcje", "支出金额"), reportMoneyColumn("ye", "余额")};
  addControl(std::move(grid));
  addAction("actRef", "刷新").onExecute = [this](host::Action& a) { actRefExecute(a); };
  actRefExecute(action("actRef"));
}

void Tzhyeform::actRefExecute(host::Action&) {
  host::openDataToCDS(cdsZhye, host::sqlTemplate("select zh_id, zh_name, srje, zcje, ye from vt_v_zhye "
                                                 "where orgid = :orgid order by zh_id"));
}

void addBalancesAction(host::TBaseBillEditRibbonForm& editor) {
  host::Action& open = editor.addAction("actZhye", "账户余额");
  open.onExecute = [&editor](host::Action&) {
    if (editor.PlugItem == nullptr) return;  // an editor made outside the plug pool has no page to open beside
    static const host::TFormClass balances{"Tzhyeform", [](host::Owner owner) {
                                             return std::unique_ptr<host::FormModel>(
                                                 std::make_unique<Tzhyeform>(owner));
                                           }};
    host::TBaseRibbonForm::generateForm(nullptr, balances, host::PageControl(), *editor.PlugItem);
  };
}

}  // namespace plugs::coreapp::zjzz
