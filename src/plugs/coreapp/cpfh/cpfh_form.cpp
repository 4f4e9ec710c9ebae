// Tcpfhform: the description of the shipment bill and what it adds to the goods-bill
// pattern: lines from the pending-shipment selector and the shipped-quantity statements.
// Its line query reads an audited bill as if it were not there, so the shipped and open
// figures of a reopened bill never count its own quantity.
#include "plugs/coreapp/cpfh/cpfh_form.h"

#include "core/format.h"
#include "core/json.h"
#include "core/scoped_flag.h"
#include "core/strings.h"
#include "host/services/data_services.h"
#include "host/services/sys_services.h"
#include "plugs/coreapp/cpfh/chfhselectxmddmx_form.h"
#include "plugs/coreapp/simple_bill/goods_columns.h"
#include "plugs/coreapp/simple_bill/source_lines.h"

namespace plugs::coreapp::cpfh {

namespace {

const char* const kLineQuery =
    "declare\r\n"
    "  @orgid varchar(10),\r\n"
    "  @billno varchar(50)\r\n"
    "\r\n"
    "set @orgid=:orgid\r\n"
    "set @billno=:billno\r\n"
    "\r\n"
    "SELECT    main.*, mx.billno AS orderno, xm.code AS xm_code, \r\n"
    "                      xm.name AS xm_name, xm.itemno AS xm_itemno, xm.baseunit AS xm_baseunit, mx.sl * mx.n AS "
    "hjsl, mx.fhsl_ok - isnull(temp.fhsl,0) fhsl_ok, mx.sl * mx.n - ISNULL(mx.fhsl_ok, 0) +isnull(temp.fhsl,0)\r\n"
    "                      AS fhsl_no\r\n"
    "FROM         dbo.vt_x_cpfhk_mx AS main LEFT OUTER JOIN\r\n"
    "                      dbo.vt_x_xmzzk_mx AS mx ON main.mx_id = mx.id LEFT OUTER JOIN\r\n"
    "                      dbo.vt_b_xmbmk AS xm ON main.xm_id = xm.id left join \r\n"
    "(select t1.id, t1.fhsl from vt_x_cpfhk_mx t1 left join vt_x_cpfhk t2 on t1.orgid = t2.orgid and t1.billno = "
    "t2.billno\r\n"
    "where t1.orgid=@orgid and t1.billno = @billno and t2.status = 1) temp on main.id = temp.id\r\n"
    "where main.orgid=@orgid and main.billno =@billno\r\n"
    "order by main.id";

// The fields a picked order line fills, each copied as text (key in the pick = field).
const char* const kPickedFields[] = {"gcxmmc",      "xm_code", "xm_name", "xm_itemno",
                                     "xm_baseunit", "hjsl",    "fhsl_ok", "fhsl_no"};

bool hasLineOf(dataset::ClientDataSet& lines, std::int64_t orderLine) {
  for (lines.first(); !lines.eof(); lines.next())
    if (lines.fieldByName("mx_id").asInteger() == orderLine) return true;
  return false;
}

}  // namespace

const StockBillSpec& cpfhSpec() {
  static const StockBillSpec spec{
      .bill = {.code = "1105",
               .caption = "成品发货单",
               .className = "Tcpfhform",
               .guid = "{2F3D369A-6A17-4C7D-915B-EB71414D09FA}",
               .rights = host::standardNineRights(),
               .masterTable = "vt_x_cpfhk",
               .header = {kStoreBox,
                          // Shows the bill maker's name but writes the deliverer's id.
                          {"cbshr", host::ControlKind::LookupCombo, "送货人：", "kdr_name", "ywy_id", "yg"},
                          kDeliveryBox,
                          {"edtlxr", host::ControlKind::Edit, "联系人：", "lxr"},
                          {"edttel", host::ControlKind::Edit, "电话：", "tel"},
                          {"edtaddr", host::ControlKind::Edit, "地址：", "addr"},
                          kSummaryBox,
                          {"edtcydw", host::ControlKind::Edit, "承运单位：", "cydw"},
                          {"edtwldh", host::ControlKind::Edit, "运单号：", "wldh"},
                          kRemarkBox},
               .masterJoins = {kCustomerJoin, kStoreJoin, kMakerJoin, kDeliveryJoin},
               .lineJoins = {},
               .lineDisplayFields = {"id", "xm_code", "xm_name", "xm_itemno", "xm_baseunit", "orderno", "hjsl",
                                     "fhsl_ok", "fhsl_no"},
               .columns = {{"orderno", "订单单号", 110, "", false},
                           {"gcxmmc", "文件名", 120, "", false},
                           {"xm_code", "项目编号", 90, "", false},
                           {"xm_name", "项目名称", 140, "", false},
                           {"xm_itemno", "规格", 90, "", false},
                           {"xm_baseunit", "单位", 50, "", false},
                           {"hjsl", "数量", 60, "", false, true},
                           {"fhsl_ok", "已发货", 60, "", false},
                           {"fhsl_no", "未发货", 60, "", false},
                           {"fhsl", "本次发货", 70, "", true, true},
                           kLineRemarkColumn},
               .insertTotal = "",
               .lineQuery = kLineQuery},
      .counterparty = kCustomer,
      .lineDefaults = {},
      .priceSource = "",
      .priceTargets = {},
      .rule = LineRule::None,
      .pick = kNoLinePick};
  return spec;
}

Tcpfhform::Tcpfhform(host::FormModel* owner, host::TPlugItem* item) : StockBillUnit(owner, item, cpfhSpec()) {}

void Tcpfhform::FormCreate() {
  StockBillUnit::FormCreate();
  host::Control& lines = control(detailGridName);
  lines.caption = "项目订单明细（成品发货清单）";
  // Each line ships one order line, so the grid adds and deletes none by itself.
  linesOnlyFromSelector(lines, cdsDetail, isAutoFill, false);
}

std::string shippedQuantitySql(char sign, const std::string& billno) {
  const std::string text = std::string(
                               "update vt_x_xmzzk_mx\r\n"
                               "set fhsl_ok = isnull(fhsl_ok,0) ") +
                           sign +
                           " t2.fhsl\r\n"
                           "from vt_x_xmzzk_mx  t1 right join(\r\n"
                           "select * from vt_x_cpfhk_mx where orgid = :orgid and billno='%s'\r\n"
                           ") t2 on t1.id = t2.mx_id";
  return core::Format(host::sqlTemplate(text), {core::Value(core::replaceAll(billno, "'", "''"))});
}

void Tcpfhform::generateSqlAuditing_1(std::string& sql) { sql = shippedQuantitySql('+', billno); }

void Tcpfhform::generateSqlAuditing_0(std::string& sql) { sql = shippedQuantitySql('-', billno); }

void Tcpfhform::actDetail_AddExecute(host::Action&) {
  if (!editMode) return;
  const std::int64_t customer = control("edtwldw").tag;
  if (customer == 0) refuse("请选择往来单位");
  host::LogMsg(workBillno);
  auto selector = host::makeForm<Tchfhselectxmddmxform>(this, workBillno, host::sysAuth().ck_id, customer);
  if (selector->ShowModal() != host::mrOK) return;
  addPickedLines(selector->FselectedData);
}

void Tcpfhform::addPickedLines(const std::string& selection) {
  if (selection.empty()) return;
  const std::vector<core::JsonRow> rows = chosenRows(selection, "待发货明细无法识别，未添加明细：");
  host::LogMsg(selection);
  core::ScopedFlag filling(isAutoFill);
  cdsDetail.disableControls();
  try {
    for (const core::JsonRow& row : rows) {
      const std::int64_t orderLine = row.value("id").asInteger();
      if (hasLineOf(cdsDetail, orderLine)) continue;
      cdsDetail.append();
      cdsDetail.fieldByName("mx_id").setValue(core::Value(orderLine));
      cdsDetail.fieldByName("xm_id").setValue(core::Value(row.value("xm_id").asInteger()));
      cdsDetail.fieldByName("orderno").setValue(core::Value(row.get("billno")));
      for (const char* f : kPickedFields) cdsDetail.fieldByName(f).setValue(core::Value(row.get(f)));
      cdsDetail.fieldByName("fhsl").setValue(core::Value(row.get("fhsl_no")));
      cdsDetail.post();
    }
  } catch (...) {
    if (cdsDetail.state() != dataset::DataSetState::Browse) cdsDetail.cancel();
    cdsDetail.enableControls();
    throw;
  }
  cdsDetail.enableControls();
}

void registerCpfhForm() { registerSimpleBill<Tcpfhform>(cpfhSpec().bill); }

host::UnitInitialization& cpfhFormUnit() {
  static host::UnitInitialization unit(&registerCpfhForm);
  return unit;
}

}  // namespace plugs::coreapp::cpfh
