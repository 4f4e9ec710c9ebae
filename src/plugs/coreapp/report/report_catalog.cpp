// The reports as data: parameters the pages ask for and the CLI binds, the columns the
// grids, exports and prints show. A new report is one more entry and one procedure.
#include "plugs/coreapp/report/report_catalog.h"

namespace plugs::coreapp {

namespace {

using K = ReportColumnKind;
using P = ReportParamKind;

const ReportParam kStore{"ck_id", "门店：", P::Store};
const ReportParam kFrom{"rq1", "日期：", P::DateFrom};
const ReportParam kTo{"rq2", "至", P::DateTo};
const ReportParam kGoods{"sp_id", "商品：", P::Pick,
                         "select id, name from vt_b_spbmk where orgid = :orgid order by code, id"};

ReportSpec daySheet() {
  return {.name = "day",
          .code = "1130",
          .guid = "{6A1D2E70-3B54-4C8F-9E21-7F0A5B3C1D01}",
          .caption = "营业日报",
          .procedure = "sp_rpt_day",
          .params = {kStore, kFrom, kTo},
          .columns = {{"lb", "类别", K::Text, 60},
                      {"mc", "项目", K::Text, 140},
                      {"bs", "笔数", K::Integer, 60},
                      {"je", "金额", K::Money},
                      {"qcje", "期初余额", K::Money},
                      {"srje", "收入/已收", K::Money},
                      {"zcje", "支出", K::Money},
                      {"qmje", "期末余额", K::Money},
                      {"billno", "单号", K::Text, 160}},
          .drillField = "billno",
          .kindField = "djlx"};
}

ReportSpec stockLedger() {
  return {.name = "stock",
          .code = "1131",
          .guid = "{6A1D2E70-3B54-4C8F-9E21-7F0A5B3C1D02}",
          .caption = "进销存",
          .procedure = "sp_rpt_stock",
          .params = {kStore, kFrom, kTo, kGoods},
          .columns = {{"ck_name", "门店", K::Text, 100},
                      {"sp_code", "商品编号", K::Text, 80},
                      {"sp_name", "商品名称", K::Text, 140},
                      {"qcsl", "期初数量", K::Quantity, 80, true},
                      {"qcje", "期初金额", K::Money, 100, true},
                      {"rksl", "入库数量", K::Quantity, 80, true},
                      {"rkje", "入库金额", K::Money, 100, true},
                      {"cksl", "出库数量", K::Quantity, 80, true},
                      {"ckje", "出库金额", K::Money, 100, true},
                      {"qmsl", "期末数量", K::Quantity, 80, true},
                      {"qmje", "期末金额", K::Money, 100, true}}};
}

ReportSpec stockOnHand() {
  return {.name = "onhand",
          .code = "1132",
          .guid = "{6A1D2E70-3B54-4C8F-9E21-7F0A5B3C1D03}",
          .caption = "库存查询",
          .procedure = "sp_rpt_spkc",
          .params = {kStore, kGoods},
          .columns = {{"ck_name", "门店", K::Text, 100},
                      {"sp_code", "商品编号", K::Text, 80},
                      {"sp_name", "商品名称", K::Text, 140},
                      {"baseunit", "单位", K::Text, 50},
                      {"kcsl", "库存数量", K::Quantity, 80, true},
                      {"kcje", "库存金额", K::Money, 100, true},
                      {"cbj", "成本价", K::Money, 100, false}}};
}

ReportSpec cashJournal() {
  const ReportParam account{
      "zh_id", "账户：", P::Pick,
      "select id, name from vt_b_zhbmk where orgid = :orgid order by isort desc, id"};
  return {.name = "cash",
          .code = "1133",
          .guid = "{6A1D2E70-3B54-4C8F-9E21-7F0A5B3C1D04}",
          .caption = "资金流水",
          .procedure = "sp_rpt_cash",
          .params = {kStore, kFrom, kTo, account},
          .columns = {{"zh_name", "账户", K::Text, 120},
                      {"rq", "日期", K::DateTime, 140},
                      {"lx", "类型", K::Text, 90},
                      {"billno", "单号", K::Text, 160},
                      {"srje", "收入", K::Money, 100, true},
                      {"zcje", "支出", K::Money, 100, true},
                      {"ye", "余额", K::Money, 100, false}},
          .drillField = "billno",
          .kindField = "djlx"};
}

ReportSpec payablesAging() {
  const ReportParam day{"rq", "截止日期：", P::Day};
  const ReportParam supplier{
      "gys_id", "供应商：", P::Pick,
      "select id, name from vt_b_gysbmk where orgid = :orgid order by code, id"};
  return {.name = "payables",
          .code = "1134",
          .guid = "{6A1D2E70-3B54-4C8F-9E21-7F0A5B3C1D05}",
          .caption = "应付账龄",
          .procedure = "sp_rpt_payables",
          .params = {kStore, day, supplier},
          .columns = {{"gys_code", "供应商编号", K::Text, 90},
                      {"gys_name", "供应商名称", K::Text, 140},
                      {"biztype", "单据类型", K::Text, 90},
                      {"billno", "单号", K::Text, 160},
                      {"billdate", "单据日期", K::Date, 100},
                      {"ts", "天数", K::Integer, 50},
                      {"je30", "0-30天", K::Money, 100, true},
                      {"je60", "31-60天", K::Money, 100, true},
                      {"je90", "61-90天", K::Money, 100, true},
                      {"je91", "90天以上", K::Money, 100, true},
                      {"qkje", "欠款合计", K::Money, 100, true}},
          .drillField = "billno",
          .kindField = "djlx"};
}

ReportSpec workInProgress() {
  return {.name = "wip",
          .code = "1135",
          .guid = "{6A1D2E70-3B54-4C8F-9E21-7F0A5B3C1D06}",
          .caption = "在制与待办",
          .procedure = "sp_rpt_wip",
          .params = {kStore, {"rq", "截止日期：", P::Day}},
          .columns = {{"lb", "类别", K::Text, 90},
                      {"billno", "单号", K::Text, 160},
                      {"billdate", "单据日期", K::Date, 100},
                      {"kh_name", "客户/供应商", K::Text, 140},
                      {"jhrq", "交货日期", K::DateTime, 140},
                      {"ts", "天数", K::Integer, 50},
                      {"je", "金额", K::Money, 100, true}},
          .drillField = "billno",
          .kindField = "djlx"};
}

ReportSpec staffPerformance() {
  const ReportParam staff{"yg_id", "员工：", P::Pick,
                          "select id, name from vt_b_ygbmk where orgid = :orgid order by code, id"};
  return {.name = "staff",
          .code = "1136",
          .guid = "{6A1D2E70-3B54-4C8F-9E21-7F0A5B3C1D07}",
          .caption = "员工业绩",
          .procedure = "sp_rpt_staff",
          .params = {kStore, kFrom, kTo, staff},
          .columns = {{"yg_code", "员工编号", K::Text, 80},
                      {"yg_name", "员工姓名", K::Text, 100},
                      {"billno", "单号", K::Text, 160},
                      {"billdate", "单据日期", K::Date, 100},
                      {"kh_name", "客户名称", K::Text, 140},
                      {"jxjf", "生产积分", K::Money, 100, true},
                      {"jxje", "绩效金额", K::Money, 100, true}},
          .drillField = "billno",
          .kindField = "djlx"};
}

ReportSpec orderProfit() {
  const ReportParam customer{
      "kh_id", "客户：", P::Pick,
      "select id, name from vt_b_khbmk where orgid = :orgid order by code, id"};
  return {.name = "profit",
          .code = "1137",
          .guid = "{6A1D2E70-3B54-4C8F-9E21-7F0A5B3C1D08}",
          .caption = "订单毛利",
          .procedure = "sp_rpt_profit",
          .params = {kStore, kFrom, kTo, customer},
          .columns = {{"billno", "单号", K::Text, 160},
                      {"billdate", "单据日期", K::Date, 100},
                      {"yf", "月份", K::Text, 70},
                      {"kh_name", "客户名称", K::Text, 140},
                      {"hjje", "订单金额", K::Money, 100, true},
                      {"hccb", "耗材成本", K::Money, 100, true},
                      {"wxcb", "外协成本", K::Money, 100, true},
                      {"mlje", "毛利", K::Money, 100, true},
                      {"mll", "毛利率%", K::Money, 80, false}},
          .drillField = "billno",
          .kindField = "djlx",
          .charts = {{"按月毛利", "yf", "", {{"hjje", "订单金额"}, {"mlje", "毛利"}}}}};
}

ReportSpec salesAnalysis() {
  const ReportParam by{
      "lx", "汇总方式：", P::Pick,
      "select 1 as id, '按日' as name union all select 2, '按月' union all "
      "select 3, '按客户' union all select 4, '按服务项目' union all select 5, '按门店'"};
  return {.name = "sales",
          .code = "1138",
          .guid = "{6A1D2E70-3B54-4C8F-9E21-7F0A5B3C1D09}",
          .caption = "销售分析",
          .procedure = "sp_rpt_sales",
          .params = {kStore, kFrom, kTo, by},
          .columns = {{"k", "日期/编号", K::Text, 100},
                      {"mc", "名称", K::Text, 140},
                      {"bs", "笔数", K::Integer, 60, true},
                      {"je", "本期金额", K::Money, 100, true},
                      {"sqje", "上期金额", K::Money, 100, true},
                      {"zzl", "增长率%", K::Money, 80, false}},
          // by day the key is the day; by customer, item or store the name reads better
          .charts = {{"销售额", "k", "mc", {{"je", "本期金额"}, {"sqje", "上期金额"}}}}};
}

}  // namespace

const std::vector<ReportSpec>& reportSpecs() {
  static const std::vector<ReportSpec> specs = {
      daySheet(),       stockLedger(),      stockOnHand(), cashJournal(),  payablesAging(),
      workInProgress(), staffPerformance(), orderProfit(), salesAnalysis()};
  return specs;
}

const ReportSpec* findReport(std::string_view nameOrCode) {
  for (const ReportSpec& spec : reportSpecs())
    if (spec.name == nameOrCode || spec.code == nameOrCode) return &spec;
  return nullptr;
}

}  // namespace plugs::coreapp
