// TBaseBillEditRibbonForm: the bill editor every bill type derives from. It owns the
// header and line datasets, the toolbar actions (new, edit, delete, refresh, save,
// cancel, audit, un-audit, print, line add/edit/delete, close, previous, next), the
// edit mode, the working bill number of a new bill, the version check and the audit
// and un-audit batch. Subclasses fill in the hooks, which are called in this order:
//   open:   OpenBillData -> opendataEx -> fillMasterData; ComponentReadOnly(true)
//   new:    cdsMasterAfterInsert, BeforeAppend, edit mode on, ComponentReadOnly(false)
//   edit:   actEditExecute: edit mode on, ComponentReadOnly(false)
//   save:   CheckBillError, then Insert_ (new bill) or Update_; 0 = saved, then reopen
//   audit:  AuditingData_1 / AuditingData_0 (generateSqlAuditing_1 / _0 inside)
//   delete: delete_;  print: OpenSetPrintReportForm with onPrintDone
// Refusals show an information box and end the action with the silent abort.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/json.h"
#include "dataset/client_data_set.h"
#include "dataset/data_source.h"
#include "host/forms/base_ribbon_form.h"
#include "host/forms/bill_config.h"
#include "host/forms/bill_list_form.h"
#include "host/host.h"

namespace host {

class TBaseBillEditRibbonForm : public TBaseRibbonForm {
 public:
  TBaseBillEditRibbonForm(FormModel* owner, TPlugItem* item, std::string className,
                          std::string caption);

  dataset::ClientDataSet cdsMaster{"cdsMaster"};  //!< the bill's header (one row)
  dataset::ClientDataSet cdsDetail{"cdsDetail"};  //!< the bill's lines
  dataset::DataSource dsMaster;                   //!< watches cdsMaster
  dataset::DataSource dsDetail;                   //!< watches cdsDetail (dsDetailDataChange)

  std::string billno;        //!< number of the open saved bill; "" for none or a new bill
  std::string workBillno;    //!< working number: billno, or a placeholder for a new bill
  std::string tableName;     //!< header table ("vt_c_spjh"); lines are tableName + "_mx"
  std::int64_t billId = 0;   //!< header `id` read at opening
  std::int64_t version = 0;  //!< header `version` read at opening (checkBillVersion)
  bool editMode = false;     //!< the bill is being edited (new or existing)
  std::vector<std::string> MasterIgnorefields;  //!< header fields left out of generated SQL
  std::vector<std::string> SQLStore;            //!< SQL texts kept in the form
  BillOptions billoptions;   //!< the user's bill options for the plug
  BillConfig billConfig;     //!< bill settings from the plug's configuration document
  std::string detailGridName;  //!< the line grid; set by the subclass before FormCreate
  int billOption = 0;        //!< integer option subclasses set after FormCreate (kept only)
  std::function<void()> onPrintDone;  //!< runs after a print was output
  //! The header's counterparty id field ("kh_id", "gys_id"; "" none), for the bill list.
  std::string counterpartyField;
  //! What each `status` value is called, from 0 (the bill list's status column).
  std::vector<std::string> statusCaptions = {"未审核", "已审核"};

  // Hooks, in slot order.
  //! New bill: the master row is inserted; set the defaults of the new row.
  virtual void BeforeAppend();
  //! Before saving: true with `message` refuses the save. The base posts the header and
  //! refuses a bill without lines.
  virtual bool CheckBillError(std::string& message);
  //! After loading: show the header in unbound controls and the status label.
  virtual void fillMasterData();
  //! Opens a bill ("" = none): opendataEx, fillMasterData, read-only.
  virtual void OpenBillData(const std::string& number);
  //! Writes a new bill; 0 = done. Subclasses must override.
  virtual int Insert_();
  //! Writes an existing bill; 0 = done. Subclasses must override.
  virtual int Update_();
  //! Deletes the open bill; 0 = done. Subclasses must override.
  virtual int delete_();
  //! Un-audit: version check, one batch (status 0, marks cleared, version + 1, the
  //! generateSqlAuditing_0 text), reopen. 0 = done; refusals abort.
  virtual int AuditingData_0();
  //! Audit: as AuditingData_0 with status 1, `shy_id`, `auditdate` and the
  //! generateSqlAuditing_1 text. 0 = done; refusals abort.
  virtual int AuditingData_1();
  //! Adds lines from a lookup result (JSON array text). The base adds nothing.
  virtual void SelectedxmbmkToDetail(const std::string& selection);
  //! Extra SQL run with the un-audit status change ("" = none).
  virtual void generateSqlAuditing_0(std::string& sql);
  //! Extra SQL run with the audit status change ("" = none).
  virtual void generateSqlAuditing_1(std::string& sql);
  //! Opens header and lines from the configuration document's queries.
  virtual void opendataEx(const std::string& number);

  // Inherited handlers subclasses call first.
  //! Loads the bill settings, builds the base controls and actions, wires the datasets.
  void FormCreate() override;
  //! Sets every editor control (and the line grid) read-only or editable.
  virtual void ComponentReadOnly(bool readOnly);
  //! New header row: store, working number, date, status 0, outlet, bill maker.
  virtual void cdsMasterAfterInsert(dataset::ClientDataSet& ds);
  //! New line: `orgid`, `billno` (working number) and a new `uid` when it has none.
  virtual void cdsDetailAfterInsert(dataset::ClientDataSet& ds);
  //! Before a line is posted; the base checks nothing.
  virtual void cdsDetailBeforePost(dataset::ClientDataSet& ds);
  //! A line field changed (field null: row moved); the base does nothing.
  virtual void dsDetailDataChange(dataset::DataSource& sender, const dataset::Field* field);
  //! Edit: right `_02`, version check, edit mode on, ComponentReadOnly(false).
  virtual void actEditExecute(Action& sender);
  //! Double click on the status label; the base does nothing.
  virtual void cxLabel3DblClick();

  // Action handlers (replaceable by assigning the action's onExecute).
  virtual void actAddExecute(Action& sender);
  virtual void actDelExecute(Action& sender);
  virtual void actRefExecute(Action& sender);
  virtual void actSaveExecute(Action& sender);
  virtual void actCancelExecute(Action& sender);
  virtual void actAuditExecute(Action& sender);
  virtual void actAudit_0Execute(Action& sender);
  virtual void actPrintExecute(Action& sender);
  virtual void actDetail_AddExecute(Action& sender);
  virtual void actDetail_EditExecute(Action& sender);
  virtual void actDetail_DelExecute(Action& sender);
  virtual void actprevExecute(Action& sender);
  virtual void actnextExecute(Action& sender);
  //! The bill list (TBillListForm) of this bill type, modally; the bill chosen there
  //! opens here. Needs the bill's root right.
  virtual void actlistExecute(Action& sender);

  //! What the bill list of this editor lists.
  BillListSpec billListSpec() const;
  //! Opens the bill whose number was typed into 单据编号 (Enter); a number the store
  //! has no bill of is told and the open bill stays.
  void openTypedBillno();

  //! True while editing when the header differs from how editing began or another
  //! dataset holds changes; a new bill with only its defaults has nothing to lose.
  bool hasUnsavedChanges() const override;
  //! As the form model, but a bill not yet saved shows no number: its working number
  //! is an internal placeholder until the save issues the real one.
  std::string controlText(const Control& c) const override;

  // Helpers for subclasses.
  //! True when a saved bill is open.
  bool hasBill() const { return billId != 0 && !billno.empty(); }
  //! The header's `status` (0 when no bill).
  int masterStatus() const;
  //! Refuses unless the user holds plug code + suffix ("_04"): rights box, abort.
  void requireRight(std::string_view suffix) const;
  //! Information box (caption "提示") and the silent abort.
  [[noreturn]] void refuse(std::string_view text) const;
  //! The rows of a selection text (a lookup's or selector's JSON array); a text that
  //! cannot be read is refused with `unreadable` followed by what is wrong with it.
  std::vector<core::JsonRow> chosenRows(const std::string& selection, std::string_view unreadable) const;
  //! checkBillVersion on the open bill; when it changed: the message, reopen, abort.
  void checkVersionOrReload();
  //! The number the save batch issued to a new bill (read back through a saved line).
  virtual std::string issuedBillno();
  //! After the server connection came back: the open bill is read again unless the
  //! clerk has unsaved edits on it, which stay (its next save checks the version).
  void rereadAfterReconnect();

 protected:
  //! Update_ with its batch guarded by the header's version (host/services/version_guard.h).
  int guardedUpdate();
  //! A save refused as stale: the message, an offer to reload (edits kept otherwise), abort.
  [[noreturn]] void refuseStaleSave();
  //! A save that failed: its reason, edits kept, abort. One cut off by the server going
  //! away at its commit is settled by reconnecting and reading the bill back; the bill
  //! found saved is opened and the function returns.
  void settleFailedSave(bool isNew);
  //! The bill's number when the save cut off at its commit is found done after
  //! reconnecting, "" when found not done, nothing when the bill cannot tell.
  std::optional<std::string> savedAfterCutOff(bool isNew);
  //! Runs the audit (status 1) or un-audit (status 0) batch with its extra SQL.
  void runAuditBatch(bool audit, const std::string& extra);
  //! Moves to the neighbouring bill by number (previous when `backwards`).
  void gotoNeighbour(bool backwards);

 private:
  std::vector<core::Value> masterValues() const;

  std::vector<core::Value> editStart_;  // the header when editing began
  void createActions();
  void createBaseControls();
  void wireDataSets();
  std::string openQuery(const std::string& sql, const std::string& number) const;
};

}  // namespace host
