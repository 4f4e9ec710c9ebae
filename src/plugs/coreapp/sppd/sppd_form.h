// Tsppdform: the stocktake bill ("盘点单", plug 1127): per goods item the book quantity
// in the bill's store, the counted quantity and their difference. It moves no stock;
// once audited, "处理盘点单" turns it into a draft loss and gain bill of the
// differences, and it cannot be un-audited until that bill is deleted again.
#pragma once

#include <set>
#include <string>

#include "host/plug/unit_initialization.h"
#include "plugs/coreapp/simple_bill/stock_bill_form.h"

namespace plugs::coreapp::sppd {

class Tsppdform : public StockBillUnit<Tsppdform> {
 public:
  Tsppdform(host::FormModel* owner, host::TPlugItem* item);

  dataset::ClientDataSet cdsgetspkc{"cdsgetspkc"};  //!< work dataset of the book-stock query

  //! The inherited creation, the action "处理盘点单" and the store watch.
  void FormCreate() override;
  //! Book quantity of goods `spId` in the bill's store (store 0 when none is chosen),
  //! rounded to 4 places; 0 when the stock ledger has no row for it.
  double getspkc(std::int64_t spId);
  //! Adds the chosen goods not yet on the bill, each with its book quantity.
  void SelectedxmbmkToDetail(const std::string& selection) override;
  //! The difference rule on `kcsl` / `pdsl`, and the typed goods code.
  void dsDetailDataChange(dataset::DataSource& sender, const dataset::Field* field) override;
  //! Enabled when no edit is under way and an audited, unprocessed bill is open.
  void acttosyUpdate(host::Action& sender);
  //! Processes the audited stocktake into a draft loss and gain bill and opens that module.
  void acttosyExecute(host::Action& sender);
  //! Refused while the stocktake is processed; otherwise the common un-audit.
  int AuditingData_0() override;
  //! Un-auditing also marks the stocktake unprocessed.
  void generateSqlAuditing_0(std::string& sql) override;

 protected:
  //! Goods already on the bill add no line; their line becomes the current one.
  bool skipGoods(const core::JsonRow& goods) override;
  //! The goods fields, then the book quantity (which sets the difference).
  void fillLineFromGoods(const core::JsonRow& goods) override;

 private:
  bool processable() const;
  bool isDone() const;
  void followDifference();
  void dsMasterDataChange(const dataset::Field* field);
  void rereadBookStock();
  //! The book-stock look-up, templated for the login; then of goods `spId` in the
  //! bill's store.
  static std::string getspkcTemplate();
  std::string getspkcSql(const std::string& templated, std::int64_t spId);
  static std::string getspkcSql(const std::string& templated, std::int64_t ckId, std::int64_t spId);
  //! The book quantity cdsgetspkc holds, rounded to 4 places; 0 when it has no row.
  double loadedBookStock();
  std::set<std::int64_t> picked;  // goods on the bill while a selection is added
};

//! What the stocktake is (tables, header, lines; no total).
const StockBillSpec& sppdSpec();
//! The text that processes stocktake :pdbillno into a loss and gain bill.
const std::string& sppdProcessText();
//! Registers plug 1127 with its right "_07" 处理盘点单.
void registerSppdForm();
//! The unit's use-counted start-up.
host::UnitInitialization& sppdFormUnit();

}  // namespace plugs::coreapp::sppd
