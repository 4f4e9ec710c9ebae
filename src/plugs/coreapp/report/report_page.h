// TReportPage: the page of one owner's report, made from its ReportSpec: a box per
// parameter (store and picks as lists with "全部", dates), the grid with footers, and
// 刷新, 打开单据 (also a double click on a row that names a bill), 打印, 导出. It writes
// nothing to the database; every figure comes from the report's procedure with bound
// values. 导出 writes the grid as CSV or XLSX for a spreadsheet beside the prints.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "dataset/client_data_set.h"
#include "host/forms/base_ribbon_form.h"
#include "host/plug/unit_initialization.h"
#include "plugs/coreapp/report/report_spec.h"

namespace plugs::coreapp {

class TReportPage : public host::TBaseRibbonForm {
 public:
  TReportPage(host::FormModel* owner, const ReportSpec& spec);

  //! The report's rows, as its procedure returns them (named as the report says).
  dataset::ClientDataSet cdsReport;

  //! The parameter boxes, the grid and the actions; reads the report once.
  void FormCreate() override;
  //! Reads the report for the boxes' values, showing its progress; a report the user
  //! stops leaves the grid empty and says "已取消".
  void actRefExecute(host::Action& sender);
  //! Opens the focused row's bill in its own editor (nothing for a row without one).
  void actOpenExecute(host::Action& sender);
  //! Writes the rows under the grid's captions, as CSV or XLSX as the user chooses, to
  //! <code>-<branch>.csv/.xlsx in the print folder and says where; returns the file
  //! ("" when the user closed the choice).
  std::string actExportExecute(host::Action& sender);
  //! Prints the rows under the parameters (right <code>_06).
  void actPrintExecute(host::Action& sender);
  //! The parameter values the boxes hold; an unreadable date says so and aborts.
  std::map<std::string, core::Value> values();

  const ReportSpec& spec() const { return spec_; }

 private:
  void addParamControl(const ReportParam& p);
  void addGrid();
  std::string rowBill() const;
  void runRowAction();

  const ReportSpec& spec_;
  std::map<std::string, std::vector<std::int64_t>> pickIds_;  //!< per list box, its entries' ids
};

//! Registers the page of `spec` (kept for the program's life) as a package item (right
//! print and print template settings) with its print template.
void registerReportPage(const ReportSpec& spec);
//! Registers every report's page as a package item (right print and print template
//! settings) with its print template.
void registerReportPages();
//! The unit of the report pages.
host::UnitInitialization& reportPagesUnit();

}  // namespace plugs::coreapp
