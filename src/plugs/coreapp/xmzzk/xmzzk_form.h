// TxmzzkForm: the project order editor ("项目订单", plug 1100). The counter clerk picks
// the customer, adds priced service lines, finished products, and per line the
// consumables and production staff with their shares; then saves, completes, re-opens,
// voids, settles and prints the order. Line amounts, prices, consumables and staff
// amounts follow every field change at once (xmzzk_form_pricing.cpp).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "dataset/client_data_set.h"
#include "dataset/data_source.h"
#include "host/forms/sample_bill_edit_ribbon_form.h"
#include "host/plug/unit_initialization.h"

namespace plugs::coreapp::xmzzk {

class TxmzzkForm : public host::TSampleBillEditRibbonForm {
 public:
  //! The host constructor: owner and plug item (generateForm sets the item later).
  TxmzzkForm(host::FormModel* owner, host::TPlugItem* item);

  dataset::ClientDataSet cdscpmx{"cdscpmx"};  //!< finished products
  dataset::ClientDataSet cdszzry{"cdszzry"};  //!< staff of every line (filtered to one)
  dataset::ClientDataSet cdshc{"cdshc"};      //!< consumables of every line (filtered)
  dataset::DataSource dscpmx;                 //!< watches products (dscpmxDataChange)
  dataset::DataSource dszzry;                 //!< watches staff
  dataset::DataSource dshc;                   //!< watches consumables
  bool isAutoFill = false;                    //!< lines are being added from a lookup

  //! Guards shared by every open project order editor: an amount or price is being
  //! derived (pricing), the price is being derived from a typed amount (reversePricing).
  static bool pricing;
  static bool reversePricing;

  // Hooks of the bill editor.
  void FormCreate() override;
  void BeforeAppend() override;
  bool CheckBillError(std::string& message) override;
  void fillMasterData() override;
  void opendataEx(const std::string& number) override;
  int Insert_() override;
  int Update_() override;
  int delete_() override;
  int AuditingData_0() override;
  int AuditingData_1() override;
  void SelectedxmbmkToDetail(const std::string& selection) override;
  void generateSqlAuditing_1(std::string& sql) override;
  void ComponentReadOnly(bool readOnly) override;
  void cdsDetailAfterInsert(dataset::ClientDataSet& ds) override;
  void cdsDetailBeforePost(dataset::ClientDataSet& ds) override;
  void dsDetailDataChange(dataset::DataSource& sender, const dataset::Field* field) override;
  void cxLabel3DblClick() override;
  void actEditExecute(host::Action& sender) override;
  void actPrintExecute(host::Action& sender) override;
  void actDetail_AddExecute(host::Action& sender) override;

  //! Takes the customer chosen in a lookup (JSON array text, first object used).
  void setkhinfo(const std::string& selection);
  //! Down arrow in the customer box: the quick lookup with the typed text.
  void edtwldwKeyDown();

  // Dataset events.
  void cdsDetailAfterPost(dataset::ClientDataSet& ds);
  void cdsDetailBeforeScroll(dataset::ClientDataSet& ds);
  void cdsDetailAfterScroll(dataset::ClientDataSet& ds);
  void cdsDetailBeforeDelete(dataset::ClientDataSet& ds);
  void cdszzryBeforePost(dataset::ClientDataSet& ds);
  void cdszzryAfterPost(dataset::ClientDataSet& ds);
  void cdshcBeforePost(dataset::ClientDataSet& ds);
  void cdscpmxAfterInsert(dataset::ClientDataSet& ds);
  void dscpmxDataChange(dataset::DataSource& sender, const dataset::Field* field);

  // Actions of the order.
  void actNewCustExecute(host::Action& sender);
  void acthc_addExecute(host::Action& sender);
  void acthc_delExecute(host::Action& sender);
  void actzzry_addExecute(host::Action& sender);
  void actzzry_addmeExecute(host::Action& sender);
  void actzzry_agvExecute(host::Action& sender);
  void actzzry_sameExecute(host::Action& sender);
  void actzzry_delExecute(host::Action& sender);
  void actcpmx_editExecute(host::Action& sender);
  void actcpmx_delExecute(host::Action& sender);
  void acthistoryExecute(host::Action& sender);
  void actjiesuanExecute(host::Action& sender);
  void actzfflagExecute(host::Action& sender);
  //! The 10% ... 90% buttons: the selected staff row gets this share.
  void setSelectedShare(double perc);

 private:
  void createOrderControls();
  void createHeaderControls();
  void addMoneyBoxes();
  void addLookupCombos();
  void createGrids();
  void createOrderActions();
  void setActionRules();
  void refilterLineChildren();
  bool hasLine() const;
  std::int64_t customerId();
  void postChildEdits();
  void typedItemCode(const dataset::Field& field);
  void showStatus();
  void pickProjectName();
  void pickFileDir();
  void pickRequirements();
  void addProductsFromLookup();
  bool flag(const char* field) const;
  std::int64_t masterInt(const char* field) const;
  //! The common audit (or un-audit) and the order's state batch in one unit of work.
  void changeOrderState(bool complete);
  std::string lookupPlug(const std::string& caption, const std::string& filter,
                         const std::string& options);
};

//! The unit's use-counted start-up; its first initialize() registers plug 1100.
host::UnitInitialization& xmzzkFormUnit();
//! Registers plug 1100 "项目订单" with its rights (the unit's registration routine).
void registerXmzzkForm();

}  // namespace plugs::coreapp::xmzzk
