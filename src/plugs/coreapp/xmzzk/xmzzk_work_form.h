// Txmzzkworkform: the order-processing window ("处理项目订单", plug 1101), production's
// view of one saved project order. The header is shown read-only; the lines sit in a
// grid whose columns come from the plug's configuration document and the user's field
// rules; for the focused line production keeps the staff with their shares and the
// consumables. Saving writes lines, staff and consumables back in the order's one save
// batch. The window opens modally and has no new-bill, audit or void functions.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "dataset/client_data_set.h"
#include "dataset/data_source.h"
#include "host/forms/base_ribbon_form.h"
#include "host/forms/cust_bill_rule.h"
#include "host/forms/join_table_object.h"
#include "host/plug/unit_initialization.h"

namespace core {
class JsonNode;
}

namespace plugs::coreapp::xmzzk {

//! How one configured line column was set up (beyond what the grid column shows).
struct WorkDetailColumn {
  std::string field;           //!< the line field
  bool footerItem = false;     //!< the column has a footer summary item
  bool footerSum = false;      //!< ... and its kind is Sum (else it has no kind)
  std::string buttonJson;      //!< button columns: the column object the button carries
  bool fileButton = false;     //!< "文件" rule: the button picks a file
  std::string editorControl;   //!< name of the cell editor control ("" = none)
  std::string keyFieldNames;   //!< lookup columns: the list's key field(s)
  std::string listFieldNames;  //!< lookup columns: the list field(s) shown in the cell
  std::vector<host::GridColumn> listColumns;  //!< lookup columns: the drop-down's columns
};

class Txmzzkworkform : public host::TBaseRibbonForm {
 public:
  //! The host constructor: owner and plug item.
  Txmzzkworkform(host::FormModel* owner, host::TPlugItem* item);
  ~Txmzzkworkform() override;

  dataset::ClientDataSet cdsMaster{"cdsMaster"};  //!< the order header (one row)
  dataset::ClientDataSet cdsDetail{"cdsDetail"};  //!< the order lines
  dataset::ClientDataSet cdszzry{"cdszzry"};      //!< staff of every line (filtered to one)
  dataset::ClientDataSet cdshc{"cdshc"};          //!< consumables of every line (filtered)
  dataset::ClientDataSet cdscpmx{"cdscpmx"};      //!< products: never opened, only saved
  dataset::DataSource dsMaster;                   //!< watches the header
  dataset::DataSource dsDetail;                   //!< watches the lines (dsDetailDataChange)

  // Form state.
  std::unique_ptr<host::TCustBillRule> CustBillRule;  //!< the user's field rules
  std::vector<std::string> MasterIgnorefields;        //!< header fields the save leaves out
  bool isAutoFill = false;                            //!< lines are being filled from a selection
  std::int64_t version = 0;                           //!< header `version` read at opening
  std::string billno;                                 //!< the open order's number
  //! Lookup columns' lists by line field; the form owns them.
  std::map<std::string, std::unique_ptr<host::TjoinTableObject>> joinTableList;

  std::vector<WorkDetailColumn> detailColumns;  //!< configured columns, document order
  bool columnAutoWidth = true;  //!< the grid fits its columns to its width (12 or fewer)
  bool detailFooter = false;    //!< the grid shows a footer row

  //! Guards shared by every open processing window: an amount or price is being
  //! derived (pricing), the price is being derived from a typed amount (reversePricing).
  static bool pricing;
  static bool reversePricing;
  //! Largest sum of a line's staff shares.
  static constexpr double kShareLimit = 100.0;

  //! Creates the rule object, binds the header editors, builds the grids and actions.
  void FormCreate() override;
  //! Stores the line grid's column layout, then closes.
  void FormClose() override;

  //! Opens header, lines, staff and consumables of order `number`.
  void OpenBillData(const std::string& number);
  //! Builds the grid's columns from the configuration document of plug `code`.
  void initColumns_(const std::string& code, host::Control& grid);
  //! Shows the header in the customer editor, form state and the three labels.
  void fillMasterData();
  //! Read-only flag of the customer editor and every header editor; clears isAutoFill.
  void ComponentReadOnly(bool readOnly);
  //! Shows only the staff / consumable rows of line `uid`.
  void filter_zzyg(const std::string& uid);
  void filter_hc(const std::string& uid);
  //! Saves lines, staff and consumables in one batch; 0 = saved, 1 = refused.
  int updateData_();

  // Dataset events.
  void dsDetailDataChange(dataset::DataSource& sender, const dataset::Field* field);
  void cdsDetailAfterInsert(dataset::ClientDataSet& ds);
  void cdsDetailBeforePost(dataset::ClientDataSet& ds);
  void cdsDetailAfterPost(dataset::ClientDataSet& ds);
  void cdsDetailBeforeScroll(dataset::ClientDataSet& ds);
  void cdsDetailAfterScroll(dataset::ClientDataSet& ds);
  void cdszzryBeforePost(dataset::ClientDataSet& ds);
  void cdszzryAfterPost(dataset::ClientDataSet& ds);
  void cdshcBeforePost(dataset::ClientDataSet& ds);

  // Cell editors of configured columns.
  void onButtonEditClick(const std::string& columnJson);
  void onFileButtonEditClick(const std::string& field);
  void onDbLookupComboBoxEditValueChange(const std::string& field);

  // Actions.
  void actsaveExecute(host::Action& sender);
  void actFlowViewExecute(host::Action& sender);
  void actticketExecute(host::Action& sender);
  void actprintExecute(host::Action& sender);
  void actbillconfigExecute(host::Action& sender);
  void actDetail_addExecute(host::Action& sender);
  void actDetail_editExecute(host::Action& sender);
  void actDetail_delExecute(host::Action& sender);
  void actzzry_addExecute(host::Action& sender);
  void actzzry_addmeExecute(host::Action& sender);
  void actzzry_sameExecute(host::Action& sender);
  void actzzry_agvExecute(host::Action& sender);
  void actzzry_delExecute(host::Action& sender);
  void acthc_addExecute(host::Action& sender);
  void acthc_delExecute(host::Action& sender);
  //! The "10%" ... "90%" buttons: the focused staff row gets this share.
  void setSelectedShare(double perc);
  //! Writes the print log row of the order (the print's done callback).
  void onPrintDone();

 private:
  void createHeaderControls();
  void createGrids();
  void createActions();
  void setupEditor(const core::JsonNode& obj, const host::CustFieldRule* rule,
                   host::GridColumn& column, WorkDetailColumn& setup);
  void setupLookupColumn(const core::JsonNode& obj, host::GridColumn& column,
                         WorkDetailColumn& setup);
  host::Control& addCellEditor(const host::GridColumn& column, WorkDetailColumn& setup,
                               host::ControlKind kind);
  std::string configDocument() const;
  bool hasLine() const;
  std::string lineUid() const;
  std::int64_t customerId();
  std::int64_t headerId() const;
  void refilterLineChildren();
  void typedItemCode(const dataset::Field& field);
  void addSelectedItems(const std::string& selection);
  void postLineEdit();
  std::string runPlug(const std::string& caption, const std::string& filter,
                      const std::string& options);
  [[noreturn]] void refuse(std::string_view text) const;
};

//! The unit's use-counted start-up; its first initialize() registers plug 1101.
host::UnitInitialization& xmzzkWorkFormUnit();
//! Registers plug 1101 "处理项目订单" with its rights and ships its default settings.
void registerXmzzkWorkForm();
//! The creator of plug 1101: the window for the bill number, shown modally, freed.
void openWorkForm(host::Owner owner, host::TPlugItem& item, const std::string& billno);

}  // namespace plugs::coreapp::xmzzk
