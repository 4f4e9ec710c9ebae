// Tsamplexmzzkform: the ad-hoc business bill ("零散业务单", plug 1103), a counter-sale
// dialog. The clerk picks services from the outlet's quick list ("常用项目") or the item
// lookup, enters quantities and sizes, and presses "结算": that saves a completed
// project order (status 2, numbered in the "1100" series) for the store's default
// customer in one batch, opens the settlement dialog and, when asked, prints the order.
// The quick list is kept up by users with right 1103_02.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dataset/client_data_set.h"
#include "dataset/data_source.h"
#include "host/forms/base_form.h"
#include "host/plug/plug_item.h"
#include "host/plug/unit_initialization.h"

namespace plugs::coreapp::xmzzk {

class Tsamplexmzzkform : public host::TBaseForm {
 public:
  //! `kh_id` is the customer every saved order goes to (the store's default customer).
  Tsamplexmzzkform(host::FormModel* owner, std::int64_t kh_id);

  std::string tempBillno;  //!< placeholder bill number of the lines until the save
  std::string billuid;     //!< becomes the saved order's uid
  std::int64_t kh_id;      //!< the customer of the order

  dataset::ClientDataSet cdslist{"cdslist"};  //!< the outlet's quick items
  dataset::ClientDataSet cdsmx{"cdsmx"};      //!< the lines to be made
  dataset::DataSource dsmx;                   //!< watches the lines (dsmxDataChange)

  //! Guards of this unit, shared by its open forms: an amount is being derived
  //! (pricing), the price is being derived from a typed amount (reversePricing).
  static bool pricing;
  static bool reversePricing;

  void FormCreate() override;
  //! Opens the quick list.
  void initxmlist_();
  //! Opens the empty line list.
  void initmxdata_();

  void cdsmxAfterInsert(dataset::ClientDataSet& ds);
  void dsmxDataChange(dataset::DataSource& sender, const dataset::Field* field);
  void cdslistAfterDelete(dataset::ClientDataSet& ds);

  void actmx_selectExecute(host::Action& sender);
  void actlist_addExecute(host::Action& sender);
  void actlist_delExecute(host::Action& sender);
  void actlist_refExecute(host::Action& sender);
  void actmx_addExecute(host::Action& sender);
  void actmx_delExecute(host::Action& sender);
  void actsaveExecute(host::Action& sender);

  //! Prints the saved order `billno` (header and lines) under report code 1103.
  void printbilldata(const std::string& billno);

  //! SQL kept in the form: 0 the quick list, 1 the save batch.
  std::vector<std::string> SQLStore;

 private:
  void createControls();
  void createActions();
  std::string buildSaveBatch();
  std::string headerStatements();
  std::string lineStatements();
  int openSettlement(const std::string& billno);
  std::string lookupItems();
};

//! The unit's use-counted start-up; its first initialize() registers plug 1103.
host::UnitInitialization& samplexmzzkFormUnit();
//! Registers plug 1103 "零散业务单" with its two rights (the unit's registration routine).
void registerSamplexmzzkForm();
//! The creator of plug 1103: store check, default customer, then the form, modally.
void samplexmzzkCreator(host::Owner owner);

}  // namespace plugs::coreapp::xmzzk
