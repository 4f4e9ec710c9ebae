// Timportxmddmxform: the order's lines, joined with the item's code, name,
// specification, unit and purchase price, each row unticked at first.
#include "plugs/coreapp/xmwtk/importxmddmx_form.h"

#include "host/services/data_services.h"
#include "host/services/sys_services.h"
#include "plugs/coreapp/simple_bill/ticked_rows.h"
#include "plugs/coreapp/xmzzk/size_hints.h"

namespace plugs::coreapp::xmwtk {

namespace {

const char* const kLinesSql =
    "select cast(0 as bit) as selected, t1.*, t2.code, t2.name, t2.itemno, t2.baseunit, t2.price_in \r\n"
    "from vt_x_xmzzk_mx t1 left join vt_b_xmbmk t2 on t1.xm_id = t2.id and t1.orgid = t2.orgid\r\n"
    " where t1.orgid=:orgid and t1.billno = :billno order by t1.id";

}  // namespace

Timportxmddmxform::Timportxmddmxform(host::FormModel* owner, std::string orderBillno)
    : TBaseForm(owner, "Timportxmddmxform", "引用项目订单明细"), orderBillno(std::move(orderBillno)) {}

void Timportxmddmxform::FormCreate() {
  TBaseForm::FormCreate();
  registerDataSet("cdsMain", cdsMain);
  addControl(host::Control("lblhint", host::ControlKind::Label, "请选择引用的订单明细："));
  host::Control grid("cxgMain", host::ControlKind::Grid);
  grid.dataSet = "cdsMain";
  grid.columns = {tickColumn(),
                  pickerColumn("code", "项目编号"),
                  pickerColumn("name", "项目名称"),
                  pickerColumn("itemno", "规格"),
                  pickerColumn("baseunit", "单位", true),
                  pickerColumn("sl", "数量"),
                  pickerColumn("n", "份数"),
                  pickerColumn("x", "长", true),
                  pickerColumn("y", "宽", true),
                  pickerColumn("gcxmmc", "文件名"),
                  pickerColumn("beizhu", "备注", true)};
  xmzzk::hintSizeColumns(grid.columns);
  keepRowsFixed(cdsMain, addControl(std::move(grid)));
  // The tick column's header: its tag says whether the next click ticks (0) or clears (1).
  host::Control& header = addControl(host::Control("cxgMainselected", host::ControlKind::Button, "全选"));
  header.onClick = [this] { tickAllClick(); };
  addAction("actok", "确定").onExecute = [this](host::Action& a) { actokExecute(a); };
  addAction("actcancel", "取消").onExecute = [this](host::Action&) { Close(); };
  initData_();
}

void Timportxmddmxform::initData_() {
  host::openDataToCDS(cdsMain, kLinesSql, {{"orgid", host::sysAuth().orgid}, {"billno", orderBillno}});
}

std::int64_t& Timportxmddmxform::tickTag() { return control("cxgMainselected").tag; }

void Timportxmddmxform::tickAllClick() { toggleAllTicks(cdsMain, tickTag()); }

void Timportxmddmxform::actokExecute(host::Action&) {
  std::string ticked = tickedRowsJson(cdsMain);
  if (ticked.empty()) return;  // nothing ticked: the dialog stays open
  selectedData = std::move(ticked);
  cdsMain.close();
  ModalResult = host::mrOK;
}

}  // namespace plugs::coreapp::xmwtk
