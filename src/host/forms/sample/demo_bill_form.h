// TDemoBillForm: a small bill editor built on the bill editor base, used by the tests
// and the scenario player to run a whole bill life (new, lines, save, audit, un-audit,
// delete). It keeps goods received from a supplier in vt_c_qtrk / vt_c_qtrk_mx under
// its own plug "9901"; it is not one of the package's plug items and registers only
// when asked (registerDemoBill).
#pragma once

#include <string>

#include "host/forms/sample_bill_edit_ribbon_form.h"

namespace host {

class TDemoBillForm : public TSampleBillEditRibbonForm {
 public:
  explicit TDemoBillForm(FormModel* owner, TPlugItem* item = nullptr);

  bool isAutoFill = false;  //!< true while lines are filled from a goods pick

  void FormCreate() override;
  void BeforeAppend() override;
  bool CheckBillError(std::string& message) override;
  void fillMasterData() override;
  int Insert_() override;
  int Update_() override;
  int delete_() override;
  int AuditingData_0() override;
  int AuditingData_1() override;
  void SelectedxmbmkToDetail(const std::string& selection) override;
  void generateSqlAuditing_0(std::string& sql) override;
  void generateSqlAuditing_1(std::string& sql) override;
  void ComponentReadOnly(bool readOnly) override;
  void cdsDetailAfterInsert(dataset::ClientDataSet& ds) override;
  void cdsDetailBeforePost(dataset::ClientDataSet& ds) override;
  void dsDetailDataChange(dataset::DataSource& sender, const dataset::Field* field) override;
  void actDetail_AddExecute(Action& sender) override;
  //! Picks the supplier into the counterparty box (its button).
  void edtwldwPropertiesButtonClick();

 private:
  int runSave(bool isNew);
  std::string auditLogSql(const char* state) const;
};

//! Plug code of the demonstration bill.
constexpr const char* kDemoBillCode = "9901";
//! Registers the demonstration bill's plug item once (later calls do nothing).
void registerDemoBill();

}  // namespace host
