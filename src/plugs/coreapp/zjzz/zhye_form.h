// Tzhyeform: the account balances page ("账户余额"): what came into and went out of each
// settlement account of the store through audited bills, and what is left (vt_v_zhye).
// It opens as a page of the main window from the fund transfer bill; it writes nothing.
#pragma once

#include "dataset/client_data_set.h"
#include "host/forms/base_bill_edit_ribbon_form.h"
#include "host/forms/base_ribbon_form.h"

namespace plugs::coreapp::zjzz {

class Tzhyeform : public host::TBaseRibbonForm {
 public:
  explicit Tzhyeform(host::FormModel* owner);

  dataset::ClientDataSet cdsZhye{"cdsZhye"};  //!< one row per account: zh_name, srje, zcje, ye

  //! The read-only balances grid and the refresh action; loads the balances.
  void FormCreate() override;
  //! Reads the balances again (after bills were audited elsewhere).
  void actRefExecute(host::Action& sender);
};

//! Adds the "账户余额" action to a bill editor: it opens the balances as a new page for
//! the editor's plug item.
void addBalancesAction(host::TBaseBillEditRibbonForm& editor);

}  // namespace plugs::coreapp::zjzz
