// Tkhkpkform: the customer invoice's description and its own rules. Lines come only
// from the receipt selector, each receipt once, with the whole amount not yet invoiced
// elsewhere; the clerk may change it. An amount above what is left is not refused:
// only a line amount that is not positive is.
#include "plugs/coreapp/khkp/khkpk_form.h"

#include "host/services/data_services.h"
#include "host/services/sys_services.h"
#include "plugs/coreapp/khkp/khkpk_sql.h"
#include "plugs/coreapp/khkp/khsk_select_form.h"

namespace plugs::coreapp::khkp {

namespace {

const std::vector<LineColumn> kInvoiceColumns = {{"biztype", "业务类型", 80, "", false},
                                                 {"bizbillno", "源单单号", 120, "", false},
                                                 {"bizbilldate", "单据日期", 90, "", false},
                                                 {"skje", "收款金额", 100, "money", false, true},
                                                 {"kpjeok", "已开票金额", 100, "money", false, true},
                                                 {"kpjeno", "未开票金额", 100, "money", false, true},
                                                 {"kpmc", "开票名称", 140},
                                                 {"tax", "税率", 60},
                                                 {"je", "开票金额", 100, "money", true, true},
                                                 {"beizhu", "备注", 160}};

const SourceLines kReceiptSources{"客户收款单明细", "bizid", "源单选择结果无法识别，未添加开票明细："};

constexpr double kDefaultTax = 0.03;

}  // namespace

const SimpleBillSpec& khkpkSpec() {
  static const SimpleBillSpec spec{
      .code = "1118",
      .caption = "客户开票单",
      .className = "Tkhkpkform",
      .guid = "{A69B486C-3DF6-49AB-BCFD-495976C88245}",
      .rights = host::standardNineRights(),
      .masterTable = "vt_f_khkpk",
      .header = {{"edtpjdm", host::ControlKind::Edit, "发票代码：", "pjdm"},
                 {"edtpjhm", host::ControlKind::Edit, "发票号码：", "pjhm"},
                 {"cbcomp", host::ControlKind::LookupCombo, "开票公司：", "comp_name", "comp_id", "comp"},
                 {"edtfullname", host::ControlKind::Edit, "单位全称：", "fullname"},
                 {"edtshuihao", host::ControlKind::Edit, "税号：", "shuihao"},
                 kStoreBox,
                 kMakerBox,
                 {"edtzy", host::ControlKind::ButtonEdit, "摘要信息：", "zy"},
                 kRemarkBox},
      .masterJoins = {kCustomerJoin, kStoreJoin, kMakerJoin},
      .lineJoins = {},
      .lineDisplayFields = {"id", "bizbillno", "bizbilldate", "skje", "kpjeok", "kpjeno"},
      .columns = kInvoiceColumns,
      .insertTotal =
          "update dbo.vt_f_khkpk set hjje = isnull((select sum(je) from dbo.vt_f_khkpk_mx where "
          "orgid=:orgid and billno = @billno),0) where orgid=:orgid and billno = @billno",
      .lineQuery = kKhkpkLineQuery};
  return spec;
}

Tkhkpkform::Tkhkpkform(host::FormModel* owner, host::TPlugItem* item)
    : TCustomerSourceBillForm(owner, item, khkpkSpec(), kReceiptSources) {}

// The company list is the combo's: the shop's companies in their list order.
void Tkhkpkform::BeforeAppend() {
  TCustomerSourceBillForm::BeforeAppend();
  const host::Control& companies = control("cbcomp");
  if (companies.items.empty()) return;
  cdsMaster.fieldByName("comp_name").setValue(core::Value(companies.items.front()));
  cdsMaster.fieldByName("comp_id").setValue(core::Value(companies.itemIds.front()));
}

void Tkhkpkform::cdsDetailAfterInsert(dataset::ClientDataSet& ds) {
  TCustomerSourceBillForm::cdsDetailAfterInsert(ds);
  ds.fieldByName("tax").setValue(core::Value(kDefaultTax));
}

void Tkhkpkform::cdsDetailBeforePost(dataset::ClientDataSet& ds) {
  if (ds.fieldByName("je").asCurrency() <= core::Currency()) refuse("请输入开票金额");
  TCustomerSourceBillForm::cdsDetailBeforePost(ds);
}

void Tkhkpkform::generateSqlAuditing_1(std::string& sql) { sql.clear(); }

void Tkhkpkform::generateSqlAuditing_0(std::string& sql) { sql.clear(); }

host::BillSaveTexts Tkhkpkform::saveTexts(bool isNew) const {
  host::BillSaveTexts texts = TCustomerSourceBillForm::saveTexts(isNew);
  texts.total = host::sqlTemplate(texts.total);
  return texts;
}

std::string Tkhkpkform::selectSources() {
  return runSourceSelector<Tkhskselectform>(this, counterpartyBox.id(), host::sysAuth().ck_id, workBillno);
}

LineValues Tkhkpkform::sourceLineValues(const core::JsonRow& receipt) const {
  return {
      {"bizbillno", core::Value(receipt.get("bizbillno"))}, {"bizbilldate", core::Value(receipt.get("bizbilldate"))},
      {"skje", core::Value(receipt.get("hjje"))},           {"kpjeok", core::Value(receipt.get("kpjeok"))},
      {"kpjeno", core::Value(receipt.get("kpjeno"))},       {"je", core::Value(receipt.get("kpjeno"))}};
}

void registerKhkpkForm() { registerSimpleBill<Tkhkpkform>(khkpkSpec()); }

host::UnitInitialization& khkpkFormUnit() {
  static host::UnitInitialization unit(&registerKhkpkForm);
  return unit;
}

}  // namespace plugs::coreapp::khkp
