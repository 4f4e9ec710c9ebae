// Txmwtkform, second half: what the bill draws from outside itself — lines imported
// from the linked project order, the order number from the order selector, a new
// supplier, the production requirements — and the `wxcb` statement of its audit.
#include <memory>

#include "core/format.h"
#include "core/json.h"
#include "core/scoped_flag.h"
#include "core/strings.h"
#include "host/plug/t_plugs_pool.h"
#include "host/services/data_services.h"
#include "host/services/sys_services.h"
#include "plugs/coreapp/xmwtk/importxmddmx_form.h"
#include "plugs/coreapp/xmwtk/xmwtk_form.h"
#include "plugs/coreapp/xmzzk/xmzzk_select_form.h"

namespace plugs::coreapp::xmwtk {

namespace {

// The order's outsourcing cost is the sum over every audited outsourced order naming
// it, so auditing or un-auditing any one of them leaves the same true figure.
const char* const kOutsourcingCost =
    "update vt_x_xmzzk set wxcb = isnull(t2.hjje,0) from  \r\n"
    "vt_x_xmzzk t1 left join( \r\n"
    "select orderbillno, sum(hjje) hjje  from vt_x_xmwtk where orgid=:orgid and orderbillno = '%0:s' and "
    "status = 1 group by orderbillno \r\n"
    ") t2 on t1.billno = t2.orderbillno \r\n"
    "where t1.orgid=:orgid and t1.billno = '%0:s'";

host::TPlugItem& hostPlug(const std::string& caption) {
  host::TPlugItem* plug = host::plugsPool().plugbyName(caption);
  if (plug == nullptr) throw host::HostError(caption + "不可用，请检查系统安装。");
  return *plug;
}

}  // namespace

std::string outsourcingCostSql(const std::string& orderBillno) {
  if (orderBillno.empty()) return {};
  // The number is the user's typing: quoted like any literal before it is formatted in.
  const std::string quoted = core::replaceAll(orderBillno, "'", "''");
  return core::Format(host::sqlTemplate(kOutsourcingCost), {core::Value(quoted)});
}

void Txmwtkform::generateSqlAuditing_0(std::string& sql) {
  sql = outsourcingCostSql(cdsMaster.fieldByName("orderbillno").asString());
}

void Txmwtkform::generateSqlAuditing_1(std::string& sql) { generateSqlAuditing_0(sql); }

void Txmwtkform::actimportmxExecute(host::Action&) {
  const std::string order = core::trim(control("edtorderbillno").text);
  if (!editMode || order.empty()) return;
  auto dialog = host::makeForm<Timportxmddmxform>(this, order);
  if (dialog->ShowModal() != host::mrOK) return;
  importLines(dialog->selectedData);
}

// Each field goes in as the clerk would type it, so the area rule prices the line on
// the way: it ends at `price_in` × `sl` × `n` × `x` × `y` with a discount of 1.
void Txmwtkform::importLines(const std::string& selection) {
  const std::vector<core::JsonRow> rows = chosenRows(selection, "订单明细无法识别，未添加明细：");
  core::ScopedFlag filling(isAutoFill);
  for (const core::JsonRow& row : rows) {
    cdsDetail.append();
    try {
      cdsDetail.fieldByName("xm_id").setValue(core::Value(row.value("xm_id").asInteger()));
      for (const auto& [column, field] : xmwtkSpec().pick.copies)
        cdsDetail.fieldByName(field).setValue(core::Value(row.get(column)));
      cdsDetail.fieldByName("dj").setValue(core::Value(row.value("price_in").asCurrency()));
      for (const char* f : {"x", "y", "sl", "n"}) cdsDetail.fieldByName(f).setValue(core::Value(row.value(f).asFloat()));
      for (const char* f : {"gcxmmc", "beizhu"}) cdsDetail.fieldByName(f).setValue(core::Value(row.get(f)));
      cdsDetail.post();
    } catch (...) {
      if (cdsDetail.state() != dataset::DataSetState::Browse) cdsDetail.cancel();
      throw;
    }
  }
}

void Txmwtkform::actnewgysExecute(host::Action& sender) { hostPlug(sender.hint).create(this, ""); }

void Txmwtkform::edtorderbillnoPropertiesButtonClick() {
  if (!editMode) return;
  const std::string chosen = xmzzk::selectOrder(this, true);
  if (chosen.empty()) return;
  const std::vector<core::JsonRow> rows = core::parseSelection(chosen);
  if (!rows.empty()) control("edtorderbillno").text = rows.front().get("billno");
}

// The requirements lookup already answers with the memo's text (one requirement a line).
void Txmwtkform::memzzyqDblClick() {
  if (!editMode) return;
  const std::string chosen = hostPlug("制作要求查询").selectData(this, "", "");
  if (chosen.empty()) return;
  if (cdsMaster.state() == dataset::DataSetState::Browse) cdsMaster.edit();
  cdsMaster.fieldByName("zzyq").setValue(core::Value(chosen));
}

}  // namespace plugs::coreapp::xmwtk
