// Windows are made from the plug item's form class with the item set, as the host's
// creator makes them, but owned by the test instead of the page control.
#include "reliability/bill_windows.h"

#include "host/forms/bill_config.h"
#include "host/plug/t_plugs_pool.h"

namespace reliability {

BillWindows::BillWindows(db::Connection& c) : conn(c) {
  host_.connection = &conn;
  host_.ui = &ui;
  host_.login = {"0001", "A", 1, 1, "001", "王敏"};
  host_.rights.all = true;
  host_.defaultPlugInfo = [](std::string_view code) { return host::defaultBillConfig(code); };
}

std::unique_ptr<host::TBaseBillEditRibbonForm> BillWindows::open(const std::string& code, const std::string& billno) {
  host::TPlugItem* item = host::plugsPool().plugbyName(code);
  std::unique_ptr<host::FormModel> form = item->formClass.create(nullptr);
  auto* editor = dynamic_cast<host::TBaseBillEditRibbonForm*>(form.get());
  if (editor == nullptr) return nullptr;
  form.release();
  std::unique_ptr<host::TBaseBillEditRibbonForm> owned(editor);
  owned->PlugItem = item;
  owned->initialize();
  owned->OpenBillData(billno);
  return owned;
}

std::string BillWindows::newestBill(const std::string& code, std::string& table) {
  auto probe = open(code, "");
  if (!probe) return {};
  table = probe->tableName;
  db::BatchResult r = conn.execBatch("select top 1 billno from " + table + " t where exists(select 1 from " + table +
                                     "_mx m where m.billno = t.billno) order by id desc");
  if (!r.ok() || r.resultSets.empty() || r.resultSets[0].rows.empty()) return {};
  return r.resultSets[0].rows[0][0].asText();
}

std::int64_t BillWindows::number(const std::string& table, const std::string& billno, const char* column) {
  db::BatchResult r = conn.execBatch("select " + std::string(column) + " from " + table + " where billno = :b",
                                     {{"b", core::Value(billno)}});
  return r.ok() && !r.resultSets.empty() && !r.resultSets[0].rows.empty() ? r.resultSets[0].rows[0][0].asInteger()
                                                                           : -1;
}

void BillWindows::heard(const std::string& event) {
  if (!onSaveConfirmed || event.find("是否确认保存该单据？") == std::string::npos) return;
  std::function<void()> run = std::move(onSaveConfirmed);
  onSaveConfirmed = nullptr;
  run();
}

const char* BillWindows::unauditAction(host::TBaseBillEditRibbonForm& form) {
  return form.findAction("actAudit")->caption == "草稿" ? "actAudit" : "actAudit_0";
}

const char* BillWindows::editHeader(host::TBaseBillEditRibbonForm& form, const std::string& text) {
  form.clickAction("actEdit");
  for (const char* name : {"remark", "beizhu", "zy"}) {
    if (form.cdsMaster.findField(name) == nullptr) continue;
    form.cdsMaster.edit();
    form.cdsMaster.fieldByName(name).setValue(core::Value(text));
    return name;
  }
  return "";
}

std::string BillWindows::toldSince(std::size_t mark) const {
  std::string said;
  for (std::size_t i = mark; i < ui.transcript().size(); ++i) said += "\n  " + ui.transcript()[i];
  return said;
}

}  // namespace reliability
