// The controls both order windows build alike; the columns are listed once here so that
// the two windows cannot drift apart on which fields a staff or consumable row shows.
#include "plugs/coreapp/xmzzk/order_controls.h"

#include "host/forms/money_format.h"

namespace plugs::coreapp::xmzzk {

using host::Control;
using host::ControlKind;

Control boundControl(std::string name, ControlKind kind, std::string caption, std::string dataSet,
                     std::string field) {
  Control c(std::move(name), kind, std::move(caption));
  c.dataSet = std::move(dataSet);
  c.dataField = std::move(field);
  return c;
}

Control headerField(std::string name, ControlKind kind, std::string caption, std::string field) {
  return boundControl(std::move(name), kind, std::move(caption), "cdsMaster", std::move(field));
}

host::GridColumn gridColumn(std::string field, std::string caption) {
  host::GridColumn c;
  c.field = std::move(field);
  c.caption = std::move(caption);
  return c;
}

Control staffGrid() {
  Control staff("cxgzzry", ControlKind::Grid, "员工业绩");
  staff.dataSet = "cdszzry";
  staff.columns = {gridColumn("yg_name", "制作人"), gridColumn("perc", "比例(%)"),
                   gridColumn("jxjf", "生产积分"), gridColumn("jxje", "绩效金额")};
  staff.columns[1].format = host::moneyFormat(host::MoneyKind::Percent);
  return staff;
}

Control consumablesGrid() {
  Control hc("cxghc", ControlKind::Grid, "生产耗材");
  hc.dataSet = "cdshc";
  hc.columns = {gridColumn("sp_code", "编号"), gridColumn("sp_name", "名称"),
                gridColumn("itemno", "规格"),  gridColumn("baseunit", "单位"),
                gridColumn("sl", "数量"),      gridColumn("shsl", "损耗")};
  return hc;
}

void addShareActions(host::FormModel& form, const std::string& group,
                     const std::function<void(double)>& setShare) {
  for (int perc = 10; perc <= 90; perc += 10) {
    host::Action& a = form.addAction("actzzry_" + std::to_string(perc), std::to_string(perc) + "%");
    a.group = group;
    a.tag = perc;
    a.onExecute = [setShare, perc](host::Action&) { setShare(perc); };
  }
}

}  // namespace plugs::coreapp::xmzzk
