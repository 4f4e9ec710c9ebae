// Tchfhselectxmddmxform: the candidate query, its filter and the tick column. Every
// filter value is a bound parameter. The query first turns a null shipped figure into
// 0 so that the open quantity of a line never shipped reads as its whole quantity.
#include "plugs/coreapp/cpfh/chfhselectxmddmx_form.h"

#include <optional>

#include "core/abort.h"
#include "core/date_time.h"
#include "core/strings.h"
#include "host/services/data_services.h"
#include "host/services/sys_services.h"
#include "plugs/coreapp/simple_bill/ticked_rows.h"

namespace plugs::coreapp::cpfh {

namespace {

const char* const kCandidates =
    "declare \r\n"
    "  @orgid varchar(10),\r\n"
    "  @kh_id int,\r\n"
    "  @bt smalldatetime,\r\n"
    "  @et smalldatetime,\r\n"
    "  @ck_id int\r\n"
    "\r\n"
    "set @orgid = :orgid\r\n"
    "set @kh_id = :kh_id\r\n"
    "set @bt = :bt\r\n"
    "set @et = :et\r\n"
    "set @ck_id = :ck_id\r\n"
    "\r\n"
    "update vt_x_xmzzk_mx set fhsl_ok = 0 where orgid=@orgid and fhsl_ok is null\r\n"
    "\r\n"
    "select cast(0 as bit) as selected, ck.code ck_code, ck.name ck_name, main.*, xm.code xm_code, xm.name xm_name, "
    "xm.itemno xm_itemno, xm.baseunit xm_baseunit, main.hjsl - isnull(main.fhsl_ok,0) fhsl_no from (\r\n"
    "select t1.billdate,t1.ck_id,t2.*,t2.sl * t2.n hjsl from vt_x_xmzzk t1 left join vt_x_xmzzk_mx t2 on t1.orgid = "
    "t2.orgid and t1.billno =t2.billno \r\n"
    "where t1.orgid = @orgid and kh_id = @kh_id and status = 2 and zfflag = 0  and datediff(day, billdate, @bt) <= 0 "
    "and datediff(day, billdate, @et) >= 0\r\n"
    "and t2.sl * n > isnull(fhsl_ok,0)\r\n"
    ") main left join vt_b_xmbmk xm on main.xm_id = xm.id\r\n"
    "left join vt_b_ckbmk ck on main.ck_id = ck.id";

// The date a date box holds; a text that is no date is refused, so a mistyped bound
// never silently changes the list.
core::DateTime boxDate(const host::Control& box) {
  const std::string text = core::trim(box.text);
  std::optional<core::DateTime> d = core::DateTime::parse(text);
  if (!d) {
    host::MessageMyDlg(box.caption + "“" + text + "”不是有效的日期。", "提示", host::mtInformation);
    throw core::Abort();
  }
  return *d;
}

}  // namespace

Tchfhselectxmddmxform::Tchfhselectxmddmxform(host::FormModel* owner, std::string billno, std::int64_t ck_id,
                                             std::int64_t kh_id)
    : TBaseForm(owner, "Tchfhselectxmddmxform", "待发货明细（选择项目订单明细）"),
      billno(std::move(billno)),
      kh_id(kh_id),
      ck_id(ck_id) {}

void Tchfhselectxmddmxform::FormCreate() {
  resultSQL = kCandidates;
  registerDataSet("cdsResult", cdsResult);
  registerDataSet("cds_ck", cds_ck);
  createControls();
  const core::DateTime now = core::DateTime::now();
  control("edtbt").text = now.addMonths(-6).toString();
  control("edtet").text = now.date().toDateString();
  host::openDataToCDS(cds_ck, host::sqlTemplate("select id, code, name from vt_b_ckbmk where orgid=:orgid and isDel=0"));
  for (cds_ck.first(); !cds_ck.eof(); cds_ck.next())
    if (cds_ck.fieldByName("id").asInteger() == ck_id) control("edtck").text = cds_ck.fieldByName("code").asString();
  TBaseForm::FormCreate();
}

void Tchfhselectxmddmxform::createControls() {
  addControl(host::Control("edtbt", host::ControlKind::DateEdit, "日期："));
  addControl(host::Control("edtet", host::ControlKind::DateEdit, "至"));
  addControl(host::Control("edtck", host::ControlKind::Edit, "开单门店："));
  addControl(host::Control("edtbillno", host::ControlKind::Edit, "单号："));
  host::Control grid("cxgResult", host::ControlKind::Grid);
  grid.dataSet = "cdsResult";
  grid.columns = {tickColumn(),
                  pickerColumn("billno", "订单单号"),
                  pickerColumn("billdate", "单据日期"),
                  pickerColumn("ck_name", "开单门店"),
                  pickerColumn("gcxmmc", "文件名"),
                  pickerColumn("xm_code", "项目编号"),
                  pickerColumn("xm_name", "项目名称"),
                  pickerColumn("xm_itemno", "规格"),
                  pickerColumn("xm_baseunit", "单位"),
                  pickerColumn("hjsl", "数量"),
                  pickerColumn("fhsl_ok", "已发货"),
                  pickerColumn("fhsl_no", "未发货"),
                  pickerColumn("beizhu", "备注")};
  grid.columns[2].format = "yyyy-mm-dd";
  keepRowsFixed(cdsResult, addControl(std::move(grid)));
  // The tick column's header: its tag says whether the next click ticks (0) or clears (1).
  host::Control& header = addControl(host::Control("cxgResultselected", host::ControlKind::Button, "全选"));
  header.onClick = [this] { tickAllClick(); };
  addAction("actquery", "查询").onExecute = [this](host::Action&) { initData(); };
  addAction("actok", "确定").onExecute = [this](host::Action& a) { actokExecute(a); };
  addAction("actcancel", "取消").onExecute = [this](host::Action&) { Close(); };
}

std::int64_t Tchfhselectxmddmxform::storeOfCode(const std::string& code) {
  for (cds_ck.first(); !cds_ck.eof(); cds_ck.next())
    if (cds_ck.fieldByName("code").asString() == code) return cds_ck.fieldByName("id").asInteger();
  return ck_id;  // no store has that code: the filter stays as it was
}

std::string Tchfhselectxmddmxform::candidateSql(db::Params& params) {
  const std::string store = core::trim(control("edtck").text);
  ck_id = store.empty() ? 0 : storeOfCode(store);
  params = {{"kh_id", core::Value(kh_id)},
            {"ck_id", core::Value(ck_id)},
            {"bt", core::Value(boxDate(control("edtbt")))},
            {"et", core::Value(boxDate(control("edtet")))}};
  return host::sqlTemplate(resultSQL);
}

void Tchfhselectxmddmxform::initData() {
  db::Params params;
  const std::string sql = candidateSql(params);
  cdsResult.setFiltered(false);
  host::LogMsg(sql);
  host::openDataToCDS(cdsResult, sql, params);
}

void Tchfhselectxmddmxform::tickAllClick() { toggleAllTicks(cdsResult, control("cxgResultselected").tag); }

void Tchfhselectxmddmxform::actokExecute(host::Action&) {
  std::string ticked = tickedRowsJson(cdsResult);
  if (ticked.empty()) return;  // nothing ticked: the dialog stays open, filter on
  FselectedData = std::move(ticked);
  cdsResult.close();
  ModalResult = host::mrOK;
}

}  // namespace plugs::coreapp::cpfh
