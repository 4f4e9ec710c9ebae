// Tkhkpkform: the customer invoice ("客户开票单", plug 1118): invoices issued to one
// customer for money received, each line invoicing part or all of one audited receipt
// with an item name, a tax rate and an amount. Auditing only changes its state; a saved
// invoice in any state counts against its receipts' invoiceable amounts.
#pragma once

#include <string>

#include "host/plug/unit_initialization.h"
#include "plugs/coreapp/simple_bill/customer_source_bill_form.h"

namespace plugs::coreapp::khkp {

class Tkhkpkform : public TCustomerSourceBillForm {
 public:
  Tkhkpkform(host::FormModel* owner, host::TPlugItem* item);

  //! The inherited clearing; the new invoice is issued by the first company of the list.
  void BeforeAppend() override;
  //! Inherited, then `tax` := 0.03.
  void cdsDetailAfterInsert(dataset::ClientDataSet& ds) override;
  //! An amount not above 0: "请输入开票金额", the post abandoned; then the inherited check.
  void cdsDetailBeforePost(dataset::ClientDataSet& ds) override;
  //! No SQL: auditing an invoice only changes its state.
  void generateSqlAuditing_1(std::string& sql) override;
  //! No SQL: un-auditing an invoice only changes its state.
  void generateSqlAuditing_0(std::string& sql) override;

 protected:
  //! The total statement with the login's store code for :orgid.
  host::BillSaveTexts saveTexts(bool isNew) const override;
  //! Tkhskselectform for the customer in the box, the login's store, this invoice.
  std::string selectSources() override;
  //! A chosen receipt's number, date and figures; the line invoices all of the rest.
  LineValues sourceLineValues(const core::JsonRow& receipt) const override;
};

//! What the customer invoice is (tables, header, line grid and query).
const SimpleBillSpec& khkpkSpec();
//! Registers plug 1118.
void registerKhkpkForm();
//! The unit's use-counted start-up.
host::UnitInitialization& khkpkFormUnit();

}  // namespace plugs::coreapp::khkp
