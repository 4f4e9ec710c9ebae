// TAdvanceWriteOffForm: the advance write-off editor (customer and supplier side). Its
// detail lines are the receipts or payments whose free amounts it takes (picked in a
// money-side selector, never typed), its write-off lines the bills those amounts pay;
// the two sides must balance to the ten-thousandth. A bill class adds its audit SQL
// and opens its two selectors.
#pragma once

#include <string>
#include <vector>

#include "plugs/coreapp/simple_bill/write_off_bill_form.h"

namespace plugs::coreapp {

//! The money-side grid: receipts (payments) with their total, used and free parts.
inline const std::vector<LineColumn> kAdvanceMoneyColumns = {{"biztype", "业务类型", 80, "", false},
                                                             {"hxbillno", "源单单号", 120, "", false},
                                                             {"hxbilldate", "单据日期", 90, "", false},
                                                             {"ck_name", "开单门店", 90, "", false},
                                                             {"hjje", "单据金额", 100, "money", false, true},
                                                             {"hxje_ok", "已核销金额", 100, "money", false, true},
                                                             {"hxje_no", "未核销金额", 100, "money", false, true},
                                                             {"hxje", "本次核销金额", 110, "money", true, true}};

class TAdvanceWriteOffForm : public TWriteOffBillForm {
 public:
  //! `moneyAction`: caption of the money-side add action ("选择收款单").
  TAdvanceWriteOffForm(host::FormModel* owner, host::TPlugItem* item, const WriteOffBillSpec& writeOff,
                       const char* moneyAction);

  //! The write-off creation; money-side lines come only from their selector.
  void FormCreate() override;
  //! Counterparty box follows the switch (there are no total boxes).
  void ComponentReadOnly(bool readOnly) override;
  //! New money-side line: `hxje` := 0.
  void cdsDetailAfterInsert(dataset::ClientDataSet& ds) override;
  //! A money-side amount above the free amount is refused (error box).
  void cdsDetailBeforePost(dataset::ClientDataSet& ds) override;
  //! Money-side lines carry no account to look up.
  void dsDetailDataChange(dataset::DataSource& sender, const dataset::Field* field) override;
  //! Counterparty into the header, then both sides must be equal.
  bool CheckBillError(std::string& message) override;
  //! The simple bill's audit: an advance write-off moves no cash.
  int AuditingData_1() override;
  //! While editing: the receipts (payments) chosen become money-side lines.
  void actDetail_AddExecute(host::Action& sender) override;
  //! While editing and with a counterparty: the bills chosen become write-off lines.
  void acthxmx_AddExecute(host::Action& sender) override;

 protected:
  //! Opens the money-side selector for the counterparty in the box; the chosen rows as
  //! a JSON array text, "" when cancelled.
  virtual std::string selectMoneySources() = 0;

 private:
  //! False, after telling the user, while no counterparty is chosen.
  bool hasCounterparty();
  const char* moneyAction_;
};

}  // namespace plugs::coreapp
