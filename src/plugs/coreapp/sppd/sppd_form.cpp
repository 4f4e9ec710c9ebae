// Tsppdform: the stocktake's description and its lines. A picked goods item comes with
// its book quantity in the bill's store (read through sp_sys_getspkcbyid), at most one
// line per goods item; `yksl` = `pdsl` - `kcsl` and `beizhu` follow whenever either
// quantity changes. Choosing another store while editing reads every line's book
// quantity again, so the count is always compared with the store it was made in.
#include "plugs/coreapp/sppd/sppd_form.h"

#include "core/currency.h"
#include "core/format.h"
#include "host/services/data_services.h"
#include "plugs/coreapp/simple_bill/goods_columns.h"

namespace plugs::coreapp::sppd {

namespace {

// No footer sums: the goods of one count are in different units.
const LineColumn kBookColumn{"kcsl", "库存数量", 80, "", false};
const LineColumn kCountedColumn{"pdsl", "盘点数量", 80};
const LineColumn kDifferenceColumn{"yksl", "盈亏数量", 80, "", false};
const LineColumn kDifferenceRemarkColumn{"beizhu", "备注", 80, "", false};

bool isEditing(const dataset::ClientDataSet& ds) {
  return ds.state() == dataset::DataSetState::Edit || ds.state() == dataset::DataSetState::Insert;
}

double round4(long double v) { return static_cast<double>(core::roundHalfEven(v, 4)); }

}  // namespace

const StockBillSpec& sppdSpec() {
  static const StockBillSpec spec{
      .bill = {.code = "1127",
               .caption = "盘点单",
               .className = "Tsppdform",
               .guid = "{3D15EBA6-E6B0-4DAD-AD6E-D54F6C41C352}",
               .rights = host::standardRightsWith({{"_07", "处理盘点单"}}),
               .masterTable = "vt_c_sppd",
               .header = {kSummaryBox, kStoreBox, kMakerBox, kRemarkBox},
               .masterJoins = {kStoreJoin, kMakerJoin},
               .lineJoins = {kGoodsJoin},
               .lineDisplayFields = kGoodsLineDisplayFields,
               .columns = {kGoodsCodeColumn, kGoodsNameColumn, kItemNoColumn, kUnitColumn, kBookColumn,
                           kCountedColumn, kDifferenceColumn, kDifferenceRemarkColumn},
               .insertTotal = "",
               .headerRequired = {kStoreRequired}},
      .counterparty = kNoCounterparty,
      .lineDefaults = {},
      .priceSource = "",
      .priceTargets = {},
      .rule = LineRule::None};
  return spec;
}

Tsppdform::Tsppdform(host::FormModel* owner, host::TPlugItem* item) : StockBillUnit(owner, item, sppdSpec()) {}

void Tsppdform::FormCreate() {
  TStockBillForm::FormCreate();
  host::Action& process = addAction("acttosy", "处理盘点单");
  process.onExecute = [this](host::Action& a) { acttosyExecute(a); };
  process.onUpdate = [this](host::Action& a) { acttosyUpdate(a); };
  dsMaster.onDataChange = [this](dataset::DataSource&, const dataset::Field* f) { dsMasterDataChange(f); };
}

std::string Tsppdform::getspkcTemplate() {
  return host::sqlTemplate("exec [sp_sys_getspkcbyid] @orgid=:orgid,@ck_id=%d,@sp_id=%d");
}

std::string Tsppdform::getspkcSql(const std::string& templated, std::int64_t spId) {
  return getspkcSql(templated, cdsMaster.fieldByName("ck_id").asInteger(), spId);
}

std::string Tsppdform::getspkcSql(const std::string& templated, std::int64_t ckId, std::int64_t spId) {
  return core::Format(templated, {core::Value(ckId), core::Value(spId)});
}

double Tsppdform::loadedBookStock() {
  if (cdsgetspkc.isEmpty()) return 0;
  return round4(cdsgetspkc.fieldByName("kcsl").asFloat());
}

double Tsppdform::getspkc(std::int64_t spId) {
  host::openDataToCDS(cdsgetspkc, getspkcSql(getspkcTemplate(), spId));
  return loadedBookStock();
}

// The goods already on the bill are gathered once per selection, so a count of
// thousands of lines does not search the lines again for every item picked.
void Tsppdform::SelectedxmbmkToDetail(const std::string& selection) {
  picked.clear();
  if (cdsDetail.active() && !cdsDetail.isEmpty()) {
    cdsDetail.checkBrowseMode();
    const dataset::Bookmark here = cdsDetail.bookmark();
    for (cdsDetail.first(); !cdsDetail.eof(); cdsDetail.next()) picked.insert(cdsDetail.fieldByName("sp_id").asInteger());
    cdsDetail.gotoBookmark(here);
  }
  TStockBillForm::SelectedxmbmkToDetail(selection);
}

bool Tsppdform::skipGoods(const core::JsonRow& goods) {
  const std::int64_t id = goods.value("id").asInteger();
  if (picked.insert(id).second) return false;
  cdsDetail.locate("sp_id", core::Value(id));
  return true;
}

void Tsppdform::fillLineFromGoods(const core::JsonRow& goods) {
  TStockBillForm::fillLineFromGoods(goods);
  cdsDetail.fieldByName("kcsl").setValue(core::Value(getspkc(cdsDetail.fieldByName("sp_id").asInteger())));
}

void Tsppdform::dsDetailDataChange(dataset::DataSource& sender, const dataset::Field* field) {
  const bool quantity = field != nullptr && cdsDetail.state() != dataset::DataSetState::Browse &&
                        (field->name() == "kcsl" || field->name() == "pdsl");
  TStockBillForm::dsDetailDataChange(sender, field);
  if (quantity) followDifference();
}

void Tsppdform::followDifference() {
  const double yksl = round4(static_cast<long double>(cdsDetail.fieldByName("pdsl").asFloat()) -
                             cdsDetail.fieldByName("kcsl").asFloat());
  cdsDetail.fieldByName("yksl").setValue(core::Value(yksl));
  const char* remark = yksl > 0 ? "盘盈" : (yksl < 0 ? "盘亏" : "");
  cdsDetail.fieldByName("beizhu").setValue(core::Value(std::string(remark)));
}

void Tsppdform::dsMasterDataChange(const dataset::Field* field) {
  if (field == nullptr || field->name() != "ck_id" || !editMode || !isEditing(cdsMaster)) return;
  rereadBookStock();
}

// Every line's look-up is asked at once (the connection may answer them in one
// statement); each answer is opened into cdsgetspkc and written to its line in turn.
void Tsppdform::rereadBookStock() {
  if (!cdsDetail.active() || cdsDetail.isEmpty()) return;
  cdsDetail.checkBrowseMode();
  const dataset::Bookmark here = cdsDetail.bookmark();
  const std::string templated = getspkcTemplate();  // the same for every line
  const std::int64_t store = cdsMaster.fieldByName("ck_id").asInteger();
  dataset::Field& goods = cdsDetail.fieldByName("sp_id");
  dataset::Field& book = cdsDetail.fieldByName("kcsl");
  std::vector<std::string> texts;  // read off the rows: no move, no scroll events
  texts.reserve(static_cast<std::size_t>(cdsDetail.recordCount()));
  for (int row = 0; row < cdsDetail.recordCount(); ++row)
    texts.push_back(getspkcSql(templated, store, cdsDetail.valueAt(row, goods.index()).asInteger()));
  cdsDetail.first();
  host::openEachToCDS(cdsgetspkc, texts, [&](std::size_t) {
    cdsDetail.edit();
    book.setValue(core::Value(loadedBookStock()));
    cdsDetail.post();
    cdsDetail.next();
  });
  cdsDetail.gotoBookmark(here);
}

void registerSppdForm() { registerSimpleBill<Tsppdform>(sppdSpec().bill); }

host::UnitInitialization& sppdFormUnit() {
  static host::UnitInitialization unit(&registerSppdForm);
  return unit;
}

}  // namespace plugs::coreapp::sppd
