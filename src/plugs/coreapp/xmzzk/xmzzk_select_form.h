// Txmzzkselectform: the modal order picker other bills use to draw on a project order
// ("订单选择|订单引用|订单选择器"). It lists the store's orders that are not voided,
// filtered by bill date, outlet and bill number (and, unless asked for every status, by
// status below 已完工), and hands back the chosen row as a JSON array text with one
// object. Every typed filter value reaches the query as a bound parameter.
#pragma once

#include <string>

#include "dataset/client_data_set.h"
#include "db/connection.h"
#include "host/forms/base_form.h"

namespace plugs::coreapp::xmzzk {

class Txmzzkselectform : public host::TBaseForm {
 public:
  //! `allStatus` true lists orders of every status; false only those not yet completed.
  Txmzzkselectform(host::FormModel* owner, bool allStatus);

  dataset::ClientDataSet cdsMain{"cdsMain"};  //!< the listed orders (vt_v_xmzzk rows)
  std::string resultJson;                     //!< the chosen row after OK; "" otherwise

  //! Sets the date bounds to the last month, restores the grid layout, loads the list.
  void FormCreate() override;
  //! Keeps the grid's column layout for the next time the picker opens.
  void FormClose() override;
  //! Reloads the list from the filter controls.
  void initData_();
  //! The query text and its parameters for the current filters (what initData_ runs).
  std::string listSql(db::Params& params);

  void actfilterExecute(host::Action& sender);
  void actselectExecute(host::Action& sender);
  void actcancelExecute(host::Action& sender);

 private:
  bool allStatus_;
  void createControls();
  void createActions();
};

//! Shows the order picker modally; the chosen order as a JSON array text with one
//! object, or "" when the user cancelled. `allStatus` as for the constructor.
std::string selectOrder(host::FormModel* owner, bool allStatus);
//! As selectOrder, giving the chosen order's bill number ("" when cancelled). The
//! windows that work on one order ask with it when they are opened without one.
std::string selectOrderBillno(host::FormModel* owner, bool allStatus);

}  // namespace plugs::coreapp::xmzzk
