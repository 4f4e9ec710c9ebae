// The customer's copy of an order shows what was ordered and what is owed; the
// production sheet shows what to make and no money; staff shares, consumables and
// member cards stay off paper.
#include "plugs/coreapp/xmzzk/order_print_templates.h"

#include "host/print/print_template.h"

namespace plugs::coreapp::xmzzk {

namespace {

using host::PrintColumn;
using host::PrintTemplate;
using F = host::PrintFormat;

std::vector<PrintColumn> orderHeader() {
  return {{"订单编号", "billno"},      {"下单日期", "billdate", false, F::Date},
          {"客户", "kh_name"},         {"联系人", "lxr"},
          {"电话", "tel"},             {"送货地址", "addr"},
          {"交货日期", "jhrq", false, F::DateTime},
          {"紧急程度", "jjcd"},        {"工程名称", "gcxmmc"},
          {"送货方式", "shfs_name"},   {"业务员", "ywy_name"},
          {"接待部门", "flow_name"},   {"开单人", "kdr_name"},
          {"制作要求", "zzyq"},        {"备注", "remark"}};
}

std::vector<PrintColumn> itemColumns(bool withMoney) {
  std::vector<PrintColumn> cols = {
      {"项目编号", "xm_code"}, {"项目名称", "xm_name"}, {"规格", "xm_itemno"},
      {"单位", "xm_baseunit"}, {"长", "x", false, F::Quantity}, {"宽", "y", false, F::Quantity},
      {"份数", "n", false, F::Quantity}, {"数量", "sl", true, F::Quantity}};
  if (withMoney) {
    cols.push_back({"单价", "dj", false, F::Price});
    cols.push_back({"金额", "je", true, F::Money});
  }
  cols.push_back({"工程名称", "gcxmmc"});
  cols.push_back({"备注", "beizhu"});
  return cols;
}

std::vector<PrintColumn> amountsOwed() {
  return {{"合计金额", "hjje", false, F::Money},
          {"减免", "jmje", false, F::Money},
          {"已结", "hjsk", false, F::Money},
          {"未结", "hjje-jmje-hjsk", false, F::Money}};
}

PrintTemplate orderTemplate() {
  PrintTemplate t;
  t.title = "项目订单";
  t.header = orderHeader();
  t.sections = {{"明细数据", "", itemColumns(true)},
                {"产品信息",
                 "成品",
                 {{"编号", "cpcode"},
                  {"名称", "cpname"},
                  {"规格", "itemno"},
                  {"单位", "dw"},
                  {"数量", "sl", true, F::Quantity},
                  {"单价", "dj", false, F::Price},
                  {"金额", "je", true, F::Money},
                  {"备注", "beizhu"}}}};
  t.totals = amountsOwed();
  t.signatures = {"开单人：", "客户签字："};
  return t;
}

PrintTemplate productionSheet() {
  PrintTemplate t;
  t.title = "生产单";
  t.header = orderHeader();
  t.sections = {{"明细数据", "", itemColumns(false)}};
  t.signatures = {"制作人：", "质检："};
  return t;
}

PrintTemplate counterSale() {
  PrintTemplate t;
  t.title = "零散业务单";
  t.header = {{"单号", "billno"},       {"日期", "billdate", false, F::DateTime},
              {"客户", "kh_name"},      {"门店", "ck_name"},
              {"工程名称", "gcxmmc"},   {"开单人", "kdr_name"}};
  t.sections = {{"明细数据", "", itemColumns(true)}};
  t.totals = amountsOwed();
  t.signatures = {"经办人：", "客户签字："};
  return t;
}

PrintTemplate settlementSlip() {
  PrintTemplate t;
  t.title = "订单结算单";
  t.headerDataset = "项目订单";
  t.header = {{"订单编号", "billno"}, {"客户", "kh_name"}, {"联系人", "lxr"},
              {"电话", "tel"},        {"地址", "addr"}};
  t.sections = {{"历史结算列表",
                 "结算记录",
                 {{"结算方式", "jsfs_name"},
                  {"结算时间", "jssj", false, F::DateTime},
                  {"经办人", "czy_name"},
                  {"收款账户", "zh_name"},
                  {"结算金额", "je", true, F::Money},
                  {"结算号", "sn"},
                  {"备注", "remark"}}}};
  t.totals = amountsOwed();
  t.signatures = {"收款人：", "客户签字："};
  return t;
}

}  // namespace

void registerOrderPrintTemplates() {
  host::registerPrintTemplate("1100", orderTemplate());
  host::registerPrintTemplate("1101", productionSheet());
  host::registerPrintTemplate("1103", counterSale());
  host::registerPrintTemplate("1100_01", settlementSlip());
}

}  // namespace plugs::coreapp::xmzzk
