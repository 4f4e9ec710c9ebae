// Tkhyszlform: the receivable aging page ("应收账龄"): per customer, what is still open
// on completed orders and audited sales bills as of a day, in the buckets 0-30, 31-60,
// 61-90 and over 90 days by bill date (sp_sys_khyszl). It writes nothing; from a
// customer's row it opens that customer's statement, and it prints the list.
#pragma once

#include "dataset/client_data_set.h"
#include "host/forms/base_ribbon_form.h"
#include "host/plug/unit_initialization.h"

namespace plugs::coreapp::khzl {

class Tkhyszlform : public host::TBaseRibbonForm {
 public:
  explicit Tkhyszlform(host::FormModel* owner);

  //! One row per customer owing: kh_id, kh_code, kh_name, je30, je60, je90, je91, qkje.
  dataset::ClientDataSet cdsZl{"cdsZl"};

  //! The as-of box (today), the grid and the actions; loads the aging.
  void FormCreate() override;
  //! Reads the aging as of the box's day.
  void actRefExecute(host::Action& sender);
  //! Opens the focused customer's statement as a page: from the first of the as-of
  //! day's month to that day.
  void actMxExecute(host::Action& sender);
  //! Prints the aging (right 1119_06).
  void actPrintExecute(host::Action& sender);

 private:
  void addGrid();
};

//! The aging page's plug code: beyond the plug table, so never listed as a package item.
inline constexpr const char* kAgingPlugCode = "1119";
//! Registers plug 1119 "应收账龄": a page of the main window, rights print and print
//! template settings.
void registerKhyszlForm();
//! The unit of plug 1119.
host::UnitInitialization& khyszlFormUnit();

}  // namespace plugs::coreapp::khzl
