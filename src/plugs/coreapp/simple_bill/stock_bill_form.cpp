// TStockBillForm: counterparty, goods lines and line arithmetic of the goods bills.
// The amount and the price of a line follow each other: a new quantity, discount or
// price gives the amount (rounded half to even like the money type), a typed amount
// gives the price; each derivation's guard keeps the other from answering it.
#include "plugs/coreapp/simple_bill/stock_bill_form.h"

#include <string_view>

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
    : TSimpleBillForm(owner, item, stock.bill), stock(stock), counterpartyBox(*this, stock.counterparty) {}

void TStockBillForm::addLeadingControls() {
  if (hasCounterparty()) counterpartyBox.add([this] { edtwldwPropertiesButtonClick(); });
}

void TStockBillForm::FormCreate() {
  TSimpleBillForm::FormCreate();
  if (std::string_view(stock.pick.idField) != "sp_id") return;  // lines of service items, not goods
  // Through the pool: the report pages are the package's own items, registered after
  // the bills, and a test may start a bill alone.
  addAction("actSpkc", "库存查询").onExecute = [](host::Action&) {
    if (host::TPlugItem* onHand = host::plugsPool().plugbyName(kStockOnHandCode))
      onHand->create(nullptr, "");
  };
}

void TStockBillForm::BeforeAppend() {
  TSimpleBillForm::BeforeAppend();
  if (hasCounterparty()) counterpartyBox.clear();
}

void TStockBillForm::fillMasterData() {
  TSimpleBillForm::fillMasterData();
  if (hasCounterparty()) counterpartyBox.show(cdsMaster);
}

void TStockBillForm::ComponentReadOnly(bool readOnly) {
  TSimpleBillForm::ComponentReadOnly(readOnly);
  if (hasCounterparty()) counterpartyBox.setReadOnly(readOnly);
  isFilling = false;
}

bool TStockBillForm::CheckBillError(std::string& message) {
  if (TSimpleBillForm::CheckBillError(message)) return true;
  if (!hasCounterparty()) return false;
  dataset::Field& id = cdsMaster.fieldByName(stock.counterparty.idField);
  cdsMaster.edit();
  id.setValue(core::Value(counterpartyBox.id()));
  cdsMaster.post();
  if (id.asInteger() != 0) return false;
  message = stock.counterparty.missing;
  return true;
}

void TStockBillForm::cdsDetailAfterInsert(dataset::ClientDataSet& ds) {
  TSimpleBillForm::cdsDetailAfterInsert(ds);
  for (const auto& [field, value] : stock.lineDefaults) ds.fieldByName(field).setValue(value);
}

void TStockBillForm::cdsDetailBeforePost(dataset::ClientDataSet& ds) {
  TSimpleBillForm::cdsDetailBeforePost(ds);
  if (hasLinePick() && ds.fieldByName(stock.pick.idField).asInteger() == 0) refuse(stock.pick.missing);
}

// ---- line arithmetic -------------------------------------------------------------------

// The factors multiply in long double, so the amount is rounded once, at the end.
long double TStockBillForm::lineFactor() const {
  long double factor = cdsDetail.fieldByName("sl").asFloat();
  if (stock.rule == LineRule::PriceAreaDiscount)
    for (const char* f : {"n", "x", "y"}) factor *= cdsDetail.fieldByName(f).asFloat();
  if (stock.rule != LineRule::PriceQuantity) factor *= cdsDetail.fieldByName("zk").asFloat();
  return factor;
}

bool TStockBillForm::isLineFactor(const std::string& name) const {
  if (name == "sl") return true;
  if (name == "zk") return stock.rule != LineRule::PriceQuantity;
  return stock.rule == LineRule::PriceAreaDiscount && (name == "n" || name == "x" || name == "y");
}

void TStockBillForm::priceLine() {
  core::ScopedFlag on(pricing());
  const core::Currency dj = cdsDetail.fieldByName("dj").asCurrency();
  cdsDetail.fieldByName("je").setValue(core::Value(dj * lineFactor()));
}

void TStockBillForm::reversePriceLine() {
  core::ScopedFlag on(reversePricing());
  const long double factor = lineFactor();
  if (factor == 0) return;  // no quantity to divide by: the price stays as it is
  const core::Currency je = cdsDetail.fieldByName("je").asCurrency();
  cdsDetail.fieldByName("dj").setValue(core::Value(je / factor));
}

void TStockBillForm::dsDetailDataChange(dataset::DataSource& sender, const dataset::Field* field) {
  TSimpleBillForm::dsDetailDataChange(sender, field);
  if (field == nullptr || cdsDetail.state() == dataset::DataSetState::Browse) return;
  const std::string& name = field->name();
  if (stock.rule != LineRule::None) {
    if (isLineFactor(name) || (name == "dj" && !reversePricing())) {
      priceLine();
      return;
    }
    if (name == "je" && !pricing()) {
      reversePriceLine();
      return;
    }
  }
  if (hasLinePick() && name == typedCodeField() && !isFilling) lookupTypedCode(field->asString());
}

// ---- goods into lines --------------------------------------------------------------------

std::string_view TStockBillForm::typedCodeField() const {  // asked on every field change
  for (const auto& [column, field] : stock.pick.copies)
    if (std::string_view(column) == "code") return field;
  return {};
}

std::string TStockBillForm::runGoodsLookup(const std::string& filter) {
  host::TPlugItem* lookup = host::plugsPool().plugbyName(stock.pick.lookup);
  if (lookup == nullptr) refuse(std::string(stock.pick.lookup) + "不可用，请检查系统安装。");
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
  if (!editMode || !hasLinePick()) return;
  SelectedxmbmkToDetail(runGoodsLookup(""));
}

void TStockBillForm::fillLineFromGoods(const core::JsonRow& goods) {
  cdsDetail.fieldByName(stock.pick.idField).setValue(core::Value(goods.value("id").asInteger()));
  for (const auto& [column, field] : stock.pick.copies) cdsDetail.fieldByName(field).setValue(core::Value(goods.get(column)));
  if (*stock.priceSource == '\0') return;
  const core::Value price(goods.value(stock.priceSource).asCurrency());
  for (const char* target : stock.priceTargets) cdsDetail.fieldByName(target).setValue(price);
}

bool TStockBillForm::skipGoods(const core::JsonRow&) { return false; }

// Each chosen item becomes one posted line. A selection that cannot be read adds
// nothing; a line its post refuses is taken back, so no half-filled line stays.
void TStockBillForm::SelectedxmbmkToDetail(const std::string& selection) {
  if (selection.empty() || !hasLinePick()) return;
  const std::vector<core::JsonRow> chosen =
      chosenRows(selection, std::string(stock.pick.noun) + "选择结果无法识别，未添加明细：");
  for (const core::JsonRow& goods : chosen) {
    if (skipGoods(goods)) continue;
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
  counterpartyBox.pick();
}

}  // namespace plugs::coreapp
