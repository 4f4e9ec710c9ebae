// TStockBillForm: the goods bill editor (purchase, sales, other receipt and issue and
// the other stock bills). To the simple bill it adds the counterparty box (text = code,
// tag = id, written to the header only when the bill is checked before saving), goods
// picked into lines, a goods code typed into a line, and the line arithmetic under the
// bill class's own `pricing` / `reversePricing` guards.
#pragma once

#include <string>

#include "core/json.h"

#include "plugs/coreapp/simple_bill/counterparty_box.h"
#include "plugs/coreapp/simple_bill/simple_bill_form.h"
#include "plugs/coreapp/simple_bill/stock_bill_spec.h"

namespace plugs::coreapp {

//! The stock on hand report page every goods bill opens.
inline constexpr const char* kStockOnHandCode = "1132";

class TStockBillForm : public TSimpleBillForm {
 public:
  TStockBillForm(host::FormModel* owner, host::TPlugItem* item, const StockBillSpec& stock);

  const StockBillSpec& stock;  //!< what this goods bill is
  CounterpartyBox counterpartyBox;  //!< "往来单位：" when the bill has a counterparty
  bool isFilling = false;      //!< true while lines are appended from a goods pick

  //! The simple bill's page, and on a bill of goods 库存查询: stock on hand by store
  //! and goods (plug kStockOnHandCode), opened as a page of its own.
  void FormCreate() override;
  //! Empties the counterparty box (text, name, tag 0).
  void BeforeAppend() override;
  //! Shows the header's counterparty in its box.
  void fillMasterData() override;
  //! Counterparty boxes follow the switch; the filling flag is cleared.
  void ComponentReadOnly(bool readOnly) override;
  //! Posts the header, the inherited check, then the counterparty from its box:
  //! "请选择往来单位." when there is none.
  bool CheckBillError(std::string& message) override;
  //! A new line gets the bill's line defaults.
  void cdsDetailAfterInsert(dataset::ClientDataSet& ds) override;
  //! A line without its goods or item is refused ("请选择商品信息").
  void cdsDetailBeforePost(dataset::ClientDataSet& ds) override;
  //! Line arithmetic and the typed goods code.
  void dsDetailDataChange(dataset::DataSource& sender, const dataset::Field* field) override;
  //! While editing: the goods (or item) lookup, its rows become lines.
  void actDetail_AddExecute(host::Action& sender) override;
  //! One line per chosen goods item (a JSON array text; "" adds nothing).
  void SelectedxmbmkToDetail(const std::string& selection) override;
  //! While editing: picks the counterparty into its box (the header is not written).
  void edtwldwPropertiesButtonClick();

 protected:
  //! The counterparty box ("往来单位：", its button picks) and the name beside it.
  void addLeadingControls() override;
  //! The bill class's unit-wide guard: true while a line's `je` is being recomputed.
  virtual bool& pricing() = 0;
  //! The bill class's unit-wide guard: true while `dj` is derived from a typed `je`.
  virtual bool& reversePricing() = 0;
  //! `je` from `dj` and the quantity (sets, size, discount) of the current line.
  virtual void priceLine();
  //! `dj` from a typed `je`; a zero quantity leaves `dj` as it is.
  virtual void reversePriceLine();
  //! Fills the new current line from one chosen goods item (before it is posted).
  virtual void fillLineFromGoods(const core::JsonRow& goods);
  //! True when a chosen goods item adds no line (the base adds every one).
  virtual bool skipGoods(const core::JsonRow& goods);

 private:
  bool hasCounterparty() const { return *stock.counterparty.idField != '\0'; }
  bool hasLinePick() const { return *stock.pick.idField != '\0'; }
  long double lineFactor() const;
  bool isLineFactor(const std::string& name) const;
  std::string_view typedCodeField() const;
  void lookupTypedCode(const std::string& typed);
  std::string runGoodsLookup(const std::string& filter);
};

//! Supplies a bill class's own `pricing` / `reversePricing`, shared by every open
//! editor of that class (and only of that class).
template <class Unit>
class StockBillUnit : public TStockBillForm {
 public:
  using TStockBillForm::TStockBillForm;

 protected:
  bool& pricing() override { return pricing_; }
  bool& reversePricing() override { return reversePricing_; }

 private:
  static inline bool pricing_ = false;
  static inline bool reversePricing_ = false;
};

}  // namespace plugs::coreapp
