// TStockBillForm: counterparty, goods lines and line arithmetic of the goods bills.
// The amount and the price of a line follow each other: a new quantity, discount or
// price gives the amount (rounded half to even like the money type), a typed amount
// gives the price; each derivation's guard keeps the other from answering it.
#include "plugs/coreapp/simple_bill/stock_bill_form.h"

#include "core/abort.h"
#include "core/json.h"
#include "core/scoped_flag.h"
#include "host/plug/t_plugs_pool.h"
#include "host/services/data_services.h"

namespace plugs::coreapp {

namespace {

bool isEditing(const dataset::ClientDataSet& ds) {
  return ds.state() == dataset::DataSetState::Edit || ds.state() == dataset::DataSetState::Insert;
}

}  // namespace

TStockBillForm::TStockBillForm(host::FormModel* owner, host::TPlugItem* item, const StockBillSpec& stock)
    : TSimpleBillForm(owner, item, stock.bill), stock(stock) {}

void TStockBillForm::addLeadingControls() {
  if (!hasCounterparty()) return;
  host::Control& box = addControl(host::Control("edtwldw", host::ControlKind::ButtonEdit, "往来单位："));
  box.onButtonClick = [this] { edtwldwPropertiesButtonClick(); };
  addControl(host::Control("edtwldwmc", host::ControlKind::Edit));
}

void TStockBillForm::BeforeAppend() {
  TSimpleBillForm::BeforeAppend();
  if (!hasCounterparty()) return;
  control("edtwldw").text.clear();
  control("edtwldw").tag = 0;
  control("edtwldwmc").text.clear();
}

void TStockBillForm::fillMasterData() {
  TSimpleBillForm::fillMasterData();
  if (!hasCounterparty()) return;
  const Counterparty& cp = stock.counterparty;
  control("edtwldw").tag = cdsMaster.fieldByName(cp.idField).asInteger();
  control("edtwldw").text = cdsMaster.fieldByName(cp.codeField).asString();
  control("edtwldwmc").text = cdsMaster.fieldByName(cp.nameField).asString();
}

void TStockBillForm::ComponentReadOnly(bool readOnly) {
  TSimpleBillForm::ComponentReadOnly(readOnly);
  if (hasCounterparty()) {
    control("edtwldw").readOnly = readOnly;
    control("edtwldwmc").readOnly = readOnly;
  }
  isFilling = false;
}

bool TStockBillForm::CheckBillError(std::string& message) {
  if (TSimpleBillForm::CheckBillError(message)) return true;
  if (!hasCounterparty()) return false;
  dataset::Field& id = cdsMaster.fieldByName(stock.counterparty.idField);
  cdsMaster.edit();
  id.setValue(core::Value(control("edtwldw").tag));
  cdsMaster.post();
  if (id.asInteger() != 0) return false;
  message = "请选择往来单位.";
  return true;
}

void TStockBillForm::cdsDetailAfterInsert(dataset::ClientDataSet& ds) {
  TSimpleBillForm::cdsDetailAfterInsert(ds);
  for (const auto& [field, value] : stock.lineDefaults) ds.fieldByName(field).setValue(value);
}

void TStockBillForm::cdsDetailBeforePost(dataset::ClientDataSet& ds) {
  TSimpleBillForm::cdsDetailBeforePost(ds);
  if (ds.fieldByName("sp_id").asInteger() == 0) refuse("请选择商品信息");
}

// ---- line arithmetic -------------------------------------------------------------------

double TStockBillForm::lineFactor() const {
  double factor = cdsDetail.fieldByName("sl").asFloat();
  if (stock.rule == LineRule::PriceQuantityDiscount) factor *= cdsDetail.fieldByName("zk").asFloat();
  return factor;
}

void TStockBillForm::priceLine() {
  core::ScopedFlag on(pricing());
  const core::Currency dj = cdsDetail.fieldByName("dj").asCurrency();
  cdsDetail.fieldByName("je").setValue(core::Value(dj * static_cast<long double>(lineFactor())));
}

void TStockBillForm::reversePriceLine() {
  core::ScopedFlag on(reversePricing());
  const double factor = lineFactor();
  if (factor == 0) return;  // no quantity to divide by: the price stays as it is
  const core::Currency je = cdsDetail.fieldByName("je").asCurrency();
  cdsDetail.fieldByName("dj").setValue(core::Value(je / static_cast<long double>(factor)));
}

void TStockBillForm::dsDetailDataChange(dataset::DataSource& sender, const dataset::Field* field) {
  TSimpleBillForm::dsDetailDataChange(sender, field);
  if (field == nullptr || cdsDetail.state() == dataset::DataSetState::Browse) return;
  const std::string& name = field->name();
  if (stock.rule != LineRule::None) {
    const bool discount = stock.rule == LineRule::PriceQuantityDiscount && name == "zk";
    if (name == "sl" || discount || (name == "dj" && !reversePricing())) {
      priceLine();
      return;
    }
    if (name == "je" && !pricing()) {
      reversePriceLine();
      return;
    }
  }
  if (name == "sp_code" && !isFilling) lookupTypedCode(field->asString());
}

// ---- goods into lines --------------------------------------------------------------------

std::string TStockBillForm::runGoodsLookup(const std::string& filter) {
  host::TPlugItem* lookup = host::plugsPool().plugbyName("商品信息查询");
  if (lookup == nullptr) refuse("商品信息查询不可用，请检查系统安装。");
  return lookup->selectData(this, filter, "");
}

// The typed code is only a filter: the line it was typed into goes back to what it
// was (a line being inserted disappears) and the chosen goods arrive as new lines.
void TStockBillForm::lookupTypedCode(const std::string& typed) {
  cdsDetail.cancel();
  const std::string chosen = runGoodsLookup(typed);
  if (!chosen.empty()) SelectedxmbmkToDetail(chosen);
}

void TStockBillForm::actDetail_AddExecute(host::Action&) {
  if (!editMode) return;
  SelectedxmbmkToDetail(runGoodsLookup(""));
}

void TStockBillForm::fillLineFromGoods(const core::JsonRow& goods) {
  cdsDetail.fieldByName("sp_id").setValue(core::Value(goods.value("id").asInteger()));
  for (const char* f : {"code", "name"}) cdsDetail.fieldByName(std::string("sp_") + f).setValue(core::Value(goods.get(f)));
  for (const char* f : {"itemno", "baseunit"}) cdsDetail.fieldByName(f).setValue(core::Value(goods.get(f)));
  if (*stock.priceSource == '\0') return;
  const core::Value price(goods.value(stock.priceSource).asCurrency());
  for (const char* target : stock.priceTargets) cdsDetail.fieldByName(target).setValue(price);
}

// Each chosen item becomes one posted line. A selection that cannot be read adds
// nothing; a line its post refuses is taken back, so no half-filled line stays.
void TStockBillForm::SelectedxmbmkToDetail(const std::string& selection) {
  if (selection.empty()) return;
  std::vector<core::JsonRow> chosen;
  try {
    chosen = core::parseSelection(selection);
  } catch (const core::JsonError& e) {
    refuse(std::string("商品选择结果无法识别，未添加明细：") + e.what());
  }
  for (const core::JsonRow& goods : chosen) {
    core::ScopedFlag filling(isFilling);
    cdsDetail.append();
    try {
      fillLineFromGoods(goods);
      cdsDetail.post();
    } catch (...) {
      if (isEditing(cdsDetail)) cdsDetail.cancel();
      throw;
    }
  }
}

void TStockBillForm::edtwldwPropertiesButtonClick() {
  if (!editMode || !hasCounterparty()) return;
  if (!isEditing(cdsMaster)) cdsMaster.edit();
  host::TPlugItem* lookup = host::plugsPool().plugbyName(stock.counterparty.lookup);
  if (lookup == nullptr) refuse(std::string(stock.counterparty.lookup) + "不可用，请检查系统安装。");
  const std::string picked = lookup->selectData(this, "", "");
  if (picked.empty()) return;
  std::vector<core::JsonRow> rows;
  try {
    rows = core::parseSelection(picked);
  } catch (const core::JsonError& e) {
    refuse(std::string("往来单位选择结果无法识别：") + e.what());
  }
  if (rows.empty()) return;
  control("edtwldw").text = rows.front().get("code");
  control("edtwldw").tag = rows.front().value("id").asInteger();
  control("edtwldwmc").text = rows.front().get("name");
}

}  // namespace plugs::coreapp
