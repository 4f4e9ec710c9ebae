// BillWindows: a signed-in host session on a test database (login 0001 / 王敏 with
// every right, a scripted Ui) that opens bill editor windows the way the clerk does,
// outside any page control, so that a test can hold two windows on one bill. Any
// connection serves: the file for the tests, the server for the server's benchmark.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "db/connection.h"
#include "host/forms/base_bill_edit_ribbon_form.h"
#include "host/host.h"
#include "host/scripted_ui.h"

namespace reliability {

class BillWindows {
 public:
  explicit BillWindows(db::Connection& conn);

  //! A window of bill type `code` on bill `billno` ("" = none); null when not a bill editor.
  std::unique_ptr<host::TBaseBillEditRibbonForm> open(const std::string& code, const std::string& billno);

  //! The newest bill with lines of the type (its header table in `table`); "" when none.
  std::string newestBill(const std::string& code, std::string& table);

  //! An integer column of a bill's header (-1 when the bill is gone).
  std::int64_t number(const std::string& table, const std::string& billno, const char* column);

  //! The un-audit: the order's audit button turns into it ("草稿"); other bills have their own.
  static const char* unauditAction(host::TBaseBillEditRibbonForm& form);

  //! A real edit of the header, so that a save has something to write: the remark,
  //! summary or note, whichever the bill has, set to `text`; returns that field ("" = none).
  static const char* editHeader(host::TBaseBillEditRibbonForm& form, const std::string& text);

  //! The messages shown since transcript position `mark`, one per line.
  std::string toldSince(std::size_t mark) const;
  std::size_t mark() const { return ui.transcript().size(); }

  //! Runs once, when the next "是否确认保存该单据？" has been answered (another clerk's
  //! work while this one confirms a save).
  std::function<void()> onSaveConfirmed;

  db::Connection& conn;
  host::ScriptedUi ui{[this](const std::string& event) { heard(event); }};

 private:
  void heard(const std::string& event);

  host::Host host_;
  host::HostScope scope_{host_};
};

}  // namespace reliability
