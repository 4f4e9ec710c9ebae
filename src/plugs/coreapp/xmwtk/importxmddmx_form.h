// Timportxmddmxform: the modal dialog in which the clerk ticks the lines of one project
// order to copy into an outsourced processing order. Width, length, unit and remark may
// be changed on the way (the order itself is not touched); OK hands back the ticked
// rows as a JSON array text and is refused silently while nothing is ticked.
#pragma once

#include <cstdint>
#include <string>

#include "dataset/client_data_set.h"
#include "host/forms/base_form.h"

namespace plugs::coreapp::xmwtk {

class Timportxmddmxform : public host::TBaseForm {
 public:
  //! `orderBillno` is the project order whose lines are listed.
  Timportxmddmxform(host::FormModel* owner, std::string orderBillno);

  dataset::ClientDataSet cdsMain{"cdsMain"};  //!< the order's lines with their item columns
  const std::string orderBillno;              //!< the order listed
  std::string selectedData;                   //!< the ticked rows after OK; "" before

  //! The inherited creation, the grid and its actions, then initData_.
  void FormCreate() override;
  //! Opens the order's lines (store and number bound as parameters).
  void initData_();
  //! Header click on the tick column: ticks every row, the next click clears them.
  void tickAllClick();
  //! With rows ticked: keeps them as the result and closes with OK.
  void actokExecute(host::Action& sender);

 private:
  std::int64_t& tickTag();
};

}  // namespace plugs::coreapp::xmwtk
