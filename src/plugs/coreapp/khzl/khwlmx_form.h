// Tkhwlmxform: one customer's statement page ("客户往来明细"): the balance owed before
// the first day, then every bill (owed) and every payment (paid) to the last day in date
// order with the running balance (sp_sys_khwlmx). It writes nothing and prints.
#pragma once

#include <string>

#include "core/date_time.h"
#include "dataset/client_data_set.h"
#include "host/forms/base_ribbon_form.h"

namespace plugs::coreapp::khzl {

class Tkhwlmxform : public host::TBaseRibbonForm {
 public:
  //! The statement of customer `kh_id` from `rq1` to `rq2` (whole days).
  Tkhwlmxform(host::FormModel* owner, int kh_id, core::DateTime rq1, core::DateTime rq2);

  //! Lines: xh, rq, lx, billno, jf, df, ye; the first is the opening balance.
  dataset::ClientDataSet cdsMx{"cdsMx"};
  //! The customer and the date range, one row (the printed header).
  dataset::ClientDataSet cdsHead{"cdsHead"};

  //! The customer label, the two date boxes, the grid and the actions; loads the lines.
  void FormCreate() override;
  //! Reads the statement for the boxes' days.
  void actRefExecute(host::Action& sender);
  //! Prints the statement (right 1119_06).
  void actPrintExecute(host::Action& sender);

  //! Opens the statement as a page of the main window for plug item `item`.
  static Tkhwlmxform& open(host::TPlugItem& item, int kh_id, core::DateTime rq1,
                           core::DateTime rq2);

 private:
  void addGrid();
  int kh_id_;
  core::DateTime rq1_, rq2_;
};

}  // namespace plugs::coreapp::khzl
