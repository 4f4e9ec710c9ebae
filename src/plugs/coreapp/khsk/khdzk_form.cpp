// Tkhdzkform: the customer statement's description and its own rules: the review, the
// un-audit that releases its bills, and the statement variant of the customer selector.
#include "plugs/coreapp/khsk/khdzk_form.h"

#include "core/format.h"
#include "core/json.h"
#include "core/strings.h"
#include "host/services/data_services.h"
#include "host/services/sys_services.h"
#include "plugs/coreapp/khsk/khdzk_audit_form.h"
#include "plugs/coreapp/khsk/khdzk_sql.h"
#include "plugs/coreapp/khsk/khskhx_select_form.h"
#include "plugs/coreapp/simple_bill/write_off_select_form.h"

namespace plugs::coreapp::khsk {

namespace {

const std::vector<LineColumn> kStatementColumns = {{"biztype", "业务类型", 80, "", false},
                                                   {"bizbillno", "单号", 120, "", false},
                                                   {"bizbilldate", "日期", 90, "", false},
                                                   {"ck_name", "门店", 90, "", false},
                                                   {"gcxmmc", "工程名称", 140, "", false},
                                                   {"hjje", "合计金额", 100, "money", false, true},
                                                   {"jsje", "已核销金额", 100, "money", false, true},
                                                   {"qkje", "未核销金额", 100, "money", false, true},
                                                   {"dzflag", "已对账", 60, "", false},
                                                   {"beizhu", "备注", 160}};

const SourceLines kStatementSources{"客户对账明细表", "hxbillid", "源单选择结果无法识别，未添加对账明细："};

}  // namespace

const SimpleBillSpec& khdzkSpec() {
  static const SimpleBillSpec spec{.code = "1117",
                                   .caption = "客户对账单",
                                   .className = "Tkhdzkform",
                                   .guid = "{C5237390-BAEB-47B9-AAC5-BD0C7551E741}",
                                   .rights = host::standardRightsWith({{"_07", "复核"}}),
                                   .masterTable = "vt_f_khdzk",
                                   .header = {kStoreBox, kMakerBox, kSummaryBox, kRemarkBox},
                                   .masterJoins = {kCustomerJoin, kStoreJoin, kMakerJoin},
                                   .lineJoins = {},
                                   .lineDisplayFields = {"id", "bizbillno", "bizbilldate", "ck_id", "hjje", "jsje",
                                                         "qkje", "ck_code", "ck_name", "gcxmmc"},
                                   .columns = kStatementColumns,
                                   .insertTotal = "",
                                   .lineQuery = kKhdzkLineQuery};
  return spec;
}

Tkhdzkform::Tkhdzkform(host::FormModel* owner, host::TPlugItem* item)
    : TCustomerSourceBillForm(owner, item, khdzkSpec(), kStatementSources) {}

void Tkhdzkform::FormCreate() {
  TCustomerSourceBillForm::FormCreate();
  host::Action& review = addAction("actdzkaudit", "复核");
  review.onExecute = [this](host::Action& a) { actdzkauditExecute(a); };
  review.onUpdate = [this](host::Action& a) { a.enabled = reviewAllowed(); };
}

bool Tkhdzkform::reviewAllowed() const {
  return cdsMaster.active() && !cdsMaster.isEmpty() && !editMode && masterStatus() == 1;
}

void Tkhdzkform::actdzkauditExecute(host::Action&) {
  if (!reviewAllowed()) return;
  requireRight("_07");
  auto dialog = host::makeForm<Tkhdzkauditform>(this, billno);
  if (dialog->ShowModal() == host::mrOK) OpenBillData(billno);
}

void Tkhdzkform::cdsDetailAfterInsert(dataset::ClientDataSet& ds) {
  ds.fieldByName("hjje").setValue(core::Value(core::Currency()));
}

std::string Tkhdzkform::selectSources() {
  return runSourceSelector<Tkhskhxselectform>(this, counterpartyBox.id(), host::sysAuth().ck_id, workBillno, true);
}

LineValues Tkhdzkform::sourceLineValues(const core::JsonRow& bill) const {
  return {{"bizbillno", core::Value(bill.get("hxbillno"))},
          {"bizbilldate", core::Value(bill.get("hxbilldate"))},
          {"ck_id", core::Value(0)},
          {"ck_code", core::Value("000")},
          {"ck_name", core::Value(bill.get("ck_name"))},
          {"hjje", core::Value(bill.get("hjje"))},
          {"jsje", core::Value(bill.get("hxje_ok"))},
          {"qkje", core::Value(bill.get("hxje_no"))},
          {"dzflag", core::Value(false)}};
}

void Tkhdzkform::generateSqlAuditing_1(std::string& sql) { sql.clear(); }

void Tkhdzkform::generateSqlAuditing_0(std::string& sql) {
  const std::string quoted = core::replaceAll(billno, "'", "''");
  sql = core::Format(host::sqlTemplate(kKhdzkUnauditSql), {core::Value(quoted)});
}

void registerKhdzkForm() { registerSimpleBill<Tkhdzkform>(khdzkSpec()); }

host::UnitInitialization& khdzkFormUnit() {
  static host::UnitInitialization unit(&registerKhdzkForm);
  return unit;
}

}  // namespace plugs::coreapp::khsk
