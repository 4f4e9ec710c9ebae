// TBillListForm: the list of one bill type's bills that every bill editor opens
// ("单据列表"): filtered by bill date, number, counterparty, status and store, sorted by
// a clicked column and read a page at a time, it hands back the bill number the clerk
// double-clicks, or exports every bill under the filters (导出, CSV or XLSX). What it lists is
// described by the editor (BillListSpec), so one model serves every bill type. Every typed filter
// reaches the query as a bound parameter.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dataset/client_data_set.h"
#include "db/connection.h"
#include "host/forms/base_form.h"

namespace host {

//! What a bill editor knows of its bills that a list of them needs.
struct BillListSpec {
  std::string plugCode;           //!< the bill's plug code; its root right lets the clerk browse
  std::string caption;            //!< the bill's caption ("购货单")
  std::string table;              //!< master table ("vt_c_spjh")
  std::string counterpartyField;  //!< "kh_id" (customer), "gys_id" (supplier), "" none
  std::vector<std::string> statusCaptions;  //!< caption of each `status` value, from 0
};

class TBillListForm : public TBaseForm {
 public:
  TBillListForm(FormModel* owner, BillListSpec spec);

  static constexpr int kPageSize = 100;       //!< bills read per page
  dataset::ClientDataSet cdsMain{"cdsMain"};  //!< the bills of the current page
  std::string chosenBillno;                   //!< the bill chosen with OK; "" otherwise

  //! The filters (last month by date), the grid and its sort, and the first page.
  void FormCreate() override;
  //! Reads the current page under the filters and the sort; fills the page label.
  void loadPage();
  //! Sorts by a grid column's field (again: the other way round) from the first page.
  void sortBy(const std::string& field);
  //! The list query of the current filters, sort and page, with its parameters
  //! (`count` true: the number of bills it finds instead).
  std::string listSql(db::Params& params, bool count);
  //! 导出: every bill under the filters and the sort (not only the page shown) under
  //! the grid's columns; returns the file written, "" when the user closed the choice.
  std::string exportList();
  int page() const { return page_; }
  std::int64_t total() const { return total_; }

 private:
  BillListSpec spec_;
  int page_ = 0;
  std::int64_t total_ = 0;
  std::string sortField_ = "billdate";
  bool descending_ = true;

  void createControls();
  void createActions();
  std::string whereClause(db::Params& params);
  std::string fromClause(bool names) const;
  void turnPage(int by);
  void choose();
};

//! True when a bill of that number is in the table for the signed-in store.
bool billExists(const std::string& table, const std::string& billno);

}  // namespace host
