// Tchfhselectxmddmxform: the modal list of one customer's completed, not voided
// project order lines that still have quantity to ship, ordered in a date range (both
// days included). The clerk ticks lines; OK hands them back as a JSON array text and
// is refused silently while nothing is ticked. The list stays empty until "查询".
#pragma once

#include <cstdint>
#include <string>

#include "dataset/client_data_set.h"
#include "db/connection.h"
#include "host/forms/base_form.h"

namespace plugs::coreapp::cpfh {

class Tchfhselectxmddmxform : public host::TBaseForm {
 public:
  //! `billno`: the shipment bill's working number (kept only); `ck_id`: the user's
  //! outlet, shown in the store filter; `kh_id`: the customer whose lines are listed.
  Tchfhselectxmddmxform(host::FormModel* owner, std::string billno, std::int64_t ck_id, std::int64_t kh_id);

  std::string billno;         //!< the shipment bill's working number
  std::string FselectedData;  //!< the ticked rows after OK; "" before
  std::int64_t kh_id;         //!< the customer
  std::int64_t ck_id;         //!< the store filter's id (sent, not used by the query)
  std::string resultSQL;      //!< the candidate query, kept at creation

  dataset::ClientDataSet cdsResult{"cdsResult"};  //!< the candidate lines
  dataset::ClientDataSet cds_ck{"cds_ck"};        //!< the store's outlets

  //! Dates (six months back to today), the outlet list and filter, the grid.
  void FormCreate() override;
  //! "查询": lists the candidates for the filter's dates (and store).
  void initData();
  //! The query after sqlTemplate and its bound parameters for the current filter.
  std::string candidateSql(db::Params& params);
  //! Header click on the tick column: ticks every row, the next click clears them.
  void tickAllClick();
  //! With rows ticked: keeps them as the result and closes with OK.
  void actokExecute(host::Action& sender);

 private:
  void createControls();
  std::int64_t storeOfCode(const std::string& code);
};

}  // namespace plugs::coreapp::cpfh
